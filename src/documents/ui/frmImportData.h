#pragma once
// "Importazione Fornitura": the supplier's layouts, the read table in a grid and the
// import's commands. The window only shows what DeliveryImport holds and hands it the
// operator's clicks; it lends the import its label, pointer, event loop and grid.
#include "documents/ImportFeedback.h"
#include "widgets/ModalDialog.h"
#include <memory>

class DeliveryImport;
class DeliveryTableModel;
class ImportOperator;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TableData;

class frmImportData : public ModalDialog, public ImportFeedback {
    Q_OBJECT
public:
    explicit frmImportData(QWidget* owner = nullptr);
    ~frmImportData() override;

    // The supply form's import: the dialog over the supply's layouts, then, when the operator
    // confirmed, every read row of a known article added to the supply's rows (all or none).
    // ok: True only when confirmed and every row went in. `op` answers the pick list, the row
    // editor and the text search.
    static void Import(QWidget* caller, TableData& supply, TableData& supplyRows, TableData& layouts,
                       ImportOperator& op, bool& ok);

    // Ties the window to an import: the layout list filled, the first one chosen.
    void bind(DeliveryImport& import);

    // Esc: a stop request while the import is busy, else the window closes.
    void reject() override;

    // An answer line "import" reads the first layout's file and imports it as the operator
    // would, its questions answered from the following lines; anything else closes the window.
    QString answerPrompt() const override { return QStringLiteral("Importazione Fornitura"); }
    void applyAnswer(const QString& answer) override;

    // ImportFeedback
    void showMessage(const QString& text) override;
    void letEventsRun() override;
    void setBusy(bool busy) override;
    void showRow(qsizetype row) override;
    void focusGrid() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void chooseLayout(int index);
    void readClicked();
    void rowChanged();
    void showTable();
    void setEmphasis(QPushButton* button, bool bold);
    void afterArticleCommand(bool done);

    DeliveryImport* m_import = nullptr;
    std::unique_ptr<DeliveryTableModel> m_model;
    QLabel* m_lblMsg = nullptr;
    QComboBox* m_cbFileSorgente = nullptr;
    QLineEdit* m_txtNote = nullptr;
    QPushButton* m_cmdRead = nullptr;
    QTableView* m_dgImportData = nullptr;
    QPushButton* m_cmdDiffTest = nullptr;
    QPushButton* m_cmdRelate = nullptr;
    QPushButton* m_cmdInsert = nullptr;
    QPushButton* m_cmdModify = nullptr;
    QCheckBox* m_chkAuto = nullptr;
    QPushButton* m_cmdImport = nullptr;
    qint64 m_lastPaint = 0;
};
