#include "Fixture.h"
#include "base/Currency.h"
#include "TestEnvironment.h"
#include <QDir>
#include <QFileInfo>

namespace fixture {

Trace& trace()
{
    static Trace t;
    return t;
}

namespace {

Currency money(const TableData& td, const QString& field) { return td.GetCurrencyValue(field); }
double number(const TableData& td, const QString& field) { return td.GetFieldValue(field).toDouble(); }

class Unita : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Unità di misura"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        f.AddField("Codice", FieldType::Text, 16, 0, 0, -100, -100, -100, -1);
        f.AddField("Descrizione", FieldType::Text, 64, 0, 0, -100, -100, -100, -1);
        f.AddField("Attiva", FieldType::Boolean, 0, 0, 0, -100, -100, -100, -1);
        ix.AddIndex("Codice", true);
        ix.AddIndex("Descrizione", true);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnNewRow(TableData& td) override { td.SetValue("Attiva", true); }
    void OnUpdatedTableStruct(TableData& td, const QVariant&, double& old, bool& isNew) override
    {
        trace().structEvents << QStringLiteral("Unita:%1:%2").arg(old).arg(isNew);
        if (!isNew) return;
        td.AddRow({"Codice", "PZ", "Descrizione", "Pezzi"});
        td.AddRow({"Codice", "KG", "Descrizione", "Chilogrammi"});
        td.AddRow({"Codice", "", "Descrizione", "Nessuna"});
    }
};

class Fornitore : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Fornitori"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        f.AddField("Codice", FieldType::Text, 16, 0, 0, -100, -100, -100, -1);
        f.AddField("Nome", FieldType::Text, 64, 0, 0, -100, -100, -100, -1);
        ix.AddIndex("Codice", true);
    }
    itfSetData* DefineDefaultData() override { return this; }
};

class Articolo : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override
    {
        id.Caption = "Articoli";
        id.Version = 1.2;
    }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions& r) override
    {
        f.AddField("Codice", FieldType::Text, 32, 0, 0, -100, -100, -100, -1);
        f.AddField("Descrizione", FieldType::Text, 64, 0, 0, -100, -100, -100, -1);
        f.AddField("Prezzo", FieldType::Currency, 0, 0, 0, -100, -100, -100, -1);
        f.AddField("Costo", FieldType::Currency, 0, 0, 0, -100, 1, -100, -1);
        f.AddField("Scorta", FieldType::Number, 0, 0, 0, -100, -100, -100, -1).RunningTotal = true;
        f.AddField("Misura", FieldType::Number, 0, 0, 0, -100, -100, -100, -1);
        r.AddReference("Unita", "Unita", false, false, "Codice", "Descrizione");
        r.AddReference("Fornitori", "Fornitore", true, false, "Codice", "Nome");
        ix.AddIndex("Codice", true, "InxArticolo");
        ix.AddIndex("Descrizione", false);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnUpdatedTableStruct(TableData& td, const QVariant&, double& old, bool& isNew) override
    {
        trace().structEvents << QStringLiteral("Articolo:%1:%2").arg(old).arg(isNew);
        if (isNew) {
            td.AddRow({"Codice", "VARIE", "Descrizione", "Articoli vari"});
            return;
        }
        auto& c = td.GetEngine()->GetConnection();
        if (old < 1.1) c.Execute("UPDATE Articolo SET Misura=1");
        if (old < 1.2) c.Execute("UPDATE Articolo SET Costo=0");
    }
    void OnNewRow(TableData& td) override
    {
        if (trace().articleNewRows++ == 0) trace().databaseStateAtFirstNewArticle = td.GetDatabase()->State();
        td.SetValue("Scorta", 0.0);
        td.SetValue("Misura", 1.0);
        if (td.GetDatabase()->State() != Database::kAttaching) td.SetReferenceByKey("Unita", "PZ");
    }
    void OnUpdateField(TableData& td, QString& field) override
    {
        if (field != "Prezzo") return;
        ++trace().priceUpdates;
        // Prices are kept in the currency's own decimals.
        Currency c = td.GetDatabase()->ConvertAmount(money(td, "Prezzo"));
        if (!td.IsFieldNull("Prezzo") && c != money(td, "Prezzo")) td.SetValue("Prezzo", QVariant::fromValue(c));
    }
    void OnUpdateRow(TableData& td) override
    {
        if (!td.IsFieldNull("Misura") && number(td, "Misura") <= 0)
            td.CancelWithMessage("Il campo <Misura> deve essere maggiore di 0");
    }
};

