#include "BackupRestore.h"
#include "base/AppError.h"
#include "core/helpers/BusinessHelpers.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/JetTranslator.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/DatabaseOperation.h"
#include "core/databasefiles/DatabaseRepair.h"
#include "core/lifecycle/ErrorReporting.h"
#include "base/FileOps.h"
#include "core/seams/MainWindowServices.h"
#include "OperationWindows.h"
#include "SaveReminder.h"
#include "core/helpers/SystemHelpers.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "base/UiServices.h"
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <sys/stat.h>

namespace {

const QString kArticoli = QStringLiteral("Articoli");
const QString kForniture = QStringLiteral("Forniture");
const QString kVendite = QStringLiteral("Vendite");
const QString kRicevute = QStringLiteral("Ricevute");

// The documents of a period, in the order of their copy, and the order of their deletion
// (the receipts go before the sales they point to).
struct PeriodTable {
    QString name;
    QString dateField;
    bool completedOnly;
};
const PeriodTable kPeriodTables[] = {
    {kForniture, QStringLiteral("DataFornitura"), true},
    {kVendite, QStringLiteral("DataVendita"), true},
    {kRicevute, QStringLiteral("Data"), false},
};
const QString kDeleteOrder[] = {kForniture, kRicevute, kVendite};

QString jetDate(const QDate& d) { return JetTranslator::JetDateLiteral(QDateTime(d, QTime(0, 0)), false); }
QString shownDate(const QDate& d) { return d.toString(QStringLiteral("dd/MM/yyyy")); }

void statusMessage(const QString& text)
{
    if (MainWindowServices* mw = mainWindowServices())
        mw->SetStatusMsg(text);
    else
        ui().status(text);
}

// The same file or folder on disk, whatever the path says: a hard link, a bind mount or a
// folder of a case-insensitive file system reached under another spelling.
bool sameOnDisk(const QString& a, const QString& b)
{
    struct stat sa {
    }, sb {};
    if (a.isEmpty() || b.isEmpty()) return false;
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 || ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

QString sameFolderRefusal(const QString& backupDir)
{
    return QStringLiteral("L'indirizzario di backup <") + backupDir
        + QStringLiteral("> non puo' corrispondere a quello dell'archivio di lavoro");
}

int openMode() { return g_nDBOpenMode > 0 ? g_nDBOpenMode : kDefaultDBOpenMode; }

// The OIDs of a data set's rows, read once: what is copied is what will be deleted.
QList<qint64> oidsOf(const TableData& rows)
{
    constexpr int kPage = 2000;
    QList<qint64> oids;
    qint64 after = 0;
    for (;;) {
        const std::vector<qint64> page = rows.PageAfter(after, kPage);
        for (qint64 oid : page) oids << oid;
        if (int(page.size()) < kPage) return oids;
        after = page.back();
    }
}

// Copies the rows of `table` with these OIDs, with what they carry; false when stopped.
bool copyRows(Database& from, Database& to, const QString& table, const QList<qint64>& oids, itfProgress* progress,
              bool related)
{
    return from.Tables().Item(table)->CopyRowsTo(oids, *to.Tables().Item(table), progress, related);
}

// Deletes the rows of `table` with these OIDs (those still stored), with their lines.
bool deleteRows(Database& db, const QString& table, const QList<qint64>& oids, itfProgress* progress)
{
    return db.Tables().Item(table)->DeleteRows(oids, progress);
}

// A database file opened for one run: the working database as it is, any other file by its
// own engine (closed again when this goes).
struct OpenedFile {
    std::shared_ptr<Database> db;
    std::shared_ptr<DBEngine> engine;
    bool owned = false;

    OpenedFile() = default;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    OpenedFile(OpenedFile&& o) noexcept : db(std::move(o.db)), engine(std::move(o.engine)), owned(o.owned)
    {
        o.owned = false;
    }
    OpenedFile& operator=(OpenedFile&& o) noexcept
    {
        if (this != &o) {
            release();
            db = std::move(o.db);
            engine = std::move(o.engine);
            owned = o.owned;
            o.owned = false;
        }
        return *this;
    }
    ~OpenedFile() { release(); }
    void release()
    {
        if (!owned) {
            db.reset();
            engine.reset();
            return;
        }
        owned = false;
        try {
            if (db) db->Close();
        } catch (const AppError&) {
            // The engine is closed below all the same.
        }
        db.reset();
        try {
            if (engine) engine->Close();
        } catch (const AppError&) {
            // Nothing more can be done for a file that does not close.
        }
        engine.reset();
    }
};

// The backup file for a save: created when missing, declared from the program's current
// definition as the working database is.
OpenedFile openDeclared(const QString& path, itfNotifyEvent* sink)
{
    OpenedFile f;
    f.engine = std::make_shared<DBEngine>();
    f.owned = true;
    // An archive a crash left under a repair's name is the archive, not a missing one.
    (void)DatabaseRepair::RecoverInterruptedSwap(path, QFileInfo(path).absolutePath());
    if (!FileExists(path, 0)) f.engine->CreateDatabase(openMode(), path);
    f.engine->OpenDatabase(openMode(), path);
    f.db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), AppTitle(), sink);
    f.db->AttachEngine(f.engine);
    return f;
}

