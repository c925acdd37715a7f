// A save of 10,000 sales killed (SIGKILL) in the middle, then the program started again:
// both files are sound, and every sale is in exactly one of them, with its line.
#include "base/Clock.h"
#include "core/configuration/Configuration.h"
#include "base/Currency.h"
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "base/SettingsStore.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>
#include <gtest/gtest.h>

#ifdef MV_MVTOOL_EXE

namespace {

constexpr int kSales = 10000;
constexpr double kStock = 50000;

// Where to kill the child: the first progress line at or after `stage`, once the library's
// count has reached `count` (0: at once).
struct KillCase {
    const char* name;
    bool restore;   // kill a restore of the whole saved month instead of the save
    bool automatic;   // no questions (the exit save); otherwise answered Yes from a script
    const char* stage;
    int count;
};

void PrintTo(const KillCase& c, std::ostream* os) { *os << c.name; }

struct FileState {
    QSet<qint64> sales;
    qint64 lines = 0;
    qint64 linkRows = 0;
    QString integrity;
    double stock = 0;
};

FileState inspect(const QString& path)
{
    FileState s;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        c.setDatabaseName(path);
        c.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (c.open()) {
            QSqlQuery q(c);
            q.exec(QStringLiteral("PRAGMA integrity_check"));
            if (q.next()) s.integrity = q.value(0).toString();
            q.exec(QStringLiteral("SELECT OID FROM Vendite"));
            while (q.next()) s.sales.insert(q.value(0).toLongLong());
            q.exec(QStringLiteral("SELECT COUNT(*) FROM ScaricoArticoli"));
            if (q.next()) s.lines = q.value(0).toLongLong();
            q.exec(QStringLiteral("SELECT COUNT(*) FROM \"Vendite$Articoli\""));
            if (q.next()) s.linkRows = q.value(0).toLongLong();
            q.exec(QStringLiteral("SELECT ValoreScorta FROM Articoli WHERE Codice = 'A'"));
            if (q.next()) s.stock = q.value(0).toDouble();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return s;
}

class KilledMove : public ::testing::TestWithParam<KillCase> {
protected:
    // One shop of 10,000 completed sales of March 2007, each of one line, built once.
    static void SetUpTestSuite()
    {
        s_template = testenv::newDir(QStringLiteral("kill-template")) + QStringLiteral("/Mirtavolia.mdb");
        auto clock = std::make_shared<ManualClock>(QDateTime(QDate(2007, 3, 1), QTime(8, 0)));
        setAppClock(clock);
        auto engine = std::make_shared<DBEngine>();
        engine->CreateDatabase(3, s_template);
        engine->OpenDatabase(3, s_template);
        auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
        db->AttachEngine(engine);
        const qint64 article = db->Tables()
                                   .Item(QStringLiteral("Articoli"))
                                   ->Select()
                                   ->AddRow({"Codice", "A", "Descrizione", "Articolo A", "PrezzoVendita",
                                             QVariant::fromValue(Currency::fromDouble(1.5)), "ValoreScorta", kStock});
        auto sales = db->Tables().Item(QStringLiteral("Vendite"))->Select(QStringLiteral("OID = 0"));
        for (int i = 0; i < kSales; ++i) {
            clock->advanceMs(200 * 1000);   // 10,000 sales over 23 days of March
            sales->NewRow();
            sales->Update();
            sales->GetReference(QStringLiteral("Articoli"))->AddRow({"objParent", article, "ValoreScarico", 1.0});
            sales->SetValue(QStringLiteral("Completato"), true);
            sales->Update();
        }
        s_stock = db->RunQuery(QStringLiteral("SELECT ValoreScorta FROM Articoli")).rows.value(0).value(0).toDouble();
        sales.reset();
        db->Close();
        engine->Close();
        setAppClock(std::make_shared<SystemClock>());
        ASSERT_FALSE(QFile::exists(s_template + QStringLiteral("-wal"))) << "a closed file has no log beside it";
    }

    void SetUp() override
    {
        m_root = testenv::newDir(QStringLiteral("kill-lavoro"));
        m_backup = testenv::newDir(QStringLiteral("kill-backup"));
        m_config = testenv::newDir(QStringLiteral("kill-config"));
        // The template is closed, with no log beside it: a plain copy of it is whole.
        ASSERT_TRUE(QFile::copy(s_template, working()));
        IniSettingsStore ini(m_config + QStringLiteral("/Mirtavolia/Mirtavolia.ini"));
        ini.set(QStringLiteral("Configuration"), QStringLiteral("RootDir"), m_root);
        ini.set(QStringLiteral("Configuration"), QStringLiteral("BackupDir"), m_backup);
        ini.sync();
    }

    QString working() const { return m_root + QStringLiteral("/Mirtavolia.mdb"); }
    QString backup() const { return m_backup + QStringLiteral("/Mirtavolia.mdb"); }

    QProcessEnvironment environment(const QString& answers) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_config);
        const QString file = m_config + QStringLiteral("/answers-") + QUuid::createUuid().toString(QUuid::Id128);
        QFile f(file);
        if (f.open(QIODevice::WriteOnly)) f.write(answers.toUtf8());
        env.insert(QStringLiteral("MIRTAVOLIA_PROMPTS"), file);
        return env;
    }

