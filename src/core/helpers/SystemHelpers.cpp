#include "SystemHelpers.h"
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "base/FileOps.h"
#include "base/UiServices.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef MV_VERSION_MAJOR
#define MV_VERSION_MAJOR 1
#define MV_VERSION_MINOR 0
#define MV_VERSION_PATCH 0
#endif

namespace {
bool isSeparator(QChar c) { return c == u'\\' || c == u'/'; }

int lastSeparator(const QString& path) { return std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/')); }

QString withoutTrailingSeparator(QString dir)
{
    while (dir.size() > 1 && isSeparator(dir.back())) dir.chop(1);
    return dir;
}
}

// ---- Program identity ------------------------------------------------------------------------

QString AppTitle() { return QString::fromLatin1(kAppTitle); }

QString AppExeName()
{
    if (QCoreApplication::instance()) {
        const QString base = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
        if (!base.isEmpty()) return base;
    }
    return QStringLiteral("mirtavolia");
}

QString AppFolder()
{
    if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

int AppVersionMajor() { return MV_VERSION_MAJOR; }
int AppVersionMinor() { return MV_VERSION_MINOR; }
int AppVersionRevision() { return MV_VERSION_PATCH; }

// ---- Waiting ----------------------------------------------------------------------------------

void WaitSeconds(float seconds)
{
    const int64_t start = appClock().monotonicMs();
    const double limitMs = static_cast<double>(seconds) * 1000.0;
    while (static_cast<double>(appClock().monotonicMs() - start) < limitMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        // A short nap keeps the wait from burning a processor while staying responsive.
        QThread::usleep(500);
    }
}

// ---- Folders ------------------------------------------------------------------------------------

QString GetTempDir()
{
    // Qt's own answer reads TMPDIR too and is empty when that folder is missing: the error
    // page and the update would then land at the root or in a relative folder.
    const QString candidates[] = {qEnvironmentVariable("TMPDIR"), QDir::tempPath(), QStringLiteral("/tmp"),
                                  QStringLiteral("/var/tmp"), QDir::homePath()};
    for (const QString& dir : candidates)
        if (!dir.isEmpty() && FileExists(dir, FileAttr::Directory)) return withoutTrailingSeparator(dir);
    return withoutTrailingSeparator(QDir::currentPath());
}

QString GetUserProfileDir() { return withoutTrailingSeparator(QDir::homePath()); }

QString GetAllUsersProfileDir() { return QStringLiteral("/usr/local/share"); }

QString GetAppDataDir()
{
    return withoutTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}

QString GetCommonProgramFilesDir() { return QString(); }

QString DataFolderPath()
{
    // Computed from the XDG folder directly so that it does not depend on whether a
    // QCoreApplication with the program's names exists (the tool and the tests).
    return withoutTrailingSeparator(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) + u'/'
        + AppTitle();
}

QString GetDataFolder()
{
    const QString dir = DataFolderPath();
    QDir().mkpath(dir);
    return dir;
}

QString GetWritableDataDir(bool) { return GetDataFolder(); }

// ---- Files --------------------------------------------------------------------------------------

bool FileExists(const QString& path, int attributes)
{
    if (path.isEmpty() || PathHoldsNul(path)) return false;
    const QFileInfo fi(path);
    if (!fi.exists()) return false;
    if ((attributes & 0xFF) == 0) return true;
    int attr = fi.isDir() ? FileAttr::Directory : FileAttr::Archive;
    if (!fi.isWritable()) attr |= FileAttr::ReadOnly;
    if (fi.fileName().startsWith(u'.')) attr |= FileAttr::Hidden;
    return (attr & attributes & 0xFF) != 0;
}

// ---- Paths ------------------------------------------------------------------------------------------

QString ResolvedFolder(const QString& folder)
{
    QFileInfo fi(QDir::cleanPath(QDir(folder).absolutePath()));
    QStringList missing;
    while (!fi.exists()) {
        const QString parent = fi.absolutePath();
        if (parent == fi.absoluteFilePath()) break;   // the root
        missing.prepend(fi.fileName());
        fi = QFileInfo(parent);
    }
    QString resolved = fi.exists() ? fi.canonicalFilePath() : fi.absoluteFilePath();
    for (const QString& part : missing) resolved += u'/' + part;
    return QDir::cleanPath(resolved);
}

bool SameFolder(const QString& a, const QString& b)
{
    // No folder is not the folder the program happens to run in.
    const bool noA = a.trimmed().isEmpty(), noB = b.trimmed().isEmpty();
    if (noA || noB) return noA == noB;
    return ResolvedFolder(a) == ResolvedFolder(b);
}

bool PathHoldsNul(const QString& path) { return path.contains(QChar(0)); }

bool IsWindowsVersion52() { return false; }
bool IsWindowsVersion6OrLater() { return false; }

// ---- Processes and documents -------------------------------------------------------------------

namespace {
[[noreturn]] void raiseWaitFailure(int64_t pid, int err)
{
    throw AppError(err, AppTitle(),
                   QStringLiteral("Impossibile attendere il processo %1: %2")
                       .arg(pid)
                       .arg(QString::fromLocal8Bit(std::strerror(err))));
}

int32_t exitCodeOf(int status)
{
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return -1;
}
}

int32_t ShellAndWait(int64_t processId, bool blocking)
{
    if (processId <= 0) raiseWaitFailure(processId, ESRCH);
    const auto pid = static_cast<pid_t>(processId);
    int status = 0;
    for (;;) {
        const pid_t r = waitpid(pid, &status, blocking ? 0 : WNOHANG);
        if (r == pid) return exitCodeOf(status);
        if (r < 0) {
            if (errno == EINTR) continue;
            raiseWaitFailure(processId, errno);
        }
        // Still running (only without blocking).
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
    }
}

int32_t ShellAndWait(QProcess& process, bool blocking)
{
    if (process.state() == QProcess::NotRunning && process.error() == QProcess::FailedToStart)
        throw AppError(
            ENOENT, AppTitle(),
            QStringLiteral("Impossibile avviare il processo %1: %2").arg(process.program(), process.errorString()));
    if (process.state() == QProcess::Starting && !process.waitForStarted(-1))
        throw AppError(
            ENOENT, AppTitle(),
            QStringLiteral("Impossibile avviare il processo %1: %2").arg(process.program(), process.errorString()));
    while (process.state() != QProcess::NotRunning) {
        if (blocking) {
            process.waitForFinished(-1);
        } else {
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            process.waitForFinished(10);
        }
    }
    if (process.exitStatus() == QProcess::CrashExit) return -1;
    return process.exitCode();
}

bool ShellOpen(const QString& fileName, const QString&, const QString& parameters, const QString& directory, bool)
{
    if (fileName.isEmpty()) return false;
    QString target = fileName;
    const bool isLink
        = target.contains(QStringLiteral("://")) || target.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive);
    if (!isLink) {
        if (QFileInfo(target).isRelative() && !directory.isEmpty()) target = JoinPath(directory, target);
        if (!parameters.isEmpty()) {
            // A program with arguments: started, not waited for.
            return QProcess::startDetached(target, QProcess::splitCommand(parameters),
                                           directory.isEmpty() ? QString() : directory);
        }
        target = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()).toString();
    }
    return ui().openUrl(target);
}