// A file read in its stored structure, without the definition (the backup file of a
// restore, a file met by the recovery).
OpenedFile openStored(const QString& path, itfNotifyEvent* sink)
{
    OpenedFile f;
    f.engine = std::make_shared<DBEngine>();
    f.owned = true;
    f.engine->OpenDatabase(openMode(), path);
    f.db = LibraryGlobal::OpenExistingDatabase(f.engine, sink);
    return f;
}

void dropArchiveEngine()
{
    if (!g_objBackupDBEngine) return;
    try {
        g_objBackupDBEngine->Close();
    } catch (const AppError&) {
        // Dropped all the same: the next move to the archive opens the file again.
    }
    g_objBackupDBEngine.reset();
}

// --- the move journal -------------------------------------------------------------------------

struct Journal {
    QString origin;   // for whoever reads the file: the origin is the file the journal lies beside
    QString destination;
    bool copyRelated = false;
    QList<std::pair<QString, QList<qint64>>> tables;   // in the order of deletion
};

void writeJournal(const QString& path, const Journal& j)
{
    QJsonArray tables;
    for (const auto& [name, oids] : j.tables) {
        QJsonArray list;
        for (qint64 oid : oids) list.append(QString::number(oid));   // 64-bit OIDs do not fit a JSON number
        tables.append(QJsonObject {{QStringLiteral("table"), name}, {QStringLiteral("oids"), list}});
    }
    const QJsonObject root {{QStringLiteral("origin"), j.origin},
                            {QStringLiteral("destination"), j.destination},
                            {QStringLiteral("copyRelated"), j.copyRelated},
                            {QStringLiteral("tables"), tables}};
    if (!fileOps().writeFile(path, QJsonDocument(root).toJson(QJsonDocument::Compact)))
        throw AppError::object(AppError::kGenericCode, AppTitle(),
                               QStringLiteral("Impossibile scrivere il file ") + path + QStringLiteral(": ")
                                   + fileOps().lastError());
}

Journal readJournal(const QString& path)
{
    bool ok = false;
    const QByteArray data = fileOps().readFile(path, &ok);
    QJsonParseError error {};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (!ok || error.error != QJsonParseError::NoError || !doc.isObject())
        throw AppError::object(AppError::kGenericCode, AppTitle(), QStringLiteral("File non leggibile: ") + path);
    const QJsonObject root = doc.object();
    Journal j;
    j.destination = root.value(QStringLiteral("destination")).toString();
    j.copyRelated = root.value(QStringLiteral("copyRelated")).toBool();
    for (const QJsonValue& t : root.value(QStringLiteral("tables")).toArray()) {
        QList<qint64> oids;
        for (const QJsonValue& o : t.toObject().value(QStringLiteral("oids")).toArray())
            oids << o.toString().toLongLong();
        j.tables.append({t.toObject().value(QStringLiteral("table")).toString(), oids});
    }
    return j;
}

