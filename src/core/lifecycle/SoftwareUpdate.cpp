#include "SoftwareUpdate.h"
#include "CabinetArchive.h"
#include "core/configuration/Configuration.h"
#include "core/seams/DialogServices.h"
#include "base/FileOps.h"
#include "objdb/Notify.h"
#include "ProgramEnd.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QUrl>
#include <QUrlQuery>
#include <cmath>
#include <unistd.h>

QString g_strUpdateBaseUrl;

namespace {

constexpr QChar CR = u'\r';
const QString kUpdatesFolder = QStringLiteral("Updates");
const QString kVersionPattern = QStringLiteral("0000_0000_0000");

QString updatesFolder(const QString& folder) { return JoinPath(folder, kUpdatesFolder); }

QString fourDigits(int n) { return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0')); }

// "0002_0000_0190" -> {2, 0, 190}; empty unless three whole numbers in the 16-bit range.
std::optional<std::array<int, 3>> splitVersion(const QString& version)
{
    const QStringList parts = version.split(u'_');
    if (parts.size() != 3) return std::nullopt;
    std::array<int, 3> v {};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int n = parts[i].trimmed().toInt(&ok);
        if (!ok || n < -32768 || n > 32767) return std::nullopt;
        v[size_t(i)] = n;
    }
    return v;
}

std::shared_ptr<UpdateServiceClient>& clientSlot()
{
    static std::shared_ptr<UpdateServiceClient> c;
    return c;
}

SoftwareUpdateEndHandler& endHandler()
{
    static SoftwareUpdateEndHandler h;
    return h;
}

void endProgram()
{
    if (endHandler()) {
        endHandler()();
        return;
    }
    if (DialogServices* dialogs = dialogServices()) dialogs->CloseAllWindows();
    EndProgramNow(0);
}

QByteArray httpGet(const QUrl& url, int timeoutMs, itfProgress* progress)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = manager.get(request);
    bool stopped = false;
    bool started = false;
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [&](qint64 received, qint64 total) {
        if (!progress) return;
        const auto clamp = [](qint64 v) { return int32_t(std::min<qint64>(v, INT32_MAX)); };
        if (!started && total > 0) {
            progress->OnStart(0, clamp(total));
            started = true;
        }
        if (!progress->OnProgress(0, clamp(std::max<qint64>(total, 0)), clamp(received), 0, 0)
            || progress->OnStopped()) {
            stopped = true;
            reply->abort();
        }
    });
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    if (progress && started) progress->OnEnd(0, 0);

    const QByteArray body = reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString reason = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    delete reply;
    if (stopped) throw AppError(AppError::kGenericCode, AppTitle(), QStringLiteral("Operazione interrotta."));
    if (error != QNetworkReply::NoError) throw AppError(AppError::kFileNotFound, AppTitle(), errorText);
    if (status != 200)
        throw AppError(AppError::kFileNotFound, AppTitle(),
                       QStringLiteral("HTTP %1 %2").arg(status).arg(reason).trimmed());
    return body;
}

[[noreturn]] void descriptorError(const QString& descriptor)
{
    RaiseAppError(QStringLiteral("APPLICATION UPDATE"),
                  QStringLiteral("Errore nei dati di aggiornamento: ") + descriptor);
}

// Anything that is not the program's package shape is no package.
bool isOwnPackage(const QFileInfo& fi, const QString& appName, const std::array<int, 3>& running,
                  std::array<int, 3>* version)
{
    const auto v = PackageVersion(fi.fileName(), appName);
    if (!v || !(*v > running)) return false;
    if (!UpdatePackageIsOwn(fi.filePath())) return false;
    *version = *v;
    return true;
}

}   // namespace

// ---- Service ------------------------------------------------------------------------------

QString HttpUpdateServiceClient::GetUpdateFile(const QString& page, const QString& appName, int major, int minor,
                                               int revision, const QString& targetFile, itfProgress* progress)
{
    QUrl url(page);
    QUrlQuery query(url);
    query.addQueryItem(QStringLiteral("app"), appName);
    query.addQueryItem(QStringLiteral("major"), QString::number(major));
    query.addQueryItem(QStringLiteral("minor"), QString::number(minor));
    query.addQueryItem(QStringLiteral("revision"), QString::number(revision));
    if (!targetFile.isEmpty()) query.addQueryItem(QStringLiteral("download"), QStringLiteral("1"));
    url.setQuery(query);
    const QByteArray body = httpGet(url, m_timeoutMs, progress);
    if (targetFile.isEmpty()) return QString::fromUtf8(body).trimmed();
    if (body.isEmpty())
        throw AppError(AppError::kFileNotFound, AppTitle(), QStringLiteral("Pacchetto vuoto: ") + url.toString());
    if (!fileOps().writeFile(targetFile, body))
        throw AppError(AppError::kFileNotFound, AppTitle(),
                       QStringLiteral("Impossibile scrivere ") + targetFile + QStringLiteral(": ")
                           + fileOps().lastError());
    return QString();
}

