// A related row that a copy does not replace and the destination already holds is kept as
// the destination has it, with its owned lines: none removed, replaced or added under it.
// The same by sets of rows (files linked) and row by row.
#include "Fixture.h"
#include "SqlConnection.h"
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

using namespace fixture;

namespace keptrows {

// Items, sales owning their lines (each line a child of its item), receipts pointing at a
// sale; in a shop that takes goods back, a sale may point at the sale it gives back
// (`Origine`).
class VoceTable : public itfDefTable, public itfSetData {
public:
    QString TableName() const override { return QStringLiteral("Voce"); }
    void DefineIdentity(TableIdentity& id) override { id.Version = 1.0; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        f.AddField("Codice", FieldType::Text, 16, 0, 0, -100, -100, -100, -1);
        ix.AddIndex("Codice", true);
    }
    itfSetData* DefineDefaultData() override { return this; }
};

class RigaTable : public itfDefTable, public itfSetData {
public:
    QString TableName() const override { return QStringLiteral("Riga"); }
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
};

class VenditaTable : public itfDefTable, public itfSetData {
public:
    explicit VenditaTable(bool giveBacks) : m_giveBacks(giveBacks) {}
    QString TableName() const override { return QStringLiteral("Vendita"); }
    void DefineIdentity(TableIdentity& id) override { id.Version = 1.0; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions& r) override
    {
        f.AddField("Numero", FieldType::Integer, 0, 0, 0, -100, -100, -100, -1);
        r.AddReference("Righe", "Riga", true, true, QString(), QString());
        if (m_giveBacks) r.AddReference("Origine", "Vendita", false, false, QString(), QString());
        ix.AddIndex("Numero", true);
    }
    itfSetData* DefineDefaultData() override { return this; }
private:
    bool m_giveBacks;
};

class RicevutaTable : public itfDefTable, public itfSetData {
public:
    QString TableName() const override { return QStringLiteral("Ricevuta"); }
    void DefineIdentity(TableIdentity& id) override { id.Version = 1.0; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions& r) override
    {
        f.AddField("Note", FieldType::Text, 32, 0, 0, -100, -100, -100, -1);
        r.AddReference("Vendita", "Vendita", false, false, QString(), QString());
    }
    itfSetData* DefineDefaultData() override { return this; }
};

class ReceiptsDefinition : public itfDefDatabase {
public:
    explicit ReceiptsDefinition(bool giveBacks) : m_giveBacks(giveBacks) {}
    void Define(DatabaseDefinition& d) override
    {
        d.AddTable(std::make_shared<VoceTable>());
        d.AddTable(std::make_shared<RigaTable>());
        d.AddTable(std::make_shared<VenditaTable>(m_giveBacks));
        d.AddTable(std::make_shared<RicevutaTable>());
    }
private:
    bool m_giveBacks;
};

struct File {
    explicit File(const QString& p, bool giveBacks = false) : path(p)
    {
        engine = std::make_shared<DBEngine>();
        if (!QFileInfo::exists(path)) engine->CreateDatabase(3, path);
        engine->OpenDatabase(3, path);
        db = LibraryGlobal::NewDatabase(std::make_shared<ReceiptsDefinition>(giveBacks), "test", nullptr);
        db->AttachEngine(engine);
    }
    std::unique_ptr<TableData> select(const char* table, const QString& condition = QString()) const
    {
        return db->Tables().Item(QString::fromLatin1(table))->Select(condition);
    }
    QVariant scalar(const QString& sql) const { return engine->sql().scalar(sql); }
    qint64 oidOf(const char* table, const QString& condition) const
    {
        return scalar(QStringLiteral("SELECT OID FROM %1 WHERE %2").arg(QString::fromLatin1(table), condition)).toLongLong();
    }
    // A sale with its lines, given as item code and quantity.
    qint64 sale(int number, const QList<QPair<const char*, double>>& lines) const
    {
        auto s = select("Vendita");
        const qint64 oid = s->AddRow({"Numero", number});
        s = select("Vendita", QStringLiteral("OID = %1").arg(oid));
        s->MoveFirst();
        for (const auto& [code, quantity] : lines)
            s->GetReference("Righe")->AddRow(
                {"objParent", oidOf("Voce", QStringLiteral("Codice = '%1'").arg(code)), "Quantita", quantity});
        return oid;
    }
    void setQuantity(qint64 line, double quantity) const
    {
        auto l = select("Riga", QStringLiteral("OID = %1").arg(line));
        l->MoveFirst();
        l->SetValue("Quantita", quantity);
        l->Update();
    }
    void removeLine(qint64 line) const
    {
        auto l = select("Riga", QStringLiteral("OID = %1").arg(line));
        l->MoveFirst();
        l->DeleteRowWithoutRules();
    }
    // The lines of a sale as "code:quantity", by code.
    std::string lines(qint64 sale) const
    {
        QStringList out;
        auto st = engine->sql().prepare(QStringLiteral("SELECT v.Codice, r.Quantita FROM \"Vendita$Righe\" l "
                                                       "JOIN Riga r ON r.OID = l.MemberOID JOIN Voce v ON v.OID = r.objParent "
                                                       "WHERE l.OwnerOID = ? ORDER BY v.Codice"));
        st.bind(1, sale);
        while (st.next()) out << st.text(0) + u':' + QString::number(st.real(1));
        return out.join(u',').toStdString();
    }

