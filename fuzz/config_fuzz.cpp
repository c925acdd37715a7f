// Configuration exchange files imported into the program's settings store (the INI store the
// program uses, on a file of its own). A file the import refuses changes nothing: neither the
// store as the program sees it nor the file on disk. A file it takes is stored as read: each
// key reads back with its value, also from a fresh store on a copy of the file, as the next
// start of the program would read it.
#include "FuzzSupport.h"

#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/configuration/ConfigurationFile.h"
#include "base/SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <cstdint>
#include <memory>

namespace {

const QString kSection = QString::fromLatin1(configfile::kSection);
// Other sections the store holds; an import must never reach them.
const QStringList kOtherSections
    = {QStringLiteral("Devices"), QStringLiteral("FiscalPrinter"), QStringLiteral("Barcode")};

QStringList allSections() { return QStringList(kOtherSections) << kSection; }

struct Fixture {
    QString root;
    QString iniPath;
    QString importPath;
    std::shared_ptr<IniSettingsStore> store;
};

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The settings of every section the fixture knows, as the program reads them.
QMap<QString, QString> snapshot(const SettingsStore& store)
{
    QMap<QString, QString> out;
    for (const QString& section : allSections())
        for (const QString& key : store.keys(section))
            out.insert(section + u'/' + key, store.get(section, key, QString()));
    return out;
}

// The store as the fixture left it: a few settings of the section and of the others.
void resetStore(SettingsStore& store)
{
    for (const QString& section : allSections())
        for (const QString& key : store.keys(section)) store.remove(section, key);
    store.set(kSection, QStringLiteral("RootDir"), fuzzsupport::scratchRoot() + QStringLiteral("/data"));
    store.set(kSection, QStringLiteral("AccessMode"), QStringLiteral("0"));
    store.set(kSection, QStringLiteral("Use_Ricevute"), QStringLiteral("False"));
    store.set(kSection, QStringLiteral("ImportoMaxArticolo"), QStringLiteral("1000"));
    store.set(kSection, QStringLiteral("Intestazione"), QStringLiteral("Bar, tabacchi; \"Da Gino\""));
    store.set(QStringLiteral("Devices"), QStringLiteral("COM1"), QStringLiteral("/dev/ttyS0"));
    store.set(QStringLiteral("FiscalPrinter"), QStringLiteral("Model"), QStringLiteral("0"));
    store.set(QStringLiteral("Barcode"), QStringLiteral("Enabled"), QStringLiteral("True"));
    store.sync();
}

Fixture& fixture()
{
    static Fixture* f = [] {
        fuzzsupport::application("fuzz_config");
        auto* fx = new Fixture;
        fx->root = fuzzsupport::scratchRoot();
        fx->iniPath = fx->root + QStringLiteral("/config/Mirtavolia.ini");
        fx->importPath = fx->root + QStringLiteral("/import.txt");
        fx->store = std::make_shared<IniSettingsStore>(fx->iniPath);
        setSettingsStore(fx->store);
        resetStore(*fx->store);
        LoadConfiguration();
        return fx;
    }();
    return *f;
}

// The value each key of an import ends with: the last line naming it, keys without case.
QMap<QString, std::pair<QString, QString>> lastValues(const QList<configfile::Entry>& entries)
{
    QMap<QString, std::pair<QString, QString>> out;
    for (const configfile::Entry& e : entries) out.insert(e.key.toCaseFolded(), {e.key, e.value});
    return out;
}

void checkStored(const SettingsStore& store, const QList<configfile::Entry>& entries, const char* which)
{
    for (const auto& [key, value] : lastValues(entries)) {
        if (!store.contains(kSection, key))
            fuzzsupport::broken(QStringLiteral("%1: imported key \"%2\" missing").arg(QLatin1String(which), key));
        const QString stored = store.get(kSection, key, QString());
        if (stored != value)
            fuzzsupport::broken(QStringLiteral("%1: key \"%2\" imported as \"%3\" reads \"%4\"")
                                    .arg(QLatin1String(which), key, value, stored));
    }
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Fixture& fx = fixture();
    // A long-lived QSettings keeps a few bytes for every write it syncs; a store per input
    // keeps libFuzzer's leak check quiet and reads the file as it is on disk.
    fx.store = std::make_shared<IniSettingsStore>(fx.iniPath);
    setSettingsStore(fx.store);
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile f(fx.importPath);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size()) std::abort();
    }
    const QMap<QString, QString> before = snapshot(*fx.store);
    const QByteArray fileBefore = fileBytes(fx.iniPath);

    QList<configfile::Entry> entries;
    bool parsed = true;
    try {
        entries = configfile::ParseImportText(content);
    } catch (const AppError&) {
        parsed = false;
    }

    try {
        (void)configfile::ImportConfigurationFile(fx.importPath);
    } catch (const AppError& e) {
        if (parsed) fuzzsupport::broken(QStringLiteral("a file the parser takes failed to import: ") + e.description);
        if (snapshot(*fx.store) != before)
            fuzzsupport::broken(QStringLiteral("a refused file changed the settings store"));
        fx.store->sync();
        if (fileBytes(fx.iniPath) != fileBefore)
            fuzzsupport::broken(QStringLiteral("a refused file changed the settings file"));
        return 0;
    }
    if (!parsed) fuzzsupport::broken(QStringLiteral("a file the parser refuses was imported"));

    checkStored(*fx.store, entries, "store");
    // What the next start reads: a fresh store on a copy of the file (the same path would
    // share QSettings' cache).
    static int copies = 0;
    const QString copy = fx.root + QStringLiteral("/copy%1.ini").arg(++copies);
    if (!QFile::copy(fx.iniPath, copy)) std::abort();
    {
        IniSettingsStore fresh(copy);
        checkStored(fresh, entries, "file");
        const QMap<QString, QString> after = snapshot(fresh);
        for (auto it = before.begin(); it != before.end(); ++it)
            if (!it.key().startsWith(kSection + u'/') && after.value(it.key()) != it.value())
                fuzzsupport::broken(QStringLiteral("import reached ") + it.key());
        for (auto it = after.begin(); it != after.end(); ++it)
            if (!it.key().startsWith(kSection + u'/') && !before.contains(it.key()))
                fuzzsupport::broken(QStringLiteral("import wrote ") + it.key());
    }
    QFile::remove(copy);
    if (snapshot(*fx.store) != before) resetStore(*fx.store);
    return 0;
}
