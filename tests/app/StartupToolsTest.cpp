// The developer's start-up commands, run as the developer runs them.
#ifdef MV_MVTOOL_EXE
#include "TestEnvironment.h"
#include <QDir>
#include <functional>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {
class StartupTools : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = testenv::newDir(QStringLiteral("tool"));
        for (const char* d : {"config", "data", "tmp"}) QDir(m_root).mkpath(QString::fromLatin1(d));
    }
    struct Run {
        int exitCode = -1;
        QString out;
        QString err;
    };
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_root + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_root + QStringLiteral("/data"));
        env.insert(QStringLiteral("TMPDIR"), m_root + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }
    // `shellPrefix`: shell commands run first in the same process (limits, traps).
    // `input`: a file given as standard input (none: an input that ends at once).
    Run mvtool(const QStringList& args, const QString& shellPrefix = QString(), const QStringList& answers = {},
               const QString& input = QString())
    {
        QProcess p;
        if (!input.isEmpty()) p.setStandardInputFile(input);
        QProcessEnvironment env = environment();
        if (!answers.isEmpty()) {
            const QString prompts = file("prompts.txt");
            writeFile(prompts, (answers.join(u'\n') + u'\n').toUtf8());
            env.insert(QStringLiteral("MIRTAVOLIA_PROMPTS"), prompts);
        }
        p.setProcessEnvironment(env);
        if (shellPrefix.isEmpty()) {
            p.start(QStringLiteral(MV_MVTOOL_EXE), args);
        } else {
            env.insert(QStringLiteral("MVTOOL"), QStringLiteral(MV_MVTOOL_EXE));
            p.setProcessEnvironment(env);
            p.start(QStringLiteral("/bin/sh"),
                    QStringList {QStringLiteral("-c"), shellPrefix + QStringLiteral("; exec \"$MVTOOL\" \"$@\""),
                                 QStringLiteral("sh")}
                        + args);
        }
        if (input.isEmpty()) p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(120000));
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    // The stored value as the program loads it.
    QString setting(const QString& key)
    {
        const QString prefix = QStringLiteral("Configuration/") + key + u'=';
        for (const QString& line : mvtool({QStringLiteral("config-dump")}).out.split(u'\n'))
            if (line.startsWith(prefix)) return line.mid(prefix.size());
        return QString();
    }
    QString file(const char* name) const { return m_root + u'/' + QString::fromLatin1(name); }
    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void writeFile(const QString& path, const QByteArray& content)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    static void sql(const QString& path, const char* statements)
    {
        sqlite3* db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        char* error = nullptr;
        if (sqlite3_exec(db, statements, nullptr, nullptr, &error) != SQLITE_OK) ADD_FAILURE() << error;
        sqlite3_free(error);
        sqlite3_close(db);
    }
    // Read through a connection that may write (no file is created), with the file's log.
    static qint64 scalar(const QString& path, const char* query)
    {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, query, -1, &st, nullptr);
        const qint64 v = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
        sqlite3_finalize(st);
        sqlite3_close(db);
        return v;
    }
    QString m_root;
};
}

TEST_F(StartupTools, ConfigurationRoundTripsThroughTheExchangeFile)
{
    ASSERT_EQ(mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/Default_CodiceIVA=IVA22")}).exitCode,
              0);
    ASSERT_EQ(mvtool({QStringLiteral("config-save")}).exitCode, 0);
    ASSERT_EQ(mvtool({QStringLiteral("config-export"), file("conf.txt")}).exitCode, 0);
    QFile exported(file("conf.txt"));
    ASSERT_TRUE(exported.open(QIODevice::ReadOnly));
    const QByteArray text = exported.readAll();
    EXPECT_TRUE(text.contains("Default_CodiceIVA=IVA22\r\n"));

    ASSERT_EQ(mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/Default_CodiceIVA=IVA4")}).exitCode,
              0);
    const Run import = mvtool({QStringLiteral("config-import"), file("conf.txt")});
    EXPECT_EQ(import.exitCode, 0) << import.err.toStdString();
    EXPECT_EQ(setting(QStringLiteral("Default_CodiceIVA")), QStringLiteral("IVA22"));

    // A line holding two "=" stops the import before anything is written.
    writeFile(file("bad.txt"), "Default_CodiceIVA=IVA10\r\nRootDir=/dati=vecchi\r\n");
    const Run bad = mvtool({QStringLiteral("config-import"), file("bad.txt")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("Una variabile contiene il carattere =, non è possibile continuare")))
        << bad.err.toStdString();
    EXPECT_EQ(setting(QStringLiteral("Default_CodiceIVA")), QStringLiteral("IVA22"));
}

