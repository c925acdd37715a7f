// The register options dialog, offscreen: the controls each register type uses, what OK
// stores, the hints, and the test receipt against a simulated or faked register.
#include "ComponentFixture.h"
#include "objdb/CurrencyInfo.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "devices/simulators/EllisseSimulator.h"
#include "devices/fiscal/FiscalOptions.h"
#include "devices/fiscal/ui/frmFiscalOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

namespace {
class FiscalOptionsTest : public ComponentTest {
protected:
    void TearDown() override
    {
        g_objDatabase.reset();
        ComponentTest::TearDown();
    }
    template <class W = QWidget> static W* control(QWidget& w, const char* name)
    {
        auto* c = w.findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    static QComboBox* types(QWidget& w) { return control<QComboBox>(w, "cmbRegType"); }
    static void choose(QWidget& w, int32_t type) { types(w)->setCurrentIndex(types(w)->findData(type)); }
    static QString stored(const char* key)
    {
        return settingsStore().get(QStringLiteral("FiscalPrinterParam"), QString::fromLatin1(key),
                                   QStringLiteral("<none>"));
    }
    void openDatabaseWithEuro()
    {
        g_objDatabase = std::make_shared<Database>(nullptr, QStringLiteral("Negozio"), nullptr);
        g_objDatabase->SetCurrency(std::make_shared<EuroCurrencyInfo>());
    }
};
}

TEST_F(FiscalOptionsTest, EachTypeEnablesTheSettingsItUses)
{
    struct Case {
        int32_t type;   // INT32_MIN: nothing chosen
        bool port, parameters, timeout, wait, receipt;
    };
    const Case cases[] = {
        {INT32_MIN, false, false, false, false, false},
        {RegisterType::None, false, false, false, false, false},
        {RegisterType::NoLocalDriver, false, false, false, false, false},
        {RegisterType::SIDSmart, false, false, false, false, true},
        {RegisterType::RCHNucleo, true, false, false, false, true},
        {RegisterType::CRF4600, true, true, true, true, true},
        {RegisterType::Ellisse, true, true, true, false, true},
        {RegisterType::RCHG600, true, true, true, false, true},
        {RegisterType::OlivettiELA, true, true, true, false, true},
    };
    frmFiscalOptions w;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        choose(w, RegisterType::None);
        control<QComboBox>(w, "cboCOMPortReg")->setCurrentIndex(3);
        if (c.type == INT32_MIN)
            types(w)->setCurrentIndex(-1);
        else
            choose(w, c.type);
        EXPECT_EQ(control(w, "cboCOMPortReg")->isEnabled(), c.port);
        EXPECT_EQ(control(w, "txtCOMParamReg")->isEnabled(), c.parameters);
        EXPECT_EQ(control(w, "mebTimeoutReg")->isEnabled(), c.timeout);
        EXPECT_EQ(control(w, "mebTmCmdReg")->isEnabled(), c.wait);
        for (const char* name : {"mebDepartmentReg", "mebMaxDescrLen", "chkSendDescrReg", "chkSendDescrDisplay"})
            EXPECT_EQ(control(w, name)->isEnabled(), c.receipt) << name;
        // The SID register program always speaks on COM1.
        EXPECT_EQ(control<QComboBox>(w, "cboCOMPortReg")->currentText(),
                  c.type == RegisterType::SIDSmart ? QStringLiteral("COM1") : QStringLiteral("COM3"));
    }
}

