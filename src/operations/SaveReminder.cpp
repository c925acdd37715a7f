#include "SaveReminder.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "base/SettingsStore.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"

namespace {

const QString kSection = QStringLiteral("Backup");
const QString kLastNotification = QStringLiteral("LastNotification");
const QString kLastSaved = QStringLiteral("LastSaved");

std::optional<QDate> storedDate(const QString& key)
{
    return config::ReadDate(settingsStore().get(kSection, key, QString()));
}

void storeToday(const QString& key) { settingsStore().set(kSection, key, config::WriteDate(appClock().today())); }

}   // namespace

bool SaveReminder::BeginsPeriod(int frequency, const QDate& today)
{
    switch (frequency) {
    case Weekly: return today.dayOfWeek() == Qt::Monday;
    case Monthly: return today.day() == 1;
    default: return true;
    }
}

bool SaveReminder::IsDue(bool saveEnabled, int frequency, const std::optional<QDate>& lastNotification,
                         const QDate& today)
{
    if (!saveEnabled || frequency == Never) return false;
    if (lastNotification && *lastNotification >= today) return false;
    return BeginsPeriod(frequency, today);
}

bool SaveReminder::TestSaveData()
{
    return IsDue(settings().BackupFuncSaveEnabled, settings().BkpSaveNotify, LastNotification(), appClock().today());
}

void SaveReminder::SetLastNotifyDate() { storeToday(kLastNotification); }
void SaveReminder::SetLastSavedDate() { storeToday(kLastSaved); }
std::optional<QDate> SaveReminder::LastNotification() { return storedDate(kLastNotification); }
std::optional<QDate> SaveReminder::LastSaved() { return storedDate(kLastSaved); }

QString SaveReminder::OfferText(int frequency)
{
    QString first;
    switch (frequency) {
    case Daily: first = QStringLiteral("E' iniziato un nuovo giorno lavorativo"); break;
    case Weekly: first = QStringLiteral("E' iniziata una nuova settimana lavorativa"); break;
    case Monthly: first = QStringLiteral("E' iniziato un nuovo mese lavorativo"); break;
    default: break;
    }
    return first + QStringLiteral("\r\rVuoi effettuare i salvataggi adesso ?\r\rNOTA:\r")
        + QString::fromUtf8("E' possibile effettuare il salvataggio anche in un secondo momento selezionando la voce "
                            "<Salva / Ripristina> dal menù <Dati>");
}

bool SaveReminder::OfferSaveAtActivation(const std::function<void()>& save)
{
    if (settings().AutoSaveOnExit || g_bBackupArchiveMode || !TestSaveData()) return false;
    if (ui().msgBox(OfferText(settings().BkpSaveNotify), int(Msg::YesNo) + Msg::Question, AppTitle()) == Msg::Yes
        && save)
        save();
    SetLastNotifyDate();
    return true;
}

bool SaveReminder::OfferSaveAtExit(bool closedByProgram, bool databaseOpen,
                                   const std::function<void(const ExitSave&)>& save)
{
    if (!closedByProgram || !databaseOpen || !settings().AutoSaveOnExit || !TestSaveData()) return false;
    if (ui().msgBox(QString::fromLatin1(kExitSaveQuestion), int(Msg::YesNo) + Msg::Question, AppTitle()) != Msg::Yes)
        return false;
    if (save) save(ExitSave {LastSaved(), appClock().today(), settings().BackupFuncEnableDelete});
    SetLastNotifyDate();
    return true;
}
