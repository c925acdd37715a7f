#ifdef MV_MVTOOL_EXE
#include "../DeveloperTool.h"
#include <gtest/gtest.h>

TEST(BarcodeCommands, TheCodeOfAScannedLine)
{
    struct Case {
        const char* text;
        const char* out;
    };
    for (const Case& c :
         {Case {"8001234567890\\r\\n", "8001234567890\n"}, Case {"123\\t\\r", "\n"}, Case {"8001234567890", "\n"}}) {
        SCOPED_TRACE(c.text);
        const auto run = devicetest::RunTool(QStringLiteral(MV_MVTOOL_EXE),
                                             {QStringLiteral("barcode-filter"), QString::fromLatin1(c.text)});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out, QString::fromLatin1(c.out));
    }
}

TEST(BarcodeCommands, TheControlsAnAnswerLineOfTheOptionsSets)
{
    const devicetest::ToolRun run = devicetest::RunTool(
        QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("controls"), QStringLiteral("frmOptionsBarcode")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(
        run.out,
        QStringLiteral("cboCOMPort=[nessuno]\tlist: [nessuno] | COM1 | COM2 | COM3 | COM4 | COM5 | COM6 | COM7 | COM8\n"
                       "txtCOMParam=9600,n,8,1\teditable list: 9600,n,8,1 | 9600,e,7,2, disabled\n"));
    EXPECT_EQ(devicetest::RunTool(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("controls")}).exitCode, 2);
}

#endif
