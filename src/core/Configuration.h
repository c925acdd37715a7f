#pragma once
// The program's configuration: one global per setting, named after its key, loaded from
// the per-user settings store at start-up and written back as a whole.
//
// Integer settings are whole numbers from -32768 to 32767, Long settings 32-bit ones: the
// ranges the options dialog and the settings exchange files accept and name to the user,
// so whatever the store holds can be shown, edited and exported back unchanged. A stored
// value that cannot be read or does not fit takes the setting's default, so a damaged store
// never stops the start.
#include "Currency.h"
#include "Settings.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <QList>
#include <cstdint>
#include <optional>

// ---- The former globals, references into the program's own settings -------------------
// ---- Section "Configuration" --------------------------------------------------------
extern QString& RootDir;                    // folder of the database files
extern int32_t& AccessMode;                 // access mode handed to the database engine
extern QString& MaintenanceDir;             // folder of the maintenance copies (never saved here)
extern bool& MaintenanceMode;               // open the maintenance file instead of the working one
extern bool& UseTransaction;                // handed to the database engine
extern bool& BarcodeReaderEnabled;
extern bool& FiscalPrinterEnabled;
extern bool& BalanceEnabled;
extern bool& UseDateSelection;              // changed in memory only, never saved
extern bool& Use_PrezzoAcquistoListino;
extern bool& Use_PagamentoForniture;
extern QString& Default_UnitaMisura;
extern QString& Default_CodiceIVA;
extern int& ProgrLen_ClientiForn;           // Integer (16-bit range); 0 = codes typed by hand
extern bool& Use_Ricevute;
extern bool& Use_Fattura;                   // older key, read only when Use_Ricevute is missing
extern QString& NCopyRicevute;              // text, turned into a number where used
extern double& ImportoMaxArticolo;
extern double& ImportoPunto;
extern double& ImportoPuntoPremio;
extern double& PuntiMinPremio;
extern bool& Use_PuntiPremio;
extern bool& Use_Badge;
extern QString& BackupDir;
extern bool& BackupFuncSaveEnabled;
extern bool& BackupFuncRestoreEnabled;
extern int32_t& BkpSaveNotify;              // 0 never, 1 daily, 2 weekly, 3 monthly
extern bool& BackupFuncEnableDelete;
extern bool& AutoSaveOnExit;
extern bool& CurrencyConversion;            // amounts shown converted in the main window
extern double& ValoreArrotondamento;
extern bool& ArrotondaInEccesso;
extern bool& UseRoundRanges;

// ---- Section "BalanceParam" (the scale) ---------------------------------------------
extern int& BalanceCOMPortNumber;           // key "COMPortNumber", Integer
extern QString& BalanceCOMPortParam;        // key "COMPortParam"

// ---- Section "Info" ------------------------------------------------------------------
extern QDate& DBStarted;

extern LabelPrinterSettings& LabelPrinterParam;
extern TicketPrinterSettings& TicketPrinterParam;

// ---- Program-wide state ----------------------------------------------------------------
// Set by the main window while it works on the backup database (RootDir and BackupDir are
// then swapped in memory): nothing is saved meanwhile.
extern bool g_bBackupArchiveMode;
// Open mode handed to every database engine that opens a file.
extern int32_t g_nDBOpenMode;
// Title of the program's message boxes.
extern QString g_strMsgTitle;

// The application name of the settings store and the program's title.
inline constexpr const char* kAppTitle = "Mirtavolia";

// Fills every setting from the store (defaults for missing or unreadable values), then
// the rounding ranges and the device sections.
void LoadConfiguration();
// Writes every saved setting back; nothing while g_bBackupArchiveMode is on. Errors of the
// store reach the caller.
void SaveConfiguration();
// Lenient Boolean of the settings store: "FALSE", "FALSO", "NO", "0" (trimmed, any case)
// are False, everything else (the empty text included) True.
bool StrToBool(const QString& text);

// ---- Text forms of the store, shared with the device sections ---------------------------
namespace config {
// A Boolean brought in from outside (an imported file): "True", "False", "Vero", "Falso",
// "Sì" ("Si"), "No", "Yes", "1", "-1", "0" (trimmed, any case). The store itself is read
// leniently (StrToBool), so any other text would silently be True: it is none.
std::optional<bool> ReadBoolean(const QString& text);
// Whether `value` is a value of the type of setting `section`/`key` (any case): none when it
// is, else what it must be, in words ("True o False", "un numero intero da 0 a 32767",
// "un numero", "un importo"). Text settings, and keys the program does not know, take any.
std::optional<QString> ValueExpected(const QString& section, const QString& key, const QString& value);
// The leading number of a text, as the classic Val reads it: blanks skipped, optional sign,
// digits, an optional "." fraction and exponent; a text without one gives 0.
double LeadingNumber(const QString& text);
// Leading number rounded half to even into [lo, hi]; `def` when it does not fit.
int64_t ReadWhole(const QString& text, int64_t lo, int64_t hi, int64_t def);
// A decimal written in the C form ("32.5") or in the regional or Italian form ("32,5");
// empty optional when none reads it or it is not finite.
std::optional<double> ReadDecimal(const QString& text);
std::optional<QDate> ReadDate(const QString& text);
// An amount in the same forms, read exactly (no pass through a double).
std::optional<Currency> ReadAmount(const QString& text);
// Locale-independent forms written back to the store.
QString WriteDouble(double v);
QString WriteFloat(float v);
QString WriteDate(const QDate& d);
inline QString WriteBool(bool b) { return b ? QStringLiteral("True") : QStringLiteral("False"); }

// One setting of the table, in load order, as `mvtool config-dump` shows it.
struct SettingLine {
    QString section;
    QString key;
    QString value;   // the text SaveConfiguration would write
    bool saved;      // written by SaveConfiguration
};
QList<SettingLine> CurrentSettings();
}
