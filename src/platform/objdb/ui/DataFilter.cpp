#include "DataFilter.h"
#include "base/AppError.h"
#include "base/Currency.h"
#include "objdb/Database.h"
#include "objdb/Definitions.h"
#include "base/SettingsStore.h"
#include "objdb/TableObject.h"
#include "base/TypedNumber.h"
#include "UiLocale.h"
#include <QDateTime>
#include <cctype>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace {
bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

[[noreturn]] void badValue(const QString& table, const QString& field, const QString& value)
{
    throw AppError::object(2, table, QStringLiteral("Valore non valido per il campo <%1>: %2").arg(field, value));
}

// A number compared with a field is read as the operator writes numbers, and only so: read
// in another form its marks would be taken for others ("3.20" is 320 where "." groups).
[[noreturn]] void notANumber(const QString& table, const QString& field, const QString& value)
{
    throw AppError::object(2, table, NotATypedNumberMessage(field, value, uiLocale()));
}

// A filter's name as a key of the store. The name is what the operator typed; the store's
// file takes "/" and "\\" for levels of sections, ends a key at "=", reads a line starting
// with "[" as a section and one starting with ";" or "#" as a comment, and trims spaces: such
// characters go in as %XX, so that every name reads back as it was saved and never takes the
// filters saved after it along.
QString keyOf(const QString& name)
{
    static const QString special = QStringLiteral("%/\\=[];#\"");
    QString k;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool edgeSpace = c.isSpace() && (i == 0 || i == name.size() - 1);
        if (c.unicode() > 0xff && edgeSpace)
            k += QStringLiteral("%u") + QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else if (special.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f || edgeSpace)
            k += u'%' + QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            k += c;
    }
    return k;
}
QString nameOf(const QString& key)
{
    const auto hex = [&](qsizetype from, int digits) -> int {
        if (from + digits > key.size()) return -1;
        bool ok = false;
        const QString part = key.mid(from, digits);
        for (const QChar c : part)
            if (!isxdigit(c.toLatin1())) return -1;
        const int value = int(part.toUInt(&ok, 16));
        return ok ? value : -1;
    };
    QString n;
    for (qsizetype i = 0; i < key.size(); ++i) {
        int code = -1;
        if (key[i] == u'%' && i + 1 < key.size() && key[i + 1] == u'u' && (code = hex(i + 2, 4)) >= 0) {
            n += QChar(code);
            i += 5;
        } else if (key[i] == u'%' && (code = hex(i + 1, 2)) >= 0) {
            n += QChar(code);
            i += 2;
        } else {
            n += key[i];
        }
    }
    return n;
}

QDateTime dateOf(const QString& text)
{
    for (const char* form :
         {"dd/MM/yyyy HH:mm:ss", "dd/MM/yyyy HH:mm", "dd/MM/yyyy", "d/M/yyyy", "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd"}) {
        const QString f = QString::fromLatin1(form);
        QDateTime t = QDateTime::fromString(text, f);
        if (!t.isValid() && !f.contains(u'H')) {
            const QDate d = QDate::fromString(text, f);
            if (d.isValid()) t = QDateTime(d, QTime(0, 0));
        }
        if (t.isValid()) return t;
    }
    return QDateTime();
}
}

const QStringList& DataFilter::Operators()
{
    static const QStringList ops {QStringLiteral("="),   QStringLiteral("<>"), QStringLiteral("<"),
                                  QStringLiteral("<="),  QStringLiteral(">"),  QStringLiteral(">="),
                                  QStringLiteral("Like")};
    return ops;
}

DataFilter::DataFilter(TableObject& table, SettingsStore* store) : m_table(table), m_store(store) { }

QString DataFilter::TableName() const { return m_table.Name(); }
SettingsStore& DataFilter::store() const { return m_store ? *m_store : settingsStore(); }
QString DataFilter::section() const { return QStringLiteral("DataFilter ") + m_table.Name(); }

void DataFilter::AddCondition(const QString& field, const QString& op, const QString& value)
{
    m_conditions.push_back({field, op.isEmpty() ? QStringLiteral("=") : op, value});
}

bool DataFilter::HasCondition(const QString& field) const
{
    for (const FilterCondition& c : m_conditions)
        if (same(c.field, field)) return true;
    return false;
}

void DataFilter::RemoveCondition(const QString& field)
{
    std::erase_if(m_conditions, [&](const FilterCondition& c) { return same(c.field, field); });
}

