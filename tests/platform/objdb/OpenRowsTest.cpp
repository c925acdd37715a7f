// Rows stored unfinished are noted with the process that stored them, in the operation that
// stores them; the note goes with the operation that finishes or deletes the row. Whoever
// opens the file next undoes what a process that has ended left, and nothing else.
#include "Fixture.h"
#include "objdb/DatabaseOperation.h"
#include "objdb/OpenRows.h"
#include "objdb/SqlConnection.h"
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace fixture;
using objdb::ProcessOwner;
using objdb::UndoneRow;

namespace {

// A "practice" finished when its Completato is set, with lines that take stock from an item;
// and a plain table that is never noted.
class PraticaTable : public itfDefTable, public itfSetData {
public:
    QString TableName() const override { return QStringLiteral("Pratica"); }
    void DefineIdentity(TableIdentity& id) override
    {
        id.Version = 1.0;
        id.CompletionField = "Completato";
    }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions& r) override
    {
        f.AddField("Numero", FieldType::Integer, 0, 0, 0, -100, -100, -100, -1);
        f.AddField("Completato", FieldType::Boolean, 0, 0, 0, -100, -100, -100, -1);
        r.AddReference("Righe", "Scarico", true, true, QString(), QString());
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnNewRow(TableData& td) override { td.SetValue("Completato", false); }
};

class VoceTable : public itfDefTable, public itfSetData {
public:
    QString TableName() const override { return QStringLiteral("Voce"); }
    void DefineIdentity(TableIdentity& id) override { id.Version = 1.0; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions&) override
    {
        f.AddField("Scorta", FieldType::Number, 0, 0, 0, -100, -100, -100, -1);
    }
    itfSetData* DefineDefaultData() override { return this; }
};

// A line takes its quantity from the item's stock and gives it back when it goes.
class ScaricoTable : public itfDefTable, public itfSetData {
public:
    QString TableName() const override { return QStringLiteral("Scarico"); }
    void DefineIdentity(TableIdentity& id) override
    {
        id.Version = 1.0;
        id.ParentTable = "Voce";
    }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions&) override
    {
        f.AddField("Quantita", FieldType::Number, 0, 0, 0, -100, -100, -100, -1);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnBeforeUpdateField(TableData& td, QString& field) override
    {
        if (field == "Quantita")
            td.SetValue("Scorta", td.GetFieldValue("Scorta").toDouble() + td.GetFieldValue("Quantita").toDouble());
    }
    void OnUpdateField(TableData& td, QString& field) override
    {
        if (field == "Quantita")
            td.SetValue("Scorta", td.GetFieldValue("Scorta").toDouble() - td.GetFieldValue("Quantita").toDouble());
    }
    void OnDeleteRow(TableData& td) override
    {
        td.SetValue("Scorta", td.GetFieldValue("Scorta").toDouble() + td.GetFieldValue("Quantita").toDouble());
        td.Update();
    }
};

class JournalDefinition : public itfDefDatabase {
public:
    void Define(DatabaseDefinition& d) override
    {
        d.AddTable(std::make_shared<VoceTable>());
        d.AddTable(std::make_shared<ScaricoTable>());
        d.AddTable(std::make_shared<PraticaTable>());
    }
};

struct JournalFile {
    explicit JournalFile(const char* name) : path(newDatabasePath(QString::fromLatin1(name))) { open(); }
    void open()
    {
        engine = std::make_shared<DBEngine>();
        if (!QFileInfo::exists(path)) engine->CreateDatabase(3, path);
        engine->OpenDatabase(3, path);
        db = LibraryGlobal::NewDatabase(std::make_shared<JournalDefinition>(), "test", nullptr);
        db->AttachEngine(engine);
    }
    std::unique_ptr<TableData> select(const char* table, const QString& condition = QString())
    {
        return db->Tables().Item(QString::fromLatin1(table))->Select(condition);
    }
    QVariant scalar(const QString& sql) { return engine->sql().scalar(sql); }
    qint64 notes() { return scalar(QStringLiteral("SELECT count(*) FROM _objdb_open")).toLongLong(); }
    void exec(const QString& sql) { engine->sql().execute(sql); }
    std::vector<objdb::OpenRow> openRows() { return objdb::OpenRows(*db); }

