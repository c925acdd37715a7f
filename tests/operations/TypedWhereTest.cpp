// The typed WHERE condition: one Jet expression over the view's columns selects the rows
// again; anything else is reported and never reaches the database.
#include "operations/DateSelection.h"
#include "operations/DetailView.h"
#include "RecordingUi.h"
#include "operations/TypedWhere.h"
#include "ViewShop.h"
#include "ViewTestDialogs.h"

namespace {

TEST(TypedWhere, OnlyOneExpressionOverTheViewsColumns)
{
    const QStringList names {"OID", "Descrizione", "ValoreScorta", "Articoli.Descrizione", "CodiciIva.Percentuale"};
    const std::pair<const char*, bool> cases[] = {
        {"ValoreScorta > 3", true},
        {"Descrizione Like 'Pa*' AND (ValoreScorta Between 1 And 5 OR OID = 2)", true},
        {"[Descrizione] = \"a = b\"", true},
        {"descrizione Is Not Null", true},   // names compare without case
        {"Articoli.Descrizione <> ''", true},
        {"CodiciIva.Percentuale >= 20", true},
        {"Len(Descrizione) > 3 And Not ValoreScorta In (1, 2)", true},
        {"ValoreScorta > 3; DELETE FROM Articoli", false},   // a second statement
        {"DELETE FROM Articoli", false},
        {"1=1) OR (1=1", false},   // unbalanced
        {"ValoreScorta > 3 ORDER BY Descrizione", false},
        {"Prezzo > 3", false},   // not a column of the view
        {"Fornitori.Descrizione = 'x'", false},
        {"OID IN (SELECT OID FROM Operatori)", false},   // sub-selects read other tables
        {"Exists (SELECT * FROM Operatori)", false},
        {"ValoreScorta > (SELECT Max(ValoreScorta) FROM Articoli)", false},
        {"ValoreScorta > ?", false},
        {"Descrizione = 'unclosed", false},
        {"", false},
    };
    for (const auto& [text, accepted] : cases) {
        const std::optional<QString> why = CheckTypedWhere(QString::fromLatin1(text), names);
        EXPECT_EQ(!why.has_value(), accepted) << text << (why ? " refused: " + why->toStdString() : std::string());
    }
    EXPECT_EQ(CheckTypedWhere("Prezzo > 3", names),
              QString::fromUtf8("Il campo 'Prezzo' non può essere usato nella condizione dei dati visualizzati"));
}

class TypedWhereTest : public ViewShop {
protected:
    void SetUp() override
    {
        for (const auto& [code, stock] : {std::pair {"A", 1.0}, std::pair {"B", 4.0}, std::pair {"C", 9.0}})
            addArticle({code, "1.00", "0.50", stock});
        ASSERT_EQ(view.Refresh(nodeRequest("Articoli")), DetailView::Outcome::Shown);
        setUiServices(shown);
    }
    TableData& ds() { return *view.DataSet(); }
    QStringList codes()
    {
        QStringList out;
        for (ds().MoveFirst(); !ds().IsEOF(); ds().MoveNext()) out << ds().GetValue("Codice").toString();
        return out;
    }

