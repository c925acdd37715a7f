#pragma once
// The maintenance copy: the whole working database handed over to a maintenance folder
// and taken back. While the flag file beside the working database exists, every start
// offers to restore the maintained file (CheckMaintenanceState).
//
// The caller releases the database before a save or a restore.
#include <QDate>
#include <QString>
#include <functional>

inline constexpr const char* kMaintenanceFlagLine = "Maintenance Mode Activated - Flag File";
// Older ".Err" files kept by the emergency recovery (".Err.1" the newest of them).
inline constexpr int kMaintenanceErrFilesKept = 5;

// RootDir joined with "Mirtavolia.mdb" (the maintenance copy always moves this file).
QString MaintenanceWorkingPath();
// MaintenanceDir joined with "MirtavoliaMaintenance.mdb".
QString MaintenanceCopyPath();
// RootDir joined with "MirtavoliaMaintenance.flg".
QString MaintenanceFlagPath();
// The working path followed by the weekday number (Sunday 1 .. Saturday 7) and ".sav".
QString MaintenanceWeekdayCopyPath(const QString& workingPath, const QDate& day);

// restore False: saves the working file to the maintenance folder chosen by the operator;
// True: restores the maintenance file over the working one, keeping the replaced file as
// the weekday copy. True when the copy was made; every failure is shown to the operator.
// A successful restore also clears the flag file, whoever asked for it.
[[nodiscard]] bool MaintenanceSaveRestore(bool restore);
// The start-up offer while the flag file exists. True when the database may be opened.
[[nodiscard]] bool CheckMaintenanceState();
// on True: creates the flag file (an existing one is left alone); False: deletes it.
void WriteMaintenanceFlag(bool on);
[[nodiscard]] bool MaintenanceFlagExists();

// What the main window's save and restore commands do after the operator confirmed and the
// database was released: the program ends after a save, or the database is opened again.
enum class MaintenanceOutcome { EndProgram, Reopen, Nothing };
// Save: on success the flag file is written and the program is to end; on failure reopen.
// Restore: with no MaintenanceDir only the message "L'operazione di manutenzione non è
// stata attivata da questo terminale" and Nothing (the database was not released); else
// reopen, after a successful restore as after a failed one. The database is released here.
MaintenanceOutcome RunMaintenanceCommand(bool restore);

// The folder choice of the save: the current MaintenanceDir in, the chosen folder out
// (empty when cancelled). By default the folder window, or the script's next line when the
// program's questions come from a script.
using MaintenanceFolderChooser = std::function<QString(const QString& current)>;
void setMaintenanceFolderChooser(MaintenanceFolderChooser chooser);   // null restores the default