void removeJournal(const QString& path)
{
    if (!fileOps().remove(path))
        throw AppError::object(AppError::kGenericCode, AppTitle(),
                               QStringLiteral("Impossibile eliminare il file ") + path + QStringLiteral(": ")
                                   + fileOps().lastError());
}

}   // namespace

// --- texts -------------------------------------------------------------------------------------

QString BackupRestore::PeriodCondition(const QString& dateField, const std::optional<QDate>& from, const QDate& to,
                                       bool completedOnly)
{
    const QString upper = jetDate(to.addDays(1));
    QString condition = from ? dateField + QStringLiteral(" >= ") + jetDate(*from) + QStringLiteral(" AND ") + dateField
            + QStringLiteral(" < ") + upper
                             : dateField + QStringLiteral(" < ") + upper;
    if (completedOnly) condition += QStringLiteral(" AND Completato");
    return condition;
}

QString BackupRestore::PeriodText(const std::optional<QDate>& from, const QDate& to)
{
    if (!from) return QStringLiteral("fino al ") + shownDate(to);
    return QStringLiteral("dal ") + shownDate(*from) + QStringLiteral(" al ") + shownDate(to);
}

QString BackupRestore::JournalPath(const QString& databasePath) { return databasePath + QStringLiteral("-move"); }

// --- checks ------------------------------------------------------------------------------------

BackupRestore::BackupRestore(Setup setup) : m_setup(std::move(setup)) { }
BackupRestore::~BackupRestore() = default;

QString BackupRestore::BackupPath() const
{
    return BuildFilePath(m_setup.backupDir, QString::fromLatin1(kDatabaseFileName), QString());
}

bool BackupRestore::FilesAllowed(QString* refusal) const
{
    if (!BackupFolderAllowed(m_setup.rootDir, m_setup.backupDir, refusal)) return false;
    const QString working = m_setup.workingEngine ? m_setup.workingEngine->Path() : QString();
    // The file actually open counts as the working one, whatever RootDir says.
    if (!working.isEmpty() && !BackupFolderAllowed(QFileInfo(working).absolutePath(), m_setup.backupDir, refusal))
        return false;
    if (sameOnDisk(m_setup.rootDir, m_setup.backupDir)
        || (!working.isEmpty()
            && (sameOnDisk(QFileInfo(working).absolutePath(), m_setup.backupDir)
                || sameOnDisk(working, BackupPath())))) {
        if (refusal) *refusal = sameFolderRefusal(m_setup.backupDir);
        return false;
    }
    return true;
}

// --- one run -----------------------------------------------------------------------------------

struct BackupRestore::Session {
    BackupRestore& self;
    const BackupRequest& r;
    BackupProgress& progress;
    QString title;
    QString backupPath;
    OpenedFile source, destination;
    QString journalPath;   // set while a journal of this run is on disk
    bool journalWritten = false;   // whole on disk: a recovery can finish the move
    bool deleting = false;   // the deletion at the origin was decided and is not done
    std::map<QString, QList<qint64>> copied;

    itfProgress* sink() { return progress.Target(); }
    QString period() const { return PeriodText(r.from, r.to); }
    bool related() const { return r.copyRelated && !r.restore; }

    Outcome go();
    bool copyAll();
    bool copyPeriod();
    void snapshotPeriod();
    void startJournal();
    bool deleteAtOrigin();
    void complete();
    bool keepsJournal() const { return deleting && journalWritten; }
    QString failureNote() const;
};

