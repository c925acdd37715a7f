#include "BackupShop.h"
#include "core/configuration/Configuration.h"
#include "data/DB.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include <QFileInfo>
#include <algorithm>

BackupShop::BackupShop()
{
    setErrorWindowPresenter([this](const QString&, const QString& text) { shownErrors << text; });
    ::settings().RootDir = rootDir();
    ::settings().BackupDir = m_backup;
    g_nDBOpenMode = 3;
    g_bBackupArchiveMode = false;
    ::settings().BackupFuncSaveEnabled = true;
    ::settings().BackupFuncEnableDelete = true;
    ::settings().BkpSaveNotify = 0;
    ::settings().ImportoPunto = 10;
    ::settings().Use_PuntiPremio = true;
    g_objDBEngine = m_shop.engine();
    g_objDatabase = m_shop.database();
}

BackupShop::~BackupShop()
{
    g_objDatabase.reset();
    g_objDBEngine.reset();
    if (g_objBackupDBEngine) g_objBackupDBEngine->Close();
    g_objBackupDBEngine.reset();
    setErrorWindowPresenter(nullptr);
}

std::unique_ptr<TableData> BackupShop::select(const QString& table, const QString& condition)
{
    return m_shop.select(table, condition);
}

qint64 BackupShop::addArticle(const QString& code, double stock)
{
    return m_shop.addArticle({.code = code, .price = Currency::fromDouble(2.5), .stock = stock});
}

qint64 BackupShop::addCustomer(const QString& code)
{
    return m_shop.addCustomer(
        {.name = QStringLiteral("Cliente ") + code, .code = code, .fields = {"CalcolaPunti", true}});
}

qint64 BackupShop::sale(const QDateTime& when, bool completed, const QString& article, double quantity, qint64 customer)
{
    clock->set(when);
    return m_shop.addSale({.counterpart = customer,
                           .lines = {{.code = article, .quantity = quantity}},
                           .completed = completed ? std::optional<bool>(true) : std::nullopt});
}

qint64 BackupShop::supply(const QDateTime& when, bool completed, const QString& article, double quantity)
{
    clock->set(when);
    return m_shop.addSupply({.lines = {{.code = article, .quantity = quantity}},
                             .completed = completed ? std::optional<bool>(true) : std::nullopt});
}

qint64 BackupShop::receipt(const QDate& when, qint64 saleOid) { return m_shop.addReceipt(saleOid, when); }

BackupRestore BackupShop::backupRestore()
{
    return BackupRestore(
        {m_shop.database(), m_shop.engine(), ::settings().RootDir, ::settings().BackupDir, &progress, nullptr});
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
    return db()
        .RunQuery(QStringLiteral("SELECT ValoreScorta FROM Articoli WHERE Codice = '%1'").arg(code))
        .rows.value(0)
        .value(0)
        .toDouble();
}

qint64 BackupShop::points(qint64 customer)
{
    return db()
        .RunQuery(QStringLiteral("SELECT Punti FROM Clienti WHERE OID = %1").arg(customer))
        .rows.value(0)
        .value(0)
        .toLongLong();
}
