#include "core/lifecycle/CabinetArchive.h"
#include "core/configuration/Configuration.h"
#include "core/lifecycle/SoftwareUpdate.h"
#include "core/helpers/SystemHelpers.h"
#include "TestEnvironment.h"
#include "WindowsTestSupport.h"
#include "dialogs/frmMessage.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrlQuery>
#include <unistd.h>

namespace {

const QString kApp = QStringLiteral("Mirtavolia");

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Waits (running events) until a file appears: the setup program runs detached.
bool waitForFile(const QString& path, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (QFile::exists(path) && !readAll(path).isEmpty()) return true;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        usleep(20000);
    }
    return false;
}

// A setup script that writes its arguments and its working folder to `marker`.
QByteArray setupScript(const QString& marker)
{
    return "#!/bin/sh\nprintf '%s|%s|%s' \"$1\" \"$2\" \"$(pwd)\" > '" + marker.toUtf8() + "'\n";
}

// The update service on 127.0.0.1: answers the update page from a descriptor and a package.
class LoopbackUpdateService : public QObject {
public:
    QString descriptor;   // the answer without "OL:"
    QByteArray package;   // the body of a download
    QList<QUrlQuery> requests;

    bool start()
    {
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = m_server.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] { answer(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
        return m_server.listen(QHostAddress::LocalHost);
    }
    void stop() { m_server.close(); }
    QString baseUrl() const { return QStringLiteral("http://127.0.0.1:%1/ObjLib").arg(m_server.serverPort()); }

private:
    void answer(QTcpSocket* s)
    {
        QByteArray& buffer = m_buffers[s];
        buffer += s->readAll();
        if (!buffer.contains("\r\n\r\n")) return;
        const QList<QByteArray> requestLine = buffer.left(buffer.indexOf("\r\n")).split(' ');
        m_buffers.remove(s);
        const QUrl url(QString::fromLatin1(requestLine.value(1)));
        QByteArray status = "200 OK", body;
        if (url.path() != QStringLiteral("/ObjLib/GetAppUpdateFile.aspx")) {
            status = "404 Not Found";
        } else {
            const QUrlQuery q(url);
            requests << q;
            body = q.queryItemValue(QStringLiteral("download")) == QStringLiteral("1") ? package : descriptor.toUtf8();
        }
        s->write("HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size())
                 + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

class SoftwareUpdateTest : public wintest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        root = testenv::newDir(QStringLiteral("root"));
        updates = root + QStringLiteral("/Updates");
        QDir().mkpath(updates);
        marker = testenv::newDir(QStringLiteral("marker")) + QStringLiteral("/ran.txt");
        unpackFolder = UpdateUnpackFolder(kApp);
        QDir(unpackFolder).removeRecursively();
        setSoftwareUpdateEndHandler([this] { ++ended; });
        g_strUpdateBaseUrl.clear();
        // The service is on this machine: a proxy from the environment must not stand between.
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }
    void TearDown() override
    {
        setSoftwareUpdateEndHandler(nullptr);
        setUpdateServiceClient(nullptr);
        g_strUpdateBaseUrl.clear();
        WindowTest::TearDown();
    }
    QString cabinet(const QString& name,
                    const QList<CabinetArchive::Entry>& entries = {{QStringLiteral("readme.txt"), "x", false}})
    {
        const QString path = updates + u'/' + name;
        CabinetArchive::write(path, entries);
        return path;
    }
    QByteArray packageBytes()
    {
        const QString tmp = testenv::newDir(QStringLiteral("pkg")) + QStringLiteral("/p.cab");
        CabinetArchive::write(tmp, {{QStringLiteral("setup.bat"), setupScript(marker), false}});
        return readAll(tmp);
    }

    QString root, updates, marker, unpackFolder;
    int ended = 0;
};

TEST(SoftwareUpdatePieces, PackageNamesAndVersions)
{
    struct Case {
        const char* name;
        std::optional<std::array<int, 3>> version;
    };
    const Case cases[] = {
        {"Mirtavolia_0002_0000_0190.CAB", std::array<int, 3> {2, 0, 190}},
        {"mirtavolia_0001_0002_0003.exe", std::array<int, 3> {1, 2, 3}},
        {"Mirtavolia_0002_0000_0190.tar.gz", std::array<int, 3> {2, 0, 190}},
        {"Mirtavolia_9.CAB", std::nullopt},
        {"Mirtavolia_zzzz_0000_0000.CAB", std::nullopt},
        {"Mirtavolia_0002-0000-0190.CAB", std::nullopt},
        {"Mirtavolia_0002_0000_0190", std::nullopt},
        {"Other_0002_0000_0190.CAB", std::nullopt},
        {"MirtavoliaX_0002_0000_0190.CAB", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(PackageVersion(QString::fromLatin1(c.name), kApp), c.version) << c.name;
    EXPECT_EQ(PackageBaseName(kApp, 2, 0, 190), QStringLiteral("Mirtavolia_0002_0000_0190"));
    EXPECT_EQ(GetUpdateFileUrl(QStringLiteral("http://h/ObjLib"), true),
              QStringLiteral("http://h/ObjLib/GetAppUpdateFile.asp"));
    EXPECT_EQ(GetUpdateFileUrl(QString(), false),
              QStringLiteral("http://www.mirtavolia.it/ObjLib/GetAppUpdateFile.aspx"));
}

TEST(SoftwareUpdatePieces, Descriptors)
{
    const QString folder = testenv::newDir(QStringLiteral("desc"));
    QDir().mkpath(folder + QStringLiteral("/Updates"));
    testenv::writeFile(folder + QStringLiteral("/Updates/Mirtavolia_0002_0001_0003.CAB"), "0123456789");

    UpdateDescriptor d;
    ASSERT_TRUE(
        ParseUpdateDescriptor(folder, QStringLiteral("OL:0003_0000_0012,123456,2007-03-01,pacchetto_CAB"), kApp, d));
    EXPECT_EQ(std::make_tuple(d.major, d.minor, d.revision, d.size, d.kind),
              std::make_tuple(3, 0, 12, qint64(123456), 2));
    EXPECT_EQ(d.date.date(), QDate(2007, 3, 1));
    EXPECT_EQ(d.file, QStringLiteral("pacchetto_CAB"));

    ASSERT_TRUE(ParseUpdateDescriptor(folder, QStringLiteral("OL:0003_0000_0012,0,not a date,x.CAB"), kApp, d));
    EXPECT_EQ(d.size, 0);   // the date is not read when nothing is offered

    ASSERT_TRUE(ParseUpdateDescriptor(folder, QStringLiteral("LC:Mirtavolia_0002_0001_0003.CAB"), kApp, d));
    EXPECT_EQ(std::make_tuple(d.major, d.minor, d.revision, d.size, d.kind), std::make_tuple(2, 1, 3, qint64(10), 1));
    EXPECT_EQ(d.file, folder + QStringLiteral("/Updates/Mirtavolia_0002_0001_0003.CAB"));

    for (const char* bad : {"OL:0003_0000_0012,123", "OL:0003_0000,1,2007-03-01,x.CAB",
                            "OL:0003_0000_0012,abc,2007-03-01,x.CAB", "OL:0003_0000_0012,5,someday,x.CAB",
                            "XX:whatever", "LC:Other_0002_0001_0003.CAB", "LC:Mirtavolia_0009_0009_0009.CAB"}) {
        try {
            ParseUpdateDescriptor(folder, QString::fromLatin1(bad), kApp, d);
            ADD_FAILURE() << bad;
        } catch (const AppError& e) {
            EXPECT_EQ(e.description,
                      QStringLiteral("[APPLICATION UPDATE] \rErrore nei dati di aggiornamento: ")
                          + QString::fromLatin1(bad));
        }
    }
}

TEST_F(SoftwareUpdateTest, LocalPackageIsUnpackedAndItsSetupRun)
{
    cabinet(QStringLiteral("Mirtavolia_0002_0000_0190.CAB"),
            {{QStringLiteral("readme.txt"), "x", false}, {QStringLiteral("SETUP.BAT"), setupScript(marker), false}});
    ui->addAnswer(QStringLiteral("Yes"));
    EXPECT_TRUE(RunSoftwareUpdate(root, kApp, 2, 0, 189, UpdateLocalOnly, nullptr, nullptr, false, true));
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(QString::fromUtf8(readAll(marker)), GetDataFolder() + u'|' + kApp + u'|' + unpackFolder);
    EXPECT_EQ(ended, 1);
    ASSERT_EQ(ui->prompts().size(), 1);
    EXPECT_TRUE(ui->prompts().first().startsWith(QStringLiteral(
        "E' DISPONIBILE UN AGGIORNAMENTO SOFTWARE, INSTALLARLO ADESSO ?\r\rNUOVA VERSIONE:\rMirtavolia v.2.0.190\r")));
    EXPECT_TRUE(ui->prompts().first().endsWith(
        QStringLiteral("\r\rN.B.: L'applicazione verrà chiusa durante l'aggiornamento.")));
}

TEST_F(SoftwareUpdateTest, LocalChoiceTakesOnlyNewerOwnPackages)
{
    cabinet(QStringLiteral("Mirtavolia_0002_0000_0190.CAB"));
    cabinet(QStringLiteral("Mirtavolia_0001_0009_0000.CAB"));
    cabinet(QStringLiteral("mirtavolia_0002_0001_0000.cab"));
    cabinet(QStringLiteral("Mirtavolia_zzzz.CAB"));   // sorts after every version, is none
    cabinet(QStringLiteral("Other_0009_0000_0000.CAB"));
    QFile::link(updates + QStringLiteral("/Mirtavolia_0002_0000_0190.CAB"),
                updates + QStringLiteral("/Mirtavolia_0009_0000_0000.CAB"));

    EXPECT_EQ(CheckForUpdates(root, kApp, 2, 0, 0, UpdateLocalOnly, nullptr, nullptr),
              QStringLiteral("LC:mirtavolia_0002_0001_0000.cab"));
    EXPECT_EQ(CheckForUpdates(root, kApp, 2, 1, 0, UpdateLocalOnly, nullptr, nullptr), QString());   // same version
    EXPECT_EQ(CheckForUpdates(root, kApp, 3, 0, 0, UpdateLocalOnly, nullptr, nullptr), QString());
    EXPECT_FALSE(RunSoftwareUpdate(root, kApp, 2, 1, 0, UpdateLocalOnly, nullptr, nullptr, false, true));
    EXPECT_TRUE(ui->prompts().isEmpty());
    EXPECT_EQ(ended, 0);

    if (::getuid() == 0) {
        // Only the superuser can hand a file to someone else: another user's package never runs.
        const QString foreign = cabinet(QStringLiteral("Mirtavolia_0005_0000_0000.CAB"));
        ASSERT_EQ(::chown(QFile::encodeName(foreign).constData(), 65534, 65534), 0);
        EXPECT_FALSE(UpdatePackageIsOwn(foreign));
        EXPECT_EQ(CheckForUpdates(root, kApp, 2, 0, 0, UpdateLocalOnly, nullptr, nullptr),
                  QStringLiteral("LC:mirtavolia_0002_0001_0000.cab"));
    }
}

TEST_F(SoftwareUpdateTest, PackageClimbingOutOfItsFolderIsRefused)
{
    // The temporary folder is shared: the escaping name is one nobody else uses.
    const QString escaping = QStringLiteral("mv-escaped-") + QFileInfo(marker).dir().dirName();
    cabinet(QStringLiteral("Mirtavolia_0002_0000_0190.CAB"),
            {{QStringLiteral("SETUP.BAT"), setupScript(marker), false},
             {QStringLiteral("../") + escaping, "escaped", false}});
    EXPECT_THROW(RunSoftwareUpdate(root, kApp, 1, 0, 0, UpdateLocalOnly, nullptr, nullptr, true, true), AppError);
    EXPECT_FALSE(QFile::exists(GetTempDir() + u'/' + escaping));
    EXPECT_TRUE(QDir(unpackFolder).isEmpty());
    EXPECT_EQ(ended, 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(QFile::exists(marker));
}

TEST_F(SoftwareUpdateTest, AnswerNoOrUnknownTypeStartsNothing)
{
    cabinet(QStringLiteral("Mirtavolia_0002_0000_0190.CAB"),
            {{QStringLiteral("SETUP.BAT"), setupScript(marker), false}});
    ui->addAnswer(QStringLiteral("No"));
    EXPECT_FALSE(RunSoftwareUpdate(root, kApp, 1, 0, 0, UpdateLocalOnly, nullptr, nullptr, false, true));

    QFile::remove(updates + QStringLiteral("/Mirtavolia_0002_0000_0190.CAB"));
    testenv::writeFile(updates + QStringLiteral("/Mirtavolia_0002_0000_0190.MSI"), "data");
    ui->clearLog();
    EXPECT_FALSE(RunSoftwareUpdate(root, kApp, 1, 0, 0, UpdateLocalOnly, nullptr, nullptr, true, true));
    EXPECT_EQ(ui->prompts(),
              QStringList {QStringLiteral("Formato del file di aggiornamento non supportato.\r\rFILE: ") + updates
                           + QStringLiteral("/Mirtavolia_0002_0000_0190.MSI")});
    EXPECT_EQ(ended, 0);
    EXPECT_FALSE(QFile::exists(marker));
}

TEST_F(SoftwareUpdateTest, PackageWithoutSetupProgramOpensItsFolder)
{
    cabinet(QStringLiteral("Mirtavolia_0002_0000_0190.CAB"), {{QStringLiteral("readme.txt"), "x", false}});
    EXPECT_TRUE(RunSoftwareUpdate(root, kApp, 1, 0, 0, UpdateLocalOnly, nullptr, nullptr, true, false));
    EXPECT_EQ(
        ui->log(),
        (QStringList {
            QStringLiteral("MSGBOX: File di avvio per l'aggiornamento non identificato, è necessario l'avvio manuale."),
            QStringLiteral("OPEN: ") + QUrl::fromLocalFile(unpackFolder).toString()}));
}

TEST_F(SoftwareUpdateTest, OnlinePackageIsDownloadedAndInstalled)
{
    LoopbackUpdateService service;
    ASSERT_TRUE(service.start());
    g_strUpdateBaseUrl = service.baseUrl();
    service.package = packageBytes();
    // A name ending in an underscore and CAB is a cabinet.
    service.descriptor = QStringLiteral("0003_0001_0000,%1,2007-03-01,pacchetto_CAB").arg(service.package.size());
    // A local package exists too: the service is asked for what is newer than it.
    cabinet(QStringLiteral("Mirtavolia_0002_0000_0190.CAB"), {{QStringLiteral("SETUP.BAT"), "exit 1\n", false}});

    EXPECT_TRUE(RunSoftwareUpdate(root, kApp, 2, 0, 100, UpdateLocalAndOnline, nullptr, nullptr, true, true));
    ASSERT_TRUE(waitForFile(marker));
    EXPECT_EQ(readAll(updates + QStringLiteral("/Mirtavolia_0003_0001_0000.CAB")), service.package);
    ASSERT_EQ(service.requests.size(), 2);
    EXPECT_EQ(service.requests[0].toString(), QStringLiteral("app=Mirtavolia&major=2&minor=0&revision=190"));
    EXPECT_EQ(service.requests[1].toString(), QStringLiteral("app=Mirtavolia&major=2&minor=0&revision=100&download=1"));
    EXPECT_EQ(ended, 1);
}

TEST_F(SoftwareUpdateTest, UnreachableServiceIsReportedAndTheLocalPackageStays)
{
    LoopbackUpdateService service;
    ASSERT_TRUE(service.start());
    g_strUpdateBaseUrl = service.baseUrl();
    service.stop();

    EXPECT_EQ(CheckForUpdates(root, kApp, 1, 0, 0, UpdateOnlineOnly, nullptr, nullptr), QString());
    ASSERT_EQ(ui->prompts().size(), 1);
    EXPECT_TRUE(ui->prompts().first().startsWith(
        QStringLiteral("CONTROLLO AGGIORNAMENTI ON-LINE NON RIUSCITO.\r\rVerificare che la connessione internet sia "
                       "disponibile...\r\rDETTAGLI:\r")));

    cabinet(QStringLiteral("Mirtavolia_0002_0000_0190.CAB"));
    ui->clearLog();
    EXPECT_EQ(CheckForUpdates(root, kApp, 1, 0, 0, UpdateLocalAndOnline, nullptr, nullptr),
              QStringLiteral("LC:Mirtavolia_0002_0000_0190.CAB"));
    EXPECT_EQ(ui->prompts().size(), 1);
}

TEST_F(SoftwareUpdateTest, NothingNewerOnlineMeansNoUpdate)
{
    LoopbackUpdateService service;
    ASSERT_TRUE(service.start());
    g_strUpdateBaseUrl = service.baseUrl();
    for (const QString& answer : {QString(), QStringLiteral("0003_0000_0000,0,,x.CAB")}) {
        service.descriptor = answer;
        EXPECT_FALSE(RunSoftwareUpdate(root, kApp, 2, 0, 0, UpdateOnlineOnly, nullptr, nullptr, false, true));
    }
    EXPECT_TRUE(ui->prompts().isEmpty());
    EXPECT_EQ(service.requests.size(), 2);
}

TEST_F(SoftwareUpdateTest, UpdateCommandSaysWhenThereIsNothingNew)
{
    LoopbackUpdateService service;
    ASSERT_TRUE(service.start());
    g_strUpdateBaseUrl = service.baseUrl();
    ::settings().RootDir = root;
    EXPECT_FALSE(SoftwareUpdateCommand(nullptr));
    ::settings().RootDir.clear();
    EXPECT_EQ(ui->prompts(), QStringList {QStringLiteral("NESSUN AGGIORNAMENTO.")});
    ASSERT_EQ(service.requests.size(), 1);
    EXPECT_EQ(service.requests[0].queryItemValue(QStringLiteral("app")), AppExeName());
    EXPECT_EQ(service.requests[0].queryItemValue(QStringLiteral("major")), QString::number(AppVersionMajor()));
    EXPECT_FALSE(frmMessage::isLoaded());
}

}   // namespace
