#pragma once
// The configuration exchange file: the settings of section "Configuration" as plain text,
// one "key=value" line each, CR LF line ends, no header. An import is checked whole before
// anything is written, so a bad line changes nothing.
#include <QByteArray>
#include <QList>
#include <QString>

class SettingsStore;

namespace configfile {
inline constexpr const char* kSection = "Configuration";

// The file's text for every key of the section, in the store's order, with its stored value.
QByteArray ExportText(const SettingsStore& store);

struct Entry {
    QString key;
    QString value;
};
// The settings an import would write. An empty line, and a line whose only "=" ends it
// (an empty value), are skipped. Raises AppError for a line without "=" or without a key,
// for a value holding "=" ("Una variabile contiene il carattere =, non è possibile
// continuare") and for a value of the wrong type for its setting (config::ValueExpected).
// Text is read as UTF-8, or as Latin-1 when it is not valid UTF-8.
QList<Entry> ParseImportText(const QByteArray& content);

// Writes the exchange file (replacing one); raises AppError on failure.
void WriteConfigurationFile(const QString& path);

// The settings whose change means the database must be opened again: where it lies, the
// maintenance mode and the five feature switches that shape the table declarations.
struct OpeningSettings {
    QString rootDir;
    bool maintenanceMode = false;
    bool useRicevute = false;
    bool usePrezzoAcquistoListino = false;
    bool usePagamentoForniture = false;
    bool useBadge = false;
    bool usePuntiPremio = false;

    static OpeningSettings current();   // from the settings in force
    // True when `after` differs in any of them (the folder compared without case).
    bool needsRelease(const OpeningSettings& after) const;
};

// Import as the program runs it: refused (AppError) while the backup archive is in use;
// otherwise the whole file is read and checked (AppError and nothing written on a fault),
// written to the store, the configuration reloaded, the database released when an
// opening setting changed and the engine settings handed over. Returns the number of
// settings written.
int ImportConfigurationFile(const QString& path);

// Message shown when an import is attempted while the backup archive is in use.
QString BackupModeRefusal();
}
