#include "core/configuration/DefaultScripts.h"
#include "core/configuration/DeviceSettings.h"
#include "devices/codefilter/ui/FilterScriptBox.h"
#include "HeadlessGuard.h"
#include "core/seams/MainWindowServices.h"
#include "TestEnvironment.h"
#include "devices/barcode/ui/frmOptionsBarcode.h"
#include "devices/barcode/modBarcodeReader.h"
#include "devices/codefilter/ScriptCodeFilter.h"
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
class MainWindowStandIn : public MainWindowServices {
public:
    QWidget* mainWidget() override { return &widget; }
    bool OptionsActive() const override { return active; }
    void SetOptionsActive(bool a) override { active = a; }
    void SetStatusMsg(const QString&) override { }
    void ReleaseDatabase() override { }
    void RefreshDetailView() override { }
    QWidget widget;
    bool active = false;
};

class OptionsBarcode : public ::testing::Test {
protected:
    void SetUp() override
    {
        setMainWindowServices(&main);
        LoadBarcodeReaderParam();
    }
    void TearDown() override { setMainWindowServices(nullptr); }
    template <class W> W* child(QWidget& w, const char* name) { return w.findChild<W*>(QString::fromLatin1(name)); }
    QString stored(const char* key)
    {
        return settings->get(QStringLiteral("BarcodeReaderParam"), QString::fromLatin1(key), QStringLiteral("<none>"));
    }

    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
    MainWindowStandIn main;
};

QString fileText(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}
}   // namespace

TEST_F(OptionsBarcode, OpensOnTheStoredSettingsAndKeepsTheMainWindowAsideMeanwhile)
{
    {
        frmOptionsBarcode w;
        EXPECT_EQ(w.windowTitle(), QStringLiteral("Impostazioni"));
        EXPECT_TRUE(main.active);
        EXPECT_FALSE(main.widget.isEnabled());
        auto* port = child<QComboBox>(w, "cboCOMPort");
        auto* params = child<QComboBox>(w, "txtCOMParam");
        ASSERT_EQ(port->count(), 9);
        EXPECT_EQ(port->currentText(), QStringLiteral("[nessuno]"));
        EXPECT_FALSE(params->isEnabled());
        EXPECT_EQ(params->currentText(), QStringLiteral("9600,n,8,1"));
        EXPECT_EQ(w.ScriptBox().Script(), DefaultBarCodeFilterScript());
        port->setCurrentIndex(3);
        EXPECT_TRUE(params->isEnabled());
        EXPECT_EQ(port->currentText(), QStringLiteral("COM3"));
        port->setCurrentIndex(0);
        EXPECT_FALSE(params->isEnabled());
    }
    EXPECT_FALSE(main.active);
    EXPECT_TRUE(main.widget.isEnabled());
}

TEST_F(OptionsBarcode, OkStoresTheSettingsAndTheNextScanUsesTheNewScript)
{
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("7")), QStringLiteral("7"));
    frmOptionsBarcode w;
    child<QComboBox>(w, "cboCOMPort")->setCurrentIndex(2);
    child<QComboBox>(w, "txtCOMParam")->setCurrentText(QStringLiteral("9600,e,7,2"));
    const QString script
        = QStringLiteral("Function BarCodeFilter(c)\r\n  BarCodeFilter = \"N\" & c\r\nEnd Function\r\n");
    w.ScriptBox().SetScript(script);
    child<QPushButton>(w, "cmdOK")->click();
    EXPECT_EQ(w.result(), QDialog::Accepted);
    EXPECT_EQ(stored("COMPortNumber"), QStringLiteral("2"));
    EXPECT_EQ(stored("COMPortParam"), QStringLiteral("9600,e,7,2"));
    EXPECT_EQ(stored("VBFilterScript"), script);
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("7")), QStringLiteral("N7"));
}

TEST_F(OptionsBarcode, CancelStoresNothing)
{
    frmOptionsBarcode w;
    child<QComboBox>(w, "cboCOMPort")->setCurrentIndex(2);
    child<QPushButton>(w, "cmdCancel")->click();
    EXPECT_EQ(w.result(), QDialog::Rejected);
    EXPECT_EQ(stored("COMPortNumber"), QStringLiteral("<none>"));
    EXPECT_EQ(::settings().BarcodeReaderParam.COMPortNumber, 0);
}

