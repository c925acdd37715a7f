// The program itself, driven headless through an answer pipe as a shell would drive it, and
// ended at chosen moments of a sale or a supply. Killed (SIGKILL: no clean-up of any kind),
// it leaves nothing of an unconfirmed document once the file is opened again, and a
// confirmed one whole. Ended by the system (SIGTERM, SIGHUP), it gives the document up as its
// window's unload does, stores its placement, closes the database and ends with status 0.
#if defined(MV_MIRTAVOLIA_EXE) && defined(MV_MVTOOL_EXE)
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/databasefiles/OpenDocuments.h"
#include "core/lifecycle/Password.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include "devices/simulators/RegisterSimulatorLine.h"
#include "devices/simulators/RegisterSimulators.h"
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>
#include <QUuid>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QVariant money(int euros) { return QVariant::fromValue(Currency::fromInt(euros)); }

// Plain SQL on a file beside whatever else has it open.
QList<QVariantList> rawRows(const QString& path, const QString& query)
{
    QList<QVariantList> rows;
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        c.setDatabaseName(path);
        EXPECT_TRUE(c.open());
        QSqlQuery q(c);
        EXPECT_TRUE(q.exec(query)) << query.toStdString();
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i) row << q.value(i);
            rows << row;
        }
    }
    QSqlDatabase::removeDatabase(name);
    return rows;
}

QVariant rawValue(const QString& path, const QString& query) { return rawRows(path, query).value(0).value(0); }

// Every table of the shop, row by row; the library's own tables (who has the file open,
// which documents are open) are not the shop's.
QStringList contents(const QString& path)
{
    QStringList out;
    for (const QVariantList& t : rawRows(path,
                                         QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                                        "NOT LIKE '\\_objdb%' ESCAPE '\\' AND name NOT LIKE 'sqlite%' "
                                                        "ORDER BY name"))) {
        const QString table = t.first().toString();
        QStringList rows;
        for (const QVariantList& row : rawRows(path, QStringLiteral("SELECT * FROM \"%1\"").arg(table))) {
            QStringList values;
            for (const QVariant& v : row) values << (v.isNull() ? QStringLiteral("NULL") : v.toString());
            rows << table + QStringLiteral(": ") + values.join(QStringLiteral(" | "));
        }
        rows.sort();
        out << rows;
    }
    return out;
}

QStringList fileLines(const QString& path)
{
    QStringList lines = QString::fromUtf8(testenv::readFile(path)).split(u'\n', Qt::SkipEmptyParts);
    if (lines == QStringList {QStringLiteral("<missing>")}) return {};
    return lines;
}

// The program started in a home of its own, its answers read from a file or, line by line,
// from a pipe the test writes into.
class Program {
public:
    Program(const QString& home, const QStringList& answers, bool pipe) : m_home(home)
    {
        const QString id = QUuid::createUuid().toString(QUuid::Id128).left(8);
        const QString prompts = home + QStringLiteral("/answers-") + id;
        m_log = home + QStringLiteral("/log-") + id;
        if (pipe) {
            EXPECT_EQ(::mkfifo(QFile::encodeName(prompts).constData(), 0600), 0);
        } else {
            QByteArray text;
            for (const QString& a : answers) text += (a + u'\n').toUtf8();
            testenv::writeFile(prompts, text);
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home + QStringLiteral("/runtime"));
        env.insert(QStringLiteral("TMPDIR"), home + QStringLiteral("/tmp"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("MIRTAVOLIA_PROMPTS"), prompts);
        env.insert(QStringLiteral("MIRTAVOLIA_PROMPT_LOG"), m_log);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(MV_MIRTAVOLIA_EXE), QStringList());
        EXPECT_TRUE(m_process.waitForStarted(10000));
        if (pipe) openPipe(prompts);
        for (const QString& a : answers)
            if (pipe) say(a);
    }
    ~Program()
    {
        if (m_pipe >= 0) ::close(m_pipe);
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
    }

