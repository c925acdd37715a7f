#include "TestEnvironment.h"
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

namespace {
QTemporaryDir& tempRoot()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/mvtest-XXXXXX"));
    return dir;
}

struct PrivateFolders {
    PrivateFolders()
    {
        const QString r = tempRoot().path();
        QDir(r).mkpath(QStringLiteral("config"));
        QDir(r).mkpath(QStringLiteral("data"));
        QDir(r).mkpath(QStringLiteral("runtime"));
        // Qt insists on a private runtime folder and warns on every use otherwise.
        QFile::setPermissions(r + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        setenv("XDG_CONFIG_HOME", qPrintable(r + QStringLiteral("/config")), 1);
        setenv("XDG_DATA_HOME", qPrintable(r + QStringLiteral("/data")), 1);
        setenv("XDG_RUNTIME_DIR", qPrintable(r + QStringLiteral("/runtime")), 1);
        // Temporary files too: parallel test processes must not share unpack or scratch folders.
        QDir(r).mkpath(QStringLiteral("tmp"));
        setenv("TMPDIR", qPrintable(r + QStringLiteral("/tmp")), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        unsetenv("MIRTAVOLIA_PROMPTS");
        unsetenv("MIRTAVOLIA_PROMPT_LOG");
    }
} const g_privateFolders;

// ctest runs every test in a process of its own, so no test may rely on an earlier one
// having created the application object that widgets, timers and event loops need.
class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (QCoreApplication::instance()) return;
        static int argc = 1;
        static char name[] = "mvtest";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
};
::testing::Environment* const g_applicationEnvironment
    = ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment);
}

QString testenv::root() { return tempRoot().path(); }

QString testenv::newDir(const QString& name)
{
    QString p = root() + u'/' + name + u'-' + QUuid::createUuid().toString(QUuid::Id128).left(8);
    QDir().mkpath(p);
    return p;
}

testenv::FileSizeLimit::FileSizeLimit(long bytes)
{
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_soft = limit.rlim_cur;
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

testenv::FileSizeLimit::~FileSizeLimit()
{
    rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_soft);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_handler);
}

QByteArray testenv::readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void testenv::writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}