UpdateServiceClient& updateServiceClient()
{
    auto& c = clientSlot();
    if (!c) c = std::make_shared<HttpUpdateServiceClient>();
    return *c;
}

void setUpdateServiceClient(std::shared_ptr<UpdateServiceClient> client) { clientSlot() = std::move(client); }

void setSoftwareUpdateEndHandler(SoftwareUpdateEndHandler handler) { endHandler() = std::move(handler); }

QString GetUpdateFileUrl(const QString& base, bool classic)
{
    QString address = base;
    if (address.isEmpty()) address = g_strUpdateBaseUrl;
    if (address.isEmpty()) address = QString::fromLatin1(kDefaultUpdateBaseUrl);
    return address + u'/'
        + (classic ? QStringLiteral("GetAppUpdateFile.asp") : QStringLiteral("GetAppUpdateFile.aspx"));
}

// ---- Pieces -------------------------------------------------------------------------------

QString PackageBaseName(const QString& appName, int major, int minor, int revision)
{
    return appName + u'_' + fourDigits(major) + u'_' + fourDigits(minor) + u'_' + fourDigits(revision);
}

std::optional<std::array<int, 3>> PackageVersion(const QString& fileName, const QString& appName)
{
    if (appName.isEmpty() || !fileName.startsWith(appName + u'_', Qt::CaseInsensitive)) return std::nullopt;
    const QString rest = fileName.mid(appName.size() + 1);
    if (rest.size() < kVersionPattern.size() + 2 || rest[kVersionPattern.size()] != u'.') return std::nullopt;
    const QString version = rest.left(kVersionPattern.size());
    for (int i = 0; i < version.size(); ++i) {
        const bool separator = kVersionPattern[i] == u'_';
        if (separator ? version[i] != u'_' : !version[i].isDigit()) return std::nullopt;
    }
    return splitVersion(version);
}

bool UpdatePackageIsOwn(const QString& path)
{
    const QFileInfo fi(path);
    return fi.exists() && !fi.isSymLink() && fi.isFile() && fi.ownerId() == uint(::getuid());
}

QString UpdateUnpackFolder(const QString& appName) { return JoinPath(GetTempDir(), appName); }

QString FindUpdateStartFile(const QString& folder)
{
    const QStringList present = QDir(folder).entryList(QDir::Files | QDir::NoSymLinks);
    for (const char* wanted : {"AGGIORNA.BAT", "SETUP.BAT", "SETUP.VBS", "SETUP.EXE", "INSTALL.EXE"}) {
        for (const QString& name : present)
            if (name.compare(QLatin1String(wanted), Qt::CaseInsensitive) == 0) return JoinPath(folder, name);
    }
    return QString();
}

bool StartUpdateProgram(const QString& startFile, const QStringList& arguments, const QString& workingFolder)
{
    const QFileInfo fi(startFile);
    const QString type = startFile.right(4).toUpper();
    if (fi.isDir() || type == QStringLiteral(".VBS") || type == QStringLiteral(".ZIP"))
        return ui().openUrl(QUrl::fromLocalFile(fi.absoluteFilePath()).toString());
    if (!fi.isFile()) return false;
    if (type == QStringLiteral(".BAT"))
        return QProcess::startDetached(QStringLiteral("/bin/sh"), QStringList {fi.absoluteFilePath()} + arguments,
                                       workingFolder);
    if (type == QStringLiteral(".EXE") || type == QStringLiteral(".COM")) {
        // A program unpacked from a cabinet carries no permission bits of its own.
        if (!fi.isExecutable() && fi.ownerId() == uint(::getuid()))
            QFile::setPermissions(startFile, QFile::permissions(startFile) | QFile::ExeOwner);
        return QProcess::startDetached(fi.absoluteFilePath(), arguments, workingFolder);
    }
    return false;
}

// ---- Descriptor ---------------------------------------------------------------------------

