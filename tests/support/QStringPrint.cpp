#include "QStringPrint.h"
#include "base/Currency.h"
#include <QDebug>

void PrintTo(const QString& text, std::ostream* os)
{
    QString shown;
    shown.reserve(text.size() + 2);
    shown += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\r': shown += QLatin1String("\\r"); break;
        case u'\n': shown += QLatin1String("\\n"); break;
        case u'\t': shown += QLatin1String("\\t"); break;
        case u'"': shown += QLatin1String("\\\""); break;
        case u'\\': shown += QLatin1String("\\\\"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
            else
                shown += c;
        }
    }
    shown += u'"';
    *os << shown.toStdString();
}

void PrintTo(const QVariant& value, std::ostream* os)
{
    if (!value.isValid()) {
        *os << "QVariant()";
        return;
    }
    *os << "QVariant(" << value.typeName() << ", ";
    if (value.typeId() == QMetaType::QString) {
        PrintTo(value.toString(), os);
    } else {
        // Qt's own debug form where the type has one (numbers, dates, lists); amounts in
        // their C form; another type without one by its text conversion.
        QString text;
        QMetaType type = value.metaType();
        if (type == QMetaType::fromType<Currency>()) {
            text = value.value<Currency>().toString();
        } else if (type.hasRegisteredDebugStreamOperator()) {
            QDebug debug(&text);
            debug.nospace();
            type.debugStream(debug, value.constData());
        } else if (value.canConvert<QString>()) {
            text = value.toString();
        }
        *os << text.toStdString();
    }
    *os << ')';
}
