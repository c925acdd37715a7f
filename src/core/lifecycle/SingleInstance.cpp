#include "SingleInstance.h"
#include "core/helpers/SystemHelpers.h"
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace {
QString runtimeFolder()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty()) dir = GetTempDir();
    return dir;
}
}

SingleInstanceLock::SingleInstanceLock(const QString& folder)
{
    const QString dir = folder.isEmpty() ? runtimeFolder() : folder;
    QDir().mkpath(dir);
    m_path = QDir(dir).filePath(AppExeName() + QStringLiteral(".lock"));
    m_lock = std::make_unique<QLockFile>(m_path);
    // No age limit: a lock is stale only when the process that wrote it is gone, which
    // QLockFile checks by the recorded process id and name.
    m_lock->setStaleLockTime(0);
}

SingleInstanceLock::~SingleInstanceLock() { Release(); }

bool SingleInstanceLock::TryAcquire()
{
    if (m_held) return true;
    // tryLock itself removes a lock whose holder is no longer running.
    m_held = m_lock->tryLock(0);
    return m_held;
}

void SingleInstanceLock::Release()
{
    if (!m_held) return;
    m_lock->unlock();
    m_held = false;
}

QString AlreadyRunningMessage()
{
    return QStringLiteral("L'applicazione e' stata gia' avviata\r\r"
                          "Controlla la barra dei menu' per la riattivazione premendo "
                          "doppio click sull'icona corrispondente...");
}
