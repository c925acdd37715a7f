#include "HeadlessGuard.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"
#include "core/configuration/RoundRanges.h"

// What the guard takes and puts back beside the settings: the program-wide state and the
// rounding ranges, which live outside the settings object.
struct testenv::HeadlessGuard::Saved {
    ScopedSettings settings;
    QList<std::shared_ptr<clsRoundItem>> roundRanges = g_colRoundRanges;
    bool backupArchiveMode = g_bBackupArchiveMode;
    int32_t dbOpenMode = g_nDBOpenMode;
    QString msgTitle = g_strMsgTitle;
    std::shared_ptr<SettingsStore> store = sharedSettingsStore();
};

testenv::HeadlessGuard::HeadlessGuard() : m_saved(std::make_unique<Saved>())
{
    setSettingsStore(settings);
    setUiServices(ui);
}

testenv::HeadlessGuard::~HeadlessGuard()
{
    setUiServices(nullptr);
    setSettingsStore(m_saved->store);
    g_colRoundRanges = m_saved->roundRanges;
    g_bBackupArchiveMode = m_saved->backupArchiveMode;
    g_nDBOpenMode = m_saved->dbOpenMode;
    g_strMsgTitle = m_saved->msgTitle;
    if (m_clockReplaced) setAppClock(std::make_shared<SystemClock>());
}

void testenv::HeadlessGuard::useClock(std::shared_ptr<Clock> clock)
{
    setAppClock(std::move(clock));
    m_clockReplaced = true;
}

std::shared_ptr<ManualClock> testenv::HeadlessGuard::useManualClock(const QDateTime& start)
{
    auto clock = std::make_shared<ManualClock>(start);
    useClock(clock);
    return clock;
}
