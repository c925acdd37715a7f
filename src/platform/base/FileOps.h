#pragma once
#include <QByteArray>
#include <QString>
#include <memory>

// File-system operations the program's copies, saves and repairs go through, so that
// a full disk or a read-only folder can be simulated. Each returns false (or an empty
// optional result) on failure and leaves the reason in lastError().
class FileOps {
public:
    virtual ~FileOps() = default;
    virtual bool exists(const QString& path) const;
    virtual bool isDir(const QString& path) const;
    // The process may change the file (its permissions, not only its folder's).
    virtual bool isWritable(const QString& path) const;
    virtual bool copy(const QString& from, const QString& to);   // overwrites `to`
    virtual bool rename(const QString& from, const QString& to);   // overwrites `to`
    virtual bool remove(const QString& path);   // missing file: true
    virtual bool mkpath(const QString& dir);
    virtual bool writeFile(const QString& path, const QByteArray& data);   // atomic replace
    virtual QByteArray readFile(const QString& path, bool* ok = nullptr) const;
    // Absolute path with links resolved; for a missing file, its folder resolved plus its name.
    virtual QString canonical(const QString& path) const;
    QString lastError() const { return m_lastError; }

protected:
    mutable QString m_lastError;
};

// The reason of a failed system call (an errno value) for the user; `fallback` when the
// value says nothing better.
QString SystemErrorText(int error, const QString& fallback = QString());

FileOps& fileOps();
void setFileOps(std::shared_ptr<FileOps> f);
