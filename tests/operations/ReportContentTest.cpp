// What the views show on a small shop whose figures are worked out by hand: the day of a
// late sale, the articles under stock, the stock and its taxable value at a past date, the
// cost of what was sold, the paid supplies and the vouchers.
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "objdb/TableObject.h"
#include "operations/ViewQueryBuilder.h"
#include "operations/ViewRows.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"
#include <cmath>

namespace {

class ReportContentTest : public ViewShop {
protected:
    // The articles of the shop, in this order: Penna, Quaderno, Gomma, Busta, Righello,
    // Matita, Colla.
    void addArticles()
    {
        rossi = addSupplier("Rossi");
        bianchi = addSupplier("Bianchi");
        addArticle({"P", "1.50", "0.50", 10, 5, "IVA20", rossi});
        addArticle({"Q", "3.00", "1.00", 2, 5, "IVA10", rossi});   // under stock
        addArticle({"G", "0.80", "0.20", 0, 3, "IVA20", bianchi});   // under stock
        addArticle({"B", "0.00", "0.10", 1, 10});   // no price: never under stock
        addArticle({"R", "2.00", "0.70", 4, 4});   // at its minimum, not under
        addArticle({"M", "0.60", "0.20", 4, 0});
        addArticle({"C", "2.50", "1.00", 0, 0});
    }

    ViewQuery query(const QString& key)
    {
        return builder.Build(ViewRequest {ViewNode {key, key}, "", "", " Sezione:", " Dettagli:"}, ShownView {});
    }

    // One column of a page, by name.
    static QVariantList column(const ViewRows::Page& page, const QString& name)
    {
        const int i = int(page.columns.indexOf(name));
        EXPECT_GE(i, 0) << name.toStdString();
        QVariantList values;
        for (const auto& row : page.rows) values << row.value(i);
        return values;
    }
    static QStringList texts(const QVariantList& values)
    {
        QStringList out;
        for (const auto& v : values) out << v.toString();
        return out;
    }
    QStringList codesOf(const ViewRows::Page& page)
    {
        QStringList codes;
        for (const QVariant& oid : column(page, "OID"))
            codes << select("Articoli", QString("OID = %1").arg(oid.toLongLong()))->GetValue("Codice").toString();
        return codes;
    }
    // One field of every row of a data set.
    static QVariantList values(TableData& ds, const QString& field)
    {
        QVariantList out;
        for (ds.MoveFirst(); !ds.IsEOF(); ds.MoveNext()) out << ds.GetValue(field);
        return out;
    }
    // The keys of the rows the window's data set holds.
    static QList<qint64> keysOf(TableData& ds)
    {
        QList<qint64> keys;
        for (ds.MoveFirst(); !ds.IsEOF(); ds.MoveNext()) keys << ds.GetOID();
        return keys;
    }

