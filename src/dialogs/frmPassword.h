#pragma once
// The password window: checks a typed password against a stored one (the access-password
// file at start-up, an operator's password at login, the service password of the
// advanced options) and, when offered, lets the user change it.
#include "widgets/ModalDialog.h"
#include <QPointer>
#include <QString>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class frmPassword : public ModalDialog {
    Q_OBJECT
public:
    explicit frmPassword(QWidget* parent = nullptr);

    // The program-wide window, loaded on first use.
    static frmPassword& instance();
    static void unloadInstance();

    // password null: the stored password comes from the access-password file. Otherwise it
    // is the password in clear, and on return receives the window's Password(). The window
    // is shown only when there is something to ask. Returns whether access was granted.
    bool ValidatePassword(QWidget* owner, bool changeRequested, QString* password, bool changeNotOffered,
                          bool alwaysAsk);

    // The password was changed in the last ValidatePassword.
    bool Changed() const { return m_changed; }
    // After a change the new password in clear, before any the stored form being checked.
    QString Password() const { return m_stored; }

    // The buttons' actions (the window stays open after a refusal).
    void Confirm();
    void Cancel();
    // True while the window waits for the user.
    bool Waiting() const { return m_waiting; }

    // A line of the answer file is the typed password; "password<TAB>new<TAB>confirmation"
    // also ticks "Cambia" and fills the new password's boxes.
    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override { Cancel(); }

private:
    void prepare(bool changeRequested, bool changeNotOffered);
    void showNewFields(bool grow);
    void newToggled(bool checked);
    void ask(QWidget* owner);
    void finish(bool accepted);

    QString m_stored;
    bool m_accepted = false;
    bool m_external = false;
    bool m_changed = false;
    bool m_waiting = false;

    QLabel* m_lblPassword = nullptr;
    QLineEdit* m_txtPassword = nullptr;
    QCheckBox* m_chkNew = nullptr;
    QWidget* m_newPane = nullptr;
    QLabel* m_lblNew = nullptr;
    QLineEdit* m_txtNewPwd = nullptr;
    QLabel* m_lblConfirmNewPwd = nullptr;
    QLineEdit* m_txtConfirmNewPwd = nullptr;
    QPushButton* m_cmdConfirm = nullptr;
    QPushButton* m_cmdCancel = nullptr;
};