bool ParseUpdateDescriptor(const QString& folder, const QString& descriptor, const QString& appName,
                           UpdateDescriptor& out)
{
    // Whatever is wrong, the caller receives the one text with the whole descriptor.
    const auto fail = [&]() { descriptorError(descriptor); };
    UpdateDescriptor d;
    QString version;
    const QString prefix = descriptor.left(3);
    if (prefix == QStringLiteral("LC:")) {
        d.file = descriptor.mid(3);
        const QString name = GetFileName(d.file);
        if (!name.startsWith(appName, Qt::CaseInsensitive)) fail();
        version = name.mid(appName.size() + 1, kVersionPattern.size());
        const QString local = JoinPath(updatesFolder(folder), name);
        if (QFileInfo::exists(local)) d.file = local;
        const QFileInfo fi(d.file);
        if (!fi.isFile()) fail();
        d.date = fi.lastModified();
        d.size = fi.size();
        d.kind = kUpdateKindLocal;
    } else if (prefix == QStringLiteral("OL:")) {
        const QStringList parts = descriptor.mid(3).split(u',');
        if (parts.size() < 4) fail();
        version = parts[0].trimmed();
        bool ok = false;
        d.size = parts[1].trimmed().toLongLong(&ok);
        if (!ok || d.size < 0 || d.size > INT32_MAX) fail();
        if (d.size != 0) {
            const QString text = parts[2].trimmed();
            QDateTime t = QDateTime::fromString(text, Qt::ISODate);
            if (!t.isValid()) {
                const auto day = config::ReadDate(text);
                if (!day) fail();
                t = QDateTime(*day, QTime(0, 0));
            }
            d.date = t;
        }
        d.file = parts[3].trimmed();
        d.kind = kUpdateKindOnline;
    } else {
        fail();
    }
    const auto v = splitVersion(version);
    if (!v) fail();
    d.major = (*v)[0];
    d.minor = (*v)[1];
    d.revision = (*v)[2];
    out = d;
    return true;
}

// ---- Search -------------------------------------------------------------------------------

QString CheckForUpdates(const QString& folder, const QString& appName, int major, int minor, int revision, int mode,
                        UpdateServiceClient* client, itfProgress* progress)
{
    const std::array<int, 3> running {major, minor, revision};
    QString best;
    std::array<int, 3> bestVersion = running;
    enum { None, Local, Online } source = None;

    if (mode == UpdateLocalAndOnline || mode == UpdateLocalOnly) {
        const QDir dir(updatesFolder(folder));
        const QFileInfoList files = dir.entryInfoList(QDir::Files | QDir::NoSymLinks, QDir::Name);
        for (const QFileInfo& fi : files) {
            std::array<int, 3> v {};
            if (!isOwnPackage(fi, appName, running, &v)) continue;
            if (source == None || v > bestVersion || (v == bestVersion && fi.fileName() > best)) {
                best = fi.fileName();
                bestVersion = v;
                source = Local;
            }
        }
    }

    if (mode == UpdateLocalAndOnline || mode == UpdateOnlineOnly) {
        // The service is asked for versions newer than what the local folder already offers.
        const std::array<int, 3> compare = source == Local ? bestVersion : running;
        try {
            UpdateServiceClient& service = client ? *client : updateServiceClient();
            const QString answer
                = service.GetUpdateFile(GetUpdateFileUrl(QString(), kUpdateServiceClassicPage), appName, compare[0],
                                        compare[1], compare[2], QString(), progress);
            if (!answer.isEmpty()) {
                best = answer;
                source = Online;
            }
        } catch (const std::exception& ex) {
            const auto* app = dynamic_cast<const AppError*>(&ex);
            ui().msgBox(QStringLiteral("CONTROLLO AGGIORNAMENTI ON-LINE NON RIUSCITO.") + CR + CR
                            + QStringLiteral("Verificare che la connessione internet sia disponibile...") + CR + CR
                            + QStringLiteral("DETTAGLI:") + CR
                            + (app ? app->description : QString::fromUtf8(ex.what())),
                        Msg::Exclamation, QStringLiteral("Software Update"));
        }
    }

    switch (source) {
    case Local: return QStringLiteral("LC:") + best;
    case Online: return QStringLiteral("OL:") + best;
    case None: break;
    }
    return QString();
}

// ---- Run ----------------------------------------------------------------------------------

