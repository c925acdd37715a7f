#pragma once
// A two-table shop for the archive import and report tests: units with default rows (each
// file makes its own, under its own OIDs) and articles pointing to a unit.
#include <gtest/gtest.h>
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/Definitions.h"
#include "objdb/Notify.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include <QFileInfo>
#include <memory>

namespace smallshop {

class Unita : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override
    {
        id.Caption = "Unità di misura";
        id.Version = 1;
    }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        f.AddField("Codice", FieldType::Code, 8, 0, 0, -100, -100, -100, -1);
        f.AddField("Descrizione", FieldType::Text, 40, 0, 0, -100, -100, -100, -1);
        ix.AddIndex("Codice", true);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnUpdatedTableStruct(TableData& td, const QVariant&, double&, bool& isNew) override
    {
        if (!isNew) return;
        td.AddRow({"Codice", "PZ", "Descrizione", "Pezzi"});
        td.AddRow({"Codice", "KG", "Descrizione", "Chilogrammi"});
    }
};

class Articoli : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override
    {
        id.Caption = "Articoli";
        id.Version = 1;
    }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions& r) override
    {
        f.AddField("Codice", FieldType::Code, 16, 0, 0, -100, -100, -100, -1);
        f.AddField("Descrizione", FieldType::Text, 60, 0, 0, -100, -100, -100, -1);
        f.AddField("Prezzo", FieldType::Currency, 0, 0, 0, -100, -100, -100, -1);
        f.AddField("Giacenza", FieldType::Number, 0, 0, 0, -100, -100, -100, -1);
        r.AddReference("Unita", "Unita", false, false, "Codice", "Descrizione");
        ix.AddIndex("Codice", true);
    }
    itfSetData* DefineDefaultData() override { return this; }
};

class Definition : public itfDefDatabase {
public:
    void Define(DatabaseDefinition& d) override
    {
        d.AddTable(std::make_shared<Unita>());
        d.AddTable(std::make_shared<Articoli>());
    }
};

// A file opened and declared as the program opens its working database.
struct Shop {
    explicit Shop(const QString& path, itfNotifyEvent* sink = nullptr)
    {
        engine = std::make_shared<DBEngine>();
        if (!QFileInfo::exists(path)) engine->CreateDatabase(3, path);
        engine->OpenDatabase(3, path);
        db = LibraryGlobal::NewDatabase(std::make_shared<Definition>(), QStringLiteral("test"), sink);
        db->AttachEngine(engine);
    }
    ~Shop() { close(); }
    void close()
    {
        db.reset();
        if (engine) engine->Close();
        engine.reset();
    }
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString(),
                                      const QString& order = QString()) const
    {
        return db->Tables().Item(table)->Select(condition, order);
    }
    // Adds an article; the unit by its code.
    qint64 article(const QString& code, const QString& description, Currency price,
                   const QString& unit = QStringLiteral("PZ"))
    {
        auto rows = select(QStringLiteral("Articoli"));
        const qint64 oid = rows->AddRow(
            {"Codice", code, "Descrizione", description, "Prezzo", QVariant::fromValue(price), "Giacenza", 3.5});
        EXPECT_TRUE(rows->MoveToOID(oid));
        rows->SetReferenceByKey(QStringLiteral("Unita"), unit);
        rows->Update();
        return oid;
    }
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
};

}   // namespace smallshop
