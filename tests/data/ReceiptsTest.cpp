// Receipts: numbered anew every year, the year following the date.
#include "SalesShop.h"
#include "objdb/TableObject.h"

namespace {

class Receipts : public SalesShop {
protected:
    qint64 addReceipt(const QDate& date) { return shop.select("Ricevute")->AddRow({"Data", QDateTime(date, QTime())}); }
    std::unique_ptr<TableData> receipt(qint64 oid) { return shop.select("Ricevute", QString("OID=%1").arg(oid)); }
    // As stored.
    QString numbered(qint64 oid)
    {
        return shop.rawScalar(QString("SELECT Numero || '/' || AnnoRiferimento FROM Ricevute WHERE OID=%1").arg(oid))
            .toString();
    }
};

TEST_F(Receipts, ANewReceiptIsDatedTodayAndNumberedInItsYear)
{
    auto r = shop.select("Ricevute");
    r->NewRow();
    EXPECT_EQ(r->GetValue("Data").toDateTime(), QDateTime(QDate(2007, 3, 1), QTime(0, 0)));
    EXPECT_EQ(r->GetValue("Note"), QString(""));
    EXPECT_EQ(r->GetFieldValue("AnnoRiferimento").toLongLong(), 2007);
    EXPECT_EQ(r->GetFieldValue("Numero").toLongLong(), 1);
}

TEST_F(Receipts, NumbersRestartEveryYearAndFollowTheDate)
{
    const qint64 a = addReceipt(QDate(2007, 3, 3));
    const qint64 b = addReceipt(QDate(2007, 5, 10));
    const qint64 c = addReceipt(QDate(2007, 12, 31));
    EXPECT_EQ(numbered(a), "1/2007");
    EXPECT_EQ(numbered(b), "2/2007");
    EXPECT_EQ(numbered(c), "3/2007");

    // Within the year the number stays; into another year it takes that year's next one.
    auto r = receipt(a);
    r->SetValue("Data", QDateTime(QDate(2007, 3, 20), QTime()));
    r->Update();
    EXPECT_EQ(numbered(a), "1/2007");
    r->SetValue("Data", QDateTime(QDate(2008, 1, 2), QTime()));
    r->Update();
    EXPECT_EQ(numbered(a), "1/2008");
    const qint64 d = addReceipt(QDate(2008, 1, 5));
    EXPECT_EQ(numbered(d), "2/2008");
    const qint64 e = addReceipt(QDate(2007, 6, 1));
    EXPECT_EQ(numbered(e), "4/2007") << "the gap left by the receipt that moved is not filled";
}

TEST_F(Receipts, AReceiptMovedIntoAYearNumberedUpTo41Becomes42)
{
    shop.db().RunQuery(
        "INSERT INTO Ricevute (OID, Numero, Data, AnnoRiferimento) VALUES (1000041, 41, #05/02/2006#, 2006)");
    const qint64 r = addReceipt(QDate(2007, 4, 4));
    auto edit = receipt(r);
    edit->SetValue("Data", QDateTime(QDate(2006, 7, 1), QTime()));
    edit->Update();
    EXPECT_EQ(numbered(r), "42/2006");
}

TEST_F(Receipts, TwoReceiptsOfOneYearMayNotShareANumber)
{
    const qint64 a = addReceipt(QDate(2007, 3, 3));
    const qint64 b = addReceipt(QDate(2008, 3, 3));
    EXPECT_EQ(numbered(b), "1/2008") << "different years share number 1";
    const qint64 c = addReceipt(QDate(2007, 4, 4));
    auto edit = receipt(c);
    edit->SetValue("Numero", qint64(1));
    EXPECT_THROW(edit->Update(), AppError);
    EXPECT_EQ(shop.sink().refusals.size(), 1);
    EXPECT_EQ(numbered(a), "1/2007");
    EXPECT_EQ(numbered(c), "2/2007");
}

TEST_F(Receipts, TheSaleOfAReceiptIsChosenAmongTheNewestFirst)
{
    const qint64 customer = addCustomer("Rossi", "C1");
    auto older = newSale(customer);
    auto newer = newSale(customer);
    auto r = shop.select("Ricevute");
    r->NewRow();
    auto sales = r->GetReferenceTable("Vendita");
    EXPECT_EQ(sales->GetOrder(), "DataVendita DESC,Cliente");
    sales->MoveFirst();
    EXPECT_EQ(sales->GetOID(), newer->GetOID());
}

}   // namespace
