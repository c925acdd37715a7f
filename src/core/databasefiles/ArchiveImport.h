#pragma once
// Import of one table from another database file of the program (an archive): every row of
// the table shown in the main window is copied from the archive into the working database,
// after an analysis of the file and the operator's confirmation, all or nothing.
//
// The archive is read from a private copy, opened read-only: the file itself is never
// written, not even with the engine's companion files. A row whose unique code (or any other
// unique value) already belongs to another row of the working table, or to another row of
// the archive, stops the import before anything is copied: importing must not overwrite a
// different row that happens to share its code.
#include <QString>
#include <functional>

class QWidget;
class TableData;
class itfNotifyEvent;

// True once the copy step ran (committed, or stopped and rolled back, so the caller refreshes
// its view); False when the import stopped earlier or failed. `window`: the calling window,
// over which the progress window shows; `notify`: the library's notification target for the
// archive (null: the registered main window's).
bool ImportArchiveData(const QString& path, TableData& target, QWidget* window = nullptr,
                       itfNotifyEvent* notify = nullptr);

// The main window's import command after the operator's confirmation: the archive is chosen
// in the open-file dialog ("ObjDBMS Tarno File|*.tdb;*.mdb"), then imported into the shown
// rows. True when the caller should refresh its view.
bool ImportArchiveCommand(TableData& shown, QWidget* window = nullptr);

// "Vuoi visualizzare i dati che verranno importati ?" answered Yes: the archive's rows are
// shown (modally) by this viewer. By default a read-only table window; with the program's
// questions coming from a script, a status line naming the table and its row count.
using ArchiveRowsViewer = std::function<void(TableData& rows, QWidget* owner)>;
void setArchiveRowsViewer(ArchiveRowsViewer viewer);   // null restores the default

// After the copy: the first archive row that did not land under its own OID, because the copy
// matched it by a unique value with another row of the target table (or of the archive), as
// "Codice = valore" (empty when every row landed as itself).
QString FindArchiveImportConflict(TableData& source, TableData& target);
