#include "Settings.h"
#include "Configuration.h"
#include "DeviceSettings.h"

#include <utility>

namespace {
Settings g_programSettings;
Settings* g_inForce = &g_programSettings;
}

Settings& settings() { return *g_inForce; }

ScopedSettings::ScopedSettings() : ScopedSettings(settings()) {}

ScopedSettings::ScopedSettings(Settings start) : m_own(std::move(start)), m_previous(g_inForce) { g_inForce = &m_own; }

ScopedSettings::~ScopedSettings() { g_inForce = m_previous; }

// ---- The former globals, while their users move onto settings() ---------------------------------
QString& RootDir = g_programSettings.RootDir;
int32_t& AccessMode = g_programSettings.AccessMode;
QString& MaintenanceDir = g_programSettings.MaintenanceDir;
bool& MaintenanceMode = g_programSettings.MaintenanceMode;
bool& UseTransaction = g_programSettings.UseTransaction;
bool& BarcodeReaderEnabled = g_programSettings.BarcodeReaderEnabled;
bool& FiscalPrinterEnabled = g_programSettings.FiscalPrinterEnabled;
bool& BalanceEnabled = g_programSettings.BalanceEnabled;
bool& UseDateSelection = g_programSettings.UseDateSelection;
bool& Use_PrezzoAcquistoListino = g_programSettings.Use_PrezzoAcquistoListino;
bool& Use_PagamentoForniture = g_programSettings.Use_PagamentoForniture;
QString& Default_UnitaMisura = g_programSettings.Default_UnitaMisura;
QString& Default_CodiceIVA = g_programSettings.Default_CodiceIVA;
int& ProgrLen_ClientiForn = g_programSettings.ProgrLen_ClientiForn;
bool& Use_Ricevute = g_programSettings.Use_Ricevute;
bool& Use_Fattura = g_programSettings.Use_Fattura;
QString& NCopyRicevute = g_programSettings.NCopyRicevute;
double& ImportoMaxArticolo = g_programSettings.ImportoMaxArticolo;
double& ImportoPunto = g_programSettings.ImportoPunto;
double& ImportoPuntoPremio = g_programSettings.ImportoPuntoPremio;
double& PuntiMinPremio = g_programSettings.PuntiMinPremio;
bool& Use_PuntiPremio = g_programSettings.Use_PuntiPremio;
bool& Use_Badge = g_programSettings.Use_Badge;
QString& BackupDir = g_programSettings.BackupDir;
bool& BackupFuncSaveEnabled = g_programSettings.BackupFuncSaveEnabled;
bool& BackupFuncRestoreEnabled = g_programSettings.BackupFuncRestoreEnabled;
int32_t& BkpSaveNotify = g_programSettings.BkpSaveNotify;
bool& BackupFuncEnableDelete = g_programSettings.BackupFuncEnableDelete;
bool& AutoSaveOnExit = g_programSettings.AutoSaveOnExit;
bool& CurrencyConversion = g_programSettings.CurrencyConversion;
double& ValoreArrotondamento = g_programSettings.ValoreArrotondamento;
bool& ArrotondaInEccesso = g_programSettings.ArrotondaInEccesso;
bool& UseRoundRanges = g_programSettings.UseRoundRanges;
int& BalanceCOMPortNumber = g_programSettings.BalanceCOMPortNumber;
QString& BalanceCOMPortParam = g_programSettings.BalanceCOMPortParam;
QDate& DBStarted = g_programSettings.DBStarted;
LabelPrinterSettings& LabelPrinterParam = g_programSettings.LabelPrinterParam;
TicketPrinterSettings& TicketPrinterParam = g_programSettings.TicketPrinterParam;
BarcodeReaderSettings& BarcodeReaderParam = g_programSettings.BarcodeReaderParam;
FiscalPrinterSettings& FiscalPrinterParam = g_programSettings.FiscalPrinterParam;
int32_t& DefaultDepartment = g_programSettings.DefaultDepartment;
MagneticDevSettings& MagneticDevParam = g_programSettings.MagneticDevParam;
