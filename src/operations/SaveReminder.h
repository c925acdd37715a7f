#pragma once
// The save reminder: whether the operator is to be offered a save today, and the two dates
// that keep it ("Backup"/LastNotification and "Backup"/LastSaved in the settings store).
//
// A weekly reminder is due on Mondays only and a monthly one on the 1st only, however long
// ago the last one was: the offer names the day that begins the week or month. It is offered
// at most once a day, because the activation stores today after offering it.
//
// Dates are written in one locale-independent form (yyyy-mm-dd); the forms older versions
// wrote with the regional short date are still read.
#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace SaveReminder {

// BkpSaveNotify: 0 never, 1 daily, 2 weekly, 3 monthly.
enum Frequency : int { Never = 0, Daily = 1, Weekly = 2, Monthly = 3 };

// Whether `today` begins a period of `frequency`: a Monday for weekly, the 1st for monthly,
// every day for daily and for any other value.
bool BeginsPeriod(int frequency, const QDate& today);
// The rule alone: saving enabled, a frequency set, no reminder given today or later, and
// today begins a period.
bool IsDue(bool saveEnabled, int frequency, const std::optional<QDate>& lastNotification, const QDate& today);

// The main window's TestSaveData: the rule on the configuration (BackupFuncSaveEnabled,
// BkpSaveNotify), the stored LastNotification and the program's clock.
bool TestSaveData();
// Today's date written to "Backup"/LastNotification, resp. "Backup"/LastSaved.
void SetLastNotifyDate();
void SetLastSavedDate();
// The stored dates; empty when the key is missing, empty or unreadable.
std::optional<QDate> LastNotification();
std::optional<QDate> LastSaved();

// The offer made at activation: the line naming what began ("" for frequencies without
// one), then the question and the note.
QString OfferText(int frequency);
inline constexpr const char* kExitSaveQuestion = "Effettuare il salvataggio automatico dei dati prima di uscire ?";

// The save offer of the main window's activation: only when saving on exit is off, the
// program works on the working database and a reminder is due. Yes runs `save` (the save
// command). Whenever the offer was made, today is stored as the last reminder. True when
// the offer was made.
bool OfferSaveAtActivation(const std::function<void()>& save);

// What the automatic save on exit copies: from the last save (from the beginning when there
// is none) to today, deleting at the origin as the configuration allows, related data
// updated, no question and no final message.
struct ExitSave {
    std::optional<QDate> from;
    QDate to;
    bool deleteAtOrigin = false;
};
// The close from the program's own commands with a database open: when saving on exit is
// configured and a reminder is due, asks kExitSaveQuestion; on Yes runs `save` with the
// period and stores today as the last reminder. True when the save ran.
bool OfferSaveAtExit(bool closedByProgram, bool databaseOpen, const std::function<void(const ExitSave&)>& save);

}   // namespace SaveReminder
