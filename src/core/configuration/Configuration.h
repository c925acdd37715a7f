#pragma once
// The program's configuration: the settings object (Settings.h) loaded from the per-user
// settings store at start-up and written back as a whole.
//
// Integer settings are whole numbers from -32768 to 32767, Long settings 32-bit ones: the
// ranges the options dialog and the settings exchange files accept and name to the user,
// so whatever the store holds can be shown, edited and exported back unchanged. A stored
// value that cannot be read or does not fit takes the setting's default, so a damaged store
// never stops the start.
#include "base/Currency.h"
#include "Settings.h"
#include <QDate>
#include <QString>
#include <QStringList>
#include <QList>
#include <cstdint>
#include <optional>

// ---- Program-wide state ----------------------------------------------------------------
// Not settings: nothing loads or saves them, and they describe the running program (which file
// it works on, how it opens files, how its boxes are titled) rather than the user's choices,
// so they stay apart from the settings object and a ScopedSettings leaves them alone.
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
    bool saved;   // written by SaveConfiguration
};
QList<SettingLine> CurrentSettings();
}