    DateSelection dates {QDate(2007, 3, 5)};
    TestDialogs dialogs;
    DetailView view {db(), dates, dialogs};
    std::shared_ptr<RecordingUi> shown = std::make_shared<RecordingUi>();
};

TEST_F(TypedWhereTest, ConditionSelectsTheRowsAgain)
{
    shown->inputAnswers.push_back(QString("ValoreScorta > 3 AND Articoli.Codice <> 'X'"));
    EXPECT_TRUE(RunTypedWhere(&ds()));
    EXPECT_EQ(shown->inputPrompts, QStringList {"Immetti la clausola WHERE per la tabella Articoli"});
    EXPECT_EQ(shown->statuses, QStringList {"ValoreScorta > 3 AND Articoli.Codice <> 'X'"});
    EXPECT_EQ(codes(), (QStringList {"B", "C"}));

    // Cancel, or nothing typed: nothing changes.
    shown->inputAnswers.push_back(std::nullopt);
    shown->inputAnswers.push_back(QString());
    EXPECT_FALSE(RunTypedWhere(&ds()));
    EXPECT_FALSE(RunTypedWhere(&ds()));
    EXPECT_EQ(codes(), (QStringList {"B", "C"}));
    EXPECT_TRUE(shown->boxes.empty());
}

TEST_F(TypedWhereTest, AnythingElseIsReportedAndNeverRuns)
{
    const char* refused[] = {
        "OID > 0; DELETE FROM Articoli",
        "OID > 0) OR (1=1",
        "Nonesiste = 1",   // would compare the name as a text, selecting nothing without a word
        "OID IN (SELECT OID FROM Operatori)",
    };
    for (const char* text : refused) {
        SCOPED_TRACE(text);
        shown->boxes.clear();
        shown->inputAnswers.push_back(QString::fromLatin1(text));
        EXPECT_FALSE(RunTypedWhere(&ds()));
        ASSERT_EQ(shown->boxes.size(), 1) << "one error report";
        EXPECT_TRUE(shown->boxes[0].text.contains("Visualizzare dettagli ?"));
        EXPECT_EQ(codes(), (QStringList {"A", "B", "C"})) << "the rows stay as they were";
    }
    EXPECT_EQ(select("Articoli")->RowCount(), 3);
}

TEST_F(TypedWhereTest, ConditionTheDatabaseRefusesLeavesTheRowsReadable)
{
    // Accepted by the check (a known function, the view's column) but failing when read.
    shown->inputAnswers.push_back(QString("ValoreScorta > 1 AND Descrizione Like '[ab'"));
    EXPECT_FALSE(RunTypedWhere(&ds()));
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_EQ(ds().GetSelectCondition(), "");
    EXPECT_EQ(codes(), (QStringList {"A", "B", "C"}));
}

// A filter naming a column the view's list reaches through a join, with or without its
// table, reads the rows it counts.
TEST_F(TypedWhereTest, AFilterOnAColumnTheListReachesReadsTheRowsItCounts)
{
    at(QDateTime(QDate(2007, 3, 5), QTime(9, 0)));
    sell("A", 1);
    sell("B", 2);
    ASSERT_EQ(view.Refresh(nodeRequest("Articoli Venduti")), DetailView::Outcome::Shown);
    for (const char* filter :
         {"Percentuale = 20", "CodiciIva.Percentuale = 20", "Percentuale = 20 AND ValoreScarico > 1"}) {
        SCOPED_TRACE(filter);
        ds().SetFilter(QString::fromLatin1(filter));
        const int counted = ds().RowCount();
        EXPECT_GT(counted, 0);
        QStringList read;
        EXPECT_NO_THROW(read = codes());
        EXPECT_EQ(read.size(), counted);
    }
}

TEST_F(TypedWhereTest, ReportViewsTakeTheColumnsOfTheirList)
{
    at(QDateTime(QDate(2007, 3, 5), QTime(9, 0)));
    sell("A", 1);
    sell("B", 2);
    ASSERT_EQ(view.Refresh(nodeRequest("Articoli Venduti")), DetailView::Outcome::Shown);
    const QStringList names = TypedWhereNames(ds());
    for (const char* name : {"CodiciIva.Percentuale", "ImportoScarico", "ScaricoArticoli.ValoreScarico"})
        EXPECT_TRUE(names.contains(QString::fromLatin1(name))) << name;
    EXPECT_TRUE(names.contains("Guadagno")) << "a computed column";

    shown->inputAnswers.push_back(QString("CodiciIva.Percentuale = 20 AND ValoreScarico > 1"));
    EXPECT_TRUE(RunTypedWhere(&ds()));
    EXPECT_EQ(ds().RowCount(), 1);
    EXPECT_EQ(ds().GetValue("Codice").toString(), "B");

    // A computed column is named as the view shows it.
    shown->inputAnswers.push_back(QString("Guadagno > 1000"));
    EXPECT_TRUE(RunTypedWhere(&ds()));
    EXPECT_EQ(ds().RowCount(), 0);
    shown->inputAnswers.push_back(QString("Guadagno < 1000 AND Costo >= 0"));
    EXPECT_TRUE(RunTypedWhere(&ds()));
    EXPECT_EQ(ds().RowCount(), 2);
    EXPECT_TRUE(shown->boxes.empty());
}

TEST_F(TypedWhereTest, NothingShownAsksForDataFirst)
{
    EXPECT_FALSE(RunTypedWhere(nullptr));
    ASSERT_EQ(shown->boxes.size(), 1);
    EXPECT_EQ(shown->boxes[0].text, "Selezionare prima i dati da analizzare");
    EXPECT_TRUE(shown->inputPrompts.isEmpty());
}

}   // namespace
