#ifdef MV_MVTOOL_EXE
// The card commands of the developer's tool against the simulated reader.
#include "../DeveloperTool.h"
#include "devices/simulators/CardReaderSimulator.h"
#include "PtyPair.h"
#include <gtest/gtest.h>

namespace {
devicetest::ToolRun tool(const QStringList& args) { return devicetest::RunTool(QStringLiteral(MV_MVTOOL_EXE), args); }
}

TEST(CardCommands, WriteThenReadACardOnTheConfiguredReader)
{
    PtyPair pty;
    CardReaderSimulator reader(CardReaderSimulator::Model::MSR206HL);
    pty.serve([&reader](QByteArray& pending) { return reader.answer(pending); });
    for (const QString& setting :
         {QStringLiteral("Devices/COM2=") + pty.devicePath(), QStringLiteral("MagneticDevParam/Type=2"),
          QStringLiteral("MagneticDevParam/COMPortNumber=2")})
        ASSERT_EQ(tool({QStringLiteral("config-set"), setting}).exitCode, 0);

    const auto written = tool({QStringLiteral("card-write"), QStringLiteral("--reversed"), QStringLiteral("12345678")});
    EXPECT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_EQ(reader.track1Text(), QStringLiteral("87654321"));
    EXPECT_TRUE(reader.lowCoercivity());

    const auto read = tool({QStringLiteral("card-read"), QStringLiteral("--reversed")});
    EXPECT_EQ(read.exitCode, 0) << read.err.toStdString();
    EXPECT_EQ(read.out, QStringLiteral("Data1: 12345678\nData2: \nCode: 12345678\n"));

    reader.setMute(true);
    const auto mute = tool({QStringLiteral("card-read")});
    EXPECT_EQ(mute.exitCode, 1);
    EXPECT_TRUE(mute.err.contains(QStringLiteral("Timeout, il dispositivo non ha risposto"))) << mute.err.toStdString();
    pty.stopServing();
}

TEST(CardCommands, TheCodeInACardText)
{
    EXPECT_EQ(tool({QStringLiteral("card-code"), QStringLiteral("--reversed"), QStringLiteral(";12345678?")}).out,
              QStringLiteral("87654321\n"));
    EXPECT_EQ(
        tool({QStringLiteral("card-code"), QStringLiteral("--prefix"), QStringLiteral("ab"), QStringLiteral("%AB12?")})
            .out,
        QStringLiteral("12\n"));
    EXPECT_EQ(tool({QStringLiteral("card-code"), QStringLiteral("1234\\r")}).out, QStringLiteral("\n"));
}
#endif
