#include "GridFields.h"
#include "operations/DetailView.h"
#include "objdb/Definitions.h"

namespace {

// A default search column is a description-like text: longer than a code, shorter than a note.
bool suitsDefaultSearch(const FieldInfo& f) { return f.Size > 16 && f.Size <= 128; }

}   // namespace

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
    const TableData* ds = view.DataSet();
    return ds ? ds->GetFieldInfos() : std::vector<FieldInfo> {};
}

QString JetFieldTerm(const QString& field)
{
    const QStringList parts = field.split(u'.');
    QStringList out;
    for (const QString& p : parts) out << u'[' + p + u']';
    return out.join(u'.');
}
