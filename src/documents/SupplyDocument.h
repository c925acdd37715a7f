#pragma once
// A supplier's delivery, without its window: one supply at a time (a row of Forniture with
// its load rows and its payment), started for a picked supplier and document type, edited
// inside one engine transaction, filled by codes or by the supplier's delivery file, and
// confirmed: the payment step, every article delivered linked to the supplier (once), the
// paid question when supplier payments are tracked, the supply completed. The load rows'
// rules raise the stock by what was delivered. What it shares with the sale is
// DocumentSession's.
//
// The window (frmForniture) shows what header() returns and hands over the operator's
// clicks; choices in the library's dialogs come through the DocumentOperator, questions
// and messages through ui().
#include "DocumentSession.h"

#include <QString>
#include <functional>
#include <memory>

class Database;
class DocumentOperator;
class BarcodeTarget;
class ImportOperator;
class TableData;

class SupplyDocument : public DocumentSession {
public:
    SupplyDocument(Database& db, DocumentOperator& op);

    // When the window is activated with no supply open: the code box made the target of
    // scanned codes and a new supply started. False when none started: the window unloads.
    [[nodiscard]] bool Activate(std::shared_ptr<BarcodeTarget> codeBox) override;

    // ---- the supply ------------------------------------------------------------------------
    // A new supply: the supplier always picked (the default one offered first), the document
    // type the default one or picked. False when either was not chosen, or it failed.
    [[nodiscard]] bool Add_Fornitura() { return AddDocument(); }
    // The supply `dataSet` (over Forniture) stands on, opened for changes. False when it could
    // not be opened (reported): the window unloads.
    [[nodiscard]] bool Edit_Fornitura(TableData* dataSet) { return EditDocument(dataSet); }
    TableData* supply() const { return document(); }

    struct Header : DocumentSession::Header {
        QString documentType;
        QString document;
        bool importEnabled = false;   // "&Importa": the supplier has a layout with fields
    };
    [[nodiscard]] Header header();

    // ---- header commands ---------------------------------------------------------------------
    bool SetSupplier() { return SetCounterpart(); }
    bool SetDocumentType();
    // The document's number, in capitals whatever was typed.
    void SetDocumentNumber(const QString& text);
    // "&Importa": the supplier's delivery file read into the supply's rows through the import
    // window, which the caller opens (it sits above this rule): given the supply, its rows,
    // the supplier's layouts and the operator, it answers true when every read row went in.
    // True when rows were added.
    using ImportWindow
        = std::function<bool(TableData& supply, TableData& supplyRows, TableData& layouts, ImportOperator& op)>;
    bool Import(const ImportWindow& window);

protected:
    void fillNew(TableData& row) override;
    void documentShown() override;
    void documentDropped() override;
    bool complete() override;
    void completed() override;

private:
    std::unique_ptr<TableData> m_layouts;   // the supplier's layouts while an import is possible
};
