#include "ScaricoArticoli.h"
#include "core/helpers/BusinessHelpers.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"

void ScaricoArticoli::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Scarico articoli";
    identity.ParentTable = "Articoli";
    identity.SecondCaption = "Scarico articoli";
    identity.Version = 1.4;
    identity.BooleanOption = false;
}

void ScaricoArticoli::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "ImportoScarico", FieldType::Currency, 0, "Importo finale di vendita (IVA inclusa)");
    addField(fields, "ImportoSconto", FieldType::Currency, 0,
             "Eventuale importo relativo allo sconto applicato (IVA inclusa)");
    addField(fields, "ValoreScarico", FieldType::Number, 0, "Quantità di articoli scaricati");
    addField(fields, "PuntiPremio", FieldType::Integer, 0, QString(), {.o2 = 1});
    addField(fields, "DataScarico", FieldType::DateTime);
    addField(fields, "Progressivo", FieldType::Integer, 0, QString(), {.o1 = 15, .o2 = 15});

    indexes.AddIndex("DataScarico", false);
    indexes.AddIndex("DataScarico", true, "ProgrScaricoArticolo").AddField("objParent").AddField("Progressivo");
}

// Lines stored before numbering existed are numbered by their key; a new table runs it too.
void ScaricoArticoli::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool&)
{
    if (oldVersion < 1.1) execute(td, "UPDATE ScaricoArticoli SET Progressivo=OID");
}

namespace {
const QString kQuantity = QStringLiteral("ValoreScarico");
const QString kAmount = QStringLiteral("ImportoScarico");
const QString kDiscount = QStringLiteral("ImportoSconto");
const QString kPoints = QStringLiteral("PuntiPremio");
const QString kPrice = QStringLiteral("PrezzoVendita");
const QString kStock = QStringLiteral("ValoreScorta");

double number(const TableData& td, const QString& field) { return td.GetFieldValue(field).toDouble(); }
QVariant money(Currency c) { return QVariant::fromValue(c); }

// A line moves the stock only while its article has a selling price.
bool movesStock(const TableData& td) { return td.GetCurrencyValue(kPrice) > Currency() && !td.IsFieldNull(kQuantity); }

// What the line's prize points add to its amount.
Currency pointsValue(const TableData& td)
{
    return Currency::fromDouble(settings().ImportoPuntoPremio).times(double(td.GetFieldValue(kPoints).toLongLong()));
}

// A configured amount as the message shows it: a plain decimal number in the user's format.
QString decimalText(double value)
{
    QString text = QString::number(value, 'g', 15);
    text.replace(u'.', QLocale().decimalPoint());
    return text;
}

// The line's amount for each unit sold is above the configured maximum. A line without a
// quantity has no unit amount: its whole amount stands for it.
bool aboveMaximum(const TableData& td, Currency maximum)
{
    const Currency amount = td.GetCurrencyValue(kAmount);
    const double quantity = number(td, kQuantity);
    if (quantity < 0) return false;   // a return: the unit amount is negative
    if (quantity == 0) return amount > maximum;
    return amount > maximum.times(quantity);
}
}   // namespace

void ScaricoArticoli::OnNewRow(TableData& td)
{
    td.SetValue(QStringLiteral("DataScarico"), appClock().now());
    td.SetValue(kQuantity, 1.0);
    td.SetValue(kPoints, qint64(0));
    if (td.IsFieldNull(kDiscount)) td.SetValue(kDiscount, money(Currency()));
    m_numbering.number(td);
}

// Old values in place: what the change is about to replace leaves the stock and the amount.
void ScaricoArticoli::OnBeforeUpdateField(TableData& td, QString& fieldName)
{
    if (isOneOf(fieldName, "ValoreScarico,PrezzoVendita") && movesStock(td))
        td.SetValue(kStock, RoundQuantity(number(td, kStock) + number(td, kQuantity)));
    if (fieldName == kPoints && td.GetFieldValue(kPoints).toLongLong() != 0)
        td.SubtractFromField(kAmount, money(pointsValue(td)));
    if (fieldName == kDiscount) td.AddToField(kAmount, money(td.GetCurrencyValue(kDiscount)));
}

void ScaricoArticoli::OnUpdateField(TableData& td, QString& fieldName)
{
    if (fieldName == kAmount && settings().ImportoMaxArticolo > 0 && td.GetCurrencyValue(kAmount) > Currency()) {
        if (aboveMaximum(td, Currency::fromDouble(settings().ImportoMaxArticolo)))
            td.CancelWithMessage(QStringLiteral("Importo Articolo superiore al massimo consentito (")
                                 + decimalText(settings().ImportoMaxArticolo) + u')');
    }
    if (isOneOf(fieldName, "ValoreScarico,PrezzoVendita,ValoreMisura") && movesStock(td)
        && !td.IsFieldNull(QStringLiteral("ValoreMisura"))) {
        Currency amount = ComputeConvertedAmount(td, td.GetCurrencyValue(kPrice), number(td, kQuantity));
        if (td.GetFieldValue(kPoints).toLongLong() != 0) amount += pointsValue(td);
        amount -= td.GetCurrencyValue(kDiscount);
        // Raises this event for the amount, and so its maximum check.
        td.SetValue(kAmount, money(amount));
    }
    if (isOneOf(fieldName, "ValoreScarico,PrezzoVendita") && movesStock(td))
        td.SetValue(kStock, RoundQuantity(number(td, kStock) - number(td, kQuantity)));
    if (fieldName == kPoints && td.GetFieldValue(kPoints).toLongLong() != 0)
        td.AddToField(kAmount, money(pointsValue(td)));
    if (fieldName == kDiscount) td.SubtractFromField(kAmount, money(td.GetCurrencyValue(kDiscount)));
    // The article of the line was chosen or changed.
    if (fieldName == QStringLiteral("Codice")) FindDiscount(td);
}

void ScaricoArticoli::OnDeleteRow(TableData& td)
{
    if (!td.IsFieldNull(kQuantity) && number(td, kQuantity) > 0 && td.GetCurrencyValue(kPrice) > Currency()) {
        td.SetValue(kStock, number(td, kStock) + number(td, kQuantity));
        // The article's stock is stored with the line.
        td.Update();
    }
}
