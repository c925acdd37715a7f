// A receipt restored while its sale stays in the working file: the sale's lines (and the
// stock they took) are the working file's, however the sale changed since the save. A sale
// the restore copies itself is the archive's.
#include "BackupShop.h"
#include "Currency.h"
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

    Currency total(qint64 sale)
    {
        auto s = select("Vendite", QStringLiteral("OID = %1").arg(sale));
        s->MoveFirst();
        return s->GetCurrencyValue("ImportoVendita");
    }

    QString receiptNote()
    {
        return value(workingPath(), QStringLiteral("SELECT Note FROM Ricevute WHERE OID = %1").arg(receipted)).toString();
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
    // From the last day of February: the sale is one of the period's, copied itself.
    ASSERT_EQ(run(restore(2, 28)), BackupRestore::Outcome::Completed);

    EXPECT_EQ(receiptNote(), "");
    EXPECT_EQ(total(sold), Currency::fromDouble(7.5)) << "three of A at 2.50";
    EXPECT_EQ(value(workingPath(), QStringLiteral("SELECT ValoreScarico FROM ScaricoArticoli INNER JOIN Articoli "
                                                  "ON ScaricoArticoli.objParent = Articoli.OID WHERE Articoli.Codice = 'A'"))
                  .toDouble(),
              3.0)
        << "its line of A is the archive's again";
}

// A restore with deletion killed before the deletion: the next start copies the period again
// (receipts before sales), and the sale the working file holds keeps its lines all the same.
TEST_F(KeptSale, AMoveFinishedAfterACrashLeavesTheSaleAsTheWorkingFileHasIt)
{
    class KillAtDeletion final : public BackupProgress {
    public:
        void Show(const QString& text) override
        {
            if (text.startsWith(QStringLiteral("Eliminazione dati"))) ::raise(SIGKILL);
        }
        itfProgress* Target() override { return nullptr; }
        void Close() override {}
    };
    BackupRequest r = restore(3, 1);
    r.deleteAtOrigin = true;
    ASSERT_TRUE(testenv::KilledInChild([r] {
        KillAtDeletion progress;
        (void)BackupRestoreData(r, &progress);
    }));
    ASSERT_TRUE(QFile::exists(BackupRestore::JournalPath(backupPath())));
    const double stockA = stock("A"), stockB = stock("B");

    EXPECT_EQ(FinishInterruptedBackupMovesAtStart(), 1);
    EXPECT_EQ(oids(backupPath(), "Ricevute"), QList<qint64>{}) << "the move was finished";
    EXPECT_EQ(linesOf(sold), "A:5,B:2");
    EXPECT_EQ(stock("A"), stockA);
    EXPECT_EQ(stock("B"), stockB);
}

}  // namespace backupkeptsale
