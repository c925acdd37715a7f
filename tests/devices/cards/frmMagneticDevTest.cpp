// The card dialog: typed codes of a keyboard-emulating reader, reads and writes on the
// simulated reader, and a headless run's answers in place of both.
#include "devices/simulators/CardReaderSimulator.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include "PtyPair.h"
#include "ShownModalWindows.h"
#include "devices/cards/ui/frmMagneticDev.h"
#include "devices/cards/modMagneticDev.h"
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <functional>

namespace {
const QByteArray ESC(1, 27);

void key(QWidget* target, int k, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, k, Qt::NoModifier, text);
    QApplication::sendEvent(target, &release);
}

void type(QWidget* target, const QString& text)
{
    for (QChar c : text) key(target, c == u' ' ? Qt::Key_Space : Qt::Key_unknown, QString(c));
}

void enter(QWidget* target) { key(target, Qt::Key_Return, QStringLiteral("\r")); }

// Runs `action` once `ready` holds, from the event loop the dialog is about to run; gives
// up after 10 s so a broken test cannot hang.
void when(std::function<bool()> ready, std::function<void()> action)
{
    auto* timer = new QTimer;
    auto started = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, started, ready = std::move(ready), action = std::move(action)] {
        if (!ready() && (*started += 20) < 10000) return;
        timer->stop();
        timer->deleteLater();
        action();
    });
    timer->start(20);
}

class CardDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The dialog is shown and waits for its reader; its messages come from the script.
        setUiServices(std::make_shared<wintest::ShownModalWindows>(ui));
        LoadMagneticDevSettings();
        dialog = std::make_unique<frmMagneticDev>();
    }
    void TearDown() override
    {
        dialog.reset();
        InitMagneticDevice(true);
        pty.stopServing();
        g_objDatabase.reset();
    }
    void keyboardEmulation()
    {
        ::settings().MagneticDevParam.Type = MagneticDevType::KeyboardEmulation;
        ::settings().MagneticDevParam.COMPortNumber = 0;
    }
    CardReaderSimulator& reader(CardReaderSimulator::Model model, int32_t type)
    {
        settings->set(QStringLiteral("Devices"), QStringLiteral("COM2"), pty.devicePath());
        ::settings().MagneticDevParam.Type = type;
        ::settings().MagneticDevParam.COMPortNumber = 2;
        sim = std::make_unique<CardReaderSimulator>(model);
        pty.serve([s = sim.get()](QByteArray& pending) { return s->answer(pending); });
        return *sim;
    }
    QLineEdit* box() { return dialog->findChild<QLineEdit*>(QStringLiteral("txtKeyCode")); }
    QPushButton* cancel() { return dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel")); }
    QLabel* tryAgain() { return dialog->findChild<QLabel*>(QStringLiteral("lblTryAgain")); }
    // The dialog is up and its reader started.
    bool ready()
    {
        return dialog->isVisible()
            && (box()->isEnabled() == (::settings().MagneticDevParam.Type == MagneticDevType::KeyboardEmulation));
    }
    // Once the dialog is up: the keys of `typed` into the code box, then Enter.
    void typeWhenUp(const QString& typed)
    {
        when([this] { return ready(); },
             [this, typed] {
                 type(box(), typed);
                 enter(box());
             });
    }

    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    std::shared_ptr<ScriptedUiServices> ui = headless.ui;
    PtyPair pty;
    std::unique_ptr<CardReaderSimulator> sim;
    std::unique_ptr<frmMagneticDev> dialog;
};
}   // namespace

