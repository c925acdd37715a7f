#pragma once
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

// Message-box flags and answers, with the values of the classic message box so that the
// program's questions read as they were designed.
namespace Msg {
enum Buttons { OKOnly = 0, OKCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum Icon { Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum Default { DefaultButton1 = 0, DefaultButton2 = 256, DefaultButton3 = 512 };
enum Result { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
QString resultName(int result);   // "Yes", "No", ...
// What the box's Esc key answers: Cancel when offered, else No, else Abort, else OK.
int escapeResult(int flags);
}

// The system ends the program (a shutdown, SIGTERM): from then on nothing is asked. Every
// message box takes the answer of its Esc key, every other prompt is cancelled and every
// modal window closes as Esc closes it; a headless run waiting for its next answer line
// stops waiting.
void setSystemEnding(bool ending);
bool systemEnding();

// A modal window, run through UiServices::runModal. The windows of the program derive from
// ModalDialog (src/platform/widgets, beside the Qt implementation), which implements
// everything here except answerPrompt and applyAnswer; a stock dialog (print, preview) gets
// a small adapter.
// No window ever asks which implementation of UiServices runs it.
class ModalWindow {
public:
    virtual ~ModalWindow() = default;

    // The real dialogs' way: shows the window modally over the active window and waits for
    // it to close. True when it closed accepted (its OK).
    virtual bool showModal() = 0;

    // The scripted way, one answer line at a time (see UiServices::runModal).
    virtual QString windowName() const = 0;   // "frmOptions"
    virtual QString answerPrompt() const = 0;   // what a line holds: "OK / Esci", a list of names...
    // Fills the controls from the line and confirms as the window's own OK button does, with
    // the same checks and messages. A window that takes the values closes itself; one that
    // refuses them (a wrong password) stays open.
    virtual void applyAnswer(const QString& answer) = 0;
    virtual void cancelWindow() = 0;   // as Esc
    virtual bool isOpen() const = 0;   // neither accepted nor cancelled yet
    virtual bool isAccepted() const = 0;
};

// Every dialog the program's logic opens goes through here: message boxes, input boxes,
// file and folder choices, modal windows, beeps and links. The Qt implementation shows real
// dialogs; the scripted one answers from a queue and logs every prompt, so the real
// executable can be driven headless.
class UiServices {
public:
    virtual ~UiServices() = default;
    // flags = buttons + icon + default button; title empty = the program's title.
    virtual int msgBox(const QString& text, int flags = Msg::OKOnly, const QString& title = QString()) = 0;
    // Empty optional when cancelled.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title = QString(),
                                            const QString& defaultText = QString())
        = 0;
    virtual std::optional<QString> openFileName(const QString& title, const QString& filter,
                                                const QString& initial = QString())
        = 0;
    virtual std::optional<QString> saveFileName(const QString& title, const QString& filter,
                                                const QString& initial = QString())
        = 0;
    virtual std::optional<QString> folderName(const QString& title, const QString& initial = QString()) = 0;
    // Runs a modal window to its end; true when it was accepted.
    //  - Qt: window.showModal().
    //  - Scripted: while the window is open, the next answer line is logged as
    //    "INPUT: [<windowName>] <answerPrompt>" and handed over: "<cancel>" closes the window
    //    as Esc would (cancelWindow); any other line goes to applyAnswer. A window that stays
    //    open after a line (it refused the values) gets the next one; the messages it shows
    //    meanwhile take their own lines. With the answers used up, the run ends or the window
    //    is cancelled, as the scripted services are set (WhenUsedUp).
    virtual bool runModal(ModalWindow& window) = 0;
    virtual void beep() = 0;
    // Opens a document or link with its associated program; false when nothing could open it.
    virtual bool openUrl(const QString& urlOrPath) = 0;
    // A line of status text (the main window's status bar when there is one).
    virtual void status(const QString& text) { (void)text; }
    // An answer line that wanted a control a person could not use now (`what`: "Importa
    // disabled"). A person meets no message there, so nothing is shown; a scripted run logs it
    // as "REFUSED: [<window>] <what>".
    virtual void refused(const QString& window, const QString& what)
    {
        (void)window;
        (void)what;
    }
    // The next command for a window that asks nothing but waits for the operator (the main
    // window): when an answer file drives the program, its next line, logged as
    // "INPUT: [<window>] <prompt>"; otherwise nothing. No line left is no command: the window
    // goes on waiting, the run does not end.
    virtual std::optional<QString> command(const QString& window, const QString& prompt)
    {
        (void)window;
        (void)prompt;
        return std::nullopt;
    }
};

// Answers from a queue, one answer a prompt, and logs each prompt's exact text.
// Message boxes take "Yes", "No", "OK", "Cancel", "Retry", "Abort", "Ignore" (any case);
// input and file prompts take the line as the answer; "<cancel>" cancels. What happens
// when the queue is used up is set by WhenUsedUp.
//
// An answer file that is a pipe (mkfifo) is read a line at a time, as the answers are
// needed: meanwhile the program's event loop runs (its windows, timers and signals are
// served), so a shell can drive it step by step. The pipe is used up once every writer
// has closed it.
class ScriptedUiServices final : public UiServices {
public:
    enum class WhenUsedUp {
        // Boxes take their default button, other prompts are cancelled: for tests that look
        // at one question and leave the rest to the defaults.
        TakeDefaults,
        // The question is logged as "UNANSWERED: <text>" (and written to standard error) and
        // the run ends with kUnansweredExitCode, so a headless run never waits or loops.
        EndRun
    };
    static constexpr int kUnansweredExitCode = 3;

