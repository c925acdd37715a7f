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
#include <vector>

// ---- Program-wide state ------------------------------------------------------------------------
bool g_bBackupArchiveMode = false;
int32_t g_nDBOpenMode = 0;
QString g_strMsgTitle = QStringLiteral("Mirtavolia");

// ---- Text forms ---------------------------------------------------------------------------------

double config::LeadingNumber(const QString& text) {
    int i = 0;
    const int n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\r' || text[i] == u'\n')) ++i;
    QByteArray number;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) number += char(text[i++].unicode());
    bool digits = false;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') { number += char(text[i++].unicode()); digits = true; }
    if (i < n && text[i] == u'.') {
        number += '.';
        ++i;
        while (i < n && text[i] >= u'0' && text[i] <= u'9') { number += char(text[i++].unicode()); digits = true; }
    }
    if (!digits) return 0.0;
    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        int j = i + 1;
        QByteArray exp("e");
        if (j < n && (text[j] == u'+' || text[j] == u'-')) exp += char(text[j++].unicode());
        bool expDigits = false;
        while (j < n && text[j] >= u'0' && text[j] <= u'9') { exp += char(text[j++].unicode()); expDigits = true; }
        if (expDigits) number += exp;
    }
    bool ok = false;
    const double v = QLocale::c().toDouble(QString::fromLatin1(number), &ok);
    if (ok) return v;
    // Only an exponent beyond the double range fails here.
    return number.startsWith('-') ? -HUGE_VAL : HUGE_VAL;
}

int64_t config::ReadWhole(const QString& text, int64_t lo, int64_t hi, int64_t def) {
    const double v = std::nearbyint(LeadingNumber(text));   // half to even, as the classic CInt
    if (!std::isfinite(v) || v < static_cast<double>(lo) || v > static_cast<double>(hi)) return def;
    return static_cast<int64_t>(v);
}

namespace {
// The form this program writes: C locale, no grouping.
bool isCForm(const QString& text) {
    static const QRegularExpression cForm(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$)"));
    return cForm.match(text).hasMatch();
}
const QLocale& italian() {
    static const QLocale it(QLocale::Italian, QLocale::Italy);
    return it;
}
}

