// The factory of the reader in use, the reader's code filter and the code in a card text.
#include "base/AppError.h"
#include "core/configuration/DefaultScripts.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include "devices/codefilter/ScriptCodeFilter.h"
#include "core/serial/SerialChannel.h"
#include "devices/cards/clsMSR106.h"
#include "devices/cards/clsMSR206HL.h"
#include "devices/cards/modMagneticDev.h"
#include <gtest/gtest.h>
#include <memory>

namespace {
class MagneticDev : public ::testing::Test {
protected:
    void SetUp() override { LoadMagneticDevSettings(); }
    void TearDown() override { InitMagneticDevice(true); }
    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
};
}   // namespace

TEST_F(MagneticDev, EachTypeGetsItsDriverOrExplicitlyNone)
{
    struct Case {
        int32_t type;
        int port;
        bool known;
        const char* model;   // nullptr: no driver
        bool lowCoercivity;
        bool configured;
        bool writes;
    };
    const Case cases[] = {
        {MagneticDevType::MSR106, 2, true, "MSR 106 Series (bassa coercività)", false, true, true},
        {MagneticDevType::MSR206HLHigh, 2, true, "MSR 206 HL Series (alta coercività)", false, true, true},
        {MagneticDevType::MSR206HLLow, 2, true, "MSR 206 HL Series (alta coercività)", true, true, true},
        {MagneticDevType::KeyboardEmulation, 0, true, nullptr, false, true, false},
        // A reader type nobody knows, even on a port: no driver, nothing that writes.
        {7, 2, false, nullptr, false, true, false},
        {MagneticDevType::MSR106, 0, true, nullptr, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "type " << c.type << " port " << c.port);
        ::settings().MagneticDevParam.Type = c.type;
        ::settings().MagneticDevParam.COMPortNumber = c.port;
        EXPECT_EQ(IsMagneticDevConfigured(), c.configured);
        EXPECT_EQ(DeviceSupportsWrite(), c.writes);
        EXPECT_FALSE(MagneticDeviceExists());   // the question left no driver behind
        if (c.port == 0 && c.type != MagneticDevType::KeyboardEmulation) continue;

        EXPECT_EQ(InitMagneticDevice(false), c.known);
        EXPECT_EQ(MagneticDeviceExists(), c.model != nullptr);
        if (!c.model) {
            EXPECT_THROW(objMagneticDevice(), AppError);
            continue;
        }
        itfMagneticCard& driver = objMagneticDevice();
        EXPECT_EQ(driver.ModelDescription(), QString::fromUtf8(c.model));
        auto& channel = dynamic_cast<EscapeCardDriver&>(driver).Channel();
        EXPECT_EQ(channel.portNumber(), c.port);
        EXPECT_FALSE(channel.isOpen());   // opened by the session, not by the factory
        if (auto* hl = dynamic_cast<clsMSR206HL*>(&driver)) {
            EXPECT_EQ(hl->LowCoercivity(), c.lowCoercivity);
        }
        EXPECT_TRUE(InitMagneticDevice(true));
        EXPECT_FALSE(MagneticDeviceExists());
    }
}

TEST_F(MagneticDev, BadPortSettingsLeaveNoDriver)
{
    ::settings().MagneticDevParam.Type = MagneticDevType::MSR106;
    ::settings().MagneticDevParam.COMPortNumber = 1;
    ::settings().MagneticDevParam.COMPortParam = QStringLiteral("veloce");
    EXPECT_THROW(InitMagneticDevice(false), AppError);
    EXPECT_FALSE(MagneticDeviceExists());
}

TEST_F(MagneticDev, TheHighCoercivityReaderNeedsItsThirdParameter)
{
    clsMSR206HL driver;
    EXPECT_THROW(driver.SetParameters({1, QStringLiteral("9600,n,8,1")}), AppError);
    EXPECT_NO_THROW(driver.SetParameters({1, QStringLiteral("9600,n,8,1"), true}));
    EXPECT_TRUE(driver.LowCoercivity());
}

TEST_F(MagneticDev, TheCodeInACardText)
{
    struct Case {
        const char* raw;
        const char* prefix;
        bool reverse;
        const char* code;
    };
    const Case cases[] = {
        {";12345678?", "", true, "87654321"},
        {";12345678?", "", false, "12345678"},
        {"12345678", "", true, "12345678"},   // no sentinel, never reversed
        {"%12345678_", "", true, "87654321"},
        {"12345678?", "", true, "87654321"},   // one sentinel is enough
        {"%AB1234?", "ab", false, "1234"},
        {"%ab1234?", "AB", false, "1234"},
        {"%CD1234?", "ab", false, ""},
        {"%A?", "ab", false, ""},
        {";", "", true, ""},
        {"12345678\r", "", false, ""},   // annulled by the filter, sentinels or not
        {"", "", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(ExtractCardCode(QString::fromLatin1(c.raw), QString::fromLatin1(c.prefix), c.reverse),
                  QString::fromLatin1(c.code));
    }
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(MagneticDev, TheFilterRunsFirstAndCanRecomposeTheCode)
{
    ::settings().MagneticDevParam.VBFilterScript
        = QStringLiteral("Function CodeFilter(c)\r\n  CodeFilter = Replace(c, \"-\", \"\")\r\nEnd Function\r\n");
    EXPECT_EQ(ExtractCardCode(QStringLiteral(";12-34?"), QString(), true), QStringLiteral("4321"));
}

TEST_F(MagneticDev, ATestRunNeverReplacesTheFilterInUse)
{
    ::settings().MagneticDevParam.VBFilterScript
        = QStringLiteral("Function CodeFilter(c)\r\n  CodeFilter = \"S\" & c\r\nEnd Function\r\n");
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("1")), QStringLiteral("S1"));
    EXPECT_TRUE(CodeFilterInUse().HoldsCompiledFilter());

    const QString trial = QStringLiteral("Function CodeFilter(c)\r\n  CodeFilter = \"T\" & c\r\nEnd Function\r\n");
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("1"), trial), QStringLiteral("T1"));
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("2")), QStringLiteral("S2"));

    // A trial that fails when run: reported, empty code, and still the stored filter after.
    const QString failing = QStringLiteral("Function CodeFilter(c)\r\n  CodeFilter = c / 0\r\nEnd Function\r\n");
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("1"), failing), QString());
    ASSERT_EQ(ui->prompts().size(), 1);
    EXPECT_TRUE(ui->prompts().first().startsWith(QStringLiteral("Errore in esecuzione del filtro codice carta: \r\r")));
    EXPECT_TRUE(ui->prompts().first().endsWith(QStringLiteral("\r\rLinea VB: 2")));
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("3")), QStringLiteral("S3"));

    // Saving other settings compiles the saved script at the next code.
    ::settings().MagneticDevParam.VBFilterScript = trial;
    SaveMagneticDevSettings();
    EXPECT_FALSE(CodeFilterInUse().HoldsCompiledFilter());
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("4")), QStringLiteral("T4"));
}

TEST_F(MagneticDev, TheDefaultFilterIsTheStoredOneUntilSettingsSayOtherwise)
{
    EXPECT_EQ(::settings().MagneticDevParam.VBFilterScript, DefaultCodeFilterScript());
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("\t123")), QStringLiteral("\t123"));
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("123\t")), QString());
}