TEST_F(FiscalOptionsTest, OkStoresEveryControlAndTheDialogReopensOnThem)
{
    frmFiscalOptions w;
    choose(w, RegisterType::CRF4600);
    control<QComboBox>(w, "cboCOMPortReg")->setCurrentIndex(2);
    control<QComboBox>(w, "txtCOMParamReg")->setCurrentText(QStringLiteral("9600,e,7,1"));
    control<QLineEdit>(w, "mebTmCmdReg")->setText(QStringLiteral("00350"));
    control<QLineEdit>(w, "mebTimeoutReg")->setText(QStringLiteral("2500"));
    control<QLineEdit>(w, "mebDepartmentReg")->setText(QStringLiteral("00007"));
    control<QLineEdit>(w, "mebMaxDescrLen")->setText(QStringLiteral("018"));
    control<QCheckBox>(w, "chkSendDescrReg")->setChecked(false);
    control<QCheckBox>(w, "chkSendDescrDisplay")->setChecked(true);
    control<QPushButton>(w, "cmdOK")->click();
    EXPECT_TRUE(w.Confirmed());

    const std::pair<const char*, const char*> expected[] = {
        {"Type", "0"},
        {"COMPortNumber", "2"},
        {"COMPortParam", "9600,e,7,1"},
        {"CommandWait", "350"},
        {"Timout", "2500"},
        {"DefaultDepartment", "7"},
        {"DescriptionLen", "18"},
        {"CurrencyConversion", "False"},
        {"SendDescription", "False"},
        {"SendDisplay", "True"},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(stored(key), QString::fromLatin1(value)) << key;

    LoadFiscalPrinterSettings();
    frmFiscalOptions again;
    EXPECT_EQ(types(again)->currentData().toInt(), RegisterType::CRF4600);
    EXPECT_EQ(control<QComboBox>(again, "cboCOMPortReg")->currentIndex(), 2);
    EXPECT_EQ(control<QLineEdit>(again, "mebTmCmdReg")->text(), QStringLiteral("00350"));
    EXPECT_EQ(control<QLineEdit>(again, "mebMaxDescrLen")->text(), QStringLiteral("018"));
    EXPECT_FALSE(control<QCheckBox>(again, "chkSendDescrReg")->isChecked());
}

TEST_F(FiscalOptionsTest, AStoredTypeNoChoiceOffersSelectsNothingAndIsStoredAsNone)
{
    settings().FiscalPrinterParam.Type = 13;
    frmFiscalOptions w;
    EXPECT_EQ(types(w)->currentIndex(), -1);
    control<QPushButton>(w, "cmdCancel")->click();
    EXPECT_EQ(stored("Type"), QStringLiteral("<none>"));   // Esci stores nothing

    frmFiscalOptions again;
    control<QPushButton>(again, "cmdOK")->click();
    EXPECT_EQ(stored("Type"), QStringLiteral("-1"));
}

TEST_F(FiscalOptionsTest, OpeningKeepsTheRegisterInUseAndPickingAnotherTypeReleasesIt)
{
    start(RegisterType::OlivettiELA);
    frmFiscalOptions w;
    EXPECT_TRUE(FiscalPrinterActive());
    w.show();
    EXPECT_TRUE(FiscalPrinterActive());
    choose(w, RegisterType::Ellisse);
    EXPECT_FALSE(FiscalPrinterActive());
}

TEST_F(FiscalOptionsTest, TheCurrencyBoxIsOfferedOnlyWithAConversionCurrency)
{
    settings().FiscalPrinterParam.Type = RegisterType::Ellisse;
    settings().FiscalPrinterParam.CurrencyConversion = true;
    settings().FiscalPrinterParam.SendDescription = true;
    settings().FiscalPrinterParam.SendDisplay = false;
    {
        frmFiscalOptions w;
        EXPECT_FALSE(control(w, "chkCurConvReg")->isEnabled());
        EXPECT_FALSE(control<QCheckBox>(w, "chkCurConvReg")->isChecked());
        EXPECT_TRUE(control<QCheckBox>(w, "chkSendDescrReg")->isChecked());
        EXPECT_FALSE(control<QCheckBox>(w, "chkSendDescrDisplay")->isChecked());
    }
    openDatabaseWithEuro();
    frmFiscalOptions w;
    auto* box = control<QCheckBox>(w, "chkCurConvReg");
    EXPECT_TRUE(box->isEnabled());
    EXPECT_TRUE(box->isChecked());
    EXPECT_EQ(box->text(), QStringLiteral("Usa valuta di conversione (Lire)"));
}

TEST_F(FiscalOptionsTest, TheHintNamesWhatToCheckOnTheChosenRegister)
{
    const QString head = QStringLiteral("INFORMAZIONI:\r\rSe viene attivata la funzione di emissione scontrini e il "
                                        "registratore di cassa non produce la stampa assicurarsi che ");
    struct Case {
        int32_t type;
        QString hint;
    };
    const Case cases[] = {
        {RegisterType::CRF4600,
         QStringLiteral("sia abilitata l'apposita opzione di Emissione Scontrini <904> nel registratore di cassa")},
        {RegisterType::RCHG2000, QStringLiteral("sia stato installato il Driver RCH (RCHCom) ")},
        {RegisterType::SIDSmart,
         QStringLiteral("sia stato installato il Driver SMARTComm, inoltre devono essere state attivate le opzioni di "
                        "comunicazione:\rDa programmazione <P> (Shift + P) impostare 40[ST]016[TOT] e 40[ST]020[TOT]")},
        {RegisterType::NoLocalDriver,
         QStringLiteral("sia abilitata l'apposita opzione di Emissione Scontrini nel registratore di cassa.\r\r"
                        "Consultare il manuale d'uso oppure contattare il supporto tecnico.")},
    };
    frmFiscalOptions w;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        ui->clearLog();
        choose(w, c.type);
        control<QPushButton>(w, "cmdInfo")->click();
        EXPECT_EQ(ui->prompts(), QStringList {head + c.hint});
    }
    ui->clearLog();
    types(w)->setCurrentIndex(-1);
    control<QPushButton>(w, "cmdInfo")->click();
    EXPECT_TRUE(ui->prompts().isEmpty());
}

