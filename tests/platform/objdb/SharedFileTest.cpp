// Two programs on one database file, played in one process by two engines: a change still
// pending in one program's row buffers while the other stores its own is applied to the file
// as it is when the change is written, never over what the other stored; the write lock is
// taken before a change reads what it will write; a program that cannot have the lock is
// told what failed and keeps its change to try again.
#include "Fixture.h"
#include "base/Currency.h"
#include "objdb/DatabaseOperation.h"
#include "objdb/ObjDbError.h"
#include "objdb/SqlConnection.h"
#include <gtest/gtest.h>
#include <functional>
#include <vector>

using namespace fixture;

namespace {

Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
QVariant money(const char* text) { return QVariant::fromValue(eur(text)); }

constexpr int kShortWait = 100;   // milliseconds a program waits for the other's lock here

// Two programs on the same file, with an article A priced 2.00 with 10 in stock and a
// customer who earns a point every 10.00 of a document.
struct TwoPrograms {
    explicit TwoPrograms(const char* name) : path(newDatabasePath(name)), a(path, &sinkA), b(path, &sinkB)
    {
        article = a.select("Articolo")
                      ->AddRow({"Codice", "A", "Descrizione", "Articolo A", "Prezzo", money("2"), "Scorta", 10.0});
        customer = a.select("Cliente")->AddRow({"Nome", "Rossi"});
        b.engine->sql().setBusyTimeout(kShortWait);
    }
    // A stored document of the program, for the customer when given; its data set stays on it.
    static std::unique_ptr<TableData> document(Shop& s, qint64 customer = 0)
    {
        auto doc = s.select("Documento", "OID = 0");
        doc->NewRow();
        if (customer) doc->SetReferenceOID("Cliente", customer);
        doc->Update();
        return doc;
    }
    // A line of the article in the document, its quantity set, not yet stored.
    std::unique_ptr<TableData> pendingLine(TableData& doc, double quantity) const
    {
        auto lines = doc.GetReference("Righe");
        lines->NewRow();
        lines->SetParent(article);
        lines->SetValue("Quantita", quantity);
        return lines;
    }
    void sell(TableData& doc, double quantity) const { pendingLine(doc, quantity)->Update(); }
    QVariant stored(const QString& sql) const { return a.scalar(sql); }
    double stock() const { return stored("SELECT Scorta FROM Articolo WHERE Codice='A'").toDouble(); }

    QString path;
    RecordingSink sinkA, sinkB;
    Shop a, b;
    qint64 article = 0, customer = 0;
};

}   // namespace

