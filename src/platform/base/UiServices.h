#pragma once
#include <QString>
#include <QStringList>
#include <deque>
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
}

// Every dialog the program's logic opens goes through here: message boxes, input boxes,
// file and folder choices, beeps and links. The Qt implementation shows real dialogs;
// the scripted one answers from a queue and logs every prompt, so the real executable
// can be driven headless.
class UiServices {
public:
    virtual ~UiServices() = default;
    // flags = buttons + icon + default button; title empty = the program's title.
    virtual int msgBox(const QString& text, int flags = Msg::OKOnly, const QString& title = QString()) = 0;
    // Empty optional when cancelled.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title = QString(),
                                            const QString& defaultText = QString()) = 0;
    virtual std::optional<QString> openFileName(const QString& title, const QString& filter,
                                                const QString& initial = QString()) = 0;
    virtual std::optional<QString> saveFileName(const QString& title, const QString& filter,
                                                const QString& initial = QString()) = 0;
    virtual std::optional<QString> folderName(const QString& title, const QString& initial = QString()) = 0;
    virtual void beep() = 0;
    // Opens a document or link with its associated program; false when nothing could open it.
    virtual bool openUrl(const QString& urlOrPath) = 0;
    // A line of status text (the main window's status bar when there is one).
    virtual void status(const QString& text) { (void)text; }
};

// Answers from a queue, one answer a prompt, and logs each prompt's exact text.
// Message boxes take "Yes", "No", "OK", "Cancel", "Retry", "Abort", "Ignore" (any case);
// an empty queue answers with the box's default button. Input and file prompts take the
// line as the answer; "<cancel>" cancels.
class ScriptedUiServices final : public UiServices {
public:
    ScriptedUiServices() = default;
    explicit ScriptedUiServices(QStringList answers, QString logPath = QString());
    // From MIRTAVOLIA_PROMPTS / MIRTAVOLIA_PROMPT_LOG; null when MIRTAVOLIA_PROMPTS is not set.
    static std::shared_ptr<ScriptedUiServices> fromEnvironment();

    void addAnswer(const QString& a) { m_answers.push_back(a); }
    bool hasAnswers() const { return !m_answers.empty(); }   // false once the script is used up
    const QStringList& log() const { return m_log; }          // "MSGBOX: <text>", "INPUT: <prompt>", ...
    QStringList prompts() const;                              // the texts alone
    void clearLog() { m_log.clear(); }

    int msgBox(const QString& text, int flags, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title, const QString& def) override;
    std::optional<QString> openFileName(const QString& title, const QString& filter, const QString& initial) override;
    std::optional<QString> saveFileName(const QString& title, const QString& filter, const QString& initial) override;
    std::optional<QString> folderName(const QString& title, const QString& initial) override;
    void beep() override;
    bool openUrl(const QString& url) override;
    void status(const QString& text) override;

private:
    void record(const QString& kind, const QString& text);
    std::optional<QString> next();
    std::optional<QString> textAnswer(const QString& kind, const QString& text, const QString& def);

    std::deque<QString> m_answers;
    QStringList m_log;
    QString m_logPath;
};

UiServices& ui();
void setUiServices(std::shared_ptr<UiServices> u);