    // One answer line, then the wait until the program has done with it and asks the next
    // question (or has ended).
    void say(const QString& line)
    {
        const QByteArray bytes = (line + u'\n').toUtf8();
        ASSERT_EQ(::write(m_pipe, bytes.constData(), size_t(bytes.size())), bytes.size()) << line.toStdString();
        ++m_said;
        QElapsedTimer t;
        t.start();
        while (prompts().size() <= m_said && m_process.state() != QProcess::NotRunning && t.elapsed() < 60000)
            QThread::msleep(10);
        ASSERT_GT(prompts().size(), m_said) << "no question after " << line.toStdString() << ":\n"
                                            << log().join(u'\n').toStdString();
    }
    // One answer line, without waiting for what follows it.
    void sayOnly(const QString& line)
    {
        const QByteArray bytes = (line + u'\n').toUtf8();
        ASSERT_EQ(::write(m_pipe, bytes.constData(), size_t(bytes.size())), bytes.size()) << line.toStdString();
        ++m_said;
    }
    // The question the program waits on.
    QString asked() const { return prompts().value(prompts().size() - 1); }

    QStringList log() const { return fileLines(m_log); }
    QStringList prompts() const
    {
        QStringList out;
        for (const QString& l : log())
            if (l.startsWith(QLatin1String("INPUT: ")) || l.startsWith(QLatin1String("MSGBOX: "))) out << l;
        return out;
    }

    void kill()
    {
        m_process.kill();
        ASSERT_TRUE(m_process.waitForFinished(10000));
        EXPECT_EQ(m_process.exitStatus(), QProcess::CrashExit);
    }
    // The signal sent, the exit status: -1 when the program did not end by itself.
    int endWith(int signalNumber)
    {
        ::kill(pid_t(m_process.processId()), signalNumber);
        if (!m_process.waitForFinished(60000) || m_process.exitStatus() != QProcess::NormalExit) return -1;
        return m_process.exitCode();
    }
    int waitForEnd()
    {
        if (!m_process.waitForFinished(60000) || m_process.exitStatus() != QProcess::NormalExit) return -1;
        return m_process.exitCode();
    }
    void waitForLog(const QString& line)
    {
        QElapsedTimer t;
        t.start();
        while (!log().contains(line) && m_process.state() != QProcess::NotRunning && t.elapsed() < 60000)
            QThread::msleep(10);
        ASSERT_TRUE(log().contains(line)) << log().join(u'\n').toStdString();
    }

private:
    // Waits for the program to open the pipe's other end.
    void openPipe(const QString& path)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 30000 && m_process.state() != QProcess::NotRunning) {
            m_pipe = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (m_pipe >= 0) {
                ::fcntl(m_pipe, F_SETFL, ::fcntl(m_pipe, F_GETFL) & ~O_NONBLOCK);
                return;
            }
            QThread::msleep(10);
        }
        ADD_FAILURE() << "the program never opened its answer pipe";
    }

    QString m_home, m_log;
    QProcess m_process;
    int m_pipe = -1;
    int m_said = 0;
};

