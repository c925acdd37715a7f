#ifdef MV_MVTOOL_EXE
#include "../DeveloperTool.h"
#include <gtest/gtest.h>

TEST(ScaleCommands, TheFrameOfAText)
{
    const auto run
        = devicetest::RunTool(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("scale-frame"), QStringLiteral("ABC")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("2, 65, 66, 67, 4, 204, 128, 3\n"));
    EXPECT_EQ(
        devicetest::RunTool(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("scale-frame"), QStringLiteral("10 €")})
            .exitCode,
        1);
}
#endif