// ---------------------------------------------------------------------------------------
// The test receipt

TEST_F(FiscalOptionsTest, TheTestReceiptIsOneRowOfTheSmallestAmountOnDepartmentOne)
{
    struct Case {
        int16_t decimals;
        const char* item;
    };
    const Case cases[] = {
        {2, "PrintRecItem(\"ARTICOLO PROVA\", 0.01, 1, 0, 0.01) = 0"},
        {0, "PrintRecItem(\"ARTICOLO PROVA\", 1, 1, 0, 1) = 0"},
        {3, "PrintRecItem(\"ARTICOLO PROVA\", 0.001, 1, 0, 0.001) = 0"},
    };
    settings().FiscalPrinterParam.Type = RegisterType::RCHNucleo;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.decimals);
        fakes.clearCalls();
        EXPECT_TRUE(SendTestReceipt(c.decimals));
        EXPECT_EQ(calls(QStringLiteral("PrintRecItem")), QStringList {QString::fromLatin1(c.item)});
        EXPECT_EQ(calls(QStringLiteral("EndFiscalReceipt")).size(), 1);
        EXPECT_FALSE(FiscalPrinterActive());   // released once printed
    }
    settings().FiscalPrinterParam.Type = 13;
    EXPECT_FALSE(SendTestReceipt(2));
}

