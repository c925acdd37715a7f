#include "ArchiveImport.h"
#include "core/configuration/Configuration.h"
#include "objdb/DBEngine.h"
#include "objdb/DatabaseFileCopy.h"
#include "objdb/Database.h"
#include "DatabaseFiles.h"
#include "core/seams/DialogServices.h"
#include "core/lifecycle/ErrorReporting.h"
#include "core/seams/MainWindowServices.h"
#include "objdb/ObjDbError.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include <QFileInfo>
#include <QTemporaryDir>
#include <QSet>
#include <memory>
#include <optional>

namespace {

ArchiveRowsViewer& viewerSlot()
{
    static ArchiveRowsViewer v;
    return v;
}

void showRowsWindow(TableData& rows, QWidget* owner)
{
    if (DialogServices* dialogs = dialogServices()) dialogs->ShowRows(rows, owner);
}

QWidget* mainWidget()
{
    MainWindowServices* m = mainWindowServices();
    return m ? m->mainWidget() : nullptr;
}

// The archive is read from a private copy: even a read-only opening leaves the engine's
// companion files beside a database, and the archive must stay exactly as it was. The copy is
// read through the database engine, so rows still in the archive's log come along. The
// copy's engine is closed, the copy removed and the progress window unloaded whichever way
// the import ends.
struct ImportScope {
    QTemporaryDir folder;
    QString archivePath;
    std::shared_ptr<DBEngine> engine = std::make_shared<DBEngine>();

    void open(const QString& path)
    {
        archivePath = path;
        if (!folder.isValid())
            throw AppError(AppError::kFileNotFound, QStringLiteral("Importazione"), folder.errorString());
        const QString snapshot = folder.filePath(QFileInfo(path).fileName());
        try {
            objdb::CopyDatabase(path, snapshot);
        } catch (AppError& e) {
            // Named after the archive alone, the copy's failure would read "copy X into X".
            const QString copying
                = QStringLiteral("Impossibile copiare il database < %1 > in < %2 >").arg(path, snapshot);
            if (e.description.startsWith(copying))
                e.description = QStringLiteral("Impossibile leggere il database < %1 >").arg(path)
                    + e.description.mid(copying.size());
            throw;
        }
        engine->OpenDatabase(DBEngine::kReadOnlyOpen, snapshot);
    }
    // The operator chose the archive and knows nothing of the private copy: an error names
    // the archive.
    AppError shown(AppError e) const
    {
        if (!archivePath.isEmpty()) {
            const QString snapshot = folder.filePath(QFileInfo(archivePath).fileName());
            e.description.replace(snapshot, archivePath);
            e.description.replace(folder.path(), QFileInfo(archivePath).absolutePath());
        }
        return e;
    }
    ~ImportScope()
    {
        try {
            if (engine->IsOpen()) engine->Close();
        } catch (...) { }
        UnloadProgressWindow();
    }
};

}   // namespace

void setArchiveRowsViewer(ArchiveRowsViewer viewer) { viewerSlot() = std::move(viewer); }

QString FindArchiveImportConflict(TableData& source, TableData& target)
{
    TableObject* targetTable = target.GetTable();
    TableObject* sourceTable = source.GetTable();
    if (!targetTable || !sourceTable) return QString();
    Database* db = target.GetDatabase();
    DBEngine* engine = target.GetEngine();
    const std::shared_ptr<DBEngine> targetEngine = engine ? engine->shared_from_this() : nullptr;
    const QString keyField = targetTable->GetKeyField();

    // Every archive row, by OID, with what names it for the operator.
    QList<qint64> oids;
    QHash<qint64, QString> names;
    auto rows = source.Clone();
    for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) {
        const qint64 oid = rows->GetOID();
        oids << oid;
        names.insert(oid,
                     !keyField.isEmpty() && rows->HasField(keyField)
                         ? keyField + QStringLiteral(" = ") + rows->GetText(keyField)
                         : QStringLiteral("OID = ") + QString::number(oid));
    }
    const QString from = u'[' + targetTable->GetStorageName() + u']';
    constexpr int kChunk = 500;
    for (int first = 0; first < oids.size(); first += kChunk) {
        QStringList list;
        for (int i = first; i < std::min<int>(first + kChunk, int(oids.size())); ++i) list << QString::number(oids[i]);
        const auto found = db->RunQuery(
            QStringLiteral("SELECT OID FROM %1 WHERE OID IN (%2)").arg(from, list.join(u',')), targetEngine);
        QSet<qint64> landed;
        for (const QVariantList& r : found.rows) landed.insert(r.value(0).toLongLong());
        for (int i = first; i < std::min<int>(first + kChunk, int(oids.size())); ++i)
            if (!landed.contains(oids[i])) return names.value(oids[i]);
    }
    return QString();
}

