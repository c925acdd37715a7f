#ifdef MV_MVTOOL_EXE
#include "../DeveloperTool.h"
#include <gtest/gtest.h>

TEST(BarcodeCommands, TheCodeOfAScannedLine) {
    struct Case {
        const char* text;
        const char* out;
    };
    for (const Case& c : {Case{"8001234567890\\r\\n", "8001234567890\n"}, Case{"123\\t\\r", "\n"}, Case{"8001234567890", "\n"}}) {
        SCOPED_TRACE(c.text);
        const auto run = devicetest::RunTool(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("barcode-filter"), QString::fromLatin1(c.text)});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(run.out, QString::fromLatin1(c.out));
    }
}
#endif
