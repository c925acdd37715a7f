// Update packages unpacked into a folder. The first byte chooses what the rest is: the bytes
// of a cabinet file as they come, or entries (hostile names, data, the run attribute) that
// the target packs into a well-formed cabinet first, so the names reach the extraction even
// when random bytes rarely make a valid cabinet. After each input nothing exists outside the
// extraction folder that was not there before, nothing inside it is a link, and a refused
// package left no file behind.
#include "FuzzSupport.h"

#include "base/AppError.h"
#include "core/lifecycle/CabinetArchive.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cstdint>

namespace {

struct Zone {
    QString root;   // everything the target may see changed
    QString cabinet;   // the package read
    QString folder;   // where it is unpacked
    QSet<QString> known;   // what the zone held before any input
};

QSet<QString> everythingUnder(const QString& dir)
{
    QSet<QString> out;
    QDirIterator it(dir, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out.insert(it.next());
    return out;
}

Zone& zone()
{
    static Zone* z = [] {
        fuzzsupport::application("fuzz_cabinet");
        auto* zone = new Zone;
        zone->root = fuzzsupport::scratchRoot() + QStringLiteral("/zone");
        QDir().mkpath(zone->root + QStringLiteral("/update"));
        QDir().mkpath(zone->root + QStringLiteral("/beside"));
        QFile keep(zone->root + QStringLiteral("/beside/keep.txt"));
        if (!keep.open(QIODevice::WriteOnly) || keep.write("keep") != 4) std::abort();
        zone->cabinet = fuzzsupport::scratchRoot() + QStringLiteral("/package.cab");
        zone->folder = zone->root + QStringLiteral("/update/out");
        zone->known = everythingUnder(zone->root);
        return zone;
    }();
    return *z;
}

// Names built from the pieces that make paths dangerous, or taken as they come.
QString hostileName(FuzzedDataProvider& in)
{
    if (in.ConsumeBool()) return QString::fromStdString(in.ConsumeRandomLengthString(48));
    static const char* const pieces[]
        = {"..",  ".",   "",         "a", "B",      "SETUP.EXE", "C:", "c:x", "~",      "a b",
           "...", "..a", "\xc3\xa9", " ", "%2e%2e", "\\",        "/",  "//",  "\\\\?\\"};
    static const char* const separators[] = {"\\", "/", "\\/", ""};
    QString name;
    const int parts = in.ConsumeIntegralInRange<int>(1, 6);
    for (int n = 0; n < parts; ++n) {
        if (n > 0)
            name += QString::fromUtf8(separators[in.ConsumeIntegralInRange<size_t>(0, std::size(separators) - 1)]);
        name += QString::fromUtf8(pieces[in.ConsumeIntegralInRange<size_t>(0, std::size(pieces) - 1)]);
    }
    return name;
}

// The bytes of the package to read; false when the entries could not even be packed.
bool writePackage(const uint8_t* data, size_t size)
{
    QByteArray bytes;
    if (size > 0 && (data[0] & 1) == 0) {
        bytes = QByteArray(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    } else {
        FuzzedDataProvider in(size > 0 ? data + 1 : data, size > 0 ? size - 1 : 0);
        QList<CabinetArchive::Entry> entries;
        const int count = in.ConsumeIntegralInRange<int>(1, 5);
        for (int n = 0; n < count; ++n) {
            CabinetArchive::Entry e;
            e.name = hostileName(in);
            e.executable = in.ConsumeBool();
            e.data = QByteArray::fromStdString(in.ConsumeRandomLengthString(32));
            entries << e;
        }
        try {
            CabinetArchive::write(zone().cabinet, entries);
        } catch (const AppError&) {
            return false;
        }
        return true;
    }
    QFile f(zone().cabinet);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) std::abort();
    return true;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Zone& z = zone();
    if (!writePackage(data, size)) return 0;

    QStringList written;
    bool refused = false;
    QString why;
    try {
        written = CabinetArchive::extract(z.cabinet, z.folder);
    } catch (const AppError& e) {
        refused = true;
        why = e.description;
    }

    const QString inside = z.folder + u'/';
    for (const QString& path : everythingUnder(z.root)) {
        if (z.known.contains(path) || path == z.folder) continue;
        if (!path.startsWith(inside)) fuzzsupport::broken(QStringLiteral("written outside the folder: ") + path);
        const QFileInfo info(path);
        if (info.isSymLink()) fuzzsupport::broken(QStringLiteral("a link unpacked: ") + path);
        if (refused && info.isFile())
            fuzzsupport::broken(QStringLiteral("a refused package left ") + path + QStringLiteral(" (") + why + u')');
    }
    QFile keep(z.root + QStringLiteral("/beside/keep.txt"));
    if (!keep.open(QIODevice::ReadOnly) || keep.readAll() != "keep")
        fuzzsupport::broken(QStringLiteral("a file beside the folder was overwritten"));
    for (const QString& path : written)
        if (!path.startsWith(inside) || !QFileInfo(path).isFile())
            fuzzsupport::broken(QStringLiteral("reported as written: ") + path);
    if (QFileInfo::exists(z.folder) && !QDir(z.folder).removeRecursively()) std::abort();
    return 0;
}
