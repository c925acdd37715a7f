// A related row that a copy does not replace and the destination already holds is kept as
// the destination has it, with its owned lines: none removed, replaced or added under it. A
// row the copy replaces has exactly the source's owned lines. The same by sets of rows
// (files linked) and row by row.
#include "Fixture.h"
#include "objdb/SqlConnection.h"
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

using namespace fixture;

namespace keptrows {

// Items with their suppliers, sales owning their lines (each line a child of its item) and
// their voucher uses (each a child of a voucher its customer owns), receipts pointing at a
// sale; in a shop that takes goods back, a sale may point at the sale it gives back
// (`Origine`).
class PlainTable : public itfDefTable, public itfSetData {
public:
    PlainTable(const char* name, const char* parent)
        : m_name(QString::fromLatin1(name)), m_parent(QString::fromLatin1(parent))
    { }
    QString TableName() const override { return m_name; }
    void DefineIdentity(TableIdentity& id) override
    {
        id.Version = 1.0;
        id.ParentTable = m_parent;
    }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions&) override
    {
        f.AddField("Nome", FieldType::Text, 16, 0, 0, -100, -100, -100, -1);
    }
    itfSetData* DefineDefaultData() override { return this; }

private:
    QString m_name, m_parent;
};

class ClienteTable : public itfDefTable, public itfSetData {
public:
    QString TableName() const override { return QStringLiteral("Cliente"); }
    void DefineIdentity(TableIdentity& id) override { id.Version = 1.0; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions& r) override
    {
        f.AddField("Nome", FieldType::Text, 16, 0, 0, -100, -100, -100, -1);
        r.AddReference("Buoni", "Buono", true, true, QString(), QString());
    }
    itfSetData* DefineDefaultData() override { return this; }
};