// The register hears nothing after the call that failed, and the driver stays as the failure
// left it: the main window puts the register back in its saved state at its next activation.
TEST_F(FiscalOptionsTest, AnErrorDuringTheTestReceiptLeavesTheRegisterAsTheFailureFoundIt)
{
    openDatabaseWithEuro();
    settings().FiscalPrinterParam.Type = RegisterType::OlivettiELA;
    frmFiscalOptions w;
    fakes.answerNext(QStringLiteral("Vendita"), 9);
    ui->addAnswer(QStringLiteral("OK"));   // send the test receipt
    ui->addAnswer(QStringLiteral("No"));   // no details of the error
    w.Test();
    EXPECT_EQ(calls(QStringLiteral("Vendita")), QStringList {"Vendita(\"0,01\", \"ARTICOLO PROVA\", \"\") = 9"});
    EXPECT_TRUE(fakes.calls().last().startsWith(QStringLiteral("Vendita(")));
    EXPECT_TRUE(FiscalPrinterActive());
    EXPECT_TRUE(w.isEnabled());
    const QStringList prompts = ui->prompts();
    ASSERT_EQ(prompts.size(), 3);   // the beep, the question, the error
    EXPECT_EQ(
        prompts[1],
        QStringLiteral("Le impostazioni correnti verranno salvate...\r\rConfermi l'invio dello scontrino di prova ?"));
    EXPECT_TRUE(prompts[2].startsWith(QStringLiteral("Errore in stampa scontrino: \r\rErrore 9")));
    EXPECT_EQ(stored("Type"), QStringLiteral("12"));   // saved before the test
}

// Settings the register's factory refuses are shown by the dialog that asked for the test.
TEST_F(FiscalOptionsTest, ALineSpeedTheRegisterRefusesIsShownByTheDialog)
{
    settings().FiscalPrinterParam.Type = RegisterType::RCHG600;
    settings().FiscalPrinterParam.COMPortParam = QStringLiteral("14400,n,8,1");
    frmFiscalOptions w;
    ui->addAnswer(QStringLiteral("OK"));
    w.Test();
    const QStringList prompts = ui->prompts();
    ASSERT_EQ(prompts.size(), 3);   // the beep, the question, the refusal
    EXPECT_EQ(prompts[2], QStringLiteral("Velocita' imposta non valida (1200,2400,4800,9600 o 19200)"));
    EXPECT_TRUE(fakes.calls().isEmpty());
    EXPECT_FALSE(FiscalPrinterActive());
}

TEST_F(FiscalOptionsTest, ATestCancelledAtTheQuestionStoresAndSendsNothing)
{
    settings().FiscalPrinterParam.Type = RegisterType::OlivettiELA;
    frmFiscalOptions w;
    ui->addAnswer(QStringLiteral("Cancel"));
    w.Test();
    EXPECT_TRUE(fakes.calls().isEmpty());
    EXPECT_EQ(stored("Type"), QStringLiteral("<none>"));
}

using FiscalOptionsOnEllisse = RegisterTest<EllisseSimulator>;

TEST_F(FiscalOptionsOnEllisse, TheTestReceiptReachesTheRegisterAsKeys)
{
    g_objDatabase = std::make_shared<Database>(nullptr, QStringLiteral("Negozio"), nullptr);
    g_objDatabase->SetCurrency(std::make_shared<EuroCurrencyInfo>());
    settings().FiscalPrinterParam.Type = RegisterType::Ellisse;
    settings().FiscalPrinterParam.COMPortNumber = 1;
    frmFiscalOptions w;
    ui->addAnswer(QStringLiteral("OK"));
    w.Test();
    // 0.01 with two decimals is the key of digit 1, then the key of department 1, and the total.
    EXPECT_EQ(commands(4), (QList<QByteArray> {"064", "049", "071", "005"}));
    EXPECT_FALSE(FiscalPrinterActive());
    EXPECT_EQ(ui->prompts().size(), 2);   // the beep and the question: no error
    g_objDatabase.reset();
}

// ---------------------------------------------------------------------------------------
// Headless: the answer file fills the dialog