// ---- The program's own errors -----------------------------------------------------------------

QString AppErrorDescription(const QString& sourceName, int32_t code, const QString& text)
{
    QString d = u'[' + sourceName + u']';
    if (code != AppError::kGenericCode) d += QStringLiteral(" , Err.: ") + QString::number(code);
    if (!text.isEmpty()) d += QStringLiteral(" \r") + text;
    return d;
}

void RaiseAppErrorCode(const QString& source, int32_t code, const QString& text)
{
    const int64_t number = static_cast<int64_t>(AppError::kObjectErrorBase) + code;
    if (number < INT32_MIN || number > INT32_MAX) throw AppError::overflow(AppTitle());
    throw AppError(static_cast<int32_t>(number), AppTitle(), AppErrorDescription(source, code, text));
}

void RaiseAppErrorCode(const QObject* source, int32_t code, const QString& text)
{
    RaiseAppErrorCode(source ? QString::fromLatin1(source->metaObject()->className()) : QString(), code, text);
}

void RaiseAppError(const QString& source, const QString& text)
{
    RaiseAppErrorCode(source, AppError::kGenericCode, text);
}

void RaiseAppError(const QObject* source, const QString& text)
{
    RaiseAppErrorCode(source, AppError::kGenericCode, text);
}

// ---- Money ------------------------------------------------------------------------------------------

