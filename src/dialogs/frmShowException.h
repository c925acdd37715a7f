#pragma once
// The error report window: the code, the full message and the buttons that pass the report
// on. The texts and the actions are ErrorReporting's; this window only shows them.
#include "widgets/ModalDialog.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

class frmShowException : public ModalDialog {
    Q_OBJECT
public:
    explicit frmShowException(QWidget* parent = nullptr);

    // Fills the code field and the message field (line breaks made CR LF); does not show.
    void SetException(const QString& code, const QString& text);
    QString codeText() const { return m_code; }
    QString messageText() const { return m_text; }   // as held, CR LF line ends

    // Fills a window and shows it modally over the active window.
    static void showReport(const QString& code, const QString& text);

    // Any answer line leaves the window ("Esci").
    QString answerPrompt() const override { return m_code; }
    void applyAnswer(const QString&) override { accept(); }

private:
    QLabel* m_lblCode;
    QPlainTextEdit* m_txtMsg;
    QString m_code;
    QString m_text;
};
