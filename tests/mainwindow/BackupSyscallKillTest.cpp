// A save and a restore with deletion, killed (SIGKILL) or terminated (SIGTERM) on entering
// each operation on the two files in turn (strace's fault injection), then the interrupted
// move finished as at the program's next start: every document, line and link row is in
// exactly one of the two files, as it was, and the stock is the shop's.
#include "base/Clock.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "base/SettingsStore.h"
#include "ShopBuilder.h"
#include "TestEnvironment.h"
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QUuid>
#include <gtest/gtest.h>
#include <map>

#ifdef MV_MVTOOL_EXE

namespace backupsyscallkill {

// The rows that a move takes from one file to the other: documents, their lines, their
// payments and voucher uses, and the link rows that hold them together.
const char* const kMovedTables[] = {"Forniture",
                                    "Forniture$Articoli",
                                    "CaricoArticoli",
                                    "Forniture$Pagamento",
                                    "AcquistoFornitori",
                                    "Vendite",
                                    "Vendite$Articoli",
                                    "ScaricoArticoli",
                                    "Vendite$Pagamento",
                                    "PagamentiCliente",
                                    "Vendite$BuoniUtilizzati",
                                    "BuoniVendite",
                                    "Ricevute"};

using Rows = std::map<QString, QStringList>;

// Every row of the tables, as text, per table (sorted); `into` gathers several files.
void readRows(const QString& path, const QStringList& tables, Rows& into)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        c.setDatabaseName(path);
        c.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (c.open()) {
            for (const QString& table : tables) {
                QSqlQuery q(c);
                if (!q.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(table))) continue;
                while (q.next()) {
                    QStringList values;
                    for (int i = 0; i < q.record().count(); ++i) values << q.value(i).toString();
                    into[table] << values.join(u'|');
                }
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    for (auto& [table, rows] : into) rows.sort();
}

QStringList movedTables()
{
    QStringList out;
    for (const char* t : kMovedTables) out << QString::fromLatin1(t);
    return out;
}

// One moment of a run: the n-th call (for this thread) of a system call, as strace counts.
struct Moment {
    QString call;
    int nth = 0;
    QString seen;   // the traced line, for the failure's message
};

// The moments of a traced run that touch the two folders: whatever creates, writes, syncs,
// links, renames or removes a file there. Writes of pages are many and alike: a sample of
// them, evenly spread; every other kind of call is taken whole.
QList<Moment> fileMoments(const QString& trace, const QStringList& folders, int pageWrites)
{
    QFile f(trace);
    if (!f.open(QIODevice::ReadOnly)) return {};
    static const QRegularExpression line(QStringLiteral("^(\\d+)\\s+(\\w+)\\((.*)$"));
    const QStringList kinds {"openat", "write",  "pwrite64", "fdatasync", "fsync",  "ftruncate",
                             "linkat", "rename", "renameat", "renameat2", "unlink", "unlinkat"};
    QString mainThread;
    std::map<QString, int> counted;
    QList<Moment> all;
    int writes = 0;
    while (!f.atEnd()) {
        const QString text = QString::fromUtf8(f.readLine()).trimmed();
        const auto m = line.match(text);
        if (!m.hasMatch()) continue;
        if (mainThread.isEmpty()) mainThread = m.captured(1);
        if (m.captured(1) != mainThread || !kinds.contains(m.captured(2))) continue;
        const QString call = m.captured(2);
        const int nth = ++counted[call];
        const QString args = m.captured(3);
        if (!std::any_of(folders.begin(), folders.end(),
                         [&](const QString& d) { return args.contains(d + u'/') || args.contains(d + u'>'); }))
            continue;
        // Opening to read, or a folder, changes nothing.
        if (call == QLatin1String("openat") && !args.contains(QLatin1String("O_CREAT"))
            && !args.contains(QLatin1String("O_TMPFILE")))
            continue;
        all.append({call, nth, text.left(160)});
        if (call == QLatin1String("pwrite64")) ++writes;
    }
    // In the order of the run.
    QList<Moment> moments;
    const int step = std::max(1, writes / std::max(1, pageWrites));
    int write = 0;
    for (const Moment& m : all)
        if (m.call != QLatin1String("pwrite64") || write++ % step == 0) moments << m;
    return moments;
}

struct Case {
    const char* name;
    bool restore;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

struct ToolRun {
    QProcess::ExitStatus status = QProcess::NormalExit;
    int exitCode = -1;
    QString out;
};

// A working folder and a backup folder, and a configuration naming them.
struct Folders {
    QString root = testenv::newDir(QStringLiteral("syscall-lavoro"));
    QString backupDir = testenv::newDir(QStringLiteral("syscall-backup"));
    QString config = testenv::newDir(QStringLiteral("syscall-config"));

