// The program itself, started headless with its questions answered from a script.
#ifdef MV_MIRTAVOLIA_EXE
#include "core/lifecycle/Password.h"
#include "TestEnvironment.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <QUuid>
#include <gtest/gtest.h>

namespace {
class MirtavoliaExecutable : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = testenv::newDir(QStringLiteral("exe"));
        for (const char* d : {"config", "data", "runtime", "tmp"}) QDir(m_root).mkpath(QString::fromLatin1(d));
        QFile::setPermissions(m_root + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QString dataFolder() const { return m_root + QStringLiteral("/data/Mirtavolia"); }
    QString databasePath() const { return dataFolder() + QStringLiteral("/Mirtavolia.mdb"); }

    // Starts the program with these answers; its prompts go to a log of its own.
    std::unique_ptr<QProcess> start(const QStringList& answers, QString* logPath,
                                    QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel)
    {
        const QString id = QUuid::createUuid().toString(QUuid::Id128).left(8);
        const QString prompts = m_root + QStringLiteral("/prompts-") + id;
        *logPath = m_root + QStringLiteral("/log-") + id;
        QFile f(prompts);
        f.open(QIODevice::WriteOnly);
        for (const QString& a : answers) f.write((a + u'\n').toUtf8());
        f.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_root + QStringLiteral("/runtime"));
        env.insert(QStringLiteral("TMPDIR"), m_root + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("MIRTAVOLIA_PROMPTS"), prompts);
        env.insert(QStringLiteral("MIRTAVOLIA_PROMPT_LOG"), *logPath);
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(channels);
        p->start(QStringLiteral(MV_MIRTAVOLIA_EXE), QStringList());
        EXPECT_TRUE(p->waitForStarted(10000));
        return p;
    }

    // Runs the program to its end; the lines it logged.
    QStringList run(const QStringList& answers, int* exitCode = nullptr)
    {
        QString log;
        auto p = start(answers, &log);
        EXPECT_TRUE(p->waitForFinished(60000)) << "still running";
        if (exitCode) *exitCode = p->exitCode();
        return logLines(log);
    }

    // Runs the program until it logs `line` (an operator logged in), then stops it.
    QStringList runUntil(const QStringList& answers, const QString& line)
    {
        QString log;
        auto p = start(answers, &log);
        EXPECT_TRUE(waitForLine(log, line)) << logLines(log).join(u'|').toStdString();
        p->kill();
        p->waitForFinished(10000);
        return logLines(log);
    }

    static QStringList logLines(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return {};
        QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }
    static bool waitForLine(const QString& path, const QString& line, int ms = 60000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (logLines(path).contains(line)) return true;
            QThread::msleep(50);
        }
        return false;
    }
    static QStringList messageBoxes(const QStringList& log)
    {
        return log.filter(QRegularExpression(QStringLiteral("^MSGBOX: ")));
    }

    QVariantList column(const QString& sql)
    {
        QVariantList out;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("exe-check"));
            db.setDatabaseName(databasePath());
            EXPECT_TRUE(db.open());
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
            while (q.next()) out << q.value(0);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("exe-check"));
        return out;
    }

    QString m_root;
};

const QString kCreate = QStringLiteral("MSGBOX: Il database non è presente\r\rVuoi crearlo ?");
const QString kLoggedIn = QStringLiteral("STATUS: Operatore: Amministratore");
}

TEST_F(MirtavoliaExecutable, CreatesTheDatabaseOnYesAndAsksNothingNextTime)
{
    const QStringList first = run({QStringLiteral("Yes")});
    EXPECT_EQ(messageBoxes(first), QStringList {kCreate});
    ASSERT_TRUE(QFile::exists(databasePath()));
    EXPECT_EQ(column(QStringLiteral("SELECT Nome FROM Operatori ORDER BY Nome")),
              (QVariantList {QStringLiteral("Amministratore"), QStringLiteral("Operatore")}));
    EXPECT_GE(column(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                                    "('Articoli','Vendite','ScaricoArticoli','Clienti','Ricevute','UnitaMisura')"))
                  .value(0)
                  .toInt(),
              6);
    EXPECT_GT(column(QStringLiteral("SELECT count(*) FROM UnitaMisura")).value(0).toInt(), 0);

    const QStringList second = runUntil({QStringLiteral("Amministratore"), QString()}, kLoggedIn);
    EXPECT_TRUE(messageBoxes(second).isEmpty()) << second.join(u'|').toStdString();
}

TEST_F(MirtavoliaExecutable, NoLeavesNoDatabaseFile)
{
    int exitCode = -1;
    const QStringList log = run({QStringLiteral("No"), QStringLiteral("<cancel>"), QStringLiteral("No")}, &exitCode);
    ASSERT_FALSE(messageBoxes(log).isEmpty());
    EXPECT_EQ(messageBoxes(log).first(), kCreate);
    EXPECT_TRUE(log.contains(QStringLiteral("INPUT: [frmOptions] OK / Esci")));
    EXPECT_TRUE(messageBoxes(log).last().endsWith(
        QStringLiteral("Database non inizializzato...\r\rVuoi cambiare le impostazioni ?")))
        << messageBoxes(log).last().toStdString();
    EXPECT_FALSE(QFile::exists(databasePath()));
}