// A shop the program has already been started on once: two articles, a customer with a
// voucher of 50.00, a supplier.
class HeadlessCounter : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::signal(SIGPIPE, SIG_IGN);
        s_template = newHome(QStringLiteral("counter-template"));
        const QString path = databaseIn(s_template);
        {
            auto engine = std::make_shared<DBEngine>();
            engine->CreateDatabase(3, path);
            engine->OpenDatabase(3, path);
            auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
            db->AttachEngine(engine);
            auto table = [&](const char* name) { return db->Tables().Item(QString::fromLatin1(name))->Select(); };
            table("Articoli")
                ->AddRow({"Codice", "8001", "Descrizione", "Pane", "PrezzoVendita", money(2), "PrezzoAcquisto",
                          money(1), "ValoreScorta", 1000.0});
            table("Articoli")
                ->AddRow({"Codice", "8004", "Descrizione", "Olio", "PrezzoVendita", money(49), "PrezzoAcquisto",
                          money(30), "ValoreScorta", 40.0});
            const qint64 customer
                = table("Clienti")->AddRow({"Codice", "C001", "Descrizione", "Maria Bianchi", "CalcolaPunti", true});
            auto customers
                = db->Tables().Item(QStringLiteral("Clienti"))->Select(QStringLiteral("OID = %1").arg(customer));
            s_voucher = customers->GetReference(QStringLiteral("Buoni"))
                            ->AddRow({"Descrizione", "Buono 50", "ImportoBuono", money(50)});
            table("Fornitori")->AddRow({"Descrizione", "Forno Rossi"});
            db->Close();
            engine->Close();
        }
        // Whatever a start and a close of the program write belongs to "before".
        Program first(s_template, {QStringLiteral("Amministratore"), QString(), QStringLiteral("<Chiudi>")}, false);
        ASSERT_EQ(first.waitForEnd(), 0) << first.log().join(u'\n').toStdString();
        s_before = contents(path);
    }

    void SetUp() override
    {
        m_home = newHome(QStringLiteral("counter"));
        ASSERT_TRUE(QFile::copy(databaseIn(s_template), database()));
    }

    static QString newHome(const QString& name)
    {
        const QString home = testenv::newDir(name);
        for (const char* d : {"config", "data/Mirtavolia", "runtime", "tmp"}) QDir(home).mkpath(QString::fromLatin1(d));
        QFile::setPermissions(home + QStringLiteral("/runtime"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return home;
    }
    static QString databaseIn(const QString& home) { return home + QStringLiteral("/data/Mirtavolia/Mirtavolia.mdb"); }
    QString database() const { return databaseIn(m_home); }
    QString settings() const
    {
        return QString::fromUtf8(testenv::readFile(m_home + QStringLiteral("/config/Mirtavolia/Mirtavolia.ini")));
    }
    qint64 notes() const
    {
        return rawValue(database(), QStringLiteral("SELECT count(*) FROM _objdb_open")).toLongLong();
    }

    // The program started again as the shop starts it, the operator in, then closed.
    QStringList startAgain()
    {
        Program next(m_home, {QStringLiteral("Amministratore"), QString(), QStringLiteral("<Chiudi>")}, false);
        EXPECT_EQ(next.waitForEnd(), 0);
        return next.log();
    }

    static QStringList saleLines()
    {
        return {QStringLiteral("Amministratore"),
                QString(),
                QStringLiteral("<Vendita>"),
                QStringLiteral("C001"),
                QStringLiteral("<Buoni>"),
                QStringLiteral("#%1").arg(s_voucher),
                QStringLiteral("Yes"),
                QStringLiteral("8001"),
                QStringLiteral("8004"),
                QStringLiteral("<Conferma>"),
                QStringLiteral("Contanti"),
                QString()};
    }
    static QStringList supplyLines()
    {
        return {QStringLiteral("Amministratore"), QString(),
                QStringLiteral("<Fornitura>"),    QStringLiteral("Forno Rossi"),
                QStringLiteral("Bolla"),          QStringLiteral("8001"),
                QStringLiteral("8004"),           QStringLiteral("<Conferma>"),
                QStringLiteral("Contanti"),       QString()};
    }

    static QString s_template;
    static QStringList s_before;
    static qint64 s_voucher;
    QString m_home;
};

QString HeadlessCounter::s_template;
QStringList HeadlessCounter::s_before;
qint64 HeadlessCounter::s_voucher = 0;

// ---- killed -------------------------------------------------------------------------------------

struct Moment {
    const char* name;
    bool supply;
    int lines;   // answer lines the program has done with when it is killed
    const char* waitingOn;   // the question it waits on then (its beginning)
    bool confirmed;   // the document was confirmed before the kill
};
void PrintTo(const Moment& m, std::ostream* os) { *os << m.name; }

class KilledAt : public HeadlessCounter, public ::testing::WithParamInterface<Moment> { };

TEST_P(KilledAt, TheNextStartFindsTheShopAsBeforeOrTheDocumentWhole)
{
    const Moment& m = GetParam();
    const QStringList lines = (m.supply ? supplyLines() : saleLines()).mid(0, m.lines);
    {
        Program program(m_home, lines, true);
        ASSERT_TRUE(program.asked().startsWith(QString::fromUtf8(m.waitingOn))) << program.asked().toStdString();
        program.kill();
    }
    const QStringList log = startAgain();
    const QString told = QStringLiteral("STATUS: Operatore: Amministratore - Annullati i documenti rimasti aperti: 1 ")
        + (m.supply ? QStringLiteral("fornitura") : QStringLiteral("vendita"));
    EXPECT_EQ(notes(), 0);
    if (!m.confirmed) {
        EXPECT_EQ(contents(database()), s_before);
        if (m.lines > (m.supply ? 4 : 3)) {
            EXPECT_TRUE(log.contains(told)) << log.join(u'\n').toStdString();
        }
        return;
    }
    // The confirmed document whole; a next one had been started, and was given up.
    const QString path = database();
    if (m.supply) {
        EXPECT_EQ(rawRows(path, QStringLiteral("SELECT Completato FROM Forniture")), (QList<QVariantList> {{1}}));
        EXPECT_EQ(rawValue(path, QStringLiteral("SELECT count(*) FROM CaricoArticoli")).toInt(), 2);
        EXPECT_EQ(rawRows(path, QStringLiteral("SELECT ValoreScorta FROM Articoli ORDER BY Codice")),
                  (QList<QVariantList> {{1001.0}, {41.0}}));
        EXPECT_EQ(rawValue(path, QStringLiteral("SELECT count(*) FROM AcquistoFornitori")).toInt(), 1);
    } else {
        EXPECT_EQ(rawRows(path, QStringLiteral("SELECT Completato, ImportoVendita, ImportoBuoni FROM Vendite")),
                  (QList<QVariantList> {{1, 51.0, 50.0}}));
        EXPECT_EQ(rawValue(path, QStringLiteral("SELECT count(*) FROM ScaricoArticoli")).toInt(), 2);
        EXPECT_EQ(rawRows(path, QStringLiteral("SELECT ValoreScorta FROM Articoli ORDER BY Codice")),
                  (QList<QVariantList> {{999.0}, {39.0}}));
        EXPECT_EQ(rawValue(path, QStringLiteral("SELECT ImportoUtilizzato FROM BuoniClienti")).toDouble(), 50.0);
        EXPECT_EQ(rawValue(path, QStringLiteral("SELECT count(*) FROM PagamentiCliente")).toInt(), 1);
        EXPECT_TRUE(log.contains(told)) << "the next sale, open and empty, was given up";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counter, KilledAt,
    ::testing::Values(Moment {"SaleAfterTheCustomer", false, 4, "INPUT: [frmVendite] Articolo:", false},
                      Moment {"SaleAfterTheVoucher", false, 7, "INPUT: [frmVendite] Articolo:", false},
                      Moment {"SaleAfterTheFirstScan", false, 8, "INPUT: [frmVendite] Articolo:", false},
                      Moment {"SaleAfterTheSecondScan", false, 9, "INPUT: [frmVendite] Articolo:", false},
                      Moment {"SaleInItsPayment", false, 11, "INPUT: [RowEditor] Pagamenti del Cliente:", false},
                      Moment {"SaleConfirmed", false, 12, "INPUT: [frmVendite] Articolo:", true},
                      Moment {"SupplyAfterTheSupplier", true, 4,
                              "INPUT: [PickRowDialog] Seleziona - Tipi Documento: Codice", false},
                      Moment {"SupplyAfterAScan", true, 6, "INPUT: [frmForniture] Articolo:", false},
                      Moment {"SupplyInItsPayment", true, 9, "INPUT: [RowEditor] Acquisto dai Fornitori:", false},
                      Moment {"SupplyConfirmed", true, 10,
                              "MSGBOX: Operazione confermata.\r\rVuoi effettuare una nuova Fornitura ?", true}),
    [](const ::testing::TestParamInfo<Moment>& info) { return std::string(info.param.name); });

// Two counters on one file: a sale the other program still holds is never given up.
TEST_F(HeadlessCounter, ASaleOfAProgramStillRunningIsLeftAlone)
{
    Program other(m_home, saleLines().mid(0, 8), true);
    auto open = [&] {
        auto engine = std::make_shared<DBEngine>();
        engine->OpenDatabase(3, database());
        auto db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), QStringLiteral("Mirtavolia"), nullptr);
        db->AttachEngine(engine);
        const UndoneDocuments undone = UndoAbandonedDocuments(*db);
        db->Close();
        engine->Close();
        return undone.sales;
    };
    EXPECT_EQ(open(), 0);
    EXPECT_EQ(notes(), 1);
    EXPECT_EQ(
        rawValue(database(), QStringLiteral("SELECT ValoreScorta FROM Articoli WHERE Codice = '8001'")).toDouble(),
        999.0);

    other.kill();
    EXPECT_EQ(open(), 1);
    EXPECT_EQ(contents(database()), s_before);
}