    QString path;
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
};

TEST(ObjDbOpenRows, TheNoteFollowsTheRowInTheOperationThatStoresIt)
{
    JournalFile f("open-rows-note");
    auto practices = f.select("Pratica");
    const qint64 open = practices->AddRow({"Numero", 1});
    ASSERT_EQ(f.openRows().size(), 1u);
    const objdb::OpenRow note = f.openRows().front();
    EXPECT_EQ(note.table, "Pratica");
    EXPECT_EQ(note.oid, open);
    EXPECT_EQ(note.owner.pid, ProcessOwner::Current().pid);
    EXPECT_EQ(note.owner.started, ProcessOwner::Current().started);
    EXPECT_EQ(note.owner.state(), ProcessOwner::State::Alive);

    // Saved again unfinished: still one note.
    ASSERT_TRUE(practices->MoveToOID(open));
    practices->SetValue("Numero", 2);
    practices->Update();
    EXPECT_EQ(f.notes(), 1);

    practices->SetValue("Completato", true);
    practices->Update();
    EXPECT_EQ(f.notes(), 0) << "finished: the note goes with the save";

    practices->AddRow({"Numero", 3});
    EXPECT_EQ(f.notes(), 1);
    practices->DeleteRow();
    EXPECT_EQ(f.notes(), 0) << "deleted: the note goes with the row";

    practices->AddRow({"Numero", 4, "Completato", true});
    f.select("Voce")->AddRow({"Scorta", 5.0});
    EXPECT_EQ(f.notes(), 0) << "a row stored finished, or of a table without a completion field, is never noted";
}

TEST(ObjDbOpenRows, AnOperationUndoneTakesItsNoteWithIt)
{
    JournalFile f("open-rows-undone");
    {
        DatabaseOperation op(*f.db);
        f.select("Pratica")->AddRow({"Numero", 1});
        EXPECT_EQ(f.notes(), 1);
    }
    EXPECT_EQ(f.select("Pratica")->RowCount(), 0);
    EXPECT_EQ(f.notes(), 0);
}

TEST(ObjDbOpenRows, TheOwnerIsAliveOnlyAsTheProcessThatWroteTheNote)
{
    const ProcessOwner& me = ProcessOwner::Current();
    ASSERT_GT(me.pid, 0);
    ASSERT_GT(me.started, 0) << "the start time is read from the process table";
    ASSERT_FALSE(me.bootId.isEmpty());
    const struct {
        const char* name;
        std::function<void(ProcessOwner&)> change;
        ProcessOwner::State state;
    } cases[] = {
        {"this process", [](ProcessOwner&) {}, ProcessOwner::State::Alive},
        {"this computer's name in other letters", [](ProcessOwner& o) { o.computer = o.computer.toUpper(); },
         ProcessOwner::State::Alive},
        {"a process before this one with the same id", [](ProcessOwner& o) { o.started -= 1; },
         ProcessOwner::State::Gone},
        {"the boot before", [](ProcessOwner& o) { o.bootId = QStringLiteral("00000000-0000-0000-0000-000000000000"); },
         ProcessOwner::State::Gone},
        {"no such process", [](ProcessOwner& o) { o.pid = 0x7ffffff0; }, ProcessOwner::State::Gone},
        {"a process of another start", [](ProcessOwner& o) { o.pid = 1; }, ProcessOwner::State::Gone},
        {"another computer",
         [](ProcessOwner& o) {
             o.computer = QStringLiteral("altra-cassa");
             o.pid = 0x7ffffff0;
         },
         ProcessOwner::State::OtherComputer},
    };
    for (const auto& c : cases) {
        ProcessOwner o = me;
        c.change(o);
        EXPECT_EQ(int(o.state()), int(c.state)) << c.name;
    }
}

TEST(ObjDbOpenRows, OnlyWhatAnEndedProcessOfThisComputerLeftIsUndone)
{
    JournalFile f("open-rows-undo");
    const qint64 item = f.select("Voce")->AddRow({"Scorta", 10.0});
    auto add = [&](int number) {
        auto practice = f.select("Pratica");
        const qint64 oid = practice->AddRow({"Numero", number});
        practice->GetReference("Righe")->AddRow({"objParent", item, "Quantita", 2.0});
        return oid;
    };
    const qint64 dead = add(1), finished = add(2), missing = add(3), alive = add(4), elsewhere = add(5);
    EXPECT_EQ(f.scalar(QStringLiteral("SELECT Scorta FROM Voce")).toDouble(), 0.0);

    // What the file holds after its writer died: notes of another start of this process id,
    // one row finished and one deleted behind the library's back, one note of another computer.
    f.exec(QStringLiteral("UPDATE _objdb_open SET InizioProcesso = InizioProcesso + 1 WHERE OIDRiga <> %1").arg(alive));
    f.exec(QStringLiteral("UPDATE Pratica SET Completato = 1 WHERE OID = %1").arg(finished));
    f.exec(QStringLiteral("DELETE FROM Pratica WHERE OID = %1").arg(missing));
    f.exec(QStringLiteral("UPDATE _objdb_open SET Computer = 'altra-cassa' WHERE OIDRiga = %1").arg(elsewhere));

    std::vector<UndoneRow> undone = objdb::UndoAbandonedRows(*f.db);
    std::map<qint64, UndoneRow::Outcome> outcome;
    for (const UndoneRow& u : undone) outcome[u.oid] = u.outcome;
    EXPECT_EQ(outcome,
              (std::map<qint64, UndoneRow::Outcome> {{dead, UndoneRow::Outcome::Deleted},
                                                     {finished, UndoneRow::Outcome::Finished},
                                                     {missing, UndoneRow::Outcome::Missing}}));

    EXPECT_EQ(f.select("Pratica", QStringLiteral("OID = %1").arg(dead))->RowCount(), 0);
    EXPECT_EQ(f.select("Scarico")->RowCount(), 4) << "the dead practice's line went with it";
    EXPECT_EQ(f.scalar(QStringLiteral("SELECT Scorta FROM Voce")).toDouble(), 2.0) << "its rules gave the stock back";
    EXPECT_EQ(f.select("Pratica", QStringLiteral("OID = %1").arg(finished))->RowCount(), 1);
    QList<qint64> left;
    for (const objdb::OpenRow& r : f.openRows()) left << r.oid;
    EXPECT_EQ(left, (QList<qint64> {alive, elsewhere}));

    EXPECT_TRUE(objdb::UndoAbandonedRows(*f.db).empty()) << "a second opening finds nothing more";
}

// A process that ends on purpose keeps what it left unfinished; notes of other processes stay.
TEST(ObjDbOpenRows, AProcessEndingOnPurposeKeepsItsUnfinishedRows)
{
    JournalFile f("open-rows-keep");
    const qint64 mine = f.select("Pratica")->AddRow({"Numero", 1});
    const qint64 other = f.select("Pratica")->AddRow({"Numero", 2});
    f.exec(QStringLiteral("UPDATE _objdb_open SET InizioProcesso = InizioProcesso + 1 WHERE OIDRiga = %1").arg(other));

    objdb::KeepOwnOpenRows(*f.db);
    QList<qint64> left;
    for (const objdb::OpenRow& r : f.openRows()) left << r.oid;
    EXPECT_EQ(left, QList<qint64> {other});
    EXPECT_EQ(f.select("Pratica", QStringLiteral("OID = %1").arg(mine))->RowCount(), 1);
    std::map<qint64, UndoneRow::Outcome> outcome;
    for (const UndoneRow& u : objdb::UndoAbandonedRows(*f.db)) outcome[u.oid] = u.outcome;
    EXPECT_EQ(outcome, (std::map<qint64, UndoneRow::Outcome> {{other, UndoneRow::Outcome::Deleted}}));
    EXPECT_EQ(f.select("Pratica", QStringLiteral("OID = %1").arg(mine))->RowCount(), 1) << "kept, not given up";
}

// The notes are the file's own: no table of the database, and rows copied to another file
// (a save to the backup database) travel without them.
TEST(ObjDbOpenRows, TheNotesAreNoTableOfTheShopAndStayInTheirFile)
{
    JournalFile f("open-rows-own");
    f.select("Pratica")->AddRow({"Numero", 1});
    EXPECT_FALSE(f.db->Tables().Contains(QStringLiteral("_objdb_open")));
    auto stored = LibraryGlobal::OpenExistingDatabase(f.engine, nullptr);
    EXPECT_FALSE(stored->Tables().Contains(QStringLiteral("_objdb_open")));

    JournalFile backup("open-rows-backup");
    auto target = backup.select("Pratica");
    ASSERT_TRUE(f.select("Pratica")->CopyRows(*target));
    EXPECT_EQ(backup.select("Pratica")->RowCount(), 1);
    EXPECT_EQ(backup.notes(), 0);
    EXPECT_EQ(f.notes(), 1);
}

TEST(ObjDbOpenRows, AFileOpenedReadOnlyIsLeftAsItIs)
{
    JournalFile f("open-rows-readonly");
    f.select("Pratica")->AddRow({"Numero", 1});
    f.exec(QStringLiteral("UPDATE _objdb_open SET InizioProcesso = InizioProcesso + 1"));
    f.db->Close();
    f.engine->Close();
    auto reader = std::make_shared<DBEngine>();
    reader->SetAccessMode(DBEngine::kAccessReadOnly);
    reader->OpenDatabase(3, f.path);
    auto db = LibraryGlobal::NewDatabase(std::make_shared<JournalDefinition>(), "test", nullptr);
    db->AttachEngine(reader);
    EXPECT_TRUE(objdb::UndoAbandonedRows(*db).empty());
    EXPECT_EQ(objdb::OpenRows(*db).size(), 1u);
}

}   // namespace
