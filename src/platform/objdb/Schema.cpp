#include "Schema.h"
#include <optional>
#include "base/AppError.h"
#include "base/Currency.h"
#include "ObjDbError.h"
#include "SqlConnection.h"
#include "base/TypedNumber.h"
#include <QJsonArray>
#include <QLocale>
#include <cmath>

namespace objdb {

Kind kindOf(int typeCode)
{
    switch (typeCode) {
    case FieldType::Integer: return Kind::Integer;
    case FieldType::Boolean: return Kind::Boolean;
    case FieldType::Number: return Kind::Real;
    case FieldType::Currency: return Kind::Currency;
    case FieldType::Date: return Kind::Date;
    case FieldType::DateTime: return Kind::DateTime;
    default: return Kind::Text;
    }
}

QString sqlType(Kind kind)
{
    switch (kind) {
    case Kind::Integer:
    case Kind::Boolean: return QStringLiteral("INTEGER");
    case Kind::Real:
    case Kind::Currency: return QStringLiteral("REAL");
    default: return QStringLiteral("TEXT COLLATE NOCASE");
    }
}

bool isTextKind(Kind kind) { return kind == Kind::Text; }

QString storedDateText(const QDateTime& t) { return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

namespace {

// The stored form 'yyyy-mm-dd hh:nn:ss', read without Qt's general date parser: every date
// of every row read passes here, and the parser costs more than the rest of the row.
std::optional<QDateTime> storedForm(const QString& text)
{
    if (text.size() != 19 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' || text[13] != u':'
        || text[16] != u':')
        return std::nullopt;
    auto number = [&](int from, int count, int& out) {
        out = 0;
        for (int i = from; i < from + count; ++i) {
            const char16_t c = text[i].unicode();
            if (c < u'0' || c > u'9') return false;
            out = out * 10 + (c - u'0');
        }
        return true;
    };
    int y, mo, d, h, mi, se;
    if (!number(0, 4, y) || !number(5, 2, mo) || !number(8, 2, d) || !number(11, 2, h) || !number(14, 2, mi)
        || !number(17, 2, se))
        return std::nullopt;
    const QDate date(y, mo, d);
    const QTime time(h, mi, se);
    if (!date.isValid() || !time.isValid()) return std::nullopt;
    // Every local time made asks the C library for the zone, and with TZ unset it looks at
    // the zone file again each time (a stat per date of every row read, more than the rest
    // of the row costs). Naming that same file in TZ has it read once; the zone is the same.
    static const bool zoneNamed = [] {
        if (!qEnvironmentVariableIsSet("TZ")) qputenv("TZ", ":/etc/localtime");
        return true;
    }();
    (void)zoneNamed;
    QDateTime t(date, time);
    // A time the clock skipped (the spring change) is left to the parser, which knows what
    // to make of it.
    if (!t.isValid() || t.time() != time) return std::nullopt;
    return t;
}

}   // namespace

QDateTime parseDateText(const QString& input)
{
    if (std::optional<QDateTime> stored = storedForm(input)) return *stored;
    const QString text = input.trimmed();
    if (text.isEmpty()) return QDateTime();
    static const char* const forms[] = {
        "yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy-MM-ddTHH:mm:ss", "yyyy-MM-dd",
        "dd/MM/yyyy HH:mm:ss", "dd/MM/yyyy HH:mm", "dd/MM/yyyy",          "d/M/yyyy H:mm:ss",
        "d/M/yyyy H:mm",       "d/M/yyyy",         "dd.MM.yyyy",          "dd-MM-yyyy",
    };
    for (const char* f : forms) {
        const QString form = QString::fromLatin1(f);
        QDateTime t = QDateTime::fromString(text, form);
        if (t.isValid()) return t;
        if (!form.contains(u'H')) {
            QDate d = QDate::fromString(text, form);
            if (d.isValid()) return QDateTime(d, QTime(0, 0));
        }
    }
    return QDateTime();
}

namespace {

const QString kSource = QStringLiteral("objdb");

[[noreturn]] void mismatch(const QString& field, const QVariant& v)
{
    throw AppError(AppError::kTypeMismatch, kSource,
                   QStringLiteral("Tipo non corrispondente per il campo <%1>: %2").arg(field, v.toString()));
}

bool isNumericType(int t)
{
    switch (t) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Bool: return true;
    default: return false;
    }
}

bool isIntegralType(int t) { return isNumericType(t) && t != QMetaType::Double && t != QMetaType::Float; }

// A number given as text: in the program's form (the one it shows), else in the C form. Both
// readings are strict (TypedNumber.h), so the two forms never mistake one another's marks for
// group separators: "0,750" is 0.75 in Italian and no C number, "3.20" the other way round.
std::optional<double> parseNumber(const QString& s)
{
    if (auto d = ReadTypedNumber(s, QLocale())) return d;
    return ReadTypedNumber(s, QLocale::c());
}

std::optional<Currency> parseAmount(const QString& s)
{
    if (auto c = ReadTypedAmount(s, QLocale())) return c;
    return ReadTypedAmount(s, QLocale::c());
}

Currency currencyFromStoredReal(double d)
{
    // The range limits do not survive a double exactly; keep them at the limit.
    constexpr double kLimit = 922337203685477.5807;
    if (d >= kLimit) return Currency::max();
    if (d <= -kLimit - 0.0001) return Currency::min();
    // Written as ten-thousandths, a stored amount reads back as a whole number of them but
    // for the last bit of the double: take it without going through text. Anything else (a
    // value some other program wrote) takes the exact way.
    const double scaled = d * double(Currency::kScale);
    if (std::fabs(scaled) < 0x1p50) {
        const double units = std::nearbyint(scaled);
        if (std::fabs(scaled - units) <= std::fabs(scaled) * 0x1p-50 + 0x1p-30)
            return Currency::fromUnits(qint64(units));
    }
    return Currency::fromDouble(d);
}

}   // namespace

QVariant toStorage(Kind kind, const QVariant& v)
{
    if (!v.isValid() || v.isNull()) return QVariant();
    switch (kind) {
    case Kind::Currency: {
        Currency c = v.userType() == qMetaTypeId<Currency>() ? v.value<Currency>()
                                                             : coerce(kind, v, QString()).value<Currency>();
        return QVariant(double(c.units()) / double(Currency::kScale));
    }
    case Kind::Date:
    case Kind::DateTime:
        if (v.userType() == QMetaType::QDateTime) return storedDateText(v.toDateTime());
        return storedDateText(coerce(kind, v, QString()).toDateTime());
    case Kind::Boolean: return QVariant(qint64(v.toBool() ? 1 : 0));
    case Kind::Integer: return QVariant(v.toLongLong());
    case Kind::Real: return QVariant(v.toDouble());
    case Kind::Text: return QVariant(v.toString());
    }
    return v;
}

QVariant fromStorage(Kind kind, const QVariant& s)
{
    if (!s.isValid() || s.isNull()) return QVariant();
    switch (kind) {
    case Kind::Currency:
        if (s.userType() == QMetaType::QString) {
            auto c = Currency::parse(s.toString(), QLocale::c());
            return c ? QVariant::fromValue(*c) : QVariant();
        }
        return QVariant::fromValue(currencyFromStoredReal(s.toDouble()));
    case Kind::Date:
    case Kind::DateTime: {
        QDateTime t = parseDateText(s.toString());
        return t.isValid() ? QVariant(t) : QVariant();
    }
    case Kind::Boolean: return QVariant(s.toLongLong() != 0);
    case Kind::Integer:
        return QVariant(s.userType() == QMetaType::Double ? qint64(std::llround(s.toDouble())) : s.toLongLong());
    case Kind::Real: return QVariant(s.toDouble());
    case Kind::Text: return QVariant(s.toString());
    }
    return s;
}

QVariant coerce(Kind kind, const QVariant& v, const QString& field)
{
    if (!v.isValid() || v.isNull()) return QVariant();
    const int t = v.userType();
    const bool isCurrency = t == qMetaTypeId<Currency>();
    const bool isText = t == QMetaType::QString;
    if (isText && kind != Kind::Text && v.toString().trimmed().isEmpty()) return QVariant();
    switch (kind) {
    case Kind::Text:
        if (isCurrency) return v.value<Currency>().toString();
        if (t == QMetaType::QDateTime) return storedDateText(v.toDateTime());
        if (t == QMetaType::Bool) return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        return v.toString();
    case Kind::Integer: {
        if (isCurrency) {
            Currency c = v.value<Currency>();
            return QVariant(qint64(std::nearbyint(double(c.units()) / Currency::kScale)));
        }
        if (isIntegralType(t)) return QVariant(v.toLongLong());
        double d = 0;
        if (isNumericType(t))
            d = v.toDouble();
        else if (isText) {
            auto p = parseNumber(v.toString().trimmed());
            if (!p) mismatch(field, v);
            d = *p;
        } else
            mismatch(field, v);
        if (!std::isfinite(d) || std::fabs(d) > 9.2e18) throw AppError::overflow(field);
        return QVariant(qint64(std::nearbyint(d)));   // half to even, as the classic conversion
    }
    case Kind::Boolean: {
        if (t == QMetaType::Bool) return v;
        if (isCurrency) return QVariant(!v.value<Currency>().isZero());
        if (isNumericType(t)) return QVariant(v.toDouble() != 0);
        if (isText) {
            const QString s = v.toString().trimmed().toLower();
            if (s == u"true" || s == u"vero" || s == u"si" || s == u"sì" || s == u"yes") return QVariant(true);
            if (s == u"false" || s == u"falso" || s == u"no") return QVariant(false);
            if (auto p = parseNumber(s)) return QVariant(*p != 0);
        }
        mismatch(field, v);
    }
    case Kind::Real: {
        if (isCurrency) return QVariant(v.value<Currency>().toDouble());
        if (isNumericType(t)) return QVariant(v.toDouble());
        if (isText) {
            if (auto p = parseNumber(v.toString().trimmed())) return QVariant(*p);
        }
        mismatch(field, v);
    }
    case Kind::Currency: {
        if (isCurrency) return v;
        if (isIntegralType(t)) return QVariant::fromValue(Currency::fromInt(v.toLongLong()));
        if (isNumericType(t)) return QVariant::fromValue(Currency::fromDouble(v.toDouble()));
        if (isText) {
            if (auto c = parseAmount(v.toString().trimmed())) return QVariant::fromValue(*c);
        }
        mismatch(field, v);
    }
    case Kind::Date:
    case Kind::DateTime: {
        if (t == QMetaType::QDateTime) {
            QDateTime d = v.toDateTime();
            // Stored to the second, like every date of the file.
            return QVariant(QDateTime(d.date(), QTime(d.time().hour(), d.time().minute(), d.time().second())));
        }
        if (t == QMetaType::QDate) return QVariant(QDateTime(v.toDate(), QTime(0, 0)));
        if (isText) {
            QDateTime d = parseDateText(v.toString());
            if (d.isValid()) return d;
        }
        mismatch(field, v);
    }
    }
    return v;
}

QVariant zeroOf(Kind kind)
{
    switch (kind) {
    case Kind::Currency: return QVariant::fromValue(Currency());
    case Kind::Integer: return QVariant(qint64(0));
    case Kind::Boolean: return QVariant(false);
    case Kind::Real: return QVariant(0.0);
    case Kind::Text: return QVariant(QString(""));
    case Kind::Date:
    case Kind::DateTime: return QVariant(QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
    }
    return QVariant();
}

bool sameValue(Kind kind, const QVariant& a, const QVariant& b)
{
    const bool an = !a.isValid() || a.isNull(), bn = !b.isValid() || b.isNull();
    if (an || bn) return an == bn;
    switch (kind) {
    case Kind::Currency: return a.value<Currency>() == b.value<Currency>();
    case Kind::Integer: return a.toLongLong() == b.toLongLong();
    case Kind::Boolean: return a.toBool() == b.toBool();
    case Kind::Real: return a.toDouble() == b.toDouble();
    case Kind::Date:
    case Kind::DateTime: return a.toDateTime() == b.toDateTime();
    case Kind::Text: return a.toString() == b.toString();
    }
    return a == b;
}

// --- TableSchema -----------------------------------------------------------------------

void TableSchema::buildLookup()
{
    singleRefs.clear();
    for (int i = 0; i < int(refs.size()); ++i) {
        RefSchema& r = refs[size_t(i)];
        if (r.def.IsList) {
            r.linkTable = name + u'$' + r.def.Name;
            r.singleIndex = -1;
        } else {
            r.singleIndex = int(singleRefs.size());
            singleRefs.push_back(i);
        }
    }
    completionIndex = -1;
    if (!identity.CompletionField.isEmpty())
        if (const int i = fieldIndex(identity.CompletionField); i >= 0 && fields[size_t(i)].kind == Kind::Boolean)
            completionIndex = i;
}

namespace {
// Names are looked up on every field access, among a few dozen: as declared first, then
// without regard to case; never through a lower-cased copy or a hash of the name.
template <class Item, class NameOf> int lookup(const std::vector<Item>& items, const QString& n, NameOf nameOf)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (nameOf(items[i]) == n) return int(i);
    // Case folds one character into one: names of another length never match, and most
    // names asked of a table are its parent's, so the comparisons are skipped by length.
    for (size_t i = 0; i < items.size(); ++i)
        if (nameOf(items[i]).size() == n.size() && nameOf(items[i]).compare(n, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}
}

int TableSchema::fieldIndex(const QString& n) const
{
    return lookup(fields, n, [](const FieldSchema& f) -> const QString& { return f.def.Name; });
}

const FieldSchema* TableSchema::field(const QString& n) const
{
    int i = fieldIndex(n);
    return i < 0 ? nullptr : &fields[size_t(i)];
}

const RefSchema* TableSchema::ref(const QString& n) const
{
    const int i = lookup(refs, n, [](const RefSchema& r) -> const QString& { return r.def.Name; });
    return i < 0 ? nullptr : &refs[size_t(i)];
}

QString TableSchema::quoted() const { return SqlConnection::quoteName(name); }

QStringList TableSchema::dataColumns() const
{
    QStringList cols;
    for (const auto& f : fields) cols << f.def.Name;
    for (int i : singleRefs) cols << refs[size_t(i)].def.column();
    return cols;
}

QJsonObject TableSchema::toJson() const
{
    QJsonObject o;
    o[QStringLiteral("caption")] = identity.Caption;
    o[QStringLiteral("parent")] = identity.ParentTable;
    o[QStringLiteral("secondCaption")] = identity.SecondCaption;
    if (identity.Version) o[QStringLiteral("version")] = *identity.Version;
    o[QStringLiteral("longA")] = double(identity.LongOptionA);
    o[QStringLiteral("longB")] = double(identity.LongOptionB);
    if (identity.BooleanOption) o[QStringLiteral("boolOption")] = *identity.BooleanOption;
    if (!identity.CopyKey.isEmpty()) o[QStringLiteral("copyKey")] = QJsonArray::fromStringList(identity.CopyKey);
    QJsonArray fa;
    for (const auto& f : fields) {
        QJsonObject j;
        j[QStringLiteral("name")] = f.def.Name;
        j[QStringLiteral("type")] = f.def.TypeCode;
        j[QStringLiteral("size")] = f.def.Size;
        j[QStringLiteral("o1")] = f.def.O1;
        j[QStringLiteral("o2")] = f.def.O2;
        j[QStringLiteral("o3")] = f.def.O3;
        j[QStringLiteral("f")] = f.def.F;
        if (!f.def.Description.isNull()) j[QStringLiteral("description")] = f.def.Description;
        if (!f.def.ValueListName.isNull()) j[QStringLiteral("valueList")] = f.def.ValueListName;
        fa.append(j);
    }
    o[QStringLiteral("fields")] = fa;
    QJsonArray ra;
    for (const auto& r : refs) {
        QJsonObject j;
        j[QStringLiteral("name")] = r.def.Name;
        j[QStringLiteral("target")] = r.def.TargetTable;
        j[QStringLiteral("list")] = r.def.IsList;
        j[QStringLiteral("owned")] = r.def.IsOwned;
        if (!r.def.KeyField.isNull()) j[QStringLiteral("key")] = r.def.KeyField;
        if (!r.def.DisplayFields.isNull()) j[QStringLiteral("display")] = r.def.DisplayFields;
        if (!r.def.Description.isNull()) j[QStringLiteral("description")] = r.def.Description;
        j[QStringLiteral("f")] = r.def.F;
        ra.append(j);
    }
    o[QStringLiteral("refs")] = ra;
    QJsonArray ia;
    for (const auto& ix : indexes) {
        QJsonObject j;
        j[QStringLiteral("name")] = ix.name;
        j[QStringLiteral("unique")] = ix.unique;
        if (ix.emptyIsValue) j[QStringLiteral("emptyIsValue")] = true;
        j[QStringLiteral("fields")] = QJsonArray::fromStringList(ix.fields);
        ia.append(j);
    }
    o[QStringLiteral("indexes")] = ia;
    if (!columnOrder.isEmpty()) o[QStringLiteral("columnOrder")] = columnOrder;
    return o;
}

std::unique_ptr<TableSchema> TableSchema::fromJson(const QString& tableName, const QJsonObject& o)
{
    auto t = std::make_unique<TableSchema>();
    t->name = tableName;
    t->identity.Caption = o.value(QStringLiteral("caption")).toString();
    t->identity.ParentTable = o.value(QStringLiteral("parent")).toString();
    t->identity.SecondCaption = o.value(QStringLiteral("secondCaption")).toString();
    if (o.contains(QStringLiteral("version"))) t->identity.Version = o.value(QStringLiteral("version")).toDouble();
    t->identity.LongOptionA = long(o.value(QStringLiteral("longA")).toDouble());
    t->identity.LongOptionB = long(o.value(QStringLiteral("longB")).toDouble());
    if (o.contains(QStringLiteral("boolOption")))
        t->identity.BooleanOption = o.value(QStringLiteral("boolOption")).toBool();
    for (const auto& v : o.value(QStringLiteral("copyKey")).toArray()) t->identity.CopyKey << v.toString();
    for (const auto& v : o.value(QStringLiteral("fields")).toArray()) {
        QJsonObject j = v.toObject();
        FieldSchema f;
        f.def.Name = j.value(QStringLiteral("name")).toString();
        f.def.TypeCode = j.value(QStringLiteral("type")).toInt();
        f.def.Size = j.value(QStringLiteral("size")).toInt();
        f.def.O1 = j.value(QStringLiteral("o1")).toInt(-100);
        f.def.O2 = j.value(QStringLiteral("o2")).toInt(-100);
        f.def.O3 = j.value(QStringLiteral("o3")).toInt(-100);
        f.def.F = j.value(QStringLiteral("f")).toInt(-1);
        if (j.contains(QStringLiteral("description")))
            f.def.Description = j.value(QStringLiteral("description")).toString();
        if (j.contains(QStringLiteral("valueList")))
            f.def.ValueListName = j.value(QStringLiteral("valueList")).toString();
        f.kind = kindOf(f.def.TypeCode);
        t->fields.push_back(f);
    }
    for (const auto& v : o.value(QStringLiteral("refs")).toArray()) {
        QJsonObject j = v.toObject();
        RefSchema r;
        r.def.Name = j.value(QStringLiteral("name")).toString();
        r.def.TargetTable = j.value(QStringLiteral("target")).toString();
        r.def.IsList = j.value(QStringLiteral("list")).toBool();
        r.def.IsOwned = j.value(QStringLiteral("owned")).toBool();
        if (j.contains(QStringLiteral("key"))) r.def.KeyField = j.value(QStringLiteral("key")).toString();
        if (j.contains(QStringLiteral("display"))) r.def.DisplayFields = j.value(QStringLiteral("display")).toString();
        if (j.contains(QStringLiteral("description")))
            r.def.Description = j.value(QStringLiteral("description")).toString();
        r.def.F = j.value(QStringLiteral("f")).toInt(-1);
        t->refs.push_back(r);
    }
    for (const auto& v : o.value(QStringLiteral("indexes")).toArray()) {
        QJsonObject j = v.toObject();
        IndexSchema ix;
        ix.name = j.value(QStringLiteral("name")).toString();
        ix.unique = j.value(QStringLiteral("unique")).toBool();
        ix.emptyIsValue = j.value(QStringLiteral("emptyIsValue")).toBool();
        for (const auto& f : j.value(QStringLiteral("fields")).toArray()) ix.fields << f.toString();
        t->indexes.push_back(ix);
    }
    t->columnOrder = o.value(QStringLiteral("columnOrder")).toString();
    t->buildLookup();
    return t;
}

std::unique_ptr<TableSchema> TableSchema::fromStorage(const QString& tableName, SqlConnection& conn)
{
    auto t = std::make_unique<TableSchema>();
    t->name = tableName;
    for (const auto& [col, type] : conn.tableColumns(tableName)) {
        if (col.compare(QLatin1String("OID"), Qt::CaseInsensitive) == 0) continue;
        if (col.compare(QLatin1String("objParent"), Qt::CaseInsensitive) == 0) continue;
        if (col.startsWith(QLatin1String("OID_"), Qt::CaseInsensitive)) {
            RefSchema r;
            r.def.Name = col.mid(4);
            t->refs.push_back(r);
            continue;
        }
        FieldSchema f;
        f.def.Name = col;
        const QString up = type.toUpper();
        f.def.TypeCode = up.startsWith(QLatin1String("INT")) ? FieldType::Integer
            : up.startsWith(QLatin1String("REAL"))           ? FieldType::Number
                                                             : FieldType::Text;
        f.kind = kindOf(f.def.TypeCode);
        t->fields.push_back(f);
    }
    t->buildLookup();
    return t;
}

}   // namespace objdb
