#include "BuoniVendite.h"

void BuoniVendite::DefineIdentity(TableIdentity& identity)
{
    identity.ParentTable = "BuoniClienti";
    identity.Version = 1.1;
}

void BuoniVendite::DefineStructure(FieldDefinitions& fields, IndexDefinitions&, ReferenceDefinitions&)
{
    addField(fields, "ImportoUtilizzatoVendita", FieldType::Currency, 0,
             "Importo del buono utilizzato dal Cliente (IVA inclusa)");
}

void BuoniVendite::OnNewRow(TableData& td)
{
    td.SetValue("ImportoUtilizzatoVendita", QVariant::fromValue(Currency()));
}
