#include "CaricoArticoli.h"
#include "base/Clock.h"
#include "objdb/Database.h"
#include <optional>

void CaricoArticoli::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Carico Articoli";
    identity.ParentTable = "Articoli";
    identity.SecondCaption = "Carico Articoli";
    identity.Version = 1.1;
    identity.BooleanOption = false;
}

void CaricoArticoli::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "ImportoCarico", FieldType::Currency, 0, "Importo di carico IVA esclusa (Prezzo * Quantità)");
    addField(fields, "ValoreCarico", FieldType::Number);
    addField(fields, "DataCarico", FieldType::DateTime);
    addField(fields, "Progressivo", FieldType::Integer, 0, QString(), {.o1 = 15, .o2 = 15});

    indexes.AddIndex("DataCarico", false);
    indexes.AddIndex("DataCarico", true, "ProgrCaricoArticolo").AddField("objParent").AddField("Progressivo");
}

// Lines stored before numbering existed are numbered by their key; a new table runs it too.
void CaricoArticoli::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool&)
{
    if (oldVersion < 1.1) execute(td, "UPDATE CaricoArticoli SET Progressivo=OID");
}

namespace {
const QString kQuantity = QStringLiteral("ValoreCarico");
const QString kAmount = QStringLiteral("ImportoCarico");
const QString kPrice = QStringLiteral("PrezzoAcquisto");
const QString kStock = QStringLiteral("ValoreScorta");
const QString kAverage = QStringLiteral("PrezzoAcquistoMedio");

double number(const TableData& td, const QString& field) { return td.GetFieldValue(field).toDouble(); }

// A line counts in the stock only while its article has a purchase price.
bool movesStock(const TableData& td) { return td.GetCurrencyValue(kPrice) > Currency() && !td.IsFieldNull(kQuantity); }

// The average of `article`'s stock of `without` units once the line `line`, that brought
// `quantity` units for `amount`, is taken out of it: what the article's other loads cost over
// their quantity. Taking the line's share out of an average kept to four decimals would
// drift (ten units left, all bought at 1.00, would come back at 0.9999). Without other loads
// (the stock was typed, or its loads archived) the line's share leaves the stock's value.
// Empty when nothing is left to average, or when what was sold since leaves too little value
// to take the line out.
std::optional<Currency> withoutLine(TableData& td, qint64 article, qint64 line, Currency average, double without,
                                    double quantity, Currency amount)
{
    if (without <= 0) return std::nullopt;
    auto others = td.OpenQuery(QStringLiteral("CaricoArticoli"),
                               QStringLiteral("objParent = %1 AND OID <> %2 AND %3 > 0 AND %4 > 0")
                                   .arg(article)
                                   .arg(line)
                                   .arg(kQuantity, kAmount));
    const double loaded = others->Aggregate(kQuantity, 0).toDouble();
    if (loaded > 0) return others->Aggregate(kAmount, 0).value<Currency>().dividedBy(loaded);
    const Currency value = average.times(without + quantity) - amount;
    if (value < Currency()) return std::nullopt;
    return value.dividedBy(without);
}

// The average keeps the four decimals of an amount: rounded to the currency's cents it
// would no longer give back exactly what a line brought when the line is edited.
void storeAverage(TableData& article, Currency average)
{
    if (article.IsFieldNull(kAverage) || article.GetCurrencyValue(kAverage) != average)
        article.SetValue(kAverage, QVariant::fromValue(average));
}
}   // namespace

void CaricoArticoli::OnNewRow(TableData& td)
{
    td.SetValue(QStringLiteral("DataCarico"), appClock().now());
    td.SetValue(kAmount, QVariant::fromValue(Currency()));
    td.SetValue(kQuantity, 0.0);
    m_numbering.number(td);
}

void CaricoArticoli::rememberCounted(TableData& td)
{
    if (td.IsNewRow() || m_counted.count(td.GetOID())) return;
    m_counted[td.GetOID()]
        = Counted {td.GetParentKey().toLongLong(), number(td, kQuantity), td.GetCurrencyValue(kAmount)};
}

void CaricoArticoli::OnBeforeUpdateField(TableData& td, QString& fieldName)
{
    rememberCounted(td);
    // The old quantity leaves the stock.
    if (isOneOf(fieldName, "ValoreCarico,PrezzoAcquisto") && movesStock(td))
        td.SetValue(kStock, number(td, kStock) - number(td, kQuantity));
}

