// Child rows and their parent, lists and owned lists, related rows, copies between files.
#include "Fixture.h"
#include "base/Currency.h"
#include "objdb/ObjDbError.h"
#include <gtest/gtest.h>
#include <functional>
#include <vector>

using namespace fixture;

namespace {
Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

void addArticle(Shop& s, const QString& code, const char* price, double stock)
{
    s.select("Articolo")
        ->AddRow({"Codice", code, "Descrizione", "Articolo " + code, "Prezzo", QVariant::fromValue(eur(price)),
                  "Scorta", stock});
}

double storedStock(Shop& s, const QString& code)
{
    return s.scalar("SELECT Scorta FROM Articolo WHERE Codice='" + code + "'").toDouble();
}
}

TEST(ObjDbRelations, ALineReadsAndWritesItsArticleAndSavesItWithTheLine)
{
    trace() = Trace();
    Shop s(newDatabasePath("child"));
    addArticle(s, "A", "2.50", 10);
    auto doc = s.select("Documento");
    doc->AddRow({"Note", "x"});
    auto lines = doc->GetReference("Righe");
    lines->NewRow();
    EXPECT_EQ(lines->GetFieldValue("Progressivo").toLongLong(), 1);
    ASSERT_TRUE(lines->SetParentByKey("A"));
    EXPECT_EQ(lines->GetText("Descrizione"), "Articolo A") << "the parent's fields read through the line";
    lines->SetValue("Quantita", 3.0);
    EXPECT_EQ(lines->GetCurrencyValue("Importo"), eur("7.50"));
    EXPECT_EQ(lines->GetFieldValue("Scorta").toDouble(), 7.0);
    EXPECT_EQ(storedStock(s, "A"), 10.0) << "nothing stored before the line is saved";
    lines->Update();
    EXPECT_EQ(storedStock(s, "A"), 7.0) << "the stock change written through the line is stored in the article";
    // A line read afresh shows the article's values; a second line numbers on.
    auto again = s.select("Riga");
    EXPECT_EQ(again->GetFieldValue("Scorta").toDouble(), 7.0);
    lines->NewRow();
    EXPECT_EQ(lines->GetFieldValue("Progressivo").toLongLong(), 2);
}

TEST(ObjDbRelations, MovingALineToAnotherArticleMovesTheStock)
{
    trace() = Trace();
    Shop s(newDatabasePath("reparent"));
    addArticle(s, "A", "1", 10);
    addArticle(s, "B", "1", 20);
    auto doc = s.select("Documento");
    doc->AddRow({"Note", "x"});
    auto lines = doc->GetReference("Righe");
    lines->NewRow();
    ASSERT_TRUE(lines->SetParentByKey("A"));
    lines->SetValue("Quantita", 4.0);
    lines->Update();
    ASSERT_EQ(storedStock(s, "A"), 6.0);
    ASSERT_TRUE(lines->SetParentByKey("B"));
    EXPECT_EQ(lines->GetFieldValue("Scorta").toDouble(), 16.0);
    lines->Update();
    EXPECT_EQ(storedStock(s, "A"), 10.0) << "the quantity went back to the old article";
    EXPECT_EQ(storedStock(s, "B"), 16.0);
}