    ScriptedUiServices() = default;
    explicit ScriptedUiServices(QStringList answers, QString logPath = QString(),
                                WhenUsedUp whenUsedUp = WhenUsedUp::TakeDefaults);
    ~ScriptedUiServices() override;
    // From MIRTAVOLIA_PROMPTS / MIRTAVOLIA_PROMPT_LOG, ending the run when used up; null when
    // MIRTAVOLIA_PROMPTS is not set.
    static std::shared_ptr<ScriptedUiServices> fromEnvironment();

    void addAnswer(const QString& a) { m_answers.push_back(a); }
    // False once the script is used up (lines of a pipe count once they have arrived).
    bool hasAnswers() const { return !m_answers.empty(); }
    // Further answers as they are written into the pipe at `path` (opened at once: waits
    // for a writer).
    void readPipe(const QString& path);
    // Whether command() hands answer lines to the windows that wait for a command: on for the
    // answer file a run of the program reads, off by default, so that a test's queued answers
    // go to the questions they are meant for.
    void setWindowCommands(bool on) { m_windowCommands = on; }
    const QStringList& log() const { return m_log; }   // "MSGBOX: <text>", "INPUT: <prompt>", ...
    QStringList prompts() const;   // the texts alone
    void clearLog() { m_log.clear(); }
    // How an EndRun run ends; by default the process exits at once with kUnansweredExitCode.
    // Tests put a handler that returns: the question is then answered as under TakeDefaults.
    void setEndRun(std::function<void()> end) { m_endRun = std::move(end); }

    int msgBox(const QString& text, int flags, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString& def) override;
    std::optional<QString> openFileName(const QString& title, const QString& filter, const QString& initial) override;
    std::optional<QString> saveFileName(const QString& title, const QString& filter, const QString& initial) override;
    std::optional<QString> folderName(const QString& title, const QString& initial) override;
    bool runModal(ModalWindow& window) override;
    void beep() override;
    bool openUrl(const QString& url) override;
    void status(const QString& text) override;
    void refused(const QString& window, const QString& what) override;
    std::optional<QString> command(const QString& window, const QString& prompt) override;

private:
    void record(const QString& kind, const QString& text);
    // The next answer to the prompt just logged; none when used up (after the used-up policy ran).
    std::optional<QString> next(const QString& prompt);
    std::optional<QString> textAnswer(const QString& kind, const QString& text, const QString& def);
    // With no answer queued, the pipe's next line (or its end, or the program's end) awaited.
    void awaitAnswer();
    void readAvailable();

    std::deque<QString> m_answers;
    QStringList m_log;
    QString m_logPath;
    WhenUsedUp m_whenUsedUp = WhenUsedUp::TakeDefaults;
    std::function<void()> m_endRun;
    bool m_windowCommands = false;
    int m_pipe = -1;   // the answer pipe, read without blocking; -1 when none or at its end
    QByteArray m_partial;   // a line of the pipe not yet ended
};

UiServices& ui();
void setUiServices(std::shared_ptr<UiServices> u);
