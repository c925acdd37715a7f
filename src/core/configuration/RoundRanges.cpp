#include "RoundRanges.h"
#include "Configuration.h"
#include "base/SettingsStore.h"

QList<std::shared_ptr<clsRoundItem>> g_colRoundRanges;

namespace {
const QString kSection = QStringLiteral("Configuration");
constexpr int kStoredRanges = 10;

QString fromKey(int n) { return QStringLiteral("ArrotondaDaPrezzo") + QString::number(n); }
QString toKey(int n) { return QStringLiteral("ArrotondaAPrezzo") + QString::number(n); }
QString valueKey(int n) { return QStringLiteral("ArrotondaValore") + QString::number(n); }

// An amount that none of the accepted forms reads loads as 0.
Currency readAmount(const QString& text) { return config::ReadAmount(text).value_or(Currency()); }
}

void LoadRoundRanges()
{
    if (!settings().UseRoundRanges) return;
    g_colRoundRanges.clear();
    SettingsStore& store = settingsStore();
    for (int n = 1; n <= kStoredRanges; ++n) {
        const QString step = store.get(kSection, valueKey(n), QString());
        if (step.isEmpty()) continue;
        auto item = std::make_shared<clsRoundItem>();
        item->setFromValue(readAmount(store.get(kSection, fromKey(n), QStringLiteral("0"))));
        item->setToValue(readAmount(store.get(kSection, toKey(n), QStringLiteral("0"))));
        item->setRoundValue(readAmount(step));
        g_colRoundRanges.append(item);
    }
}

void SaveRoundRanges()
{
    if (g_bBackupArchiveMode || !settings().UseRoundRanges) return;
    SettingsStore& store = settingsStore();
    for (int n = 1; n <= kStoredRanges; ++n) {
        store.remove(kSection, fromKey(n));
        store.remove(kSection, toKey(n));
        store.remove(kSection, valueKey(n));
    }
    int n = 0;
    for (const auto& item : g_colRoundRanges) {
        ++n;
        store.set(kSection, fromKey(n), item->FromValue().toString());
        store.set(kSection, toKey(n), item->ToValue().toString());
        store.set(kSection, valueKey(n), item->RoundValue().toString());
    }
    store.sync();
}
