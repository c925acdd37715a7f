// `mvtool shot` of the article search and deposit windows, as the developer takes them.
#include "TestEnvironment.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#ifdef MV_MVTOOL_EXE
TEST(ArticleWindowShots, TheDevelopersToolPicturesEachWindowAtItsDefaultSize)
{
    for (const char* window : {"frmSearch_Articoli", "frmArticoli"}) {
        SCOPED_TRACE(window);
        const QString file = testenv::newDir(QStringLiteral("shots")) + u'/' + QString::fromLatin1(window) + QStringLiteral(".png");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("shot"), QString::fromLatin1(window), file});
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QSize size = QImage(file).size();
        EXPECT_GE(size.width(), 300);
        EXPECT_GE(size.height(), 60);
    }
}
#endif
