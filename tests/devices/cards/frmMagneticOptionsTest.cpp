#include "core/configuration/DefaultScripts.h"
#include "core/configuration/DeviceSettings.h"
#include "devices/codefilter/ui/FilterScriptBox.h"
#include "HeadlessGuard.h"
#include "devices/cards/ui/frmMagneticOptions.h"
#include "devices/cards/modMagneticDev.h"
#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
class CardOptions : public ::testing::Test {
protected:
    void SetUp() override { LoadMagneticDevSettings(); }
    QComboBox* combo(QWidget& w, const char* name) { return w.findChild<QComboBox*>(QString::fromLatin1(name)); }
    QString stored(const char* key)
    {
        return settings->get(QStringLiteral("MagneticDevParam"), QString::fromLatin1(key), QStringLiteral("<none>"));
    }

    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
};
}   // namespace

TEST_F(CardOptions, EachTypeSetsThePortControlsAndOkStoresIt)
{
    struct Case {
        int item;
        int port;
        const char* typeText;
        const char* storedType;
        const char* storedPort;
        bool portEnabled;
        bool paramsEnabled;
    };
    const Case cases[] = {
        {0, 1, "MSR 106 Series", "0", "1", true, true},
        {1, 3, "MSR 206HL Series (Alta coercività)", "1", "3", true, true},
        {2, 0, "MSR 206HL Series (Bassa coercività)", "2", "0", true, false},
        // Keyboard emulation has no port, whatever was chosen before.
        {3, 4, "Emulazione Tastiera", "9999", "0", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typeText);
        frmMagneticOptions w;
        combo(w, "cboCOMPort")->setCurrentIndex(c.port);
        combo(w, "cmbDevType")->setCurrentIndex(c.item);
        EXPECT_EQ(combo(w, "cmbDevType")->currentText(), QString::fromUtf8(c.typeText));
        EXPECT_EQ(combo(w, "cboCOMPort")->isEnabled(), c.portEnabled);
        EXPECT_EQ(combo(w, "txtCOMParam")->isEnabled(), c.paramsEnabled);
        combo(w, "txtCOMParam")->setCurrentText(QStringLiteral("9600,e,7,1"));
        w.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        EXPECT_TRUE(w.Confirmed());
        EXPECT_EQ(stored("Type"), QString::fromLatin1(c.storedType));
        EXPECT_EQ(stored("COMPortNumber"), QString::fromLatin1(c.storedPort));
        EXPECT_EQ(stored("COMPortParam"), QStringLiteral("9600,e,7,1"));

        frmMagneticOptions again;   // opens on what was stored
        EXPECT_EQ(combo(again, "cmbDevType")->currentIndex(), c.item);
        EXPECT_EQ(combo(again, "cboCOMPort")->currentIndex(), QString::fromLatin1(c.storedPort).toInt());
    }
}

TEST_F(CardOptions, StoredValuesNoItemShowsSelectNothingAndOkKeepsThem)
{
    ::settings().MagneticDevParam.Type = 42;
    ::settings().MagneticDevParam.COMPortNumber = 12;
    frmMagneticOptions w;
    EXPECT_EQ(combo(w, "cmbDevType")->currentIndex(), -1);
    EXPECT_EQ(combo(w, "cboCOMPort")->currentIndex(), -1);
    EXPECT_FALSE(combo(w, "txtCOMParam")->isEnabled());
    w.Ok();
    EXPECT_EQ(stored("Type"), QStringLiteral("42"));
    EXPECT_EQ(stored("COMPortNumber"), QStringLiteral("12"));
}

TEST_F(CardOptions, CancelStoresNothingAndTheScriptButtonsWork)
{
    ::settings().MagneticDevParam.VBFilterScript
        = QStringLiteral("Function CodeFilter(c)\r\n  CodeFilter = \"S\" & c\r\nEnd Function\r\n");
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("1")), QStringLiteral("S1"));
    frmMagneticOptions w;
    w.findChild<QPushButton*>(QStringLiteral("cmdDefault"))->click();
    EXPECT_EQ(w.ScriptBox().Script(), DefaultCodeFilterScript());
    EXPECT_EQ(w.findChild<QPushButton*>(QStringLiteral("cmdTest"))->toolTip(),
              QStringLiteral("Stampa una etichetta di prova"));
    ui->addAnswer(QStringLiteral(";123?"));
    w.findChild<QPushButton*>(QStringLiteral("cmdTest"))->click();
    EXPECT_EQ(ui->prompts(),
              (QStringList {QStringLiteral("Imposta un codice di test:\r"),
                            QStringLiteral("Il codice risultante è:\r;123?")}));
    EXPECT_EQ(ApplyCodeFilter(QStringLiteral("1")), QStringLiteral("S1"));   // the test left the filter in use alone
    w.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    EXPECT_FALSE(w.Confirmed());
    EXPECT_EQ(stored("VBFilterScript"), QStringLiteral("<none>"));
}

TEST_F(CardOptions, AHeadlessRunFillsTheDialogFromItsAnswerLine)
{
    struct Case {
        const char* what;
        std::initializer_list<const char*> lines;
        const char* type;   // stored, or "<none>"
        const char* port;
        const char* message;   // the refusal shown, if any
    };
    const Case cases[] = {
        {"values, then OK", {"OK\tcmbDevType=MSR 206HL Series (Bassa coercività)\tcboCOMPort=COM4"}, "2", "4", nullptr},
        {"keyboard emulation takes the port away", {"OK\tcmbDevType=Emulazione Tastiera"}, "9999", "0", nullptr},
        {"Esci", {"Esci"}, "<none>", "<none>", nullptr},
        {"cancelled", {"<cancel>"}, "<none>", "<none>", nullptr},
        {"a port for keyboard emulation",
         {"OK\tcmbDevType=Emulazione Tastiera\tcboCOMPort=COM2", "OK", "Esci"},
         "<none>",
         "<none>",
         "Il campo \"cboCOMPort\" non è modificabile."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        settings = std::make_shared<MemorySettingsStore>();
        setSettingsStore(settings);
        LoadMagneticDevSettings();
        ui->clearLog();
        for (const char* line : c.lines) ui->addAnswer(QString::fromUtf8(line));
        frmMagneticOptions::ShowModal(nullptr);
        EXPECT_FALSE(ui->hasAnswers());
        EXPECT_EQ(ui->log().first(), QStringLiteral("INPUT: [frmMagneticOptions] OK / Esci"));
        EXPECT_EQ(stored("Type"), QString::fromUtf8(c.type));
        EXPECT_EQ(stored("COMPortNumber"), QString::fromUtf8(c.port));
        EXPECT_EQ(ui->log().filter(QStringLiteral("MSGBOX: ")),
                  c.message ? QStringList {QStringLiteral("MSGBOX: ") + QString::fromUtf8(c.message)} : QStringList());
    }
}
