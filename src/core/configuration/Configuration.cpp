#include "Configuration.h"
#include "base/Clock.h"
#include "DefaultScripts.h"
#include "DeviceSettings.h"
#include "RoundRanges.h"
#include "base/SettingsStore.h"
#include "core/helpers/SystemHelpers.h"

#include <QLocale>
#include <QRegularExpression>

#include <charconv>
#include <cfloat>
#include <cmath>
#include <functional>
#include <stdexcept>
#include <vector>

// ---- Program-wide state ------------------------------------------------------------------------
bool g_bBackupArchiveMode = false;
int32_t g_nDBOpenMode = 0;
QString g_strMsgTitle = QStringLiteral("Mirtavolia");

// ---- Text forms ---------------------------------------------------------------------------------

double config::LeadingNumber(const QString& text)
{
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r' || text[i] == u'\n')) ++i;
    QByteArray number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) number += char(text[i++].unicode());
    bool digits = false;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') {
        number += char(text[i++].unicode());
        digits = true;
    }
    if (i < n && text[i] == u'.') {
        number += '.';
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') {
            number += char(text[i++].unicode());
            digits = true;
        }
    }
    if (!digits) return 0.0;
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        int j = i + 1;
        QByteArray exp("e");
        if (j < n && (text[j] == u'+' || text[j] == u'-')) exp += char(text[j++].unicode());
        bool expDigits = false;
        while (j < n && text[j] >= u'0' && text[j] <= u'9') {
            exp += char(text[j++].unicode());
            expDigits = true;
        }
        if (expDigits) number += exp;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(QString::fromLatin1(number), &ok);
    if (ok) return v;
    // Only an exponent beyond the double range fails here.
    return number.startsWith('-') ? -HUGE_VAL : HUGE_VAL;
}

int64_t config::ReadWhole(const QString& text, int64_t lo, int64_t hi, int64_t def)
{
    const double v = std::nearbyint(LeadingNumber(text));   // half to even, as the classic CInt
    if (!std::isfinite(v) || v < static_cast<double>(lo) || v > static_cast<double>(hi)) return def;
    return static_cast<int64_t>(v);
}