TEST_F(CardDialog, ATypedCodeFollowsTheCardRules)
{
    keyboardEmulation();
    struct Case {
        const char* typed;
        bool reverse;
        const char* code;
    };
    const Case cases[] = {
        {";12345678?", true, "87654321"},
        {";12345678?", false, "12345678"},
        {"12345678", true, "12345678"},   // no sentinels: never reversed
        {"", true, ""},   // Enter on an empty box closes the dialog
        {"12 ", false, "12"},   // a blank after two characters ends the code too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        typeWhenUp(QString::fromLatin1(c.typed));
        EXPECT_EQ(dialog->ReadCode(nullptr, QString(), c.reverse), QString::fromLatin1(c.code));
        EXPECT_FALSE(dialog->isVisible());
    }
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(CardDialog, ACodeWithoutThePrefixIsRefusedAndTheDialogWaitsForAnother)
{
    keyboardEmulation();
    when([this] { return ready(); },
         [this] {
             type(box(), QStringLiteral("CD1234"));
             enter(box());
             EXPECT_TRUE(dialog->isVisible());
             EXPECT_TRUE(tryAgain()->isVisible());
             EXPECT_EQ(box()->text(), QString());
             EXPECT_EQ(ui->log(), QStringList {QStringLiteral("BEEP: ")});
             // Typed while the focus is on the button: the characters go to the code box.
             cancel()->setFocus();
             type(cancel(), QStringLiteral("ab1234"));
             EXPECT_EQ(box()->text(), QStringLiteral("ab1234"));
             enter(cancel());
         });
    EXPECT_EQ(dialog->ReadCode(nullptr, QStringLiteral("AB"), false), QStringLiteral("1234"));
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lblMsg"))->text(),
              QStringLiteral("Lettura del Codice dalla Carta...\nPrefisso: AB"));
}

// The key that ends a refused code goes on to the code box, after the refusal emptied it;
// a code that is taken swallows it.
TEST_F(CardDialog, TheKeyThatEndsARefusedCodeGoesOnToTheBox)
{
    keyboardEmulation();
    when([this] { return ready(); },
         [this] {
             type(box(), QStringLiteral("CD12 "));   // the blank ends the code
             EXPECT_TRUE(dialog->isVisible());
             EXPECT_EQ(box()->text(), QStringLiteral(" "));
             box()->clear();
             type(box(), QStringLiteral("AB34 "));
         });
    EXPECT_EQ(dialog->ReadCode(nullptr, QStringLiteral("AB"), false), QStringLiteral("34"));
    EXPECT_EQ(box()->text(), QStringLiteral("AB34"));
}

// A swipe whose track lost its end sentinel reads by the recovery rules (eight characters
// ending in 1), and the dialog takes the code.
TEST_F(CardDialog, ASwipeThatLostTheTracksEndGivesItsCode)
{
    CardReaderSimulator& card = reader(CardReaderSimulator::Model::MSR206HL, MagneticDevType::MSR206HLHigh);
    card.writeTrack1Text(QStringLiteral("12345678901"));
    card.truncateTrack1(7 * 12);   // the start sentinel and the eleven digits
    // A dialog that let the swipe go would wait for another: cancel it then.
    QTimer::singleShot(5000, dialog.get(), [this] { dialog->reject(); });
    EXPECT_EQ(dialog->ReadCode(nullptr, QString(), false), QStringLiteral("12345671"));
    EXPECT_TRUE(ui->log().isEmpty());
}

TEST_F(CardDialog, ReadsACardOnTheReader)
{
    struct Case {
        const char* what;
        CardReaderSimulator::Model model;
        int32_t type;
    };
    for (const Case& c : {Case {"MSR106", CardReaderSimulator::Model::MSR106, MagneticDevType::MSR106},
                          Case {"MSR206HL", CardReaderSimulator::Model::MSR206HL, MagneticDevType::MSR206HLHigh}}) {
        SCOPED_TRACE(c.what);
        reader(c.model, c.type).writeTrack1Text(QStringLiteral("87654321"));
        // The sale form's read: no prefix, reversed.
        EXPECT_EQ(dialog->ReadCode(nullptr, QString(), true), QStringLiteral("12345678"));
        EXPECT_FALSE(box()->isEnabled());
        EXPECT_FALSE(MagneticDeviceExists());   // released with the dialog
        pty.stopServing();
    }
}

