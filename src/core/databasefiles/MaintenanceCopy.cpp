#include "MaintenanceCopy.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "objdb/DatabaseFileCopy.h"
#include "objdb/ObjDbError.h"
#include "DatabaseFiles.h"
#include "core/seams/DialogServices.h"
#include "base/FileOps.h"
#include "core/seams/MainWindowServices.h"
#include "base/SettingsStore.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include <QDir>
#include <QFileInfo>

namespace {

constexpr QChar CR = u'\r';
const QString kSource = QStringLiteral("Manutenzione");

QWidget* mainWidget()
{
    MainWindowServices* m = mainWindowServices();
    return m ? m->mainWidget() : nullptr;
}

void showMsg(const QString& text) { ShowProgressWindow(text, mainWidget()); }
void unloadMsg() { UnloadProgressWindow(); }

QString dateTimeText(const QDateTime& t) { return t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")); }

// Shifts "<path>.Err" to "<path>.Err.1" and so on, dropping the oldest beyond the kept count.
void rotateErrFiles(const QString& workingPath)
{
    const QString err = workingPath + QStringLiteral(".Err");
    auto numbered = [&](int i) { return err + u'.' + QString::number(i); };
    objdb::RemoveDatabase(numbered(kMaintenanceErrFilesKept));
    for (int i = kMaintenanceErrFilesKept - 1; i >= 1; --i)
        if (fileOps().exists(numbered(i))) objdb::MoveDatabase(numbered(i), numbered(i + 1));
    if (fileOps().exists(err)) objdb::MoveDatabase(err, numbered(1));
}

// The working file was saved as the weekday copy and the restore did not complete: what stands
// under the working name is kept as ".Err" and the weekday copy goes back into place. The
// ".Err" file is a copy and the weekday copy takes the working name in one rename, so the
// working name never stands empty, whenever the program is stopped.
void emergencyRecovery(const QString& workingPath, const QString& weekdayPath)
{
    try {
        if (fileOps().exists(workingPath)) {
            rotateErrFiles(workingPath);
            const QString err = workingPath + QStringLiteral(".Err");
            try {
                objdb::CopyDatabase(workingPath, err);
            } catch (const AppError& e) {
                // Not readable as a database (a broken file), so SQLite cannot copy it: its
                // bytes are kept as they are, with whatever lies beside it, and nothing left
                // beside an earlier ".Err" may pair with them. Any other failure (a file in
                // use, a full disk) is told: a database that may be open is never copied
                // byte for byte.
                if (e.number != objdb::errorNumber(objdb::NotADatabase)) throw;
                const QStringList from = objdb::DatabaseCompanions(workingPath), to = objdb::DatabaseCompanions(err);
                objdb::RemoveDatabase(err);
                bool copied = fileOps().copy(workingPath, err);
                for (int i = 0; copied && i < from.size(); ++i)
                    if (fileOps().exists(from[i])) copied = fileOps().copy(from[i], to[i]);
                if (!copied)
                    throw AppError(AppError::kGenericCode, kSource,
                                   QStringLiteral("Impossibile copiare il file < %1 >: %2")
                                       .arg(workingPath, fileOps().lastError()));
            }
        }
        if (fileOps().exists(weekdayPath)) {
            objdb::MoveDatabase(weekdayPath, workingPath);
            ui().msgBox(QStringLiteral("< RECUPERO DI EMERGENZA COMPLETATO >") + CR + CR
                            + QStringLiteral("Il database originale è stato ripristinato correttamente, quello "
                                             "corrotto è stato salvato in :")
                            + CR + workingPath + QStringLiteral(".Err"),
                        Msg::Information, g_strMsgTitle);
        }
    } catch (const AppError& e) {
        // The operator must know the original is still under the weekday copy's name.
        ui().msgBox(QStringLiteral("Si e' verificato un errore durante lo spostamento degli archivi:") + CR
                        + e.description,
                    Msg::OKOnly, g_strMsgTitle);
    }
}

MaintenanceFolderChooser& chooser()
{
    static MaintenanceFolderChooser c;
    return c;
}

QString chooseFolder(const QString& current)
{
    if (chooser()) return chooser()(current);
    DialogServices* dialogs = dialogServices();
    return dialogs ? dialogs->ChooseFolder(mainWidget(), current) : QString();
}

}   // namespace

void setMaintenanceFolderChooser(MaintenanceFolderChooser c) { chooser() = std::move(c); }

QString MaintenanceWorkingPath() { return JoinPath(settings().RootDir, QString::fromLatin1(kDatabaseFileName)); }
QString MaintenanceCopyPath()
{
    return JoinPath(settings().MaintenanceDir, QString::fromLatin1(kMaintenanceDatabaseFileName));
}
QString MaintenanceFlagPath()
{
    return JoinPath(settings().RootDir, QString::fromLatin1(kMaintenanceDatabaseFileName), QStringLiteral("flg"));
}

QString MaintenanceWeekdayCopyPath(const QString& workingPath, const QDate& day)
{
    const int weekday = day.dayOfWeek() % 7 + 1;   // Sunday 1 .. Saturday 7
    return workingPath + QString::number(weekday) + QStringLiteral(".sav");
}

bool MaintenanceSaveRestore(bool restore)
{
    const QString workingPath = MaintenanceWorkingPath();
    const QString weekdayPath = MaintenanceWeekdayCopyPath(workingPath, appClock().today());
    const QString title = restore ? QStringLiteral("Ripristino dei dati") : QStringLiteral("Salvataggio dei dati");
    bool moved = false;
    try {
        showMsg(title + QStringLiteral("..."));
        if (!restore) {
            const QString chosen = chooseFolder(settings().MaintenanceDir);
            if (!chosen.isEmpty()) settings().MaintenanceDir = chosen;
            if (settings().MaintenanceDir.isEmpty()) {
                // No folder at all: the copy would land wherever the program happens to run.
                unloadMsg();
                return false;
            }
            if (SameFolder(settings().MaintenanceDir,
                           settings().RootDir.isEmpty() ? QDir::currentPath() : settings().RootDir)) {
                ui().msgBox(QStringLiteral("L'indirizzario di manutenzione < ") + settings().MaintenanceDir
                                + QStringLiteral(" > non puo' corrispondere a quello dell'archivio di lavoro"),
                            Msg::Exclamation, g_strMsgTitle);
                unloadMsg();
                return false;
            }
        }
        const QString maintenancePath = MaintenanceCopyPath();

        if (restore) {
            if (!QFileInfo(maintenancePath).isFile()) {
                ui().msgBox(QStringLiteral("Nessun archivio di manutenzione è stato trovato in < ")
                                + settings().MaintenanceDir + QStringLiteral(" >"),
                            Msg::Information, g_strMsgTitle);
                unloadMsg();
                return false;
            }
            if (fileOps().exists(workingPath)) {
                const QFileInfo working(workingPath), maintained(maintenancePath);
                if (maintained.size() == 0)
                    RaiseAppError(kSource,
                                  QStringLiteral("L'archivio da ripristinare risulta vuoto!") + CR + CR
                                      + QStringLiteral("Il supporto potrebbe essere corrotto..."));
                QString question;
                if (working.lastModified() > maintained.lastModified()) {
                    question = QStringLiteral("L'archivio da ripristinare risulta meno recente di quello carrente.")
                        + CR + CR + QStringLiteral("Data archivio corrente: ") + dateTimeText(working.lastModified())
                        + CR + QStringLiteral("Data archivio da ripristinare: ")
                        + dateTimeText(maintained.lastModified()) + CR + CR + QStringLiteral("Interrompere ?");
                } else if (working.size() > maintained.size()) {
                    question = QStringLiteral("L'archivio da ripristinare risulta più piccolo di quello carrente.") + CR
                        + CR + QStringLiteral("Dimensioni archivio corrente: ") + QString::number(working.size())
                        + QStringLiteral(" Bytes") + CR + QStringLiteral("Dimensioni archivio da ripristinare: ")
                        + QString::number(maintained.size()) + QStringLiteral(" Bytes") + CR + CR
                        + QStringLiteral("Interrompere ?");
                }
                if (!question.isEmpty()
                    && ui().msgBox(question, int(Msg::YesNo) + int(Msg::Exclamation), g_strMsgTitle) == Msg::Yes)
                    RaiseAppError(kSource, QStringLiteral("OPERAZIONE ANNULLATA."));

                showMsg(QStringLiteral("Salvataggio archivio corrente in corso..."));
                objdb::RemoveDatabase(weekdayPath);
                objdb::CopyDatabase(workingPath, weekdayPath);
                moved = true;
                showMsg(title + QStringLiteral("..."));
            }
            // In place of the working file (and of any log of it) only once whole.
            objdb::CopyDatabase(maintenancePath, workingPath);
            moved = false;
            // The copy is in place: a maintenance file that cannot go (a read-only medium) must
            // not turn a done restore into a failed one that would be offered again.
            try {
                objdb::RemoveDatabase(maintenancePath);
            } catch (const AppError&) { }
        } else {
            objdb::CopyDatabase(workingPath, maintenancePath);
        }

        if (restore) {
            // The maintained file is in place: whatever fails from here on leaves it restored,
            // and the operator reads what is left to do instead of a failure.
            QStringList leftUndone;
            try {
                settingsStore().set(QStringLiteral("Configuration"), QStringLiteral("MaintenanceDir"),
                                    settings().MaintenanceDir);
                settingsStore().sync();
            } catch (const AppError& e) {
                leftUndone << QStringLiteral("- le impostazioni non sono state salvate: ") + e.description;
            }
            // Whoever asked for the restore, the maintenance state is over.
            if (!fileOps().remove(MaintenanceFlagPath()))
                leftUndone << QStringLiteral("- il file di controllo dello stato di manutenzione < ")
                        + MaintenanceFlagPath() + QStringLiteral(" > non è stato eliminato: ") + fileOps().lastError();
            if (!leftUndone.isEmpty())
                ui().msgBox(QStringLiteral("Il database di manutenzione è stato ripristinato in < ") + workingPath
                                + QStringLiteral(" >, ma:") + CR + leftUndone.join(CR),
                            Msg::Exclamation, g_strMsgTitle);
        } else {
            settingsStore().set(QStringLiteral("Configuration"), QStringLiteral("MaintenanceDir"),
                                settings().MaintenanceDir);
            settingsStore().sync();
            ui().msgBox(QStringLiteral("OPERAZIONE COMPLETATA.") + CR + CR
                            + QStringLiteral("Il database di manutenzione è stato salvato in < ") + maintenancePath
                            + QStringLiteral(" >"),
                        Msg::Information, g_strMsgTitle);
        }
        unloadMsg();
        return true;
    } catch (const std::exception& ex) {
        const auto* app = dynamic_cast<const AppError*>(&ex);
        QString text = QStringLiteral("Si e' verificato un errore durante lo spostamento degli archivi:") + CR
            + (app ? app->description : QString::fromUtf8(ex.what()));
        if (!restore)
            text += QString(CR) + CR + QStringLiteral("N.B.: Assicurarsi che non ci siano altri terminali connessi");
        ui().msgBox(text, Msg::OKOnly, g_strMsgTitle);
        unloadMsg();
        if (restore && moved) emergencyRecovery(workingPath, weekdayPath);
        return false;
    }
}

bool CheckMaintenanceState()
{
    if (!MaintenanceFlagExists()) return true;
    // A restore that could not remove the flag leaves it older than the restored working file,
    // with no maintained file left: the restore is done, and offering it again would only
    // look for the file in an empty folder.
    const QFileInfo flag(MaintenanceFlagPath()), working(MaintenanceWorkingPath());
    if (!QFileInfo::exists(MaintenanceCopyPath()) && working.isFile() && working.lastModified() > flag.lastModified()) {
        WriteMaintenanceFlag(false);
        return true;
    }
    for (;;) {
        const int answer = ui().msgBox(QStringLiteral("L'archivio risulta nello stato di manutenzione.") + CR + CR
                                           + QStringLiteral("Ripristinare l'archivo aggiornato da < ")
                                           + settings().MaintenanceDir + QStringLiteral(" > ?"),
                                       int(Msg::YesNoCancel) + int(Msg::Question), g_strMsgTitle);
        if (answer == Msg::Cancel) return false;
        if (answer == Msg::Yes) {
            if (MaintenanceSaveRestore(true)) break;
            if (ui().msgBox(QStringLiteral("Vuoi riprovare il ripristino da < ") + settings().MaintenanceDir
                                + QStringLiteral(" > ?"),
                            int(Msg::YesNo) + int(Msg::Exclamation), g_strMsgTitle)
                == Msg::No)
                return false;
            continue;
        }
        if (ui().msgBox(
                QStringLiteral("Confermando questa operazione verrà ripristinato")
                    + QStringLiteral(" l'archivio corrente senza tenere conto dell'operazione di manutenzione...") + CR
                    + CR + QStringLiteral("Confermi ?"),
                int(Msg::YesNo) + int(Msg::Exclamation) + Msg::DefaultButton2, g_strMsgTitle)
            == Msg::Yes) {
            const QString maintenancePath = MaintenanceCopyPath();
            if (fileOps().exists(maintenancePath) && !fileOps().remove(maintenancePath)) {
                ui().msgBox(QStringLiteral("Si e' verificato un errore durante lo spostamento degli archivi:") + CR
                                + fileOps().lastError(),
                            Msg::OKOnly, g_strMsgTitle);
                continue;
            }
            break;
        }
    }
    WriteMaintenanceFlag(false);
    return true;
}

void WriteMaintenanceFlag(bool on)
{
    const QString flag = MaintenanceFlagPath();
    bool ok = true;
    if (on) {
        if (!fileOps().exists(flag)) ok = fileOps().writeFile(flag, QByteArray(kMaintenanceFlagLine) + "\r\n");
    } else {
        ok = fileOps().remove(flag);
    }
    if (!ok)
        ui().msgBox(
            QStringLiteral("Errore in impostazione flag (") + (on ? QStringLiteral("True") : QStringLiteral("False"))
                + QStringLiteral(") di controllo stato manutenzione (") + flag + u')' + CR + CR + fileOps().lastError(),
            Msg::OKOnly, g_strMsgTitle);
}

bool MaintenanceFlagExists() { return QFileInfo(MaintenanceFlagPath()).isFile(); }

MaintenanceOutcome RunMaintenanceCommand(bool restore)
{
    if (restore && settings().MaintenanceDir.isEmpty()) {
        ui().msgBox(QStringLiteral("L'operazione di manutenzione non è stata attivata da questo terminale"),
                    Msg::OKOnly, g_strMsgTitle);
        return MaintenanceOutcome::Nothing;
    }
    ReleaseDatabase();
    const bool done = MaintenanceSaveRestore(restore);
    if (!restore && done) {
        WriteMaintenanceFlag(true);
        return MaintenanceOutcome::EndProgram;
    }
    return MaintenanceOutcome::Reopen;
}
