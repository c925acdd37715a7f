#pragma once
// The main window's date selection: every view of a dated table shows all dates, one day,
// one month or a period, chosen once for the whole window. This class holds that state,
// the commands that change it, the condition each view query gets from it and the texts of
// the date button and its menu.
#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QString>
#include <optional>

class DateSelection {
public:
    enum class Mode { All, Day, Month, Period };

    // Day mode on `today` when `dayMode` (the configuration's UseDateSelection), else all dates.
    explicit DateSelection(QDate today, bool dayMode = true);
    // As the main window starts: today from the program's clock, the day flag from the
    // configuration.
    static DateSelection AtStart();

    // The three flags. More than one may be set only by direct assignment; the mode then
    // follows the precedence month, day, period.
    bool dayFlag = true;
    bool monthFlag = false;
    bool periodFlag = false;
    QDate selDate;   // the day of day mode, the month of month mode
    std::optional<QDate> selFrom, selTo;   // the period's bounds, either may be unset

    Mode mode() const;

    // --- commands; each returns true when the view must be shown again ------------------
    // All dates; nothing (false) when that mode is already the one checked.
    bool SelectAll();
    // The date the day dialog returned; nullopt (cancelled) changes nothing.
    bool SelectDay(const std::optional<QDate>& chosen);
    // The month of the date the day dialog returned; nullopt changes nothing.
    bool SelectMonth(const std::optional<QDate>& chosen);
    // The bounds the period dialog left (it writes both on confirmation and none on cancel):
    // the period mode when at least one is set, else nothing changes.
    bool SelectPeriod(const std::optional<QDate>& from, const std::optional<QDate>& to);

    // The condition a view query gets on `dateField` (Jet SQL); empty for all dates and for a
    // period with an unset bound. Upper bounds are the next day, compared with "<", so the
    // last day counts whole, times of day included.
    QString Condition(const QString& dateField) const;

    // The instants the condition lets through, [from, to); nullopt when it lets all through.
    struct Range {
        QDateTime from;
        QDateTime to;
    };
    std::optional<Range> range() const;

    // The texts of the date button, its tool tip and the menu, and the check marks.
    struct Captions {
        QString button;
        QString toolTip;
        QString menu;
        bool allChecked = false;
        bool dayChecked = false;
        bool monthChecked = false;
        bool periodChecked = false;
    };
    // `fieldCaption`: the caption of the shown view's date field ("" when it has none).
    Captions captions(const QString& fieldCaption, const QLocale& locale = DisplayLocale()) const;

    // "Data Vendita" gives "Vendita  "; a caption not starting with "Data" stays as it is.
    static QString ShortLabel(const QString& fieldCaption);
    // A date constant of a condition: #mm/dd/yyyy#.
    static QString JetDate(const QDate& date);
    // Italian when the system's locale is C/POSIX, otherwise the system's own.
    static QLocale DisplayLocale();
};