    static QStringList backupArgs(bool restore, bool automatic)
    {
        QStringList args {"backup", "--from", "2007-03-01", "--to", "2007-03-31", "--delete"};
        if (restore) args << "--restore";
        if (automatic) args << "--automatic";
        return args;
    }

    // Runs the tool to its end; its output.
    QString runTool(const QStringList& args, const QString& answers = QString())
    {
        QProcess p;
        p.setProcessEnvironment(environment(answers));
        p.start(QStringLiteral(MV_MVTOOL_EXE), args);
        p.waitForFinished(300000);
        return QString::fromUtf8(p.readAllStandardOutput());
    }

    // Runs the tool and kills it at the case's point. False when it ended first.
    bool runAndKill(const KillCase& c, QString* seen)
    {
        QProcess p;
        p.setProcessEnvironment(environment(c.automatic ? QString() : QStringLiteral("Yes\nYes\nOK\n")));
        p.start(QStringLiteral(MV_MVTOOL_EXE), backupArgs(c.restore, c.automatic));
        static const QRegularExpression count(QStringLiteral("^COUNT: (\\d+)/"));
        bool atStage = false;
        QByteArray pending;
        while (p.state() != QProcess::NotRunning) {
            if (!p.waitForReadyRead(60000)) break;
            pending += p.readAllStandardOutput();
            qsizetype nl;
            while ((nl = pending.indexOf('\n')) >= 0) {
                const QString line = QString::fromUtf8(pending.left(nl));
                pending.remove(0, nl + 1);
                *seen += line + u'\n';
                if (line.startsWith(QLatin1String(c.stage))) atStage = true;
                const auto m = count.match(line);
                if (atStage && (c.count == 0 || (m.hasMatch() && m.captured(1).toInt() >= c.count))) {
                    p.kill();   // SIGKILL: no clean-up of any kind
                    p.waitForFinished(30000);
                    return p.exitStatus() == QProcess::CrashExit;
                }
            }
        }
        p.waitForFinished(30000);
        return false;
    }

    static QString s_template;
    static double s_stock;
    QString m_root, m_backup, m_config;
};

QString KilledMove::s_template;
double KilledMove::s_stock = 0;

TEST_P(KilledMove, EverySaleEndsInExactlyOneFile)
{
    const KillCase& c = GetParam();
    const QSet<qint64> all = inspect(working()).sales;
    ASSERT_EQ(all.size(), kSales);
    if (c.restore) {
        // Everything saved first, completely, then the restore is the run that dies.
        ASSERT_TRUE(runTool(backupArgs(false, true)).contains(QLatin1String("COMPLETED")));
        ASSERT_EQ(inspect(backup()).sales, all);
    }

    QString seen;
    ASSERT_TRUE(runAndKill(c, &seen)) << "the run ended before the kill point:\n" << seen.toStdString();
    EXPECT_FALSE(seen.contains(QLatin1String("COMPLETED")));

    // The program starts again: the interrupted move is finished.
    const QString restart = runTool({"backup", "--recover"});
    EXPECT_TRUE(restart.contains(QLatin1String("RECOVERED"))) << restart.toStdString();

    const FileState w = inspect(working());
    const FileState b = inspect(backup());
    EXPECT_EQ(w.integrity, "ok");
    EXPECT_EQ(b.integrity, "ok");
    EXPECT_TRUE((w.sales & b.sales).isEmpty()) << (w.sales & b.sales).size() << " sales in both files";
    EXPECT_EQ(w.sales + b.sales, all) << "no sale lost";
    EXPECT_EQ(w.lines, w.sales.size()) << "each sale with its line";
    EXPECT_EQ(b.lines, b.sales.size());
    EXPECT_EQ(w.linkRows, w.sales.size());
    EXPECT_EQ(b.linkRows, b.sales.size());
    EXPECT_EQ(w.stock, s_stock) << "stock is never given back for a sale that moved";
    EXPECT_FALSE(QFile::exists(working() + QStringLiteral("-move")));
    EXPECT_FALSE(QFile::exists(backup() + QStringLiteral("-move")));
}

INSTANTIATE_TEST_SUITE_P(
    Backup, KilledMove,
    ::testing::Values(
        KillCase {"CopyingTheSales", false, true, "PROGRESS: Salvataggio dei dati <Vendite>", 5000},
        KillCase {"BeforeAnyDeletion", false, true, "PROGRESS: Eliminazione dati <Forniture>", 0},
        KillCase {"DeletingTheSales", false, true, "PROGRESS: Eliminazione dati <Vendite>", 5000},
        KillCase {"DeletingTheSalesAfterTheOperatorsYes", false, false, "PROGRESS: Eliminazione dati <Vendite>", 4000},
        KillCase {"RestoreDeletingFromTheArchive", true, true, "PROGRESS: Eliminazione dati <Vendite>", 5000}),
    [](const ::testing::TestParamInfo<KillCase>& info) { return std::string(info.param.name); });

}   // namespace

#endif
