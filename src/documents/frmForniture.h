#pragma once
// "Fornitura Articoli": a supplier's delivery. The supplier, document type, number, date
// and note above, the rows in the middle (typed, scanned or imported from the supplier's
// delivery file), the total, confirm and cancel below. The supply's logic is
// SupplyDocument's; the row entry is DocumentForm's.
#include "DocumentForm.h"
#include "SupplyDocument.h"

#include <memory>

class Database;
class DocumentOperator;
class QPlainTextEdit;

class frmForniture : public DocumentForm {
    Q_OBJECT
public:
    // `op` answers the library's dialogs; none: the library's own windows over this one.
    explicit frmForniture(Database& db, QWidget* owner = nullptr, DocumentOperator* op = nullptr);
    ~frmForniture() override;

    // The main window's new supply (supply null) or view/edit of the supply `supply` stands
    // on: the one supply window, run until it closes. With one already open, nothing.
    static void Open(QWidget* owner, TableData* supply = nullptr);
    static frmForniture* Instance();

    // Activation: with no supply open, the code box made the target of scanned codes and a
    // new supply started. False when none started: the window has unloaded.
    bool Activate();
    // The supply `dataSet` stands on, opened for changes. False when it could not be opened.
    bool Edit_Fornitura(TableData* dataSet);

    SupplyDocument& document() { return *m_doc; }

    void cmdConfirm_Click() override;
    void cmdSet_Fornitore_Click();
    void cmdSet_TipoDocumento_Click();
    void cmdSet_DataOra_Click();
    void cmdImport_Click();

    void Show_Fornitura();

    // Buttons of an answer line: "<Fornitore>", "<Tipo>", "<Data>", "<Importa>", and
    // "<Documento=text>" for the document's number.
    bool answerButton(const QString& name) override;

protected:
    DocumentRows* rowEntry() override { return &m_doc->rowEntry(); }
    TableData* documentRows() override { return m_doc->rows(); }
    qint64 documentKey() const override;
    void refreshDocumentRows(qint64 row) override { m_doc->Refresh_Articoli(row); }
    void cmdCancel_Click() override;
    bool queryClose() override { return m_doc->QueryClose(); }
    void unloadDocument() override { m_doc->Unload(); }
    bool formCommand(RowKeyCommand command) override;
    void rowsChanged() override;
    void changeEvent(QEvent* event) override;

private:
    void build();
    void Load();
    void after(SupplyDocument::After next);
    void documentNumberEdited(const QString& text);

    std::unique_ptr<SupplyDocument> m_doc;

    QLineEdit* m_txtFornitore = nullptr;
    QPushButton* m_cmdSet_Fornitore = nullptr;
    QLineEdit* m_txtTipoDocumento = nullptr;
    QPushButton* m_cmdSet_TipoDocumento = nullptr;
    QLineEdit* m_txtDocumento = nullptr;
    QLineEdit* m_txtDataOra = nullptr;
    QPushButton* m_cmdSet_DataOra = nullptr;
    QPlainTextEdit* m_txtNote = nullptr;
    QPushButton* m_cmdImport = nullptr;
    QCheckBox* m_chkSoloArticoliFornitore = nullptr;
};