// The developer's tool opens the working database as the program does, and gives up the same.
TEST_F(HeadlessCounter, AToolOnTheWorkingDatabaseGivesUpWhatTheProgramLeftOpen)
{
    {
        Program program(m_home, saleLines().mid(0, 9), true);
        program.kill();
    }
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_home + QStringLiteral("/data"));
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("barcode"), QStringLiteral("8001")});
    ASSERT_TRUE(tool.waitForFinished(60000));
    EXPECT_TRUE(QString::fromUtf8(tool.readAllStandardError())
                    .contains(QLatin1String("Annullati i documenti rimasti aperti: 1 vendita")));
    EXPECT_EQ(notes(), 0);
    EXPECT_EQ(contents(database()), s_before);
}

// ---- two counters at once -----------------------------------------------------------------------

// Two programs on one shop file, their sale windows open at the same time: they ring up sales
// of the same customer in turn, a scan here, a scan there, each paid cash at once, and then
// a supply each. Every sale keeps its own total and payment, whatever the other stored
// meanwhile, and the customer ends with the points of both counters' sales.
class TwoSaleWindows : public HeadlessCounter {
protected:
    static constexpr int kSales = 4;   // each
    static constexpr double saleTotal = 55;
    static constexpr double supplyTotal = 31;   // Pane at 1.00 and Olio at 30.00, one each
    void ringUpAtBothCounters();
    qint64 pointsBefore = 0;
};

