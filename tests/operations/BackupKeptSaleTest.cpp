// A receipt restored while its sale stays in the working file: the sale's lines (and the
// stock they took) are the working file's, however the sale changed since the save. A sale
// the restore copies itself is the archive's, lines and all, with no rule run on the way.
#include "BackupShop.h"
#include "base/Currency.h"
#include "KilledChild.h"
#include <QFile>
#include <algorithm>
#include <csignal>

namespace backupkeptsale {

QDateTime on(int month, int day, int hour = 10) { return QDateTime(QDate(2007, month, day), QTime(hour, 0)); }

class KeptSale : public BackupShop {
protected:
    KeptSale()
    {
        addArticle("A", 100);
        addArticle("B", 100);
        customer = addCustomer("C1");
        // Sold on the last day of February, its receipt made on the first of March.
        sold = sale(on(2, 28), true, "A", 3, customer);
        receipted = receipt(QDate(2007, 3, 1), sold);
        clock->set(on(3, 2));
        BackupRequest whole;
        whole.allData = true;
        whole.automatic = true;
        EXPECT_EQ(run(whole), BackupRestore::Outcome::Completed);

        // Changed since the save: line A now of 5, a line of B added.
        auto s = select("Vendite", QStringLiteral("OID = %1").arg(sold));
        s->MoveFirst();
        auto lines = s->GetReference("Articoli");
        lines->MoveFirst();
        lines->SetValue("ValoreScarico", 5.0);
        lines->Update();
        lines->NewRow();
        EXPECT_TRUE(lines->SetParentByKey("B"));
        lines->SetValue("ValoreScarico", 2.0);
        lines->Update();
        auto r = select("Ricevute", QStringLiteral("OID = %1").arg(receipted));
        r->MoveFirst();
        r->SetValue("Note", "cambiata");
        r->Update();
        clock->set(on(3, 10, 9));
    }

    // The sale's lines as "code:quantity", by code.
    std::string linesOf(qint64 sale)
    {
        auto s = select("Vendite", QStringLiteral("OID = %1").arg(sale));
        s->MoveFirst();
        auto lines = s->GetReference("Articoli");
        QStringList out;
        for (lines->MoveFirst(); !lines->IsEOF(); lines->MoveNext())
            out << lines->GetText("Codice") + u':' + QString::number(lines->GetFieldValue("ValoreScarico").toDouble());
        out.sort();
        return out.join(u',').toStdString();
    }

    // The sale's total, as the sum of its lines' amounts.
    Currency linesTotal(qint64 sale)
    {
        auto s = select("Vendite", QStringLiteral("OID = %1").arg(sale));
        s->MoveFirst();
        Currency sum;
        auto lines = s->GetReference("Articoli");
        for (lines->MoveFirst(); !lines->IsEOF(); lines->MoveNext()) sum += lines->GetCurrencyValue("ImportoScarico");
        return sum;
    }

    // Lines of no sale, and links of a sale to no line, in the working file.
    qint64 strayLines()
    {
        return db()
            .RunQuery(QStringLiteral("SELECT (SELECT Count(*) FROM ScaricoArticoli WHERE OID NOT IN "
                                     "(SELECT MemberOID FROM [Vendite$Articoli])) + (SELECT Count(*) FROM "
                                     "[Vendite$Articoli] WHERE MemberOID NOT IN (SELECT OID FROM ScaricoArticoli))"))
            .rows.value(0)
            .value(0)
            .toLongLong();
    }

    Currency total(qint64 sale)
    {
        auto s = select("Vendite", QStringLiteral("OID = %1").arg(sale));
        s->MoveFirst();
        return s->GetCurrencyValue("ImportoVendita");
    }

    QString receiptNote()
    {
        return value(workingPath(), QStringLiteral("SELECT Note FROM Ricevute WHERE OID = %1").arg(receipted))
            .toString();
    }

    BackupRequest restore(int fromMonth, int fromDay)
    {
        BackupRequest r;
        r.restore = true;
        r.from = QDate(2007, fromMonth, fromDay);
        r.to = QDate(2007, 3, 8);
        r.copyRelated = true;
        r.automatic = true;
        return r;
    }