TEST(ObjDbRelations, OwnerHearsOfEveryLineAddedChangedAndDeleted)
{
    trace() = Trace();
    Shop s(newDatabasePath("owned"));
    addArticle(s, "A", "5", 100);
    auto doc = s.select("Documento");
    doc->AddRow({"Note", "x"});
    auto lines = doc->GetReference("Righe");
    lines->AddRow({"objParent", s.scalar("SELECT OID FROM Articolo WHERE Codice='A'"), "Quantita", 2.0});
    const qint64 first = lines->GetOID();
    EXPECT_EQ(doc->GetCurrencyValue("Totale"), eur("10"));
    lines->AddRow({"objParent", s.scalar("SELECT OID FROM Articolo WHERE Codice='A'"), "Quantita", 1.0});
    EXPECT_EQ(doc->GetCurrencyValue("Totale"), eur("15"));
    ASSERT_TRUE(lines->MoveToOID(first));
    lines->SetValue("Quantita", 4.0);
    lines->Update();
    EXPECT_EQ(doc->GetCurrencyValue("Totale"), eur("25")) << "before: the old amount off; after: the new one on";
    EXPECT_TRUE(trace().referenceEvents.contains(QString("before:Righe:%1").arg(first)));
    lines->DeleteRow();
    EXPECT_EQ(doc->GetCurrencyValue("Totale"), eur("5"));
    EXPECT_EQ(storedStock(s, "A"), 99.0) << "the deleted line gave its quantity back";
    doc->Update();
    EXPECT_EQ(s.scalar("SELECT Totale FROM Documento").toDouble(), 5.0);
    // The line knows its document.
    lines->MoveFirst();
    auto owner = lines->GetOwnerRow();
    ASSERT_TRUE(owner);
    EXPECT_EQ(owner->GetOID(), doc->GetOID());
    // Deleting the document deletes its lines with their rules.
    doc->DeleteRow();
    EXPECT_EQ(s.count("Riga"), 0);
    EXPECT_EQ(storedStock(s, "A"), 100.0);
}

TEST(ObjDbRelations, PlainListsKeepMembershipAndRaiseEventsWithTheMember)
{
    trace() = Trace();
    Shop s(newDatabasePath("lists"));
    s.select("Fornitore")->AddRow({"Codice", "F1", "Nome", "Primo"});
    s.select("Fornitore")->AddRow({"Codice", "F2", "Nome", "Secondo"});
    addArticle(s, "A", "1", 1);
    auto a = s.select("Articolo", "Codice='A'");
    a->SetReferenceByKey("Fornitori", "F2");
    a->SetReferenceByKey("Fornitori", "F1");
    a->SetReferenceByKey("Fornitori", "F1");
    auto suppliers = a->GetReference("Fornitori");
    EXPECT_EQ(suppliers->RowCount(), 2);
    auto withF2 = s.select(
        "Articolo", a->BuildReferenceCondition("Fornitori", s.scalar("SELECT OID FROM Fornitore WHERE Codice='F2'")));
    EXPECT_EQ(withF2->GetText("Codice"), "A");
    a->RemoveFromList("Fornitori", s.scalar("SELECT OID FROM Fornitore WHERE Codice='F2'").toLongLong());
    EXPECT_EQ(a->GetReference("Fornitori")->RowCount(), 1);
    EXPECT_EQ(s.count("Fornitore"), 2) << "leaving a list deletes nobody";
}

TEST(ObjDbRelations, ARowChangedThroughAReferenceIsSavedWithTheRowThatReachedIt)
{
    trace() = Trace();
    Shop s(newDatabasePath("related"));
    s.select("Cliente")->AddRow({"Nome", "Bianchi"});
    addArticle(s, "A", "30", 10);
    auto doc = s.select("Documento");
    doc->NewRow();
    doc->SetReferenceByKey("Cliente", "Bianchi");
    doc->Update();
    auto lines = doc->GetReference("Righe");
    lines->NewRow();
    ASSERT_TRUE(lines->SetParentByKey("A"));
    lines->SetValue("Quantita", 1.0);
    lines->Update();
    // The document's total took the line in; its rule credited the customer through the reference.
    EXPECT_EQ(doc->GetCurrencyValue("Totale"), eur("30"));
    EXPECT_EQ(doc->GetReference("Cliente")->GetFieldValue("Punti").toLongLong(), 3);
    EXPECT_EQ(s.scalar("SELECT Punti FROM Cliente").toLongLong(), 0) << "not before the document is saved";
    doc->Update();
    EXPECT_EQ(s.scalar("SELECT Punti FROM Cliente").toLongLong(), 3);
    EXPECT_EQ(s.scalar("SELECT Totale FROM Documento").toDouble(), 30.0);
}

