#include "BuoniClienti.h"

void BuoniClienti::DefineIdentity(TableIdentity& identity)
{
    identity.Version = 1.1;
    identity.LongOptionB = 1;
}

void BuoniClienti::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "Data", FieldType::DateTime, 0, "Data del buono");
    addField(fields, "Descrizione", FieldType::Text, 64, "Descrizione dello buono");
    addField(fields, "ImportoBuono", FieldType::Currency, 0, "Importo a credito del Cliente (IVA inclusa)");
    addField(fields, "ImportoUtilizzato", FieldType::Currency, 0, "Importo del buono utilizzato dal Cliente (IVA inclusa)",
             {.o1 = 15});

    indexes.AddIndex("Data", true, "InxBuono").AddField("Descrizione");
}