BackupRestore::Outcome BackupRestore::Run(const BackupRequest& request)
{
    QString refusal;
    if (!FilesAllowed(&refusal)) {
        ui().msgBox(refusal, int(Msg::OKOnly) + Msg::Exclamation, QString());
        return Outcome::Refused;
    }
    dropArchiveEngine();
    struct NoProgress final : BackupProgress {
        void Show(const QString&) override { }
        itfProgress* Target() override { return nullptr; }
        void Close() override { }
    } none;
    Session run {
        *this, request, m_setup.progress ? *m_setup.progress : none, QString(), BackupPath(), {}, {}, {}, false,
        false, {}};
    run.title = request.restore ? QStringLiteral("Ripristino dei dati") : QStringLiteral("Salvataggio dei dati");
    Outcome outcome = Outcome::Failed;
    try {
        Recover();
        outcome = run.go();
    } catch (...) {
        const AppError e = CurrentError();
        run.source.release();
        run.destination.release();
        run.progress.Close();
        ShowErrorDetails(e, QStringLiteral("Si e' verificato un errore:\r\r") + e.description);
        // Where the failure left the documents, in a message of its own: the error's
        // question shows only the start of a long text.
        if (const QString note = run.failureNote(); !note.isEmpty())
            ui().msgBox(note, int(Msg::OKOnly) + Msg::Exclamation, run.title);
        outcome = Outcome::Failed;
    }
    // A journal outlives a crash, and a deletion that failed once it was decided (disk full,
    // I/O error): the copies are made, so the recovery finishes the move. Any other end no
    // longer means to delete.
    if (!run.journalPath.isEmpty() && !run.keepsJournal()) {
        try {
            removeJournal(run.journalPath);
        } catch (...) {
            ShowErrorDetails(CurrentError(), QString());
        }
    }
    run.source.release();
    run.destination.release();
    run.progress.Close();
    return outcome;
}

BackupRestore::Outcome BackupRestore::Session::go()
{
    const Setup& s = self.m_setup;
    OpenedFile working;
    working.db = s.working;
    working.engine = s.workingEngine;
    if (!r.restore) {
        if (!r.automatic
            && ui().msgBox(QStringLiteral("Verranno salvati i dati nell'archivio:\r") + backupPath
                               + QStringLiteral("\r\rConfermi ?"),
                           int(Msg::YesNo) + Msg::Question, title)
                != Msg::Yes)
            return Outcome::Cancelled;
        progress.Show(QStringLiteral("Analisi archivio destinazione per il salvataggio..."));
        destination = openDeclared(backupPath, s.sink);
        source = std::move(working);
    } else {
        if (!r.automatic
            && ui().msgBox(QStringLiteral("Verranno ripristinati i dati dall'archivio:\r") + backupPath
                               + QStringLiteral("\r\rConfermi ?"),
                           int(Msg::YesNo) + Msg::Question, title)
                != Msg::Yes)
            return Outcome::Cancelled;
        progress.Show(QStringLiteral("Analisi archivio sorgente per il ripristino..."));
        if (!FileExists(backupPath, 0)) {
            ui().msgBox(QStringLiteral("Archivio di appoggio (backup) per il ripristino non presente\r\rArchivio: ")
                            + backupPath,
                        int(Msg::OKCancel) + Msg::Exclamation, title);
            progress.Close();
            return Outcome::Refused;
        }
        source = openStored(backupPath, s.sink);
        destination = std::move(working);
    }
    progress.Show(title + QStringLiteral("..."));
    // Rows travel between the two files by sets of rows rather than one by one.
    const FileLink link(*destination.engine, *source.engine);

    if (r.allData) {
        if (!copyAll()) return Outcome::Stopped;
    } else {
        snapshotPeriod();
        // Decided beforehand: a crash from here on must not leave a document in both files.
        if (r.deleteAtOrigin && r.automatic) startJournal();
        if (!copyPeriod()) return Outcome::Stopped;
        if (r.deleteAtOrigin && !deleteAtOrigin()) return Outcome::Stopped;
    }
    complete();
    return Outcome::Completed;
}

bool BackupRestore::Session::copyAll()
{
    TableCollection& sourceTables = source.db->Tables();
    TableCollection& destinationTables = destination.db->Tables();
    for (int i = 1; i <= destinationTables.Count(); ++i) {
        const QString name = destinationTables.Item(i)->Name();
        if (!sourceTables.Contains(name) || sourceTables.Item(name)->ExcludedFromCopy()) continue;
        progress.Show(title + QStringLiteral(" <") + name + QStringLiteral(">..."));
        auto from = sourceTables.Item(name)->Select();
        auto to = destinationTables.Item(i)->Select();
        if (!from->CopyRows(*to, sink(), false)) return false;
    }
    return true;
}