// Jet writes True as -1: a filter of the data-set commands reads it as the stored 1.
TEST_F(StartupTools, RunFiltersFindTheSameRowsWhateverFormOfTrue)
{
    const QString script = file("script.txt");
    writeFile(script,
              "new Vendite\nset Completato=True\nsave\nnew Vendite\nsave\nselect Vendite\n"
              "filter Completato = -1\nfilter Completato = True\nfilter Not Completato\n");
    const Run r = mvtool({QStringLiteral("run"), file("Mirtavolia.mdb")}, QString(), {}, script);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split(u'\n', Qt::SkipEmptyParts),
              (QStringList {QStringLiteral("Vendite: 2 rows"), QStringLiteral("Vendite: 1 rows"),
                            QStringLiteral("Vendite: 1 rows"), QStringLiteral("Vendite: 1 rows")}));
}

// "%" and "_" typed in a filter are the characters themselves: "*50%*" finds the 50% discount
// and not the "500" one, "A_1" the code with the underscore and not "AB1".
TEST_F(StartupTools, RunFilterReadsPercentAndUnderscoreAsTyped)
{
    const QString script = file("script.txt");
    writeFile(script,
              "new Articoli\nset Codice=A_1\nset Descrizione=Sconto 50%\nsave\n"
              "new Articoli\nset Codice=AB1\nset Descrizione=Sconto 500 promo\nsave\nselect Articoli\n"
              "filter [Descrizione] Like '*50%*'\nfilter [Descrizione] Like '*50*'\n"
              "filter [Codice] Like 'A_1'\nfilter [Codice] Like 'A?1'\n");
    const Run r = mvtool({QStringLiteral("run"), file("Mirtavolia.mdb")}, QString(), {}, script);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QStringList lines = r.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << r.out.toStdString();
    const qint64 articles = lines[0].section(u' ', 1, 1).toLongLong();
    EXPECT_GE(articles, 2) << lines[0].toStdString();
    EXPECT_EQ(lines.mid(1),
              (QStringList {QStringLiteral("Articoli: 1 rows"), QStringLiteral("Articoli: 2 rows"),
                            QStringLiteral("Articoli: 1 rows"), QStringLiteral("Articoli: 2 rows")}));
}

