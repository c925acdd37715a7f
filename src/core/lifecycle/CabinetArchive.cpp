// libgcab pulls in GLib, whose headers use names Qt turns into keywords: include it first.
#include <libgcab.h>

#include "CabinetArchive.h"
#include "base/AppError.h"
#include "base/FileOps.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <memory>

namespace {

const QString kSource = QStringLiteral("Cabinet");

template <typename T> struct GUnref {
    void operator()(T* p) const
    {
        if (p) g_object_unref(p);
    }
};
template <typename T> using GPtr = std::unique_ptr<T, GUnref<T>>;

struct ErrorHolder {
    GError* error = nullptr;
    ~ErrorHolder()
    {
        if (error) g_error_free(error);
    }
    QString text() const { return error ? QString::fromUtf8(error->message) : QString(); }
};

[[noreturn]] void fail(const QString& text) { throw AppError(AppError::kFileNotFound, kSource, text); }

// Entries of a loaded cabinet, in stored order.
template <typename F> void forEachFile(GCabCabinet* cab, F f)
{
    GPtrArray* folders = gcab_cabinet_get_folders(cab);
    for (guint i = 0; folders && i < folders->len; ++i) {
        // The list is a copy made for the caller (the files stay the folder's): two lists
        // lost on every package read.
        std::unique_ptr<GSList, decltype(&g_slist_free)> files(
            gcab_folder_get_files(GCAB_FOLDER(g_ptr_array_index(folders, i))), &g_slist_free);
        for (GSList* l = files.get(); l; l = l->next) f(GCAB_FILE(l->data));
    }
}

}   // namespace

bool CabinetArchive::isSafeEntryName(const QString& name)
{
    if (name.isEmpty()) return false;
    QString n = name;
    n.replace(u'\\', u'/');
    if (n.startsWith(u'/')) return false;
    if (n.size() >= 2 && n[1] == u':') return false;   // a drive
    for (const QString& part : n.split(u'/')) {
        if (part == QStringLiteral("..")) return false;
    }
    // "." and "./." name the folder itself, not a file in it.
    return !n.endsWith(u'/') && QDir::cleanPath(n) != QStringLiteral(".");
}

QList<CabinetArchive::Entry> CabinetArchive::read(const QString& cabinetPath)
{
    ErrorHolder err;
    GPtr<GFile> file(g_file_new_for_path(QFile::encodeName(cabinetPath).constData()));
    GPtr<GFileInputStream> stream(g_file_read(file.get(), nullptr, &err.error));
    if (!stream) fail(QStringLiteral("Impossibile leggere ") + cabinetPath + QStringLiteral(": ") + err.text());
    GPtr<GCabCabinet> cab(gcab_cabinet_new());
    if (!gcab_cabinet_load(cab.get(), G_INPUT_STREAM(stream.get()), nullptr, &err.error))
        fail(QStringLiteral("Archivio CAB non valido ") + cabinetPath + QStringLiteral(": ") + err.text());

    qint64 total = 0;
    forEachFile(cab.get(), [&](GCabFile* f) { total += gcab_file_get_size(f); });
    if (total > kMaxUnpackedBytes) fail(QStringLiteral("Archivio CAB troppo grande: ") + cabinetPath);

    // A null target unpacks into memory; the bytes are then taken from each entry.
    if (!gcab_cabinet_extract_simple(cab.get(), nullptr, nullptr, nullptr, nullptr, &err.error))
        fail(QStringLiteral("Estrazione non riuscita da ") + cabinetPath + QStringLiteral(": ") + err.text());

    QList<Entry> out;
    forEachFile(cab.get(), [&](GCabFile* f) {
        Entry e;
        e.name = QString::fromUtf8(gcab_file_get_name(f));
        if (GBytes* b = gcab_file_get_bytes(f)) {
            gsize size = 0;
            const auto* data = static_cast<const char*>(g_bytes_get_data(b, &size));
            e.data = QByteArray(data, qsizetype(size));
        }
        e.executable = (gcab_file_get_attributes(f) & GCAB_FILE_ATTRIBUTE_EXEC) != 0;
        out.append(e);
    });
    return out;
}

QStringList CabinetArchive::names(const QString& cabinetPath)
{
    QStringList out;
    for (const Entry& e : read(cabinetPath)) out << e.name;
    return out;
}

