// Copies and deletions by sets of rows (two files linked) leave exactly the rows, OIDs and
// values that the same work row by row leaves.
#include "Fixture.h"
#include "base/Currency.h"
#include "objdb/ObjDbError.h"
#include "objdb/SqlConnection.h"
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include "FileContents.h"
#include <map>
#include <optional>
#include <sqlite3.h>

using namespace fixture;

namespace setcopy {

Currency euros(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }

// Every row of every table of a closed file, as text, sorted.
std::map<QString, QStringList> contents(const QString& path)
{
    return testenv::tableContents(path, "name NOT LIKE '\\_objdb%' ESCAPE '\\'");
}

// Two closed files with the same rows, under the same OIDs.
void twin(const QString& from, const QString& to) { ASSERT_TRUE(QFile::copy(from, to)); }

qint64 oidOf(Shop& s, const QString& table, const QString& condition)
{
    return s.scalar(QStringLiteral("SELECT OID FROM %1 WHERE %2").arg(table, condition)).toLongLong();
}

// A shop of three articles with their suppliers, two customers and three documents with lines.
struct Work {
    QString path = newDatabasePath("sets-work");
    QList<qint64> documents;
    Work()
    {
        Shop s(path);
        auto suppliers = s.select("Fornitore");
        for (const char* code : {"F1", "F2"}) suppliers->AddRow({"Codice", code, "Nome", QString("Fornitore ") + code});
        auto articles = s.select("Articolo");
        for (const char* code : {"A", "B", "C"})
            articles->AddRow({"Codice", code, "Descrizione", QString("Articolo ") + code, "Prezzo",
                              QVariant::fromValue(euros("2")), "Scorta", 50.0});
        for (const char* code : {"A", "B"}) {
            auto a = s.select("Articolo", QStringLiteral("Codice = '%1'").arg(code));
            a->SetReferenceOID("Fornitori", oidOf(s, "Fornitore", "Codice = 'F1'"));
            a->Update();
        }
        auto c = s.select("Articolo", "Codice = 'C'");
        c->SetReferenceOID("Fornitori", oidOf(s, "Fornitore", "Codice = 'F2'"));
        c->Update();
        s.select("Cliente")->AddRow({"Nome", "Verdi"});
        s.select("Cliente")->AddRow({"Nome", "Rossi"});
        const QList<QPair<const char*, QStringList>> docs
            = {{"Verdi", {"A", "A", "B"}}, {"Rossi", {"C"}}, {nullptr, {"A"}}};
        for (const auto& [customer, lines] : docs) {
            auto doc = s.select("Documento");
            doc->NewRow();
            if (customer) doc->SetReferenceByKey("Cliente", customer);
            doc->Update();
            for (const QString& code : lines)
                doc->GetReference("Righe")->AddRow(
                    {"objParent", oidOf(s, "Articolo", "Codice = '" + code + "'"), "Quantita", 2.0});
            doc->Update();
            documents << doc->GetOID();
        }
    }
};

// A backup that already holds a few rows: its own units and "VARIE" (other OIDs, same codes),
// article B under another OID, customer Verdi under the working file's OID with other points.
QString preparedBackup(const Work& w)
{
    const QString path = newDatabasePath("sets-backup");
    Shop b(path);
    b.select("Articolo")->AddRow({"Codice", "B", "Descrizione", "B dell'archivio"});
    Shop work(w.path);
    const qint64 verdi = oidOf(work, "Cliente", "Nome = 'Verdi'");
    b.engine->sql().execute(
        QStringLiteral("INSERT INTO Cliente (OID, Nome, Punti) VALUES (%1, 'Verdi', 77)").arg(verdi));
    return path;
}

class StopAt : public itfProgress {
public:
    explicit StopAt(int n) : m_n(n) { }
    bool OnProgress(int32_t, int32_t, int32_t done, int32_t, int32_t) override { return done < m_n; }

private:
    int m_n;
};

TEST(ObjDbSetCopy, LinkedFilesCopyTheRowsACopyRowByRowCopies)
{
    const Work w;
    const QString backup = preparedBackup(w);
    // Verdi's document is in the backup too, under the working file's OID, with a line of its own.
    {
        Shop b(backup);
        const qint64 article = oidOf(b, "Articolo", "Codice = 'B'");
        const qint64 verdi = oidOf(b, "Cliente", "Nome = 'Verdi'");
        b.engine->sql().execute(QStringLiteral("INSERT INTO Documento (OID, Totale, OID_Cliente) VALUES (%1, 0, %2)")
                                    .arg(w.documents[0])
                                    .arg(verdi));
        b.engine->sql().execute(
            QStringLiteral("INSERT INTO Riga (OID, objParent, Quantita, Progressivo) VALUES (4242, %1, 9, 1)")
                .arg(article));
        b.engine->sql().execute(
            QStringLiteral("INSERT INTO \"Documento$Righe\" (OwnerOID, MemberOID) VALUES (%1, 4242)")
                .arg(w.documents[0]));
    }
    struct Case {
        const char* name;
        bool related;
        QList<int> documents;   // indexes into the work's documents
    };
    for (const Case& c : {Case {"whole, related replaced", true, {0, 1, 2}},
                          Case {"whole, related added", false, {0, 1, 2}}, Case {"one document", true, {1}}}) {
        SCOPED_TRACE(c.name);
        QList<qint64> oids;
        for (int i : c.documents) oids << w.documents[i];
        const QString linked = newDatabasePath("sets-linked");
        const QString rowByRow = newDatabasePath("sets-rows");
        for (const QString& target : {linked, rowByRow}) {
            twin(backup, target);
            Shop from(w.path), to(target);
            std::optional<FileLink> link;
            if (target == linked) {
                link.emplace(*to.engine, *from.engine);
                ASSERT_TRUE(link->active());
            }
            ASSERT_TRUE(from.db->Tables()
                            .Item("Documento")
                            ->CopyRowsTo(oids, *to.db->Tables().Item("Documento"), nullptr, c.related));
            // The linked copy went by sets (its lists of rows are still there while linked).
            EXPECT_EQ(to.engine->sql()
                          .scalar("SELECT count(*) > 0 FROM sqlite_temp_master WHERE name LIKE 'objdb%'")
                          .toBool(),
                      target == linked);
        }
        const auto bySets = contents(linked);
        EXPECT_EQ(bySets, contents(rowByRow));
        // What the copy is about: lines came with their documents, and a document replaced
        // has its own only (the backup's line of Verdi's document went with it, or stayed when
        // that document was not copied); the backup's own rows were taken for the working
        // file's (no second "PZ", no second "B").
        EXPECT_EQ(bySets.at("Riga").size(), c.documents.size() == 1 ? 2 : 5);
        EXPECT_EQ(bySets.at("Riga").filter(QRegularExpression(QStringLiteral("^4242\\|"))).size(),
                  c.documents.size() == 1 ? 1 : 0);
        EXPECT_EQ(bySets.at("Unita").size(), 3);
        EXPECT_EQ(bySets.at("Articolo").filter(QStringLiteral("|B|")).size(), 1);
    }
}

// A move finished again after a crash asks for documents the source has already given up:
// the destination keeps them with their lines, by sets as row by row.
TEST(ObjDbSetCopy, DocumentsTheSourceNoLongerHoldsKeepTheirLinesInTheDestination)
{
    const Work w;
    const QString moved = newDatabasePath("sets-moved");
    twin(w.path, moved);
    {
        Shop s(w.path);
        ASSERT_TRUE(s.db->Tables().Item("Documento")->DeleteRows(w.documents));
    }
    const auto before = contents(moved);
    ASSERT_EQ(before.at("Riga").size(), 5);
    for (const bool linked : {true, false}) {
        SCOPED_TRACE(linked ? "by sets" : "row by row");
        {
            Shop from(w.path), to(moved);
            std::optional<FileLink> link;
            if (linked) {
                link.emplace(*to.engine, *from.engine);
                ASSERT_TRUE(link->active());
            }
            for (const bool related : {true, false})
                ASSERT_TRUE(from.db->Tables()
                                .Item("Documento")
                                ->CopyRowsTo(w.documents, *to.db->Tables().Item("Documento"), nullptr, related));
        }
        EXPECT_EQ(contents(moved), before);
    }
}

TEST(ObjDbSetCopy, ACopyStoppedOrRefusedLeavesTheDestinationAsItWas)
{
    const Work w;
    const QString backup = preparedBackup(w);
    const auto before = contents(backup);
    {
        Shop from(w.path), to(backup);
        const FileLink link(*to.engine, *from.engine);
        ASSERT_TRUE(link.active());
        StopAt stop(1);
        EXPECT_FALSE(from.db->Tables()
                         .Item("Documento")
                         ->CopyRowsTo(w.documents, *to.db->Tables().Item("Documento"), &stop, true));
        // A rule of the destination the source does not know (one customer at most): the copy
        // row by row is the judge, and refuses.
        to.engine->sql().execute("CREATE UNIQUE INDEX Solo ON Cliente (Nome IS NOT NULL)");
        EXPECT_THROW((void)from.db->Tables().Item("Cliente")->CopyRowsTo(
                         {oidOf(from, "Cliente", "Nome = 'Verdi'"), oidOf(from, "Cliente", "Nome = 'Rossi'")},
                         *to.db->Tables().Item("Cliente"), nullptr, true),
                     AppError);
        to.engine->sql().execute("DROP INDEX Solo");
    }
    EXPECT_EQ(contents(backup), before);
}

TEST(ObjDbSetCopy, ALinkWaitsForNoOperationAndLeavesNothingBesideTheSource)
{
    const Work w;
    const QString backup = preparedBackup(w);
    {
        Shop from(w.path), to(backup);
        to.engine->SetUseTransaction(true);
        to.engine->BeginTransaction();
        {
            const FileLink busy(*to.engine, *from.engine);
            EXPECT_FALSE(busy.active()) << "nothing is attached inside a transaction";
            // Row by row all the same.
            EXPECT_TRUE(
                from.db->Tables().Item("Documento")->CopyRowsTo({w.documents[1]}, *to.db->Tables().Item("Documento")));
        }
        to.engine->CommitTransaction();
        EXPECT_EQ(to.count("Documento"), 1);
        {
            const FileLink link(*to.engine, *from.engine);
            EXPECT_TRUE(link.active());
            EXPECT_TRUE(
                from.db->Tables().Item("Documento")->CopyRowsTo({w.documents[0]}, *to.db->Tables().Item("Documento")));
        }
        EXPECT_EQ(to.count("Documento"), 2);
        // Its lists of rows went with it, and the temporary storage is the connection's own
        // again (2: in memory), not SQLite's default.
        EXPECT_EQ(to.engine->sql().scalar("SELECT count(*) FROM sqlite_temp_master WHERE name LIKE 'objdb%'").toInt(),
                  0);
        EXPECT_EQ(to.engine->sql().scalar("PRAGMA temp_store").toInt(), 2);
        from.engine->Close();
        // The link is gone with its run: the source closed last leaves no log behind.
        EXPECT_FALSE(QFileInfo::exists(w.path + "-wal"));
    }
}

TEST(ObjDbSetCopy, DeletionBySetsRemovesWhatDeletionRowByRowRemoves)
{
    const Work w;
    struct Case {
        const char* table;
        const char* condition;
    };
    for (const Case c : {Case {"Documento", "Note IS NULL OR Note = ''"}, Case {"Fornitore", "Codice = 'F1'"}}) {
        SCOPED_TRACE(c.table);
        const QString bySets = newDatabasePath("del-sets");
        const QString byRows = newDatabasePath("del-rows");
        twin(w.path, bySets);
        twin(w.path, byRows);
        {
            Shop s(bySets);
            QList<qint64> oids;
            for (const auto& row : s.engine->GetConnection()
                                       .Query(QStringLiteral("SELECT OID FROM %1 WHERE %2").arg(c.table, c.condition))
                                       .rows)
                oids << row.value(0).toLongLong();
            ASSERT_FALSE(oids.isEmpty());
            ASSERT_TRUE(s.db->Tables().Item(c.table)->DeleteRows(oids));
        }
        {
            Shop s(byRows);
            for (auto rows = s.select(c.table, c.condition); !rows->IsEmpty(); rows = s.select(c.table, c.condition)) {
                rows->MoveFirst();
                rows->DeleteRowWithoutRules();
            }
        }
        const auto sets = contents(bySets);
        EXPECT_EQ(sets, contents(byRows));
        EXPECT_TRUE(sets.at(c.table).isEmpty() || QString(c.table) == "Fornitore");
    }
}

}   // namespace setcopy