TEST_F(OptionsBarcode, TestRunsTheEditorsScriptAndLeavesTheStoredFilterInUse)
{
    ::settings().BarcodeReaderParam.VBFilterScript
        = QStringLiteral("Function BarCodeFilter(c)\r\n  BarCodeFilter = \"S\" & c\r\nEnd Function\r\n");
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("1")), QStringLiteral("S1"));
    frmOptionsBarcode w;
    w.ScriptBox().SetScript(
        QStringLiteral("Function BarCodeFilter(c)\r\n  BarCodeFilter = Left(c, 3)\r\nEnd Function\r\n"));
    for (const char* answer : {"12345", "", "<cancel>"}) ui->addAnswer(QString::fromLatin1(answer));
    for (int i = 0; i < 3; ++i) child<QPushButton>(w, "cmdTest")->click();
    EXPECT_EQ(ui->prompts(),
              (QStringList {QStringLiteral("Imposta un codice a barre di test:\r"),
                            QStringLiteral("Il codice risultante è:\r123"),
                            QStringLiteral("Imposta un codice a barre di test:\r"),
                            QStringLiteral("Imposta un codice a barre di test:\r")}));
    EXPECT_EQ(ApplyBarCodeFilter(QStringLiteral("1")), QStringLiteral("S1"));

    // An annulled code shows nothing; an empty editor tries the stored filter.
    ui->clearLog();
    w.ScriptBox().Default();
    ui->addAnswer(QStringLiteral("123\t"));
    child<QPushButton>(w, "cmdTest")->click();
    w.ScriptBox().SetScript(QString());
    ui->addAnswer(QStringLiteral("9"));
    child<QPushButton>(w, "cmdTest")->click();
    EXPECT_EQ(ui->prompts(),
              (QStringList {QStringLiteral("Imposta un codice a barre di test:\r"),
                            QStringLiteral("Imposta un codice a barre di test:\r"),
                            QStringLiteral("Il codice risultante è:\rS9")}));
}

TEST_F(OptionsBarcode, LoadAndSaveTheScriptFile)
{
    const QString dir = testenv::newDir(QStringLiteral("scripts"));
    const QString path = dir + QStringLiteral("/Filtro.vbs");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Function BarCodeFilter(c)\n  BarCodeFilter = c\rEnd Function");
    }
    frmOptionsBarcode w;
    ui->addAnswer(path);
    child<QPushButton>(w, "cmdLoad")->click();
    EXPECT_EQ(w.ScriptBox().Script(),
              QStringLiteral("Function BarCodeFilter(c)\r\n  BarCodeFilter = c\r\nEnd Function\r\n"));

    // Cancelled, and a file that is not there: the editor keeps its text.
    ui->addAnswer(QStringLiteral("<cancel>"));
    child<QPushButton>(w, "cmdLoad")->click();
    ui->addAnswer(dir + QStringLiteral("/Manca.vbs"));
    child<QPushButton>(w, "cmdLoad")->click();
    EXPECT_EQ(ui->prompts().size(), 4);   // three file dialogs and the error
    EXPECT_EQ(w.ScriptBox().Script(),
              QStringLiteral("Function BarCodeFilter(c)\r\n  BarCodeFilter = c\r\nEnd Function\r\n"));

    // Saving over the file asks first; No leaves it, Yes replaces it with one line end more.
    w.ScriptBox().Default();
    ui->clearLog();
    for (const QString& a : {path, QStringLiteral("No"), path, QStringLiteral("Yes")}) ui->addAnswer(a);
    child<QPushButton>(w, "cmdSave")->click();
    EXPECT_TRUE(fileText(path).startsWith(QStringLiteral("Function BarCodeFilter(c)\n")));
    child<QPushButton>(w, "cmdSave")->click();
    EXPECT_EQ(fileText(path), DefaultBarCodeFilterScript() + QStringLiteral("\r\n"));
    EXPECT_EQ(ui->prompts().count(QStringLiteral("Il file esiste già...\r\rVuoi sostituirlo ?")), 2);
}

TEST_F(OptionsBarcode, AHeadlessRunFillsTheDialogFromItsAnswerLine)
{
    struct Case {
        const char* what;
        std::initializer_list<const char*> lines;
        const char* port;   // stored, or "<none>"
        const char* params;
        const char* message;   // the refusal shown, if any
    };
    const Case cases[] = {
        {"values, then OK", {"OK\tcboCOMPort=com3\ttxtCOMParam=9600,e,7,2"}, "3", "9600,e,7,2", nullptr},
        {"Esci", {"Esci"}, "<none>", "<none>", nullptr},
        {"cancelled", {"<cancel>"}, "<none>", "<none>", nullptr},
        {"settings of a port not chosen",
         {"OK\ttxtCOMParam=4800,n,8,1", "OK", "OK\tcboCOMPort=COM1"},
         "1",
         "9600,n,8,1",
         "Il campo \"txtCOMParam\" non è modificabile."},
        {"a port the list does not offer",
         {"OK\tcboCOMPort=COM9", "OK", "<cancel>"},
         "<none>",
         "<none>",
         "\"COM9\" non è tra le scelte di \"cboCOMPort\"."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings = std::make_shared<MemorySettingsStore>();
        setSettingsStore(settings);
        LoadBarcodeReaderParam();
        ui->clearLog();
        for (const char* line : c.lines) ui->addAnswer(QString::fromUtf8(line));
        frmOptionsBarcode::ShowModal(&main.widget);
        EXPECT_FALSE(ui->hasAnswers());
        EXPECT_EQ(ui->log().first(), QStringLiteral("INPUT: [frmOptionsBarcode] OK / Esci"));
        EXPECT_EQ(stored("COMPortNumber"), QString::fromUtf8(c.port));
        EXPECT_EQ(stored("COMPortParam"), QString::fromUtf8(c.params));
        EXPECT_EQ(ui->log().filter(QStringLiteral("MSGBOX: ")),
                  c.message ? QStringList {QStringLiteral("MSGBOX: ") + QString::fromUtf8(c.message)} : QStringList());
        EXPECT_FALSE(main.active);
    }
}
