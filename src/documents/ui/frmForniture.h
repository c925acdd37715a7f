#pragma once
// "Fornitura Articoli": a supplier's delivery. The supplier, document type, number, date
// and note above, the rows in the middle (typed, scanned or imported from the supplier's
// delivery file), the total, confirm and cancel below. The supply's logic is
// SupplyDocument's; the row entry and the window's life around the supply are
// DocumentForm's.
#include "DocumentForm.h"
#include "documents/SupplyDocument.h"

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
    static void Open(QWidget* owner, TableData* supply = nullptr) { openOne<frmForniture>(owner, supply); }
    static frmForniture* Instance() { return openedOne<frmForniture>(); }

    SupplyDocument& document() { return *m_doc; }

    void cmdSet_TipoDocumento_Click();
    void cmdSet_DataOra_Click();
    void cmdImport_Click();

    void showHeader() override;

    // Besides the buttons (see build()), "<Documento=text>" types the document's number.
    bool answerButton(const QString& name) override;

protected:
    bool formCommand(RowKeyCommand command) override;
    void rowsChanged() override { showHeader(); }

private:
    void build();
    void Load();
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
