// Pictures of the print settings windows and their previews, taken by the developer's tool
// as a developer takes them.
#ifdef MV_MVTOOL_EXE
#include "TestEnvironment.h"

#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

TEST(PrintWindowShots, TheDevelopersToolPicturesEachWindowAtItsDefaultSize)
{
    struct Case {
        const char* window;
        int minWidth, minHeight;
    };
    const Case cases[] = {
        {"frmLabelPrintSetting", 500, 400},
        {"frmTicketPrintSetting", 500, 450},
        {"frmLabelPreview", 300, 40},     // a strip of two labels: far wider than high
        {"frmTicketPreview", 150, 300},   // a whole page: higher than wide
    };
    const QString dir = testenv::newDir(QStringLiteral("shots"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        const QString file = dir + u'/' + QString::fromLatin1(c.window) + QStringLiteral(".png");
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("shot"), QString::fromLatin1(c.window), file});
        ASSERT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        const QImage picture(file);
        EXPECT_GE(picture.width(), c.minWidth);
        EXPECT_GE(picture.height(), c.minHeight);
    }
}
#endif
