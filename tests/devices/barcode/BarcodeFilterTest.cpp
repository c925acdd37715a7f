#include "core/configuration/DefaultScripts.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include "devices/codefilter/ScriptCodeFilter.h"
#include "devices/barcode/modBarcodeReader.h"
#include <gtest/gtest.h>

namespace {
class BarcodeFilter : public ::testing::Test {
protected:
    void SetUp() override { LoadBarcodeReaderParam(); }
    static QString script(const char* body)
    {
        return QStringLiteral("Function BarCodeFilter(c)\r\n  BarCodeFilter = %1\r\nEnd Function\r\n")
            .arg(QString::fromLatin1(body));
    }
    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
};
}   // namespace

TEST_F(BarcodeFilter, TheCodeOfAScannedLineThroughTheDefaultFilter)
{
    ASSERT_EQ(::settings().BarcodeReaderParam.VBFilterScript, DefaultBarCodeFilterScript());
    struct Case {
        const char* text;
        const char* code;
    };
    const Case cases[] = {
        {"8001234567890\r\n", "8001234567890"},
        {"8001234567890\n", "8001234567890"},
        {"8001234567890\r", "8001234567890"},
        {"12\r34\r\n", "12"},
        {"8001234567890", ""},   // no end: nothing scanned yet
        {"\r\n8001234567890", ""},   // begins with the end
        {"\t123\r\n", "\t123"},   // a control character at the start stays
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GetFilteredBarcode(QString::fromLatin1(c.text)), QString::fromLatin1(c.code));
    }
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("123\t")), QString());
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("123")), QStringLiteral("123"));
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(BarcodeFilter, AnEmptyScriptLetsEveryCodeThrough)
{
    ::settings().BarcodeReaderParam.VBFilterScript.clear();
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("123\t")), QStringLiteral("123\t"));
    EXPECT_FALSE(BarCodeFilterInUse().HoldsCompiledFilter());
}

TEST_F(BarcodeFilter, AScriptCanRecomposeTheCode)
{
    ::settings().BarcodeReaderParam.VBFilterScript = script("Mid(c, 2, 7)");
    EXPECT_EQ(GetFilteredBarcode(QStringLiteral("2123456000150\r\n")), QStringLiteral("1234560"));
}

TEST_F(BarcodeFilter, ATestRunNeverReplacesTheFilterInUse)
{
    ::settings().BarcodeReaderParam.VBFilterScript = script("\"S\" & c");
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("1")), QStringLiteral("S1"));

    struct Trial {
        const char* what;
        QString script;
        QString result;
        bool reported;
    };
    const Trial trials[] = {
        {"a trial that works", script("\"T\" & c"), QStringLiteral("T1"), false},
        {"a trial that fails when run", script("c / 0"), QString(), true},
        {"a trial that does not compile", QStringLiteral("Function BarCodeFilter(c\r\n"), QString(), true},
        {"a trial without the function", QStringLiteral("Function Other(c)\r\nEnd Function\r\n"), QString(), true},
    };
    for (const Trial& t : trials) {
        SCOPED_TRACE(t.what);
        ui->clearLog();
        EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("1"), t.script), t.result);
        EXPECT_EQ(ui->prompts().size(), t.reported ? 1 : 0);
        EXPECT_TRUE(BarCodeFilterInUse().HoldsCompiledFilter());
        EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("2")), QStringLiteral("S2"));
    }
}

TEST_F(BarcodeFilter, AFailingFilterIsReportedWithItsLineAndDropsTheCode)
{
    ::settings().BarcodeReaderParam.VBFilterScript
        = QStringLiteral("Function BarCodeFilter(c)\r\n  x = 1\r\n  BarCodeFilter = c / 0\r\nEnd Function\r\n");
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("5")), QString());
    ASSERT_EQ(ui->log().size(), 1);
    const QString message = ui->prompts().first();
    EXPECT_TRUE(message.startsWith(QStringLiteral("Errore in esecuzione del filtro codici a barre: \r\r")))
        << message.toStdString();
    EXPECT_TRUE(message.endsWith(QStringLiteral("\r\rLinea VB: 3"))) << message.toStdString();
    // The compiled filter stays: the next code fails the same way, it is not compiled anew.
    EXPECT_TRUE(BarCodeFilterInUse().HoldsCompiledFilter());
}

// A filter that would hold more memory than a script may is stopped at that line; the code
// is dropped as for any failing filter.
TEST_F(BarcodeFilter, AFilterHoldingTooMuchMemoryIsStoppedAtItsLine)
{
    ::settings().BarcodeReaderParam.VBFilterScript = QStringLiteral(
        "Function BarCodeFilter(c)\r\n  ReDim seen(4000000)\r\n  BarCodeFilter = c\r\nEnd Function\r\n");
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("5")), QString());
    ASSERT_EQ(ui->prompts().size(), 1);
    EXPECT_EQ(ui->prompts().first(),
              QStringLiteral("Errore in esecuzione del filtro codici a barre: \r\rMemoria esaurita\r\rLinea VB: 2"));
}

TEST_F(BarcodeFilter, SavingTheSettingsMakesTheNextScanUseTheNewScript)
{
    ::settings().BarcodeReaderParam.VBFilterScript = script("\"A\" & c");
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("1")), QStringLiteral("A1"));
    ::settings().BarcodeReaderParam.VBFilterScript = script("\"B\" & c");
    SaveBarcodeReaderParam();
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("1")), QStringLiteral("B1"));
    // And reading them back from the store too.
    settings->set(QStringLiteral("BarcodeReaderParam"), QStringLiteral("VBFilterScript"), script("\"C\" & c"));
    LoadBarcodeReaderParam();
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("1")), QStringLiteral("C1"));
}
