// The scripted dialogs: how a modal window is fed from the answer lines, and what happens
// once the lines are used up; lines from a pipe, as a shell writes them; the commands of a
// window that waits; and nothing asked once the system ends the program.
#include "base/UiServices.h"
#include "TestEnvironment.h"
#include <QFile>
#include <QTimer>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A window with a password box: a line is the password; a wrong one is refused with a
// message box and the window stays open, as the real password window does.
class PasswordWindow final : public ModalWindow {
public:
    explicit PasswordWindow(UiServices& ui) : m_ui(ui) { }
    bool showModal() override
    {
        ADD_FAILURE() << "a scripted run never shows a window";
        return false;
    }
    QString windowName() const override { return QStringLiteral("frmPassword"); }
    QString answerPrompt() const override { return QStringLiteral("Password"); }
    void applyAnswer(const QString& answer) override
    {
        typed << answer;
        if (answer != QStringLiteral("segreta")) {
            m_ui.msgBox(QStringLiteral("La password non è corretta."));
            return;
        }
        m_open = false;
        m_accepted = true;
    }
    void cancelWindow() override
    {
        m_open = false;
        ++cancels;
    }
    bool isOpen() const override { return m_open; }
    bool isAccepted() const override { return m_accepted; }

    QStringList typed;
    int cancels = 0;

private:
    UiServices& m_ui;
    bool m_open = true;
    bool m_accepted = false;
};

}   // namespace

TEST(ScriptedModalWindow, LinesFillTheWindowUntilItClosesOrIsCancelled)
{
    struct Case {
        const char* name;
        QStringList answers;
        bool accepted;
        QStringList typed;
        int cancels;
        int unused;   // lines left for whatever comes next
    };
    const Case cases[] = {
        {"accepted at once", {"segreta", "dopo"}, true, {"segreta"}, 0, 1},
        {"refused, then accepted", {"sbagliata", "OK", "segreta"}, true, {"sbagliata", "segreta"}, 0, 0},
        {"<cancel> is Esc", {"<cancel>", "segreta"}, false, {}, 1, 1},
        {"used up: cancelled", {"sbagliata", "OK"}, false, {"sbagliata"}, 1, 0},
    };
    for (const Case& c : cases) {
        ScriptedUiServices ui(c.answers);
        PasswordWindow window(ui);
        EXPECT_EQ(ui.runModal(window), c.accepted) << c.name;
        EXPECT_EQ(window.typed, c.typed) << c.name;
        EXPECT_EQ(window.cancels, c.cancels) << c.name;
        EXPECT_FALSE(window.isOpen()) << c.name;
        int left = 0;
        while (ui.hasAnswers()) {
            (void)ui.inputBox(QStringLiteral("resto"), QString(), QString());
            ++left;
        }
        EXPECT_EQ(left, c.unused) << c.name;
        EXPECT_EQ(ui.log().first(), QStringLiteral("INPUT: [frmPassword] Password")) << c.name;
    }
}

TEST(ScriptedUsedUp, EndsTheRunAtTheFirstUnansweredQuestion)
{
    ScriptedUiServices ui({QStringLiteral("No")}, QString(), ScriptedUiServices::WhenUsedUp::EndRun);
    int ends = 0;
    ui.setEndRun([&] { ++ends; });
    EXPECT_EQ(ui.msgBox(QStringLiteral("Vuoi crearlo ?"), Msg::YesNo, QString()), Msg::No);
    EXPECT_EQ(ends, 0);
    // The box's default (Yes) would have led back to the same question for ever.
    (void)ui.msgBox(QStringLiteral("Vuoi cambiare le impostazioni ?"), Msg::YesNo, QString());
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(ui.log().last(), QStringLiteral("UNANSWERED: Vuoi cambiare le impostazioni ?"));

    PasswordWindow window(ui);
    EXPECT_FALSE(ui.runModal(window));
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(ui.log().last(), QStringLiteral("UNANSWERED: [frmPassword] Password"));
    // A handler that returns (tests only) leaves the question to its default.
    EXPECT_EQ(ui.inputBox(QStringLiteral("Codice"), QString(), QStringLiteral("12")), QStringLiteral("12"));
    EXPECT_EQ(ends, 3);
}

TEST(ScriptedUsedUp, TakesTheDefaultsWhenSetSo)
{
    ScriptedUiServices ui;
    EXPECT_EQ(ui.msgBox(QStringLiteral("Continuare ?"), int(Msg::YesNo) + int(Msg::DefaultButton2), QString()),
              Msg::No);
    EXPECT_EQ(ui.msgBox(QStringLiteral("Continuare ?"), Msg::YesNo, QString()), Msg::Yes);
    EXPECT_EQ(ui.inputBox(QStringLiteral("Codice"), QString(), QStringLiteral("12")), QStringLiteral("12"));
    EXPECT_EQ(ui.log().filter(QStringLiteral("UNANSWERED")).size(), 0);
}

// ---- answers from a pipe, commands of a waiting window, the system's end ----------------------------

