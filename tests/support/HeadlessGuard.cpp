#include "HeadlessGuard.h"
#include "Configuration.h"
#include "DeviceSettings.h"
#include "RoundRanges.h"
#include <tuple>

namespace {
// Every setting the program keeps in memory, as one tuple of references: the one list the
// guard takes and puts back. Its test holds it against the program's own table of settings.
auto everySetting()
{
    return std::tie(RootDir, AccessMode, MaintenanceDir, MaintenanceMode, UseTransaction, BarcodeReaderEnabled,
                    FiscalPrinterEnabled, BalanceEnabled, UseDateSelection, Use_PrezzoAcquistoListino,
                    Use_PagamentoForniture, Default_UnitaMisura, Default_CodiceIVA, ProgrLen_ClientiForn, Use_Ricevute,
                    Use_Fattura, NCopyRicevute, ImportoMaxArticolo, ImportoPunto, ImportoPuntoPremio, PuntiMinPremio,
                    Use_PuntiPremio, Use_Badge, BackupDir, BackupFuncSaveEnabled, BackupFuncRestoreEnabled,
                    BkpSaveNotify, BackupFuncEnableDelete, AutoSaveOnExit, CurrencyConversion, ValoreArrotondamento,
                    ArrotondaInEccesso, UseRoundRanges, BalanceCOMPortNumber, BalanceCOMPortParam, DBStarted,
                    LabelPrinterParam, TicketPrinterParam, g_bBackupArchiveMode, g_nDBOpenMode, g_strMsgTitle,
                    g_colRoundRanges, BarcodeReaderParam, FiscalPrinterParam, DefaultDepartment, MagneticDevParam);
}

template <class... T>
std::tuple<T...> valuesOf(const std::tuple<T&...>& settings)
{
    return settings;
}
}  // namespace

struct testenv::HeadlessGuard::Saved {
    decltype(valuesOf(everySetting())) values = valuesOf(everySetting());
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
    everySetting() = m_saved->values;
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
