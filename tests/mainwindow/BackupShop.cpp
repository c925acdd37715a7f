#include "BackupShop.h"
#include "Configuration.h"
#include "DB.h"
#include "DatabaseFiles.h"
#include "ErrorReporting.h"
#include "TableObject.h"
#include "TestEnvironment.h"
#include <QFileInfo>
#include <algorithm>

struct BackupShop::Saved {
    QString rootDir, backupDir;
    int32_t openMode;
    bool archiveMode;
    bool saveEnabled, enableDelete;
    int32_t notify;
    double importoPunto;
    bool usePunti;
    std::shared_ptr<SettingsStore> store;
};

BackupShop::BackupShop()
    : m_saved(std::make_unique<Saved>(Saved{RootDir, BackupDir, g_nDBOpenMode, g_bBackupArchiveMode, BackupFuncSaveEnabled,
                                            BackupFuncEnableDelete, BkpSaveNotify, ImportoPunto, Use_PuntiPremio,
                                            sharedSettingsStore()}))
{
    clock = std::make_shared<ManualClock>(QDateTime(QDate(2007, 3, 10), QTime(9, 0)));
    setAppClock(clock);
    prompts = std::make_shared<ScriptedUiServices>();
    setUiServices(prompts);
    settings = std::make_shared<MemorySettingsStore>();
    setSettingsStore(settings);
    setErrorWindowPresenter([this](const QString&, const QString& text) { shownErrors << text; });

    m_root = testenv::newDir(QStringLiteral("lavoro"));
    m_backup = testenv::newDir(QStringLiteral("backup"));
    RootDir = m_root;
    BackupDir = m_backup;
    g_nDBOpenMode = 3;
    g_bBackupArchiveMode = false;
    BackupFuncSaveEnabled = true;
    BackupFuncEnableDelete = true;
    BkpSaveNotify = 0;
    ImportoPunto = 10;
    Use_PuntiPremio = true;

    m_engine = std::make_shared<DBEngine>();
    m_engine->CreateDatabase(3, workingPath());
    m_engine->OpenDatabase(3, workingPath());
    m_db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
    m_db->AttachEngine(m_engine);
    g_objDBEngine = m_engine;
    g_objDatabase = m_db;
}

BackupShop::~BackupShop()
{
    g_objDatabase.reset();
    g_objDBEngine.reset();
    if (g_objBackupDBEngine) g_objBackupDBEngine->Close();
    g_objBackupDBEngine.reset();
    m_db->Close();
    m_engine->Close();
    RootDir = m_saved->rootDir;
    BackupDir = m_saved->backupDir;
    g_nDBOpenMode = m_saved->openMode;
    g_bBackupArchiveMode = m_saved->archiveMode;
    BackupFuncSaveEnabled = m_saved->saveEnabled;
    BackupFuncEnableDelete = m_saved->enableDelete;
    BkpSaveNotify = m_saved->notify;
    ImportoPunto = m_saved->importoPunto;
    Use_PuntiPremio = m_saved->usePunti;
    setSettingsStore(m_saved->store);
    setErrorWindowPresenter(nullptr);
    setUiServices(nullptr);
    setAppClock(std::make_shared<SystemClock>());
}

std::unique_ptr<TableData> BackupShop::select(const QString& table, const QString& condition)
{
    return m_db->Tables().Item(table)->Select(condition);
}

qint64 BackupShop::addArticle(const QString& code, double stock)
{
    return select(QStringLiteral("Articoli"))
        ->AddRow({"Codice", code, "Descrizione", QStringLiteral("Articolo ") + code, "PrezzoVendita",
                  QVariant::fromValue(Currency::fromDouble(2.5)), "ValoreScorta", stock});
}

qint64 BackupShop::addCustomer(const QString& code)
{
    return select(QStringLiteral("Clienti"))
        ->AddRow({"Descrizione", QStringLiteral("Cliente ") + code, "Codice", code, "CalcolaPunti", true});
}

qint64 BackupShop::sale(const QDateTime& when, bool completed, const QString& article, double quantity, qint64 customer)
{
    clock->set(when);
    auto sale = select(QStringLiteral("Vendite"), QStringLiteral("OID = 0"));
    sale->NewRow();
    if (customer) sale->SetReferenceOID(QStringLiteral("Cliente"), customer);
    sale->Update();
    auto lines = sale->GetReference(QStringLiteral("Articoli"));
    lines->NewRow();
    EXPECT_TRUE(lines->SetParentByKey(article));
    lines->SetValue(QStringLiteral("ValoreScarico"), quantity);
    lines->Update();
    if (completed) {
        sale->SetValue(QStringLiteral("Completato"), true);
        sale->Update();
    }
    return sale->GetOID();
}

qint64 BackupShop::supply(const QDateTime& when, bool completed, const QString& article, double quantity)
{
    clock->set(when);
    auto supply = select(QStringLiteral("Forniture"), QStringLiteral("OID = 0"));
    supply->NewRow();
    supply->Update();
    auto lines = supply->GetReference(QStringLiteral("Articoli"));
    lines->NewRow();
    EXPECT_TRUE(lines->SetParentByKey(article));
    lines->SetValue(QStringLiteral("ValoreCarico"), quantity);
    lines->Update();
    if (completed) {
        supply->SetValue(QStringLiteral("Completato"), true);
        supply->Update();
    }
    return supply->GetOID();
}

qint64 BackupShop::receipt(const QDate& when, qint64 saleOid)
{
    auto receipts = select(QStringLiteral("Ricevute"), QStringLiteral("OID = 0"));
    receipts->NewRow();
    receipts->SetValue(QStringLiteral("Data"), when.startOfDay());
    receipts->SetReferenceOID(QStringLiteral("Vendita"), saleOid);
    receipts->Update();
    return receipts->GetOID();
}

BackupRestore BackupShop::backupRestore()
{
    return BackupRestore({m_db, m_engine, RootDir, BackupDir, &progress, nullptr});
}

BackupRestore::Outcome BackupShop::run(const BackupRequest& request, const QStringList& answers)
{
    for (const QString& a : answers) prompts->addAnswer(a);
    return backupRestore().Run(request);
}

QList<qint64> BackupShop::oids(const QString& path, const QString& table, const QString& condition)
{
    QList<qint64> out;
    if (!QFileInfo::exists(path)) return out;
    auto engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(3, path);
    {
        auto file = LibraryGlobal::OpenExistingDatabase(engine, nullptr);
        auto rows = file->Tables().Item(table)->Select(condition);
        for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) out << rows->GetOID();
        rows.reset();
        file->Close();
    }
    engine->Close();
    std::sort(out.begin(), out.end());
    return out;
}

QVariant BackupShop::value(const QString& path, const QString& jetSql)
{
    auto engine = std::make_shared<DBEngine>();
    engine->OpenDatabase(3, path);
    QVariant v;
    {
        auto file = LibraryGlobal::OpenExistingDatabase(engine, nullptr);
        const auto result = file->RunQuery(jetSql);
        if (!result.rows.isEmpty() && !result.rows.first().isEmpty()) v = result.rows.first().first();
        file->Close();
    }
    engine->Close();
    return v;
}

double BackupShop::stock(const QString& code)
{
    return m_db->RunQuery(QStringLiteral("SELECT ValoreScorta FROM Articoli WHERE Codice = '%1'").arg(code)).rows.value(0).value(0).toDouble();
}

qint64 BackupShop::points(qint64 customer)
{
    return m_db->RunQuery(QStringLiteral("SELECT Punti FROM Clienti WHERE OID = %1").arg(customer)).rows.value(0).value(0).toLongLong();
}
