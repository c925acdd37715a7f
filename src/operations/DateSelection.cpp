#include "DateSelection.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "objdb/JetFormat.h"
#include "objdb/JetTranslator.h"

namespace {

QString formatted(const QDate& date, const char* pattern, const QLocale& locale)
{
    jet::FormatValue v;
    v.kind = jet::FormatValue::Date;
    v.date = QDateTime(date, QTime(0, 0));
    return jet::format(v, QString::fromLatin1(pattern), locale);
}

QDateTime midnight(const QDate& d) { return QDateTime(d, QTime(0, 0)); }

}   // namespace

DateSelection::DateSelection(QDate today, bool dayMode) : dayFlag(dayMode), selDate(today) { }

DateSelection DateSelection::AtStart() { return DateSelection(appClock().today(), settings().UseDateSelection); }

DateSelection::Mode DateSelection::mode() const
{
    if (monthFlag) return Mode::Month;
    if (dayFlag) return Mode::Day;
    if (periodFlag) return Mode::Period;
    return Mode::All;
}

bool DateSelection::SelectAll()
{
    if (!dayFlag && !monthFlag && !periodFlag) return false;
    dayFlag = monthFlag = periodFlag = false;
    return true;
}

bool DateSelection::SelectDay(const std::optional<QDate>& chosen)
{
    if (!chosen) return false;
    selDate = *chosen;
    dayFlag = true;
    monthFlag = periodFlag = false;
    return true;
}

bool DateSelection::SelectMonth(const std::optional<QDate>& chosen)
{
    if (!chosen) return false;
    selDate = *chosen;
    monthFlag = true;
    dayFlag = periodFlag = false;
    return true;
}

bool DateSelection::SelectPeriod(const std::optional<QDate>& from, const std::optional<QDate>& to)
{
    selFrom = from;
    selTo = to;
    if (!selFrom && !selTo) return false;
    periodFlag = true;
    dayFlag = monthFlag = false;
    return true;
}

QString DateSelection::Condition(const QString& dateField) const
{
    switch (mode()) {
    case Mode::Month:
        return QStringLiteral("Month(%1) = %2 AND Year(%1) = %3")
            .arg(dateField)
            .arg(selDate.month())
            .arg(selDate.year());
    case Mode::Day:
        return QStringLiteral("%1 >= %2 AND %1 < %3").arg(dateField, JetDate(selDate), JetDate(selDate.addDays(1)));
    case Mode::Period:
        if (!selFrom || !selTo) return QString();
        return QStringLiteral("%1 >= %2 AND %1 < %3").arg(dateField, JetDate(*selFrom), JetDate(selTo->addDays(1)));
    case Mode::All: break;
    }
    return QString();
}

std::optional<DateSelection::Range> DateSelection::range() const
{
    switch (mode()) {
    case Mode::Month: {
        const QDate first(selDate.year(), selDate.month(), 1);
        return Range {midnight(first), midnight(first.addMonths(1))};
    }
    case Mode::Day: return Range {midnight(selDate), midnight(selDate.addDays(1))};
    case Mode::Period:
        if (!selFrom || !selTo) return std::nullopt;
        return Range {midnight(*selFrom), midnight(selTo->addDays(1))};
    case Mode::All: break;
    }
    return std::nullopt;
}

DateSelection::Captions DateSelection::captions(const QString& fieldCaption, const QLocale& locale) const
{
    Captions c;
    c.allChecked = !dayFlag && !monthFlag && !periodFlag;
    c.dayChecked = dayFlag;
    c.monthChecked = monthFlag;
    c.periodChecked = periodFlag;
    const QString label = ShortLabel(fieldCaption);
    // A period with an unset bound shows that bound as an empty text, as it always did.
    auto bound = [&](const std::optional<QDate>& d, const char* pattern) {
        return d ? formatted(*d, pattern, locale) : QString();
    };
    switch (mode()) {
    case Mode::Month:
        c.button = label + QStringLiteral("< ") + formatted(selDate, "mmmm yyyy", locale) + QStringLiteral(" >");
        c.toolTip = QStringLiteral("Dati del mese ") + formatted(selDate, "mm/yyyy", locale)
            + QStringLiteral(" relativi a ") + fieldCaption;
        c.menu = QStringLiteral("Solo in data ") + c.button;
        break;
    case Mode::Day:
        c.button = label + QStringLiteral("< ") + formatted(selDate, "dd mmm yyyy", locale) + QStringLiteral(" >");
        c.toolTip = QStringLiteral("Dati del giorno ") + formatted(selDate, "dd/mm/yyyy", locale)
            + QStringLiteral(" relativi a ") + fieldCaption;
        c.menu = QStringLiteral("Solo in data ") + c.button;
        break;
    case Mode::Period:
        c.button = QStringLiteral("< ") + bound(selFrom, "dd mmm yyyy") + QStringLiteral(" - ")
            + bound(selTo, "dd mmm yyyy") + QStringLiteral(" >");
        c.toolTip = QStringLiteral("Dati del periodo < ") + bound(selFrom, "dd/mm/yyyy") + QStringLiteral(" - ")
            + bound(selTo, "dd/mm/yyyy") + QStringLiteral(" > relativi a ") + fieldCaption;
        c.menu = QStringLiteral("Solo in data ") + c.button;
        break;
    case Mode::All:
        c.button = QStringLiteral("< tutti >");
        c.toolTip = QStringLiteral("Nessuna selezione per ") + fieldCaption;
        c.menu = QStringLiteral("Seleziona per ") + fieldCaption;
        break;
    }
    return c;
}

QString DateSelection::ShortLabel(const QString& fieldCaption)
{
    if (fieldCaption.left(4).toUpper() != QLatin1String("DATA")) return fieldCaption;
    QString rest = fieldCaption.mid(4);
    while (!rest.isEmpty() && rest.front() == u' ') rest.remove(0, 1);
    return rest.isEmpty() ? rest : rest + QStringLiteral("  ");
}

QString DateSelection::JetDate(const QDate& date)
{
    return JetTranslator::JetDateLiteral(QDateTime(date, QTime(0, 0)), false);
}

QLocale DateSelection::DisplayLocale()
{
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::C) return QLocale(QLocale::Italian, QLocale::Italy);
    return system;
}
