#include "TipiPagamento.h"

void TipiPagamento::DefineIdentity(TableIdentity& identity)
{
    identity.CopyKey = {"Descrizione"};
    identity.Caption = "Tipi Pagamento";
}

void TipiPagamento::DefineStructure(FieldDefinitions& fields, IndexDefinitions&, ReferenceDefinitions&)
{
    addField(fields, "Descrizione", FieldType::Text, 64);
}

void TipiPagamento::OnUpdatedTableStruct(TableData& td, const QVariant&, double&, bool& isNew)
{
    if (!isNew) return;
    for (const char* descrizione : {"Contanti", "Assegno", "Bonifico", "Posticipato", "Altro"})
        td.AddRow({"Descrizione", QString(descrizione)});
}