QString DataFilter::ConditionText(const FilterCondition& c, bool qualified) const
{
    // The field is the table's or its parent's (a line's article).
    TableObject* owner = nullptr;
    const FieldDefinition* def = nullptr;
    for (TableObject* t = &m_table; t && !def; t = t->Parent()) {
        def = t->GetField(c.field);
        if (def) owner = t;
    }
    const ReferenceDefinition* ref = def ? nullptr : m_table.GetReference(c.field);
    if (!def && !ref) throw AppError::object(2, m_table.Name(), QStringLiteral("Campo inesistente: ") + c.field);
    QString op = c.op.trimmed();
    if (!Operators().contains(op, Qt::CaseInsensitive))
        throw AppError::object(2, m_table.Name(), QStringLiteral("Operatore non valido: ") + op);
    if (same(op, QStringLiteral("Like"))) op = QStringLiteral("Like");
    const QString name = ref ? ref->column() : def->Name;
    const QString column = qualified ? owner ? owner->Name() + u'.' + name : m_table.Name() + u'.' + name : name;
    const QString value = c.value.trimmed();
    if (value.isEmpty() && (op == u"=" || op == u"<>"))
        return column + (op == u"=" ? QStringLiteral(" Is Null") : QStringLiteral(" Is Not Null"));

    Database* db = m_table.GetDatabase();
    QString literal;
    if (ref) {
        // A reference is compared by the OID of the row it points to.
        bool ok = false;
        const qint64 oid = value.toLongLong(&ok);
        if (!ok) badValue(m_table.Name(), c.field, c.value);
        literal = QString::number(oid);
    } else if (op == u"Like") {
        literal = db->QuoteText(c.value);
    } else {
        switch (def->TypeCode) {
        case FieldType::Integer:
        case FieldType::Number: {
            const auto d = ReadTypedNumber(value, uiLocale());
            if (!d) notANumber(m_table.Name(), c.field, value);
            literal = QString::number(*d, 'g', 17);
            break;
        }
        case FieldType::Currency: {
            const auto a = ReadTypedAmount(value, uiLocale());
            if (!a) notANumber(m_table.Name(), c.field, value);
            literal = a->toString();
            break;
        }
        case FieldType::Boolean: {
            const QString t = value.toLower();
            if (t == u"true" || t == u"vero" || t == u"si" || t == u"sì" || t == u"-1" || t == u"1")
                literal = QStringLiteral("True");
            else if (t == u"false" || t == u"falso" || t == u"no" || t == u"0")
                literal = QStringLiteral("False");
            else
                badValue(m_table.Name(), c.field, c.value);
            break;
        }
        case FieldType::Date:
        case FieldType::DateTime: {
            const QDateTime t = dateOf(value);
            if (!t.isValid()) badValue(m_table.Name(), c.field, c.value);
            literal = db->FormatDateLiteral(t, t.time() != QTime(0, 0));
            break;
        }
        default: literal = db->QuoteText(c.value);
        }
    }
    return column + u' ' + op + u' ' + literal;
}

QString DataFilter::GetWhere(int, bool qualified) const
{
    QStringList parts;
    for (const FilterCondition& c : m_conditions) parts << ConditionText(c, qualified);
    if (parts.size() == 1) return parts.first();
    for (QString& p : parts) p = u'(' + p + u')';
    return parts.join(QStringLiteral(" AND "));
}

// --- stored ---------------------------------------------------------------------------------------------

bool DataFilter::LoadSaved(const QString& name)
{
    if (name.isEmpty() || !store().contains(section(), keyOf(name))) return false;
    const QJsonDocument doc = QJsonDocument::fromJson(store().get(section(), keyOf(name), QString()).toUtf8());
    std::vector<FilterCondition> loaded;
    for (const QJsonValue& v : doc.array()) {
        const QJsonObject o = v.toObject();
        loaded.push_back({o.value(QStringLiteral("field")).toString(), o.value(QStringLiteral("op")).toString(),
                          o.value(QStringLiteral("value")).toString()});
    }
    m_conditions = std::move(loaded);
    m_name = name;
    return true;
}

void DataFilter::Save(const QString& name)
{
    QJsonArray list;
    for (const FilterCondition& c : m_conditions)
        list.append(QJsonObject {
            {QStringLiteral("field"), c.field}, {QStringLiteral("op"), c.op}, {QStringLiteral("value"), c.value}});
    store().set(section(), keyOf(name), QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)));
    store().sync();
    m_name = name;
}

bool DataFilter::DeleteSaved(const QString& name)
{
    if (name.isEmpty() || !store().contains(section(), keyOf(name))) return false;
    store().remove(section(), keyOf(name));
    store().sync();
    return true;
}

QString DataFilter::GetSavedNames() const
{
    QStringList names;
    for (const QString& key : store().keys(section())) names << nameOf(key);
    return names.join(u'|');
}
