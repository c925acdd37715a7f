#include "ShopBuilder.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {
// The open mode the program hands to its engine.
constexpr int kOpenMode = 3;

void setPairs(TableData& rows, const QVariantList& pairs)
{
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) rows.SetValue(pairs[i].toString(), pairs[i + 1]);
}
}   // namespace

testshop::ShopBuilder::ShopBuilder(const Options& options)
    : m_path(options.path.isEmpty() ? testenv::newDir(options.folder) + QStringLiteral("/Mirtavolia.mdb")
                                    : options.path)
{
    m_engine = std::make_shared<DBEngine>();
    if (!QFileInfo::exists(m_path)) m_engine->CreateDatabase(kOpenMode, m_path);
    m_engine->OpenDatabase(kOpenMode, m_path);
    m_db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), options.sink,
                                      options.currency);
    m_db->AttachEngine(m_engine);
    if (options.accessLevel) m_db->SetAccessLevel(*options.accessLevel);
}

testshop::ShopBuilder::ShopBuilder(std::shared_ptr<Database> open) : m_db(std::move(open)), m_owned(false) { }

testshop::ShopBuilder::~ShopBuilder() { close(); }

QString testshop::ShopBuilder::dir() const { return QFileInfo(m_path).absolutePath(); }

void testshop::ShopBuilder::close()
{
    if (m_db && m_owned) m_db->Close();
    if (m_engine) m_engine->Close();
    m_db.reset();
    m_engine.reset();
}

std::unique_ptr<TableData> testshop::ShopBuilder::select(const QString& table, const QString& condition,
                                                         const QString& order) const
{
    return m_db->Tables().Item(table)->Select(condition, order);
}

std::unique_ptr<TableData> testshop::ShopBuilder::row(const QString& table, qint64 oid) const
{
    auto rows = select(table, QStringLiteral("OID = %1").arg(oid));
    rows->MoveFirst();
    return rows;
}

qint64 testshop::ShopBuilder::addArticle(const Article& a)
{
    if (!a.deposit.isEmpty()
        && select(QStringLiteral("Depositi"), QStringLiteral("Deposito = ") + m_db->QuoteText(a.deposit))->IsEmpty())
        select(QStringLiteral("Depositi"), QStringLiteral("OID = 0"))->AddRow({QStringLiteral("Deposito"), a.deposit});
    auto rows = select(QStringLiteral("Articoli"), QStringLiteral("OID = 0"));
    rows->NewRow();
    rows->SetValue(QStringLiteral("Codice"), a.code);
    rows->SetValue(QStringLiteral("Descrizione"),
                   a.description.isEmpty() ? QStringLiteral("Articolo ") + a.code : a.description);
    if (a.price) rows->SetValue(QStringLiteral("PrezzoVendita"), QVariant::fromValue(*a.price));
    if (a.purchasePrice) rows->SetValue(QStringLiteral("PrezzoAcquisto"), QVariant::fromValue(*a.purchasePrice));
    if (a.stock) rows->SetValue(QStringLiteral("ValoreScorta"), *a.stock);
    setPairs(*rows, a.fields);
    if (!a.vat.isEmpty()) rows->SetReferenceByKey(QStringLiteral("CodiceIva"), a.vat);
    if (!a.unit.isEmpty()) rows->SetReferenceByKey(QStringLiteral("UnitaMisura"), a.unit);
    if (!a.deposit.isEmpty()) rows->SetReferenceByKey(QStringLiteral("Deposito"), a.deposit);
    for (qint64 supplier : a.suppliers) rows->AddToList(QStringLiteral("Fornitori"), supplier);
    rows->Update();
    return rows->GetOID();
}

qint64 testshop::ShopBuilder::addCustomer(const Customer& c)
{
    return select(QStringLiteral("Clienti"), QStringLiteral("OID = 0"))
        ->AddRow(QVariantList {QStringLiteral("Descrizione"), c.name, QStringLiteral("Codice"), c.code} + c.fields);
}

qint64 testshop::ShopBuilder::addSupplier(const QString& name)
{
    return select(QStringLiteral("Fornitori"), QStringLiteral("OID = 0"))
        ->AddRow({QStringLiteral("Descrizione"), name});
}

qint64 testshop::ShopBuilder::addLine(TableData& document, const Line& l, bool storeDocument)
{
    const bool sale = document.tableName() == QLatin1String("Vendite");
    auto lines = document.GetReference(QStringLiteral("Articoli"));
    lines->NewRow();
    if (l.article)
        lines->SetParent(l.article);
    else
        EXPECT_TRUE(lines->SetParentByKey(l.code)) << "no article " << l.code.toStdString();
    lines->SetValue(sale ? QStringLiteral("ValoreScarico") : QStringLiteral("ValoreCarico"), l.quantity);
    if (l.amount) lines->SetValue(QStringLiteral("ImportoScarico"), QVariant::fromValue(*l.amount));
    if (l.price) lines->SetValue(QStringLiteral("PrezzoAcquisto"), QVariant::fromValue(*l.price));
    setPairs(*lines, l.fields);
    lines->Update();
    if (storeDocument) document.Update();
    return lines->GetOID();
}

qint64 testshop::ShopBuilder::addDocument(const QString& table, const QString& counterpart, const Document& d)
{
    auto document = select(table, QStringLiteral("OID = 0"));
    document->NewRow();
    if (d.counterpart) document->SetReferenceOID(counterpart, d.counterpart);
    setPairs(*document, d.fields);
    document->Update();
    for (const Line& l : d.lines) {
        addLine(*document, l);
        if (d.afterEachLine) d.afterEachLine();
    }
    if (d.completed) document->SetValue(QStringLiteral("Completato"), *d.completed);
    if (d.completed || d.storeAfterLines) document->Update();
    return document->GetOID();
}

qint64 testshop::ShopBuilder::addReceipt(qint64 sale, const std::optional<QDate>& date)
{
    auto receipt = select(QStringLiteral("Ricevute"), QStringLiteral("OID = 0"));
    receipt->NewRow();
    if (date) receipt->SetValue(QStringLiteral("Data"), date->startOfDay());
    receipt->SetReferenceOID(QStringLiteral("Vendita"), sale);
    receipt->Update();
    return receipt->GetOID();
}
