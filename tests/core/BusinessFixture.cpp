#include "BusinessFixture.h"
#include <QFileInfo>

namespace business {

namespace {

class Table : public itfDefTable, public itfSetData {
public:
    itfSetData* DefineDefaultData() override { return this; }
};

void field(FieldDefinitions& f, const QString& name, int type, int size = 0)
{
    f.AddField(name, type, size, 0, 0, -100, -100, -100, -1);
}

class Depositi : public Table {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Depositi"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        field(f, "Deposito", FieldType::Code, 32);
        field(f, "Descrizione", FieldType::Text, 64);
        ix.AddIndex("Deposito", true);
    }
};

class Articoli : public Table {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Articoli"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions& r) override
    {
        field(f, "Descrizione", FieldType::Text, 64);
        field(f, "Codice", FieldType::Text, 32);
        field(f, "PrezzoVendita", FieldType::Currency);
        field(f, "ValoreScorta", FieldType::Number);
        r.AddReference("Deposito", "Depositi", false, false, QString(), "Deposito,Descrizione");
        ix.AddIndex("Codice", true);
    }
};

class ScaricoArticoli : public Table {
public:
    void DefineIdentity(TableIdentity& id) override
    {
        id.Caption = "Scarico articoli";
        id.ParentTable = "Articoli";
    }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions&) override
    {
        field(f, "ImportoScarico", FieldType::Currency);
        field(f, "ImportoSconto", FieldType::Currency);
        field(f, "ValoreScarico", FieldType::Number);
        field(f, "PuntiPremio", FieldType::Integer);
    }
    void OnDeleteRow(TableData& td) override
    {
        td.SetValue("ValoreScorta",
                    td.GetFieldValue("ValoreScorta").toDouble() + td.GetFieldValue("ValoreScarico").toDouble());
        td.Update();
    }
};

class Clienti : public Table {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Clienti"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions& r) override
    {
        field(f, "Descrizione", FieldType::Text, 127);
        field(f, "Codice", FieldType::Code, 16);
        field(f, "CalcolaPunti", FieldType::Boolean);
        field(f, "Punti", FieldType::Integer);
        field(f, "AssegnatoCartaCliente", FieldType::Boolean);
        r.AddReference("Buoni", "BuoniClienti", true, true, QString(), "ImportoBuono");
        ix.AddIndex("Descrizione", true);
    }
};

class BuoniClienti : public Table {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Buoni clienti"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions&) override
    {
        field(f, "Descrizione", FieldType::Text, 64);
        field(f, "ImportoBuono", FieldType::Currency);
        field(f, "ImportoUtilizzato", FieldType::Currency);
    }
};

class BuoniVendite : public Table {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Buoni vendite"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions& r) override
    {
        field(f, "ImportoUtilizzatoVendita", FieldType::Currency);
        r.AddReference("Buono", "BuoniClienti", false, false, QString(), "Descrizione");
    }
    void OnDeleteRow(TableData& td) override
    {
        auto voucher = td.GetReference("Buono");
        if (voucher->IsEmpty()) return;
        voucher->SubtractFromField("ImportoUtilizzato",
                                   QVariant::fromValue(td.GetCurrencyValue("ImportoUtilizzatoVendita")));
        voucher->Update();
    }
};

class Vendite : public Table {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Vendite"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions& r) override
    {
        field(f, "ImportoVendita", FieldType::Currency);
        field(f, "Note", FieldType::Text, 128);
        field(f, "Punti", FieldType::Integer);
        r.AddReference("Articoli", "ScaricoArticoli", true, true, "Codice", "Descrizione,ValoreScarico,ImportoScarico");
        r.AddReference("Cliente", "Clienti", false, false, QString(), "Descrizione");
        r.AddReference("BuoniUtilizzati", "BuoniVendite", true, true, QString(), "ImportoUtilizzatoVendita");
    }
};

class ConfigurazioneSconti : public Table {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Configurazione sconti"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions& r) override
    {
        field(f, "Descrizione", FieldType::Text, 64);
        field(f, "ImportoSconto", FieldType::Currency);
        field(f, "CalcoloPuntiClienti", FieldType::Boolean);
        r.AddReference("SoloDeposito", "Depositi", false, false, QString(), "Deposito");
        r.AddReference("SoloArticolo", "Articoli", false, false, "Codice", "Descrizione");
        r.AddReference("SoloCliente", "Clienti", false, false, "Codice", "Descrizione");
    }
};

class CodiciBarre : public Table {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = "Codici a Barre"; }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions& ix, ReferenceDefinitions&) override
    {
        field(f, "PrefissoCodice", FieldType::Text, 1);
        for (const char* name : {"PosizioneCodice", "LunghezzaCodice", "PosizioneQuantita", "LunghezzaQuantita",
                                 "PosizioneImporto", "LunghezzaImporto"})
            field(f, name, FieldType::Integer);
        field(f, "ConversioneValuta", FieldType::Boolean);
        field(f, "CoefficienteValuta", FieldType::Number);
        ix.AddIndex("PrefissoCodice", true);
    }
};

}   // namespace

void ShopDefinition::Define(DatabaseDefinition& d)
{
    d.AddTable(std::make_shared<Depositi>());
    d.AddTable(std::make_shared<Articoli>());
    d.AddTable(std::make_shared<ScaricoArticoli>());
    d.AddTable(std::make_shared<BuoniClienti>());
    d.AddTable(std::make_shared<Clienti>());
    d.AddTable(std::make_shared<BuoniVendite>());
    d.AddTable(std::make_shared<Vendite>());
    d.AddTable(std::make_shared<ConfigurazioneSconti>());
    d.AddTable(std::make_shared<CodiciBarre>());
}

Shop::Shop(const QString& path)
{
    engine = std::make_shared<DBEngine>();
    if (!QFileInfo::exists(path)) engine->CreateDatabase(3, path);
    engine->OpenDatabase(3, path);
    db = LibraryGlobal::NewDatabase(std::make_shared<ShopDefinition>(), "negozio", &sink);
    db->AttachEngine(engine);
}

Shop::~Shop()
{
    db->Close();
    engine->Close();
}

std::unique_ptr<TableData> Shop::select(const QString& table, const QString& condition) const
{
    return db->Tables().Item(table)->Select(condition);
}

QVariant Shop::scalar(const QString& sql) const
{
    const auto r = rows(sql);
    return r.isEmpty() ? QVariant() : r.first().value(0);
}

QList<QVariantList> Shop::rows(const QString& sql) const { return engine->GetConnection().Query(sql).rows; }

Currency eur(const char* text) { return *Currency::parse(QString::fromLatin1(text), QLocale::c()); }
QVariant money(const char* text) { return QVariant::fromValue(eur(text)); }

}   // namespace business