// Program A's change is made, and kept in its row buffers, before program B stores its own;
// A writes afterwards. Whatever kind the running total is, B's change is still in it.
TEST(ObjDbSharedFile, ARunningTotalPendingInOneProgramKeepsWhatTheOtherStoredMeanwhile)
{
    struct Case {
        const char* name;
        std::function<void(TwoPrograms&)> play;
        const char* query;
        QVariant expected;
    };
    const std::vector<Case> cases = {
        {"stock through a line (a number)",
         [](TwoPrograms& p) {
             auto docA = TwoPrograms::document(p.a);
             auto lineA = p.pendingLine(*docA, 3);   // 3 leave A's copy of the stock
             auto docB = TwoPrograms::document(p.b);
             p.sell(*docB, 2);
             lineA->Update();
         },
         "SELECT Scorta FROM Articolo WHERE Codice='A'", 5.0},
        {"stock of a line changed long after it was stored",
         [](TwoPrograms& p) {
             auto docA = TwoPrograms::document(p.a);
             auto lineA = p.pendingLine(*docA, 1);
             lineA->Update();
             auto docB = TwoPrograms::document(p.b);
             p.sell(*docB, 2);
             lineA->SetValue("Quantita", 4.0);
             p.sell(*docB, 1);
             lineA->Update();
         },
         "SELECT Scorta FROM Articolo WHERE Codice='A'", 3.0},
        {"a document's total (an amount), the document held by both",
         [](TwoPrograms& p) {
             auto docA = TwoPrograms::document(p.a);
             p.sell(*docA, 1);   // 2.00, kept in A's document row while A holds it
             auto docB = p.b.select("Documento", QStringLiteral("OID = %1").arg(docA->GetOID()));
             p.sell(*docB, 2);
             docB->Update();
             docA->Update();
         },
         "SELECT Totale FROM Documento", 6.0},
        {"a customer's points (a whole number), read again by A's rule after B stored",
         [](TwoPrograms& p) {
             auto docA = TwoPrograms::document(p.a, p.customer);
             p.sell(*docA, 5);   // 10.00: one point, carried by A's copy of the customer
             auto docB = TwoPrograms::document(p.b, p.customer);
             p.sell(*docB, 10);
             docB->Update();   // 20.00: two points stored
             p.sell(*docA, 5);   // 20.00 in all: one more point for A's rule to add
             docA->Update();
         },
         "SELECT Punti FROM Cliente WHERE Nome='Rossi'", qint64(4)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TwoPrograms p("shared-total");
        c.play(p);
        EXPECT_EQ(p.stored(c.query), c.expected);
        EXPECT_TRUE(p.sinkA.refusals.isEmpty() && p.sinkB.refusals.isEmpty())
            << p.sinkA.refusals.join(" | ").toStdString();
    }
}

// What a pending change set outright (a description typed) stands as typed; what it did not
// touch is what the other program stored, also in the buffer the rules of the store read.
TEST(ObjDbSharedFile, AFieldSetOutrightStandsAndTheFieldsLeftAloneAreReadAsStored)
{
    TwoPrograms p("shared-plain");
    auto articleA = p.a.select("Articolo", "Codice='A'");
    articleA->SetValue("Descrizione", "Pane di A");
    auto articleB = p.b.select("Articolo", "Codice='A'");
    articleB->SetValue("Descrizione", "Pane di B");
    articleB->SetValue("Prezzo", money("3"));
    articleB->Update();
    articleA->Update();
    EXPECT_EQ(articleA->GetCurrencyValue("Prezzo"), eur("3"));
    EXPECT_EQ(p.stored("SELECT Descrizione FROM Articolo WHERE Codice='A'"), QVariant("Pane di A"));
    EXPECT_EQ(p.stored("SELECT Prezzo FROM Articolo WHERE Codice='A'").toDouble(), 3.0);
}

// A number taken as the next free one is taken again when its row is stored; one typed by
// hand is the user's.
TEST(ObjDbSharedFile, ANumberTakenIsTakenAgainWhenStoredUnlessSetByHand)
{
    struct Case {
        const char* name;
        std::function<void(TableData& line)> beforeB;
        qint64 expected;
    };
    const std::vector<Case> cases = {
        {"taken by the rule", [](TableData&) {}, 2},
        {"typed", [](TableData& line) { line.SetValue("Progressivo", 7); }, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TwoPrograms p("shared-number");
        auto docA = TwoPrograms::document(p.a);
        auto lineA = p.pendingLine(*docA, 1);
        ASSERT_EQ(lineA->GetFieldValue("Progressivo").toLongLong(), 1);
        c.beforeB(*lineA);
        auto docB = p.b.select("Documento", QStringLiteral("OID = %1").arg(docA->GetOID()));
        p.sell(*docB, 1);
        lineA->Update();
        EXPECT_EQ(lineA->GetFieldValue("Progressivo").toLongLong(), c.expected);
        EXPECT_EQ(
            p.stored(QStringLiteral("SELECT Progressivo FROM Riga WHERE OID = %1").arg(lineA->GetOID())).toLongLong(),
            c.expected);
    }
}

// Program A holds the lock (an operation under way, or an engine transaction just begun); B
// waits its busy time and is told which of its operations failed and why. Nothing of B's is
// in the file, and B's buffers hold its pending change as before: once A is done, B stores it
// and the stock counts both. Setting a field writes nothing, so it does not wait.
TEST(ObjDbSharedFile, AProgramThatCannotHaveTheLockIsToldWhatFailedAndKeepsItsChangeToStoreLater)
{
    const QString busy
        = QString::fromUtf8(": il database è occupato da un altro utente (attesa di 100 millisecondi senza esito); "
                            "nessuna modifica è stata registrata, riprovare");
    struct Case {
        const char* name;
        bool engineTransaction;   // A holds the file through an engine transaction
    };
    for (const Case& c : {Case {"an operation under way", false}, Case {"an engine transaction begun", true}}) {
        SCOPED_TRACE(c.name);
        TwoPrograms p("shared-busy");
        const qint64 supplier = p.a.select("Fornitore")->AddRow({"Codice", "F1", "Nome", "Fornitore"});
        auto docB = TwoPrograms::document(p.b);
        auto lineB = p.pendingLine(*docB, 3);
        auto articleB = p.b.select("Articolo", "Codice='A'");
        articleB->MoveFirst();
        {
            std::unique_ptr<DatabaseOperation> op;
            if (c.engineTransaction) {
                p.a.engine->SetUseTransaction(true);
                p.a.engine->BeginTransaction();
            } else {
                op = std::make_unique<DatabaseOperation>(*p.a.db);
            }
            auto docA = TwoPrograms::document(p.a);
            p.sell(*docA, 1);

            struct Attempt {
                const char* name;
                std::function<void()> run;
                QString doing;
            };
            const std::vector<Attempt> attempts = {
                {"line stored", [&] { lineB->Update(); }, "Impossibile salvare <Righe>"},
                {"row deleted", [&] { articleB->DeleteRow(); }, "Impossibile eliminare l'elemento di <Articoli>"},
                {"added to a list", [&] { articleB->AddToList("Fornitori", supplier); },
                 "Impossibile modificare il riferimento <Fornitori> di <Articolo>"},
                {"transaction begun",
                 [&] {
                     p.b.engine->SetUseTransaction(true);
                     p.b.engine->BeginTransaction();
                 },
                 "Impossibile iniziare la transazione"},
            };
            for (const Attempt& at : attempts) {
                SCOPED_TRACE(at.name);
                try {
                    at.run();
                    ADD_FAILURE() << "went through while the other program held the file";
                } catch (const AppError& e) {
                    EXPECT_EQ(e.number, objdb::errorNumber(objdb::Busy));
                    EXPECT_EQ(e.description, at.doing + busy);
                }
            }
            p.b.engine->SetUseTransaction(false);
            EXPECT_EQ(p.b.engine->TransactionLevel(), 0);
            EXPECT_TRUE(lineB->IsNewRow());
            EXPECT_EQ(lineB->GetFieldValue("Quantita").toDouble(), 3.0);
            EXPECT_EQ(lineB->GetFieldValue("Scorta").toDouble(), 7.0) << "B's pending stock as before";
            articleB->SetValue("Descrizione", "Pane");
            if (op)
                op->Commit();
            else
                p.a.engine->CommitTransaction();
        }
        EXPECT_EQ(p.stock(), 9.0);
        EXPECT_EQ(p.stored("SELECT count(*) FROM Riga").toLongLong(), 1);
        EXPECT_EQ(p.stored("SELECT count(*) FROM [Articolo$Fornitori]").toLongLong(), 0);
        lineB->Update();
        EXPECT_EQ(p.stock(), 6.0);
        EXPECT_EQ(p.stored("SELECT Descrizione FROM Articolo WHERE Codice='A'"), QVariant("Pane"));
    }
}

// A new row has its OID from when it is made, and may wait long before it is stored (a line
// whose price the user is still typing). Whatever the other program makes and stores
// meanwhile has OIDs of its own, and the waiting row, stored at last, counts in its
// document's total as a new row, never as the row stored under its number.
TEST(ObjDbSharedFile, AnOIDHandedOutIsNeverHandedOutAgainByTheOtherProgram)
{
    struct Case {
        const char* name;
        bool bInsideItsOwnOperation;   // B makes its rows while holding the write lock
        bool aRollsBackFirst;   // A gave up a change after making its new row
    };
    const Case cases[] = {
        {"B outside an operation", false, false},
        {"B inside an operation", true, false},
        {"A's operation rolled back after the row was made", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TwoPrograms t(c.name);
        auto docA = TwoPrograms::document(t.a, t.customer);
        std::unique_ptr<TableData> lineA;
        if (c.aRollsBackFirst) {
            t.a.engine->BeginWholeTransaction();
            lineA = t.pendingLine(*docA, 1);
            t.a.engine->RollbackTransaction();
        } else {
            lineA = t.pendingLine(*docA, 1);
        }
        const qint64 pending = lineA->GetOID();
        auto docB = TwoPrograms::document(t.b);
        QList<qint64> made {docB->GetOID()};
        if (c.bInsideItsOwnOperation) t.b.engine->BeginWholeTransaction();
        for (int i = 0; i < 3; ++i) {
            auto line = t.pendingLine(*docB, 2);
            made << line->GetOID();
            line->Update();
        }
        docB->Update();
        if (c.bInsideItsOwnOperation) t.b.engine->CommitTransaction();
        EXPECT_FALSE(made.contains(pending));
        lineA->Update();
        EXPECT_EQ(lineA->GetOID(), pending);
        docA->Update();
        EXPECT_EQ(t.stored(QString("SELECT Totale FROM Documento WHERE OID = %1").arg(docA->GetOID())).toDouble(), 2.0);
        EXPECT_EQ(t.stored(QString("SELECT Totale FROM Documento WHERE OID = %1").arg(docB->GetOID())).toDouble(),
                  12.0);
        EXPECT_EQ(t.stock(), 10.0 - 1 - 6);
    }
}
