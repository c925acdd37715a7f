#include "BuoniVendite.h"
#include "objdb/TableObject.h"

namespace {

const QString kUseAmount = QStringLiteral("ImportoUtilizzatoVendita");
const QString kUsed = QStringLiteral("ImportoUtilizzato");
// Put on a use whose new amount (or new voucher) was refused and so never booked: the undo of
// the refused change must not take it off the voucher either.
const QString kMarkRefused = QStringLiteral("BuonoRifiutato");

bool is(const QString& name, const QString& wanted) { return name.compare(wanted, Qt::CaseInsensitive) == 0; }

}   // namespace

void BuoniVendite::DefineIdentity(TableIdentity& identity)
{
    identity.ParentTable = "BuoniClienti";
    identity.Version = 1.1;
}

void BuoniVendite::DefineStructure(FieldDefinitions& fields, IndexDefinitions&, ReferenceDefinitions&)
{
    addField(fields, "ImportoUtilizzatoVendita", FieldType::Currency, 0,
             "Importo del buono utilizzato dal Cliente (IVA inclusa)");
}

void BuoniVendite::OnNewRow(TableData& td) { td.SetValue(kUseAmount, QVariant::fromValue(Currency())); }

// The voucher's ImportoUtilizzato is also raised here when the use moves to another voucher
// (the old voucher is in place before, the new one after); the class's own writes are not.
bool BuoniVendite::concernsTheVoucher(const QString& fieldName) const
{
    return is(fieldName, kUseAmount) || (is(fieldName, kUsed) && !m_bookingInCorso);
}

void BuoniVendite::book(TableData& td, Currency amount)
{
    m_bookingInCorso = true;
    try {
        td.AddToField(kUsed, QVariant::fromValue(amount));
    } catch (...) {
        m_bookingInCorso = false;
        throw;
    }
    m_bookingInCorso = false;
}

// The old amount leaves the voucher.
void BuoniVendite::OnBeforeUpdateField(TableData& td, QString& fieldName)
{
    if (!concernsTheVoucher(fieldName)) return;
    if (td.IsMarked(kMarkRefused)) {
        td.Unmark(kMarkRefused);
        return;
    }
    const Currency use = td.GetCurrencyValue(kUseAmount);
    if (!use.isZero() && !td.GetParentKey().isNull()) book(td, -use);
}

// The new amount comes onto the voucher when what is left of the voucher covers it.
void BuoniVendite::OnUpdateField(TableData& td, QString& fieldName)
{
    if (!concernsTheVoucher(fieldName)) return;
    const Currency use = td.GetCurrencyValue(kUseAmount);
    if (use.isZero()) return;
    const bool hasVoucher = !td.GetParentKey().isNull();
    const Currency left = hasVoucher ? td.GetCurrencyValue("ImportoBuono") - td.GetCurrencyValue(kUsed) : Currency();
    if (use > left) {
        td.CancelWithMessage(QString::fromUtf8("L'importo da utilizzare è superiore all'importo rimanente del buono"));
        td.TestAndMark(kMarkRefused);
        return;
    }
    if (hasVoucher) book(td, use);
}

// Checked again when the use is stored, on the voucher as it is stored then: another counter
// may have used the same voucher since this use was checked against what was left of it.
void BuoniVendite::OnUpdateRow(TableData& td)
{
    const Currency use = td.GetCurrencyValue(kUseAmount);
    if (use <= Currency() || td.GetParentKey().isNull()) return;
    if (td.GetCurrencyValue(kUsed) > td.GetCurrencyValue("ImportoBuono"))
        td.CancelWithMessage(QString::fromUtf8("L'importo da utilizzare è superiore all'importo rimanente del buono"));
}

// The voucher gets the amount back; it is saved with the deletion.
void BuoniVendite::OnDeleteRow(TableData& td)
{
    const Currency use = td.GetCurrencyValue(kUseAmount);
    if (!use.isZero() && !td.GetParentKey().isNull()) book(td, -use);
}

// Only the open vouchers of the sale's customer may hold a use of that sale.
void BuoniVendite::OnSelectParent(TableData& td, TableData& candidates)
{
    TableObject* table = candidates.GetTable();
    if (!table || !is(table->Name(), "BuoniClienti")) return;
    QStringList conditions;
    if (const QString existing = candidates.GetFilter(); !existing.isEmpty()) conditions << "(" + existing + ")";
    // A sale without a customer has no vouchers: its empty customer selects none.
    if (auto sale = td.GetOwnerByTable("Vendite"))
        conditions << "(" + sale->GetReference("Cliente")->GetChildFilter("BuoniClienti") + ")";
    conditions << "ImportoBuono>ImportoUtilizzato";
    candidates.SetFilter(conditions.join(" AND "));
}