    Folders()
    {
        IniSettingsStore ini(config + QStringLiteral("/Mirtavolia/Mirtavolia.ini"));
        ini.set(QStringLiteral("Configuration"), QStringLiteral("RootDir"), root);
        ini.set(QStringLiteral("Configuration"), QStringLiteral("BackupDir"), backupDir);
        ini.sync();
    }

    QString working() const { return root + QStringLiteral("/Mirtavolia.mdb"); }
    QString backup() const { return backupDir + QStringLiteral("/Mirtavolia.mdb"); }

    // The two files as they are now (closed, no log beside them), kept in a folder of their own.
    QString keep(const QString& name) const
    {
        const QString dir = testenv::newDir(name);
        EXPECT_FALSE(QFile::exists(working() + QStringLiteral("-wal")));
        EXPECT_TRUE(QFile::copy(working(), dir + QStringLiteral("/working.mdb")));
        EXPECT_TRUE(QFile::copy(backup(), dir + QStringLiteral("/backup.mdb")));
        return dir;
    }

    // Both folders hold exactly the kept files again.
    void lay(const QString& kept) const
    {
        for (const QString& dir : {root, backupDir})
            for (const QString& f : QDir(dir).entryList(QDir::Files | QDir::Hidden)) QFile::remove(dir + u'/' + f);
        ASSERT_TRUE(QFile::copy(kept + QStringLiteral("/working.mdb"), working()));
        ASSERT_TRUE(QFile::copy(kept + QStringLiteral("/backup.mdb"), backup()));
    }

    // The tool, traced by `strace` with `straceArgs` when given, answering from `answers`.
    ToolRun tool(const QStringList& args, const QString& strace = QString(), const QStringList& straceArgs = {},
                 const QByteArray& answers = QByteArray()) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        env.remove(QStringLiteral("MIRTAVOLIA_PROMPTS"));
        if (!answers.isEmpty()) {
            const QString file = config + QStringLiteral("/answers.txt");
            QFile f(file);
            if (f.open(QIODevice::WriteOnly)) f.write(answers);
            env.insert(QStringLiteral("MIRTAVOLIA_PROMPTS"), file);
        }
        QProcess p;
        p.setProcessEnvironment(env);
        if (strace.isEmpty())
            p.start(QStringLiteral(MV_MVTOOL_EXE), args);
        else
            p.start(strace, straceArgs + QStringList {QStringLiteral("--"), QStringLiteral(MV_MVTOOL_EXE)} + args);
        if (!p.waitForFinished(120000)) {
            p.kill();
            p.waitForFinished();
        }
        ToolRun r;
        r.status = p.exitStatus();
        r.exitCode = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput()) + QString::fromUtf8(p.readAllStandardError());
        return r;
    }
};

QStringList backupArgs(bool restore)
{
    QStringList args {"backup", "--from", "2007-03-01", "--to", "2007-03-31", "--delete", "--automatic"};
    if (restore) args << "--restore";
    return args;
}

