#pragma once
// What the card dialog does, without the dialog: one read or write of a card through the
// driver in use, or a code typed by a keyboard-emulating reader. The driver's completions
// are only recorded when they arrive; Tick() acts on them later, outside the driver's
// serial handler. The dialog shows the messages, forwards keys and ticks, and closes
// when asked.
#include <QObject>
#include <QString>
#include <memory>

class clsMagneticCardEvents;

class MagneticCardOperation : public QObject {
    Q_OBJECT
public:
    enum class Pending { None = 0, Read = 1, Write = 2 };

    MagneticCardOperation();
    ~MagneticCardOperation() override;

    // Set up a read or a write: the driver of the configured reader is created (errors
    // reach the caller) and the text the dialog shows is returned.
    QString PrepareRead(const QString& prefix, bool reverse);
    QString PrepareWrite(const QString& code, const QString& prefix, const QString& data2, bool reverse);

    // The dialog is up: start the prepared operation on the reader. Raises the driver's error.
    void Activate();
    // Whether the typed-code box is in use (keyboard emulation).
    bool KeyboardEmulation() const;
    bool HasDriver() const;

    // The dialog's timer: acts on a completion recorded since the last tick.
    void Tick();

    // A code ended in the typed-code box (Enter, or a blank after two characters). False
    // when the code was refused and the dialog stays.
    bool TypedCode(const QString& text);

    // In place of the reader, which is never started (a headless run's answers): a code
    // given as a keyboard-emulating reader types it, whatever reader is configured, taken
    // as TypedCode takes it; and the reader's report of a write, a failed one asking for
    // another report as the reader's retry would.
    bool AnsweredCode(const QString& text);
    void AnsweredWrite(bool written);

    // The dialog is going: the reader is stopped and the driver released. Raises the
    // driver's error from stopping the reader; the driver is released all the same.
    void Finish();

    // The outcome of a read: the code as it stands when the dialog closes. The accepted code;
    // empty after a refused code; and the first text of a read the reader reported failed,
    // when the operator cancels after it: a completion keeps its text whatever its success.
    QString ReadResult() const { return m_code; }
    // Whether the write went through.
    bool WriteSucceeded() const { return m_result; }

signals:
    void CloseRequested();
    // A refused code or a failed write: "Riprovare..." flashes.
    void TryAgain();
    // The typed-code box is emptied and gets the focus.
    void KeyBoxReset();

private:
    bool AcceptReadCode();
    // The code in m_code, filtered, without the prefix and reversed when `reverse`; "Riprovare"
    // when none is left.
    bool TakeCode(bool reverse);
    void StartWrite();
    void StartRead();

    std::unique_ptr<clsMagneticCardEvents> m_events;
    QString m_code;
    QString m_secondText;
    bool m_result = false;
    Pending m_operation = Pending::None;
    QString m_prefix;
    bool m_reverse = false;
    QString m_completion;   // the completion recorded for the next tick
    bool m_holdsDriver = false;   // prepared, not yet finished
};
