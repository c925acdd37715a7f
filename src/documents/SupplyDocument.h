#pragma once
// A supplier's delivery, without its window: one supply at a time (a row of Forniture with
// its load rows and its payment), started for a picked supplier and document type, edited
// inside one engine transaction, filled by codes or by the supplier's delivery file, and
// confirmed: the payment step, every article delivered linked to the supplier (once), the
// paid question when supplier payments are tracked, the supply completed. The load rows'
// rules raise the stock by what was delivered.
//
// The window (frmForniture) shows what header() returns and hands over the operator's
// clicks; choices in the library's dialogs come through the DocumentOperator, questions
// and messages through ui().
#include "base/Currency.h"
#include "DocumentRows.h"
#include "DocumentSession.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

class Database;
class DocumentOperator;
class BarcodeTarget;
class QWidget;
class TableData;

class SupplyDocument {
public:
    SupplyDocument(Database& db, DocumentOperator& op);
    ~SupplyDocument();
    SupplyDocument(const SupplyDocument&) = delete;
    SupplyDocument& operator=(const SupplyDocument&) = delete;

    // ---- the window's life -----------------------------------------------------------------
    // When the window is activated with no supply open: the code box made the target of
    // scanned codes and a new supply started. False when none started: the window unloads.
    [[nodiscard]] bool Activate(std::shared_ptr<BarcodeTarget> codeBox);
    // Whether the window may close: a new supply that has rows is deleted only after the
    // operator confirms, as "&Annulla" asks.
    [[nodiscard]] bool QueryClose();
    // The supply given up, the code box no longer a target, the main window's view refreshed.
    void Unload();

    // ---- the supply ------------------------------------------------------------------------
    // A new supply: the supplier always picked (the default one offered first), the document
    // type the default one or picked. False when either was not chosen, or it failed.
    [[nodiscard]] bool Add_Fornitura();
    // The supply `dataSet` (over Forniture) stands on, opened for changes. False when it could
    // not be opened (reported): the window unloads.
    [[nodiscard]] bool Edit_Fornitura(TableData* dataSet);
    bool isOpen() const { return m_supply != nullptr; }
    bool isEditing() const { return m_editing; }
    TableData* supply() const { return m_supply.get(); }
    TableData* rows() const { return m_rows.get(); }
    DocumentRows& rowEntry() { return m_rowEntry; }

    // Reads the rows again, standing on `row` (0: the first).
    void Refresh_Articoli(qint64 row = 0);

    struct Header {
        QString supplier;
        QString documentType;
        QString document;
        QDateTime date;
        QString note;
        Currency total;
        Currency convertedTotal;
        QString convertedName;
        bool importEnabled = false;   // "&Importa": the supplier has a layout with fields
    };
    [[nodiscard]] Header header();

    // ---- header commands ---------------------------------------------------------------------
    bool SetSupplier();
    bool SetDocumentType();
    bool SetDate();
    // The document's number, in capitals whatever was typed.
    void SetDocumentNumber(const QString& text);
    void SetNote(const QString& note);
    // "&Importa": the supplier's delivery file read into the supply's rows through the import
    // window. True when rows were added.
    bool Import(QWidget* caller);

    // ---- confirm and cancel --------------------------------------------------------------------
    enum class After {
        Stay,         // the supply stays open as it is
        NextSupply,   // done, and a new supply is open
        Unload,       // the window unloads
    };
    After Confirm();
    After Cancel();

private:
    void Show_Fornitura();
    void Release_Fornitura();
    void bindRows();
    bool setReference(const QString& field, TableData& candidates);

    Database& m_db;
    DocumentOperator& m_op;
    DocumentRows m_rowEntry;
    DocumentTransaction m_transaction;
    std::unique_ptr<TableData> m_supply;
    std::unique_ptr<TableData> m_rows;
    std::unique_ptr<TableData> m_layouts;   // the supplier's layouts while an import is possible
    bool m_codeBoxRegistered = false;
    bool m_editing = false;
};
