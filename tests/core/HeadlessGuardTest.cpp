// The guard the tests run under: whatever a test changes of the configuration, the next test
// finds it as it was. Checked against the program's own table of settings and the state kept
// beside it, so state added outside the settings object and forgotten by the guard shows here.
#include "core/configuration/Configuration.h"
#include "core/configuration/DeviceSettings.h"
#include "HeadlessGuard.h"
#include "core/configuration/RoundRanges.h"
#include <gtest/gtest.h>

namespace {

// Every setting as "Section/Key=value", then the rounding ranges and the program-wide state.
QStringList everySetting()
{
    QStringList out;
    for (const auto& lines : {config::CurrentSettings(), config::CurrentDeviceSettings()})
        for (const config::SettingLine& l : lines) out << l.section + u'/' + l.key + u'=' + l.value;
    for (const auto& r : g_colRoundRanges)
        out << QStringLiteral("range %1-%2 by %3")
                   .arg(r->FromValue().toString(), r->ToValue().toString(), r->RoundValue().toString());
    out << QStringLiteral("archive mode %1, open mode %2, title %3")
               .arg(g_bBackupArchiveMode)
               .arg(g_nDBOpenMode)
               .arg(g_strMsgTitle);
    return out;
}

// Another value of the same kind as `value`.
QString another(const QString& value)
{
    if (value == QLatin1String("True")) return QStringLiteral("False");
    if (value == QLatin1String("False")) return QStringLiteral("True");
    if (const auto date = config::ReadDate(value); date && value.size() == 10)
        return config::WriteDate(date->addDays(1));
    if (const auto number = config::ReadDecimal(value)) return config::WriteDouble(*number + 1);
    return value + QStringLiteral("-altro");
}

TEST(HeadlessGuard, PutsBackEverySettingATestChanged)
{
    const QStringList before = everySetting();
    const std::shared_ptr<SettingsStore> storeBefore = sharedSettingsStore();
    {
        testenv::HeadlessGuard guard;
        EXPECT_EQ(sharedSettingsStore(), guard.settings);
        for (const auto& lines : {config::CurrentSettings(), config::CurrentDeviceSettings()})
            for (const config::SettingLine& l : lines) guard.settings->set(l.section, l.key, another(l.value));
        guard.settings->set(QStringLiteral("Configuration"), QStringLiteral("UseRoundRanges"), QStringLiteral("True"));
        guard.settings->set(QStringLiteral("Configuration"), QStringLiteral("ArrotondaDaPrezzo1"), QStringLiteral("0"));
        guard.settings->set(QStringLiteral("Configuration"), QStringLiteral("ArrotondaAPrezzo1"), QStringLiteral("10"));
        guard.settings->set(QStringLiteral("Configuration"), QStringLiteral("ArrotondaValore1"), QStringLiteral("0.5"));
        LoadConfiguration();
        g_bBackupArchiveMode = !g_bBackupArchiveMode;
        g_nDBOpenMode += 1;
        g_strMsgTitle += QStringLiteral("-altro");

        const QStringList during = everySetting();
        ASSERT_EQ(during.size(), before.size() + 1) << "one rounding range more";
        int changed = 0;
        for (qsizetype i = 0; i < before.size(); ++i) changed += during[i] != before[i];
        EXPECT_GE(changed, before.size() * 9 / 10) << "the test changes nearly every setting";
    }
    const QStringList after = everySetting();
    ASSERT_EQ(after.size(), before.size()) << "the rounding ranges are not put back";
    for (qsizetype i = 0; i < before.size(); ++i) EXPECT_EQ(after[i], before[i]) << "not put back";
    EXPECT_EQ(sharedSettingsStore(), storeBefore);
}

TEST(HeadlessGuard, AnswersFromItsScriptAndPutsTheClockBack)
{
    const QDateTime start(QDate(2007, 3, 1), QTime(10, 0));
    {
        testenv::HeadlessGuard guard;
        guard.ui->addAnswer(QStringLiteral("No"));
        EXPECT_EQ(ui().msgBox(QStringLiteral("Confermi ?"), Msg::YesNo), Msg::No);
        EXPECT_EQ(guard.ui->log(), QStringList {QStringLiteral("MSGBOX: Confermi ?")});
        guard.useManualClock(start)->advanceMs(1000);
        EXPECT_EQ(appClock().now(), start.addSecs(1));
    }
    EXPECT_NE(appClock().now().date(), start.date());
}

}   // namespace
