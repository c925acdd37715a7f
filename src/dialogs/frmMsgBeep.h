#pragma once
// A modal question that beeps when it opens and refuses a confirmation that follows typing:
// a barcode read or digits meant for another window must not answer it by accident. A
// refused confirmation beeps again and clears the count, so a second one goes through.
#include "widgets/ModalDialog.h"
#include <QString>

class QLabel;
class QPushButton;

// The count of typing keys, without a window.
class TypedKeyGate {
public:
    void reset() { m_typedKeys = 0; }
    void keyPressed(int keyAscii);   // counts only typing keys (IsTypingKey)
    // True when nothing was typed; otherwise clears the count and answers false.
    bool confirm();
    int typedKeys() const { return m_typedKeys; }

private:
    int m_typedKeys = 0;
};

class frmMsgBeep : public ModalDialog {
    Q_OBJECT
public:
    explicit frmMsgBeep(QWidget* owner = nullptr);

    // Shows `message` modally over `owner`; true when the user confirmed.
    static bool ShowMessage(QWidget* owner, const QString& message);
    void ShowMessage(QWidget* owner, const QString& message, bool& confirmed);

    void setMessage(const QString& message);
    bool Confirmed() const { return m_confirmed; }
    int TypedKeys() const { return m_gate.typedKeys(); }

    // An answer line "OK" confirms; anything else answers no.
    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    void exitClicked();

    QLabel* m_lblMessage = nullptr;
    QLabel* m_image1 = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QPushButton* m_cmdCancel = nullptr;
    TypedKeyGate m_gate;
    bool m_confirmed = false;
};