namespace {

// A pipe the test writes into, open for writing before the scripted services open it to read
// (so that neither waits for the other).
struct AnswerPipe {
    AnswerPipe()
    {
        path = testenv::newDir(QStringLiteral("pipe")) + QStringLiteral("/answers");
        EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        writer = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
        EXPECT_GE(writer, 0);
    }
    ~AnswerPipe() { close(); }
    void write(const char* text) { EXPECT_EQ(::write(writer, text, strlen(text)), ssize_t(strlen(text))); }
    // Written once the program waits: only an event loop running meanwhile delivers it.
    void writeLater(const char* text)
    {
        QTimer::singleShot(0, [this, text] { write(text); });
    }
    void close()
    {
        if (writer >= 0) ::close(writer);
        writer = -1;
    }
    QString path;
    int writer = -1;
};

}   // namespace

TEST(ScriptedPipe, LinesAreReadAsTheyAreNeededWhileTheEventLoopRuns)
{
    AnswerPipe pipe;
    ScriptedUiServices ui({}, QString(), ScriptedUiServices::WhenUsedUp::EndRun);
    int ends = 0;
    ui.setEndRun([&] { ++ends; });
    ui.readPipe(pipe.path);

    pipe.writeLater("No\n");
    EXPECT_EQ(ui.msgBox(QStringLiteral("Vuoi crearlo ?"), Msg::YesNo, QString()), Msg::No);
    // A line written in two pieces is one answer; a CR before its end is no part of it.
    pipe.write("Amminis");
    pipe.writeLater("tratore\r\nsecondo\n");
    EXPECT_EQ(ui.inputBox(QStringLiteral("Operatore"), QString(), QString()), QStringLiteral("Amministratore"));
    EXPECT_EQ(ui.inputBox(QStringLiteral("Altro"), QString(), QString()), QStringLiteral("secondo"));
    EXPECT_EQ(ends, 0);

    // Every writer gone: the script is used up, what was left unended is the last line.
    pipe.write("ultima");
    pipe.close();
    EXPECT_EQ(ui.inputBox(QStringLiteral("Ultima"), QString(), QString()), QStringLiteral("ultima"));
    EXPECT_EQ(ends, 0);
    (void)ui.msgBox(QStringLiteral("Ancora ?"), Msg::YesNo, QString());
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(ui.log().last(), QStringLiteral("UNANSWERED: Ancora ?"));
}

TEST(ScriptedCommands, AWaitingWindowTakesLinesOnlyWhenTheProgramRunsOnAnAnswerFile)
{
    ScriptedUiServices ui({QStringLiteral("<Vendita>")}, QString(), ScriptedUiServices::WhenUsedUp::EndRun);
    int ends = 0;
    ui.setEndRun([&] { ++ends; });
    EXPECT_EQ(ui.command(QStringLiteral("frmMain"), QStringLiteral("<Vendita> / <Chiudi>")), std::nullopt)
        << "a test's queued answers are for its questions";
    EXPECT_TRUE(ui.hasAnswers());

    ui.setWindowCommands(true);
    EXPECT_EQ(ui.command(QStringLiteral("frmMain"), QStringLiteral("<Vendita> / <Chiudi>")),
              QStringLiteral("<Vendita>"));
    EXPECT_EQ(ui.log(), QStringList {QStringLiteral("INPUT: [frmMain] <Vendita> / <Chiudi>")});
    // Used up: the window waits, asked nothing; the run goes on.
    EXPECT_EQ(ui.command(QStringLiteral("frmMain"), QStringLiteral("<Vendita> / <Chiudi>")), std::nullopt);
    EXPECT_EQ(ui.log().size(), 1);
    EXPECT_EQ(ends, 0);
}

TEST(ScriptedSystemEnd, NothingIsAskedOnceTheSystemEndsTheProgram)
{
    AnswerPipe pipe;
    ScriptedUiServices ui({}, QString(), ScriptedUiServices::WhenUsedUp::EndRun);
    int ends = 0;
    ui.setEndRun([&] { ++ends; });
    ui.readPipe(pipe.path);
    ui.setWindowCommands(true);

    // The end comes while the program waits for its next line: the wait stops, and the
    // question takes what Esc would answer.
    QTimer::singleShot(0, [] { setSystemEnding(true); });
    EXPECT_EQ(ui.msgBox(QStringLiteral("Vuoi usare il buono ?"), Msg::YesNo, QString()), Msg::No);

    pipe.write("Yes\nOK\n<Vendita>\n");
    const struct {
        int flags;
        int answer;
    } boxes[] = {
        {Msg::OKOnly, Msg::OK},
        {Msg::OKCancel, Msg::Cancel},
        {Msg::YesNo, Msg::No},
        {int(Msg::YesNo) + int(Msg::DefaultButton1), Msg::No},
        {Msg::YesNoCancel, Msg::Cancel},
        {Msg::RetryCancel, Msg::Cancel},
        {Msg::AbortRetryIgnore, Msg::Abort},
    };
    for (const auto& b : boxes) EXPECT_EQ(ui.msgBox(QStringLiteral("?"), b.flags, QString()), b.answer) << b.flags;
    EXPECT_EQ(ui.inputBox(QStringLiteral("Codice"), QString(), QStringLiteral("12")), std::nullopt);
    PasswordWindow window(ui);
    EXPECT_FALSE(ui.runModal(window));
    EXPECT_EQ(window.cancels, 1);
    EXPECT_TRUE(window.typed.isEmpty());
    EXPECT_EQ(ui.command(QStringLiteral("frmMain"), QStringLiteral("<Vendita>")), std::nullopt);
    EXPECT_EQ(ends, 0) << "the end of the program is no unanswered question";
    setSystemEnding(false);
}
