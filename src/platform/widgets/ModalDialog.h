#pragma once
// The base of the modal windows, the library's and the program's alike: run through
// ui().runModal, so that a window never knows whether a person or an answer file fills it.
// A window says what an answer line holds (answerPrompt) and how it fills its controls from
// one and presses OK (applyAnswer); one that refuses a line says why in a message box and
// stays open for the next. Showing, waiting, Esc and the result are the same for every window.
#include "base/UiServices.h"
#include <QDialog>
#include <functional>

class ModalDialog : public QDialog, public ModalWindow {
public:
    explicit ModalDialog(QWidget* parent = nullptr) : QDialog(parent) { }

    // Runs the window to its end through the program's dialogs; true when accepted.
    bool runModal();

    // ModalWindow
    bool showModal() override { return exec() == QDialog::Accepted; }
    QString windowName() const override { return objectName(); }
    void cancelWindow() override { reject(); }
    bool isOpen() const override { return m_open; }
    bool isAccepted() const override { return m_accepted; }

    // Every way out (accept, reject, done) ends the run, shown or not.
    void done(int result) override;

private:
    bool m_open = false;
    bool m_accepted = false;
};

// Whether an answer line may use `control` of `window` as a person would use it: a control
// that is disabled, or that the window keeps hidden (whether or not the window itself is
// shown), refuses it as it refuses a person; the refusal goes to ui().refused under `name`
// ("Importa disabled", "Importa hidden") and false is returned.
bool AnswerReaches(const QWidget& window, const QWidget& control, const QString& name);

// A window the program does not write itself (the print and preview dialogs) run through
// the same seam: the Qt way calls `show`, an answer line goes to `answer`, which returns
// whether the window counts as accepted.
class ModalAdapter final : public ModalWindow {
public:
    ModalAdapter(QString name, QString prompt, std::function<bool()> show, std::function<bool(const QString&)> answer)
        : m_name(std::move(name)), m_prompt(std::move(prompt)), m_show(std::move(show)), m_answer(std::move(answer))
    { }

    bool showModal() override { return m_accepted = m_show(); }
    QString windowName() const override { return m_name; }
    QString answerPrompt() const override { return m_prompt; }
    void applyAnswer(const QString& answer) override;
    void cancelWindow() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    bool isAccepted() const override { return m_accepted; }

private:
    QString m_name, m_prompt;
    std::function<bool()> m_show;
    std::function<bool(const QString&)> m_answer;
    bool m_open = true;
    bool m_accepted = false;
};