TEST(ObjDbRelations, CopiesBetweenFilesKeepOidsCarryLinesAndRunNoRules)
{
    trace() = Trace();
    Shop work(newDatabasePath("work"));
    Shop backup(newDatabasePath("backup"));
    addArticle(work, "A", "2", 50);
    work.select("Cliente")->AddRow({"Nome", "Verdi"});
    auto doc = work.select("Documento");
    doc->NewRow();
    doc->SetReferenceByKey("Cliente", "Verdi");
    doc->Update();
    auto lines = doc->GetReference("Righe");
    lines->AddRow({"objParent", work.scalar("SELECT OID FROM Articolo WHERE Codice='A'"), "Quantita", 5.0});
    doc->Update();
    const double stockBefore = storedStock(work, "A");

    auto src = work.select("Documento");
    auto dst = backup.select("Documento");
    ASSERT_TRUE(src->CopyRows(*dst, nullptr, true));
    const QString rowsSql = "SELECT OID, objParent, Quantita, Importo FROM Riga ORDER BY OID";
    auto workLines = work.engine->GetConnection().Query(rowsSql).rows;
    EXPECT_EQ(backup.engine->GetConnection().Query(rowsSql).rows, workLines) << "the lines came along with their OIDs";
    EXPECT_EQ(backup.scalar("SELECT OID FROM Documento"), work.scalar("SELECT OID FROM Documento"));
    EXPECT_EQ(backup.scalar("SELECT Scorta FROM Articolo WHERE Codice='A'").toDouble(), stockBefore)
        << "the article came as it is: no rule moved its stock";
    EXPECT_EQ(backup.scalar("SELECT Nome FROM Cliente"), "Verdi");
    EXPECT_EQ(backup.engine->GetConnection().Query("SELECT OwnerOID, MemberOID FROM [Documento$Righe]").rows,
              work.engine->GetConnection().Query("SELECT OwnerOID, MemberOID FROM [Documento$Righe]").rows);

    // Change it in the backup, copy it back: both files hold the same rows.
    auto b = backup.select("Documento");
    b->SetValue("Note", "rivisto");
    b->Update();
    auto back = work.select("Documento");
    ASSERT_TRUE(backup.select("Documento")->CopyRows(*back));
    const QString docSql = "SELECT OID, Data, Totale, Note, OID_Cliente FROM Documento";
    EXPECT_EQ(work.engine->GetConnection().Query(docSql).rows, backup.engine->GetConnection().Query(docSql).rows);
    EXPECT_EQ(work.count("Documento"), 1);

    // The archive delete takes the lines along and touches no stock.
    ASSERT_TRUE(work.select("Documento")->DeleteRows());
    EXPECT_EQ(work.count("Riga"), 0);
    EXPECT_EQ(storedStock(work, "A"), stockBefore);
    EXPECT_EQ(work.scalar("SELECT count(*) FROM [Documento$Righe]").toLongLong(), 0);
}

TEST(ObjDbRelations, ARefusedReferenceChangeIsUndoneWithItsEvents)
{
    trace() = Trace();
    RecordingSink sink;
    Shop s(newDatabasePath("refref"), &sink);
    auto customers = s.select("Cliente");
    customers->AddRow({"Nome", "Neri"});
    customers->AddRow({"Nome", "Bloccato"});
    auto doc = s.select("Documento");
    doc->NewRow();
    doc->SetReferenceByKey("Cliente", "Neri");
    const qint64 neri = doc->GetReferenceOID("Cliente");
    trace().referenceEvents.clear();
    doc->SetReferenceByKey("Cliente", "Bloccato");
    EXPECT_TRUE(doc->WasRefused());
    EXPECT_EQ(sink.refusals, QStringList {"Cliente bloccato"});
    EXPECT_EQ(doc->GetReferenceOID("Cliente"), neri);
    EXPECT_EQ(trace().referenceEvents, QStringList({"before:Cliente:" + QString::number(neri)}))
        << "refused before the change: the reference never moved";
    // The candidates offered for the reference are the ones its rule allows.
    EXPECT_EQ(doc->GetReferenceTable("Cliente")->RowCount(), 1);
    doc->SetReferenceByKey("Cliente", "");
    EXPECT_EQ(doc->GetReferenceOID("Cliente"), 0) << "no customer has an empty name: the reference is unset";
}

