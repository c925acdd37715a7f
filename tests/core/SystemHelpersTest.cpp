#include "base/Clock.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "base/FileOps.h"
#include "core/helpers/SystemHelpers.h"
#include "TestEnvironment.h"
#include "base/UiServices.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <gtest/gtest.h>

#include <unistd.h>

namespace {

Currency amount(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

TEST(TextToBool, WordsAndNumbers)
{
    struct Case {
        const char* text;
        bool expected;
    };
    const Case cases[] = {
        {"FALSE", false}, {"falso", false},        {"No", false},       {"", false},
        {"  ", false},    {"null", false},         {"Off", false},      {"TRUE", true},
        {"si", true},     {"yes", true},           {"ok", true},        {"Vero", true},
        {"on", true},     {"  s\xc3\xac  ", true}, {"S\xc3\x8c", true}, {"2", true},
        {"-1", true},     {"0.5", true},           {"0", false},        {"0.0", false},
        {"forse", false}, {"sì no", false},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToBool(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST(RoundCurrency, HalvesGoTowardPlusInfinity)
{
    struct Case {
        const char* value;
        int decimals;
        int32_t unit;
        const char* expected;
    };
    const Case cases[] = {
        {"1.005", 2, 1, "1.01"},     {"-0.5", 0, 1, "0"},        {"2.5", 0, 1, "3"},
        {"2.345", 2, 1, "2.35"},     {"-2.345", 2, 1, "-2.34"},  {"-2.346", 2, 1, "-2.35"},
        {"1.2344", 3, 1, "1.234"},   {"0.0001", 4, 1, "0.0001"}, {"7", 0, 5, "5"},
        {"12", 0, 5, "10"},          {"12.5", 0, 5, "15"},       {"-7.5", 0, 5, "-5"},
        {"3.14159", 6, 1, "3.1416"}, {"2.5", -1, 1, "3"},        {"922337203685.4775", 2, 1, "922337203685.48"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RoundCurrency(amount(c.value), c.decimals, c.unit), amount(c.expected))
            << c.value << " @" << c.decimals << " unit " << c.unit;
        EXPECT_EQ(RoundCurrency(amount(c.value).toDouble(), c.decimals, c.unit), amount(c.expected))
            << "double " << c.value;
    }
}

TEST(RoundCurrency, LeavingTheRangeRaisesOverflow)
{
    try {
        (void)RoundCurrency(amount("922337203685477"), 2, 1);
        FAIL() << "no overflow";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, AppError::kOverflow);
    }
}

TEST(Paths, GetFileNameAndGetParentDir)
{
    struct Case {
        const char* path;
        const char* name;
        const char* parent;
    };
    const Case cases[] = {
        {"a/b/c", "c", "a/b"},
        {"abc", "abc", ""},
        {"C:\\a\\b.txt", "b.txt", "C:\\a"},
        {"C:\\x", "x", "C:"},
        {"/home/u/Mirtavolia.mdb", "Mirtavolia.mdb", "/home/u"},
        {"/x", "x", "/"},
        {"dir/", "", "dir"},
        {"C:\\a/b", "b", "C:\\a"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetFileName(QString::fromLatin1(c.path)), QString::fromLatin1(c.name)) << c.path;
        EXPECT_EQ(GetParentDir(QString::fromLatin1(c.path)), QString::fromLatin1(c.parent)) << c.path;
    }
}

TEST(Paths, JoinPathAndBuildFilePathAgree)
{
    struct Case {
        const char* folder;
        const char* name;
        const char* ext;
        const char* expected;
    };
    const Case cases[] = {
        {"C:\\d", "nome.1.dat", "flg", "C:\\d\\nome.flg"},
        {"C:\\d\\", "x", "", "C:\\d\\x"},
        {"", "x", "txt", "x.txt"},
        {"", "a.b.c", "", "a.b.c"},
        {"/srv/shop", "Mirtavolia.mdb", "", "/srv/shop/Mirtavolia.mdb"},
        {"/srv/shop/", "Mirtavolia.mdb", "", "/srv/shop/Mirtavolia.mdb"},
        {"/srv/shop", "Mirtavolia.mdb", "ldb", "/srv/shop/Mirtavolia.ldb"},
        {"C:/d", "x", "", "C:/d/x"},
        {"/", "x", "", "/x"},
        {"rel", ".hidden", "bak", "rel/.bak"},
    };
    for (const Case& c : cases) {
        const QString f = QString::fromLatin1(c.folder), n = QString::fromLatin1(c.name),
                      e = QString::fromLatin1(c.ext);
        EXPECT_EQ(JoinPath(f, n, e), QString::fromLatin1(c.expected)) << c.folder << " + " << c.name;
        EXPECT_EQ(BuildFilePath(f, n, e), QString::fromLatin1(c.expected)) << c.folder << " + " << c.name;
    }
}

TEST(Paths, DatabaseFilesFollowTheMode)
{
    ScopedSettings scoped;
    scoped->RootDir = QStringLiteral("/srv/negozio");
    scoped->BackupDir = QStringLiteral("/mnt/copia/");
    scoped->MaintenanceMode = false;
    EXPECT_EQ(WorkingDatabasePath(), QStringLiteral("/srv/negozio/Mirtavolia.mdb"));
    scoped->MaintenanceMode = true;
    EXPECT_EQ(WorkingDatabasePath(), QStringLiteral("/srv/negozio/MirtavoliaMaintenance.mdb"));
    EXPECT_EQ(BackupDatabasePath(), QStringLiteral("/mnt/copia/Mirtavolia.mdb"));
}

TEST(Folders, CreateDirectoryTreeDropsTheLastComponentUnlessItEndsWithASeparator)
{
    const QString root = testenv::newDir(QStringLiteral("tree"));
    EXPECT_TRUE(CreateDirectoryTree(root + QStringLiteral("/a/b/c")));
    EXPECT_TRUE(QDir(root + QStringLiteral("/a/b")).exists());
    EXPECT_FALSE(QDir(root + QStringLiteral("/a/b/c")).exists());
    EXPECT_TRUE(CreateDirectoryTree(root + QStringLiteral("/a/b/c/")));
    EXPECT_TRUE(QDir(root + QStringLiteral("/a/b/c")).exists());
    EXPECT_TRUE(CreateDirectoryTree(root + QStringLiteral("\\x\\y\\")));   // backslashes read as separators
    EXPECT_TRUE(QDir(root + QStringLiteral("/x/y")).exists());
    EXPECT_TRUE(CreateDirectoryTree(QStringLiteral("plainname")));
}

TEST(Folders, CreateDirectoryTreeReportsTheFirstFailure)
{
    const QString root = testenv::newDir(QStringLiteral("treefail"));
    QFile blocker(root + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto scripted = std::make_shared<ScriptedUiServices>();
    setUiServices(scripted);
    EXPECT_FALSE(CreateDirectoryTree(root + QStringLiteral("/file/sub/x"), false));
    EXPECT_TRUE(scripted->log().isEmpty());
    EXPECT_FALSE(CreateDirectoryTree(root + QStringLiteral("/file/sub/x"), true));
    ASSERT_EQ(scripted->prompts().size(), 1);
    EXPECT_TRUE(scripted->prompts()[0].startsWith(QStringLiteral("Errore in crezione indirizzario ") + root
                                                  + QStringLiteral("/file...\r\r")));
    setUiServices(nullptr);
}

TEST(Folders, FileExistsByAttributes)
{
    const QString root = testenv::newDir(QStringLiteral("exists"));
    const QString file = root + QStringLiteral("/f.txt");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_TRUE(FileExists(root, 0));
    EXPECT_TRUE(FileExists(root, FileAttr::Directory));
    EXPECT_TRUE(FileExists(file, 0));
    EXPECT_FALSE(FileExists(file, FileAttr::Directory));
    EXPECT_FALSE(FileExists(root + QStringLiteral("/missing"), 0));
    EXPECT_FALSE(FileExists(QString(), 0));
}

TEST(Folders, DataAndTemporaryFolders)
{
    const QString data = GetDataFolder();
    EXPECT_TRUE(data.endsWith(QStringLiteral("/Mirtavolia")));
    EXPECT_TRUE(data.startsWith(testenv::root()));   // the private XDG data folder of the tests
    EXPECT_TRUE(QDir(data).exists());
    EXPECT_EQ(GetWritableDataDir(true), data);
    EXPECT_FALSE(GetTempDir().endsWith(u'/'));
    EXPECT_TRUE(FileExists(GetTempDir(), FileAttr::Directory));
    EXPECT_FALSE(IsWindowsVersion52());
    EXPECT_FALSE(IsWindowsVersion6OrLater());
}

TEST(SystemFolders, TheTemporaryFolderAlwaysExists)
{
    const QByteArray saved = qgetenv("TMPDIR");
    const QString own = testenv::newDir("tmpdir");
    QFile file(own + QStringLiteral("/file"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    struct Case {
        QString tmpdir;
        QString expected;
    };   // expected empty: any existing folder
    const Case cases[] = {
        {own, own},
        {own + u'/', own},
        {own + QStringLiteral("/missing"), QString()},
        {own + QStringLiteral("/file"), QString()},
        {QString(), QString()},
    };
    for (const Case& c : cases) {
        qputenv("TMPDIR", c.tmpdir.toLocal8Bit());
        const QString dir = GetTempDir();
        if (!c.expected.isEmpty()) {
            EXPECT_EQ(dir, c.expected);
        }
        EXPECT_TRUE(QFileInfo(dir).isAbsolute()) << c.tmpdir.toStdString() << " -> " << dir.toStdString();
        EXPECT_TRUE(FileExists(dir, FileAttr::Directory)) << c.tmpdir.toStdString() << " -> " << dir.toStdString();
    }
    if (saved.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", saved);
}

TEST(AppErrors, DescriptionsAndNumbers)
{
    struct Case {
        int32_t code;
        const char* text;
        const char* description;
    };
    const Case cases[] = {
        {7, "Testo", "[frmMain] , Err.: 7 \rTesto"},
        {AppError::kGenericCode, "", "[frmMain]"},
        {AppError::kGenericCode, "Riga uno\rRiga due", "[frmMain] \rRiga uno\rRiga due"},
        {-3, "", "[frmMain] , Err.: -3"},
    };
    for (const Case& c : cases) {
        try {
            RaiseAppErrorCode(QStringLiteral("frmMain"), c.code, QString::fromLatin1(c.text));
        } catch (const AppError& e) {
            EXPECT_EQ(e.description, QString::fromLatin1(c.description));
            EXPECT_EQ(e.number, AppError::kObjectErrorBase + c.code);
            EXPECT_EQ(e.source, QStringLiteral("Mirtavolia"));
        }
    }
    QObject named;
    EXPECT_THROW(RaiseAppError(&named, QString()), AppError);
    try {
        RaiseAppError(&named, QString());
    } catch (const AppError& e) {
        EXPECT_EQ(e.description, QStringLiteral("[QObject]"));
        EXPECT_EQ(e.number - AppError::kObjectErrorBase, 32755);
    }
    try {
        RaiseAppErrorCode(QStringLiteral("x"), -300000, QString());   // below the 32-bit range
        FAIL();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number, AppError::kOverflow);
    }
}

// The wall clock crosses midnight during the wait; the wait still ends after its own length.
TEST(WaitSeconds, EndsOnTimeAcrossMidnight)
{
    auto clock = std::make_shared<ManualClock>(QDateTime(QDate(2024, 3, 1), QTime(23, 59, 59)));
    setAppClock(clock);
    QTimer tick;
    int ticks = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        clock->advanceMs(100);
        ++ticks;
    });
    tick.start(0);
    WaitSeconds(2.5f);
    tick.stop();
    EXPECT_EQ(clock->monotonicMs(), 2500);
    EXPECT_EQ(ticks, 25);
    EXPECT_EQ(clock->now().date(), QDate(2024, 3, 2));
    WaitSeconds(0);   // returns at once
    EXPECT_EQ(clock->monotonicMs(), 2500);
    setAppClock(nullptr);
}

TEST(ShellAndWait, ReportsExitCodesAndFailures)
{
    for (bool blocking : {true, false}) {
        QProcess p;
        p.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("exit 7")});
        EXPECT_EQ(ShellAndWait(p, blocking), 7) << blocking;

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) _exit(3);
        EXPECT_EQ(ShellAndWait(child, blocking), 3) << blocking;

        QProcess missing;
        missing.start(QStringLiteral("/nonexistent/program"));
        missing.waitForStarted();
        EXPECT_THROW(ShellAndWait(missing, blocking), AppError) << blocking;

        // Not a child of this program, or no process at all: nothing to wait for.
        EXPECT_THROW(ShellAndWait(static_cast<int64_t>(getppid()), blocking), AppError) << blocking;
        EXPECT_THROW(ShellAndWait(int64_t {0}, blocking), AppError) << blocking;
    }
    QProcess killed;
    killed.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("kill -9 $$")});
    EXPECT_EQ(ShellAndWait(killed, true), -1);
}

TEST(ShellOpen, DocumentsAndLinksGoThroughTheDialogServices)
{
    auto scripted = std::make_shared<ScriptedUiServices>();
    setUiServices(scripted);
    EXPECT_TRUE(ShellOpen(QStringLiteral("mailto:a@b.it?subject=x")));
    EXPECT_TRUE(ShellOpen(QStringLiteral("/tmp/report.htm")));
    EXPECT_FALSE(ShellOpen(QString()));
    EXPECT_EQ(scripted->log(),
              (QStringList {QStringLiteral("OPEN: mailto:a@b.it?subject=x"),
                            QStringLiteral("OPEN: file:///tmp/report.htm")}));
    setUiServices(nullptr);
}

TEST(Names, ComputerAndUser)
{
    EXPECT_FALSE(GetComputerNameText().isEmpty());
    EXPECT_FALSE(GetWindowsUserName().isEmpty());
}

}   // namespace
