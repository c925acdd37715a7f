#include "SalesShop.h"
#include "core/configuration/Configuration.h"
#include "objdb/TableObject.h"

Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
QVariant money(const char* text) { return QVariant::fromValue(eur(text)); }

void SalesShop::SetUp()
{
    settings().ImportoPunto = 10;
    settings().ImportoPuntoPremio = 0.05;
    settings().ImportoMaxArticolo = 0;
    settings().Use_PuntiPremio = true;
    settings().ProgrLen_ClientiForn = 0;
    shop.open();
}

void SalesShop::TearDown() { shop.close(); }

qint64 SalesShop::addCustomer(const QString& name, const QString& code, bool collectsPoints)
{
    return shop.rows().addCustomer({.name = name, .code = code, .fields = {"CalcolaPunti", collectsPoints}});
}

qint64 SalesShop::addArticle(const QString& code, const char* price, double stock)
{
    return shop.rows().addArticle({.code = code, .price = eur(price), .stock = stock});
}

qint64 SalesShop::addVoucher(qint64 customer, const QString& description, const char* amount)
{
    auto c = shop.select("Clienti", QString("OID=%1").arg(customer));
    return c->GetReference("Buoni")->AddRow({"Descrizione", description, "ImportoBuono", money(amount)});
}

std::unique_ptr<TableData> SalesShop::newSale(qint64 customer)
{
    clock->advanceMs(60 * 1000);
    return shop.rows().row("Vendite", shop.rows().addSale({.counterpart = customer}));
}

qint64 SalesShop::addLine(TableData& sale, qint64 article, double quantity)
{
    return shop.rows().addLine(sale, {.article = article, .quantity = quantity});
}

qint64 SalesShop::storedPoints(qint64 customer)
{
    return shop.rawScalar(QString("SELECT Punti FROM Clienti WHERE OID=%1").arg(customer)).toLongLong();
}

Currency SalesShop::storedMoney(const QString& table, const QString& field, qint64 oid)
{
    const QVariant v = shop.rawScalar(QString("SELECT %1 FROM %2 WHERE OID=%3").arg(field, table).arg(oid));
    return Currency::fromDouble(v.toDouble());
}

double SalesShop::storedStock(qint64 article)
{
    return shop.rawScalar(QString("SELECT ValoreScorta FROM Articoli WHERE OID=%1").arg(article)).toDouble();
}

qint64 SalesShop::count(const QString& table, const QString& condition)
{
    return shop.select(table, condition)->RowCount();
}
