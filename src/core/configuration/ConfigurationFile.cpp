#include "ConfigurationFile.h"
#include "base/AppError.h"
#include "Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "base/FileOps.h"
#include "base/SettingsStore.h"
#include "core/helpers/SystemHelpers.h"
#include <QStringDecoder>

namespace configfile {
namespace {
constexpr int32_t kInvalidArgument = AppError::kInvalidCall;
constexpr int32_t kPathFileAccessError = 75;

QString section() { return QString::fromLatin1(kSection); }

QString decode(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

QStringList splitLines(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\r', u'\n');
    QStringList lines = t.split(u'\n');
    // The line end of the last line does not open another one.
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}
}

QByteArray ExportText(const SettingsStore& store)
{
    QByteArray out;
    for (const QString& key : store.keys(section())) {
        out += (key + u'=' + store.get(section(), key, QString())).toUtf8();
        out += "\r\n";
    }
    return out;
}

QList<Entry> ParseImportText(const QByteArray& content)
{
    QList<Entry> entries;
    const QStringList lines = splitLines(decode(content));
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString& line = lines.at(n);
        const qsizetype p = line.indexOf(u'=');
        if (line.isEmpty() || p == line.size() - 1) continue;
        if (p <= 0) {
            throw AppError(kInvalidArgument, AppTitle(),
                           QStringLiteral("Riga %1 non valida: \"%2\"").arg(n + 1).arg(line));
        }
        const QString key = line.left(p);
        const QString value = line.mid(p + 1);
        // A NUL would cut a folder's name where the system reads it: another folder.
        if (line.contains(QChar(0)))
            throw AppError(kInvalidArgument, AppTitle(),
                           QStringLiteral("Riga %1 non valida: contiene un carattere nullo").arg(n + 1));
        if (value.contains(u'='))
            throw AppError(kInvalidArgument, AppTitle(),
                           QStringLiteral("Una variabile contiene il carattere =, non è possibile continuare"));
        // A separator in a key would write into another section of the store. The store's file
        // reads a key without the blanks around it (a Latin-1 0x85 among them) or a byte-order
        // mark before it, and one that begins with ";", "#" or "[" as a comment or a section:
        // it would come back as another.
        if (key.contains(u'/') || key.contains(u'\\') || key != key.trimmed() || key.startsWith(QChar(0xFEFF))
            || key.startsWith(u';') || key.startsWith(u'#') || key.startsWith(u'['))
            throw AppError(kInvalidArgument, AppTitle(),
                           QStringLiteral("Riga %1 non valida: \"%2\"").arg(n + 1).arg(line));
        // A value of another type would be read as something else (a Boolean that is no
        // Boolean reads as True): refused as a line that cannot be read.
        if (const std::optional<QString> expected = config::ValueExpected(section(), key, value))
            throw AppError(kInvalidArgument, AppTitle(),
                           QStringLiteral("Riga %1 non valida: \"%2\" (il valore di <%3> deve essere %4)")
                               .arg(n + 1)
                               .arg(line, key, *expected));
        entries << Entry {key, value};
    }
    return entries;
}

void WriteConfigurationFile(const QString& path)
{
    if (!fileOps().writeFile(path, ExportText(settingsStore())))
        throw AppError(kPathFileAccessError, AppTitle(),
                       QStringLiteral("Impossibile scrivere il file < %1 >: %2").arg(path, fileOps().lastError()));
}

OpeningSettings OpeningSettings::current()
{
    OpeningSettings s;
    s.rootDir = settings().RootDir;
    s.maintenanceMode = settings().MaintenanceMode;
    s.useRicevute = settings().Use_Ricevute;
    s.usePrezzoAcquistoListino = settings().Use_PrezzoAcquistoListino;
    s.usePagamentoForniture = settings().Use_PagamentoForniture;
    s.useBadge = settings().Use_Badge;
    s.usePuntiPremio = settings().Use_PuntiPremio;
    return s;
}

bool OpeningSettings::needsRelease(const OpeningSettings& a) const
{
    return !SameFolder(rootDir, a.rootDir) || maintenanceMode != a.maintenanceMode || useRicevute != a.useRicevute
        || usePrezzoAcquistoListino != a.usePrezzoAcquistoListino || usePagamentoForniture != a.usePagamentoForniture
        || useBadge != a.useBadge || usePuntiPremio != a.usePuntiPremio;
}

QString BackupModeRefusal()
{
    return QStringLiteral("Non è possibile importare la configurazione mentre è in uso l'archivio di Backup.");
}

int ImportConfigurationFile(const QString& path)
{
    // While the backup archive is in use the folders are swapped in memory; reloading the
    // configuration would silently point the program back at the working database.
    if (g_bBackupArchiveMode) throw AppError(kInvalidArgument, AppTitle(), BackupModeRefusal());
    bool ok = false;
    const QByteArray content = fileOps().readFile(path, &ok);
    if (!ok) throw AppError(AppError::kFileNotFound, AppTitle(), fileOps().lastError());
    const QList<Entry> entries = ParseImportText(content);

    const OpeningSettings before = OpeningSettings::current();
    SettingsStore& store = settingsStore();
    for (const Entry& e : entries) store.set(section(), e.key, e.value);
    store.sync();
    LoadConfiguration();
    if (before.needsRelease(OpeningSettings::current())) ReleaseDatabase();
    ApplyDatabaseSettings();
    return int(entries.size());
}
}