class Riga : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override
    {
        id.Caption = "Righe";
        id.ParentTable = "Articolo";
        id.SecondCaption = "Righe";
        id.Version = 1.0;
    }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        f.AddField("Quantita", FieldType::Number, 0, 0, 0, -100, -100, -100, -1);
        f.AddField("Importo", FieldType::Currency, 0, 0, 0, -100, -100, -100, -1);
        f.AddField("Progressivo", FieldType::Integer, 0, 0, 0, 15, 15, -100, -1);
        ix.AddIndex("objParent", false).AddField("Progressivo");
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnNewRow(TableData& td) override
    {
        td.SetValue("Quantita", 1.0);
        // The document's next line number, taken again when the line is stored.
        auto next = [](TableData& line) -> QVariant {
            auto owner = line.GetOwnerRow();
            return owner ? owner->GetReference("Righe")->Aggregate("Progressivo", 2).toLongLong() + 1 : QVariant();
        };
        if (td.GetOwnerRow()) td.TakeNumber("Progressivo", next(td), next);
    }
    static bool moves(const QString& f) { return f == "Quantita" || f == "Prezzo"; }
    void OnBeforeUpdateField(TableData& td, QString& field) override
    {
        // The old quantity goes back to the article.
        if (moves(field) && money(td, "Prezzo") > Currency() && !td.IsFieldNull("Quantita"))
            td.SetValue("Scorta", number(td, "Scorta") + number(td, "Quantita"));
    }
    void OnUpdateField(TableData& td, QString& field) override
    {
        if (field == "Importo" && number(td, "Quantita") > 0
            && money(td, "Importo").toDouble() / number(td, "Quantita") > 1000.0)
            td.CancelWithMessage("Importo superiore al massimo consentito (1000)");
        if (moves(field) && money(td, "Prezzo") > Currency() && !td.IsFieldNull("Quantita")) {
            td.SetValue("Importo", QVariant::fromValue(money(td, "Prezzo").times(number(td, "Quantita"))));
            td.SetValue("Scorta", number(td, "Scorta") - number(td, "Quantita"));
        }
    }
    void OnSelectParent(TableData&, TableData& candidates) override { candidates.SetFilter("Scorta > 0"); }
    void OnDeleteRow(TableData& td) override
    {
        if (number(td, "Quantita") > 0 && money(td, "Prezzo") > Currency()) {
            td.SetValue("Scorta", number(td, "Scorta") + number(td, "Quantita"));
            td.Update();
        }
    }
};

class Cliente : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Clienti"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        f.AddField("Nome", FieldType::Text, 64, 0, 0, -100, -100, -100, -1);
        f.AddField("Punti", FieldType::Integer, 0, 0, 0, -100, -100, -100, -1).RunningTotal = true;
        ix.AddIndex("Nome", true);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnNewRow(TableData& td) override { td.SetValue("Punti", 0); }
};

