// The developer's tool pictures the library's windows over a table at an access level.
#ifdef MV_MVTOOL_EXE
#include "TestEnvironment.h"
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
struct ToolRun {
    int status = -1;
    QString err;
};
ToolRun shot(const QStringList& args)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(MV_MVTOOL_EXE), QStringList{QStringLiteral("shot")} + args);
    tool.waitForFinished(60000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1, QString::fromUtf8(tool.readAllStandardError())};
}
}

TEST(LibraryWindowShots, TheRowEditorOfEachTableAtEachLevel)
{
    const QString dir = testenv::newDir(QStringLiteral("shots"));
    for (const char* table : {"Articoli", "Vendite", "Operatori"}) {
        for (const char* level : {"0", "1"}) {
            const QString file = dir + QStringLiteral("/%1_%2.png").arg(QLatin1String(table), QLatin1String(level));
            const ToolRun r = shot({"RowEditor", file, "--table", table, "--level", level});
            EXPECT_EQ(r.status, 0) << table << level << r.err.toStdString();
            const QImage picture(file);
            EXPECT_GE(picture.width(), 400) << table << level;
            EXPECT_GE(picture.height(), 150) << table << level;
        }
    }
}

TEST(LibraryWindowShots, EveryLibraryWindowAndTheWrongTable)
{
    const QString dir = testenv::newDir(QStringLiteral("shots"));
    for (const char* window : {"PickRowDialog", "ObjDataGrid", "ViewWindow", "FieldSequenceDialog", "FilterEditor"}) {
        const QString file = dir + QStringLiteral("/%1.png").arg(QLatin1String(window));
        EXPECT_EQ(shot({window, file}).status, 0) << window;
        EXPECT_FALSE(QImage(file).isNull()) << window;
    }
    const ToolRun wrong = shot({"RowEditor", dir + "/x.png", "--table", "Inesistente"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(wrong.err.contains("Tabella inesistente: Inesistente")) << wrong.err.toStdString();
    EXPECT_EQ(shot({"RowEditor", dir + "/y.png", "--level"}).status, 2);
}
#endif