// Left to its defaults, "Vuoi cambiare le impostazioni ?" would open the options again and
// again: the run ends at the first question the file does not answer.
TEST_F(MirtavoliaExecutable, AnswersUsedUpEndTheRunWithItsOwnStatus)
{
    QElapsedTimer t;
    t.start();
    int exitCode = -1;
    const QStringList log = run({QStringLiteral("No")}, &exitCode);
    EXPECT_LT(t.elapsed(), 20000);
    EXPECT_EQ(exitCode, 3);
    ASSERT_FALSE(log.isEmpty());
    EXPECT_EQ(log.first(), kCreate);
    EXPECT_EQ(log.last(), QStringLiteral("UNANSWERED: [frmOptions] OK / Esci"));
    EXPECT_FALSE(QFile::exists(databasePath()));
}

TEST_F(MirtavoliaExecutable, SecondCopyEndsAtOnceAndAKilledCopyLeavesNoLock)
{
    run({QStringLiteral("Yes")});
    QString firstLog;
    auto first = start({QStringLiteral("Amministratore"), QString()}, &firstLog);
    ASSERT_TRUE(waitForLine(firstLog, kLoggedIn));

    QElapsedTimer t;
    t.start();
    int exitCode = -1;
    const QStringList second = run({}, &exitCode);
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_EQ(
        messageBoxes(second),
        QStringList {QStringLiteral("MSGBOX: L'applicazione e' stata gia' avviata\r\rControlla la barra dei menu' per "
                                    "la riattivazione premendo doppio click sull'icona corrispondente...")});
    EXPECT_EQ(first->state(), QProcess::Running);

    first->kill();   // SIGKILL: no clean-up at all
    ASSERT_TRUE(first->waitForFinished(10000));
    const QStringList third = runUntil({QStringLiteral("Amministratore"), QString()}, kLoggedIn);
    EXPECT_TRUE(messageBoxes(third).isEmpty());
}

TEST_F(MirtavoliaExecutable, AccessPasswordFileGuardsTheStart)
{
    run({QStringLiteral("Yes")});
    // No file: no password before the operator's choice (the status bar's lines aside).
    QStringList log = run({});
    const QStringList asked = log.filter(QRegularExpression(QStringLiteral("^(INPUT|MSGBOX): ")));
    ASSERT_FALSE(asked.isEmpty());
    EXPECT_TRUE(asked.first().startsWith(QStringLiteral("INPUT: [frmSelectOper]"))) << asked.first().toStdString();

    WriteAccessPasswordFile(QStringLiteral("Cassa"), dataFolder() + QStringLiteral("/prtct1.sys"));
    int exitCode = 0;
    log = run({QStringLiteral("cassetta")}, &exitCode);
    EXPECT_EQ(messageBoxes(log),
              QStringList {QStringLiteral("MSGBOX: La password non è corretta.\r\rFare attenzione "
                                          "all'utilizzo delle maiuscole/minuscole")});
    EXPECT_TRUE(log.filter(QStringLiteral("[frmSelectOper]")).isEmpty());   // the program ended there
    EXPECT_NE(exitCode, 0);

    log = runUntil({QStringLiteral("Cassa"), QStringLiteral("Amministratore"), QString()}, kLoggedIn);
    EXPECT_TRUE(messageBoxes(log).isEmpty());
}
// The main window's first activation creates the database and lets the administrator in
// with the empty password; the window then stays up. A refused password ends the program.
TEST_F(MirtavoliaExecutable, FirstStartLetsTheAdministratorInAndAWrongPasswordEndsTheProgram)
{
    QString logPath;
    auto first = start({QStringLiteral("Yes"), QStringLiteral("Amministratore"), QString()}, &logPath);
    ASSERT_TRUE(waitForLine(logPath, kLoggedIn)) << logLines(logPath).join(u'|').toStdString();
    const QStringList log = logLines(logPath);
    EXPECT_EQ(messageBoxes(log), QStringList {kCreate});
    EXPECT_TRUE(log.contains(QStringLiteral("INPUT: [frmSelectOper] Amministratore, Operatore")));
    EXPECT_TRUE(log.contains(QStringLiteral("INPUT: [frmPassword] Password")));
    EXPECT_FALSE(first->waitForFinished(1500));   // the window is up, waiting for the operator
    first->kill();
    first->waitForFinished(10000);

    int exitCode = -1;
    const QStringList refused = run({QStringLiteral("Amministratore"), QStringLiteral("sbagliata"),
                                     QStringLiteral("OK"), QStringLiteral("<cancel>")},
                                    &exitCode);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(messageBoxes(refused),
              QStringList {QStringLiteral("MSGBOX: La password non è corretta.\r\rFare attenzione "
                                          "all'utilizzo delle maiuscole/minuscole")});
    EXPECT_FALSE(refused.contains(kLoggedIn));
    EXPECT_TRUE(refused.filter(QStringLiteral("UNANSWERED")).isEmpty());
}
// On the offscreen platform the program shows and raises its windows as on a screen; the
// platform's complaints that it cannot do so are not the program's to print.
TEST_F(MirtavoliaExecutable, AHeadlessRunSaysNothingOfThePlatform)
{
    QString logPath;
    auto p = start({QStringLiteral("Yes"), QStringLiteral("Amministratore"), QString()}, &logPath,
                   QProcess::SeparateChannels);
    ASSERT_TRUE(waitForLine(logPath, kLoggedIn)) << logLines(logPath).join(u'|').toStdString();
    p->kill();
    p->waitForFinished(10000);
    const QString errors = QString::fromUtf8(p->readAllStandardError());
    EXPECT_FALSE(errors.contains(QStringLiteral("This plugin does not support"))) << errors.toStdString();
}
#endif