// A failed read is not taken, but its text is kept: cancelling then gives that text as the
// reader sent it, neither checked for the prefix nor filtered.
TEST_F(CardDialog, CancellingAfterAFailedReadGivesTheTextOfThatRead)
{
    CardReaderSimulator& card = reader(CardReaderSimulator::Model::MSR106, MagneticDevType::MSR106);
    card.writeTrack1Text(QStringLiteral("AB1234"));
    card.failNextOperations(1);
    // The failed read was taken once the reader has been told of its failure.
    when([&card] { return card.commands().contains(ESC + ESC + "\x85"); },
         [this] {
             QTimer::singleShot(2 * 500, cancel(), &QPushButton::click);   // two ticks of the dialog's timer
         });
    EXPECT_EQ(dialog->ReadCode(nullptr, QStringLiteral("AB"), false), QStringLiteral("AB1234"));
    EXPECT_FALSE(tryAgain()->isVisible()) << "a failed read is dropped, not refused";
    EXPECT_EQ(card.commands().last(), ESC + "a");   // the reader was stopped
}

TEST_F(CardDialog, AFailedWriteIsSentAgainUntilItGoes)
{
    CardReaderSimulator& card = reader(CardReaderSimulator::Model::MSR106, MagneticDevType::MSR106);
    card.failNextOperations(2);
    EXPECT_TRUE(dialog->WriteCode(nullptr, QStringLiteral("1234"), QStringLiteral("CL"), QString(), false, 0));
    EXPECT_EQ(card.track1Text(), QStringLiteral("CL1234"));
    QList<QByteArray> writes;
    for (const QByteArray& c : card.commands())
        if (c.startsWith(ESC + "w")) writes << c;
    ASSERT_EQ(writes.size(), 3);
    EXPECT_EQ(writes[0], writes[2]);
    EXPECT_EQ(ui->log().count(QStringLiteral("BEEP: ")), 2);
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("lblMsg"))->text(),
              QStringLiteral("Scrittura del Codice nella Carta...\n\nCODICE: < 1234 >"));
}

TEST_F(CardDialog, AWriteIsRefusedBeforeTheDialogWhenItCannotHappen)
{
    struct Case {
        const char* what;
        int32_t type;
        int port;
        int level;
        const char* message;
    };
    const Case cases[] = {
        {"keyboard emulation", MagneticDevType::KeyboardEmulation, 0, 9,
         "Il dispositivo configurato non supporta la scrittura delle carte."},
        {"no port", MagneticDevType::MSR106, 0, 9, "Il dispositivo configurato non supporta la scrittura delle carte."},
        {"operator below the level", MagneticDevType::MSR106, 2, 1, "Utente non abilitato."},
    };
    g_objDatabase = std::make_shared<Database>(nullptr, QStringLiteral("Negozio"), nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui->clearLog();
        ::settings().MagneticDevParam.Type = c.type;
        ::settings().MagneticDevParam.COMPortNumber = c.port;
        g_objDatabase->SetAccessLevel(c.level);
        EXPECT_FALSE(dialog->WriteCode(nullptr, QStringLiteral("1"), QString(), QString(), true, 5));
        EXPECT_EQ(ui->prompts(), QStringList {QString::fromUtf8(c.message)});
        EXPECT_FALSE(dialog->isVisible());
    }
}

TEST_F(CardDialog, AReaderThatCannotStartIsReportedAndTheDialogCloses)
{
    reader(CardReaderSimulator::Model::MSR106, MagneticDevType::MSR206HLLow).setMute(true);
    EXPECT_EQ(dialog->ReadCode(nullptr, QString(), true), QString());
    ASSERT_EQ(ui->prompts().size(), 1);
    EXPECT_EQ(ui->prompts().first(),
              QStringLiteral("Inizializzazione gestore Carta fallito!\r\rErrore: Codice: 2\r\r"
                             "Timeout, il dispositivo non ha risposto"));
    EXPECT_FALSE(MagneticDeviceExists());
}

TEST_F(CardDialog, IsTheProgramsCustomerCardWriter)
{
    InstallCustomerCardWriter();
    EXPECT_EQ(customerCardWriter(), static_cast<CustomerCardWriter*>(&frmMagneticDev::instance()));
    setCustomerCardWriter(nullptr);
}

// ---------------------------------------------------------------------------------------
// Headless: the answer lines stand for the card and the reader.

