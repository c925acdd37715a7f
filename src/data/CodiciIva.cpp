#include "CodiciIva.h"
#include "core/configuration/DeviceSettings.h"

void CodiciIva::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Codici Iva";
    identity.Version = 1.1;
}

void CodiciIva::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "Codice", FieldType::Text, 16);
    addField(fields, "Descrizione", FieldType::Text, 64);
    addField(fields, "Percentuale", FieldType::Number);
    addField(fields, "CodiceCassa", FieldType::Integer);

    indexes.AddIndex("Codice", true);
    indexes.AddIndex("Descrizione", false);
    indexes.AddIndex("Percentuale", false);
}

// The default codes are added like any new row, so they get the register department too.
void CodiciIva::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool& isNew)
{
    if (isNew) {
        td.AddRow({"Codice", "nessuna", "Descrizione", "Fuori campo IVA", "Percentuale", 0});
        td.AddRow({"Codice", "IVA20", "Descrizione", "IVA al 20%", "Percentuale", 20});
        td.AddRow({"Codice", "IVA10", "Descrizione", "IVA al 10%", "Percentuale", 10});
        td.AddRow({"Codice", "IVA04", "Descrizione", "IVA al 4%", "Percentuale", 4});
        return;
    }
    // The department column came with 1.1; only a 1.0 table has it empty.
    if (oldVersion == 1.0)
        execute(td, QString("UPDATE CodiciIva SET CodiceCassa=%1").arg(qint64(settings().DefaultDepartment)));
}

void CodiciIva::OnNewRow(TableData& td) { td.SetValue("CodiceCassa", qint64(settings().DefaultDepartment)); }
