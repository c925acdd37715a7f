// Several changes as one library operation: stored together by Commit, or all undone, in
// the file and in the row buffers the data sets share.
#include "Fixture.h"
#include "base/Currency.h"
#include "objdb/DatabaseOperation.h"
#include "objdb/ObjDbError.h"
#include <gtest/gtest.h>

using namespace fixture;

namespace {
Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

// A document with its lines, each taking stock from an article priced 2.
struct Lines {
    explicit Lines(Shop& s) : shop(s)
    {
        article = s.select("Articolo")
                      ->AddRow({"Codice", "A", "Descrizione", "Articolo A", "Prezzo", QVariant::fromValue(eur("2")),
                                "Scorta", 10.0});
        doc = s.select("Documento");
        doc->NewRow();
        doc->Update();
        rows = doc->GetReference("Righe");
    }
    void add(double quantity) { rows->AddRow({"objParent", article, "Quantita", quantity}); }
    double stock() const { return shop.scalar("SELECT Scorta FROM Articolo WHERE Codice='A'").toDouble(); }

    Shop& shop;
    qint64 article = 0;
    std::unique_ptr<TableData> doc;
    std::unique_ptr<TableData> rows;
};

TEST(ObjDbOperation, CommittedChangesStayTogether)
{
    Shop s(newDatabasePath("operation-commit"));
    Lines l(s);
    {
        DatabaseOperation op(*s.db);
        l.add(2);
        l.add(3);
        op.Commit();
    }
    EXPECT_EQ(s.count("Riga"), 2);
    EXPECT_EQ(l.stock(), 5.0);
}

TEST(ObjDbOperation, AnOperationEndedWithoutCommitUndoesEveryChangeMadeInIt)
{
    // A long operation lets go of the rows nobody holds any more as it goes: the rows still
    // held must come back all the same.
    for (const int lines : {2, 600}) {
        SCOPED_TRACE(lines);
        RecordingSink sink;
        Shop s(newDatabasePath(QStringLiteral("operation-undo-%1").arg(lines)), &sink);
        Lines l(s);
        auto article = s.select("Articolo", "Codice = 'A'");
        article->MoveFirst();
        // A change of the operator's, not saved yet, that the operation's lines save with the stock.
        article->SetValue("Descrizione", "In modifica");
        try {
            DatabaseOperation op(*s.db);
            for (int i = 0; i < lines; ++i) l.add(0.01);
            // The last line costs more than the rules allow: refused, and the operation with it.
            l.rows->AddRow({"objParent", l.article, "Quantita", 1.0, "Importo", QVariant::fromValue(eur("5000"))});
            op.Commit();
            FAIL() << "the refusal did not stop the operation";
        } catch (const AppError& e) {
            EXPECT_TRUE(objdb::isRefusal(e));
        }
        EXPECT_EQ(s.count("Riga"), 0) << "the lines added before the refusal are gone too";
        EXPECT_EQ(l.stock(), 10.0);
        EXPECT_EQ(article->GetFieldValue("Scorta").toDouble(), 10.0);
        EXPECT_EQ(article->GetFieldValue("Descrizione").toString(), "In modifica")
            << "the operator's change is pending again";
        EXPECT_EQ(s.scalar("SELECT Descrizione FROM Articolo WHERE Codice='A'").toString(), "Articolo A");
        article->CancelUpdate();
        article->Refresh();
        EXPECT_EQ(article->GetFieldValue("Scorta").toDouble(), 10.0);

        // Nothing of the undone operation is left pending: a new line counts from the stored stock.
        l.add(1);
        EXPECT_EQ(l.stock(), 9.0);
    }
}

// The operation's first write is a line written and then refused (its document is closed):
// the line goes, what the operation writes after it is kept by Commit, and undone with the
// rest when the operation ends without one.
TEST(ObjDbOperation, ALineRefusedAfterItsWriteAsTheFirstWriteGoesAlone)
{
    for (const bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "committed" : "ended without commit");
        Shop s(newDatabasePath(commit ? "operation-first-refused-commit" : "operation-first-refused-undo"));
        Lines l(s);
        {
            DatabaseOperation op(*s.db);
            l.doc->SetValue("Note", "chiuso");
            EXPECT_THROW(l.add(5), AppError);
            l.doc->SetValue("Note", "");
            l.add(2);
            if (commit) op.Commit();
        }
        EXPECT_EQ(s.count("Riga"), commit ? 1 : 0);
        EXPECT_EQ(l.stock(), commit ? 8.0 : 10.0);
    }
}

}   // namespace
