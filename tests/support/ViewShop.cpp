#include "ViewShop.h"

Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

std::unique_ptr<TableData> ViewShop::select(const QString& table, const QString& condition)
{
    return m_shop.select(table, condition);
}

qint64 ViewShop::addArticle(const Article& a)
{
    return m_shop.addArticle({.code = a.code,
                              .price = eur(a.price),
                              .purchasePrice = eur(a.purchasePrice),
                              .stock = a.stock,
                              .vat = a.vat,
                              .suppliers = a.supplier ? QList<qint64> {a.supplier} : QList<qint64> {},
                              .fields = {"ScortaMinima", a.minimum}});
}

qint64 ViewShop::load(const QString& code, double quantity, qint64 supplier, bool paid)
{
    const qint64 oid = m_shop.addSupply(
        {.counterpart = supplier, .fields = {"Pagato", paid}, .lines = {{.code = code, .quantity = quantity}}});
    clock->advanceMs(1000);   // documents of one second would share their line's key
    return oid;
}

qint64 ViewShop::sell(const QString& code, double quantity)
{
    const qint64 oid = m_shop.addSale({.lines = {{.code = code, .quantity = quantity}}});
    clock->advanceMs(1000);
    return oid;
}

double ViewShop::stock(const QString& code)
{
    return select(QStringLiteral("Articoli"), QStringLiteral("Codice = '%1'").arg(code))
        ->GetFieldValue("ValoreScorta")
        .toDouble();
}

Currency ViewShop::average(const QString& code)
{
    return select(QStringLiteral("Articoli"), QStringLiteral("Codice = '%1'").arg(code))
        ->GetCurrencyValue("PrezzoAcquistoMedio");
}