namespace {
class CardDialogFromAnswers : public CardDialog {
protected:
    void SetUp() override
    {
        CardDialog::SetUp();
        setUiServices(ui);
    }
    void answers(std::initializer_list<const char*> lines)
    {
        for (const char* l : lines) ui->addAnswer(QString::fromLatin1(l));
    }
};
}   // namespace

TEST_F(CardDialogFromAnswers, AReadTakesTheLineAsTheReaderTypesIt)
{
    struct Case {
        const char* what;
        int32_t type;
        const char* prefix;
        bool reverse;
        std::initializer_list<const char*> lines;
        const char* code;
        int beeps;   // refused codes
    };
    const Case cases[] = {
        {"reversed between sentinels", MagneticDevType::KeyboardEmulation, "", true, {";12345678?"}, "87654321", 0},
        {"no sentinels: never reversed", MagneticDevType::KeyboardEmulation, "", true, {"12345678  "}, "12345678", 0},
        {"an empty line reads nothing", MagneticDevType::KeyboardEmulation, "", true, {""}, "", 0},
        {"cancelled", MagneticDevType::KeyboardEmulation, "", true, {"<cancel>"}, "", 0},
        {"the prefix is taken off", MagneticDevType::KeyboardEmulation, "AB", false, {"ab1234"}, "1234", 0},
        {"a code without the prefix waits for another",
         MagneticDevType::KeyboardEmulation,
         "AB",
         false,
         {"CD1234", "AB99"},
         "99",
         1},
        {"refused until cancelled", MagneticDevType::KeyboardEmulation, "AB", false, {"CD1", "CD2", "<cancel>"}, "", 2},
        // A reader on a port: the line is still what a typing reader sends.
        {"a reader on a port", MagneticDevType::MSR106, "", true, {";12345678?"}, "87654321", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui->clearLog();
        ::settings().MagneticDevParam.Type = c.type;
        ::settings().MagneticDevParam.COMPortNumber = c.type == MagneticDevType::KeyboardEmulation ? 0 : 2;
        answers(c.lines);
        EXPECT_EQ(dialog->ReadCode(nullptr, QString::fromLatin1(c.prefix), c.reverse), QString::fromLatin1(c.code));
        EXPECT_FALSE(ui->hasAnswers());
        EXPECT_EQ(ui->log().count(QStringLiteral("BEEP: ")), c.beeps);
        EXPECT_EQ(ui->log().first(),
                  *c.prefix ? QStringLiteral("INPUT: [frmMagneticDev] Codice con prefisso AB")
                            : QStringLiteral("INPUT: [frmMagneticDev] Codice"));
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_FALSE(MagneticDeviceExists());   // released with the dialog
    }
}

TEST_F(CardDialogFromAnswers, AWriteIsReportedByTheLineAndTheReaderIsNeverStarted)
{
    struct Case {
        std::initializer_list<const char*> lines;
        bool written;
        int beeps;   // failed writes, each tried again
    };
    const Case cases[] = {
        {{"OK"}, true, 0},
        {{"no", "ok"}, true, 1},
        {{"no", "<cancel>"}, false, 1},
        {{"<cancel>"}, false, 0},
    };
    CardReaderSimulator& card = reader(CardReaderSimulator::Model::MSR106, MagneticDevType::MSR106);
    for (const Case& c : cases) {
        SCOPED_TRACE(*c.lines.begin());
        ui->clearLog();
        answers(c.lines);
        EXPECT_EQ(dialog->WriteCode(nullptr, QStringLiteral("1234"), QStringLiteral("CL"), QString(), false, 0),
                  c.written);
        EXPECT_FALSE(ui->hasAnswers());
        EXPECT_EQ(ui->log().count(QStringLiteral("BEEP: ")), c.beeps);
        EXPECT_EQ(ui->log().first(), QStringLiteral("INPUT: [frmMagneticDev] OK / Riprova"));
    }
    // Nothing reached the reader's line: the answers stood for the reader.
    EXPECT_TRUE(card.commands().isEmpty());
    EXPECT_FALSE(card.track1Text().has_value()) << "no card was written";
}
