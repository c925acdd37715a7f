// The developer's data-set commands on completed documents, run through the command line as a
// real process: an edit is whole or absent however the run ends, and a voucher use takes only
// a voucher of the sale's own customer.
#ifdef MV_MVTOOL_EXE
#include "TestEnvironment.h"
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

struct RunOutcome {
    int status = -1;
    QString out;
};

RunOutcome runScript(const QString& path, const QByteArray& script)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("run"), path});
    p.write(script);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

// One value read straight from the file, as it stands for another program.
QString storedValue(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QString value = QStringLiteral("(none)");
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 10000);
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return value;
}

// True while another program holds the file's write lock.
bool writeLocked(const QString& path)
{
    sqlite3* db = nullptr;
    bool locked = false;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        locked = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_BUSY;
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return locked;
}

// An article at 10.00 with 100 in stock, customers C1 and C2 with a voucher of 5.00 each of
// the same date (C1's first), C3 with one of another date, and a completed sale for C2 of 3
// units: 30.00.
QString shopWithACompletedSale()
{
    const QString path = testenv::newDir("mvtool-run") + QStringLiteral("/Mirtavolia.mdb");
    QByteArray setup
        = "new Articoli\nset Codice=PANE\nset Descrizione=Pane\nset PrezzoVendita=10\nset ValoreScorta=100\nsave\n";
    for (const char* customer : {"C1", "C2"}) {
        setup += QStringLiteral(
                     "new Clienti\nset Descrizione=Cliente %1\nset Codice=%1\nsave\nlist Buoni\nnew BuoniClienti\n"
                     "set Descrizione=Buono %1\nset Data=2007-12-24 09:00:00\nset ImportoBuono=5\nsave\n")
                     .arg(QLatin1String(customer))
                     .toUtf8();
    }
    setup += "new Clienti\nset Descrizione=Cliente C3\nset Codice=C3\nsave\nlist Buoni\nnew BuoniClienti\n"
             "set Descrizione=Buono C3\nset Data=2008-01-06 09:00:00\nset ImportoBuono=5\nsave\n";
    setup += "new Vendite\nsetref Cliente=C2\nsave\nlist Articoli\nnew ScaricoArticoli\nparent PANE\nset "
             "ValoreScarico=3\nsave\n"
             "up\nset Completato=True\nsave\n";
    const RunOutcome made = runScript(path, setup);
    EXPECT_EQ(made.status, 0) << made.out.toStdString();
    return path;
}

const char kTotal[] = "SELECT printf('%g', ImportoVendita) FROM Vendite";
const char kLines[] = "SELECT printf('%g', sum(ImportoScarico)) FROM ScaricoArticoli";
const char kStock[] = "SELECT printf('%g', ValoreScorta) FROM Articoli WHERE Codice = 'PANE'";

}   // namespace

// A line of a completed sale changed (3 units become 5): until the sale itself is saved the
// change is part of an edit, and a run that stops, ends or is killed before leaves the sale,
// its line, its total and the stock as they were.
TEST(MvtoolRun, AnEditOfACompletedSaleIsWholeOrAbsent)
{
    const QByteArray change = "select Vendite\nlist Articoli\nfirst\nset ValoreScarico=5\nsave\n";
    struct Case {
        const char* name;
        QByteArray rest;   // after the line's change; empty: the run is killed
        int status;
        const char* total;
        const char* stock;
    };
    const Case cases[] = {
        {"the sale saved", "up\nsave\n", 0, "50", "95"},
        {"stopped by an error", "nonsense\n", 1, "30", "97"},
        {"ended before the sale's save", "print ValoreScarico\n", 0, "30", "97"},
        {"killed before the sale's save", QByteArray(), -1, "30", "97"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = shopWithACompletedSale();
        ASSERT_EQ(storedValue(path, kTotal), "30");
        if (!c.rest.isEmpty()) {
            const RunOutcome r = runScript(path, change + c.rest);
            EXPECT_EQ(r.status, c.status) << r.out.toStdString();
        } else {
            QProcess p;
            p.start(QStringLiteral(MV_MVTOOL_EXE), {QStringLiteral("run"), path});
            ASSERT_TRUE(p.waitForStarted(10000));
            // A deposit stored first tells that the run is past its opening; the input stays
            // open: the run waits for more.
            p.write("new Depositi\nset Deposito=MARK\nset Descrizione=Segno\nsave\n" + change);
            QElapsedTimer waited;
            waited.start();
            while (waited.elapsed() < 30000
                   && storedValue(path, "SELECT count(*) FROM Depositi WHERE Deposito = 'MARK'") != "1")
                QThread::msleep(20);
            // The line is saved once the run holds the file for its edit, or, were the edit not
            // one transaction, once the line's new amount is stored; an edit kept whole may show
            // neither, and a few seconds let the run get past the line.
            waited.restart();
            while (waited.elapsed() < 5000 && !writeLocked(path)
                   && storedValue(path, "SELECT printf('%g', ValoreScarico) FROM ScaricoArticoli") != "5")
                QThread::msleep(20);
            QThread::msleep(300);
            p.kill();
            p.waitForFinished(10000);
        }
        EXPECT_EQ(storedValue(path, kTotal), c.total);
        EXPECT_EQ(storedValue(path, kLines), c.total);
        EXPECT_EQ(storedValue(path, kStock), c.stock);
    }
}

// A voucher is found by its date, and two customers may have one of the same date: the use
// takes the sale's customer's, as the window's pick offers only those.
TEST(MvtoolRun, AVoucherUseTakesOnlyAVoucherOfTheSalesCustomer)
{
    struct Case {
        const char* date;
        int status;
        const char* usedByC1;
        const char* usedByC2;
    };
    const Case cases[] = {
        {"2007-12-24 09:00:00", 0, "0", "2"}, {"2008-01-06 09:00:00", 1, "0", "0"},   // C3's only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        const QString path = shopWithACompletedSale();
        const RunOutcome r
            = runScript(path,
                        QStringLiteral("select Vendite\nlist BuoniUtilizzati\nnew BuoniVendite\nparent %1\n"
                                       "set ImportoUtilizzatoVendita=2\nsave\nup\nsave\n")
                            .arg(QLatin1String(c.date))
                            .toUtf8());
        EXPECT_EQ(r.status, c.status) << r.out.toStdString();
        if (c.status != 0) {
            EXPECT_TRUE(r.out.contains(
                QStringLiteral("nessun elemento con chiave < %1 > tra i possibili padri").arg(QLatin1String(c.date))))
                << r.out.toStdString();
        }
        EXPECT_EQ(storedValue(
                      path, "SELECT printf('%g', ImportoUtilizzato) FROM BuoniClienti WHERE Descrizione = 'Buono C1'"),
                  c.usedByC1);
        EXPECT_EQ(storedValue(
                      path, "SELECT printf('%g', ImportoUtilizzato) FROM BuoniClienti WHERE Descrizione = 'Buono C2'"),
                  c.usedByC2);
        EXPECT_EQ(storedValue(
                      path, "SELECT printf('%g', ImportoUtilizzato) FROM BuoniClienti WHERE Descrizione = 'Buono C3'"),
                  "0");
        EXPECT_EQ(storedValue(path, "SELECT printf('%g', ImportoBuoni) FROM Vendite"), c.usedByC2);
    }
}
#endif
