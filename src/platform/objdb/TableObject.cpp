#include "TableObject.h"
#include "Database.h"
#include "DBEngine.h"
#include "ObjDbError.h"
#include "ObjDbInternal.h"
#include "TableData.h"

using namespace objdb;

QString TableObject::Name() const { return m_schema.name; }
QString TableObject::Caption() const
{
    return m_schema.identity.Caption.isEmpty() ? m_schema.name : m_schema.identity.Caption;
}
QString TableObject::GetStorageName() const { return m_schema.name; }
QString TableObject::ParentTable() const { return m_schema.identity.ParentTable; }
TableObject* TableObject::Parent() const { return m_schema.parent ? m_db.FindTable(m_schema.parent->name) : nullptr; }
std::optional<double> TableObject::Version() const { return m_schema.identity.Version; }
QString TableObject::ColumnOrder() const { return m_schema.columnOrder; }
bool TableObject::ExcludedFromCopy() const { return m_schema.excludedFromCopy; }
TableCollection* TableObject::GetTables() const { return &m_db.Tables(); }

QString TableObject::GetKeyField(bool qualified) const
{
    const QString& k = m_schema.keyField();
    if (k.isEmpty()) return QString();
    return qualified ? m_schema.name + u'.' + k : k;
}

bool TableObject::FieldExists(const QString& field) const { return m_schema.field(field) != nullptr; }

const FieldDefinition* TableObject::GetField(const QString& field) const
{
    const FieldSchema* f = m_schema.field(field);
    return f ? &f->def : nullptr;
}

int TableObject::SetFieldSeeLevel(const QString& field, int level)
{
    const int i = m_schema.fieldIndex(field);
    if (i < 0)
        throw objdb::error(UnknownField, Name(),
                           QStringLiteral("Campo '%1' inesistente nella tabella %2").arg(field, Name()));
    return std::exchange(m_schema.fields[size_t(i)].def.O2, level);
}

SwitchedOffFields::SwitchedOffFields(TableObject& table, const QStringList& fields) : m_table(table)
{
    try {
        for (const QString& f : fields)
            m_before.emplace_back(f, m_table.SetFieldSeeLevel(f, FieldDefinition::kSwitchedOff));
    } catch (...) {
        restore();
        throw;
    }
}

SwitchedOffFields::~SwitchedOffFields() { restore(); }

void SwitchedOffFields::restore()
{
    for (auto it = m_before.rbegin(); it != m_before.rend(); ++it)
        (void)m_table.SetFieldSeeLevel(it->first, it->second);
    m_before.clear();
}

std::vector<FieldDefinition> TableObject::Fields() const
{
    std::vector<FieldDefinition> out;
    for (const auto& f : m_schema.fields) out.push_back(f.def);
    return out;
}

std::vector<ReferenceDefinition> TableObject::References() const
{
    std::vector<ReferenceDefinition> out;
    for (const auto& r : m_schema.refs) out.push_back(r.def);
    return out;
}

const ReferenceDefinition* TableObject::GetReference(const QString& name) const
{
    const RefSchema* r = m_schema.ref(name);
    return r ? &r->def : nullptr;
}

std::unique_ptr<TableData> TableObject::Select(const QString& condition, const QString& order, const QString& fieldList,
                                               std::shared_ptr<DBEngine> engine)
{
    if (!engine) engine = m_db.GetEngine();
    if (!engine || !engine->IsOpen()) throw objdb::error(NotOpen, Name(), QStringLiteral("Database non aperto"));
    auto impl = DataSetAccess::newImpl(m_db.shared_from_this(), engine, m_schema);
    impl->selectCondition = condition;
    impl->order = order;
    impl->fieldList = fieldList;
    auto td = DataSetAccess::make(std::move(impl));
    if (m_schema.handler) m_schema.handler->OnSelect(*td);
    return td;
}

namespace {
QString literal(const Database& db, const QVariant& v)
{
    const int t = v.userType();
    if (t == qMetaTypeId<Currency>()) return v.value<Currency>().toString();
    switch (t) {
    case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong: return QString::number(v.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float: return QString::number(v.toDouble(), 'g', 17);
    case QMetaType::QDateTime: {
        const QDateTime d = v.toDateTime();
        return db.FormatDateLiteral(d, d.time() != QTime(0, 0));
    }
    case QMetaType::QDate: return db.FormatDateLiteral(QDateTime(v.toDate(), QTime(0, 0)), false);
    default: return db.QuoteText(v.toString());
    }
}
}

QString TableObject::BuildFieldCondition(const QString& field, const QVariant& value, const QString& wildcard) const
{
    if (!value.isValid() || value.isNull()) return field + QStringLiteral(" Is Null");
    QVariant v = value;
    TableSchema* s = &m_schema;
    const FieldSchema* f = nullptr;
    while (s && !(f = s->field(field))) s = s->parent;
    if (f && !(f->kind == Kind::Text)) {
        try {
            v = coerce(f->kind, value, field);
        } catch (const AppError&) { }
    }
    if (v.userType() == QMetaType::QString && !wildcard.isEmpty()) {
        const QString text = v.toString();
        if (text.contains(u'*') || text.contains(u'?')) return field + QStringLiteral(" Like ") + m_db.QuoteText(text);
    }
    return field + QStringLiteral(" = ") + literal(m_db, v);
}

QString TableObject::BuildReferenceCondition(const QString& reference, const QVariant& key) const
{
    const RefSchema* r = m_schema.ref(reference);
    if (!r) throw objdb::error(UnknownReference, Name(), QStringLiteral("Riferimento '%1' inesistente").arg(reference));
    const qint64 oid = key.isNull() ? 0 : key.toLongLong();
    if (r->isList()) {
        if (oid == 0) return QStringLiteral("OID NOT IN (SELECT [OwnerOID] FROM [%1])").arg(r->linkTable);
        return QStringLiteral("OID IN (SELECT [OwnerOID] FROM [%1] WHERE [MemberOID] = %2)").arg(r->linkTable).arg(oid);
    }
    if (oid == 0) return r->def.column() + QStringLiteral(" Is Null");
    return r->def.column() + QStringLiteral(" = ") + QString::number(oid);
}

QString TableObject::BuildKeyCondition(const QVariant& key) const
{
    if (!key.isValid() || key.isNull()) return QStringLiteral("OID Is Null");
    return QStringLiteral("OID = ") + QString::number(key.toLongLong());
}
