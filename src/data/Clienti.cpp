#include "Clienti.h"
#include "core/helpers/BusinessHelpers.h"
#include "core/configuration/Configuration.h"

void Clienti::DefineIdentity(TableIdentity& identity)
{
    identity.Caption = "Clienti";
    identity.Version = 1.7;
}

void Clienti::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs)
{
    addField(fields, "Descrizione", FieldType::Text, 127);
    addField(fields, "Codice", FieldType::Code, 16);
    addField(fields, "Indirizzo", FieldType::Text, 128);
    addField(fields, "Citta", FieldType::Text, 32);
    addField(fields, "Provincia", FieldType::Text, 5);
    addField(fields, "CAP", FieldType::Text, 5);
    addField(fields, "PartitaIva", FieldType::Text, 16);
    addField(fields, "Telefono", FieldType::Text, 32);
    addField(fields, "Cellulare", FieldType::Text, 32);
    addField(fields, "Fax", FieldType::Text, 32);
    addField(fields, "EMail", FieldType::Email, 255, "Indirizzo di posta elettronica");
    // Points are editable by an administrator while the feature is on, and hidden while it
    // is off; decided when the database is opened.
    const FieldOptions points
        = settings().Use_PuntiPremio ? FieldOptions {.o1 = 1, .o3 = 0} : FieldOptions {.o1 = 255, .o3 = 255};
    addField(fields, "CalcolaPunti", FieldType::Boolean, 0, "Attiva il conteggio dei punti premio per il cliente",
             points);
    // Every sale of the customer, at any counter, adds to it.
    addField(fields, "Punti", FieldType::Integer, 0, "Punti premio accumulati dal cliente", points).RunningTotal = true;
    // Whether the customer's card has been written (the card functions keep it).
    addField(fields, "AssegnatoCartaCliente", FieldType::Boolean);

    refs.AddReference("Buoni", "BuoniClienti", true, true, QString(), "ImportoBuono,ImportoUtilizzato,Descrizione");

    indexes.AddIndex("Descrizione", true);
    indexes.AddIndex("Codice", false);
}

void Clienti::OnUpdatedTableStruct(TableData& td, const QVariant&, double& oldVersion, bool& isNew)
{
    if (isNew) {
        td.AddRow({"Descrizione", "Cliente occasionale", "Codice",    QString(""), "PartitaIva",
                   QString(""),   "Indirizzo",           QString(""), "Citta",     QString(""),
                   "Provincia",   QString(""),           "CAP",       QString(""), "Telefono",
                   QString(""),   "Cellulare",           QString(""), "Fax",       QString("")});
        return;
    }
    // Customers stored before these fields existed get empty strings, not nulls.
    if (oldVersion < 1.2) {
        execute(td, "UPDATE Clienti SET PartitaIva='' ");
        execute(td, "UPDATE Clienti SET Citta='' ");
        execute(td, "UPDATE Clienti SET Provincia='' ");
        execute(td, "UPDATE Clienti SET CAP='' ");
    }
    // 1.7 added AssegnatoCartaCliente: no card was written for the customers stored before it.
    // False, not Null, so that writing a card can mark it.
    if (oldVersion < 1.7) execute(td, "UPDATE Clienti SET AssegnatoCartaCliente=False");
}

void Clienti::OnNewRow(TableData& td)
{
    for (const char* field :
         {"Indirizzo", "Codice", "Citta", "Provincia", "CAP", "PartitaIva", "Telefono", "Cellulare", "Fax"})
        td.SetValue(field, QString(""));
    td.SetValue("CalcolaPunti", settings().ImportoPunto > 0 && settings().Use_PuntiPremio);
    td.SetValue("Punti", qint64(0));
    td.SetValue("EMail", QString(""));
    td.SetValue("AssegnatoCartaCliente", false);
    if (settings().ProgrLen_ClientiForn > 0) AssignProgressiveCode(td, "Codice", settings().ProgrLen_ClientiForn);
}

// A code, once given, belongs to one customer: checked when a customer is added and when its
// code is changed (the row itself does not count). A customer saved for another reason (its
// points) is not held up by duplicates stored before this check existed.
void Clienti::OnUpdateRow(TableData& td)
{
    const QString code = td.GetText("Codice");
    if (code.isEmpty()) return;
    const QString sameCode = td.BuildFieldCondition("Codice", code);
    const QString self = QString("OID=%1").arg(td.GetOID());
    // The condition is met by the stored row, whatever the row being saved holds now.
    if (!td.IsNewRow() && !td.OpenQuery("Clienti", sameCode + " AND " + self)->IsEmpty()) return;
    if (!td.OpenQuery("Clienti", sameCode + " AND NOT (" + self + ")")->IsEmpty())
        td.CancelWithMessage(QString::fromUtf8("Esiste già un Cliente con stesso codice"));
}