bool RunSoftwareUpdate(const QString& folder, const QString& appName, int major, int minor, int revision, int mode,
                       UpdateServiceClient* client, itfProgress* progress, bool quiet, bool end)
{
    const QString descriptor = CheckForUpdates(folder, appName, major, minor, revision, mode, client, progress);
    if (descriptor.isEmpty()) return false;
    UpdateDescriptor d;
    (void)ParseUpdateDescriptor(folder, descriptor, appName, d);
    if (d.size == 0) return false;

    if (!quiet) {
        const QString text = QStringLiteral("E' DISPONIBILE UN AGGIORNAMENTO SOFTWARE, INSTALLARLO ADESSO ?") + CR + CR
            + QStringLiteral("NUOVA VERSIONE:") + CR + g_strMsgTitle + QStringLiteral(" v.") + QString::number(d.major)
            + u'.' + QString::number(d.minor) + u'.' + QString::number(d.revision) + CR
            + QString::number(std::llround(double(d.size) / 1000.0)) + QStringLiteral("KB del ")
            + d.date.date().toString(QStringLiteral("dd/MM/yyyy")) + CR + CR
            + QStringLiteral("N.B.: L'applicazione verrà chiusa durante l'aggiornamento.");
        if (ui().msgBox(text, int(Msg::YesNo) + int(Msg::Information), g_strMsgTitle) == Msg::No) return false;
    }

    QString file = d.file;
    if (d.kind == kUpdateKindOnline) {
        QString type = file.right(4).toUpper();
        if (type.startsWith(u'_')) type[0] = u'.';
        if (!fileOps().mkpath(updatesFolder(folder)))
            throw AppError(AppError::kFileNotFound, AppTitle(), fileOps().lastError());
        file = JoinPath(updatesFolder(folder), PackageBaseName(appName, d.major, d.minor, d.revision) + type);
        UpdateServiceClient& service = client ? *client : updateServiceClient();
        service.GetUpdateFile(GetUpdateFileUrl(QString(), kUpdateServiceClassicPage), appName, major, minor, revision,
                              file, progress);
    } else if (!UpdatePackageIsOwn(file)) {
        // Checked when it was found; checked again now that it is about to run.
        return false;
    }

    const QString type = file.right(4).toUpper();
    QString startFile;
    QString workingFolder;
    if (type == QStringLiteral(".EXE") || type == QStringLiteral(".COM") || type == QStringLiteral(".BAT")
        || type == QStringLiteral(".VBS") || type == QStringLiteral(".ZIP")) {
        startFile = file;
    } else if (type == QStringLiteral(".CAB")) {
        workingFolder = UpdateUnpackFolder(appName);
        if (appName.isEmpty() || appName.contains(u'/') || appName.contains(u'\\') || appName.startsWith(u'.'))
            RaiseAppError(QStringLiteral("APPLICATION UPDATE"),
                          QStringLiteral("Nome applicazione non valido: ") + appName);
        const QFileInfo target(workingFolder);
        if (target.isSymLink() || (target.exists() && (!target.isDir() || target.ownerId() != uint(::getuid()))))
            RaiseAppError(QStringLiteral("APPLICATION UPDATE"),
                          QStringLiteral("La cartella di estrazione non appartiene all'utente: ") + workingFolder);
        if (target.exists() && !QDir(workingFolder).removeRecursively())
            RaiseAppError(QStringLiteral("APPLICATION UPDATE"),
                          QStringLiteral("Impossibile svuotare ") + workingFolder);
        if (!QDir().mkpath(workingFolder))
            RaiseAppError(QStringLiteral("APPLICATION UPDATE"), QStringLiteral("Impossibile creare ") + workingFolder);
        QFile::setPermissions(workingFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        (void)CabinetArchive::extract(file, workingFolder);
        startFile = FindUpdateStartFile(workingFolder);
        if (startFile.isEmpty()) {
            ui().msgBox(
                QStringLiteral("File di avvio per l'aggiornamento non identificato, è necessario l'avvio manuale."),
                Msg::Exclamation);
            startFile = workingFolder;
        }
    } else {
        ui().msgBox(QStringLiteral("Formato del file di aggiornamento non supportato.") + CR + CR
                        + QStringLiteral("FILE: ") + file,
                    Msg::Exclamation);
        return false;
    }

    if (!StartUpdateProgram(startFile, QStringList {GetDataFolder(), appName}, workingFolder)) {
        ui().msgBox(QStringLiteral("Impossibile avviare l'aggiornamento: ") + startFile, Msg::Critical);
        return false;
    }
    if (end) endProgram();
    return true;
}

bool SoftwareUpdateCommand(QWidget* window)
{
    ShowProgressWindow(QStringLiteral("Aggiornamento del software..."), window);
    bool started = false;
    try {
        started = RunSoftwareUpdate(settings().RootDir, AppExeName(), AppVersionMajor(), AppVersionMinor(),
                                    AppVersionRevision(), UpdateLocalAndOnline, nullptr, ProgressWindowTarget(), false,
                                    true);
    } catch (...) {
        UnloadProgressWindow();
        throw;
    }
    UnloadProgressWindow();
    if (!started) ui().msgBox(QStringLiteral("NESSUN AGGIORNAMENTO."), Msg::Information);
    return started;
}
