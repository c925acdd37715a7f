#pragma once
// The main window's commands on the rows of the shown view: open the grid's current row, add
// a row, delete the selected rows, the shortcuts to the sale, supply and article windows,
// and the two searches for documents not completed. Sales and supplies open in their own
// windows (through the window's document-form hook); every other table in the library's
// row editor. Rows are found by their keys (the grid's bookmarks), never by position, so a
// command acts on exactly the rows the operator chose.
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class ObjDataGrid;
class PrintProgress;
class QWidget;
class TableData;

class RecordCommands {
public:
    struct Hooks {
        // The shown data set (m_objCurDataSource while a view shows); null when none is.
        std::function<TableData*()> dataSet;
        // The sale or supply window on the document `oid` (0: a new one) of `table`.
        std::function<void(const QString& table, qint64 oid)> openDocumentForm;
        // RefreshDetailView with these order and condition.
        std::function<void(const QString& order, const QString& where)> refreshView;
        // Makes the tree node of this key the selected one (nothing when it is already).
        std::function<void(const QString& key)> selectNode;
        std::function<void()> newArticle;   // the article window, modal
        std::function<void()> findArticle;   // the article search
        // The progress window of a delete (by default over the owner).
        std::function<std::unique_ptr<PrintProgress>()> progress;
        // Asked before a new row is made in the backup archive (default ConfirmBackupInsert).
        std::function<bool()> confirmBackupInsert;
        // Holds the shown rows while a command works on them (DetailViewPanel::HoldView):
        // the windows it opens may ask for a refresh, which waits until it is done.
        std::function<std::shared_ptr<void>()> hold;
    };
    RecordCommands(ObjDataGrid& grid, QWidget* owner, Hooks hooks);

    // Opens the grid's current row: with `edit`, a sale or supply (a document) in its own
    // window, anything else in the library's row editor; the rows are read again afterwards.
    void ViewEditData(bool edit);
    void DblClick() { ViewEditData(false); }
    // "Visualizza / &Modifica...": edits, except in the backup archive, where every row opens
    // in the row editor.
    void FileProperties();
    // "&Nuovo...": a new sale or supply in its window, any other row in the row editor.
    void FileNew();
    // "&Elimina": the selected rows (two or more), else the current one, after the question.
    void FileDelete();
    void NewSale();
    void NewSupply();
    void NewArticle();
    void FindArticle();
    // The documents of `table` ("Vendite", "Forniture") not completed.
    void NotCompleted(const QString& table);

private:
    TableData* shown() const;
    bool confirmBackupInsert() const;
    void deleteRows(TableData& ds, PrintProgress& progress);

    ObjDataGrid& m_grid;
    QPointer<QWidget> m_owner;
    Hooks m_hooks;
};
