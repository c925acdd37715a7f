#include "JetFormat.h"
#include "JetValues.h"
#include <QStringList>
#include <cmath>

namespace jet {
namespace {

bool italian(const QLocale& l) { return l.language() == QLocale::Italian; }

QString generalDate(const QDateTime& t, const QLocale& l);

QString longTimeFormat(const QLocale& l)
{
    QString f = l.timeFormat(QLocale::LongFormat);
    f.remove(QLatin1Char('t'));
    return f.trimmed();
}

QString shortDate(const QDate& d, const QLocale& l)
{
    QString f = l.dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy"))) f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return l.toString(d, f);
}

QString generalDate(const QDateTime& t, const QLocale& l)
{
    QString s;
    if (t.date() != zeroDate()) s = shortDate(t.date(), l);
    if (t.time() != QTime(0, 0) || s.isEmpty()) {
        if (!s.isEmpty()) s += QLatin1Char(' ');
        s += l.toString(t.time(), longTimeFormat(l));
    }
    return s;
}

// --- custom date formats --------------------------------------------------------------------

QString customDate(const QString& fmt, const QDateTime& t, const QLocale& l, int fdw, int fwy)
{
    const QString lower = fmt.toLower();
    const bool twelveHour = lower.contains(QLatin1String("am/pm")) || lower.contains(QLatin1String("a/p"))
        || lower.contains(QLatin1String("ampm"));
    const QDate d = t.date();
    const QTime tm = t.time();
    QString out;
    bool lastWasHour = false;
    const int n = static_cast<int>(fmt.size());
    for (int i = 0; i < n;) {
        const QChar c = fmt[i];
        const QChar lc = c.toLower();
        auto run = [&](QChar ch) {
            int k = i;
            while (k < n && fmt[k].toLower() == ch) ++k;
            return k - i;
        };
        if (c == QLatin1Char('"')) {
            int close = fmt.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0) close = n;
            out += fmt.mid(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        if (c == QLatin1Char('\\') && i + 1 < n) {
            out += fmt[i + 1];
            i += 2;
            continue;
        }
        if (lower.mid(i, 5) == QLatin1String("am/pm")) {
            const QString s = tm.hour() < 12 ? fmt.mid(i, 2) : fmt.mid(i + 3, 2);
            out += s;
            i += 5;
            continue;
        }
        if (lower.mid(i, 3) == QLatin1String("a/p")) {
            out += tm.hour() < 12 ? fmt.mid(i, 1) : fmt.mid(i + 2, 1);
            i += 3;
            continue;
        }
        if (lower.mid(i, 4) == QLatin1String("ampm")) {
            out += tm.hour() < 12 ? l.amText() : l.pmText();
            i += 4;
            continue;
        }
        if (lower.mid(i, 5) == QLatin1String("ttttt")) {
            out += l.toString(tm, longTimeFormat(l));
            i += 5;
            continue;
        }
        if (lc == QLatin1Char('c')) {
            out += generalDate(t, l);
            ++i;
            continue;
        }
        int k = 0;
        if (lc == QLatin1Char('d')) {
            k = std::min(run(lc), 6);
            if (k == 1)
                out += QString::number(d.day());
            else if (k == 2)
                out += QStringLiteral("%1").arg(d.day(), 2, 10, QLatin1Char('0'));
            else if (k == 3)
                out += l.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else if (k == 4)
                out += l.dayName(d.dayOfWeek(), QLocale::LongFormat);
            else if (k == 5)
                out += shortDate(d, l);
            else
                out += l.toString(d, QLocale::LongFormat);
            lastWasHour = false;
        } else if (lc == QLatin1Char('m')) {
            k = std::min(run(lc), 4);
            if (lastWasHour && k <= 2) {   // m right after h is the minute
                out += k == 1 ? QString::number(tm.minute())
                              : QStringLiteral("%1").arg(tm.minute(), 2, 10, QLatin1Char('0'));
            } else if (k == 1)
                out += QString::number(d.month());
            else if (k == 2)
                out += QStringLiteral("%1").arg(d.month(), 2, 10, QLatin1Char('0'));
            else if (k == 3)
                out += l.monthName(d.month(), QLocale::ShortFormat);
            else
                out += l.monthName(d.month(), QLocale::LongFormat);
            lastWasHour = false;
        } else if (lc == QLatin1Char('y')) {
            k = run(lc);
            if (k >= 4) {
                out += QStringLiteral("%1").arg(d.year(), 4, 10, QLatin1Char('0'));
                k = 4;
            } else if (k >= 2) {
                out += QStringLiteral("%1").arg(d.year() % 100, 2, 10, QLatin1Char('0'));
                k = 2;
            } else
                out += QString::number(d.dayOfYear());
            lastWasHour = false;
        } else if (lc == QLatin1Char('h')) {
            k = std::min(run(lc), 2);
            int h = tm.hour();
            if (twelveHour) h = h % 12 == 0 ? 12 : h % 12;
            out += k == 1 ? QString::number(h) : QStringLiteral("%1").arg(h, 2, 10, QLatin1Char('0'));
            lastWasHour = true;
            i += k;
            continue;
        } else if (lc == QLatin1Char('n')) {
            k = std::min(run(lc), 2);
            out += k == 1 ? QString::number(tm.minute())
                          : QStringLiteral("%1").arg(tm.minute(), 2, 10, QLatin1Char('0'));
            lastWasHour = false;
        } else if (lc == QLatin1Char('s')) {
            k = std::min(run(lc), 2);
            out += k == 1 ? QString::number(tm.second())
                          : QStringLiteral("%1").arg(tm.second(), 2, 10, QLatin1Char('0'));
            lastWasHour = false;
        } else if (lc == QLatin1Char('q')) {
            k = 1;
            out += QString::number((d.month() - 1) / 3 + 1);
            lastWasHour = false;
        } else if (lc == QLatin1Char('w')) {
            k = std::min(run(lc), 2);
            out += QString::number(k == 1 ? weekday(d, fdw) : weekOfYear(d, fdw, fwy));
            lastWasHour = false;
        } else if (c == QLatin1Char('/')) {
            k = 1;
            out += QLatin1Char('/');
        } else if (c == QLatin1Char(':')) {
            k = 1;
            out += QLatin1Char(':');
        } else {
            k = 1;
            out += c;
        }
        i += k;
    }
    return out;
}

// --- custom number formats ------------------------------------------------------------------

QStringList sections(const QString& fmt)
{
    QStringList out;
    QString cur;
    bool quoted = false;
    for (int i = 0; i < fmt.size(); ++i) {
        const QChar c = fmt[i];
        if (c == QLatin1Char('"')) quoted = !quoted;
        if (!quoted && c == QLatin1Char('\\') && i + 1 < fmt.size()) {
            cur += c;
            cur += fmt[++i];
            continue;
        }
        if (!quoted && c == QLatin1Char(';')) {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

struct Item {
    enum Kind { Zero, Hash, Point, Comma, Percent, Exponent, Literal } kind;
    QString text;
};

std::vector<Item> numberItems(const QString& sec)
{
    std::vector<Item> items;
    const int n = static_cast<int>(sec.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = sec[i];
        if (c == QLatin1Char('"')) {
            int close = sec.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0) close = n;
            items.push_back({Item::Literal, sec.mid(i + 1, close - i - 1)});
            i = close;
        } else if (c == QLatin1Char('\\') && i + 1 < n) {
            items.push_back({Item::Literal, sec.mid(++i, 1)});
        } else if (c == QLatin1Char('0'))
            items.push_back({Item::Zero, {}});
        else if (c == QLatin1Char('#'))
            items.push_back({Item::Hash, {}});
        else if (c == QLatin1Char('.'))
            items.push_back({Item::Point, {}});
        else if (c == QLatin1Char(','))
            items.push_back({Item::Comma, {}});
        else if (c == QLatin1Char('%'))
            items.push_back({Item::Percent, {}});
        else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && i + 1 < n
                 && (sec[i + 1] == QLatin1Char('+') || sec[i + 1] == QLatin1Char('-'))) {
            items.push_back({Item::Exponent, sec.mid(i, 2)});
            ++i;
        } else
            items.push_back({Item::Literal, QString(c)});
    }
    return items;
}

bool hasDigitPlaceholder(const std::vector<Item>& items)
{
    for (const auto& it : items)
        if (it.kind == Item::Zero || it.kind == Item::Hash) return true;
    return false;
}

QString grouped(const QString& digits, const QLocale& l)
{
    QString out;
    const int n = static_cast<int>(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += l.groupSeparator();
        out += digits[i];
    }
    return out;
}

// One section, applied to a value whose sign the caller has already dealt with.
QString numberSection(const std::vector<Item>& items, double x, const QLocale& l)
{
    int pointAt = -1, expAt = -1;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        if (items[static_cast<size_t>(i)].kind == Item::Point && pointAt < 0 && expAt < 0) pointAt = i;
        if (items[static_cast<size_t>(i)].kind == Item::Exponent && expAt < 0) expAt = i;
    }
    const int intEnd = pointAt >= 0 ? pointAt : (expAt >= 0 ? expAt : static_cast<int>(items.size()));
    const int decEnd = expAt >= 0 ? expAt : static_cast<int>(items.size());
    int intZeros = 0, intPlaces = 0, decZeros = 0, decPlaces = 0, expZeros = 0;
    int firstInt = -1, lastInt = -1;
    bool percent = false;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const Item& it = items[static_cast<size_t>(i)];
        const bool digit = it.kind == Item::Zero || it.kind == Item::Hash;
        if (it.kind == Item::Percent) percent = true;
        if (!digit) continue;
        if (i < intEnd) {
            ++intPlaces;
            if (it.kind == Item::Zero) ++intZeros;
            if (firstInt < 0) firstInt = i;
            lastInt = i;
        } else if (i < decEnd) {
            ++decPlaces;
            if (it.kind == Item::Zero) ++decZeros;
        } else if (it.kind == Item::Zero) {
            ++expZeros;
        }
    }
    // Commas between integer placeholders group; commas right after the last one scale by 1000.
    bool grouping = false;
    int scale = 0;
    for (int i = 0; i < intEnd; ++i) {
        if (items[static_cast<size_t>(i)].kind != Item::Comma) continue;
        if (i > firstInt && i < lastInt)
            grouping = true;
        else if (firstInt >= 0 && i > lastInt)
            ++scale;
    }
    if (percent) x *= 100;
    for (int s = 0; s < scale; ++s) x /= 1000;

    int exponent = 0;
    if (expAt >= 0 && x != 0) {
        const int lead = std::max(intPlaces, 1);
        exponent = static_cast<int>(std::floor(std::log10(std::fabs(x)))) - (lead - 1);
        double m = roundDecimal(x / std::pow(10.0, exponent), decPlaces, Rounding::HalfAwayFromZero);
        if (std::fabs(m) >= std::pow(10.0, lead)) {
            ++exponent;
            m = roundDecimal(x / std::pow(10.0, exponent), decPlaces, Rounding::HalfAwayFromZero);
        }
        x = m;
    }
    x = roundDecimal(x, decPlaces, Rounding::HalfAwayFromZero);
    const QString fixed = QString::number(std::fabs(x), 'f', decPlaces);
    QString intDigits = decPlaces > 0 ? fixed.left(fixed.indexOf(QLatin1Char('.'))) : fixed;
    QString decDigits = decPlaces > 0 ? fixed.mid(fixed.indexOf(QLatin1Char('.')) + 1) : QString();
    while (decDigits.size() > decZeros && decDigits.endsWith(QLatin1Char('0'))) decDigits.chop(1);
    if (intDigits == QLatin1String("0") && intZeros == 0) intDigits.clear();
    while (intDigits.size() < intZeros) intDigits.prepend(QLatin1Char('0'));
    if (grouping) intDigits = grouped(intDigits, l);

    QString out;
    bool intDone = false, decDone = false;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const Item& it = items[static_cast<size_t>(i)];
        switch (it.kind) {
        case Item::Zero:
        case Item::Hash:
            if (i < intEnd) {
                if (!intDone) out += intDigits;
                intDone = true;
            } else if (i < decEnd) {
                if (!decDone) out += decDigits;
                decDone = true;
            }
            break;
        case Item::Point:
            if (i == pointAt) {
                if (!intDone) {
                    out += intDigits;
                    intDone = true;
                }
                out += l.decimalPoint();
            }
            break;
        case Item::Comma: break;
        case Item::Percent: out += QLatin1Char('%'); break;
        case Item::Exponent: {
            QString digits = QString::number(std::abs(exponent));
            while (digits.size() < expZeros) digits.prepend(QLatin1Char('0'));
            out += it.text.left(1);
            if (exponent < 0)
                out += QLatin1Char('-');
            else if (it.text.endsWith(QLatin1Char('+')))
                out += QLatin1Char('+');
            out += digits;
            i = static_cast<int>(items.size());   // the exponent's placeholders are written
            for (int k = expAt + 1; k < static_cast<int>(items.size()); ++k)
                if (items[static_cast<size_t>(k)].kind == Item::Literal) out += items[static_cast<size_t>(k)].text;
            break;
        }
        case Item::Literal: out += it.text; break;
        }
    }
    return out;
}

QString customNumber(const QString& fmt, double x, const QLocale& l)
{
    const QStringList secs = sections(fmt);
    QString sec = secs.value(0);
    bool minus = false;
    if (x < 0) {
        if (secs.size() > 1 && !secs[1].isEmpty())
            sec = secs[1];
        else
            minus = true;
        x = -x;
    } else if (x == 0 && secs.size() > 2 && !secs[2].isEmpty()) {
        sec = secs[2];
    }
    const auto items = numberItems(sec);
    QString body = numberSection(items, x, l);
    if (minus) {
        // A value that rounds to zero shows no sign.
        int decPlaces = 0;
        bool afterPoint = false;
        for (const auto& it : items) {
            if (it.kind == Item::Point)
                afterPoint = true;
            else if (afterPoint && (it.kind == Item::Zero || it.kind == Item::Hash))
                ++decPlaces;
            else if (it.kind == Item::Exponent)
                break;
        }
        bool pct = false;
        for (const auto& it : items) pct = pct || it.kind == Item::Percent;
        if (roundDecimal(pct ? x * 100 : x, decPlaces, Rounding::HalfAwayFromZero) != 0 || !hasDigitPlaceholder(items))
            body.prepend(QLatin1Char('-'));
    }
    return body;
}

// --- text formats ---------------------------------------------------------------------------

QString customText(const QString& fmt, QString text)
{
    if (fmt.contains(QLatin1Char('<'))) text = text.toLower();
    if (fmt.contains(QLatin1Char('>'))) text = text.toUpper();
    int places = 0;
    for (QChar c : fmt)
        if (c == QLatin1Char('@') || c == QLatin1Char('&')) ++places;
    if (places == 0) return text;
    const bool leftToRight = fmt.contains(QLatin1Char('!'));
    // Characters fill the placeholders from the right (from the left with "!"); what does
    // not fit goes to the first (last) placeholder.
    QStringList slot(places);
    const int n = static_cast<int>(text.size());
    if (!leftToRight) {
        int t = n - 1;
        for (int p = places - 1; p >= 0 && t >= 0; --p) slot[p] = text[t--];
        if (t >= 0) slot[0] = text.left(t + 1) + slot[0];
    } else {
        int t = 0;
        for (int p = 0; p < places && t < n; ++p) slot[p] = text[t++];
        if (t < n) slot[places - 1] += text.mid(t);
    }
    QString out;
    int p = 0;
    for (int i = 0; i < fmt.size(); ++i) {
        const QChar c = fmt[i];
        if (c == QLatin1Char('@')) {
            out += slot[p].isEmpty() ? QStringLiteral(" ") : slot[p];
            ++p;
        } else if (c == QLatin1Char('&'))
            out += slot[p++];
        else if (c == QLatin1Char('<') || c == QLatin1Char('>') || c == QLatin1Char('!'))
            continue;
        else if (c == QLatin1Char('\\') && i + 1 < fmt.size())
            out += fmt[++i];
        else if (c == QLatin1Char('"')) {
            int close = fmt.indexOf(QLatin1Char('"'), i + 1);
            if (close < 0) close = static_cast<int>(fmt.size());
            out += fmt.mid(i + 1, close - i - 1);
            i = close;
        } else
            out += c;
    }
    return out;
}

// A format for texts: @ & < > and no number placeholder.
bool isTextFormat(const QString& fmt)
{
    bool quoted = false, text = false;
    for (QChar c : fmt) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == QLatin1Char('0') || c == QLatin1Char('#'))
            return false;
        else if (QStringLiteral("@&<>").contains(c))
            text = true;
    }
    return text;
}