void BackupRestore::Session::snapshotPeriod()
{
    for (const PeriodTable& t : kPeriodTables) {
        auto rows
            = source.db->Tables().Item(t.name)->Select(PeriodCondition(t.dateField, r.from, r.to, t.completedOnly));
        copied[t.name] = oidsOf(*rows);
    }
}

bool BackupRestore::Session::copyPeriod()
{
    if (r.copyArticoli) {
        progress.Show(title + QStringLiteral(" <Articoli> ..."));
        auto from = source.db->Tables().Item(kArticoli)->Select();
        auto to = destination.db->Tables().Item(kArticoli)->Select(QStringLiteral("OID = 0"));
        if (!from->CopyRows(*to, sink(), r.copyRelated)) return false;
    }
    for (const PeriodTable& t : kPeriodTables) {
        progress.Show(title + QStringLiteral(" <") + t.name + QStringLiteral("> ") + period() + QStringLiteral("..."));
        const QList<qint64>& oids = copied[t.name];
        if (oids.isEmpty()) continue;
        // Receipts never update what they point to; on a restore the archive's copies of
        // articles and customers are older than the working file's, whose stock and points
        // they would put back.
        DatabaseOperation whole(*destination.db);
        if (!copyRows(*source.db, *destination.db, t.name, oids, sink(), t.name != kRicevute && related()))
            return false;
        whole.Commit();
    }
    return true;
}

void BackupRestore::Session::startJournal()
{
    Journal j;
    j.origin = fileOps().canonical(source.engine->Path());
    j.destination = fileOps().canonical(destination.engine->Path());
    j.copyRelated = related();
    for (const QString& name : kDeleteOrder) j.tables.append({name, copied[name]});
    const QString path = JournalPath(source.engine->Path());
    journalPath = path;   // set first: a half-written journal is removed like a whole one
    writeJournal(path, j);
    journalWritten = true;
}

bool BackupRestore::Session::deleteAtOrigin()
{
    if (!r.automatic
        && ui().msgBox(
               title + QStringLiteral(" effettuato.\r\rConfermi l'eliminazione dei dati di Fornitura e di Vendita <")
                   + period() + QStringLiteral("> dall'archivio di origine ?"),
               int(Msg::YesNo) + Msg::Question, QString())
            != Msg::Yes)
        return true;
    deleting = true;
    if (journalPath.isEmpty()) startJournal();
    DatabaseOperation whole(*source.db);
    for (const QString& name : kDeleteOrder) {
        progress.Show(QStringLiteral("Eliminazione dati <") + name + QStringLiteral("> ") + period()
                      + QStringLiteral(" ..."));
        if (!deleteRows(*source.db, name, copied[name], sink())) {
            deleting = false;   // stopped by the operator: the period stays in both files, as chosen
            return false;
        }
    }
    whole.Commit();
    deleting = false;
    return true;
}

// What a failed deletion left, and how it is finished: the copies are made and nothing was
// deleted (the deletion is one operation), so the period stands in both files.
QString BackupRestore::Session::failureNote() const
{
    if (!deleting) return QString();
    const QString both = QStringLiteral("I dati di Fornitura e di Vendita <") + period()
        + QStringLiteral("> sono ora presenti in entrambi gli archivi: ");
    if (journalWritten)
        return both
            + QStringLiteral("la loro eliminazione dall'archivio di origine sara' completata alla prossima apertura "
                             "del programma o al prossimo salvataggio o ripristino dei dati.");
    return both + QStringLiteral("per eliminarli dall'archivio di origine ripetere ")
        + (r.restore ? QStringLiteral("il ripristino") : QStringLiteral("il salvataggio"))
        + QStringLiteral(" con l'eliminazione dei dati.");
}

void BackupRestore::Session::complete()
{
    statusMessage(QStringLiteral("Operazione completata"));
    if (!r.automatic)
        ui().msgBox(QStringLiteral("Operazione completata"), int(Msg::OKOnly) + Msg::Information, QString());
    if (!r.restore) {
        SaveReminder::SetLastNotifyDate();
        SaveReminder::SetLastSavedDate();
    }
}