class VoceTable : public itfDefTable, public itfSetData {
public:
    QString TableName() const override { return QStringLiteral("Voce"); }
    void DefineIdentity(TableIdentity& id) override { id.Version = 1.0; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions& r) override
    {
        f.AddField("Codice", FieldType::Text, 16, 0, 0, -100, -100, -100, -1);
        r.AddReference("Fornitori", "Fornitore", true, false, QString(), QString());
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
    explicit VenditaTable(bool giveBacks) : m_giveBacks(giveBacks) { }
    QString TableName() const override { return QStringLiteral("Vendita"); }
    void DefineIdentity(TableIdentity& id) override { id.Version = 1.0; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions& r) override
    {
        f.AddField("Numero", FieldType::Integer, 0, 0, 0, -100, -100, -100, -1);
        r.AddReference("Righe", "Riga", true, true, QString(), QString());
        r.AddReference("Cliente", "Cliente", false, false, QString(), QString());
        r.AddReference("Usi", "Uso", true, true, QString(), QString());
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
    explicit ReceiptsDefinition(bool giveBacks) : m_giveBacks(giveBacks) { }
    void Define(DatabaseDefinition& d) override
    {
        d.AddTable(std::make_shared<PlainTable>("Fornitore", ""));
        d.AddTable(std::make_shared<VoceTable>());
        d.AddTable(std::make_shared<RigaTable>());
        d.AddTable(std::make_shared<PlainTable>("Buono", ""));
        d.AddTable(std::make_shared<ClienteTable>());
        d.AddTable(std::make_shared<PlainTable>("Uso", "Buono"));
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
        return scalar(QStringLiteral("SELECT OID FROM %1 WHERE %2").arg(QString::fromLatin1(table), condition))
            .toLongLong();
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
    // The current row of a table.
    std::unique_ptr<TableData> row(const char* table, qint64 oid) const
    {
        auto r = select(table, QStringLiteral("OID = %1").arg(oid));
        r->MoveFirst();
        return r;
    }
    qint64 byName(const char* table, const char* name) const
    {
        return oidOf(table, QStringLiteral("Nome = '%1'").arg(QString::fromLatin1(name)));
    }
    // A voucher of a customer; a supplier of an item; a sale's customer; a use of a voucher in a sale.
    void addVoucher(qint64 customer, const char* name) const
    {
        row("Cliente", customer)->GetReference("Buoni")->AddRow({"Nome", name});
    }
    void addSupplier(const char* item, const char* supplier) const
    {
        row("Voce", oidOf("Voce", QStringLiteral("Codice = '%1'").arg(QString::fromLatin1(item))))
            ->AddToList("Fornitori", byName("Fornitore", supplier));
    }
    void setCustomer(qint64 sale, qint64 customer) const
    {
        auto s = row("Vendita", sale);
        s->SetReferenceOID("Cliente", customer);
        s->Update();
    }
    void use(qint64 sale, const char* voucher) const
    {
        row("Vendita", sale)->GetReference("Usi")->AddRow({"objParent", byName("Buono", voucher), "Nome", voucher});
    }
    // The names of the members of a list, sorted.
    std::string members(const char* list, qint64 owner, const char* table) const
    {
        QStringList out;
        auto st = engine->sql().prepare(
            QStringLiteral("SELECT m.Nome FROM \"%1\" l JOIN %2 m ON m.OID = l.MemberOID WHERE l.OwnerOID = ?")
                .arg(QString::fromLatin1(list), QString::fromLatin1(table)));
        st.bind(1, owner);
        while (st.next()) out << st.text(0);
        out.sort();
        return out.join(u',').toStdString();
    }
    // What points at nothing, or belongs to nothing it should belong to: empty when all holds.
    std::string orphans() const
    {
        static const char* const checks[][2] = {
            {"line of no item", "SELECT count(*) FROM Riga WHERE objParent NOT IN (SELECT OID FROM Voce)"},
            {"line of no sale", "SELECT count(*) FROM Riga WHERE OID NOT IN (SELECT MemberOID FROM \"Vendita$Righe\")"},
            {"use of no voucher", "SELECT count(*) FROM Uso WHERE objParent NOT IN (SELECT OID FROM Buono)"},
            {"use of no sale", "SELECT count(*) FROM Uso WHERE OID NOT IN (SELECT MemberOID FROM \"Vendita$Usi\")"},
            {"voucher of no customer",
             "SELECT count(*) FROM Buono WHERE OID NOT IN (SELECT MemberOID FROM \"Cliente$Buoni\")"},
            {"receipt of no sale",
             "SELECT count(*) FROM Ricevuta WHERE OID_Vendita IS NOT NULL AND OID_Vendita NOT IN (SELECT OID FROM "
             "Vendita)"},
            {"sale of no customer",
             "SELECT count(*) FROM Vendita WHERE OID_Cliente IS NOT NULL AND OID_Cliente NOT IN (SELECT OID FROM "
             "Cliente)"},
            {"link to no line",
             "SELECT count(*) FROM \"Vendita$Righe\" WHERE MemberOID NOT IN (SELECT OID FROM Riga) "
             "OR OwnerOID NOT IN (SELECT OID FROM Vendita)"},
            {"link to no use",
             "SELECT count(*) FROM \"Vendita$Usi\" WHERE MemberOID NOT IN (SELECT OID FROM Uso) "
             "OR OwnerOID NOT IN (SELECT OID FROM Vendita)"},
            {"link to no voucher",
             "SELECT count(*) FROM \"Cliente$Buoni\" WHERE MemberOID NOT IN (SELECT OID FROM Buono) "
             "OR OwnerOID NOT IN (SELECT OID FROM Cliente)"},
            {"link to no supplier",
             "SELECT count(*) FROM \"Voce$Fornitori\" WHERE MemberOID NOT IN (SELECT OID FROM Fornitore) "
             "OR OwnerOID NOT IN (SELECT OID FROM Voce)"},
        };
        QStringList out;
        for (const auto& [what, sql] : checks)
            if (const qint64 n = scalar(QString::fromLatin1(sql)).toLongLong())
                out << QStringLiteral("%1: %2").arg(QString::fromLatin1(what)).arg(n);
        return out.join(u',').toStdString();
    }
    // The lines of a sale as "code:quantity", by code.
    std::string lines(qint64 sale) const
    {
        QStringList out;
        auto st = engine->sql().prepare(
            QStringLiteral("SELECT v.Codice, r.Quantita FROM \"Vendita$Righe\" l "
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
        bool twin;   // the working file starts as a copy of the archive
        std::function<void(const File&)> work;   // then this happens in it
        const char* table;   // what is copied: the receipt, or its sale
        bool related;
        std::string lines;   // the lines of the receipt's sale afterwards
        qint64 lineRows;   // all the lines of the file
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
        {"related rows replaced: the sale comes whole, and only with its lines", true, changed, "Ricevuta", true,
         "A:3,B:1", 2},
        {"the sale copied itself comes whole, and only with its lines", true, changed, "Vendita", false, "A:3,B:1", 2},
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
            ASSERT_TRUE(from.db->Tables().Item(c.table)->CopyRowsTo(
                {receipts ? archive.receipt : archive.sale}, *to.db->Tables().Item(c.table), nullptr, c.related));
            // The linked copy went by sets (its lists of rows are still there while linked).
            EXPECT_EQ(to.scalar("SELECT count(*) > 0 FROM sqlite_temp_master WHERE name LIKE 'objdb%'").toBool(),
                      linked);
            if (receipts) {
                EXPECT_EQ(to.scalar(QStringLiteral("SELECT Note FROM Ricevuta WHERE OID = %1").arg(archive.receipt))
                              .toString(),
                          "archivio")
                    << "the receipt copied is replaced";
            }
            EXPECT_EQ(
                to.lines(
                    to.scalar(QStringLiteral("SELECT OID_Vendita FROM Ricevuta WHERE OID = %1").arg(archive.receipt))
                        .toLongLong()),
                c.lines);
            EXPECT_EQ(to.scalar("SELECT count(*) FROM Riga").toLongLong(), c.lineRows)
                << "no line came without its sale";
            EXPECT_EQ(to.orphans(), "");
        }
    }
}

// A customer reached from a sale copied: replaced (related rows replaced), it has the
// source's vouchers, plus one that a sale of the destination still uses; kept, it has its
// own. An item's suppliers, a list it does not own, only gain.
TEST(ObjDbKeptRows, AReplacedRowsOwnedListsHoldTheSourcesMembersAndWhatIsStillPointedTo)
{
    // The source: supplier F1 of item A; customer K with voucher V1, used in sale 1 of A:3, B:1.
    const QString source = newDatabasePath("vouchers-source");
    qint64 sale = 0, customer = 0;
    {
        File s(source);
        auto items = s.select("Voce");
        for (const char* code : {"A", "B", "C"}) items->AddRow({"Codice", code});
        for (const char* name : {"F1", "F2"}) s.select("Fornitore")->AddRow({"Nome", name});
        s.addSupplier("A", "F1");
        customer = s.select("Cliente")->AddRow({"Nome", "K"});
        s.addVoucher(customer, "V1");
        sale = s.sale(1, {{"A", 3}, {"B", 1}});
        s.setCustomer(sale, customer);
        s.use(sale, "V1");
    }
    struct Case {
        const char* name;
        bool related;
        std::string vouchers;   // the customer's afterwards
    };
    for (const Case& c :
         {Case {"related rows replaced", true, "V1,V2"}, Case {"related rows kept", false, "V1,V2,V3"}}) {
        SCOPED_TRACE(c.name);
        for (const bool linked : {true, false}) {
            SCOPED_TRACE(linked ? "by sets" : "row by row");
            const QString path = newDatabasePath("vouchers-dest");
            ASSERT_TRUE(QFile::copy(source, path));
            File from(source), to(path);
            // Since the copy was made: F2 supplies A too; K has V2, used in sale 2, and V3,
            // not used; sale 1 has a line C:2 more.
            to.addSupplier("A", "F2");
            to.addVoucher(customer, "V2");
            to.addVoucher(customer, "V3");
            const qint64 other = to.sale(2, {{"A", 1}});
            to.setCustomer(other, customer);
            to.use(other, "V2");
            to.row("Vendita", sale)
                ->GetReference("Righe")
                ->AddRow({"objParent", to.oidOf("Voce", "Codice = 'C'"), "Quantita", 2.0});
            std::optional<FileLink> link;
            if (linked) {
                link.emplace(*to.engine, *from.engine);
                ASSERT_TRUE(link->active());
            }

            ASSERT_TRUE(from.db->Tables().Item("Vendita")->CopyRowsTo({sale}, *to.db->Tables().Item("Vendita"), nullptr,
                                                                      c.related));

            EXPECT_EQ(to.lines(sale), "A:3,B:1");
            EXPECT_EQ(to.members("Vendita$Usi", sale, "Uso"), "V1");
            EXPECT_EQ(to.members("Cliente$Buoni", customer, "Buono"), c.vouchers);
            EXPECT_EQ(to.scalar("SELECT group_concat(Nome) FROM (SELECT Nome FROM Buono ORDER BY Nome)")
                          .toString()
                          .toStdString(),
                      c.vouchers)
                << "a voucher taken off its customer is gone";
            EXPECT_EQ(to.members("Vendita$Usi", other, "Uso"), "V2") << "the sale the copy did not reach is as it was";
            EXPECT_EQ(to.members("Voce$Fornitori", to.oidOf("Voce", "Codice = 'A'"), "Fornitore"), "F1,F2");
            EXPECT_EQ(to.orphans(), "");
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
    ASSERT_TRUE(from.db->Tables().Item("Vendita")->CopyRowsTo({archive.giveBack, archive.sale},
                                                              *to.db->Tables().Item("Vendita"), nullptr, false));
    EXPECT_EQ(to.lines(archive.sale), "A:3,B:1");
    EXPECT_EQ(to.lines(archive.giveBack), "A:1");
}

}   // namespace keptrows