TEST_F(StartupTools, RepairShrinksTheFileAndKeepsEveryRow)
{
    const QString db = file("Mirtavolia.mdb");
    ASSERT_EQ(mvtool({QStringLiteral("db-init"), db}).exitCode, 0);
    sql(db,
        "CREATE TABLE Scratch(a);"
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 5000)"
        " INSERT INTO Scratch SELECT randomblob(300) FROM c;"
        "DELETE FROM Scratch WHERE rowid % 25 <> 0;");
    const qint64 before = QFileInfo(db).size();
    const Run r = mvtool({QStringLiteral("repair"), db});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_LT(QFileInfo(db).size(), before);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM Scratch"), 200);
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check = 'ok'"), 1);
    // Opened once through the library: the shop's rows are there as they were.
    EXPECT_EQ(scalar(db, "SELECT count(*) FROM Operatori"), 2);
    EXPECT_EQ(QDir(m_root).entryList(QDir::Files), QStringList {QStringLiteral("Mirtavolia.mdb")});
}
// The repair killed by the system on entering each of its renames in turn (strace's fault
// injection), then the program opening the working database as at its start: the shop's
// rows are under the working name every time, and a repair afterwards leaves no leftover.
TEST_F(StartupTools, RepairKilledAtEachRenameLeavesTheShopUnderItsName)
{
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    if (strace.isEmpty()) GTEST_SKIP() << "strace is not installed (scripts/deps.sh installs it)";
    {
        QProcess probe;
        probe.start(strace,
                    {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("true")});
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            GTEST_SKIP() << "this system lets no process trace another";
    }
    const QString db = file("Mirtavolia.mdb");
    ASSERT_EQ(mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/RootDir=") + m_root}).exitCode, 0);
    bool finished = false;
    for (int when = 1; !finished && when <= 8; ++when) {
        SCOPED_TRACE("killed at rename " + std::to_string(when));
        for (const QString& f : QDir(m_root).entryList({QStringLiteral("Mirtavolia.mdb*")}, QDir::Files))
            QFile::remove(m_root + u'/' + f);
        ASSERT_EQ(mvtool({QStringLiteral("db-init"), db}).exitCode, 0);
        sql(db,
            "CREATE TABLE Scratch(a);"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 2000)"
            " INSERT INTO Scratch SELECT randomblob(300) FROM c;"
            "DELETE FROM Scratch WHERE rowid % 10 <> 0;");
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(strace,
                {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-e"),
                 QStringLiteral("inject=rename:signal=KILL:when=%1").arg(when), QStringLiteral(MV_MVTOOL_EXE),
                 QStringLiteral("repair"), db});
        ASSERT_TRUE(p.waitForFinished(120000));
        finished = p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;

        const Run opened = mvtool({QStringLiteral("backup"), QStringLiteral("--recover")});
        EXPECT_EQ(opened.exitCode, 0) << opened.out.toStdString() << opened.err.toStdString();
        EXPECT_EQ(scalar(db, "SELECT count(*) FROM Scratch"), 200);
    }
    EXPECT_TRUE(finished) << "the repair ends within the renames tried";
    ASSERT_EQ(mvtool({QStringLiteral("repair"), db}).exitCode, 0);
    EXPECT_EQ(QDir(m_root).entryList({QStringLiteral("Mirtavolia.mdb*")}, QDir::Files),
              QStringList {QStringLiteral("Mirtavolia.mdb")});
}

// A disk that takes no more than two kilobytes of a file: the settings file and an exported
// file stay exactly as they were and the command fails with the message.
TEST_F(StartupTools, WritesThatTheDiskRefusesFailAndLeaveTheOldFile)
{
    ASSERT_EQ(mvtool({QStringLiteral("config-save")}).exitCode, 0);
    const QString ini = m_root + QStringLiteral("/config/Mirtavolia/Mirtavolia.ini");
    const QByteArray settings = readFile(ini);
    ASSERT_GT(settings.size(), 2048);
    ASSERT_EQ(mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/Default_CodiceIVA=IVA4")}).exitCode,
              0);
    // A long note, so that the exchange file is longer than the disk takes too.
    ASSERT_EQ(
        mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/Nota=") + QString(3000, u'n')}).exitCode,
        0);
    const QByteArray changed = readFile(ini);
    const QString limit = QStringLiteral("trap '' XFSZ; ulimit -f 2");

    Run r = mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/Default_CodiceIVA=IVA22")}, limit);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Errore durante la scrittura del file di configurazione")))
        << r.err.toStdString();
    EXPECT_EQ(readFile(ini), changed);
    r = mvtool({QStringLiteral("config-save")}, limit);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Errore durante la scrittura del file di configurazione")))
        << r.err.toStdString();
    EXPECT_EQ(readFile(ini), changed);

    const QString exported = file("conf.txt");
    writeFile(exported, "the previous export");
    r = mvtool({QStringLiteral("config-export"), exported}, limit);
    EXPECT_NE(r.exitCode, 0);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Errore durante la scrittura del file di configurazione")))
        << r.err.toStdString();
    EXPECT_EQ(readFile(exported), QByteArray("the previous export"));
}