bool isNumberFormat(const QString& fmt)
{
    bool quoted = false;
    for (QChar c : fmt) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('0') || c == QLatin1Char('#')))
            return true;
    }
    return false;
}

}   // namespace

bool isDateFormat(const QString& fmt)
{
    bool quoted = false;
    for (int i = 0; i < fmt.size(); ++i) {
        const QChar c = fmt[i].toLower();
        if (fmt[i] == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && fmt[i] == QLatin1Char('\\'))
            ++i;
        else if (!quoted && QStringLiteral("dmyhnsqwc").contains(c))
            return true;
    }
    return false;
}

QString format(const FormatValue& v, const QString& fmt, const QLocale& l, int fdw, int fwy)
{
    auto asDate = [&]() { return v.kind == FormatValue::Date ? v.date : fromSerial(v.number); };
    const QString name = fmt.trimmed().toLower();
    if (fmt.isEmpty() || name == QLatin1String("general number")) {
        if (v.kind == FormatValue::Number) return numberText(v.number, l);
        if (v.kind == FormatValue::Date) return generalDate(v.date, l);
        return v.text;
    }
    if (isTextFormat(fmt)) {
        if (v.kind == FormatValue::Number) return customText(fmt, numberText(v.number, l));
        if (v.kind == FormatValue::Date) return customText(fmt, generalDate(v.date, l));
        return customText(fmt, v.text);
    }
    if (v.kind != FormatValue::Text) {
        const bool it = italian(l);
        if (name == QLatin1String("currency"))
            return l.toCurrencyString(roundDecimal(v.number, 2, Rounding::HalfAwayFromZero), QString(), 2);
        if (name == QLatin1String("fixed")) return customNumber(QStringLiteral("0.00"), v.number, l);
        if (name == QLatin1String("standard")) return customNumber(QStringLiteral("#,##0.00"), v.number, l);
        if (name == QLatin1String("percent")) return customNumber(QStringLiteral("0.00%"), v.number, l);
        if (name == QLatin1String("scientific")) return customNumber(QStringLiteral("0.00E+00"), v.number, l);
        if (name == QLatin1String("yes/no"))
            return v.number != 0 ? (it ? QStringLiteral("Sì") : QStringLiteral("Yes")) : QStringLiteral("No");
        if (name == QLatin1String("true/false"))
            return v.number != 0 ? (it ? QStringLiteral("Vero") : QStringLiteral("True"))
                                 : (it ? QStringLiteral("Falso") : QStringLiteral("False"));
        if (name == QLatin1String("on/off")) return v.number != 0 ? QStringLiteral("On") : QStringLiteral("Off");
        if (name == QLatin1String("general date")) return generalDate(asDate(), l);
        if (name == QLatin1String("long date")) return l.toString(asDate().date(), QLocale::LongFormat);
        if (name == QLatin1String("medium date")) return customDate(QStringLiteral("dd-mmm-yy"), asDate(), l, fdw, fwy);
        if (name == QLatin1String("short date")) return shortDate(asDate().date(), l);
        if (name == QLatin1String("long time")) return l.toString(asDate().time(), longTimeFormat(l));
        if (name == QLatin1String("medium time"))
            return customDate(QStringLiteral("hh:nn AM/PM"), asDate(), l, fdw, fwy);
        if (name == QLatin1String("short time")) return customDate(QStringLiteral("hh:nn"), asDate(), l, fdw, fwy);
    }
    switch (v.kind) {
    case FormatValue::Date:
        if (isDateFormat(fmt) || !isNumberFormat(fmt)) return customDate(fmt, v.date, l, fdw, fwy);
        return customNumber(fmt, toSerial(v.date), l);
    case FormatValue::Number:
        if (isNumberFormat(fmt) || !isDateFormat(fmt)) return customNumber(fmt, v.number, l);
        return customDate(fmt, fromSerial(v.number), l, fdw, fwy);
    case FormatValue::Text: break;
    }
    return customText(fmt, v.text);
}

}   // namespace jet