void CaricoArticoli::OnUpdateField(TableData& td, QString& fieldName)
{
    if (isOneOf(fieldName, "ValoreCarico,PrezzoAcquisto,ValoreMisura") && movesStock(td)
        && !td.IsFieldNull(QStringLiteral("ValoreMisura"))) {
        const Currency amount = td.GetCurrencyValue(kPrice).times(number(td, kQuantity));
        td.SetValue(kAmount, QVariant::fromValue(td.GetDatabase()->ConvertAmount(amount, false, 1.0)));
    }
    // The new quantity enters the stock.
    if (isOneOf(fieldName, "ValoreCarico,PrezzoAcquisto") && movesStock(td))
        td.SetValue(kStock, number(td, kStock) + number(td, kQuantity));
}

// The article's average purchase price is the value of its stock over its quantity. A line
// saved again first takes out what it brought at its last save, so edits never count a
// line twice; a line moved to another article leaves the old article's average too.
void CaricoArticoli::OnUpdateRow(TableData& td)
{
    if (m_deleting) return;
    const qint64 oid = td.GetOID();
    std::optional<Counted> before;
    if (auto it = m_counted.find(oid); it != m_counted.end()) {
        before = it->second;
        m_counted.erase(it);
    }
    if (!td.IsNewRow() && !before)
        return;   // neither quantity nor amount nor article changed since the line was counted
    if (!td.IsNewRow() && !td.IsChanged()) return;

    const qint64 article = td.GetParentKey().toLongLong();
    if (before && before->article == article && before->quantity == number(td, kQuantity)
        && before->amount == td.GetCurrencyValue(kAmount))
        return;   // saved again with the same share
    if (before && before->quantity > 0 && before->article != 0 && before->article != article) {
        // The article the line left: its stock no longer holds the line's quantity.
        auto old = td.OpenQuery(QStringLiteral("Articoli"), QStringLiteral("OID = %1").arg(before->article));
        if (!old->IsEmpty()) {
            if (auto average = withoutLine(td, before->article, oid, old->GetCurrencyValue(kAverage),
                                           number(*old, kStock), before->quantity, before->amount)) {
                storeAverage(*old, *average);
                old->Update();
            }
        }
        before.reset();
    }
    if (!article) return;

    const double quantity = number(td, kQuantity);
    const double stock = number(td, kStock);
    const double without = stock - quantity;   // the stock without this line
    const Currency average = td.GetCurrencyValue(kAverage);
    const bool wasCounted = before && before->quantity > 0;
    if (quantity <= 0) {
        // The line no longer counts: only its old share leaves the average.
        if (wasCounted) {
            if (auto rest = withoutLine(td, article, oid, average, without, before->quantity, before->amount))
                storeAverage(td, *rest);
        }
        return;
    }
    if (without <= 0) {
        // The first load of the article (or of what is left of it) sets the price.
        storeAverage(td, td.GetCurrencyValue(kPrice));
        return;
    }
    // The stock's value at the average, less what the line brought at its last save, plus
    // what it brings now, over the new stock.
    if (wasCounted) {
        const Currency value
            = average.times(without + before->quantity) - before->amount + td.GetCurrencyValue(kAmount);
        if (value >= Currency()) {
            storeAverage(td, value.dividedBy(stock));
            return;
        }
    }
    const Currency value = average.times(without) + td.GetCurrencyValue(kAmount);
    storeAverage(td, value.dividedBy(stock));
}

void CaricoArticoli::OnDeleteRow(TableData& td)
{
    const qint64 oid = td.GetOID();
    const double quantity = number(td, kQuantity);
    Counted counted {td.GetParentKey().toLongLong(), quantity, td.GetCurrencyValue(kAmount)};
    if (auto it = m_counted.find(oid); it != m_counted.end()) {
        if (it->second.article == counted.article) counted = it->second;
        m_counted.erase(it);
    }
    // The line's share leaves the average before its quantity leaves the stock.
    if (counted.quantity > 0) {
        if (auto rest = withoutLine(td, counted.article, oid, td.GetCurrencyValue(kAverage),
                                    number(td, kStock) - quantity, counted.quantity, counted.amount))
            storeAverage(td, *rest);
    }
    if (!td.IsFieldNull(kQuantity) && quantity > 0 && td.GetCurrencyValue(kPrice) > Currency())
        td.SetValue(kStock, number(td, kStock) - quantity);
    // The article's new stock and average are stored with the line.
    m_deleting = true;
    try {
        td.Update();
    } catch (...) {
        m_deleting = false;
        throw;
    }
    m_deleting = false;
}
