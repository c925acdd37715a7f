#include "UnitaMisura.h"

void UnitaMisura::DefineIdentity(TableIdentity& identity) { identity.Caption = "Tipi Articolo"; }

void UnitaMisura::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "Codice", FieldType::Text, 16);
    addField(fields, "Descrizione", FieldType::Text, 64);
    addField(fields, "Confezionamento", FieldType::Text, 30);
    addField(fields, "SimboloMisura", FieldType::Text, 8);
    addField(fields, "ElementiMultipli", FieldType::Boolean);
    addField(fields, "Decimali", FieldType::Boolean);

    indexes.AddIndex("Codice", true);
    indexes.AddIndex("Descrizione", true);
}

void UnitaMisura::OnUpdatedTableStruct(TableData& td, const QVariant&, double&, bool& isNew)
{
    if (!isNew) return;
    struct Unit {
        const char* codice;
        const char* descrizione;
        const char* confezionamento;
        bool elementiMultipli;
        const char* simboloMisura;
        bool decimali;
    };
    static const Unit kDefaults[] = {
        {"QntPzz", "Quantita' pezzi", "Pezzi", false, "Qnt", false},
        {"QntCnf", "Quantita' confezioni", "Confezioni", true, "Qnt", false},
        {"QntPnc", "Quantita' pancali", "Pancali", true, "Qnt", false},
        {"GrBst", "Peso imbustati (gr)", "Buste", false, "Gr", false},
        {"GrSct", "Peso scatole (gr)", "Scatole", false, "Gr", true},
        {"GrPzz", "Peso pezzi (gr)", "Pezzi", false, "Gr", true},
        {"KgSct", "Peso scatole (kg)", "Scatole", false, "Kg", true},
        {"KgPzz", "Peso pezzi (kg)", "Pezzi", false, "Kg", true},
    };
    for (const Unit& u : kDefaults) {
        td.AddRow({"Codice", QString(u.codice), "Descrizione", QString(u.descrizione), "Confezionamento",
                   QString(u.confezionamento), "ElementiMultipli", u.elementiMultipli, "SimboloMisura",
                   QString(u.simboloMisura), "Decimali", u.decimali});
    }
}