    qint64 customer = 0, sold = 0, receipted = 0;
};

TEST_F(KeptSale, AReceiptRestoredLeavesItsSaleAsTheWorkingFileHasIt)
{
    ASSERT_EQ(linesOf(sold), "A:5,B:2");
    const Currency totalNow = total(sold);
    const double stockA = stock("A"), stockB = stock("B");

    // The first week of March: the receipt, not its sale of February.
    ASSERT_EQ(run(restore(3, 1)), BackupRestore::Outcome::Completed);

    EXPECT_EQ(receiptNote(), "") << "the receipt is the archive's";
    EXPECT_EQ(linesOf(sold), "A:5,B:2");
    EXPECT_EQ(total(sold), totalNow);
    EXPECT_EQ(stock("A"), stockA);
    EXPECT_EQ(stock("B"), stockB);
}

TEST_F(KeptSale, ASaleOfThePeriodRestoredIsTheArchives)
{
    const double stockB = stock("B");
    // From the last day of February: the sale is one of the period's, copied itself.
    ASSERT_EQ(run(restore(2, 28)), BackupRestore::Outcome::Completed);

    EXPECT_EQ(receiptNote(), "");
    EXPECT_EQ(total(sold), Currency::fromDouble(7.5)) << "three of A at 2.50";
    EXPECT_EQ(value(workingPath(),
                    QStringLiteral("SELECT ValoreScarico FROM ScaricoArticoli INNER JOIN Articoli "
                                   "ON ScaricoArticoli.objParent = Articoli.OID WHERE Articoli.Codice = 'A'"))
                  .toDouble(),
              3.0)
        << "its line of A is the archive's again";
    EXPECT_EQ(linesOf(sold), "A:3") << "the line of B added since the save is gone with its link";
    EXPECT_EQ(linesTotal(sold), total(sold));
    EXPECT_EQ(strayLines(), 0);
    EXPECT_EQ(stock("B"), stockB) << "rows travel without rules: nothing recomputed";
}

// A restore with deletion killed: the next start copies the period again (receipts before
// sales). The sale the working file holds keeps its lines when only its receipt is of the
// period; one of the period, whose copy the crash came before, is the archive's.
struct CrashCase {
    const char* name;
    int fromMonth, fromDay;
    const char* killAt;   // the progress text the run dies at
    std::string lines;   // the sale's afterwards
};

void PrintTo(const CrashCase& c, std::ostream* os) { *os << c.name; }

class KeptSaleCrash : public KeptSale, public ::testing::WithParamInterface<CrashCase> { };

TEST_P(KeptSaleCrash, AMoveFinishedAfterACrashLeavesTheSaleAsItsCopyWouldHave)
{
    class KillAt final : public BackupProgress {
    public:
        explicit KillAt(const char* text) : m_text(QString::fromLatin1(text)) { }
        void Show(const QString& text) override
        {
            if (text.startsWith(m_text)) ::raise(SIGKILL);
        }
        itfProgress* Target() override { return nullptr; }
        void Close() override { }

    private:
        QString m_text;
    };
    const CrashCase& c = GetParam();
    BackupRequest r = restore(c.fromMonth, c.fromDay);
    r.deleteAtOrigin = true;
    ASSERT_TRUE(testenv::KilledInChild([r, &c] {
        KillAt progress(c.killAt);
        (void)BackupRestoreData(r, &progress);
    }));
    ASSERT_TRUE(QFile::exists(BackupRestore::JournalPath(backupPath())));
    const double stockA = stock("A"), stockB = stock("B");

    EXPECT_EQ(FinishInterruptedBackupMovesAtStart(), 1);
    EXPECT_EQ(oids(backupPath(), "Ricevute"), QList<qint64> {}) << "the move was finished";
    EXPECT_EQ(linesOf(sold), c.lines);
    EXPECT_EQ(strayLines(), 0);
    EXPECT_EQ(stock("A"), stockA);
    EXPECT_EQ(stock("B"), stockB);
}

INSTANTIATE_TEST_SUITE_P(
    Backup, KeptSaleCrash,
    ::testing::Values(CrashCase {"ReceiptOnlyKilledAtTheDeletion", 3, 1, "Eliminazione dati", "A:5,B:2"},
                      CrashCase {"SaleOfThePeriodKilledBeforeItsCopy", 2, 28, "Ripristino dei dati <Vendite>", "A:3"}),
    [](const ::testing::TestParamInfo<CrashCase>& info) { return std::string(info.param.name); });

// A save replaces the customers of its sales in the archive: there a customer's vouchers
// become the working file's, but for one that an archived sale used, which stays with its use.
class ArchivedVouchers : public BackupShop {
protected:
    qint64 addVoucher(qint64 customer, const char* name)
    {
        auto k = select("Clienti", QStringLiteral("OID = %1").arg(customer));
        k->MoveFirst();
        return k->GetReference("Buoni")->AddRow(
            {"Descrizione", name, "ImportoBuono", QVariant::fromValue(Currency::fromInt(20))});
    }
    void useVoucher(qint64 sale, qint64 voucher)
    {
        auto s = select("Vendite", QStringLiteral("OID = %1").arg(sale));
        s->MoveFirst();
        auto uses = s->GetReference("BuoniUtilizzati");
        uses->NewRow();
        uses->SetParent(voucher);
        uses->SetValue("ImportoUtilizzatoVendita", QVariant::fromValue(Currency::fromDouble(2.5)));
        uses->Update();
        s->Update();
    }
    void deleteVoucher(qint64 voucher)
    {
        auto v = select("BuoniClienti", QStringLiteral("OID = %1").arg(voucher));
        v->MoveFirst();
        v->DeleteRow();
    }
    BackupRequest save(int fromDay, int toDay)
    {
        BackupRequest r;
        r.from = QDate(2007, 3, fromDay);
        r.to = QDate(2007, 3, toDay);
        r.deleteAtOrigin = true;
        r.copyRelated = true;
        r.automatic = true;
        return r;
    }
    qint64 archived(const QString& jetSql) { return value(backupPath(), jetSql).toLongLong(); }
};

TEST_F(ArchivedVouchers, ASaveReplacingACustomerLeavesTheVoucherAnArchivedSaleUsed)
{
    addArticle("A", 100);
    const qint64 k = addCustomer("K");
    clock->set(on(3, 1, 9));
    const qint64 v1 = addVoucher(k, "V1");
    const qint64 v2 = addVoucher(k, "V2");
    const qint64 first = sale(on(3, 1), true, "A", 1, k);
    useVoucher(first, v1);
    // The first days of March go to the archive, the customer and its vouchers with them.
    ASSERT_EQ(run(save(1, 5)), BackupRestore::Outcome::Completed);
    ASSERT_EQ(oids(backupPath(), "BuoniClienti"), (QList<qint64> {std::min(v1, v2), std::max(v1, v2)}));
    // Since: both vouchers deleted from the working file, a third given; a sale of K on the 8th.
    deleteVoucher(v1);
    deleteVoucher(v2);
    const qint64 v3 = addVoucher(k, "V3");
    sale(on(3, 8), true, "A", 1, k);

    ASSERT_EQ(run(save(6, 10)), BackupRestore::Outcome::Completed);

    EXPECT_EQ(oids(backupPath(), "BuoniClienti"), (QList<qint64> {std::min(v1, v3), std::max(v1, v3)}))
        << "V2 went with the customer's list, V1 stays for the sale that used it";
    EXPECT_EQ(archived(QStringLiteral("SELECT Count(*) FROM [Clienti$Buoni] WHERE OwnerOID = %1").arg(k)), 2);
    EXPECT_EQ(archived(QStringLiteral("SELECT Count(*) FROM BuoniVendite WHERE objParent = %1").arg(v1)), 1);
    EXPECT_EQ(archived(QStringLiteral(
                  "SELECT Count(*) FROM BuoniVendite WHERE objParent NOT IN (SELECT OID FROM BuoniClienti)")),
              0);
    EXPECT_EQ(archived(QStringLiteral(
                  "SELECT Count(*) FROM BuoniClienti WHERE OID NOT IN (SELECT MemberOID FROM [Clienti$Buoni])")),
              0);
}

}   // namespace backupkeptsale