    qint64 rossi = 0, bianchi = 0;
    DateSelection dates {QDate(2007, 3, 10)};
    TestDialogs dialogs;
    ViewQueryBuilder builder {db(), dialogs, dates};
};

void expectNear(const QVariantList& actual, const std::vector<double>& expected, const char* what)
{
    ASSERT_EQ(actual.size(), qsizetype(expected.size())) << what;
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(actual[qsizetype(i)].toDouble(), expected[i], 1e-9) << what << " row " << i;
}

TEST_F(ReportContentTest, SaleAtOneMinuteToMidnightBelongsToItsDay)
{
    addArticles();
    at(QDateTime(QDate(2007, 3, 10), QTime(23, 59)));
    const qint64 late = sell("P", 1);
    at(QDateTime(QDate(2007, 3, 11), QTime(0, 0)));
    const qint64 midnight = sell("P", 1);

    DetailView view(db(), dates, dialogs);
    for (const auto& [day, expected] :
         {std::pair {QDate(2007, 3, 10), late}, std::pair {QDate(2007, 3, 11), midnight}}) {
        SCOPED_TRACE(day.toString(Qt::ISODate).toStdString());
        dates.SelectDay(day);
        ASSERT_EQ(view.Refresh(nodeRequest("Vendite")), DetailView::Outcome::Shown);
        EXPECT_EQ(keysOf(*view.DataSet()), QList<qint64> {expected});
        EXPECT_EQ(column(ViewRows(db(), view.Query()).First(0), "OID"), QVariantList {expected});
        // The lines sold follow the same day.
        ASSERT_EQ(view.Refresh(nodeRequest("Articoli Venduti")), DetailView::Outcome::Shown);
        EXPECT_EQ(view.DataSet()->RowCount(), 1);
    }
}

TEST_F(ReportContentTest, UnderStockArticlesAreExactlyThoseBelowTheirMinimum)
{
    addArticles();
    EXPECT_EQ(codesOf(ViewRows(db(), query("Articoli Sottoscorta")).First(0)), (QStringList {"Q", "G"}));
    dialogs.supplier = "Rossi";
    EXPECT_EQ(codesOf(ViewRows(db(), query("Articoli Sottoscorta")).First(0)), QStringList {"Q"});
    EXPECT_EQ(codesOf(ViewRows(db(), query("Articoli Fornitore")).First(0)), (QStringList {"P", "Q"}));
    dialogs.supplier = "Bianchi";
    EXPECT_EQ(codesOf(ViewRows(db(), query("Articoli Sottoscorta")).First(0)), QStringList {"G"});
    // The window's data set over the same query holds the same rows.
    DetailView view(db(), dates, dialogs);
    dialogs.supplier.reset();
    ASSERT_EQ(view.Refresh(nodeRequest("Articoli Sottoscorta")), DetailView::Outcome::Shown);
    EXPECT_EQ(view.DataSet()->RowCount(), 2);
    EXPECT_EQ(codesOf(ViewRows(db(), query("Articoli Vari")).First(0)), QStringList {"B"});
}

TEST_F(ReportContentTest, StockAtAPastDateLeavesOutLaterLoadsAndUnloads)
{
    addArticles();
    ASSERT_EQ(average("P"), eur("0.50"));
    at(QDateTime(QDate(2007, 3, 5), QTime(10, 0)));
    load("P", 20);   // before the date: stays
    at(QDateTime(QDate(2007, 3, 10), QTime(23, 59)));
    sell("P", 3);   // on the date: stays
    at(QDateTime(QDate(2007, 3, 11), QTime(9, 0)));
    load("P", 5);   // after: taken out
    load("C", 8);   // Colla had none at the date
    at(QDateTime(QDate(2007, 3, 12), QTime(9, 0)));
    sell("P", 2);   // after: given back
    at(QDateTime(QDate(2007, 3, 15), QTime(9, 0)));
    sell("M", 4);   // Matita has none today, 4 at the date
    ASSERT_EQ(stock("P"), 30);
    ASSERT_EQ(stock("M"), 0);
    ASSERT_EQ(average("P"), eur("0.50")) << "loads at the purchase price keep the average";

    dialogs.date = QDate(2007, 3, 10);
    DetailView view(db(), dates, dialogs);
    ASSERT_EQ(view.Refresh(nodeRequest("Ricalcolo Imponibile Magazzino")), DetailView::Outcome::Shown);
    EXPECT_EQ(view.Title(), " Alla data: 11/03/2007") << "the day the movements taken out begin";
    TableData& ds = *view.DataSet();
    EXPECT_EQ(texts(values(ds, "Codice")), (QStringList {"P", "Q", "R", "M"}));
    expectNear(values(ds, "ValoreScortaAllaData"), {27, 2, 4, 4}, "stock at the date");
    expectNear(values(ds, "ValoreScorta"), {27, 2, 4, 4}, "the quantity the report prints: at the date too");
    expectNear(values(ds, "Imponibile"), {13.5, 2.0, 2.8, 0.8}, "taxable");
    expectNear(values(ds, "ImportoIVA"), {2.7, 0.2, 0.56, 0.16}, "VAT");
    EXPECT_EQ(texts(values(ds, "ValoreCarico")), (QStringList {"5", "", "", ""}));
    EXPECT_EQ(texts(values(ds, "ValoreScarico")), (QStringList {"2", "", "", "4"}));
    // Today's stock is still the article's own: the view computes the other in its place.
    EXPECT_EQ(stock("P"), 30);

    // Today's taxable stock is another list: Colla in, Matita out.
    EXPECT_EQ(codesOf(ViewRows(db(), query("Imponibile Magazzino")).First(0)), (QStringList {"P", "Q", "R", "C"}));
}

TEST_F(ReportContentTest, CostOfWhatWasSoldKeepsTheVatFraction)
{
    addArticles();
    at(QDateTime(QDate(2007, 3, 10), QTime(10, 0)));
    sell("P", 3);   // 4.50 with 20% VAT inside: 0.75
    sell("Q", 1);   // 3.00 with 10% VAT inside: 3 * 10/110
    const ViewRows::Page page = ViewRows(db(), query("Articoli Venduti")).First(0);
    expectNear(column(page, "ImportoScarico"), {4.5, 3.0}, "amount");
    expectNear(column(page, "Percentuale"), {20, 10}, "VAT rate");
    expectNear(column(page, "Costo"), {0.5 * 3 + 0.75, 1.0 + 30.0 / 110.0}, "cost");
    expectNear(column(page, "Guadagno"), {4.5 - 2.25, 3.0 - 1.0 - 30.0 / 110.0}, "profit");

    // The inventory values today's stock the same way.
    const ViewRows::Page inventory = ViewRows(db(), query("Inventario Magazzino")).First(1);
    expectNear(column(inventory, "Valore"), {1.5 * 7}, "value");
    expectNear(column(inventory, "Costo"), {0.5 * 7 + 1.5 * 7 * 20.0 / 120.0}, "stock cost");
}

TEST_F(ReportContentTest, PaidAndUnpaidSuppliesOfAPeriod)
{
    addArticles();
    at(QDateTime(QDate(2007, 2, 28), QTime(18, 0)));
    load("P", 1, rossi, true);   // before the period
    at(QDateTime(QDate(2007, 3, 1), QTime(8, 0)));
    const qint64 paidFirstDay = load("P", 1, rossi, true);
    at(QDateTime(QDate(2007, 3, 31), QTime(23, 59)));
    const qint64 paidLastMinute = load("Q", 1, bianchi, true);
    const qint64 unpaid = load("Q", 2, bianchi, false);
    at(QDateTime(QDate(2007, 4, 1), QTime(0, 0)));
    load("P", 1, rossi, true);   // after it

    dialogs.period = std::make_pair(QDate(2007, 3, 1), QDate(2007, 3, 31));
    EXPECT_EQ(column(ViewRows(db(), query("Forniture pagate")).First(0), "OID"),
              (QVariantList {paidFirstDay, paidLastMinute}));
    EXPECT_EQ(column(ViewRows(db(), query("Forniture non pagate")).First(0), "OID"), QVariantList {unpaid});
    dialogs.period.reset();
    EXPECT_EQ(ViewRows(db(), query("Forniture pagate")).RowCount(), 4) << "no period: every paid supply";
    // The supplier column shows the supplier as the grid shows a reference.
    DetailView view(db(), dates, dialogs);
    dialogs.period = std::make_pair(QDate(2007, 3, 1), QDate(2007, 3, 31));
    ASSERT_EQ(view.Refresh(nodeRequest("Forniture non pagate")), DetailView::Outcome::Shown);
    EXPECT_EQ(view.DataSet()->GetText("Fornitore"), "Bianchi");
}

TEST_F(ReportContentTest, VouchersShowTheirCustomer)
{
    const qint64 customer = select("Clienti")->AddRow({"Descrizione", "Maria Verdi", "Codice", "C1"});
    auto c = select("Clienti", QString("OID = %1").arg(customer));
    c->GetReference("Buoni")->AddRow({"Descrizione", "Reso", "ImportoBuono", QVariant::fromValue(eur("5.00"))});
    const ViewRows::Page page = ViewRows(db(), query("Lista Buoni")).First(0);
    EXPECT_EQ(texts(column(page, "Cliente")), QStringList {"Maria Verdi"});
    EXPECT_EQ(texts(column(page, "Descrizione")), QStringList {"Reso"});
}

}   // namespace