TEST_F(FiscalOptionsTest, AnAnswerLineSetsTheNamedControlsAndPressesOk)
{
    struct Case {
        const char* what;
        std::initializer_list<const char*> lines;
        const char* type;   // stored, or "<none>"
        const char* port;
        const char* timeout;
        const char* message;   // the refusal shown, if any
    };
    const Case cases[] = {
        {"values, then OK",
         {"ok\tcmbRegType=olivetti "
          "crf4600\tcboCOMPortReg=COM2\ttxtCOMParamReg=4800,n,8,1\tmebTimeoutReg=2500\tchkSendDescrReg=0"},
         "0",
         "2",
         "2500",
         nullptr},
        {"OK alone stores what the dialog shows", {"OK"}, "0", "1", "300", nullptr},
        {"Esci", {"Esci"}, "<none>", "<none>", "<none>", nullptr},
        {"cancelled", {"<cancel>"}, "<none>", "<none>", "<none>", nullptr},
        {"a choice the list does not offer, then another line",
         {"OK\tcmbRegType=RCH G9000", "OK", "OK\tcmbRegType=RCH G600"},
         "1",
         "1",
         "300",
         "\"RCH G9000\" non è tra le scelte di \"cmbRegType\"."},
        {"a control the dialog does not have",
         {"OK\tcboPorta=COM2", "OK", "<cancel>"},
         "<none>",
         "<none>",
         "<none>",
         "La finestra non ha il campo \"cboPorta\"."},
        {"a control the chosen type disables",
         {"OK\tcmbRegType=[NESSUNO]\tcboCOMPortReg=COM2", "OK", "Esci"},
         "<none>",
         "<none>",
         "<none>",
         "Il campo \"cboCOMPortReg\" non è modificabile."},
        {"a box typed with what it refuses",
         {"OK\tcmbRegType=RCH G600\tmebTimeoutReg=2s", "OK", "<cancel>"},
         "<none>",
         "<none>",
         "<none>",
         "\"2s\" non è un valore valido per \"mebTimeoutReg\"."},
        {"a tick box given neither 1 nor 0",
         {"OK\tcmbRegType=RCH G600\tchkSendDescrReg=sì", "OK", "<cancel>"},
         "<none>",
         "<none>",
         "<none>",
         "\"sì\" non è un valore valido per \"chkSendDescrReg\"."},
        {"a field that is no pair",
         {"OK\tCOM2", "OK", "<cancel>"},
         "<none>",
         "<none>",
         "<none>",
         "\"COM2\" non è nella forma campo=valore."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setSettingsStore(std::make_shared<MemorySettingsStore>());
        settings().FiscalPrinterParam = FiscalPrinterSettings {};
        settings().FiscalPrinterParam.Timout = kTimeoutMs;
        ui->clearLog();
        for (const char* line : c.lines) ui->addAnswer(QString::fromUtf8(line));
        frmFiscalOptions::ShowModal(nullptr);
        EXPECT_FALSE(ui->hasAnswers());
        EXPECT_EQ(ui->log().first(), QStringLiteral("INPUT: [frmFiscalOptions] OK / Esci"));
        EXPECT_EQ(stored("Type"), QString::fromUtf8(c.type));
        EXPECT_EQ(stored("COMPortNumber"), QString::fromUtf8(c.port));
        EXPECT_EQ(stored("Timout"), QString::fromUtf8(c.timeout));
        EXPECT_EQ(ui->log().filter(QStringLiteral("MSGBOX: ")),
                  c.message ? QStringList {QStringLiteral("MSGBOX: ") + QString::fromUtf8(c.message)} : QStringList());
    }
    EXPECT_EQ(stored("COMPortParam"), QStringLiteral("<none>"));
}

TEST_F(FiscalOptionsTest, ATypeChangedByAnAnswerReleasesTheRegisterInUse)
{
    start(RegisterType::OlivettiELA);
    ui->addAnswer(QStringLiteral("OK\tcmbRegType=OMEGA ELLISSE (stmpante fiscale)\tcboCOMPortReg=COM1"));
    frmFiscalOptions::ShowModal(nullptr);
    EXPECT_FALSE(FiscalPrinterActive());
    EXPECT_EQ(stored("Type"), QString::number(RegisterType::Ellisse));
}