namespace {
Currency tenth(Currency c)
{
    const int64_t u = c.units();
    int64_t q = u / 10;
    const int64_t rem = u % 10;   // same sign as u
    if (rem > 5 || (rem == 5 && (q % 2) != 0))
        ++q;
    else if (rem < -5 || (rem == -5 && (q % 2) != 0))
        --q;
    return Currency::fromUnits(q);
}

Currency roundScaled(Currency x, int decimals, int32_t unit)
{
    const Currency ten = Currency::fromInt(10);
    for (int i = 0; i < decimals; ++i) x = x * ten;
    const Currency fl = x.floor();
    const Currency frac = x - fl;
    Currency r = frac < Currency::fromUnits(Currency::kScale / 2) ? fl : fl + Currency::fromInt(1);
    // Scaled back one digit at a time, each step rounded half to even at the currency's four
    // decimals; done on the units so that large amounts keep every digit.
    for (int i = 0; i < decimals; ++i) r = tenth(r);
    return r * Currency::fromInt(unit);
}
}

Currency RoundCurrency(Currency value, int decimals, int32_t unit)
{
    if (unit == 0) throw AppError(11, AppTitle(), QStringLiteral("Division by zero"));
    const Currency x = unit == 1 ? value : value.dividedBy(static_cast<double>(unit));
    return roundScaled(x, decimals, unit);
}

Currency RoundCurrency(double value, int decimals, int32_t unit)
{
    if (unit == 0) throw AppError(11, AppTitle(), QStringLiteral("Division by zero"));
    return roundScaled(Currency::fromDouble(value / unit), decimals, unit);
}

// ---- Paths -------------------------------------------------------------------------------------------

QString GetFileName(const QString& path)
{
    const int i = lastSeparator(path);
    return i < 0 ? path : path.mid(i + 1);
}

QString GetParentDir(const QString& path)
{
    const int i = lastSeparator(path);
    if (i < 0) return QString();
    if (i == 0) return path.left(1);   // a file in the root folder
    return path.left(i);
}

QString JoinPath(const QString& folder, const QString& fileName, const QString& extension)
{
    QString name = fileName;
    if (!extension.isEmpty()) {
        const int dot = name.indexOf(u'.');
        if (dot >= 0) name.truncate(dot);
        name += u'.' + extension;
    }
    if (folder.isEmpty()) return name;
    if (isSeparator(folder.back())) return folder + name;
    const QChar sep = folder.contains(u'\\') && !folder.contains(u'/') ? u'\\' : u'/';
    return folder + sep + name;
}

bool CreateDirectoryTree(const QString& path, bool showError)
{
    QString parent = GetParentDir(path);
    parent.replace(u'\\', u'/');
    if (parent.isEmpty()) return true;
    parent += u'/';
    int componentStart = 0;
    for (int i = 0; i < parent.size(); ++i) {
        if (parent[i] != u'/') continue;
        const QString component = parent.mid(componentStart, i - componentStart);
        const QString folder = parent.left(i);
        // The server name of a path that begins with two separators is no folder to create.
        const bool uncServer = componentStart == 2 && parent[0] == u'/';
        componentStart = i + 1;
        if (component.isEmpty() || component.endsWith(u':') || uncServer) continue;
        if (FileExists(folder, FileAttr::Directory)) continue;
        if (!fileOps().mkpath(folder)) {
            if (showError) {
                QString reason = fileOps().lastError();
                if (reason.isEmpty()) reason = QStringLiteral("Impossibile creare la cartella");
                ui().msgBox(QStringLiteral("Errore in crezione indirizzario ") + folder + QStringLiteral("...\r\r")
                                + reason,
                            int {Msg::OKOnly} | Msg::Critical, QStringLiteral("Error"));
            }
            return false;
        }
    }
    return true;
}

// ---- Words, names ------------------------------------------------------------------------------------

bool TextToBool(const QString& text)
{
    const QString t = text.trimmed().toUpper();
    static const QStringList no {QStringLiteral("FALSE"), QStringLiteral("FALSO"), QStringLiteral("NO"), QString(),
                                 QStringLiteral("NULL"),  QStringLiteral("OFF")};
    static const QStringList yes {QStringLiteral("TRUE"),   QStringLiteral("SI"),   QStringLiteral("YES"),
                                  QStringLiteral("OK"),     QStringLiteral("VERO"), QStringLiteral("ON"),
                                  QStringLiteral("S\u00CC")};
    if (t.isEmpty() || no.contains(t)) return false;
    if (yes.contains(t)) return true;
    if (auto v = config::ReadDecimal(t)) return *v != 0.0;
    return false;
}

QString GetComputerNameText() { return QSysInfo::machineHostName(); }

QString GetWindowsUserName()
{
    if (const passwd* pw = getpwuid(geteuid()); pw && pw->pw_name) return QString::fromLocal8Bit(pw->pw_name);
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty()) name = qEnvironmentVariable("LOGNAME");
    return name;
}
