#include "OptionsNumbers.h"
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QObject>
#include <QRegularExpressionValidator>
#include <cmath>

namespace optionsnum {
namespace {
QString normalised(const QString& text)
{
    QString t = text.trimmed();
    if (t.contains(u',')) {
        t.remove(u'.');   // "1.234,50": points group the thousands
        t.replace(u',', u'.');
    }
    return t;
}

class AmountKeyFilter final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::KeyPress) return false;
        auto* field = qobject_cast<QLineEdit*>(watched);
        auto* key = static_cast<QKeyEvent*>(e);
        if (!field || key->text().isEmpty()) return false;   // arrows, function keys
        const QChar typed = key->text().at(0);
        const auto entered = FilterAmountKey(field->text(), typed);
        if (!entered) return true;
        if (*entered != typed) {
            field->insert(QString(*entered));
            return true;
        }
        return false;
    }
};
}

QString Format(double value, int intDigits, int decimals)
{
    QString text = QLocale::c().toString(std::fabs(value), 'f', decimals);
    qsizetype point = text.indexOf(u'.');
    if (point < 0) point = text.size();
    if (point < intDigits) text.prepend(QString(intDigits - point, u'0'));
    text.replace(u'.', u',');
    if (value < 0 && text.contains(QRegularExpression(QStringLiteral("[1-9]")))) text.prepend(u'-');
    return text;
}

QString Plain(double value)
{
    QString text = QString::number(value, 'f', 10);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0')) text.chop(1);
        if (text.endsWith(u'.')) text.chop(1);
    }
    if (text == QStringLiteral("-0")) text = QStringLiteral("0");
    return text.replace(u'.', u',');
}

std::optional<double> Read(const QString& text)
{
    bool ok = false;
    const double v = QLocale::c().toDouble(normalised(text), &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<Currency> ReadAmount(const QString& text)
{
    const QString t = normalised(text);
    if (t.isEmpty()) return std::nullopt;
    try {
        return Currency::parse(t, QLocale::c());
    } catch (const std::exception&) {
        return std::nullopt;   // beyond the range of an amount
    }
}

QString AmountField(Currency value, int width)
{
    return value.toText(QLocale(QLocale::Italian, QLocale::Italy), 2, true).rightJustified(width, u' ');
}

std::optional<QChar> FilterAmountKey(const QString& currentText, QChar typed)
{
    if (typed == u'.' || typed == u',') {
        if (currentText.contains(u',')) return std::nullopt;
        return QChar(u',');
    }
    if (typed.unicode() < 32 || typed == u'-' || (typed >= u'0' && typed <= u'9')) return typed;
    return std::nullopt;
}

void InstallAmountKeyFilter(QLineEdit* field) { field->installEventFilter(new AmountKeyFilter(field)); }

void SetAmountMask(QLineEdit* field, int intDigits, int decimals)
{
    QString pattern = QStringLiteral("-?\\d{0,%1}").arg(intDigits);
    if (decimals > 0) pattern += QStringLiteral("([,.]\\d{0,%1})?").arg(decimals);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), field));
}
}
