#pragma once
// Cabinet files (the update packages) read and written through libgcab. An entry whose name
// is absolute, carries a drive or climbs out with ".." is never written: the whole package
// is refused before anything lands on disk.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class CabinetArchive {
public:
    struct Entry {
        QString name;   // as stored, folders separated by "\"
        QByteArray data;
        bool executable = false;   // the cabinet's "run after extraction" attribute
    };

    // The largest unpacked size accepted, so a forged size cannot exhaust memory.
    static constexpr qint64 kMaxUnpackedBytes = qint64(1) << 30;

    // Every entry with its data. Raises AppError when the file is no readable cabinet.
    static QList<Entry> read(const QString& cabinetPath);
    // The entry names alone.
    static QStringList names(const QString& cabinetPath);
    // Unpacks into `folder` (created when missing) and returns the written paths. Raises
    // AppError naming the first unsafe entry, or the first that cannot be written beside the
    // others (a file that is also another entry's folder), with nothing written.
    static QStringList extract(const QString& cabinetPath, const QString& folder);
    // Writes a cabinet of the entries (compressed); raises AppError on failure.
    static void write(const QString& cabinetPath, const QList<Entry>& entries);

    // A relative name without "..", drive or leading separator ("\" and "/" both separate).
    static bool isSafeEntryName(const QString& name);
};
