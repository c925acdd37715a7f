#include "ViewShop.h"
#include "DB.h"
#include "TableObject.h"
#include "TestEnvironment.h"

Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

ViewShop::ViewShop()
{
    clock = std::make_shared<ManualClock>(QDateTime(QDate(2007, 3, 1), QTime(8, 0)));
    setAppClock(clock);
    prompts = std::make_shared<ScriptedUiServices>();
    setUiServices(prompts);
    m_path = testenv::newDir(QStringLiteral("views")) + QStringLiteral("/Mirtavolia.mdb");
    m_engine = std::make_shared<DBEngine>();
    m_engine->CreateDatabase(3, m_path);
    m_engine->OpenDatabase(3, m_path);
    m_db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
    m_db->AttachEngine(m_engine);
    m_db->SetAccessLevel(1);
}

ViewShop::~ViewShop()
{
    m_db->Close();
    m_engine->Close();
    setUiServices(nullptr);
    setAppClock(std::make_shared<SystemClock>());
}

std::unique_ptr<TableData> ViewShop::select(const QString& table, const QString& condition)
{
    return m_db->Tables().Item(table)->Select(condition);
}

qint64 ViewShop::addSupplier(const QString& name)
{
    return select(QStringLiteral("Fornitori"))->AddRow({"Descrizione", name});
}

qint64 ViewShop::addArticle(const Article& a)
{
    auto articles = select(QStringLiteral("Articoli"));
    const qint64 oid = articles->AddRow({"Codice", a.code, "Descrizione", QStringLiteral("Articolo ") + a.code, "PrezzoVendita",
                                         QVariant::fromValue(eur(a.price)), "PrezzoAcquisto",
                                         QVariant::fromValue(eur(a.purchasePrice)), "ValoreScorta", a.stock,
                                         "ScortaMinima", a.minimum});
    EXPECT_TRUE(articles->MoveToOID(oid));
    articles->SetReferenceByKey(QStringLiteral("CodiceIva"), a.vat);
    if (a.supplier) articles->AddToList(QStringLiteral("Fornitori"), a.supplier);
    articles->Update();
    return oid;
}

qint64 ViewShop::load(const QString& code, double quantity, qint64 supplier, bool paid)
{
    auto supply = select(QStringLiteral("Forniture"), QStringLiteral("OID = 0"));
    supply->NewRow();
    if (supplier) supply->SetReferenceOID(QStringLiteral("Fornitore"), supplier);
    supply->SetValue(QStringLiteral("Pagato"), paid);
    supply->Update();
    auto lines = supply->GetReference(QStringLiteral("Articoli"));
    lines->NewRow();
    EXPECT_TRUE(lines->SetParentByKey(code));
    lines->SetValue(QStringLiteral("ValoreCarico"), quantity);
    lines->Update();
    clock->advanceMs(1000);   // documents of one second would share their line's key
    return supply->GetOID();
}

qint64 ViewShop::sell(const QString& code, double quantity)
{
    auto sale = select(QStringLiteral("Vendite"), QStringLiteral("OID = 0"));
    sale->NewRow();
    sale->Update();
    auto lines = sale->GetReference(QStringLiteral("Articoli"));
    lines->NewRow();
    EXPECT_TRUE(lines->SetParentByKey(code));
    lines->SetValue(QStringLiteral("ValoreScarico"), quantity);
    lines->Update();
    clock->advanceMs(1000);
    return sale->GetOID();
}

double ViewShop::stock(const QString& code)
{
    return select(QStringLiteral("Articoli"), QStringLiteral("Codice = '%1'").arg(code))->GetFieldValue("ValoreScorta").toDouble();
}

Currency ViewShop::average(const QString& code)
{
    return select(QStringLiteral("Articoli"), QStringLiteral("Codice = '%1'").arg(code))->GetCurrencyValue("PrezzoAcquistoMedio");
}
