#include "Operatori.h"

void Operatori::DefineIdentity(TableIdentity& identity) { identity.Version = 1.2; }

void Operatori::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "Nome", FieldType::Text, 64, QString(), {.o1 = 1});
    addField(fields, "Password", FieldType::Text, 32, QString(), {.o2 = 15});
    addField(fields, "LivelloAccesso", FieldType::Integer, 0, QString(), {.o1 = 1}).ValueListName = "SIMPLE_ACCESS";

    indexes.AddIndex("Nome", true);
}

void Operatori::OnUpdatedTableStruct(TableData& td, const QVariant&, double&, bool& isNew)
{
    if (!isNew) return;
    td.AddRow({"Nome", "Amministratore", "LivelloAccesso", qint64(1)});
    td.AddRow({"Nome", "Operatore"});
}

void Operatori::OnNewRow(TableData& td)
{
    td.SetValue("Password", QString(""));
    td.SetValue("LivelloAccesso", qint64(0));
}

// Every level from administrator up is protected, whatever the operator's name.
void Operatori::OnDeleteRow(TableData& td)
{
    const QVariant level = td.GetValue("LivelloAccesso");
    if (!level.isNull() && level.toLongLong() >= 1)
        td.CancelWithMessage("Non è possibile eliminare l'utente Amministratore.");
}