class SyscallKilledMove : public ::testing::TestWithParam<Case> {
protected:
    // A shop with March's documents, and the two pairs of files a save and a restore start
    // from: the working file beside a backup file holding no document yet, and both files
    // after the whole month was saved.
    static void SetUpTestSuite()
    {
        s_strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (s_strace.isEmpty()) return;
        {
            QProcess probe;
            probe.start(
                s_strace,
                {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("true")});
            if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0) {
                s_strace.clear();
                return;
            }
        }
        const QString shop = testenv::newDir(QStringLiteral("syscall-shop")) + QStringLiteral("/Mirtavolia.mdb");
        auto clock = std::make_shared<ManualClock>(QDateTime(QDate(2007, 3, 2), QTime(9, 0)));
        setAppClock(clock);
        {
            testshop::Options options;
            options.path = shop;
            testshop::ShopBuilder b(options);
            for (const auto& [code, stock] : {std::pair {"A", 100.0}, std::pair {"B", 50.0}}) {
                testshop::Article a;
                a.code = QString::fromLatin1(code);
                a.price = Currency::fromDouble(2.5);
                a.stock = stock;
                b.addArticle(a);
            }
            testshop::Customer rossi;
            rossi.name = QStringLiteral("Rossi");
            rossi.code = QStringLiteral("C1");
            const qint64 customer = b.addCustomer(rossi);
            // Documents of lines of A and B in these quantities (0: none of it).
            const auto document = [](double a, double b, bool completed, qint64 counterpart = 0) {
                testshop::Document d;
                d.counterpart = counterpart;
                for (const auto& [code, quantity] : {std::pair {"A", a}, std::pair {"B", b}}) {
                    if (quantity == 0) continue;
                    testshop::Line l;
                    l.code = QString::fromLatin1(code);
                    l.quantity = quantity;
                    d.lines << l;
                }
                if (completed) d.completed = true;
                return d;
            };
            b.addSupply(document(10, 5, true));
            clock->set(QDateTime(QDate(2007, 3, 5), QTime(10, 0)));
            const qint64 first = b.addSale(document(2, 1, true, customer));
            clock->set(QDateTime(QDate(2007, 3, 9), QTime(11, 0)));
            b.addSale(document(3, 2, true));
            // Still open: it stays in the working file.
            b.addSale(document(1, 0, false));
            b.addReceipt(first, QDate(2007, 3, 5));
            b.close();
        }
        setAppClock(std::make_shared<SystemClock>());
        readRows(shop, movedTables(), s_rows);
        readRows(shop, {QStringLiteral("Articoli")}, s_articles);
        ASSERT_EQ(s_rows["Vendite"].size(), 3);
        ASSERT_EQ(s_rows["ScaricoArticoli"].size(), 5);

        // A save of a month with no document makes the backup file; a save of March with
        // deletion gives the files a restore starts from.
        const Folders folders;
        ASSERT_TRUE(QFile::copy(shop, folders.working()));
        ASSERT_EQ(folders.tool({"backup", "--from", "2007-01-01", "--to", "2007-01-31", "--automatic"}).exitCode, 0);
        s_beforeSave = folders.keep(QStringLiteral("syscall-before-save"));
        ASSERT_EQ(folders.tool(backupArgs(false)).exitCode, 0);
        s_beforeRestore = folders.keep(QStringLiteral("syscall-before-restore"));
    }

    static QString s_strace;
    static QString s_beforeSave, s_beforeRestore;
    static Rows s_rows, s_articles;
    Folders m_folders;
};

QString SyscallKilledMove::s_strace;
QString SyscallKilledMove::s_beforeSave;
QString SyscallKilledMove::s_beforeRestore;
Rows SyscallKilledMove::s_rows;
Rows SyscallKilledMove::s_articles;

TEST_P(SyscallKilledMove, EveryRowEndsInExactlyOneFile)
{
    if (s_strace.isEmpty())
        GTEST_SKIP() << "strace is not installed (scripts/deps.sh installs it) or may not trace here";
    const Case& c = GetParam();
    const Folders& f = m_folders;
    const QString start = c.restore ? s_beforeRestore : s_beforeSave;

    // A first run, traced whole, names the moments.
    f.lay(start);
    const QString trace = f.config + QStringLiteral("/trace.txt");
    const ToolRun traced = f.tool(backupArgs(c.restore), s_strace,
                                  {QStringLiteral("-f"), QStringLiteral("-y"), QStringLiteral("-o"), trace});
    ASSERT_EQ(traced.exitCode, 0) << traced.out.toStdString();
    const QList<Moment> moments = fileMoments(trace, {f.root, f.backupDir}, 6);
    const auto journalRemoved = std::count_if(moments.begin(), moments.end(), [](const Moment& m) {
        return m.call == QLatin1String("unlink") && m.seen.contains(QLatin1String("-move"));
    });
    ASSERT_EQ(journalRemoved, 1) << "the move's journal is removed once";

    int died = 0;
    for (const Moment& m : moments) {
        for (const char* signal : {"KILL", "TERM"}) {
            SCOPED_TRACE(QStringLiteral("SIG%1 on entering %2 #%3: %4")
                             .arg(QLatin1String(signal), m.call)
                             .arg(m.nth)
                             .arg(m.seen)
                             .toStdString());
            f.lay(start);
            const ToolRun r
                = f.tool(backupArgs(c.restore), s_strace,
                         {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-e"),
                          QStringLiteral("inject=%1:signal=%2:when=%3").arg(m.call, QLatin1String(signal)).arg(m.nth)});
            if (r.status == QProcess::CrashExit) ++died;

            const ToolRun recovered = f.tool({"backup", "--recover"});
            ASSERT_EQ(recovered.exitCode, 0) << recovered.out.toStdString();
            Rows both;
            readRows(f.working(), movedTables(), both);
            readRows(f.backup(), movedTables(), both);
            ASSERT_EQ(both, s_rows) << "each row once, in one file or the other";
            Rows articles;
            readRows(f.working(), {QStringLiteral("Articoli")}, articles);
            ASSERT_EQ(articles, s_articles) << "the stock is never given back nor taken twice";
            EXPECT_FALSE(QFile::exists(f.working() + QStringLiteral("-move")));
            EXPECT_FALSE(QFile::exists(f.backup() + QStringLiteral("-move")));
        }
    }
    EXPECT_EQ(died, 2 * int(moments.size())) << "every moment is reached, and the run dies there";
}

