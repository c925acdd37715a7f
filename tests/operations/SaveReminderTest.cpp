// When the operator is offered a save, and the dates that keep the offer.
#include "operations/SaveReminder.h"
#include "core/configuration/Configuration.h"
#include "HeadlessGuard.h"
#include <QLocale>
#include <gtest/gtest.h>

namespace {

// March 2007: Monday 5, 12, 19; Thursday 1.
QDate march(int day) { return QDate(2007, 3, day); }

TEST(SaveReminderRule, WeeklyOnMondaysAndMonthlyOnTheFirstOnly)
{
    using namespace SaveReminder;
    const struct {
        const char* what;
        bool enabled;
        int frequency;
        std::optional<QDate> last;
        QDate today;
        bool due;
    } cases[] = {
        {"saving disabled", false, Daily, std::nullopt, march(13), false},
        {"never", true, Never, std::nullopt, march(13), false},
        {"daily, never reminded", true, Daily, std::nullopt, march(13), true},
        {"daily, reminded today", true, Daily, march(13), march(13), false},
        {"daily, reminded yesterday", true, Daily, march(12), march(13), true},
        {"weekly, on Monday", true, Weekly, march(9), march(12), true},
        {"weekly, never reminded, on Monday", true, Weekly, std::nullopt, march(19), true},
        {"weekly, reminded on Monday already", true, Weekly, march(12), march(12), false},
        {"weekly, shop closed on Monday: not on Tuesday", true, Weekly, march(9), march(13), false},
        {"weekly, a month old, on a Thursday", true, Weekly, QDate(2007, 2, 8), march(15), false},
        {"weekly, never reminded, on a Sunday", true, Weekly, std::nullopt, march(18), false},
        {"monthly, on the 1st", true, Monthly, QDate(2007, 2, 28), march(1), true},
        {"monthly, reminded on the 1st already", true, Monthly, march(1), march(1), false},
        {"monthly, first activation of the month on the 10th", true, Monthly, QDate(2007, 2, 28), march(10), false},
        {"monthly, never reminded, on the 2nd", true, Monthly, std::nullopt, march(2), false},
        {"monthly, across a year", true, Monthly, QDate(2006, 12, 31), QDate(2007, 1, 1), true},
        {"a frequency no option offers counts as daily", true, 7, march(12), march(13), true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsDue(c.enabled, c.frequency, c.last, c.today), c.due) << c.what;
}

class SaveReminderStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::settings().BackupFuncSaveEnabled = true;
        ::settings().BkpSaveNotify = SaveReminder::Weekly;
        ::settings().AutoSaveOnExit = false;
        g_bBackupArchiveMode = false;
        ::settings().BackupFuncEnableDelete = true;
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
    QString stored(const QString& key) { return settings->get("Backup", key, QString()); }

    testenv::HeadlessGuard headless;
    std::shared_ptr<MemorySettingsStore> settings = headless.settings;
    std::shared_ptr<ScriptedUiServices> prompts = headless.ui;
    std::shared_ptr<ManualClock> clock = headless.useManualClock(QDateTime(march(12), QTime(8, 30)));   // a Monday
};

TEST_F(SaveReminderStore, DatesAreWrittenTheSameInEveryLocaleAndOlderFormsStillRead)
{
    for (const QLocale& l :
         {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::Italian, QLocale::Italy)}) {
        QLocale::setDefault(l);
        SaveReminder::SetLastSavedDate();
        SaveReminder::SetLastNotifyDate();
        EXPECT_EQ(stored("LastSaved"), "2007-03-12");
        EXPECT_EQ(stored("LastNotification"), "2007-03-12");
        EXPECT_EQ(SaveReminder::LastSaved(), march(12));
    }
    settings->set("Backup", "LastSaved", "02/03/2007");   // the Italian short date of older versions
    EXPECT_EQ(SaveReminder::LastSaved(), march(2));
    settings->set("Backup", "LastSaved", "");
    EXPECT_EQ(SaveReminder::LastSaved(), std::nullopt);
}

TEST_F(SaveReminderStore, ActivationOffersTheSaveOnceADay)
{
    settings->set("Backup", "LastNotification", "2007-03-09");
    int saves = 0;
    prompts->addAnswer("Yes");
    EXPECT_TRUE(SaveReminder::OfferSaveAtActivation([&] { ++saves; }));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(
        prompts->prompts(),
        QStringList {"E' iniziata una nuova settimana lavorativa\r\rVuoi effettuare i salvataggi adesso ?\r\rNOTA:\r"
                     "E' possibile effettuare il salvataggio anche in un secondo momento selezionando la voce "
                     "<Salva / Ripristina> dal menù <Dati>"});
    EXPECT_EQ(stored("LastNotification"), "2007-03-12");

    clock->set(QDateTime(march(12), QTime(17, 0)));
    EXPECT_FALSE(SaveReminder::OfferSaveAtActivation([&] { ++saves; })) << "already offered today";
    clock->set(QDateTime(march(13), QTime(9, 0)));
    EXPECT_FALSE(SaveReminder::OfferSaveAtActivation([&] { ++saves; })) << "a weekly reminder waits for Monday";
    EXPECT_EQ(prompts->prompts().size(), 1);

    // No is an answer too: the offer is not repeated that day.
    clock->set(QDateTime(march(19), QTime(9, 0)));
    prompts->addAnswer("No");
    EXPECT_TRUE(SaveReminder::OfferSaveAtActivation([&] { ++saves; }));
    EXPECT_EQ(saves, 1);
    EXPECT_EQ(stored("LastNotification"), "2007-03-19");
}

TEST_F(SaveReminderStore, NoActivationOfferWhenSavingOnExitOrWorkingOnTheArchive)
{
    for (auto set : {+[] { ::settings().AutoSaveOnExit = true; }, +[] { g_bBackupArchiveMode = true; }}) {
        ::settings().AutoSaveOnExit = false;
        g_bBackupArchiveMode = false;
        set();
        EXPECT_FALSE(SaveReminder::OfferSaveAtActivation([] {}));
    }
    EXPECT_TRUE(prompts->log().isEmpty());
    EXPECT_TRUE(stored("LastNotification").isEmpty());
}

TEST_F(SaveReminderStore, ExitSaveCoversTheDaysSinceTheLastSave)
{
    ::settings().AutoSaveOnExit = true;
    ::settings().BackupFuncEnableDelete = false;
    settings->set("Backup", "LastSaved", "2007-03-02");
    std::optional<SaveReminder::ExitSave> asked;
    auto save = [&](const SaveReminder::ExitSave& s) { asked = s; };

    EXPECT_FALSE(SaveReminder::OfferSaveAtExit(false, true, save)) << "the close box only hides the window";
    EXPECT_FALSE(SaveReminder::OfferSaveAtExit(true, false, save)) << "no database";
    EXPECT_TRUE(prompts->log().isEmpty());

    prompts->addAnswer("Yes");
    EXPECT_TRUE(SaveReminder::OfferSaveAtExit(true, true, save));
    EXPECT_EQ(prompts->prompts(), QStringList {SaveReminder::kExitSaveQuestion});
    ASSERT_TRUE(asked);
    EXPECT_EQ(asked->from, march(2));
    EXPECT_EQ(asked->to, march(12));
    EXPECT_FALSE(asked->deleteAtOrigin);
    EXPECT_EQ(stored("LastNotification"), "2007-03-12");
}

}   // namespace