QStringList CabinetArchive::extract(const QString& cabinetPath, const QString& folder)
{
    const QList<Entry> entries = read(cabinetPath);
    const auto refuse = [&](const Entry& e) {
        fail(QStringLiteral("Voce non ammessa nell'archivio ") + cabinetPath + QStringLiteral(": ") + e.name);
    };
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    QStringList targets;
    for (const Entry& e : entries) {
        if (!isSafeEntryName(e.name)) refuse(e);
        QString relative = e.name;
        relative.replace(u'\\', u'/');
        const QString target = QDir::cleanPath(root + u'/' + relative);
        if (!target.startsWith(root + u'/')) refuse(e);
        targets << target;
    }
    // Every target is checked before the first write, so a package that cannot be unpacked
    // whole leaves nothing: an entry that is the folder of another (or an existing folder)
    // would fail half-way, and a link already in the folder could lead outside it.
    const QSet<QString> files(targets.begin(), targets.end());
    for (qsizetype i = 0; i < targets.size(); ++i) {
        const QString& target = targets.at(i);
        if (QFileInfo(target).isDir()) refuse(entries.at(i));
        for (qsizetype slash = target.indexOf(u'/', root.size() + 1); slash > 0;
             slash = target.indexOf(u'/', slash + 1)) {
            const QString above = target.left(slash);
            const QFileInfo info(above);
            if (files.contains(above) || info.isSymLink() || (info.exists() && !info.isDir())) refuse(entries.at(i));
        }
    }

    if (!fileOps().mkpath(folder)) fail(fileOps().lastError());
    QStringList written;
    const auto undo = [&](const QString& error) {
        for (const QString& path : written) fileOps().remove(path);
        fail(error);
    };
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Entry& e = entries.at(i);
        const QString& target = targets.at(i);
        const QString parent = target.left(target.lastIndexOf(u'/'));
        if (!fileOps().mkpath(parent)) undo(fileOps().lastError());
        if (!fileOps().writeFile(target, e.data))
            undo(QStringLiteral("Impossibile scrivere ") + target + QStringLiteral(": ") + fileOps().lastError());
        if (e.executable) QFile::setPermissions(target, QFile::permissions(target) | QFile::ExeOwner);
        written << target;
    }
    return written;
}

void CabinetArchive::write(const QString& cabinetPath, const QList<Entry>& entries)
{
    ErrorHolder err;
    GPtr<GCabCabinet> cab(gcab_cabinet_new());
    GPtr<GCabFolder> folder(gcab_folder_new(GCAB_COMPRESSION_MSZIP));
    for (const Entry& e : entries) {
        GBytes* bytes = g_bytes_new(e.data.constData(), gsize(e.data.size()));
        GPtr<GCabFile> file(gcab_file_new_with_bytes(e.name.toUtf8().constData(), bytes));
        g_bytes_unref(bytes);
        if (e.executable) gcab_file_set_attributes(file.get(), GCAB_FILE_ATTRIBUTE_EXEC);
        if (!gcab_folder_add_file(folder.get(), file.get(), FALSE, nullptr, &err.error))
            fail(QStringLiteral("Impossibile aggiungere ") + e.name + QStringLiteral(": ") + err.text());
    }
    if (!gcab_cabinet_add_folder(cab.get(), folder.get(), &err.error)) fail(err.text());
    GPtr<GFile> file(g_file_new_for_path(QFile::encodeName(cabinetPath).constData()));
    GPtr<GFileOutputStream> stream(g_file_replace(file.get(), nullptr, FALSE, G_FILE_CREATE_NONE, nullptr, &err.error));
    if (!stream) fail(QStringLiteral("Impossibile scrivere ") + cabinetPath + QStringLiteral(": ") + err.text());
    const bool ok
        = gcab_cabinet_write_simple(cab.get(), G_OUTPUT_STREAM(stream.get()), nullptr, nullptr, nullptr, &err.error);
    g_output_stream_close(G_OUTPUT_STREAM(stream.get()), nullptr, nullptr);
    if (!ok) fail(QStringLiteral("Impossibile scrivere ") + cabinetPath + QStringLiteral(": ") + err.text());
}
