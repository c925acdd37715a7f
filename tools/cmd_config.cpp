// Configuration commands: show, save and set the settings the program loads.
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"
#include "MvTool.h"
#include "core/configuration/RoundRanges.h"
#include "base/SettingsStore.h"

namespace {
// Line ends inside a value (the scripts) shown as escapes, so each setting stays one line.
QString shown(QString value)
{
    value.replace(u'\r', QStringLiteral("\\r"));
    value.replace(u'\n', QStringLiteral("\\n"));
    return value;
}

void print(const QList<config::SettingLine>& lines)
{
    for (const config::SettingLine& l : lines) mvtool::out(l.section + u'/' + l.key + u'=' + shown(l.value));
}

int dump(const QStringList& args)
{
    if (!args.isEmpty()) return 2;
    LoadConfiguration();
    print(config::CurrentSettings());
    mvtool::out(QStringLiteral("# rounding ranges: %1").arg(g_colRoundRanges.size()));
    int n = 0;
    for (const auto& r : g_colRoundRanges) {
        ++n;
        mvtool::out(QStringLiteral("Configuration/ArrotondaDaPrezzo%1=%2").arg(n).arg(r->FromValue().toString()));
        mvtool::out(QStringLiteral("Configuration/ArrotondaAPrezzo%1=%2").arg(n).arg(r->ToValue().toString()));
        mvtool::out(QStringLiteral("Configuration/ArrotondaValore%1=%2").arg(n).arg(r->RoundValue().toString()));
    }
    mvtool::out(QStringLiteral("# device sections"));
    print(config::CurrentDeviceSettings());
    return 0;
}

int save(const QStringList& args)
{
    if (!args.isEmpty()) return 2;
    LoadConfiguration();
    SaveConfiguration();
    if (auto* ini = dynamic_cast<IniSettingsStore*>(&settingsStore())) mvtool::out(ini->fileName());
    return 0;
}

int set(const QStringList& args)
{
    if (args.size() != 1) return 2;
    const QString& a = args.first();
    const int slash = a.indexOf(u'/');
    const int eq = a.indexOf(u'=');
    if (slash <= 0 || eq < slash + 2) return 2;
    settingsStore().set(a.left(slash), a.mid(slash + 1, eq - slash - 1), a.mid(eq + 1));
    settingsStore().sync();
    return 0;
}
}

MV_COMMAND("config-dump",
           "config-dump: every setting as Section/Key=value, then the rounding ranges and the device sections", dump);
MV_COMMAND("config-save", "config-save: loads the configuration and saves it back as the program does", save);
MV_COMMAND("config-set", "config-set Section/Key=value: writes one value to the settings store", set);
