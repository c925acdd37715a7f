#pragma once
// For as long as it lives, the program runs headless for a test: its questions answered from
// a script (and logged), its settings in a store in memory that starts empty, and, when the
// test asks, its clock moved by hand. Its settings are an object of its own (ScopedSettings,
// starting as those in force), and the program-wide state and rounding ranges are put back at
// the end, so no test leaves its register, readers, folders or rules to the next one.
//
// Declare it before the members that live on it (windows, drivers, open files): they go
// first, while the script and the store are still in place.
#include "base/Clock.h"
#include "base/SettingsStore.h"
#include "base/UiServices.h"
#include <QDateTime>
#include <memory>

namespace testenv {

class HeadlessGuard {
public:
    HeadlessGuard();
    ~HeadlessGuard();
    HeadlessGuard(const HeadlessGuard&) = delete;
    HeadlessGuard& operator=(const HeadlessGuard&) = delete;

    // Puts `clock` in place of the system's until the end.
    void useClock(std::shared_ptr<Clock> clock);
    // The same with a clock that moves only when told, from `start`.
    std::shared_ptr<ManualClock> useManualClock(const QDateTime& start);

    const std::shared_ptr<ScriptedUiServices> ui = std::make_shared<ScriptedUiServices>();
    const std::shared_ptr<MemorySettingsStore> settings = std::make_shared<MemorySettingsStore>();

private:
    struct Saved;
    std::unique_ptr<Saved> m_saved;
    bool m_clockReplaced = false;
};

}