TEST_F(StartupTools, WrongArgumentsPrintTheCommandsUsage)
{
    const QStringList commands {QStringLiteral("config-dump"), QStringLiteral("config-set"),
                                QStringLiteral("run"),         QStringLiteral("repair"),
                                QStringLiteral("shot"),        QStringLiteral("maint-save"),
                                QStringLiteral("report"),      QStringLiteral("viewquery")};
    for (const QString& c : commands) {
        SCOPED_TRACE(c.toStdString());
        const Run r = mvtool({c, QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(r.err.contains(QStringLiteral("usage: mvtool ") + c)) << r.err.toStdString();
        EXPECT_EQ(r.err.count(QStringLiteral("usage: mvtool")), 1) << r.err.toStdString();
    }
}

// A script stops at its first failure or refusal, which it reports once and in words; the
// lines after it do nothing.
TEST_F(StartupTools, ARunStopsAtItsFirstFailureAndSaysWhy)
{
    const QString db = file("Mirtavolia.mdb");
    ASSERT_EQ(mvtool({QStringLiteral("db-init"), db}).exitCode, 0);
    const QByteArray after = "new Depositi\nset Deposito=DOPO\nsave\n";
    // Rows until the disk (32 kB a file) takes no more.
    QByteArray fullDisk;
    for (int i = 1; i <= 300; ++i)
        fullDisk += QStringLiteral("new Depositi\nset Deposito=P%1\nset Descrizione=%2\nsave\n")
                        .arg(i)
                        .arg(QString(120, u'x'))
                        .toUtf8();
    struct Case {
        const char* name;
        QByteArray script;
        int line;
        const char* message;
        const char* shellPrefix;
    };
    const Case cases[] = {
        {"refused", "new Depositi\nset Deposito=D1\nsave\nnew Depositi\nset Deposito=D1\nsave\n", 6,
         "REFUSED: Esiste già un elemento di <Depositi / Magazzini> con lo stesso valore di: Deposito", ""},
        {"no such key", "new Articoli\nset Codice=A1\nsetref Reparto=NESSUNO\nsave\n", 3,
         "ERROR: nessun elemento con chiave < NESSUNO > per il riferimento < Reparto >", ""},
        {"too long", "new Articoli\nset Codice=" + QByteArray(33, 'c') + "\nsave\n", 2,
         "ERROR: Il testo del campo <Codice> è di 33 caratteri: supera la dimensione dichiarata di 32 caratteri", ""},
        {"a NUL", QByteArray("new Articoli\nset Codice=A\0B\nsave\n", 29), 2,
         "ERROR: Il testo del campo <Codice> (al massimo 32 caratteri) contiene un carattere nullo", ""},
        {"not UTF-8", "new Articoli\nset Codice=A\xff\xfe\nsave\n", 2, "ERROR: riga 2: testo non valido (UTF-8)", ""},
        {"a number in the Italian form", "new Articoli\nset Codice=A1\nset PrezzoVendita=3,20\nsave\n", 3,
         "ERROR: Il valore \"3,20\" del campo <PrezzoVendita> non è un numero: scrivere i numeri come 1234.56", ""},
        {"disk full", fullDisk, -1, "<Depositi / Magazzini>: disco pieno", "trap '' XFSZ; ulimit -f 64"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const qint64 rows = scalar(db, "SELECT count(*) FROM Depositi") + scalar(db, "SELECT count(*) FROM Articoli");
        const QString script = file("script.txt");
        writeFile(script, c.script + after);
        const Run r = mvtool({QStringLiteral("run"), db}, QString::fromLatin1(c.shellPrefix), {}, script);
        EXPECT_EQ(r.exitCode, 1);
        const QStringList out = r.out.split(u'\n', Qt::SkipEmptyParts);
        EXPECT_EQ(out.filter(QStringLiteral("ERROR")).size() + out.filter(QStringLiteral("REFUSED")).size(), 1)
            << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(QString::fromUtf8(c.message))) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains(c.line < 0 ? QStringLiteral("STOPPED at line ")
                                              : QStringLiteral("STOPPED at line %1").arg(c.line)))
            << r.out.toStdString();
        EXPECT_FALSE(r.out.contains(QStringLiteral("objdb_sp"))) << r.out.toStdString();
        EXPECT_EQ(scalar(db, "SELECT count(*) FROM Depositi WHERE Deposito = 'DOPO'"), 0);
        if (c.line > 0) {
            EXPECT_EQ(scalar(db, "SELECT count(*) FROM Depositi") + scalar(db, "SELECT count(*) FROM Articoli"),
                      rows + (QByteArray(c.name) == "refused" ? 1 : 0));
        }
    }
}

// The data-set commands read numbers in the C form whatever language the system speaks, and
// the conditions of a filter or a view compare amounts as the program shows them.
TEST_F(StartupTools, RunReadsNumbersInTheCFormAndConditionsCompareAmountsAsShown)
{
    const QByteArray rows
        = "new Articoli\nset Codice=A1\nset Descrizione=Uno\nset PrezzoVendita=3.20\nset ValoreMisura=0.750\nsave\n"
          "new Articoli\nset Codice=A2\nset Descrizione=Due\nset PrezzoVendita=0.5\nsave\n"
          "new Articoli\nset Codice=A3\nset Descrizione=Tre\nset PrezzoVendita=1,000.25\nsave\n"
          "select Articoli\nfilter PrezzoVendita > 2\nfilter PrezzoVendita = 3.2\n";
    for (const char* language : {"", "export LC_ALL=it_IT.UTF-8"}) {
        SCOPED_TRACE(language);
        const QString db = file(*language ? "italiano.mdb" : "c.mdb");
        writeFile(file("script.txt"), rows);
        const Run r = mvtool({QStringLiteral("run"), db}, QString::fromLatin1(language), {}, file("script.txt"));
        ASSERT_EQ(r.exitCode, 0) << r.out.toStdString();
        EXPECT_EQ(r.out.split(u'\n', Qt::SkipEmptyParts),
                  (QStringList {QStringLiteral("Articoli: 3 rows"), QStringLiteral("Articoli: 2 rows"),
                                QStringLiteral("Articoli: 1 rows")}));
        EXPECT_EQ(scalar(db, "SELECT PrezzoVendita * 100 FROM Articoli WHERE Codice = 'A1'"), 320);
        EXPECT_EQ(scalar(db, "SELECT ValoreMisura * 1000 FROM Articoli WHERE Codice = 'A1'"), 750);
        EXPECT_EQ(scalar(db, "SELECT PrezzoVendita * 100 FROM Articoli WHERE Codice = 'A2'"), 50);
        EXPECT_EQ(scalar(db, "SELECT PrezzoVendita * 100 FROM Articoli WHERE Codice = 'A3'"), 100025);
        const Run view = mvtool({QStringLiteral("viewquery"), QStringLiteral("Articoli"), QStringLiteral("--where"),
                                 QStringLiteral("PrezzoVendita > 2"), QStringLiteral("--run"), db},
                                QString::fromLatin1(language));
        ASSERT_EQ(view.exitCode, 0) << view.err.toStdString();
        const QStringList lines = view.out.split(u'\n', Qt::SkipEmptyParts);
        const qsizetype header = lines.indexOf(lines.filter(QStringLiteral("OID\t")).value(0));
        ASSERT_GE(header, 0) << view.out.toStdString();
        EXPECT_EQ(lines.size() - header - 1, 2) << view.out.toStdString();
    }
}

// A file that is not this program's to write, another program's database or one a later
// version of the program has upgraded, is refused with the reason and left byte for byte as
// it was, with nothing beside it.
TEST_F(StartupTools, DbInitRefusesAForeignOrNewerFileAndChangesNothing)
{
    const QString shop = file("negozio.mdb");
    ASSERT_EQ(mvtool({QStringLiteral("db-init"), shop}).exitCode, 0);
    const QString newer = file("newer.mdb");
    ASSERT_TRUE(QFile::copy(shop, newer));
    sql(newer, "UPDATE _objdb_tables SET Version = 99 WHERE Name = 'Vendite';");
    const QString copied = file("copied.mdb");   // a copy: another file, whose OID prefix is not yet its own
    ASSERT_TRUE(QFile::copy(newer, copied));
    const QString foreign = file("foreign.db");
    sql(foreign, "CREATE TABLE clienti(nome TEXT); INSERT INTO clienti VALUES('Rossi');");
    struct Case {
        QString path;
        const char* message;
    };
    const Case cases[] = {
        {foreign,
         "contiene tabelle di un altro programma (clienti): non è un archivio di questo programma e non viene "
         "modificato"},
        {newer,
         "è di una versione più recente del programma (tabella <Vendite> versione 99, questa versione la conosce "
         "fino alla 1.5): non viene aperto né modificato"},
        {copied, "è di una versione più recente del programma (tabella <Vendite> versione 99"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QByteArray before = readFile(c.path);
        const Run r = mvtool({QStringLiteral("db-init"), c.path});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
        EXPECT_EQ(readFile(c.path), before);
        EXPECT_FALSE(QFile::exists(c.path + QStringLiteral("-wal")));
        EXPECT_FALSE(QFile::exists(c.path + QStringLiteral("-shm")));
    }
    // The shop's own file opens as ever.
    EXPECT_EQ(mvtool({QStringLiteral("db-init"), shop}).exitCode, 0);
}

// A repair that cannot read the file, or finds no room on the disk, tells the operator why in
// Italian, never with SQLite's own English words; the file stays as it was.
TEST_F(StartupTools, ARepairThatFailsSaysWhyInItalian)
{
    const QString db = file("Mirtavolia.mdb");
    struct Case {
        const char* name;
        std::function<void()> prepare;
        QStringList traced;   // the system call made to fail, as strace injects it (none: not traced)
        const char* told;
        const char* notTold;
    };
    const auto shop = [&] {
        QFile::remove(db);
        ASSERT_EQ(mvtool({QStringLiteral("db-init"), db}).exitCode, 0);
        sql(db,
            "CREATE TABLE Scratch(a);"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 400)"
            " INSERT INTO Scratch SELECT randomblob(300) FROM c;");
    };
    const Case cases[] = {
        {"not a database",
         [&] { writeFile(db, QByteArray(8192, '\x55')); },
         {},
         "il file non è un database",
         "file is not a database"},
        {"damaged",
         [&] {
             shop();
             // The list of tables overwritten past the file's header.
             QFile f(db);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             f.seek(100);
             f.write(QByteArray(3996, '\xff'));
         },
         {},
         "il file del database è danneggiato",
         "malformed"},
        {"disk full",
         shop,
         {QStringLiteral("-e"), QStringLiteral("inject=fdatasync,fsync:error=ENOSPC")},
         "disco pieno",
         "errore di lettura o scrittura"},
    };
    const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.traced.isEmpty() && strace.isEmpty()) {
            ADD_FAILURE() << "strace is not installed (scripts/deps.sh installs it)";
            continue;
        }
        c.prepare();
        const QByteArray before = readFile(db);
        Run r;
        if (c.traced.isEmpty()) {
            r = mvtool({QStringLiteral("repair"), db});
        } else {
            QProcess p;
            p.setProcessEnvironment(environment());
            p.start(strace,
                    QStringList {QStringLiteral("-f"), QStringLiteral("-o"), QStringLiteral("/dev/null")} + c.traced
                        + QStringList {QStringLiteral(MV_MVTOOL_EXE), QStringLiteral("repair"), db});
            ASSERT_TRUE(p.waitForFinished(120000));
            r = {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                 QString::fromUtf8(p.readAllStandardError())};
        }
        EXPECT_NE(r.exitCode, 0);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.told))) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QString::fromUtf8(c.notTold))) << r.err.toStdString();
        EXPECT_EQ(readFile(db), before);
    }
}