void TwoSaleWindows::ringUpAtBothCounters()
{
    // One sale: Pane scanned three times is one line of 3 (6.00), Olio one of 1 (49.00).
    const QStringList scans = {QStringLiteral("8001"), QStringLiteral("8004"), QStringLiteral("8001"),
                               QStringLiteral("8001")};

    // The second counter is a home of its own (a program runs once per user) working on the
    // first one's folder.
    const QString other = newHome(QStringLiteral("counter-b"));
    ASSERT_TRUE(QDir(other + QStringLiteral("/data/Mirtavolia")).removeRecursively());
    ASSERT_TRUE(QFile::link(m_home + QStringLiteral("/data/Mirtavolia"), other + QStringLiteral("/data/Mirtavolia")));
    pointsBefore
        = rawValue(database(), QStringLiteral("SELECT Punti FROM Clienti WHERE Codice = 'C001'")).toLongLong();

    const QStringList operatorIn = {QStringLiteral("Amministratore"), QString()};
    Program a(m_home, operatorIn, true);
    Program b(other, operatorIn, true);
    ASSERT_FALSE(HasFailure());
    Program* const counters[] = {&a, &b};
    // The same answer at one counter and then at the other, each waiting for its next question.
    auto both = [&](const QString& line) {
        for (Program* p : counters) {
            p->say(line);
            if (HasFailure()) return;
        }
    };
    auto expectAsked = [&](const char* question) {
        for (Program* p : counters)
            EXPECT_TRUE(p->asked().startsWith(QString::fromUtf8(question))) << p->log().join(u'\n').toStdString();
    };
    // The payment type is asked at a counter's first confirm only; later ones take the same.
    auto confirmPaidCash = [&](const char* payment) {
        both(QStringLiteral("<Conferma>"));
        for (Program* p : counters)
            if (p->asked().startsWith(QLatin1String("INPUT: [PickRowDialog] Seleziona - Tipi Pagamento")))
                p->say(QStringLiteral("Contanti"));
        expectAsked(payment);
        if (HasFailure()) return;
        both(QString());
    };

    both(QStringLiteral("<Vendita>"));
    both(QStringLiteral("C001"));
    for (int sale = 0; sale < kSales && !HasFailure(); ++sale) {
        if (sale > 0) {
            both(QStringLiteral("<Cliente>"));
            both(QStringLiteral("C001"));
        }
        for (const QString& scan : scans) both(scan);
        expectAsked("INPUT: [frmVendite] Articolo:");
        confirmPaidCash("INPUT: [RowEditor] Pagamenti del Cliente:");
    }
    ASSERT_FALSE(HasFailure());
    expectAsked("INPUT: [frmVendite] Articolo:");
    both(QStringLiteral("<cancel>"));
    expectAsked("INPUT: [frmMain]");
    for (const char* line : {"<Fornitura>", "Forno Rossi", "Bolla", "8001", "8004"}) both(QString::fromUtf8(line));
    confirmPaidCash("INPUT: [RowEditor] Acquisto dai Fornitori:");
    expectAsked("MSGBOX: Operazione confermata.\r\rVuoi effettuare una nuova Fornitura ?");
    both(QStringLiteral("Cancel"));
    expectAsked("INPUT: [frmMain]");
    ASSERT_FALSE(HasFailure());
    for (Program* p : counters) {
        p->sayOnly(QStringLiteral("<Chiudi>"));
        EXPECT_EQ(p->waitForEnd(), 0) << p->log().join(u'\n').toStdString();
    }
}