// The disk full from the deletion's first write on (strace's error injection): the run fails,
// deletes nothing, tells the operator that the period stands in both files and that the
// recovery finishes the move, and leaves its journal for it.
TEST_P(SyscallKilledMove, ADiskFullAtTheDeletionLeavesTheMoveToTheRecovery)
{
    if (s_strace.isEmpty())
        GTEST_SKIP() << "strace is not installed (scripts/deps.sh installs it) or may not trace here";
    const Case& c = GetParam();
    const Folders& f = m_folders;
    const QString start = c.restore ? s_beforeRestore : s_beforeSave;
    const QString origin = c.restore ? f.backup() : f.working();
    Rows atStart;
    readRows(start + (c.restore ? QStringLiteral("/backup.mdb") : QStringLiteral("/working.mdb")), movedTables(),
             atStart);

    // The deletion's first write: the first write of the origin's log once the journal is there.
    f.lay(start);
    const QString trace = f.config + QStringLiteral("/trace.txt");
    ASSERT_EQ(f.tool(backupArgs(c.restore), s_strace,
                     {QStringLiteral("-f"), QStringLiteral("-y"), QStringLiteral("-o"), trace})
                  .exitCode,
              0);
    const QList<Moment> moments = fileMoments(trace, {f.root, f.backupDir}, 1000000);
    const auto journal = std::find_if(moments.begin(), moments.end(),
                                      [](const Moment& m) { return m.call == QLatin1String("linkat"); });
    ASSERT_NE(journal, moments.end());
    const auto deletion = std::find_if(journal, moments.end(), [&](const Moment& m) {
        return m.call == QLatin1String("pwrite64") && m.seen.contains(origin + QStringLiteral("-wal>"));
    });
    ASSERT_NE(deletion, moments.end());

    f.lay(start);
    const ToolRun full
        = f.tool(backupArgs(c.restore), s_strace,
                 {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-e"),
                  QStringLiteral("inject=pwrite64:error=ENOSPC:when=%1+").arg(deletion->nth)},
                 "No\nOK\n");
    EXPECT_EQ(full.exitCode, 1) << full.out.toStdString();
    EXPECT_TRUE(full.out.contains(QStringLiteral("\nFAILED"))) << full.out.toStdString();
    EXPECT_TRUE(full.out.contains(QStringLiteral("MSGBOX: I dati di Fornitura e di Vendita <dal 01/03/2007 al "
                                                 "31/03/2007> sono ora presenti in entrambi gli archivi: "
                                                 "la loro eliminazione dall'archivio di origine sara' completata alla "
                                                 "prossima apertura del programma o al prossimo "
                                                 "salvataggio o ripristino dei dati.")))
        << full.out.toStdString();
    EXPECT_TRUE(QFile::exists(origin + QStringLiteral("-move")));
    Rows left;
    readRows(origin, movedTables(), left);
    EXPECT_EQ(left, atStart) << "nothing deleted";

    const ToolRun recovered = f.tool({"backup", "--recover"});
    EXPECT_TRUE(recovered.out.contains(QStringLiteral("RECOVERED 1"))) << recovered.out.toStdString();
    Rows both;
    readRows(f.working(), movedTables(), both);
    readRows(f.backup(), movedTables(), both);
    EXPECT_EQ(both, s_rows);
    EXPECT_FALSE(QFile::exists(origin + QStringLiteral("-move")));
}

INSTANTIATE_TEST_SUITE_P(Backup, SyscallKilledMove, ::testing::Values(Case {"Save", false}, Case {"Restore", true}),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}   // namespace backupsyscallkill

#endif
