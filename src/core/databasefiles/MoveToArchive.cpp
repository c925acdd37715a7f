// The move of a finished document from the working database into the backup archive.
#include "core/helpers/BusinessHelpers.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "DatabaseFiles.h"
#include "DatabaseRepair.h"
#include "core/seams/DialogServices.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include <QDir>
#include <QFileInfo>

namespace {

// The tables whose rows are documents that may leave the working file (exact names).
bool movable(const QString& table)
{
    return QStringLiteral(",Vendite,Forniture,VariazioniMagazzino,Ordini,Inventari,").contains(u',' + table + u',');
}

class ProgressWindow {
public:
    ProgressWindow(bool shown, QWidget* owner) : m_shown(shown), m_owner(owner) { }
    ~ProgressWindow() { close(); }
    void show(const QString& text)
    {
        if (m_shown) ShowProgressWindow(text, m_owner, -1, -1);
    }
    itfProgress* target() { return m_shown ? ProgressWindowTarget() : nullptr; }
    void close()
    {
        if (m_shown && ProgressWindowLoaded()) UnloadProgressWindow();
    }

private:
    bool m_shown;
    QWidget* m_owner;
};

// Opens the backup archive on first use (creating the file when missing) and brings it
// up to the working database's own definition.
void openBackupArchive(Database& db, const QString& path, itfProgress* progress)
{
    if (g_objBackupDBEngine && db.isAttached(*g_objBackupDBEngine)) return;
    if (!g_objBackupDBEngine) {
        auto engine = std::make_shared<DBEngine>();
        // An archive a crash left under a repair's name is the archive, not a missing one.
        (void)DatabaseRepair::RecoverInterruptedSwap(path, QFileInfo(path).absolutePath());
        if (!FileExists(path, 0)) engine->CreateDatabase(g_nDBOpenMode, path, 0, 0);
        engine->OpenDatabase(g_nDBOpenMode, path, 0, 0, nullptr, 5, 0, true, true, 0, -2);
        g_objBackupDBEngine = engine;
    }
    db.AttachEngine(g_objBackupDBEngine, false, 0, 0, 0, progress);
}

void dropBackupEngine()
{
    if (!g_objBackupDBEngine) return;
    try {
        g_objBackupDBEngine->Close();
    } catch (const AppError&) {
        // Dropped anyway: the next move opens the file again.
    }
    g_objBackupDBEngine.reset();
}

}   // namespace

bool BackupFolderAllowed(const QString& rootDir, const QString& backupDir, QString* refusal)
{
    if (backupDir.trimmed().isEmpty()) {
        if (refusal) *refusal = QStringLiteral("L'indirizzario di backup non è impostato.");
        return false;
    }
    // The working folder under any spelling is refused. A name differing only in letter
    // case is another folder on this system, and a good place for the archive.
    if (SameFolder(rootDir, backupDir)) {
        if (refusal)
            *refusal = QStringLiteral("L'indirizzario di backup <") + backupDir
                + QStringLiteral("> non puo' corrispondere a quello dell'archivio di lavoro");
        return false;
    }
    return true;
}

bool MoveToArchive(QWidget* owner, TableData* element, bool skipConfirmation, bool showProgress)
{
    if (!element) return false;
    QString refusal;
    bool allowed = BackupFolderAllowed(settings().RootDir, settings().BackupDir, &refusal);
    // The file the element lives in counts as the working folder too, whatever RootDir says.
    if (allowed && element->GetEngine() && !element->GetEngine()->Path().isEmpty())
        allowed = BackupFolderAllowed(QFileInfo(element->GetEngine()->Path()).absolutePath(), settings().BackupDir,
                                      &refusal);
    if (!allowed) {
        ui().msgBox(refusal, int {Msg::OKOnly} | Msg::Exclamation, AppTitle());
        return false;
    }
    TableObject* table = element->GetTable(QString());
    const QString tableName = table->Name();
    if (!movable(tableName)) {
        ui().msgBox(QStringLiteral("L'elemento <") + table->GetCaption()
                        + QString::fromUtf8("> non può essere spostato."),
                    int {Msg::OKOnly} | Msg::Critical, AppTitle());
        return false;
    }
    if (element->HasNoCurrentRow()) {
        ui().msgBox(QStringLiteral("Nessun elemento da spostare."), Msg::OKOnly, AppTitle());
        return false;
    }

    const QString path = BuildFilePath(settings().BackupDir, QString::fromLatin1(kDatabaseFileName), QString());
    const QString title = QStringLiteral("Spostamento elemento <") + tableName + QStringLiteral("> corrente");
    ProgressWindow progress(showProgress, owner);
    try {
        if (!skipConfirmation
            && ui().msgBox(QStringLiteral("ATTENZIONE\r\rL'elemento selezionato verrà spostato nell'archivio:\r") + path
                               + QStringLiteral("\r\rConfermi ?"),
                           int {Msg::YesNo} | Msg::Question | Msg::DefaultButton2, title)
                != Msg::Yes)
            return false;
        progress.show(QStringLiteral("Analisi archivio destinazione per spostamento..."));

        Database& db = *element->GetDatabase();
        openBackupArchive(db, path, progress.target());
        progress.show(title + QStringLiteral("..."));

        const qint64 oid = element->GetOID();
        const QString thisRow = table->BuildKeyCondition(oid);
        {
            auto target = table->Select(QString(), QString(), QString(), g_objBackupDBEngine);
            if (!element->CopyRowTo(*target, !g_bBackupArchiveMode))
                throw AppError::object(AppError::kGenericCode, AppTitle(),
                                       QStringLiteral("Copia dell'elemento nell'archivio di backup non riuscita"));
            target->Close();
        }
        // The copy is on disk before the working file lets the element go.
        g_objBackupDBEngine->Flush();

        bool removed = false;
        QString failure;
        try {
            // As it is: the element's rules would give stock and vouchers back for a document
            // that still exists, in the archive.
            element->DeleteRowWithoutRules();
            removed = true;
        } catch (const AppError& e) {
            failure = e.description;
        }
        if (!removed) {
            // Taken back out of the archive, so the element stays in exactly one file.
            (void)table->Select(thisRow, QString(), QString(), g_objBackupDBEngine)->DeleteRows();   // nothing stops it
            g_objBackupDBEngine->Flush();
            throw AppError::object(
                AppError::kGenericCode, AppTitle(),
                failure.isEmpty() ? QStringLiteral("Eliminazione dell'elemento dall'archivio di lavoro non riuscita")
                                  : failure);
        }
        progress.close();
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        dropBackupEngine();
        progress.close();
        ShowErrorDetails(e,
                         QStringLiteral("Si e' verificato un errore: \r\r") + e.description
                             + QStringLiteral("\r\rCHIUDERE COMPLETAMENTE IL PROGRAMMA E RIPROVARE."));
        return false;
    }
}
