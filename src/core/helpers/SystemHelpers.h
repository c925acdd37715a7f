#pragma once
// Small operating-system helpers every part of the program uses: waiting, well-known
// folders, file tests, processes and documents, the program's own errors, money rounding,
// paths, yes/no words and the computer and user names. No state; each is a free function.
#include "base/AppError.h"
#include "base/Currency.h"
#include <QString>
#include <cstdint>

class QObject;
class QProcess;

// ---- Program identity --------------------------------------------------------------------
QString AppTitle();   // "Mirtavolia": settings application name, error source
QString AppExeName();   // executable name without extension ("mirtavolia")
QString AppFolder();   // folder of the running executable (read-only resources)
int AppVersionMajor();
int AppVersionMinor();
int AppVersionRevision();

// ---- Waiting ------------------------------------------------------------------------------
// Keeps the user interface responsive for `seconds`, measured on the monotonic clock of
// appClock(), so a wait across midnight ends on time.
void WaitSeconds(float seconds);

// ---- Folders ------------------------------------------------------------------------------
// None of these ends with a separator.
QString GetTempDir();   // $TMPDIR when it is a folder, else the system's temporary folder
QString GetUserProfileDir();   // the home folder
QString GetAllUsersProfileDir();   // the shared data folder of all users (may not exist)
QString GetAppDataDir();   // the user's generic data folder
QString GetCommonProgramFilesDir();   // no such folder here: empty
// A folder the program may write its files to: the per-user data folder.
QString GetWritableDataDir(bool forceSearch = false);
// The per-user data folder (~/.local/share/Mirtavolia), created when missing.
QString GetDataFolder();
// The same path without creating it.
QString DataFolderPath();

// ---- Files --------------------------------------------------------------------------------
// Attribute bits as the classic file system reported them.
namespace FileAttr {
enum : int { ReadOnly = 1, Hidden = 2, System = 4, Directory = 16, Archive = 32 };
}
// attributes 0: any existing file or folder; otherwise true when the path's attributes share
// a bit with `attributes` (16 asks for an existing folder). Never throws.
bool FileExists(const QString& path, int attributes = 0);

// ---- Paths -----------------------------------------------------------------------------------
// A folder as the file system resolves it: absolute, without "." or "..", every symbolic
// link followed; a part that does not exist yet is kept as written after the part that does.
QString ResolvedFolder(const QString& folder);
// Two spellings of one folder. Compared with case: on this system "Shop" and "shop" are
// two folders. An empty folder is the same only as another empty one.
bool SameFolder(const QString& a, const QString& b);
// The system reads a path only up to a NUL: a path holding one would name another file, so
// it is refused wherever it arrives.
bool PathHoldsNul(const QString& path);

// The classic version tests have no meaning here and answer false.
bool IsWindowsVersion52();
bool IsWindowsVersion6OrLater();

// ---- Processes and documents --------------------------------------------------------------
// Waits for a child process the caller started and returns its exit code. Blocking false
// keeps the user interface running while it waits. A process that cannot be waited for
// (not started, not a child of this program) raises AppError instead of answering 0; a
// process killed by a signal answers -1.
int32_t ShellAndWait(int64_t processId, bool blocking);
int32_t ShellAndWait(QProcess& process, bool blocking);
// Opens a document, folder or link (http, mailto) with its associated program. The
// operation ("open", "runas") is accepted for compatibility: nothing is elevated here.
bool ShellOpen(const QString& fileName, const QString& operation = QStringLiteral("open"),
               const QString& parameters = QString(), const QString& directory = QString(), bool minimized = false);

// ---- The program's own errors ---------------------------------------------------------------
// Raise AppError with number kObjectErrorBase + code, source AppTitle() and the description
// "[<source>]" + (" , Err.: <code>" unless the generic code) + (" \r<text>" unless empty).
// A QObject source is named by its class name.
[[noreturn]] void RaiseAppErrorCode(const QString& source, int32_t code, const QString& text);
[[noreturn]] void RaiseAppErrorCode(const QObject* source, int32_t code, const QString& text);
[[noreturn]] void RaiseAppError(const QString& source, const QString& text);
[[noreturn]] void RaiseAppError(const QObject* source, const QString& text);
// The description RaiseAppErrorCode builds.
QString AppErrorDescription(const QString& sourceName, int32_t code, const QString& text);

// ---- Money ------------------------------------------------------------------------------------
// Rounds value / unit to `decimals` places with halves toward +infinity (2.345 -> 2.35,
// -2.345 -> -2.34), then multiplies by unit. Raises AppError(overflow) outside the range.
Currency RoundCurrency(Currency value, int decimals, int32_t unit = 1);
Currency RoundCurrency(double value, int decimals, int32_t unit = 1);

// ---- Paths --------------------------------------------------------------------------------------
// "\" and "/" are both separators.
QString GetFileName(const QString& path);   // text after the last separator
QString GetParentDir(const QString& path);   // text before it; "/" for a file in the root
// FileName with its text from the first "." replaced by "." + extension (when given), after
// Folder and a separator (when Folder is given and does not end with one). The separator
// added is "\" for a folder written with "\" only, else "/".
QString JoinPath(const QString& folder, const QString& fileName, const QString& extension = QString());
// Creates every missing folder of the folder part of `path` (its last component is a file
// name unless the path ends with a separator). On failure shows an error when asked and
// returns false; folders created before the failure stay.
bool CreateDirectoryTree(const QString& path, bool showError = false);

// ---- Words, names -------------------------------------------------------------------------------
// Yes/no word: FALSE, FALSO, NO, NULL, OFF, empty -> false; TRUE, SI, YES, OK, VERO, ON, SÌ -> true;
// a number -> true when not zero; anything else false.
bool TextToBool(const QString& text);
QString GetComputerNameText();
QString GetWindowsUserName();   // the login name of the user running the program
