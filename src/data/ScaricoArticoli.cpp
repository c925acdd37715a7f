#include "ScaricoArticoli.h"

void ScaricoArticoli::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Scarico articoli";
    identity.ParentTable = "Articoli";
    identity.SecondCaption = "Scarico articoli";
    identity.Version = 1.4;
    identity.BooleanOption = false;
}

void ScaricoArticoli::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "ImportoScarico", FieldType::Currency, 0, "Importo finale di vendita (IVA inclusa)");
    addField(fields, "ImportoSconto", FieldType::Currency, 0,
             "Eventuale importo relativo allo sconto applicato (IVA inclusa)");
    addField(fields, "ValoreScarico", FieldType::Number, 0, "Quantità di articoli scaricati");
    addField(fields, "PuntiPremio", FieldType::Integer, 0, QString(), {.o2 = 1});
    addField(fields, "DataScarico", FieldType::DateTime);
    addField(fields, "Progressivo", FieldType::Integer, 0, QString(), {.o1 = 15, .o2 = 15});

    indexes.AddIndex("DataScarico", false);
    indexes.AddIndex("DataScarico", true, "ProgrScaricoArticolo").AddField("objParent").AddField("Progressivo");
}

// Lines stored before numbering existed are numbered by their key; a new table runs it too.
void ScaricoArticoli::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool&)
{
    if (oldVersion < 1.1)
        execute(td, "UPDATE ScaricoArticoli SET Progressivo=OID");
}
