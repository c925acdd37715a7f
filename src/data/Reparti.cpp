#include "Reparti.h"

void Reparti::DefineIdentity(TableIdentity& identity) { identity.Version = 1.2; }

void Reparti::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "Codice", FieldType::Text, 4);
    addField(fields, "Descrizione", FieldType::Text, 64);

    indexes.AddIndex("Codice", true);
    indexes.AddIndex("Descrizione", true);
}

void Reparti::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool& isNew)
{
    if (isNew) {
        static const char* const kDefaults[][2] = {
            {"01", "SALA"},
            {"02", "FRUTTA E VERDURA"},
            {"03", "CARNE"},
            {"04", "ESPOSIZIONE SALUMI E LATTICINI"},
            {"05", "BANCO GASTRONOMIA"},
            {"06", "SURGELATI E GELATI"},
            {"07", "MATERIALI D'USO"},
            {"08", "INTEGRATO NON FOOD"},
            {"09", "PESCE FRESCO"},
            {"10", "SHOPPERS"},
            {"11", "VUOTI"},
            {"12", "CONCORSI"},
        };
        for (const auto& row : kDefaults) td.AddRow({"Codice", QString(row[0]), "Descrizione", QString(row[1])});
        return;
    }
    // Only the 1.1 structure carried the register department here.
    if (oldVersion == 1.1) execute(td, "ALTER TABLE Reparti DROP CodiceCassa");
}

void Reparti::OnNewRow(TableData& td) { td.SetValue("Descrizione", QString("")); }
