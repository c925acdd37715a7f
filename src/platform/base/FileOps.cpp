#include "FileOps.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <unistd.h>

namespace {
// The system reads a path only up to a NUL: such a path names another file and is refused.
bool refused(const QString& path, QString& error) {
    if (!path.contains(QChar(0))) return false;
    error = QStringLiteral("Nome di file non valido (contiene un carattere nullo)");
    return true;
}
}

bool FileOps::exists(const QString& path) const { return !path.isEmpty() && !path.contains(QChar(0)) && QFileInfo::exists(path); }
bool FileOps::isDir(const QString& path) const { return !path.isEmpty() && QFileInfo(path).isDir(); }
bool FileOps::isWritable(const QString& path) const {
    return !path.isEmpty() && !path.contains(QChar(0)) && ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

bool FileOps::copy(const QString& from, const QString& to) {
    if (refused(from, m_lastError) || refused(to, m_lastError)) return false;
    if (QFile::exists(to) && !QFile::remove(to)) { m_lastError = QStringLiteral("Impossibile sostituire ") + to; return false; }
    QFile src(from);
    if (!src.copy(to)) { m_lastError = src.errorString(); return false; }
    return true;
}

bool FileOps::rename(const QString& from, const QString& to) {
    if (refused(from, m_lastError) || refused(to, m_lastError)) return false;
    if (QFile::exists(to) && !QFile::remove(to)) { m_lastError = QStringLiteral("Impossibile sostituire ") + to; return false; }
    QFile src(from);
    if (!src.rename(to)) { m_lastError = src.errorString(); return false; }
    return true;
}

bool FileOps::remove(const QString& path) {
    if (refused(path, m_lastError)) return false;
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return true;
    QFile f(path);
    if (!f.remove()) { m_lastError = f.errorString(); return false; }
    return true;
}

bool FileOps::mkpath(const QString& dir) {
    if (refused(dir, m_lastError)) return false;
    if (!QDir().mkpath(dir)) { m_lastError = QStringLiteral("Impossibile creare ") + dir; return false; }
    return true;
}

bool FileOps::writeFile(const QString& path, const QByteArray& data) {
    if (refused(path, m_lastError)) return false;
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit()) {
        m_lastError = f.errorString();
        return false;
    }
    return true;
}

QByteArray FileOps::readFile(const QString& path, bool* ok) const {
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

QString FileOps::canonical(const QString& path) const {
    QFileInfo fi(path);
    QString c = fi.canonicalFilePath();
    if (!c.isEmpty()) return c;
    QString dir = QFileInfo(fi.absolutePath()).canonicalFilePath();
    if (dir.isEmpty()) return QDir::cleanPath(fi.absoluteFilePath());
    return dir + u'/' + fi.fileName();
}

namespace {
std::shared_ptr<FileOps>& current() {
    static std::shared_ptr<FileOps> f = std::make_shared<FileOps>();
    return f;
}
}
FileOps& fileOps() { return *current(); }
void setFileOps(std::shared_ptr<FileOps> f) { current() = f ? std::move(f) : std::make_shared<FileOps>(); }