TEST_F(TwoSaleWindows, EverySalesTotalIsItsLinesAndItsCashPayment)
{
    ringUpAtBothCounters();
    ASSERT_FALSE(HasFailure());

    // Each document: its total, the sum of its lines, the sum and number of its payments.
    auto documents = [&](const char* table, const char* total, const char* lines, const char* lineAmount,
                         const char* payments) {
        QStringList out;
        const QString query = QStringLiteral(
                                  "SELECT d.%2, (SELECT sum(l.%4) FROM %3 l JOIN [%1$Articoli] m ON m.MemberOID = "
                                  "l.OID WHERE m.OwnerOID = d.OID), (SELECT sum(p.Importo) FROM %5 p JOIN "
                                  "[%1$Pagamento] m ON m.MemberOID = p.OID WHERE m.OwnerOID = d.OID), (SELECT count(*) "
                                  "FROM [%1$Pagamento] m WHERE m.OwnerOID = d.OID) FROM %1 d ORDER BY d.OID")
                                  .arg(QString::fromLatin1(table), QString::fromLatin1(total),
                                       QString::fromLatin1(lines), QString::fromLatin1(lineAmount),
                                       QString::fromLatin1(payments));
        for (const QVariantList& row : rawRows(database(), query))
            out << QStringLiteral("%1 = %2 lines, paid %3 in %4")
                       .arg(row.value(0).toDouble())
                       .arg(row.value(1).toDouble())
                       .arg(row.value(2).toDouble())
                       .arg(row.value(3).toInt());
        return out;
    };
    auto expected = [](int count, double total) {
        return QStringList(count, QStringLiteral("%1 = %1 lines, paid %1 in 1").arg(total));
    };
    EXPECT_EQ(documents("Vendite", "ImportoVendita", "ScaricoArticoli", "ImportoScarico", "PagamentiCliente"),
              expected(2 * kSales, saleTotal));
    EXPECT_EQ(documents("Forniture", "ImportoAcquisto", "CaricoArticoli", "ImportoCarico", "AcquistoFornitori"),
              expected(2, supplyTotal));
    EXPECT_EQ(rawValue(database(), QStringLiteral("SELECT count(*) FROM Vendite WHERE Completato = 0")).toInt(), 0);
    EXPECT_EQ(rawRows(database(), QStringLiteral("SELECT Codice, ValoreScorta FROM Articoli ORDER BY Codice")),
              (QList<QVariantList> {{QStringLiteral("8001"), 1000.0 - 2 * kSales * 3 + 2},
                                    {QStringLiteral("8004"), 40.0 - 2 * kSales + 2}}));
}

// Both sale windows hold the same customer: his points, changed with every line and stored
// with each sale, add up the sales of both counters.
TEST_F(TwoSaleWindows, TheCustomerHasThePointsOfBothCountersSales)
{
    ringUpAtBothCounters();
    ASSERT_FALSE(HasFailure());
    EXPECT_EQ(rawValue(database(), QStringLiteral("SELECT Punti FROM Clienti WHERE Codice = 'C001'")).toLongLong(),
              pointsBefore + qint64(2 * kSales * saleTotal))
        << contents(database()).filter(QRegularExpression(QStringLiteral("^(Vendite|Clienti):"))).join(u'\n').toStdString();
}

