#include "ImpostazioniPromemoria.h"
#include "objdb/Database.h"
#include "objdb/TableObject.h"

namespace {
constexpr qint64 kMaxGiorniDiPreavviso = 30;
constexpr qint64 kMinMinutiDiPreavviso = 10;
const QString kTableFirst = QStringLiteral("Inserire prima il nome della tabella");

QString noSuchField(const QString& field, const QString& table)
{
    return QStringLiteral("Campo '") + field + QStringLiteral("' inesistente nella tabella ") + table;
}

// A stored table name may name a table this program no longer has: it then has no fields.
bool tableHasField(const TableData& td, const QString& table, const QString& field)
{
    const TableObject* t = td.GetTable(table);
    return t && t->FieldExists(field);
}
}

QString MalformedPlaceholderMessage()
{
    return QStringLiteral("Messaggio non corretto.\rPer inserire il nome di un campo della tabella usare la specifica "
                          "<%NomeCampo%> ");
}

PlaceholderSplit Split_CampoMessaggio(const QString& text, QString& field, QString& rest)
{
    const qsizetype open = text.indexOf(QLatin1String("<%"));
    if (open < 0) {
        field.clear();
        rest.clear();
        return PlaceholderSplit::None;
    }
    const qsizetype close = text.indexOf(QLatin1String("%>"));
    // In "<%>" the closing mark shares its '%' with the opening one: there is no placeholder
    // to take, only a broken one.
    if (close < open + 2) return PlaceholderSplit::Malformed;
    field = text.mid(open + 2, close - open - 2);
    rest = text.mid(close + 2);
    return PlaceholderSplit::Found;
}

void ImpostazioniPromemoria::DefineIdentity(TableIdentity& identity)
{
    identity.Version = 1.3;
    identity.LongOptionA = 1;
}

void ImpostazioniPromemoria::DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions&)
{
    addField(fields, "NomeTabella", FieldType::Text, 64, "Nome della tabella di riferimento per il promemoria");
    addField(fields, "NomeCampoData", FieldType::Text, 64,
             "Nome della campo della tabella di riferimento per il promemoria, deve essere di una data");
    addField(fields, "GiorniDiPreavviso", FieldType::Integer, 0,
             "Numero di giorni di preavviso (sommato a ore e minuti)");
    addField(fields, "OreDiPreavviso", FieldType::Integer, 0, "Numero di ore di preavviso (sommato a giorni e minuti)");
    addField(fields, "MinutiDiPreavviso", FieldType::Integer, 0,
             "Numero di minuti di preavviso (sommato a giorni e ore)");
    addField(fields, "MessaggioDiNotifica", FieldType::Text, 128,
             "Se si utilizza <%NomeCampoTabella%> verrà visualizzato il contenuto del campo");
    addField(fields, "DataUltimoControllo", FieldType::DateTime, 0,
             "Utilizzata dal sistema come ripartenza per i controlli successivi", {.f = 0});

    indexes.AddIndex("NomeTabella", false);
}

void ImpostazioniPromemoria::OnNewRow(TableData& td)
{
    td.SetValue("GiorniDiPreavviso", qint64(0));
    td.SetValue("OreDiPreavviso", qint64(0));
    td.SetValue("MinutiDiPreavviso", qint64(0));
}

void ImpostazioniPromemoria::OnBeforeUpdateField(TableData& td, QString& fieldName)
{
    if (fieldName == QLatin1String("NomeTabella"))
        m_sPrevNomeTabella = td.GetText("NomeTabella");
    else if (fieldName == QLatin1String("NomeCampoData"))
        m_sPrevNomeCampoData = td.GetText("NomeCampoData");
}

void ImpostazioniPromemoria::OnUpdateField(TableData& td, QString& fieldName)
{
    if (fieldName == QLatin1String("NomeTabella")) {
        const QString table = td.GetText("NomeTabella");
        if (!td.GetTable()->GetTables()->Exists(table))
            td.CancelWithMessage(QStringLiteral("Tabella '") + table + QStringLiteral("' inesistente"));
        // The engine resumes a rule's checks from where it left them in the watched table;
        // in another table that point means nothing.
        if (table != m_sPrevNomeTabella) td.SetValue("DataUltimoControllo", QVariant());
    }
    if (fieldName == QLatin1String("NomeCampoData")) {
        const QString table = td.GetText("NomeTabella");
        const QString field = td.GetText("NomeCampoData");
        if (table.isEmpty()) {
            td.CancelWithMessage(kTableFirst);
        } else if (!tableHasField(td, table, field)) {
            td.CancelWithMessage(noSuchField(field, table));
        } else {
            const int type = td.GetTable(table)->GetField(field)->TypeCode;
            if (type != FieldType::Date && type != FieldType::DateTime)
                td.CancelWithMessage(QStringLiteral("Il campo '") + field
                                     + QStringLiteral("' non è di tipo Data o Data/ora"));
        }
        if (field != m_sPrevNomeCampoData) td.SetValue("DataUltimoControllo", QVariant());
    }
    if (fieldName == QLatin1String("MessaggioDiNotifica")) {
        const QString table = td.GetText("NomeTabella");
        if (table.isEmpty())
            td.CancelWithMessage(kTableFirst);
        else
            Check_CampiMessaggio(td, td.GetText("MessaggioDiNotifica"), table);
    }
    if (fieldName == QLatin1String("GiorniDiPreavviso")) {
        if (td.GetFieldValue("GiorniDiPreavviso").toLongLong() > kMaxGiorniDiPreavviso) {
            td.WarnWithMessage(QStringLiteral("I giorni di preavviso non possono essere maggiori di ")
                               + QString::number(kMaxGiorniDiPreavviso));
            td.SetValue("GiorniDiPreavviso", kMaxGiorniDiPreavviso);
        }
    }
}

void ImpostazioniPromemoria::OnUpdateRow(TableData& td)
{
    const qint64 days = td.GetFieldValue("GiorniDiPreavviso").toLongLong();
    const qint64 hours = td.GetFieldValue("OreDiPreavviso").toLongLong();
    const qint64 minutes = td.GetFieldValue("MinutiDiPreavviso").toLongLong();
    if (days == 0 && hours == 0 && minutes < kMinMinutiDiPreavviso) {
        td.WarnWithMessage(QStringLiteral("I minuti di preavviso TOTALI non possono essere inferiori a ")
                           + QString::number(kMinMinutiDiPreavviso));
        td.SetValue("MinutiDiPreavviso", kMinMinutiDiPreavviso);
    }
}

void ImpostazioniPromemoria::Check_CampiMessaggio(TableData& td, const QString& message, const QString& tableName)
{
    QString text = message;
    for (;;) {
        QString field;
        QString rest;
        if (Split_CampoMessaggio(text, field, rest) == PlaceholderSplit::Malformed)
            td.NotifyWithMessage(1, MalformedPlaceholderMessage(), true);
        // No placeholder left, a broken one, or an empty one: nothing more to check.
        if (field.isEmpty()) return;
        if (!tableHasField(td, tableName, field)) {
            td.NotifyWithMessage(1, noSuchField(field, tableName), true);
            return;
        }
        text = rest;
    }
}
