#include "CorrispondenzeArticoli.h"

void CorrispondenzeArticoli::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Corrispondenze Articoli";
    identity.ParentTable = "Articoli";
}

// No field is declared; the index names the supplier's code all the same.
void CorrispondenzeArticoli::DefineStructure(FieldDefinitions&, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    refs.AddReference("Fornitore", "Fornitori", false, false, "Codice", "Descrizione");

    indexes.AddIndex("CodiceFornitore", true, "CorrispondenzaArticolo").AddField("Fornitore");
}
