#include "core/configuration/Configuration.h"
#include "core/configuration/DefaultScripts.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include "core/configuration/RoundRanges.h"
#include "core/helpers/SystemHelpers.h"
#include "TestEnvironment.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

// Every test starts from an empty in-memory store, a fixed clock and the normal mode.
class ConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override { g_bBackupArchiveMode = false; }
    QString stored(const char* section, const char* key)
    {
        return store->get(QString::fromLatin1(section), QString::fromLatin1(key), QStringLiteral("<missing>"));
    }
    void put(const char* section, const char* key, const QString& value)
    {
        store->set(QString::fromLatin1(section), QString::fromLatin1(key), value);
    }

    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> store = headless.settings;
    std::shared_ptr<ManualClock> clock = headless.useManualClock(QDateTime(QDate(2024, 2, 29), QTime(9, 30)));
};

TEST(StrToBool, OnlyTheFourNoWordsAreFalse)
{
    struct Case {
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"FALSE", false}, {"false", false}, {"  Falso ", false}, {"fAlSo", false}, {"NO", false}, {" no", false},
        {"0", false},     {" 0 ", false},   {"True", true},      {"1", true},      {"", true},    {"   ", true},
        {"OFF", true},    {"00", true},     {"nope", true},      {"-1", true},
    };
    for (const Case& c : cases) EXPECT_EQ(StrToBool(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(ConfigText, LeadingNumberReading)
{
    struct Case {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"12", 12},    {"12abc", 12}, {"  7 ", 7}, {"-3x", -3}, {"+4", 4}, {"1.5", 1.5}, {".5", 0.5},
        {"2e3", 2000}, {"2E", 2},     {"3,7", 3},  {"abc", 0},  {"", 0},   {"-", 0},     {"x12", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(config::LeadingNumber(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(ConfigText, WholeNumbersRoundHalfToEvenAndOverflowTakesTheDefault)
{
    struct Case {
        const char* text;
        int64_t expected;
    };
    const Case cases[] = {
        {"2.5", 2},         {"3.5", 4},     {"-2.5", -2}, {"32767", 32767}, {"32767.4", 32767},
        {"32768", 99},      {"-32769", 99}, {"1e10", 99}, {"1e999", 99},    {"99999999999999999999", 99},
        {"-32768", -32768}, {"garbage", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(config::ReadWhole(QString::fromUtf8(c.text), -32768, 32767, 99), c.expected) << c.text;
}

TEST(ConfigText, DecimalsReadInTheWrittenAndTheItalianForm)
{
    struct Case {
        const char* text;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"32.5", 32.5},          {"32,5", 32.5},          {" 0.05 ", 0.05},      {"-1", -1},
        {"1e3", 1000},           {"1.234,5", 1234.5},     {"", std::nullopt},    {"abc", std::nullopt},
        {"12abc", std::nullopt}, {"1e999", std::nullopt}, {"nan", std::nullopt}, {"inf", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(config::ReadDecimal(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(ConfigText, DatesReadInIsoAndItalianForms)
{
    struct Case {
        const char* text;
        QDate expected;
    };
    const Case cases[] = {
        {"2021-03-04", QDate(2021, 3, 4)},
        {"04/03/2021", QDate(2021, 3, 4)},
        {"4/3/2021", QDate(2021, 3, 4)},
        {"04/03/21", QDate(2021, 3, 4)},
        {"04/03/98", QDate(1998, 3, 4)},
        {"31/02/2021", QDate()},
        {"yesterday", QDate()},
        {"", QDate()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(config::ReadDate(QString::fromUtf8(c.text)).value_or(QDate()), c.expected) << c.text;
}

TEST(ConfigText, WrittenNumbersReadBackExactly)
{
    for (double v : {0.05, 1000.0, -0.1, 1e-7, 123456789.125})
        EXPECT_EQ(config::ReadDecimal(config::WriteDouble(v)), v);
    for (float v : {32.5f, 0.1f, 88.0f, 165.0f})
        EXPECT_EQ(static_cast<float>(*config::ReadDecimal(config::WriteFloat(v))), v);
    EXPECT_EQ(config::WriteFloat(0.1f), QStringLiteral("0.1"));
    EXPECT_EQ(config::WriteDouble(0.05), QStringLiteral("0.05"));
}

TEST_F(ConfigurationTest, EmptyStoreGivesTheDefaults)
{
    LoadConfiguration();
    EXPECT_EQ(settings().RootDir, DataFolderPath());
    EXPECT_EQ(settings().AccessMode, 0);
    EXPECT_TRUE(settings().UseDateSelection);
    EXPECT_FALSE(settings().Use_Ricevute);
    EXPECT_EQ(settings().Default_UnitaMisura, QStringLiteral("QntPzz"));
    EXPECT_EQ(settings().Default_CodiceIVA, QStringLiteral("IVA20"));
    EXPECT_EQ(settings().BalanceCOMPortNumber, 1);
    EXPECT_EQ(settings().BalanceCOMPortParam, QStringLiteral("19200,n,8,1"));
    EXPECT_EQ(settings().NCopyRicevute, QStringLiteral("1"));
    EXPECT_EQ(settings().LabelPrinterParam.ModuleColumns, 2);
    EXPECT_EQ(settings().LabelPrinterParam.VBScript, DefaultLabelScript());
    EXPECT_FLOAT_EQ(settings().LabelPrinterParam.LabelHeight, 32.5f);
    EXPECT_EQ(settings().TicketPrinterParam.VBScript, DefaultTicketScript());
    EXPECT_FLOAT_EQ(settings().TicketPrinterParam.TicketRowsBottom, 165.0f);
    EXPECT_DOUBLE_EQ(settings().ImportoPuntoPremio, 0.05);
    EXPECT_DOUBLE_EQ(settings().PuntiMinPremio, 1000);
    EXPECT_TRUE(settings().BackupFuncSaveEnabled);
    EXPECT_TRUE(settings().BackupFuncEnableDelete);
    EXPECT_EQ(settings().DBStarted, QDate(2024, 2, 29));
    EXPECT_DOUBLE_EQ(settings().ValoreArrotondamento, 0.5);
    EXPECT_TRUE(settings().ArrotondaInEccesso);
    EXPECT_FALSE(settings().UseRoundRanges);
    EXPECT_EQ(settings().BarcodeReaderParam.COMPortNumber, 0);
    EXPECT_EQ(settings().BarcodeReaderParam.VBFilterScript, DefaultBarCodeFilterScript());
    EXPECT_EQ(settings().FiscalPrinterParam.Timout, 5000);
    EXPECT_EQ(settings().DefaultDepartment, 4);
    EXPECT_TRUE(settings().FiscalPrinterParam.SendDescription);
    EXPECT_EQ(settings().MagneticDevParam.COMPortNumber, 1);
    EXPECT_EQ(settings().MagneticDevParam.VBFilterScript, DefaultCodeFilterScript());
}

TEST_F(ConfigurationTest, ReceiptsFallBackToTheOlderKeyUntilSaved)
{
    put("Configuration", "Use_Fattura", QStringLiteral("True"));
    LoadConfiguration();
    EXPECT_TRUE(settings().Use_Ricevute);
    SaveConfiguration();
    EXPECT_EQ(stored("Configuration", "Use_Ricevute"), QStringLiteral("True"));
    put("Configuration", "Use_Fattura", QStringLiteral("False"));
    LoadConfiguration();
    EXPECT_TRUE(settings().Use_Ricevute);
    put("Configuration", "Use_Ricevute", QString());   // stored empty: the older key again
    LoadConfiguration();
    EXPECT_FALSE(settings().Use_Ricevute);
}

TEST_F(ConfigurationTest, ReceiptScriptGainsTheInformationFunctionOnlyWhenItLacksIt)
{
    const QString own = QStringLiteral("Function PrintTicketMask(a,b,c,prn,t)\r\nEnd Function\r\n");
    put("TicketPrinterParam", "VBScript", own);
    LoadConfiguration();
    EXPECT_EQ(settings().TicketPrinterParam.VBScript, own + DefaultTicketInfoFunction());

    const QString mentions = QStringLiteral("' PrintTicketInfo lives elsewhere\r\n");
    put("TicketPrinterParam", "VBScript", mentions);
    LoadConfiguration();
    EXPECT_EQ(settings().TicketPrinterParam.VBScript, mentions);

    put("TicketPrinterParam", "VBScript", QStringLiteral("printticketinfo"));   // the search keeps case
    LoadConfiguration();
    EXPECT_EQ(settings().TicketPrinterParam.VBScript,
              QStringLiteral("printticketinfo\r\n") + DefaultTicketInfoFunction());
}

TEST_F(ConfigurationTest, IntegerSettingsReadTheLeadingNumber)
{
    struct Case {
        const char* text;
        int progrLen;
        int columns;
        int ticketColumns;
    };
    // The columns default to 2 (labels) and 1 (receipts): a value that does not fit 16 bits,
    // or a negative count, shows the default. 0 columns is a count the print objects take
    // (as one), so it loads as 0, also when read from a text without a number.
    const Case cases[]
        = {{"6", 6, 6, 6},     {"8 cifre", 8, 8, 8}, {"x8", 0, 0, 0},          {"", 0, 0, 0},    {"0", 0, 0, 0},
           {"70000", 0, 2, 1}, {"5.5", 6, 6, 6},     {"-32768", -32768, 2, 1}, {"-5", -5, 2, 1}, {"1", 1, 1, 1}};
    for (const Case& c : cases) {
        put("Configuration", "ProgrLen_ClientiForn", QString::fromUtf8(c.text));
        put("LabelPrinterParam", "ModuleColumns", QString::fromUtf8(c.text));
        put("TicketPrinterParam", "ModuleColumns", QString::fromUtf8(c.text));
        LoadConfiguration();
        EXPECT_EQ(settings().ProgrLen_ClientiForn, c.progrLen) << c.text;
        EXPECT_EQ(settings().LabelPrinterParam.ModuleColumns, c.columns) << c.text;
        EXPECT_EQ(settings().TicketPrinterParam.ModuleColumns, c.ticketColumns) << c.text;
    }
}

// The number of receipt copies is text taken as a count where used: what is no count an
// Integer holds loads as the default.
TEST_F(ConfigurationTest, ReceiptCopiesOutOfRangeTakeTheDefault)
{
    struct Case {
        const char* text;
        const char* loaded;
    };
    const Case cases[] = {{"2", "2"},  {"0", "0"},   {"32767", "32767"}, {"99999999999", "1"}, {"32768", "1"},
                          {"-1", "1"}, {"abc", "1"}, {"", "1"},          {"1e999", "1"}};
    for (const Case& c : cases) {
        put("Configuration", "NCopyRicevute", QString::fromUtf8(c.text));
        LoadConfiguration();
        EXPECT_EQ(settings().NCopyRicevute, QString::fromUtf8(c.loaded)) << c.text;
    }
}

TEST_F(ConfigurationTest, SaveWritesEverySavedSettingAndNothingElse)
{
    put("Configuration", "MaintenanceDir", QStringLiteral("/srv/copie"));
    put("Configuration", "UseDateSelection", QStringLiteral("False"));
    LoadConfiguration();
    settings().MaintenanceDir = QStringLiteral("/changed");
    settings().UseDateSelection = true;
    settings().Use_Fattura = true;
    SaveConfiguration();
    EXPECT_EQ(stored("Configuration", "MaintenanceDir"), QStringLiteral("/srv/copie"));
    EXPECT_EQ(stored("Configuration", "UseDateSelection"), QStringLiteral("False"));
    EXPECT_EQ(stored("Configuration", "Use_Fattura"), QStringLiteral("<missing>"));
    for (const config::SettingLine& line : config::CurrentSettings()) {
        if (!line.saved) continue;
        EXPECT_EQ(store->get(line.section, line.key, QStringLiteral("<missing>")), line.value)
            << qPrintable(line.section + u'/' + line.key);
    }
    // Device sections belong to their own dialogs.
    EXPECT_TRUE(store->keys(QStringLiteral("FiscalPrinterParam")).isEmpty());
    EXPECT_EQ(config::CurrentSettings().size(), 55);
}

TEST_F(ConfigurationTest, SavedValuesLoadBackUnchanged)
{
    LoadConfiguration();
    settings().RootDir = QStringLiteral("/home/negozio/archivio");
    settings().AccessMode = 2;
    settings().ProgrLen_ClientiForn = 6;
    settings().LabelPrinterParam.LabelHeight = 31.7f;
    settings().TicketPrinterParam.TicketRowsDim = 4.25f;
    settings().ImportoPuntoPremio = 0.07;
    settings().ImportoMaxArticolo = 12345.678;
    settings().BkpSaveNotify = 3;
    const QDate started = settings().DBStarted;
    SaveConfiguration();
    EXPECT_EQ(stored("Info", "DBStarted"), QStringLiteral("2024-02-29"));
    EXPECT_EQ(stored("LabelPrinterParam", "LabelHeight"), QStringLiteral("31.7"));

    clock->set(QDateTime(QDate(2025, 1, 1), QTime(8, 0)));
    settings().RootDir.clear();
    settings().LabelPrinterParam.LabelHeight = 0;
    settings().ImportoMaxArticolo = 0;
    LoadConfiguration();
    EXPECT_EQ(settings().RootDir, QStringLiteral("/home/negozio/archivio"));
    EXPECT_EQ(settings().AccessMode, 2);
    EXPECT_EQ(settings().ProgrLen_ClientiForn, 6);
    EXPECT_EQ(settings().LabelPrinterParam.LabelHeight, 31.7f);
    EXPECT_EQ(settings().TicketPrinterParam.TicketRowsDim, 4.25f);
    EXPECT_EQ(settings().ImportoPuntoPremio, 0.07);
    EXPECT_EQ(settings().ImportoMaxArticolo, 12345.678);
    EXPECT_EQ(settings().BkpSaveNotify, 3);
    EXPECT_EQ(settings().DBStarted, started);   // kept, not today's date
}

// A scoped object starts as the one in force, takes every change, and leaves the one before
// it as it was; the table loads into and saves from whichever object is in force.
TEST_F(ConfigurationTest, ScopedSettingsTakeTheChangesOfTheirScope)
{
    LoadConfiguration();
    const double points = settings().ImportoPunto;
    {
        ScopedSettings outer;
        outer->ImportoPunto = points + 1;
        EXPECT_EQ(settings().ImportoPunto, points + 1);
        {
            ScopedSettings inner;
            EXPECT_EQ(inner->ImportoPunto, points + 1) << "starts as the object in force";
            put("Configuration", "ImportoPunto", QStringLiteral("7.5"));
            put("FiscalPrinterParam", "DescriptionLen", QStringLiteral("12"));
            LoadConfiguration();
            EXPECT_EQ(inner->ImportoPunto, 7.5);
            EXPECT_EQ(inner->FiscalPrinterParam.DescriptionLen, 12);
            inner->Default_CodiceIVA = QStringLiteral("IVA4");
            inner->LabelPrinterParam.LabelWidth = 70.5f;
            SaveConfiguration();
            EXPECT_EQ(stored("Configuration", "Default_CodiceIVA"), QStringLiteral("IVA4"));
            EXPECT_EQ(stored("LabelPrinterParam", "LabelWidth"), QStringLiteral("70.5"));
        }
        EXPECT_EQ(settings().ImportoPunto, points + 1);
        EXPECT_EQ(settings().FiscalPrinterParam.DescriptionLen, 20);
        EXPECT_EQ(settings().Default_CodiceIVA, QStringLiteral("IVA20"));
        EXPECT_EQ(settings().LabelPrinterParam.LabelWidth, 88.0f);
    }
    EXPECT_EQ(settings().ImportoPunto, points);
}

TEST_F(ConfigurationTest, ValuesOfTheRegionalFormLoad)
{
    put("LabelPrinterParam", "LabelWidth", QStringLiteral("70,5"));
    put("Configuration", "ImportoPunto", QStringLiteral("2,5"));
    put("Info", "DBStarted", QStringLiteral("15/06/2003"));
    LoadConfiguration();
    EXPECT_FLOAT_EQ(settings().LabelPrinterParam.LabelWidth, 70.5f);
    EXPECT_DOUBLE_EQ(settings().ImportoPunto, 2.5);
    EXPECT_EQ(settings().DBStarted, QDate(2003, 6, 15));
}

TEST_F(ConfigurationTest, BackupArchiveModeSavesNothing)
{
    LoadConfiguration();
    g_bBackupArchiveMode = true;
    settings().AutoSaveOnExit = true;
    SaveConfiguration();
    EXPECT_TRUE(store->keys(QStringLiteral("Configuration")).isEmpty());
    EXPECT_TRUE(store->keys(QStringLiteral("Info")).isEmpty());
}

TEST_F(ConfigurationTest, DeviceSectionsReadLeniently)
{
    put("FiscalPrinterParam", "SendDescription", QStringLiteral(" falso "));
    put("FiscalPrinterParam", "Type", QStringLiteral("tre"));
    put("FiscalPrinterParam", "DefaultDepartment", QStringLiteral("7 (frutta)"));
    put("FiscalPrinterParam", "DescriptionLen", QStringLiteral("99999"));
    put("MagneticDevParam", "COMPortNumber", QStringLiteral("COM2"));
    put("MagneticDevParam", "Type", QStringLiteral("9999"));
    put("BarcodeReaderParam", "VBFilterScript", QString());
    LoadConfiguration();
    EXPECT_FALSE(settings().FiscalPrinterParam.SendDescription);
    EXPECT_EQ(settings().FiscalPrinterParam.Type, 0);
    EXPECT_EQ(settings().DefaultDepartment, 7);
    EXPECT_EQ(settings().FiscalPrinterParam.DescriptionLen, 20);   // does not fit 16 bits: default
    EXPECT_EQ(settings().MagneticDevParam.COMPortNumber, 0);
    EXPECT_EQ(settings().MagneticDevParam.Type, 9999);
    EXPECT_EQ(settings().BarcodeReaderParam.VBFilterScript, QString());   // stored empty stays empty
}

TEST_F(ConfigurationTest, DeviceSaversWriteTheirSectionAndMarkTheFilterStale)
{
    LoadConfiguration();
    settings().FiscalPrinterParam.Type = 3;
    settings().FiscalPrinterParam.SendDisplay = false;
    settings().DefaultDepartment = 2;
    SaveFiscalPrinterSettings();
    EXPECT_EQ(stored("FiscalPrinterParam", "Type"), QStringLiteral("3"));
    EXPECT_EQ(stored("FiscalPrinterParam", "SendDisplay"), QStringLiteral("False"));
    EXPECT_EQ(stored("FiscalPrinterParam", "DefaultDepartment"), QStringLiteral("2"));
    EXPECT_EQ(stored("FiscalPrinterParam", "Timout"), QStringLiteral("5000"));

    const uint64_t before = BarcodeReaderSettingsRevision();
    settings().BarcodeReaderParam.COMPortNumber = 2;
    SaveBarcodeReaderParam();
    EXPECT_EQ(BarcodeReaderSettingsRevision(), before + 1);
    EXPECT_EQ(stored("BarcodeReaderParam", "COMPortNumber"), QStringLiteral("2"));

    const uint64_t cards = MagneticDevSettingsRevision();
    settings().MagneticDevParam.Type = 9999;
    SaveMagneticDevSettings();
    EXPECT_EQ(MagneticDevSettingsRevision(), cards + 1);
    EXPECT_EQ(stored("MagneticDevParam", "Type"), QStringLiteral("9999"));
}

// A settings file damaged by hand or by a crash: garbage values, numbers beyond every type,
// lines without "=" and an unterminated section header. Loading takes the defaults of the
// keys it cannot read and keeps what it can.
TEST(ConfigurationBadInput, DamagedSettingsFileLoadsWithDefaults)
{
    testenv::HeadlessGuard headless;
    const QString path = testenv::newDir(QStringLiteral("badini")) + QStringLiteral("/Mirtavolia.ini");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Configuration]\n"
            "AccessMode=99999999999999999999\n"
            "ProgrLen_ClientiForn=1e400\n"
            "BkpSaveNotify=-\n"
            "ImportoPunto=\xff\xfe garbage\n"
            "ImportoPuntoPremio=1e999\n"
            "PuntiMinPremio=12,3,4\n"
            "this line has no equals sign\n"
            "=value without key\n"
            "Default_CodiceIVA=IVA22\n"
            "[LabelPrinterParam\n"
            "LabelHeight=1e39\n"
            "[LabelPrinterParam]\n"
            "LabelWidth=4e38\n"
            "ModuleColumns=-999999\n"
            "[TicketPrinterParam]\n"
            "TicketRowsTop=abc\n"
            "[Info]\n"
            "DBStarted=32/13/2020\n"
            "[FiscalPrinterParam]\n"
            "Timout=999999999999\n"
            "CommandWait=\x01\x02\n"
            "[BalanceParam]\n"
            "COMPortNumber=65536\n");
    f.write(QByteArray(2000, '\0'));
    f.write("\n[Configuration]\nUseRoundRanges=True\nArrotondaValore1=\xc3\xa8\xc3\xa8\nArrotondaDaPrezzo1=9e99\n");
    // An unterminated quote spoils its own line only: the value is no number, the next line counts.
    f.write("ValoreArrotondamento=\"0.25\nNCopyRicevute=3\n");
    f.close();

    setSettingsStore(std::make_shared<IniSettingsStore>(path));
    headless.useManualClock(QDateTime(QDate(2023, 5, 6), QTime(12, 0)));
    g_bBackupArchiveMode = false;
    ASSERT_NO_THROW(LoadConfiguration());

    EXPECT_EQ(settings().AccessMode, 0);
    EXPECT_EQ(settings().ProgrLen_ClientiForn, 0);
    EXPECT_EQ(settings().BkpSaveNotify, 0);
    EXPECT_DOUBLE_EQ(settings().ImportoPunto, 1);
    EXPECT_DOUBLE_EQ(settings().ImportoPuntoPremio, 0.05);
    EXPECT_DOUBLE_EQ(settings().PuntiMinPremio, 1000);
    EXPECT_DOUBLE_EQ(settings().ValoreArrotondamento, 0.5);
    EXPECT_EQ(settings().Default_CodiceIVA, QStringLiteral("IVA22"));
    EXPECT_FLOAT_EQ(settings().LabelPrinterParam.LabelHeight, 32.5f);
    EXPECT_FLOAT_EQ(settings().LabelPrinterParam.LabelWidth, 88.0f);
    EXPECT_EQ(settings().LabelPrinterParam.ModuleColumns, 2);
    EXPECT_FLOAT_EQ(settings().TicketPrinterParam.TicketRowsTop, 85.0f);
    EXPECT_EQ(settings().DBStarted, QDate(2023, 5, 6));
    EXPECT_EQ(settings().FiscalPrinterParam.Timout, 5000);
    EXPECT_EQ(settings().FiscalPrinterParam.CommandWait, 0);   // no leading number: 0, as the store reads it
    EXPECT_EQ(settings().BalanceCOMPortNumber, 1);
    EXPECT_EQ(settings().NCopyRicevute, QStringLiteral("3"));
    ASSERT_EQ(g_colRoundRanges.size(), 1);
    EXPECT_EQ(g_colRoundRanges[0]->RoundValue(), Currency());
    EXPECT_EQ(g_colRoundRanges[0]->FromValue(), Currency());

    // The defaults are what the next save writes back, in the locale-independent form.
    ASSERT_NO_THROW(SaveConfiguration());
    IniSettingsStore again(path);
    EXPECT_EQ(again.get(QStringLiteral("Configuration"), QStringLiteral("ImportoPuntoPremio"), QString()),
              QStringLiteral("0.05"));
    EXPECT_EQ(again.get(QStringLiteral("Info"), QStringLiteral("DBStarted"), QString()), QStringLiteral("2023-05-06"));
}

}   // namespace