// --- recovery ----------------------------------------------------------------------------------

int BackupRestore::Recover()
{
    const QString working = m_setup.workingEngine ? m_setup.workingEngine->Path() : QString();
    const QString workingCanonical = fileOps().canonical(working);
    auto open = [&](const QString& path) {
        if (!working.isEmpty() && fileOps().canonical(path) == workingCanonical) {
            OpenedFile f;
            f.db = m_setup.working;
            f.engine = m_setup.workingEngine;
            return f;
        }
        return openStored(path, m_setup.sink);
    };

    QStringList origins;
    const QString backup = m_setup.backupDir.trimmed().isEmpty() ? QString() : BackupPath();
    for (const QString& path : {working, backup})
        if (!path.isEmpty() && !origins.contains(fileOps().canonical(path))) origins << fileOps().canonical(path);

    int finished = 0;
    for (const QString& originPath : origins) {
        const QString journalPath = JournalPath(originPath);
        if (!fileOps().exists(journalPath)) continue;
        const Journal j = readJournal(journalPath);
        // Rows leave the origin only once they are in the destination: without it, they stay.
        if (FileExists(originPath, 0) && FileExists(j.destination, 0)) {
            OpenedFile origin = open(originPath);
            OpenedFile destination = open(j.destination);
            const FileLink link(*destination.engine, *origin.engine);
            for (const auto& [name, oids] : j.tables) {
                if (oids.isEmpty() || !origin.db->Tables().Contains(name)) continue;
                DatabaseOperation whole(*destination.db);
                if (!copyRows(*origin.db, *destination.db, name, oids, nullptr, j.copyRelated))
                    throw AppError::object(AppError::kGenericCode, AppTitle(),
                                           QStringLiteral("Completamento dello spostamento dei dati <") + name
                                               + QStringLiteral("> non riuscito"));
                whole.Commit();
            }
            DatabaseOperation whole(*origin.db);
            for (const auto& [name, oids] : j.tables)
                if (origin.db->Tables().Contains(name)) (void)deleteRows(*origin.db, name, oids, nullptr);
            whole.Commit();
        }
        removeJournal(journalPath);
        ++finished;
    }
    return finished;
}

// --- the program's entry points ------------------------------------------------------------------

BackupRestore::Outcome BackupRestoreData(const BackupRequest& request, BackupProgress* progress)
{
    if (!g_objDatabase || !g_objDBEngine) return BackupRestore::Outcome::Refused;
    std::unique_ptr<BackupProgress> window;
    if (!progress)
        if (OperationWindows* windows = operationWindows()) progress = (window = windows->BackupWindow()).get();
    BackupRestore run(
        {g_objDatabase, g_objDBEngine, settings().RootDir, settings().BackupDir, progress, DatabaseNotifyTarget()});
    return run.Run(request);
}

BackupRestore::Outcome BackupRestoreData(bool restore, bool allData, const std::optional<QDate>& from, const QDate& to,
                                         bool deleteAtOrigin, bool copyArticoli, bool copyRelated, bool automatic)
{
    return BackupRestoreData(
        BackupRequest {restore, allData, from, to, deleteAtOrigin, copyArticoli, copyRelated, automatic});
}

int RecoverInterruptedBackupMoves()
{
    if (!g_objDatabase || !g_objDBEngine) return 0;
    try {
        return BackupRestore({g_objDatabase, g_objDBEngine, settings().RootDir, settings().BackupDir, nullptr,
                              DatabaseNotifyTarget()})
            .Recover();
    } catch (...) {
        ShowErrorDetails(CurrentError(), QString());
        return 0;
    }
}

QString FinishedMovesMessage(int finished)
{
    return finished == 1 ? QStringLiteral("Completato lo spostamento dei dati interrotto")
                         : QStringLiteral("Completati %1 spostamenti dei dati interrotti").arg(finished);
}

int FinishInterruptedBackupMovesAtStart()
{
    const int finished = RecoverInterruptedBackupMoves();
    if (finished > 0) ui().status(FinishedMovesMessage(finished));
    return finished;
}