std::optional<double> config::ReadDecimal(const QString& input) {
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

std::optional<Currency> config::ReadAmount(const QString& input) {
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

std::optional<QDate> config::ReadDate(const QString& input) {
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

QString config::WriteDouble(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString config::WriteFloat(float v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, int(r.ptr - buf));
}

QString config::WriteDate(const QDate& d) { return d.toString(Qt::ISODate); }

bool StrToBool(const QString& text) {
    const QString t = text.trimmed().toUpper();
    return !(t == QLatin1String("FALSE") || t == QLatin1String("FALSO") || t == QLatin1String("NO") ||
             t == QLatin1String("0"));
}

std::optional<bool> config::ReadBoolean(const QString& text) {
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

Expectation booleanValue() {
    return [](const QString& t) -> std::optional<QString> {
        if (config::ReadBoolean(t)) return std::nullopt;
        return QStringLiteral("True o False");
    };
}
// A whole number in [lo, hi], written as one: "6.5" or "8 cifre" are no Integer, though the
// store's leading-number reading would make one of them.
Expectation wholeValue(int64_t lo, int64_t hi) {
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
Expectation decimalValue() {
    return [](const QString& t) -> std::optional<QString> {
        if (config::ReadDecimal(t)) return std::nullopt;
        return QStringLiteral("un numero");
    };
}

// Where a row's value lives: a member of the settings object, or a member of one of its
// sections. Reached anew on each use, so the table serves whatever object is in force.
template <class T>
class Field {
public:
    Field(T Settings::*member) : m_of([member](Settings& s) -> T& { return s.*member; }) {}
    template <class Section>
    Field(Section Settings::*section, T Section::*member)
        : m_of([section, member](Settings& s) -> T& { return (s.*section).*member; }) {}
    T& operator()() const { return m_of(settings()); }

private:
    std::function<T&(Settings&)> m_of;
};

struct Row {
    QString section;
    QString key;
    bool saved;
    std::function<void(const std::optional<QString>& stored)> load;   // nullopt: key missing
    std::function<QString()> text;                                    // the form written back
    Expectation expect = {};                                          // empty: any text
};
Row expecting(Row row, Expectation e) {
    row.expect = std::move(e);
    return row;
}

Row textRow(const char* s, const char* k, Field<QString> v, std::function<QString()> def, bool saved = true) {
    return {QString::fromLatin1(s), QString::fromLatin1(k), saved,
            [v, def](const std::optional<QString>& st) { v() = st ? *st : def(); }, [v] { return v(); }};
}
Row textRow(const char* s, const char* k, Field<QString> v, const QString& def, bool saved = true) {
    return textRow(s, k, v, [def] { return def; }, saved);
}
Row boolRow(const char* s, const char* k, Field<bool> v, bool def, bool saved = true) {
    return {QString::fromLatin1(s), QString::fromLatin1(k), saved,
            [v, def](const std::optional<QString>& st) { v() = st ? StrToBool(*st) : def; },
            [v] { return config::WriteBool(v()); }, booleanValue()};
}
// `lo`: the least value that means something (0 labels per row print one: a count of
// columns starts at 0).
Row integerRow(const char* s, const char* k, Field<int> v, int def, bool saved = true, int lo = kIntegerMin) {
    return {QString::fromLatin1(s), QString::fromLatin1(k), saved,
            [v, def, lo](const std::optional<QString>& st) {
                v() = st ? static_cast<int>(config::ReadWhole(*st, lo, kIntegerMax, def)) : def;
            },
            [v] { return QString::number(v()); }, wholeValue(lo, kIntegerMax)};
}
// A count kept as text and taken as an Integer where used: a text that does not read as a
// count an Integer holds takes the default.
Row countTextRow(const char* s, const char* k, Field<QString> v, const QString& def) {
    return {QString::fromLatin1(s), QString::fromLatin1(k), true,
            [v, def](const std::optional<QString>& st) {
                const std::optional<double> n = st ? config::ReadDecimal(*st) : std::nullopt;
                v() = n && std::nearbyint(*n) >= 0 && std::nearbyint(*n) <= kIntegerMax ? *st : def;
            },
            [v] { return v(); }, wholeValue(0, kIntegerMax)};
}
Row longRow(const char* s, const char* k, Field<int32_t> v, int32_t def, bool saved = true) {
    return {QString::fromLatin1(s), QString::fromLatin1(k), saved,
            [v, def](const std::optional<QString>& st) {
                v() = st ? static_cast<int32_t>(config::ReadWhole(*st, INT32_MIN, INT32_MAX, def)) : def;
            },
            [v] { return QString::number(v()); }, wholeValue(INT32_MIN, INT32_MAX)};
}
Row singleRow(const char* s, const char* k, Field<float> v, float def, bool saved = true) {
    return {QString::fromLatin1(s), QString::fromLatin1(k), saved,
            [v, def](const std::optional<QString>& st) {
                std::optional<double> d = st ? config::ReadDecimal(*st) : std::nullopt;
                v() = d && std::fabs(*d) <= FLT_MAX ? static_cast<float>(*d) : def;
            },
            [v] { return config::WriteFloat(v()); }, decimalValue()};
}
Row doubleRow(const char* s, const char* k, Field<double> v, double def, bool saved = true) {
    return {QString::fromLatin1(s), QString::fromLatin1(k), saved,
            [v, def](const std::optional<QString>& st) {
                std::optional<double> d = st ? config::ReadDecimal(*st) : std::nullopt;
                v() = d ? *d : def;
            },
            [v] { return config::WriteDouble(v()); }, decimalValue()};
}
Row dateRow(const char* s, const char* k, Field<QDate> v, std::function<QDate()> def, bool saved = true) {
    return {QString::fromLatin1(s), QString::fromLatin1(k), saved,
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

const std::vector<Row>& table() {
    static const std::vector<Row> rows = [] {
        const char* C = "Configuration";
        const char* L = "LabelPrinterParam";
        const char* T = "TicketPrinterParam";
        constexpr auto lp = &Settings::LabelPrinterParam;
        constexpr auto tp = &Settings::TicketPrinterParam;
        std::vector<Row> r;
        r.push_back(textRow(C, "RootDir", &Settings::RootDir, [] { return DataFolderPath(); }));
        r.push_back(longRow(C, "AccessMode", &Settings::AccessMode, 0));
        r.push_back(textRow(C, "MaintenanceDir", &Settings::MaintenanceDir, QString(), false));
        r.push_back(boolRow(C, "MaintenanceMode", &Settings::MaintenanceMode, false));
        r.push_back(boolRow(C, "UseTransaction", &Settings::UseTransaction, false));
        r.push_back(boolRow(C, "BarcodeReaderEnabled", &Settings::BarcodeReaderEnabled, false));
        r.push_back(boolRow(C, "FiscalPrinterEnabled", &Settings::FiscalPrinterEnabled, false));
        r.push_back(boolRow(C, "BalanceEnabled", &Settings::BalanceEnabled, false));
        r.push_back(boolRow(C, "UseDateSelection", &Settings::UseDateSelection, true, false));
        r.push_back(boolRow(C, "Use_PrezzoAcquistoListino", &Settings::Use_PrezzoAcquistoListino, false));
        r.push_back(boolRow(C, "Use_PagamentoForniture", &Settings::Use_PagamentoForniture, false));
        r.push_back(textRow(C, "Default_UnitaMisura", &Settings::Default_UnitaMisura, QStringLiteral("QntPzz")));
        r.push_back(textRow(C, "Default_CodiceIVA", &Settings::Default_CodiceIVA, QStringLiteral("IVA20")));
        r.push_back(integerRow(C, "ProgrLen_ClientiForn", &Settings::ProgrLen_ClientiForn, 0));
        // Read without a default: a missing or empty value falls back to the older key.
        r.push_back(expecting({QString::fromLatin1(C), QStringLiteral("Use_Ricevute"), true,
                     [](const std::optional<QString>& st) {
                         const QString own = st.value_or(QString());
                         settings().Use_Ricevute = own.isEmpty()
                             ? StrToBool(settingsStore().get(QStringLiteral("Configuration"),
                                                             QStringLiteral("Use_Fattura"), QStringLiteral("False")))
                             : StrToBool(own);
                     },
                     [] { return config::WriteBool(settings().Use_Ricevute); }}, booleanValue()));
        r.push_back(boolRow(C, "Use_Fattura", &Settings::Use_Fattura, false, false));
        r.push_back(integerRow("BalanceParam", "COMPortNumber", &Settings::BalanceCOMPortNumber, 1));
        r.push_back(textRow("BalanceParam", "COMPortParam", &Settings::BalanceCOMPortParam, QStringLiteral("19200,n,8,1")));
        r.push_back(countTextRow(C, "NCopyRicevute", &Settings::NCopyRicevute, QStringLiteral("1")));
        r.push_back(textRow(L, "PrinterName", {lp, &LabelPrinterSettings::PrinterName}, QString()));
        r.push_back(integerRow(L, "ModuleColumns", {lp, &LabelPrinterSettings::ModuleColumns}, 2, true, 0));
        r.push_back(textRow(L, "VBScript", {lp, &LabelPrinterSettings::VBScript}, [] { return DefaultLabelScript(); }));
        r.push_back(singleRow(L, "LabelHeight", {lp, &LabelPrinterSettings::LabelHeight}, 32.5f));
        r.push_back(singleRow(L, "LabelWidth", {lp, &LabelPrinterSettings::LabelWidth}, 88.0f));
        r.push_back(singleRow(L, "LabelTop", {lp, &LabelPrinterSettings::LabelTop}, 0.0f));
        r.push_back(singleRow(L, "LabelLeft", {lp, &LabelPrinterSettings::LabelLeft}, 0.0f));
        r.push_back(textRow(T, "PrinterName", {tp, &TicketPrinterSettings::PrinterName}, QString()));
        r.push_back(integerRow(T, "ModuleColumns", {tp, &TicketPrinterSettings::ModuleColumns}, 1, true, 0));
        // A stored receipt script without the information entry point gains the default one.
        r.push_back({QString::fromLatin1(T), QStringLiteral("VBScript"), true,
                     [](const std::optional<QString>& st) {
                         QString script = st ? *st : DefaultTicketScript();
                         if (!script.contains(QLatin1String("PrintTicketInfo"), Qt::CaseSensitive)) {
                             // A last line without its end would glue "End Function" to the
                             // appended "Function ..." and break the whole script.
                             if (!script.isEmpty() && !script.endsWith(u'\n') && !script.endsWith(u'\r'))
                                 script += QStringLiteral("\r\n");
                             script += DefaultTicketInfoFunction();
                         }
                         settings().TicketPrinterParam.VBScript = script;
                     },
                     [] { return settings().TicketPrinterParam.VBScript; }});
        r.push_back(singleRow(T, "TicketHeight", {tp, &TicketPrinterSettings::TicketHeight}, 0.0f));
        r.push_back(singleRow(T, "TicketWidth", {tp, &TicketPrinterSettings::TicketWidth}, 0.0f));
        r.push_back(singleRow(T, "TicketTop", {tp, &TicketPrinterSettings::TicketTop}, 0.0f));
        r.push_back(singleRow(T, "TicketLeft", {tp, &TicketPrinterSettings::TicketLeft}, 0.0f));
        r.push_back(singleRow(T, "TicketRowsDim", {tp, &TicketPrinterSettings::TicketRowsDim}, 6.0f));
        r.push_back(singleRow(T, "TicketRowsTop", {tp, &TicketPrinterSettings::TicketRowsTop}, 85.0f));
        r.push_back(singleRow(T, "TicketRowsBottom", {tp, &TicketPrinterSettings::TicketRowsBottom}, 165.0f));
        r.push_back(textRow(T, "TicketBackImageFile", {tp, &TicketPrinterSettings::TicketBackImageFile}, QString()));
        r.push_back(singleRow(T, "TicketBottomImageBorder", {tp, &TicketPrinterSettings::TicketBottomImageBorder}, 6.0f));
        r.push_back(doubleRow(C, "ImportoMaxArticolo", &Settings::ImportoMaxArticolo, 0));
        r.push_back(doubleRow(C, "ImportoPunto", &Settings::ImportoPunto, 1));
        r.push_back(doubleRow(C, "ImportoPuntoPremio", &Settings::ImportoPuntoPremio, 0.05));
        r.push_back(doubleRow(C, "PuntiMinPremio", &Settings::PuntiMinPremio, 1000));
        r.push_back(boolRow(C, "Use_PuntiPremio", &Settings::Use_PuntiPremio, false));
        r.push_back(boolRow(C, "Use_Badge", &Settings::Use_Badge, false));
        r.push_back(textRow(C, "BackupDir", &Settings::BackupDir, QString()));
        r.push_back(boolRow(C, "BackupFuncSaveEnabled", &Settings::BackupFuncSaveEnabled, true));
        r.push_back(boolRow(C, "BackupFuncRestoreEnabled", &Settings::BackupFuncRestoreEnabled, false));
        r.push_back(longRow(C, "BkpSaveNotify", &Settings::BkpSaveNotify, 0));
        r.push_back(boolRow(C, "BackupFuncEnableDelete", &Settings::BackupFuncEnableDelete, true));
        r.push_back(boolRow(C, "AutoSaveOnExit", &Settings::AutoSaveOnExit, false));
        r.push_back(boolRow(C, "CurrencyConversion", &Settings::CurrencyConversion, false));
        r.push_back(dateRow("Info", "DBStarted", &Settings::DBStarted, [] { return appClock().today(); }));
        r.push_back(doubleRow(C, "ValoreArrotondamento", &Settings::ValoreArrotondamento, 0.5));
        r.push_back(boolRow(C, "ArrotondaInEccesso", &Settings::ArrotondaInEccesso, true));
        r.push_back(boolRow(C, "UseRoundRanges", &Settings::UseRoundRanges, false));
        return r;
    }();
    return rows;
}
}

void LoadConfiguration() {
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

void SaveConfiguration() {
    if (g_bBackupArchiveMode) return;
    SettingsStore& store = settingsStore();
    for (const Row& row : table())
        if (row.saved) store.set(row.section, row.key, row.text());
    store.sync();
}

std::optional<QString> config::ValueExpected(const QString& section, const QString& key, const QString& value) {
    for (const Row& row : table()) {
        if (row.section.compare(section, Qt::CaseInsensitive) == 0 && row.key.compare(key, Qt::CaseInsensitive) == 0)
            return row.expect ? row.expect(value) : std::nullopt;
    }
    // The price-rounding ranges, stored under numbered keys of their own.
    static const QRegularExpression range(QStringLiteral("^Arrotonda(DaPrezzo|APrezzo|Valore)\\d+$"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (section.compare(QLatin1String("Configuration"), Qt::CaseInsensitive) == 0 && range.match(key).hasMatch() &&
        !config::ReadAmount(value))
        return QStringLiteral("un importo");
    return std::nullopt;
}

QList<config::SettingLine> config::CurrentSettings() {
    QList<SettingLine> out;
    for (const Row& row : table()) out.append({row.section, row.key, row.text(), row.saved});
    return out;
}
