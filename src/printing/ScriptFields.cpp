#include "ScriptFields.h"

#include "objdb/Definitions.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"

namespace {

void addReferenceCodes(vbs::ScriptRecord& rec, TableData& rows, const TableObject& table, bool hasRow)
{
    for (const ReferenceDefinition& ref : table.References()) {
        if (ref.IsList) continue;
        const QString name = QStringLiteral("Cod_") + ref.Name;
        if (rec.field(name)) continue;
        QString keyField = ref.KeyField;
        if (keyField.isEmpty())
            if (const TableObject* target = rows.GetTable(ref.TargetTable)) keyField = target->GetKeyField();
        if (keyField.isEmpty()) continue;
        vbs::Variant value = vbs::Variant::null();
        if (hasRow && rows.GetReferenceOID(ref.Name) != 0) {
            auto target = rows.GetReference(ref.Name);
            if (!target->IsEmpty()) value = vbs::Variant::fromQVariant(target->GetValue(keyField));
        }
        rec.addField(name, value);
    }
}

}   // namespace

std::shared_ptr<vbs::ScriptRecord> ScriptFieldsOf(TableData& rows)
{
    auto rec = std::make_shared<vbs::ScriptRecord>();
    const bool hasRow = !rows.HasNoCurrentRow();
    // A record's missing value is Null, whatever the column (computed ones included).
    auto valueOf = [&](const QString& field) {
        const QVariant v = hasRow ? rows.GetValue(field) : QVariant();
        return v.isValid() ? vbs::Variant::fromQVariant(v) : vbs::Variant::null();
    };
    rec->addField(QStringLiteral("OID"), valueOf(QStringLiteral("OID")));
    for (const FieldInfo& info : rows.GetFieldInfos()) {
        if (info.TypeCode == -1) continue;   // references: their codes come below
        rec->addField(info.Name, valueOf(info.Name));
    }
    TableObject* table = rows.GetTable();
    TableObject* parent = table ? table->Parent() : nullptr;
    if (parent) {
        for (const FieldDefinition& f : parent->Fields())
            if (!rec->field(f.Name)) rec->addField(f.Name, valueOf(f.Name));
    }
    if (table) addReferenceCodes(*rec, rows, *table, hasRow);
    if (parent) addReferenceCodes(*rec, rows, *parent, hasRow);
    return rec;
}