TEST(ObjDbRelations, ParentCandidatesAreNarrowedByTheChildsRule)
{
    trace() = Trace();
    Shop s(newDatabasePath("candidates"));
    addArticle(s, "A", "1", 5);
    addArticle(s, "B", "1", 0);
    auto lines = s.select("Riga");
    lines->NewRow();
    auto candidates = lines->SelectParentCandidates();
    EXPECT_EQ(candidates->GetFilter(), "Scorta > 0");
    EXPECT_EQ(candidates->RowCount(), 1);
    EXPECT_EQ(candidates->GetText("Codice"), "A");
}

namespace {
class StopAfter : public itfProgress {
public:
    explicit StopAfter(int n) : m_n(n) { }
    bool OnProgress(int32_t, int32_t, int32_t done, int32_t, int32_t) override { return done < m_n; }

private:
    int m_n;
};
}

TEST(ObjDbRelations, AStoppedCopyLeavesTheDestinationAsItWas)
{
    trace() = Trace();
    Shop work(newDatabasePath("stopwork"));
    Shop backup(newDatabasePath("stopbackup"));
    auto c = work.select("Cliente");
    for (int i = 0; i < 5; ++i) c->AddRow({"Nome", QString("C%1").arg(i)});
    StopAfter stop(3);
    auto target = backup.select("Cliente");
    EXPECT_FALSE(work.select("Cliente")->CopyRows(*target, &stop));
    EXPECT_EQ(backup.count("Cliente"), 0);
    EXPECT_TRUE(work.select("Cliente")->CopyRows(*target));
    EXPECT_EQ(backup.count("Cliente"), 5);
}

TEST(ObjDbRelations, MovingADocumentAwayDeletesItWithoutGivingStockBack)
{
    trace() = Trace();
    Shop s(newDatabasePath("archive"));
    addArticle(s, "A", "1", 10);
    auto doc = s.select("Documento");
    doc->AddRow({"Note", "x"});
    doc->GetReference("Righe")->AddRow(
        {"objParent", s.scalar("SELECT OID FROM Articolo WHERE Codice='A'"), "Quantita", 4.0});
    doc->Update();
    ASSERT_EQ(storedStock(s, "A"), 6.0);
    doc->DeleteRowWithoutRules();
    EXPECT_EQ(s.count("Documento"), 0);
    EXPECT_EQ(s.count("Riga"), 0);
    EXPECT_EQ(storedStock(s, "A"), 6.0);
}

// A line saved earlier must not write back the stock its data set read then: the article's
// stock set meanwhile through another data set is where the line's rules start from.
TEST(ObjDbRelations, ALineChangedLaterStartsFromTheStockStoredMeanwhile)
{
    struct Case {
        const char* name;
        std::function<void(TableData&)> change;
        double expectedStock;
    };
    const std::vector<Case> cases = {
        {"deleted", [](TableData& line) { line.DeleteRow(); }, 105.0},
        {"quantity edited",
         [](TableData& line) {
             line.SetValue("Quantita", 8.0);
             line.Update();
         },
         97.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        trace() = Trace();
        Shop s(newDatabasePath(QString("stale_") + c.name));
        addArticle(s, "A", "1", 10);
        auto doc = s.select("Documento");
        doc->AddRow({"Note", "x"});
        auto lines = doc->GetReference("Righe");
        lines->AddRow({"objParent", s.scalar("SELECT OID FROM Articolo WHERE Codice='A'"), "Quantita", 5.0});
        ASSERT_EQ(storedStock(s, "A"), 5.0);
        auto articles = s.select("Articolo", "Codice='A'");
        articles->SetValue("Scorta", 100.0);
        articles->Update();
        ASSERT_EQ(storedStock(s, "A"), 100.0);
        c.change(*lines);
        EXPECT_EQ(storedStock(s, "A"), c.expectedStock);
        // The article's data set, stale in turn, starts from the line's result too.
        articles->AddToField("Scorta", 1.0);
        articles->Update();
        EXPECT_EQ(storedStock(s, "A"), c.expectedStock + 1);
    }
}
