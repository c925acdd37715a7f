#include "TypedNumber.h"
#include "AppError.h"
#include <QStringList>
#include <cmath>

namespace {

bool allDigits(const QString& s)
{
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// The digits of the whole part: plain, or grouped by three after a first group of one to
// three digits that does not start with 0 (a group of "0,750" is no thousand).
std::optional<QString> wholeDigits(const QString& part, const QString& group)
{
    if (group.isEmpty() || !part.contains(group)) return allDigits(part) ? std::optional<QString>(part) : std::nullopt;
    const QStringList groups = part.split(group);
    const QString& first = groups.first();
    if (first.isEmpty() || first.size() > 3 || first.startsWith(u'0') || !allDigits(first)) return std::nullopt;
    QString digits = first;
    for (qsizetype i = 1; i < groups.size(); ++i) {
        if (groups[i].size() != 3 || !allDigits(groups[i])) return std::nullopt;
        digits += groups[i];
    }
    return digits;
}

}   // namespace

std::optional<QString> TypedNumberText(const QString& input, const QLocale& form)
{
    QString t = input.trimmed();
    QString sign;
    for (const QString& minus : {QStringLiteral("-"), form.negativeSign()}) {
        if (!minus.isEmpty() && t.startsWith(minus)) {
            sign = QStringLiteral("-");
            t = t.mid(minus.size());
            break;
        }
    }
    if (sign.isEmpty()) {
        for (const QString& plus : {QStringLiteral("+"), form.positiveSign()}) {
            if (!plus.isEmpty() && t.startsWith(plus)) {
                t = t.mid(plus.size());
                break;
            }
        }
    }
    const QString mark = form.decimalPoint();
    QString group = form.groupSeparator();
    if (group == mark) group.clear();
    const qsizetype at = mark.isEmpty() ? -1 : t.indexOf(mark);
    const QString fraction = at < 0 ? QString() : t.mid(at + mark.size());
    if (!allDigits(fraction)) return std::nullopt;
    const std::optional<QString> whole = wholeDigits(at < 0 ? t : t.left(at), group);
    if (!whole || (whole->isEmpty() && fraction.isEmpty())) return std::nullopt;
    QString plain = sign + (whole->isEmpty() ? QStringLiteral("0") : *whole);
    if (!fraction.isEmpty()) plain += u'.' + fraction;
    return plain;
}

std::optional<Currency> ReadTypedAmount(const QString& text, const QLocale& form)
{
    const std::optional<QString> plain = TypedNumberText(text, form);
    if (!plain) return std::nullopt;
    try {
        return Currency::parse(*plain, QLocale::c());
    } catch (const AppError&) {
        return std::nullopt;   // beyond the range of an amount
    }
}

std::optional<double> ReadTypedNumber(const QString& text, const QLocale& form)
{
    const std::optional<QString> plain = TypedNumberText(text, form);
    if (!plain) return std::nullopt;
    bool ok = false;
    const double d = QLocale::c().toDouble(*plain, &ok);
    if (!ok || !std::isfinite(d)) return std::nullopt;
    return d;
}

QString NotATypedNumberMessage(const QString& field, const QString& text, const QLocale& form)
{
    // The C form is written without groups where the program reads it (commands, settings).
    QLocale shown = form;
    if (form.language() == QLocale::C) shown.setNumberOptions(QLocale::OmitGroupSeparator);
    return QStringLiteral("Il valore \"%1\" del campo <%2> non è un numero: scrivere i numeri come %3")
        .arg(text, field, shown.toString(1234.56, 'f', 2));
}
