#include "FileOps.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <unistd.h>

QString SystemErrorText(int error, const QString& fallback)
{
    switch (error) {
    case ENOSPC: return QStringLiteral("spazio su disco esaurito");
    case EDQUOT: return QStringLiteral("quota disco superata");
    case EFBIG: return QStringLiteral("file troppo grande per il limite consentito");
    case EACCES:
    case EPERM: return QStringLiteral("permesso negato");
    case EROFS: return QStringLiteral("file system in sola lettura");
    case EIO: return QStringLiteral("errore di lettura o scrittura sul disco");
    case ENOENT: return QStringLiteral("file o cartella inesistente");
    case EISDIR: return QStringLiteral("è una cartella");
    default: return fallback.isEmpty() ? QStringLiteral("scrittura non riuscita") : fallback;
    }
}

namespace {
QString systemReason(int error, const QString& fallback) { return SystemErrorText(error, fallback); }

// Writes every byte or tells why not.
bool writeAll(QFileDevice& f, const QByteArray& data, QString* error)
{
    errno = 0;
    const qint64 written = f.write(data);
    if (written == data.size()) return true;
    // A short write with no error of its own: the next write would tell (full disk, size limit).
    const int why = errno;
    *error = systemReason(why, written < 0 ? f.errorString() : QString());
    return false;
}

// The system reads a path only up to a NUL: such a path names another file and is refused.
bool refused(const QString& path, QString& error)
{
    if (!path.contains(QChar(0))) return false;
    error = QStringLiteral("Nome di file non valido (contiene un carattere nullo)");
    return true;
}
}

bool FileOps::exists(const QString& path) const
{
    return !path.isEmpty() && !path.contains(QChar(0)) && QFileInfo::exists(path);
}
bool FileOps::isDir(const QString& path) const { return !path.isEmpty() && QFileInfo(path).isDir(); }
bool FileOps::isWritable(const QString& path) const
{
    return !path.isEmpty() && !path.contains(QChar(0)) && ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

bool FileOps::copy(const QString& from, const QString& to)
{
    if (refused(from, m_lastError) || refused(to, m_lastError)) return false;
    if (QFile::exists(to) && !QFile::remove(to)) {
        m_lastError = QStringLiteral("Impossibile sostituire ") + to;
        return false;
    }
    QFile src(from);
    if (!src.copy(to)) {
        m_lastError = src.errorString();
        return false;
    }
    return true;
}

bool FileOps::rename(const QString& from, const QString& to)
{
    if (refused(from, m_lastError) || refused(to, m_lastError)) return false;
    // One step on the same file system: `to` is never missing, even for a moment.
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0) return true;
    if (errno != EXDEV) {
        m_lastError = systemReason(errno, QString());
        return false;
    }
    if (QFile::exists(to) && !QFile::remove(to)) {
        m_lastError = QStringLiteral("Impossibile sostituire ") + to;
        return false;
    }
    QFile src(from);
    if (!src.rename(to)) {
        m_lastError = src.errorString();
        return false;
    }
    return true;
}

bool FileOps::remove(const QString& path)
{
    if (refused(path, m_lastError)) return false;
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return true;
    QFile f(path);
    if (!f.remove()) {
        m_lastError = f.errorString();
        return false;
    }
    return true;
}

bool FileOps::mkpath(const QString& dir)
{
    if (refused(dir, m_lastError)) return false;
    if (!QDir().mkpath(dir)) {
        m_lastError = QStringLiteral("Impossibile creare ") + dir;
        return false;
    }
    return true;
}

bool FileOps::writeFile(const QString& path, const QByteArray& data)
{
    if (refused(path, m_lastError)) return false;
    const QFileInfo target(path);
    if (target.isDir()) {
        m_lastError = systemReason(EISDIR, QString());
        return false;
    }
    if (target.exists() && !target.isFile()) {
        // A device or a pipe (/dev/null, a printer's FIFO) is written where it is: a new file
        // renamed over it would take its place.
        QFile f(path);
        errno = 0;
        if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            m_lastError = systemReason(errno, f.errorString());
            return false;
        }
        if (!writeAll(f, data, &m_lastError)) return false;
        f.close();
        return true;
    }
    QSaveFile f(path);
    // Unbuffered: every write reaches the file now, so a short one is seen here and not lost
    // in a flush that nobody checks.
    errno = 0;
    if (!f.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_lastError = systemReason(errno, f.errorString());
        return false;
    }
    if (!writeAll(f, data, &m_lastError)) {
        f.cancelWriting();
        return false;
    }
    errno = 0;
    if (!f.commit()) {
        m_lastError = systemReason(errno, f.errorString());
        return false;
    }
    return true;
}

QByteArray FileOps::readFile(const QString& path, bool* ok) const
{
    if (refused(path, m_lastError)) {
        if (ok) *ok = false;
        return {};
    }
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        m_lastError = f.errorString();
        if (ok) *ok = false;
        return {};
    }
    if (ok) *ok = true;
    return f.readAll();
}

QString FileOps::canonical(const QString& path) const
{
    QFileInfo fi(path);
    QString c = fi.canonicalFilePath();
    if (!c.isEmpty()) return c;
    QString dir = QFileInfo(fi.absolutePath()).canonicalFilePath();
    if (dir.isEmpty()) return QDir::cleanPath(fi.absoluteFilePath());
    return dir + u'/' + fi.fileName();
}

namespace {
std::shared_ptr<FileOps>& current()
{
    static std::shared_ptr<FileOps> f = std::make_shared<FileOps>();
    return f;
}
}
FileOps& fileOps() { return *current(); }
void setFileOps(std::shared_ptr<FileOps> f) { current() = f ? std::move(f) : std::make_shared<FileOps>(); }
