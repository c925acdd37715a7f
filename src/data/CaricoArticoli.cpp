#include "CaricoArticoli.h"

void CaricoArticoli::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Carico Articoli";
    identity.ParentTable = "Articoli";
    identity.SecondCaption = "Carico Articoli";
    identity.Version = 1.1;
    identity.BooleanOption = false;
}

void CaricoArticoli::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "ImportoCarico", FieldType::Currency, 0, "Importo di carico IVA esclusa (Prezzo * Quantità)");
    addField(fields, "ValoreCarico", FieldType::Number);
    addField(fields, "DataCarico", FieldType::DateTime);
    addField(fields, "Progressivo", FieldType::Integer, 0, QString(), {.o1 = 15, .o2 = 15});

    indexes.AddIndex("DataCarico", false);
    indexes.AddIndex("DataCarico", true, "ProgrCaricoArticolo").AddField("objParent").AddField("Progressivo");
}

// Lines stored before numbering existed are numbered by their key; a new table runs it too.
void CaricoArticoli::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool&)
{
    if (oldVersion < 1.1)
        execute(td, "UPDATE CaricoArticoli SET Progressivo=OID");
}