// Another file's log left beside the working file (a copy of the shop brought back beside a
// dead program's log): the opening as at the program's start and the repair both set it
// aside, say where, and the shop keeps its own rows only.
TEST_F(StartupTools, AnotherFilesLogBesideTheShopIsSetAsideAndTold)
{
    const QString db = file("Mirtavolia.mdb");
    ASSERT_EQ(mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/RootDir=") + m_root}).exitCode, 0);
    const QString other = file("altro.mdb");
    sql(other,
        "PRAGMA journal_mode=WAL; CREATE TABLE Estranea(a);"
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 300)"
        " INSERT INTO Estranea SELECT randomblob(200) FROM c;");
    QByteArray log;
    {
        sqlite3* o = nullptr;
        ASSERT_EQ(sqlite3_open(other.toUtf8().constData(), &o), SQLITE_OK);
        sqlite3_exec(o,
                     "PRAGMA wal_autocheckpoint=0;"
                     "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 300)"
                     " INSERT INTO Estranea SELECT randomblob(250) FROM c;",
                     nullptr, nullptr, nullptr);
        log = readFile(other + QStringLiteral("-wal"));
        sqlite3_close(o);
    }
    ASSERT_GT(log.size(), 4096);
    struct Case {
        const char* name;
        QStringList command;
        bool toldOnOut;
    };
    const Case cases[] = {
        {"opening", {QStringLiteral("backup"), QStringLiteral("--recover")}, false},
        {"repair", {QStringLiteral("repair"), db}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& f : QDir(m_root).entryList({QStringLiteral("Mirtavolia.mdb*")}, QDir::Files))
            QFile::remove(m_root + u'/' + f);
        ASSERT_EQ(mvtool({QStringLiteral("db-init"), db}).exitCode, 0);
        sql(db,
            "CREATE TABLE Scratch(a);"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 400)"
            " INSERT INTO Scratch SELECT randomblob(300) FROM c;");
        writeFile(db + QStringLiteral("-wal"), log);

        const Run r = mvtool(c.command);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QString told
            = QStringLiteral("Il registro delle modifiche accanto al database era di un altro file: non è stato "
                             "applicato ed è conservato in < %1-wal.estraneo >")
                  .arg(db);
        EXPECT_TRUE((c.toldOnOut ? r.out : r.err).contains(told)) << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(readFile(db + QStringLiteral("-wal.estraneo")), log);
        EXPECT_EQ(scalar(db, "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check = 'ok'"), 1);
        EXPECT_EQ(scalar(db, "SELECT count(*) FROM Scratch"), 400);
        EXPECT_EQ(scalar(db, "SELECT count(*) FROM sqlite_master WHERE name = 'Estranea'"), 0);
    }
}

