#pragma once
// The software update: a newer package of the program is looked for in the "Updates"
// folder under the database folder and on the update service, offered to the operator,
// unpacked when it is a cabinet file, and its setup program started before the program ends.
//
// Package names: <application name>_<major>_<minor>_<revision>.<type>, each number four
// digits ("Mirtavolia_0002_0000_0190.CAB" is version 2.0.190).
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class QWidget;
class itfProgress;

// The update service's address; empty: kDefaultUpdateBaseUrl. No setting writes it: tools
// and tests point it at another service.
extern QString g_strUpdateBaseUrl;
inline constexpr const char* kDefaultUpdateBaseUrl = "http://www.mirtavolia.it/ObjLib";
// The page variant the service offers: ".aspx", not the classic ".asp".
inline constexpr bool kUpdateServiceClassicPage = false;

enum UpdateMode : int { UpdateLocalAndOnline = 0, UpdateLocalOnly = 1, UpdateOnlineOnly = 2 };
inline constexpr int kUpdateKindLocal = 1;
inline constexpr int kUpdateKindOnline = 2;

// The update service. How it is reached is ours to choose: an HTTP GET of the update page
// with the query app=<name>&major=<n>&minor=<n>&revision=<n>, answered with the text of an
// online descriptor after its "OL:" ("0002_0000_0190,123456,2007-03-01,Mirtavolia.CAB";
// empty when nothing newer exists); with &download=1 the answer is the package itself.
class UpdateServiceClient {
public:
    virtual ~UpdateServiceClient() = default;
    // Without a target file: the descriptor text. With one: the newest package after the given
    // version, written to the target file (replaced whole or not at all); returns empty.
    // Raises AppError when the service cannot be reached or refuses.
    virtual QString GetUpdateFile(const QString& page, const QString& appName, int major, int minor, int revision,
                                  const QString& targetFile, itfProgress* progress)
        = 0;
};

class HttpUpdateServiceClient final : public UpdateServiceClient {
public:
    explicit HttpUpdateServiceClient(int timeoutMs = 30000) : m_timeoutMs(timeoutMs) { }
    QString GetUpdateFile(const QString& page, const QString& appName, int major, int minor, int revision,
                          const QString& targetFile, itfProgress* progress) override;

private:
    int m_timeoutMs;
};

// The program's client, created on first use.
UpdateServiceClient& updateServiceClient();
void setUpdateServiceClient(std::shared_ptr<UpdateServiceClient> client);   // null: the HTTP one

// The update page: base (empty: g_strUpdateBaseUrl, else the default) & "/GetAppUpdateFile.asp"
// when classic, else "/GetAppUpdateFile.aspx".
QString GetUpdateFileUrl(const QString& base, bool classic);

struct UpdateDescriptor {
    int major = 0;
    int minor = 0;
    int revision = 0;
    QDateTime date;
    qint64 size = 0;
    QString file;
    int kind = 0;   // kUpdateKindLocal, kUpdateKindOnline
};

// Reads an "LC:" or "OL:" descriptor. Every fault raises AppError with the source
// "APPLICATION UPDATE" and the text "Errore nei dati di aggiornamento: " & descriptor.
bool ParseUpdateDescriptor(const QString& folder, const QString& descriptor, const QString& appName,
                           UpdateDescriptor& out);

// "LC:" & the newest local package, "OL:" & the service's answer, or empty. Never fails:
// an unreachable service is reported to the operator ("CONTROLLO AGGIORNAMENTI ON-LINE NON
// RIUSCITO."), and a local package is taken only when its version is newer than the running
// one and its file belongs to the user running the program. client null: updateServiceClient().
QString CheckForUpdates(const QString& folder, const QString& appName, int major, int minor, int revision, int mode,
                        UpdateServiceClient* client, itfProgress* progress);

// Finds a newer package, asks (unless quiet), fetches an online one into the "Updates"
// folder, unpacks a cabinet into the temporary folder and starts its setup program with the
// data folder and the application name as its two arguments. True when the setup program
// was started; then, with end set, the program ends (see setSoftwareUpdateEndHandler).
// Errors of the descriptor, of the download and of the unpacking reach the caller.
bool RunSoftwareUpdate(const QString& folder, const QString& appName, int major, int minor, int revision, int mode,
                       UpdateServiceClient* client, itfProgress* progress, bool quiet, bool end);

// The main window's update command: "Aggiornamento del software..." over the window, then the
// local folder and the service searched for the running program; "NESSUN AGGIORNAMENTO."
// when nothing was started. Errors reach the caller.
bool SoftwareUpdateCommand(QWidget* window);

// ---- Pieces, public for the tools and the tests ------------------------------------------

// The version in a package name: the application name (any case), "_", three four-digit
// numbers joined by "_", then "." and the type. Empty when the name has another shape.
std::optional<std::array<int, 3>> PackageVersion(const QString& fileName, const QString& appName);
// "<name>_0002_0000_0190"
QString PackageBaseName(const QString& appName, int major, int minor, int revision);
// A package file that may run: a regular file, not a link, belonging to the user running
// the program.
bool UpdatePackageIsOwn(const QString& path);
// The folder a cabinet package is unpacked into: the temporary folder & "/" & name.
QString UpdateUnpackFolder(const QString& appName);
// The setup program of an unpacked package: the first of AGGIORNA.BAT, SETUP.BAT, SETUP.VBS,
// SETUP.EXE, INSTALL.EXE found in the folder (any letter case); empty when none.
QString FindUpdateStartFile(const QString& folder);
// Starts the setup program (or opens a folder or document) with the arguments as a list,
// never as one command text: ".BAT" files run through /bin/sh, ".EXE"/".COM" files run
// themselves, ".VBS"/".ZIP" and folders open with their associated program.
bool StartUpdateProgram(const QString& startFile, const QStringList& arguments, const QString& workingFolder);

// What "the program ends" means after a started setup: by default every top-level window is
// closed, last first, and the process ends. Tools and tests observe it instead.
using SoftwareUpdateEndHandler = std::function<void()>;
void setSoftwareUpdateEndHandler(SoftwareUpdateEndHandler handler);   // null restores the default
