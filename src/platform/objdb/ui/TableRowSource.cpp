#include "TableRowSource.h"
#include "objdb/Database.h"
#include "objdb/Definitions.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "UiLocale.h"
#include <QLocale>
#include <QSet>

bool GridColumn::rightAligned() const
{
    return typeCode == FieldType::Integer || typeCode == FieldType::Number || typeCode == FieldType::Currency;
}

bool GridColumn::isBoolean() const { return typeCode == FieldType::Boolean; }

namespace {

// The text of a value in a cell: numbers and amounts as the operator writes them.
QString cellText(const QVariant& v, int typeCode = -2)
{
    if (!v.isValid() || v.isNull()) return QString();
    const QLocale loc = uiLocale();
    if (v.userType() == qMetaTypeId<Currency>()) {
        const Currency c = v.value<Currency>();
        return c.toText(loc, c.units() % 100 == 0 ? 2 : -1);
    }
    switch (v.userType()) {
    case QMetaType::QDateTime: {
        const QDateTime t = v.toDateTime();
        const bool dateOnly = typeCode == FieldType::Date || (typeCode == -2 && t.time() == QTime(0, 0));
        return dateOnly ? t.toString(QStringLiteral("dd/MM/yyyy")) : t.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
    case QMetaType::QDate: return v.toDate().toString(QStringLiteral("dd/MM/yyyy"));
    case QMetaType::Double: return loc.toString(v.toDouble(), 'g', 15);
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default: return v.toString();
    }
}

}   // namespace

TableRowSource::TableRowSource(TableData& data) : m_data(data), m_reader(data.Clone())
{
    TableObject* table = m_reader->GetTable();
    for (const FieldInfo& info : m_reader->GetFieldInfos()) {
        if (!info.Shown) continue;
        if (info.TypeCode == -1) {
            // A list holds many rows: it has no one text to show in a cell.
            const ReferenceDefinition* ref = table ? table->GetReference(info.Name) : nullptr;
            if (ref && ref->IsList) continue;
        }
        m_columns.push_back({info.Name, info.Caption, info.TypeCode, info.Description});
    }
    // A line carries its parent row's fields: they may be named, though not shown by default.
    TableObject* parent = table ? table->Parent() : nullptr;
    const int level = m_reader->GetDatabase()->AccessLevel();
    if (parent) {
        for (const FieldDefinition& f : parent->Fields()) {
            if (f.O2 > level) continue;
            bool known = false;
            for (const GridColumn& c : m_columns) known = known || c.field.compare(f.Name, Qt::CaseInsensitive) == 0;
            if (!known) m_columns.push_back({f.Name, f.Name, f.TypeCode, f.Description, true});
        }
    }
}

TableRowSource::~TableRowSource() = default;

std::vector<GridColumn> TableRowSource::Columns() const { return m_columns; }

QString TableRowSource::TableName() const { return m_reader->tableName(); }

void TableRowSource::SetColumns(const QStringList& fields)
{
    m_chosen = fields;
    m_types.clear();
    for (const QString& f : fields) {
        int type = -2;
        for (const GridColumn& c : m_columns)
            if (c.field.compare(f, Qt::CaseInsensitive) == 0) type = c.typeCode;
        m_types.push_back(type);
    }
    m_references.clear();
    TableObject* table = m_reader->GetTable();
    Database* db = m_reader->GetDatabase();
    for (int i = 0; i < fields.size(); ++i) {
        const ReferenceDefinition* ref = table ? table->GetReference(fields[i]) : nullptr;
        if (!ref || ref->IsList) continue;
        // A reference named in the data set's field list is already read as its display text.
        bool computed = false;
        for (const GridColumn& c : m_columns)
            if (c.field.compare(fields[i], Qt::CaseInsensitive) == 0) computed = c.typeCode == -2;
        if (computed) continue;
        Reference r;
        r.column = i;
        r.name = ref->Name;
        r.targetTable = ref->TargetTable;
        const QString shown = ref->DisplayFields.split(u',', Qt::SkipEmptyParts).value(0).trimmed();
        TableObject* target = db ? db->FindTable(ref->TargetTable) : nullptr;
        if (target && !shown.isEmpty() && target->FieldExists(shown)) r.displayField = shown;
        m_references.push_back(r);
    }
}

bool TableRowSource::positionAfter(const RowKey* after)
{
    if (!after) {
        m_reader->MoveFirst();
        return !m_reader->IsEOF();
    }
    if (!m_reader->MoveToOID(after->oid)) return false;
    m_reader->MoveNext();
    return !m_reader->IsEOF();
}

std::vector<GridRow> TableRowSource::Read(const RowKey* after, int count)
{
    std::vector<GridRow> rows;
    if (count <= 0 || !positionAfter(after)) return rows;
    rows.reserve(size_t(count));
    std::vector<std::vector<qint64>> refOids(m_references.size());
    for (int n = 0; n < count && !m_reader->IsEOF(); ++n, m_reader->MoveNext()) {
        GridRow& row = rows.emplace_back();
        row.key.oid = m_reader->GetOID();
        row.cells.reserve(m_chosen.size());
        for (int c = 0; c < m_chosen.size(); ++c)
            row.cells << cellText(m_reader->GetValue(m_chosen[c]), m_types[size_t(c)]);
        for (size_t r = 0; r < m_references.size(); ++r)
            refOids[r].push_back(m_reader->GetReferenceOID(m_references[r].name));
    }
    resolveReferences(rows, refOids);
    return rows;
}

// One look-up per reference column for the whole page, not one per cell.
void TableRowSource::resolveReferences(std::vector<GridRow>& rows, const std::vector<std::vector<qint64>>& oids)
{
    for (size_t r = 0; r < m_references.size(); ++r) {
        const Reference& ref = m_references[r];
        QHash<qint64, QString> texts;
        if (!ref.displayField.isEmpty()) {
            QSet<qint64> wanted;
            for (qint64 oid : oids[r])
                if (oid) wanted.insert(oid);
            if (!wanted.isEmpty()) {
                QStringList list;
                for (qint64 oid : wanted) list << QString::number(oid);
                // On the data set's own file (the backup file has its own rows).
                auto found = m_reader->OpenQuery(ref.targetTable, QStringLiteral("OID In (%1)").arg(list.join(u',')));
                for (found->MoveFirst(); !found->IsEOF(); found->MoveNext())
                    texts.insert(found->GetOID(), found->GetText(ref.displayField));
            }
        }
        for (size_t i = 0; i < rows.size(); ++i) {
            const qint64 oid = oids[r][i];
            rows[i].cells[ref.column] = !oid ? QString()
                : ref.displayField.isEmpty() ? QString::number(oid)
                                             : texts.value(oid);
        }
    }
}

std::vector<RowKey> TableRowSource::Keys(const RowKey* after, int count)
{
    std::vector<RowKey> keys;
    for (qint64 oid : m_reader->PageAfter(after ? after->oid : 0, count)) keys.push_back({oid, {}});
    return keys;
}

qint64 TableRowSource::Count() { return m_reader->RowCount(); }

std::unique_ptr<RowSource> TableRowSource::Reopen() const
{
    auto source = std::make_unique<TableRowSource>(m_data);
    source->SetColumns(m_chosen);
    return source;
}
