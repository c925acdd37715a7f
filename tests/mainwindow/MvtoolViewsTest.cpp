// The developer's tool prints a node's query as Jet SQL and, on a database, its rows.
#include "MvtoolRun.h"
#include "ViewShop.h"
#include <QRegularExpression>

namespace {

#ifdef MV_MVTOOL_EXE

class MvtoolViews : public ViewShop { };

TEST_F(MvtoolViews, PrintsTheJetTextOfANode)
{
    ToolRun r = mvtool({"viewquery", "Vendite", "--day", "05/03/2007", "--where", "Not Completato"});
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(
        r.lines.contains("Where: (Not Completato) AND DataVendita >= #03/05/2007# AND DataVendita < #03/06/2007#"));
    EXPECT_TRUE(
        r.lines.contains("Jet: SELECT * FROM Vendite WHERE (Not Completato) AND DataVendita >= #03/05/2007# AND "
                         "DataVendita < #03/06/2007#"));
    EXPECT_TRUE(r.lines.contains("DateField: DataVendita"));

    r = mvtool({"viewquery", "Forniture pagate", "--paid-period", "2007-03-01:2007-03-31"});
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(
        r.lines.contains("Where: DataFornitura>= #03/01/2007# AND DataFornitura < #04/01/2007# AND Pagato = True"));
    EXPECT_TRUE(r.lines.contains("Status: Da data: 01/03/2007 A Data: 31/03/2007"));

    r = mvtool({"viewquery", "Lista Forniture", "--month", "03/2007"});
    EXPECT_TRUE(r.lines.contains("Where: Month(DataFornitura) = 3 AND Year(DataFornitura) = 2007"));
    r = mvtool({"viewquery", "Ricevute", "--all"});
    EXPECT_TRUE(r.lines.contains("Jet: SELECT * FROM Ricevute ORDER BY AnnoRiferimento,Numero"));

    // The stock at the end of a year: the movements from the next day on are taken out, and
    // the title names that day.
    r = mvtool({"viewquery", "Ricalcolo Imponibile Magazzino", "--date", "2007-12-31"});
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(r.lines.contains("Title:  Alla data: 01/01/2008"));
    EXPECT_TRUE(r.lines.contains("Table: Articoli"));
    EXPECT_TRUE(r.lines.contains("Where: ValoreScortaAllaData > 0 AND PrezzoVendita > 0"));
    const QString fields = r.lines.filter(QRegularExpression("^Fields: ")).value(0);
    EXPECT_TRUE(fields.contains("DataCarico >= #01/01/2008#")) << fields.toStdString();
    EXPECT_TRUE(fields.contains("DataScarico >= #01/01/2008#")) << fields.toStdString();
}

TEST_F(MvtoolViews, RunsTheQueryOnADatabase)
{
    addArticle({"A", "1.00", "0.50", 10});
    at(QDateTime(QDate(2007, 3, 5), QTime(23, 59)));
    sell("A", 4);
    ToolRun r = mvtool({"viewquery", "Vendite", "--day", "2007-03-05", "--run", path()});
    ASSERT_EQ(r.status, 0);
    const int header = int(r.lines.indexOf(QRegularExpression("^OID\t.*")));
    ASSERT_GE(header, 0);
    EXPECT_EQ(r.lines.size() - header - 1, 1) << "one sale that day";
    EXPECT_TRUE(r.lines.last().contains("2007-03-05 23:59:00"));
    r = mvtool({"viewquery", "Vendite", "--day", "2007-03-06", "--run", path()});
    EXPECT_EQ(r.lines.last().left(4), "OID\t") << "none the next day";

    r = mvtool({"viewquery", "Ricalcolo Imponibile Magazzino", "--date", "2007-03-04", "--run", path(), "--top", "5"});
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(r.lines.contains("Title:  Alla data: 05/03/2007"));
    const QStringList columns = r.lines[r.lines.size() - 2].split('\t');
    const QStringList cells = r.lines.last().split('\t');
    ASSERT_EQ(columns.size(), cells.size());
    EXPECT_EQ(cells[columns.indexOf("ValoreScortaAllaData")], "10") << "the sale came after that date";
    // As the window reads the view: the stock at the date in the place of the article's own
    // (6 today), one column of that name.
    EXPECT_EQ(cells[columns.indexOf("ValoreScorta")], "10");
    EXPECT_EQ(columns.count("ValoreScorta"), 1);
}

TEST_F(MvtoolViews, ReportsBadUseAndMissingFiles)
{
    EXPECT_EQ(mvtool({"viewquery"}).status, 2);
    EXPECT_EQ(mvtool({"viewquery", "Vendite", "--day", "yesterday"}).status, 2);
    EXPECT_EQ(mvtool({"viewquery", "Vendite", "--day", "2007-03-05", "--month", "03/2007"}).status, 2);
    EXPECT_EQ(mvtool({"viewquery", "Vendite", "--run", path() + ".missing"}).status, 1);
    EXPECT_EQ(mvtool({"viewtree", "--level"}).status, 2);
}

TEST_F(MvtoolViews, PrintsTheTreeOfAnOperator)
{
    EXPECT_EQ(mvtool({"viewtree"}).lines.size(), 14);
    EXPECT_EQ(mvtool({"viewtree", "--level", "1", "--payments"}).lines.size(), 43);
    EXPECT_EQ(mvtool({"viewtree", "--payments"}).lines.value(11),
              "12\t8\tInventario Magazzino\tInventario Magazzino\tReportElement");
}

#endif

}   // namespace