namespace {
// The form this program writes: C locale, no grouping.
bool isCForm(const QString& text)
{
    static const QRegularExpression cForm(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    return cForm.match(text).hasMatch();
}
const QLocale& italian()
{
    static const QLocale it(QLocale::Italian, QLocale::Italy);
    return it;
}
}

std::optional<double> config::ReadDecimal(const QString& input)
{
    const QString text = input.trimmed();
    if (text.isEmpty()) return std::nullopt;
    bool ok = false;
    double v = 0;
    if (isCForm(text)) {
        v = QLocale::c().toDouble(text, &ok);
    } else {
        v = QLocale().toDouble(text, &ok);
        if (!ok) v = italian().toDouble(text, &ok);
    }
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<Currency> config::ReadAmount(const QString& input)
{
    const QString text = input.trimmed();
    if (text.isEmpty()) return std::nullopt;
    if (isCForm(text)) return Currency::parse(text, QLocale::c());
    for (const QLocale& loc : {QLocale(), italian()}) {
        bool ok = false;
        loc.toDouble(text, &ok);
        if (ok) return Currency::parse(text, loc);
    }
    return std::nullopt;
}

std::optional<QDate> config::ReadDate(const QString& input)
{
    const QString text = input.trimmed();
    if (text.isEmpty()) return std::nullopt;
    QDate d = QDate::fromString(text.left(10), Qt::ISODate);
    if (d.isValid() && (text.size() == 10 || text[10] == u'T' || text[10] == u' ')) return d;
    d = QLocale().toDate(text, QLocale::ShortFormat);
    if (d.isValid()) return d;
    for (const char* format : {"dd/MM/yyyy", "d/M/yyyy", "dd-MM-yyyy", "dd.MM.yyyy"}) {
        d = QDate::fromString(text, QString::fromLatin1(format));
        if (d.isValid()) return d;
    }
    for (const char* format : {"dd/MM/yy", "d/M/yy"}) {
        d = QDate::fromString(text, QString::fromLatin1(format));
        // Two-digit years as the classic conversion read them: 00-29 are this century.
        if (d.isValid()) return d.year() < 1930 ? d.addYears(100) : d;
    }
    return std::nullopt;
}

QString config::WriteDouble(double v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString config::WriteFloat(float v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString config::WriteDate(const QDate& d) { return d.toString(Qt::ISODate); }

bool StrToBool(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    return !(t == QLatin1String("FALSE") || t == QLatin1String("FALSO") || t == QLatin1String("NO")
             || t == QLatin1String("0"));
}

std::optional<bool> config::ReadBoolean(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    // The texts StrToBool reads as False, and their counterparts.
    for (const char* no : {"FALSE", "FALSO", "NO", "0"})
        if (t == QLatin1String(no)) return false;
    for (const char* yes : {"TRUE", "VERO", "SI", "YES", "1", "-1"})
        if (t == QLatin1String(yes)) return true;
    if (t == QStringLiteral("SÌ")) return true;
    return std::nullopt;
}

// ---- The table of settings ----------------------------------------------------------------------

namespace {
constexpr int kIntegerMin = -32768;
constexpr int kIntegerMax = 32767;

// What a text brought in from outside (an imported file) must be to be a value of a setting:
// none when it is one, else the refusal's words for what it must be.
using Expectation = std::function<std::optional<QString>(const QString& text)>;

Expectation booleanValue()
{
    return [](const QString& t) -> std::optional<QString> {
        if (config::ReadBoolean(t)) return std::nullopt;
        return QStringLiteral("True o False");
    };
}
// A whole number in [lo, hi], written as one: "6.5" or "8 cifre" are no Integer, though the
// store's leading-number reading would make one of them.
Expectation wholeValue(int64_t lo, int64_t hi)
{
    return [lo, hi](const QString& t) -> std::optional<QString> {
        static const QRegularExpression whole(QStringLiteral(R"(^[+-]?\d{1,18}$)"));
        const QString s = t.trimmed();
        if (whole.match(s).hasMatch()) {
            const qint64 v = s.toLongLong();
            if (v >= lo && v <= hi) return std::nullopt;
        }
        return QStringLiteral("un numero intero da %1 a %2").arg(lo).arg(hi);
    };
}
Expectation decimalValue()
{
    return [](const QString& t) -> std::optional<QString> {
        if (config::ReadDecimal(t)) return std::nullopt;
        return QStringLiteral("un numero");
    };
}

// Where a row's value lives: a member of the settings object, or a member of one of its
// sections. Reached anew on each use, so the table serves whatever object is in force.
template <class T> class Field {
public:
    Field(T Settings::*member) : m_of([member](Settings& s) -> T& { return s.*member; }) { }
    template <class Section>
    Field(Section Settings::*section, T Section::*member)
        : m_of([section, member](Settings& s) -> T& { return (s.*section).*member; })
    { }
    T& operator()() const { return m_of(settings()); }

private:
    std::function<T&(Settings&)> m_of;
};

struct Row {
    QString section;
    QString key;
    bool saved;
    std::function<void(const std::optional<QString>& stored)> load;   // nullopt: key missing
    std::function<QString()> text;   // the form written back
    Expectation expect = {};   // empty: any text
};

Row textRow(const char* s, const char* k, Field<QString> v, std::function<QString()> def, bool saved = true)
{
    return {QString::fromLatin1(s), QString::fromLatin1(k), saved,
            [v, def](const std::optional<QString>& st) { v() = st ? *st : def(); }, [v] { return v(); }};
}
Row textRow(const char* s, const char* k, Field<QString> v, const QString& def, bool saved = true)
{
    return textRow(
        s, k, v, [def] { return def; }, saved);
}
Row boolRow(const char* s, const char* k, Field<bool> v, bool def, bool saved = true)
{
    return {QString::fromLatin1(s),
            QString::fromLatin1(k),
            saved,
            [v, def](const std::optional<QString>& st) { v() = st ? StrToBool(*st) : def; },
            [v] { return config::WriteBool(v()); },
            booleanValue()};
}
// `lo`: the least value that means something (0 labels per row print one: a count of
// columns starts at 0).
Row integerRow(const char* s, const char* k, Field<int> v, int def, bool saved = true, int lo = kIntegerMin)
{
    return {QString::fromLatin1(s),
            QString::fromLatin1(k),
            saved,
            [v, def, lo](const std::optional<QString>& st) {
                v() = st ? static_cast<int>(config::ReadWhole(*st, lo, kIntegerMax, def)) : def;
            },
            [v] { return QString::number(v()); },
            wholeValue(lo, kIntegerMax)};
}
// A count kept as text and taken as an Integer where used: a text that does not read as a
// count an Integer holds takes the default.
Row countTextRow(const char* s, const char* k, Field<QString> v, const QString& def)
{
    return {QString::fromLatin1(s),
            QString::fromLatin1(k),
            true,
            [v, def](const std::optional<QString>& st) {
                const std::optional<double> n = st ? config::ReadDecimal(*st) : std::nullopt;
                v() = n && std::nearbyint(*n) >= 0 && std::nearbyint(*n) <= kIntegerMax ? *st : def;
            },
            [v] { return v(); },
            wholeValue(0, kIntegerMax)};
}
Row longRow(const char* s, const char* k, Field<int32_t> v, int32_t def, bool saved = true)
{
    return {QString::fromLatin1(s),
            QString::fromLatin1(k),
            saved,
            [v, def](const std::optional<QString>& st) {
                v() = st ? static_cast<int32_t>(config::ReadWhole(*st, INT32_MIN, INT32_MAX, def)) : def;
            },
            [v] { return QString::number(v()); },
            wholeValue(INT32_MIN, INT32_MAX)};
}
Row singleRow(const char* s, const char* k, Field<float> v, float def, bool saved = true)
{
    return {QString::fromLatin1(s),
            QString::fromLatin1(k),
            saved,
            [v, def](const std::optional<QString>& st) {
                std::optional<double> d = st ? config::ReadDecimal(*st) : std::nullopt;
                v() = d && std::fabs(*d) <= FLT_MAX ? static_cast<float>(*d) : def;
            },
            [v] { return config::WriteFloat(v()); },
            decimalValue()};
}
Row doubleRow(const char* s, const char* k, Field<double> v, double def, bool saved = true)
{
    return {QString::fromLatin1(s),
            QString::fromLatin1(k),
            saved,
            [v, def](const std::optional<QString>& st) {
                std::optional<double> d = st ? config::ReadDecimal(*st) : std::nullopt;
                v() = d ? *d : def;
            },
            [v] { return config::WriteDouble(v()); },
            decimalValue()};
}
Row dateRow(const char* s, const char* k, Field<QDate> v, std::function<QDate()> def, bool saved = true)
{
    return {QString::fromLatin1(s),
            QString::fromLatin1(k),
            saved,
            [v, def](const std::optional<QString>& st) {
                std::optional<QDate> d = st ? config::ReadDate(*st) : std::nullopt;
                v() = d ? *d : def();
            },
            [v] { return config::WriteDate(v()); },
            [](const QString& t) -> std::optional<QString> {
                if (config::ReadDate(t)) return std::nullopt;
                return QStringLiteral("una data");
            }};
}

// How a line of the lists of Settings.h is read, checked and written, chosen by its type.
namespace kind {
struct Text { };
struct Boolean { };
struct Integer { };
struct Natural { };
struct Count { };
struct Long { };
struct Single { };
struct Double { };
struct Date { };
}
Row rowOf(kind::Text, const char* s, const char* k, Field<QString> v, const QString& def, bool saved)
{
    return textRow(s, k, std::move(v), def, saved);
}
Row rowOf(kind::Boolean, const char* s, const char* k, Field<bool> v, bool def, bool saved)
{
    return boolRow(s, k, std::move(v), def, saved);
}
Row rowOf(kind::Integer, const char* s, const char* k, Field<int> v, int def, bool saved)
{
    return integerRow(s, k, std::move(v), def, saved);
}
Row rowOf(kind::Natural, const char* s, const char* k, Field<int> v, int def, bool saved)
{
    return integerRow(s, k, std::move(v), def, saved, 0);
}
Row rowOf(kind::Count, const char* s, const char* k, Field<QString> v, const QString& def, bool saved)
{
    Row row = countTextRow(s, k, std::move(v), def);
    row.saved = saved;
    return row;
}
Row rowOf(kind::Long, const char* s, const char* k, Field<int32_t> v, int32_t def, bool saved)
{
    return longRow(s, k, std::move(v), def, saved);
}
Row rowOf(kind::Single, const char* s, const char* k, Field<float> v, float def, bool saved)
{
    return singleRow(s, k, std::move(v), def, saved);
}
Row rowOf(kind::Double, const char* s, const char* k, Field<double> v, double def, bool saved)
{
    return doubleRow(s, k, std::move(v), def, saved);
}
Row rowOf(kind::Date, const char* s, const char* k, Field<QDate> v, const QDate& def, bool saved)
{
    return dateRow(
        s, k, std::move(v), [def] { return def; }, saved);
}

Row& rowOf(std::vector<Row>& rows, const char* section, const char* key)
{
    for (Row& row : rows)
        if (row.section == QLatin1String(section) && row.key == QLatin1String(key)) return row;
    throw std::logic_error(std::string("no setting ") + section + "/" + key);
}

const std::vector<Row>& table()
{
    static const std::vector<Row> rows = [] {
        std::vector<Row> r;
#define MV_MAIN_ROW(Type, Member, Section, Key, Default, Saved)                                                        \
    r.push_back(rowOf(kind::Type {}, Section, Key, &Settings::Member, Default, Saved));
#define MV_LABEL_ROW(Type, Member, Section, Key, Default, Saved)                                                       \
    r.push_back(rowOf(kind::Type {}, Section, Key, {&Settings::LabelPrinterParam, &LabelPrinterSettings::Member},      \
                      Default, Saved));
#define MV_TICKET_ROW(Type, Member, Section, Key, Default, Saved)                                                      \
    r.push_back(rowOf(kind::Type {}, Section, Key, {&Settings::TicketPrinterParam, &TicketPrinterSettings::Member},    \
                      Default, Saved));
        MV_MAIN_SETTINGS(MV_MAIN_ROW)
        MV_LABEL_PRINTER_SETTINGS(MV_LABEL_ROW)
        MV_TICKET_PRINTER_SETTINGS(MV_TICKET_ROW)
#undef MV_MAIN_ROW
#undef MV_LABEL_ROW
#undef MV_TICKET_ROW

        // What a missing key means where an empty store's value cannot say it.
        rowOf(r, "Configuration", "RootDir").load
            = [](const std::optional<QString>& st) { settings().RootDir = st ? *st : DataFolderPath(); };
        rowOf(r, "LabelPrinterParam", "VBScript").load = [](const std::optional<QString>& st) {
            settings().LabelPrinterParam.VBScript = st ? *st : DefaultLabelScript();
        };
        rowOf(r, "Info", "DBStarted").load = [](const std::optional<QString>& st) {
            const std::optional<QDate> d = st ? config::ReadDate(*st) : std::nullopt;
            settings().DBStarted = d ? *d : appClock().today();
        };
        // Read without a default: a missing or empty value falls back to the older key.
        rowOf(r, "Configuration", "Use_Ricevute").load = [](const std::optional<QString>& st) {
            const QString own = st.value_or(QString());
            settings().Use_Ricevute = own.isEmpty()
                ? StrToBool(settingsStore().get(QStringLiteral("Configuration"), QStringLiteral("Use_Fattura"),
                                                QStringLiteral("False")))
                : StrToBool(own);
        };
        // A stored receipt script without the information entry point gains the default one.
        rowOf(r, "TicketPrinterParam", "VBScript").load = [](const std::optional<QString>& st) {
            QString script = st ? *st : DefaultTicketScript();
            if (!script.contains(QLatin1String("PrintTicketInfo"), Qt::CaseSensitive)) {
                // A last line without its end would glue "End Function" to the appended
                // "Function ..." and break the whole script.
                if (!script.isEmpty() && !script.endsWith(u'\n') && !script.endsWith(u'\r'))
                    script += QStringLiteral("\r\n");
                script += DefaultTicketInfoFunction();
            }
            settings().TicketPrinterParam.VBScript = script;
        };
        return r;
    }();
    return rows;
}
}

void LoadConfiguration()
{
    SettingsStore& store = settingsStore();
    for (const Row& row : table()) {
        std::optional<QString> stored;
        if (store.contains(row.section, row.key)) stored = store.get(row.section, row.key, QString());
        row.load(stored);
    }
    LoadRoundRanges();
    LoadBarcodeReaderParam();
    LoadFiscalPrinterSettings();
    LoadMagneticDevSettings();
}

void SaveConfiguration()
{
    if (g_bBackupArchiveMode) return;
    SettingsStore& store = settingsStore();
    for (const Row& row : table())
        if (row.saved) store.set(row.section, row.key, row.text());
    store.sync();
}

std::optional<QString> config::ValueExpected(const QString& section, const QString& key, const QString& value)
{
    for (const Row& row : table()) {
        if (row.section.compare(section, Qt::CaseInsensitive) == 0 && row.key.compare(key, Qt::CaseInsensitive) == 0)
            return row.expect ? row.expect(value) : std::nullopt;
    }
    // The price-rounding ranges, stored under numbered keys of their own.
    static const QRegularExpression range(QStringLiteral("^Arrotonda(DaPrezzo|APrezzo|Valore)\\d+$"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (section.compare(QLatin1String("Configuration"), Qt::CaseInsensitive) == 0 && range.match(key).hasMatch()
        && !config::ReadAmount(value))
        return QStringLiteral("un importo");
    return std::nullopt;
}

QList<config::SettingLine> config::CurrentSettings()
{
    QList<SettingLine> out;
    for (const Row& row : table()) out.append({row.section, row.key, row.text(), row.saved});
    return out;
}
