#pragma once
// The reminder engine: rules (ImpostazioniPromemoria) name a table, one of its date fields,
// a notice and a message template; about once a minute every row of the table whose date
// falls in the rule's scan window gets one reminder (Promemoria) with the template expanded
// against it, the due reminders are listed, and new ones are announced.
//
// The scan window of a rule ends at now + notice. A rule's first scan starts it at now -
// notice; later scans go on from how far the last one reached (DataUltimoControllo), but
// never from further back than the larger of the notice and one day. What a scan stores is
// the date of the last row it read (the latest inside its window, so possibly in the
// future), or the window's start when it read none: a row entered later with a date before
// that point is not found. A row has at most one reminder, open or closed, for as long as
// that reminder is kept (its origin: table, date field and the row's key).
//
// Time comes from the program's clock (appClock), so that a test sets it.
#include <QDateTime>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class Database;
class TableData;

// One line of the reminder list: the reminder's OID and the text shown.
struct ReminderEntry {
    qint64 key = 0;
    QString text;
};

// What the engine needs of the reminder window to announce new reminders.
class ReminderWindowPort {
public:
    virtual ~ReminderWindowPort() = default;
    virtual bool IsShown() const = 0;
    // Shows the window, not modal; false when it cannot be shown now (a modal window is open).
    virtual bool ShowWindow() = 0;
    // Makes the reminder sign of the main window's status bar visible.
    virtual void ShowSign() = 0;
};

class ReminderEngine {
public:
    struct RunResult {
        bool ran = false;   // the database was open and the run went to its end
        int created = 0;   // reminders added by this run
        bool announced = false;   // new or newly due reminders were announced
    };
    // One run on `db` (null: nothing happens). `all`: list every open reminder, not only
    // the due ones. Errors are reported through ShowErrorDetails and end the run.
    RunResult Run(Database* db, bool all, ReminderWindowPort* window = nullptr);

    // Once per load of the reminder window: both tables must exist (False, reported, when
    // one is missing), and closed reminders older than the longest notice plus 15 days
    // are deleted.
    bool InitReminders(Database& db);
    // False once a reminder table was found missing: the window's timer stops.
    bool TimerEnabled() const { return m_timerEnabled; }
    const std::vector<ReminderEntry>& Entries() const { return m_entries; }

    // The template with every placeholder "<%Field%>" replaced, left to right, by that field
    // of the source's current row as text ("# Non identificato: Field#" for a field the
    // table lacks). A value holding a placeholder is not expanded again. A placeholder
    // without its "%>" (or a "%>" before the first "<%") is told through the data set and
    // gives the empty text.
    static QString ExpandMessageTemplate(TableData& source, const QString& messageTemplate);

    struct ScanWindow {
        QDateTime lower;
        QDateTime upper;
    };
    // `lastCheck`: the rule's DataUltimoControllo, none before its first scan.
    static ScanWindow Window(qint64 noticeMinutes, const std::optional<QDateTime>& lastCheck, const QDateTime& now);

    // The intervals of the postpone list, in list order, with their minutes.
    static const std::vector<std::pair<QString, int>>& Intervals();
    static std::optional<int> IntervalMinutes(const QString& text);

    // "Elimina": the selected reminders are closed (no row is deleted). False, after telling
    // the operator, when nothing is selected. A reminder no longer stored is skipped.
    bool CloseReminders(Database& db, const std::vector<ReminderEntry>& selected);
    enum class Postponed { NothingSelected, NoInterval, Done };
    // "Posponi": each selected reminder becomes due `interval` after now. A reminder no
    // longer stored is told about, and the others are still postponed.
    Postponed Postpone(Database& db, const std::vector<ReminderEntry>& selected, const QString& interval);

private:
    bool m_tablesChecked = false;
    bool m_timerEnabled = true;
    std::vector<ReminderEntry> m_entries;
};