// ---- ended by the system ------------------------------------------------------------------------

struct Shutdown {
    const char* name;
    int signalNumber;
    bool supply;
    int lines;
    const char* waitingOn;
};
void PrintTo(const Shutdown& s, std::ostream* os) { *os << s.name; }

class EndedBySystem : public HeadlessCounter, public ::testing::WithParamInterface<Shutdown> { };

TEST_P(EndedBySystem, EndsAsAtAShutdownWithNothingOfTheDocumentLeft)
{
    const Shutdown& s = GetParam();
    EXPECT_FALSE(settings().contains(QLatin1String("MainLeft")));
    {
        Program program(m_home, (s.supply ? supplyLines() : saleLines()).mid(0, s.lines), true);
        ASSERT_TRUE(program.asked().startsWith(QString::fromUtf8(s.waitingOn))) << program.asked().toStdString();
        EXPECT_EQ(program.endWith(s.signalNumber), 0) << program.log().join(u'\n').toStdString();
    }
    // Given up by the program itself: nothing is left for the next start to undo.
    EXPECT_EQ(notes(), 0);
    EXPECT_EQ(contents(database()), s_before);
    for (const char* key : {"MainLeft=", "MainTop=", "MainWidth=", "MainHeight=", "MainState="})
        EXPECT_TRUE(settings().contains(QLatin1String(key))) << key;
    EXPECT_FALSE(QFile::exists(database() + QStringLiteral("-wal"))) << "the database was closed";
    EXPECT_EQ(rawValue(database(), QStringLiteral("SELECT count(*) FROM _objdb_connections")).toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Counter, EndedBySystem,
    ::testing::Values(Shutdown {"MainWindow", SIGTERM, false, 2, "INPUT: [frmMain] <Vendita> / <Fornitura> / <Chiudi>"},
                      Shutdown {"SaleWindowWithANewSale", SIGTERM, false, 9, "INPUT: [frmVendite] Articolo:"},
                      Shutdown {"QuestionOverTheSaleWindow", SIGTERM, false, 6,
                                "MSGBOX: Vuoi usare il buono [Buono 50] di 50,00 nella vendita corrente ?"},
                      Shutdown {"SalePayment", SIGTERM, false, 11, "INPUT: [RowEditor] Pagamenti del Cliente:"},
                      Shutdown {"SupplyWindowOnHangUp", SIGHUP, true, 7, "INPUT: [frmForniture] Articolo:"}),
    [](const ::testing::TestParamInfo<Shutdown>& info) { return std::string(info.param.name); });

// ---- ended while a receipt goes to the register ----------------------------------------------------

// The shop's register, played on a pseudo-terminal, counting what it hears; a slow one answers
// each command only after a pause, so that an end requested then finds the program waiting
// on the register.
class CountingRegister final : public RegisterSimulator {
public:
    explicit CountingRegister(int pauseMs)
        : m_register(CreateRegisterSimulator(QStringLiteral("ellisse"))), m_pauseMs(pauseMs)
    { }
    QString name() const override { return m_register->name(); }
    int heard() const { return m_heard; }

protected:
    std::optional<Taken> take(QByteArray& pending) override
    {
        const qsizetype before = pending.size();
        SimulatorOutput reply = m_register->answer(pending);
        if (pending.size() == before) return std::nullopt;
        Taken t {QByteArray(), reply};
        if (!t.reply.isEmpty()) t.reply.first().delayMs += m_pauseMs;
        ++m_heard;
        return t;
    }

private:
    std::shared_ptr<RegisterSimulator> m_register;
    const int m_pauseMs;
    std::atomic<int> m_heard {0};
};

struct ReceiptMoment {
    const char* name;
    int signalNumber;
    int heard;   // what the register has heard when the end is requested
    int pauseMs;   // before each of its answers
};
void PrintTo(const ReceiptMoment& m, std::ostream* os) { *os << m.name; }

class EndedDuringAReceipt : public HeadlessCounter, public ::testing::WithParamInterface<ReceiptMoment> { };

TEST_P(EndedDuringAReceipt, TheReceiptIsFinishedAndTheProgramEndsWithStatusZero)
{
    const ReceiptMoment& m = GetParam();
    auto shop = std::make_shared<CountingRegister>(m.pauseMs);
    RegisterSimulatorLine line(shop);
    {
        QSettings ini(m_home + QStringLiteral("/config/Mirtavolia/Mirtavolia.ini"), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Configuration/FiscalPrinterEnabled"), QStringLiteral("True"));
        ini.setValue(QStringLiteral("FiscalPrinterParam/Type"), QStringLiteral("3"));
        ini.setValue(QStringLiteral("FiscalPrinterParam/COMPortNumber"), QStringLiteral("1"));
        ini.setValue(QStringLiteral("Devices/COM1"), line.devicePath());
    }
    int status = -1;
    QStringList log;
    {
        Program program(m_home, saleLines().mid(0, 11), true);
        ASSERT_TRUE(program.asked().startsWith(QLatin1String("INPUT: [RowEditor] Pagamenti del Cliente:")))
            << program.asked().toStdString();
        program.sayOnly(saleLines().at(11));
        QElapsedTimer t;
        t.start();
        while (shop->heard() < m.heard && t.elapsed() < 30000) QThread::msleep(2);
        ASSERT_GE(shop->heard(), m.heard) << program.log().join(u'\n').toStdString();
        status = program.endWith(m.signalNumber);
        log = program.log();
    }
    EXPECT_EQ(status, 0) << log.join(u'\n').toStdString();
    EXPECT_FALSE(log.join(u'\n').contains(QLatin1String("Impossibile chiudere"))) << log.join(u'\n').toStdString();
    // The receipt was not cut short: the register heard it to its end, the sale is whole.
    EXPECT_GT(shop->heard(), m.heard);
    EXPECT_EQ(rawRows(database(), QStringLiteral("SELECT Completato, ImportoVendita FROM Vendite")),
              (QList<QVariantList> {{1, 51.0}}));
    for (const char* key : {"MainLeft=", "MainTop=", "MainWidth=", "MainHeight="})
        EXPECT_TRUE(settings().contains(QLatin1String(key))) << key;
    EXPECT_FALSE(QFile::exists(database() + QStringLiteral("-wal"))) << "the database was closed";
}

INSTANTIATE_TEST_SUITE_P(Counter, EndedDuringAReceipt,
                         ::testing::Values(ReceiptMoment {"TermAtTheFirstCommand", SIGTERM, 1, 0},
                                           ReceiptMoment {"HangUpAtTheSecondCommand", SIGHUP, 2, 0},
                                           ReceiptMoment {"TermAtTheFourthCommand", SIGTERM, 4, 0},
                                           ReceiptMoment {"TermWhileASlowRegisterAnswersTheFirst", SIGTERM, 1, 150},
                                           ReceiptMoment {"HangUpWhileASlowRegisterAnswersTheThird", SIGHUP, 3, 150}),
                         [](const ::testing::TestParamInfo<ReceiptMoment>& info) {
                             return std::string(info.param.name);
                         });

// The system's end while the access password is asked at the start refuses nothing: the
// program ends with status 0, as at any other moment.
TEST_F(HeadlessCounter, EndedWhileTheAccessPasswordIsAskedEndsWithStatusZero)
{
    WriteAccessPasswordFile(QStringLiteral("segreta"),
                            m_home + QStringLiteral("/data/Mirtavolia/")
                                + QString::fromLatin1(kAccessPasswordFileName));
    Program program(m_home, {}, true);
    program.waitForLog(QStringLiteral("INPUT: [frmPassword] Password"));
    EXPECT_EQ(program.endWith(SIGTERM), 0) << program.log().join(u'\n').toStdString();
}

// With an answer file that is used up the main window waits as it always did; the system's
// end still closes it properly.
TEST_F(HeadlessCounter, TheMainWindowWaitingAfterItsLastAnswerEndsWithStatusZero)
{
    Program program(m_home, {QStringLiteral("Amministratore"), QString()}, false);
    program.waitForLog(QStringLiteral("STATUS: Operatore: Amministratore"));
    EXPECT_EQ(program.endWith(SIGTERM), 0);
    EXPECT_TRUE(settings().contains(QLatin1String("MainLeft=")));
    EXPECT_FALSE(QFile::exists(database() + QStringLiteral("-wal")));
}

}   // namespace

#endif
