#pragma once
// The main window's "new article" dialog: an article code typed or scanned is added to the
// chosen deposit, in the library's row editor, unless the deposit has that code already.
// The window reads its controls and shows what AddToDeposit did.
#include "widgets/ModalDialog.h"
#include <memory>

class AddToDeposit;
class Database;
class ImportOperator;
class QComboBox;
class QLineEdit;
class QPushButton;

class frmArticoli : public ModalDialog {
    Q_OBJECT
public:
    // Without a database or an operator (a picture of the window) it lists no deposit and
    // adds nothing.
    frmArticoli(Database* db, ImportOperator* op, QWidget* owner = nullptr);
    frmArticoli() : frmArticoli(nullptr, nullptr) { }
    ~frmArticoli() override;

    // The main window's command, modal over `owner`; `op` runs the row editor.
    static void ShowModal(QWidget* owner, ImportOperator& op);

    // Before showing: the deposits listed (the first chosen when there are any), the code
    // box made the barcode reader's target. False when the deposits could not be read: that
    // was reported, and the window is not to be shown.
    bool Load();

    // "cmdAutoAdd".
    void Add();

    // An answer line is the code to add to the deposit shown, or "deposit<TAB>code" to
    // choose the deposit by its name first (a name not listed chooses none). The window
    // stays open for the next line.
    QString answerPrompt() const override;
    void applyAnswer(const QString& answer) override;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void codeChanged(const QString& text);
    void registerCodeBox();
    qint64 chosenDeposit() const;

    std::unique_ptr<AddToDeposit> m_add;
    bool m_codeBoxRegistered = false;
    QComboBox* m_codDeposito = nullptr;
    QLineEdit* m_txtCode_Articolo = nullptr;
    QPushButton* m_cmdAutoAdd = nullptr;
};
