#include "GridFields.h"
#include "Database.h"
#include "DetailView.h"
#include "TableObject.h"

namespace {

// A default search column is a description-like text: longer than a code, shorter than a note.
bool suitsDefaultSearch(const FieldInfo& f) { return f.Size > 16 && f.Size <= 128; }

}  // namespace

bool IsSearchableType(int typeCode) { return typeCode == 0 || typeCode == 1 || typeCode == 2; }

bool IsTotalledType(int typeCode)
{
    return typeCode == FieldType::Integer || typeCode == FieldType::Number || typeCode == FieldType::Currency;
}

FieldMenus BuildFieldMenus(const std::vector<FieldInfo>& fields)
{
    FieldMenus m;
    std::optional<int> preferred;
    for (const FieldInfo& f : fields) {
        if (!IsSearchableType(f.TypeCode)) continue;
        m.search.push_back({f.Caption, f.Name});
        m.filter.push_back({f.Caption, f.Name});
        m.findList.push_back({f.Caption, f.Name});
        if (!preferred && suitsDefaultSearch(f)) preferred = int(m.findList.size());
    }
    if (!m.findList.empty()) m.findColumn = preferred.value_or(1);
    for (const FieldInfo& f : fields)
        if (f.Shown) m.order.push_back({f.Caption, f.Name});
    for (const FieldInfo& f : fields)
        if (f.Shown && IsTotalledType(f.TypeCode)) m.totals.push_back({f.Name, QString()});
    return m;
}

std::vector<FieldInfo> ShownFields(const DetailView& view)
{
    if (!view.HasView()) return {};
    if (const TableData* ds = view.DataSet()) return ds->GetFieldInfos();
    const ViewRows* rows = view.Rows();
    if (!rows) return {};
    Database& db = rows->database();
    TableObject* table = db.FindTable(view.Query().Table);
    std::vector<FieldInfo> out;
    for (const QString& column : rows->First(1).columns) {
        FieldInfo info;
        info.Name = column;
        info.Caption = column;
        info.TypeCode = -2;
        info.Editable = false;
        if (const FieldDefinition* def = table ? table->GetField(column) : nullptr) {
            info.TypeCode = def->TypeCode;
            info.Size = def->Size;
            info.Shown = def->O2 <= db.AccessLevel();
            info.Description = def->Description;
        }
        out.push_back(info);
    }
    return out;
}

QString JetFieldTerm(const QString& field)
{
    const QStringList parts = field.split(u'.');
    QStringList out;
    for (const QString& p : parts) out << u'[' + p + u']';
    return out.join(u'.');
}
