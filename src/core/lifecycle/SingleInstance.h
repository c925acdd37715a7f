#pragma once
// One running copy per user: a lock file in the user's runtime folder. The lock records the
// holder's process id, so a copy that crashed or was killed leaves no lock behind that
// would keep the next start out.
#include <QString>
#include <memory>

class QLockFile;

class SingleInstanceLock {
public:
    // folder empty: the user's runtime folder ($XDG_RUNTIME_DIR).
    explicit SingleInstanceLock(const QString& folder = QString());
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this process now holds the lock (or already did); false when another
    // running copy holds it.
    bool TryAcquire();
    void Release();
    bool Held() const { return m_held; }
    QString LockPath() const { return m_path; }

private:
    QString m_path;
    std::unique_ptr<QLockFile> m_lock;
    bool m_held = false;
};

// The message a second copy shows before it ends.
QString AlreadyRunningMessage();