// The import is one transaction whatever the engine's setting: a refused copy must leave
// the working table exactly as it was.
class ImportTransaction {
public:
    explicit ImportTransaction(DBEngine& engine) : m_engine(engine), m_wasOn(engine.UseTransaction())
    {
        m_engine.SetUseTransaction(true);
        m_engine.BeginTransaction();
        m_open = true;
    }
    ~ImportTransaction()
    {
        try {
            rollback();
        } catch (...) { }
        m_engine.SetUseTransaction(m_wasOn);
    }
    void commit()
    {
        m_engine.CommitTransaction();
        m_open = false;
    }
    void rollback()
    {
        if (!m_open) return;
        m_open = false;
        m_engine.RollbackTransaction();
    }

private:
    DBEngine& m_engine;
    bool m_wasOn;
    bool m_open = false;
};

bool ImportArchiveData(const QString& path, TableData& target, QWidget* window, itfNotifyEvent* notify)
{
    if (!notify) notify = DatabaseNotifyTarget();
    bool result = false;
    DBEngine* workingEngine = target.GetEngine();
    std::optional<ImportTransaction> transaction;
    ImportScope scope;
    try {
        scope.open(path);
        ShowProgressWindow(QStringLiteral("Analisi dei dati..."), window);

        TableObject* targetTable = target.GetTable();
        if (!targetTable)
            throw objdb::error(objdb::UnknownTable, QStringLiteral("Importazione"), QStringLiteral("Nessuna tabella"));
        const QString name = targetTable->Name();
        const QString second = targetTable->GetStorageName();
        const QString caption = targetTable->GetCaption();
        // Every table of the archive, not only this one: the rows' references must find their
        // rows, to be matched with the working file's own or brought along, never copied as
        // numbers that point nowhere.
        auto archive = LibraryGlobal::OpenExistingDatabase(scope.engine, notify);
        TableCollection& tables = archive->Tables();
        if (!tables.Exists(second) && !tables.Exists(name)) {
            ui().msgBox(QStringLiteral("L'archivio selezionato non contiene dati < ") + caption
                            + QStringLiteral(" > da importare!"),
                        Msg::OKOnly, g_strMsgTitle);
            return false;
        }
        // Without the target's key field in the archive the rows come with that field empty:
        // adding the field to the archive would write to it.
        TableObject* sourceTable = tables.Exists(name) ? tables.Item(name) : tables.Item(second);
        std::unique_ptr<TableData> source = sourceTable->Select();

        if (source->IsEmpty()) {
            ui().msgBox(QStringLiteral("L'archivio non contiene dati da importare"), Msg::Information, g_strMsgTitle);
        } else {
            if (ui().msgBox(QStringLiteral("Vuoi visualizzare i dati che verranno importati ?"),
                            int(Msg::YesNo) + int(Msg::Question), g_strMsgTitle)
                == Msg::Yes) {
                if (viewerSlot())
                    viewerSlot()(*source, window);
                else
                    showRowsWindow(*source, window);
            }
            if (ui().msgBox(QStringLiteral("Confermi l'importazione ?"), int(Msg::YesNo) + int(Msg::Question),
                            g_strMsgTitle)
                == Msg::No) {
                source->Close();
                return false;
            }
        }

        ShowProgressWindow(QStringLiteral("Importazione <") + caption + QStringLiteral(" > in corso..."), mainWidget());
        transaction.emplace(*workingEngine);
        const bool copied = source->CopyRows(target, ProgressWindowTarget());
        if (copied) {
            // A row the copy matched with another row by a unique value (its code) would
            // overwrite that row: the whole import goes back instead.
            const QString conflict = FindArchiveImportConflict(*source, target);
            if (!conflict.isEmpty())
                throw objdb::error(objdb::UniqueViolation, caption,
                                   QStringLiteral("Il valore < ") + conflict + QStringLiteral(" > è già presente in < ")
                                       + caption + QStringLiteral(" >: nessun dato è stato importato."));
            transaction->commit();
            ui().msgBox(QStringLiteral("OPERAZIONE COMPLETATA."), Msg::Information, g_strMsgTitle);
        } else {
            // The operator has just confirmed the stop: the rows go back without a further word.
            transaction->rollback();
        }
        source->Close();
        result = true;
    } catch (...) {
        const AppError error = scope.shown(CurrentError());
        if (transaction) {
            try {
                transaction->rollback();
            } catch (...) { }
        }
        UnloadProgressWindow();
        ShowErrorDetails(error, QStringLiteral("Impossibile importare i dati"));
    }
    return result;
}

bool ImportArchiveCommand(TableData& shown, QWidget* window)
{
    const auto path
        = ui().openFileName(QStringLiteral("Importazione dati"), QStringLiteral("ObjDBMS Tarno File|*.tdb;*.mdb"));
    if (!path || path->isEmpty()) return false;
    return ImportArchiveData(*path, shown, window);
}