// A report only reads its database: nothing is left beside the file.
TEST_F(StartupTools, AReportLeavesNothingBesideTheDatabaseItRead)
{
    const QString db = file("Mirtavolia.mdb");
    ASSERT_EQ(mvtool({QStringLiteral("db-init"), db}).exitCode, 0);
    const QStringList before = QDir(m_root).entryList(QDir::Files);
    const QByteArray bytes = readFile(db);
    const Run r = mvtool(
        {QStringLiteral("report"), db, QStringLiteral("Operatori"), QStringLiteral("--pdf"), file("operatori.pdf")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(QDir(m_root).entryList(QDir::Files), QStringList(before) << QStringLiteral("operatori.pdf"));
    EXPECT_EQ(readFile(db), bytes);
}

// The fields a report is asked for are the table's: a misspelt one is an error and no PDF,
// never a report without that column.
TEST_F(StartupTools, AReportOfAFieldTheTableHasNotIsAnError)
{
    const QString db = file("Mirtavolia.mdb");
    ASSERT_EQ(mvtool({QStringLiteral("db-init"), db}).exitCode, 0);
    struct Case {
        const char* query;
        int exitCode;
    };
    const Case cases[] = {
        {"SELECT nome, LivelloAccesso FROM Operatori", 0},
        {"SELECT Nome, Nomee FROM Operatori", 1},
        {"SELECT [Livello Accesso] FROM Operatori", 1},
        {"SELECT  FROM Operatori", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        const QString pdf = file("campi.pdf");
        QFile::remove(pdf);
        const Run r
            = mvtool({QStringLiteral("report"), db, QString::fromLatin1(c.query), QStringLiteral("--pdf"), pdf});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.out.toStdString() << r.err.toStdString();
        EXPECT_EQ(QFile::exists(pdf), c.exitCode == 0);
        if (c.exitCode == 1) {
            EXPECT_TRUE(r.err.contains(QStringLiteral("Campo inesistente in Operatori"))) << r.err.toStdString();
        }
    }
}

// A bulk run killed in the middle leaves its last rows in the database's log only: the
// maintenance copy holds exactly the rows the file holds with its log.
TEST_F(StartupTools, MaintenanceCopyAfterAKilledRunHoldsEveryCommittedRow)
{
    const QString db = file("Mirtavolia.mdb");
    ASSERT_EQ(mvtool({QStringLiteral("config-set"), QStringLiteral("Configuration/RootDir=") + m_root}).exitCode, 0);
    QProcess run;
    run.setProcessEnvironment(environment());
    run.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("run"), db});
    ASSERT_TRUE(run.waitForStarted(10000));
    constexpr int kRows = 200;
    QByteArray script;
    for (int i = 1; i <= kRows; ++i)
        script += QStringLiteral("new Depositi\nset Deposito=D%1\nset Descrizione=Deposito numero %1\nsave\n")
                      .arg(i)
                      .toUtf8();
    run.write(script);
    while (run.bytesToWrite() > 0) ASSERT_TRUE(run.waitForBytesWritten(10000));
    // Its input stays open: the run waits for more when it is killed.
    const QByteArray last = QStringLiteral("SELECT count(*) FROM Depositi WHERE Deposito = 'D%1'").arg(kRows).toUtf8();
    for (int waited = 0; waited < 600 && !(QFile::exists(db) && scalar(db, last.constData()) == 1); ++waited)
        run.waitForReadyRead(100);
    ASSERT_EQ(scalar(db, last.constData()), 1) << run.readAllStandardOutput().toStdString();
    run.kill();
    run.waitForFinished();
    const qint64 inMainFile
        = scalar(QStringLiteral("file:") + db + QStringLiteral("?immutable=1"), "SELECT count(*) FROM Depositi");

    const QString maint = m_root + QStringLiteral("/manutenzione");
    QDir().mkpath(maint);
    // The folder, then the message that the copy is made.
    const Run save = mvtool({QStringLiteral("maint-save"), QStringLiteral("--root"), m_root}, QString(),
                            {maint, QStringLiteral("OK")});
    ASSERT_EQ(save.exitCode, 0) << save.out.toStdString() << save.err.toStdString();
    const qint64 copied = scalar(maint + QStringLiteral("/MirtavoliaMaintenance.mdb"), "SELECT count(*) FROM Depositi");
    EXPECT_LT(inMainFile, copied) << "the rows the test is about are in the log only";
    EXPECT_EQ(copied, scalar(db, "SELECT count(*) FROM Depositi"));
    EXPECT_EQ(
        scalar(maint + QStringLiteral("/MirtavoliaMaintenance.mdb"),
               QStringLiteral("SELECT count(*) FROM Depositi WHERE Deposito = 'D%1'").arg(kRows).toUtf8().constData()),
        1);
}
#endif