    QString path;
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
};

// The archive the rows come from: three items; sale 1 of A:3 and B:1 with its receipt; with
// give-backs, sale 2 of A:1 gives back sale 1.
struct Archive {
    QString path = newDatabasePath("kept-archive");
    qint64 sale = 0, giveBack = 0, receipt = 0, lineA = 0, lineB = 0;
    explicit Archive(bool giveBacks = false)
    {
        File a(path, giveBacks);
        auto items = a.select("Voce");
        for (const char* code : {"A", "B", "C"}) items->AddRow({"Codice", code});
        sale = a.sale(1, {{"A", 3}, {"B", 1}});
        lineA = a.scalar("SELECT OID FROM Riga WHERE Quantita = 3").toLongLong();
        lineB = a.scalar("SELECT OID FROM Riga WHERE Quantita = 1").toLongLong();
        receipt = a.select("Ricevuta")->AddRow({"Note", "archivio"});
        auto r = a.select("Ricevuta");
        r->MoveFirst();
        r->SetReferenceOID("Vendita", sale);
        r->Update();
        if (!giveBacks) return;
        giveBack = a.sale(2, {{"A", 1}});
        auto g = a.select("Vendita", QStringLiteral("OID = %1").arg(giveBack));
        g->MoveFirst();
        g->SetReferenceOID("Origine", sale);
        g->Update();
    }
};

// The working file as the shop left it after the archive was made: sale 1 with line A now of
// 5 and line B gone.
void edit(const File& w, const Archive& archive)
{
    w.setQuantity(archive.lineA, 5);
    w.removeLine(archive.lineB);
}

TEST(ObjDbKeptRows, ARelatedRowKeptKeepsItsLinesAndOneReplacedBringsThemWhole)
{
    const Archive archive;
    // Besides, a line C:2 added and the receipt's note changed.
    const auto changed = [&](const File& w) {
        edit(w, archive);
        auto s = w.select("Vendita", QStringLiteral("OID = %1").arg(archive.sale));
        s->MoveFirst();
        s->GetReference("Righe")->AddRow({"objParent", w.oidOf("Voce", "Codice = 'C'"), "Quantita", 2.0});
        auto r = w.select("Ricevuta");
        r->MoveFirst();
        r->SetValue("Note", "lavoro");
        r->Update();
    };
    struct Case {
        const char* name;
        bool twin;                               // the working file starts as a copy of the archive
        std::function<void(const File&)> work;   // then this happens in it
        const char* table;                       // what is copied: the receipt, or its sale
        bool related;
        std::string lines;                       // the lines of the receipt's sale afterwards
        qint64 lineRows;                         // all the lines of the file
    };
    const Case cases[] = {
        {"a sale held is kept with its lines", true, changed, "Ricevuta", false, "A:5,C:2", 2},
        {"a sale missing comes with its lines", false, nullptr, "Ricevuta", false, "A:3,B:1", 2},
        {"a sale held under another OID (same number) is kept with its lines", false,
         [](const File& w) {
             auto items = w.select("Voce");
             for (const char* code : {"A", "B", "C"}) items->AddRow({"Codice", code});
             w.sale(1, {{"C", 7}});
         },
         "Ricevuta", false, "C:7", 1},
        {"related rows replaced: the sale comes whole", true, [&](const File& w) { edit(w, archive); }, "Ricevuta", true,
         "A:3,B:1", 2},
        {"the sale copied itself comes whole", true, [&](const File& w) { edit(w, archive); }, "Vendita", false, "A:3,B:1", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool linked : {true, false}) {
            SCOPED_TRACE(linked ? "by sets" : "row by row");
            const QString path = newDatabasePath("kept-work");
            if (c.twin) {
                ASSERT_TRUE(QFile::copy(archive.path, path));
            }
            File from(archive.path), to(path);
            if (c.work) c.work(to);
            std::optional<FileLink> link;
            if (linked) {
                link.emplace(*to.engine, *from.engine);
                ASSERT_TRUE(link->active());
            }
            const bool receipts = QString(c.table) == "Ricevuta";
            ASSERT_TRUE(from.db->Tables().Item(c.table)->CopyRowsTo({receipts ? archive.receipt : archive.sale},
                                                                    *to.db->Tables().Item(c.table), nullptr, c.related));
            // The linked copy went by sets (its lists of rows are still there while linked).
            EXPECT_EQ(to.scalar("SELECT count(*) > 0 FROM sqlite_temp_master WHERE name LIKE 'objdb%'").toBool(), linked);
            if (receipts) {
                EXPECT_EQ(to.scalar(QStringLiteral("SELECT Note FROM Ricevuta WHERE OID = %1").arg(archive.receipt)).toString(),
                          "archivio")
                    << "the receipt copied is replaced";
            }
            EXPECT_EQ(to.lines(to.scalar(QStringLiteral("SELECT OID_Vendita FROM Ricevuta WHERE OID = %1").arg(archive.receipt))
                                   .toLongLong()),
                      c.lines);
            EXPECT_EQ(to.scalar("SELECT count(*) FROM Riga").toLongLong(), c.lineRows) << "no line came without its sale";
        }
    }
}

// Met first as a related row that the copy keeps (the sale a give-back points to), then as a
// row copied: the sale comes whole all the same. (Only a copy row by row meets a row so: a
// table that points to itself is never copied by sets.)
TEST(ObjDbKeptRows, ARowMetAsRelatedAndThenAsCopiedComesWhole)
{
    const Archive archive(true);
    const QString path = newDatabasePath("kept-work");
    ASSERT_TRUE(QFile::copy(archive.path, path));
    File from(archive.path, true), to(path, true);
    edit(to, archive);
    ASSERT_TRUE(from.db->Tables().Item("Vendita")->CopyRowsTo({archive.giveBack, archive.sale}, *to.db->Tables().Item("Vendita"),
                                                              nullptr, false));
    EXPECT_EQ(to.lines(archive.sale), "A:3,B:1");
    EXPECT_EQ(to.lines(archive.giveBack), "A:1");
}

}  // namespace keptrows
