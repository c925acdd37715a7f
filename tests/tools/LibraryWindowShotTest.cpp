// The developer's tool refuses to picture the row editor of a table the shop lacks, or at a
// level it was not given.
#ifdef MV_MVTOOL_EXE
#include "TestEnvironment.h"
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
    tool.start(QStringLiteral(MV_MVTOOL_EXE), QStringList {QStringLiteral("shot")} + args);
    tool.waitForFinished(60000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromUtf8(tool.readAllStandardError())};
}
}

TEST(LibraryWindowShot, AnUnknownTableOrAMissingLevelIsRefused)
{
    const QString dir = testenv::newDir(QStringLiteral("shots"));
    const ToolRun wrong = shot({"RowEditor", dir + "/x.png", "--table", "Inesistente"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_TRUE(wrong.err.contains("Tabella inesistente: Inesistente")) << wrong.err.toStdString();
    EXPECT_EQ(shot({"RowEditor", dir + "/y.png", "--level"}).status, 2);
}
#endif