class Documento : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override
    {
        id.Caption = "Documenti";
        id.Version = 1.0;
    }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions& r) override
    {
        f.AddField("Data", FieldType::DateTime, 0, 0, 0, -100, -100, -100, -1);
        f.AddField("Totale", FieldType::Currency, 0, 0, 0, 15, -100, -100, -1).RunningTotal = true;
        f.AddField("Note", FieldType::Text, 128, 0, 0, -100, -100, -100, -1);
        r.AddReference("Righe", "Riga", true, true, "Codice", "Descrizione,Quantita,Importo");
        r.AddReference("Cliente", "Cliente", false, false, "Nome", "Nome");
        ix.AddIndex("Data", false);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnNewRow(TableData& td) override
    {
        td.SetValue("Data", QDateTime(QDate(2007, 3, 1), QTime(10, 0)));
        td.SetValue("Totale", QVariant::fromValue(Currency()));
    }
    // One point to the customer for every 10 of total: the customer row is saved with the document.
    static void points(TableData& td, int sign)
    {
        auto customer = td.GetReference("Cliente");
        if (customer->IsEmpty()) return;
        const qint64 p = money(td, "Totale").units() / Currency::fromInt(10).units();
        customer->SetValue("Punti", customer->GetFieldValue("Punti").toLongLong() + sign * p);
    }
    void OnBeforeUpdateField(TableData& td, QString& field) override
    {
        if (field == "Totale") points(td, -1);
    }
    void OnUpdateField(TableData& td, QString& field) override
    {
        if (field == "Totale") points(td, +1);
    }
    void OnSelectReference(TableData& candidates, const QVariant&, QString& ref) override
    {
        if (ref == "Cliente") candidates.SetFilter("Nome <> 'Bloccato'");
    }
    void OnBeforeUpdateReference(TableData& td, TableData* row, QString& ref, QVariant&, QVariant& to) override
    {
        trace().referenceEvents << QStringLiteral("before:%1:%2").arg(ref, row ? row->GetKeyText() : "*");
        if (ref == "Cliente" && !to.isNull()
            && td.OpenQuery("Cliente", QStringLiteral("OID = %1").arg(to.toLongLong()))->GetText("Nome") == "Bloccato")
            td.CancelWithMessage("Cliente bloccato");
        if (ref != "Righe") return;
        if (row)
            td.SubtractFromField("Totale", QVariant::fromValue(row->GetCurrencyValue("Importo")));
        else
            td.SetValue("Totale", QVariant::fromValue(Currency()));
    }
    void OnUpdateReference(TableData& td, TableData* row, QString& ref, QVariant&, QVariant&) override
    {
        trace().referenceEvents << QStringLiteral("after:%1:%2").arg(ref, row ? row->GetKeyText() : "*");
        if (ref != "Righe") return;
        if (row)
            td.AddToField("Totale", QVariant::fromValue(row->GetCurrencyValue("Importo")));
        else
            td.SetValue("Totale", td.GetReference("Righe")->Aggregate("Importo", 0));
        // A closed document takes no more lines: refused once its total has counted the line,
        // so the save that brought the line is rolled back.
        if (row && td.GetText("Note") == "chiuso") td.CancelWithMessage("Documento chiuso");
    }
    void OnUpdateRow(TableData& td) override
    {
        if (td.GetText("Note") != "rifiuta") return;
        // Writes first, then refuses: the write must not survive.
        auto customer = td.GetReference("Cliente");
        if (!customer->IsEmpty()) {
            customer->SetValue("Punti", 999);
            customer->Update();
        }
        td.CancelWithMessage("Documento rifiutato");
    }
};

// Rules that never settle: each change of Contatore changes it again.
class Ciclo : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity&) override { }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions&) override
    {
        f.AddField("Contatore", FieldType::Integer, 0, 0, 0, -100, -100, -100, -1);
    }
    itfSetData* DefineDefaultData() override { return this; }
    void OnUpdateField(TableData& td, QString& field) override
    {
        if (field == "Contatore" && trace().runawayLoop)
            td.SetValue("Contatore", td.GetFieldValue("Contatore").toLongLong() + 1);
    }
};

}   // namespace

void ShopDefinition::Define(DatabaseDefinition& d)
{
    d.AddTable(std::make_shared<Unita>());
    d.AddTable(std::make_shared<Fornitore>());
    d.AddTable(std::make_shared<Articolo>());
    d.AddTable(std::make_shared<Riga>());
    d.AddTable(std::make_shared<Cliente>());
    d.AddTable(std::make_shared<Documento>());
    d.AddTable(std::make_shared<Ciclo>());
}

Shop::Shop(const QString& path, itfNotifyEvent* sink)
{
    engine = std::make_shared<DBEngine>();
    if (!QFileInfo::exists(path)) engine->CreateDatabase(3, path);
    engine->OpenDatabase(3, path);
    db = LibraryGlobal::NewDatabase(std::make_shared<ShopDefinition>(), "test", sink);
    db->AttachEngine(engine);
}

std::unique_ptr<TableData> Shop::select(const QString& table, const QString& condition, const QString& order) const
{
    return db->Tables().Item(table)->Select(condition, order);
}

qint64 Shop::count(const QString& table) const { return select(table)->RowCount(); }

QVariant Shop::scalar(const QString& sql) const
{
    auto r = engine->GetConnection().Query(sql);
    return r.rows.isEmpty() ? QVariant() : r.rows.first().value(0);
}

QString newDatabasePath(const QString& name) { return testenv::newDir(name) + "/" + name + ".mdb"; }

}   // namespace fixture
