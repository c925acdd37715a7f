#pragma once
// A shop of the program's own tables for the tests: a database file opened through the
// library as the program opens its working database, and rows made through the table rules
// as the operator makes them, so stock, totals, average prices and points follow as they do
// at the counter. Values a row leaves out keep the table's defaults and rules.
#include "base/Currency.h"
#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

class CurrencyInfo;
class DBEngine;
class Database;
class TableData;
class itfNotifyEvent;

namespace testshop {

struct Options {
    QString folder = QStringLiteral("shop");   // a fresh folder of this name holds "Mirtavolia.mdb"...
    QString path;   // ...unless a file is given (made when missing)
    itfNotifyEvent* sink = nullptr;   // where the library tells refusals and warnings
    std::shared_ptr<CurrencyInfo> currency;   // the library's own when null
    std::optional<int> accessLevel;
};

struct Article {
    QString code;
    QString description;   // empty: "Articolo <code>"
    std::optional<Currency> price;   // PrezzoVendita
    std::optional<Currency> purchasePrice;   // PrezzoAcquisto
    std::optional<double> stock;   // ValoreScorta
    QString vat;   // CodiceIva, by its code
    QString unit;   // UnitaMisura, by its code
    QString deposit;   // Deposito, by its name; added to Depositi when missing
    QList<qint64> suppliers;   // Fornitori
    QVariantList fields;   // further field, value pairs
};

struct Customer {
    QString name;   // Descrizione
    QString code;
    QVariantList fields;
};

// A line of a sale (a load of a supply): its article by code, or by key when `article` is set.
struct Line {
    QString code;
    qint64 article = 0;
    double quantity = 0;   // ValoreScarico (ValoreCarico)
    std::optional<Currency> amount;   // ImportoScarico
    std::optional<Currency> price;   // PrezzoAcquisto
    QVariantList fields;
};

struct Document {
    qint64 counterpart = 0;   // Cliente of a sale, Fornitore of a supply
    QVariantList fields;   // the document's own (dates, notes, payment...)
    QList<Line> lines;
    std::optional<bool> completed;   // Completato, set once the lines are in
    bool storeAfterLines = false;   // stored again once the lines are in, as a form does
    std::function<void()> afterEachLine;   // a clock that moves on, say
};

class ShopBuilder {
public:
    explicit ShopBuilder(const Options& options = {});
    // Rows made in a database opened elsewhere (the program's own), which stays open.
    explicit ShopBuilder(std::shared_ptr<Database> open);
    ~ShopBuilder();
    ShopBuilder(const ShopBuilder&) = delete;
    ShopBuilder& operator=(const ShopBuilder&) = delete;

    Database& db() const { return *m_db; }
    const std::shared_ptr<Database>& database() const { return m_db; }
    const std::shared_ptr<DBEngine>& engine() const { return m_engine; }
    const QString& path() const { return m_path; }
    QString dir() const;
    // Lets go of the file it opened (another process may have it); no rows can be made after.
    void close();

    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString(),
                                      const QString& order = QString()) const;
    // The row of that key, current.
    std::unique_ptr<TableData> row(const QString& table, qint64 oid) const;

    // Each returns the new row's key.
    qint64 addArticle(const Article& a);
    qint64 addCustomer(const Customer& c);
    qint64 addSupplier(const QString& name);
    // The document is stored, then each line; then the document again when it is to be
    // completed (or `storeAfterLines`). The line rules keep its totals meanwhile.
    qint64 addSale(const Document& d) { return addDocument(QStringLiteral("Vendite"), QStringLiteral("Cliente"), d); }
    qint64 addSupply(const Document& d)
    {
        return addDocument(QStringLiteral("Forniture"), QStringLiteral("Fornitore"), d);
    }
    // A line added to a stored sale or supply (`document` current); stored, and the document
    // with it when `storeDocument`.
    qint64 addLine(TableData& document, const Line& l, bool storeDocument = false);
    // The receipt record of a sale, dated `date` when given.
    qint64 addReceipt(qint64 sale, const std::optional<QDate>& date = std::nullopt);

private:
    qint64 addDocument(const QString& table, const QString& counterpart, const Document& d);

    QString m_path;
    std::shared_ptr<DBEngine> m_engine;
    std::shared_ptr<Database> m_db;
    bool m_owned = true;
};

}
