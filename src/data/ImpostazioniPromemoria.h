#pragma once
#include "TableClass.h"

// The reminder rules: a watched table and date field, the notice and the message.
class ImpostazioniPromemoria : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
    void OnBeforeUpdateField(TableData& td, QString& fieldName) override;
    void OnUpdateField(TableData& td, QString& fieldName) override;
    void OnUpdateRow(TableData& td) override;

private:
    // Checks every placeholder of the message, left to right, against the fields of the
    // table, up to the first that fails.
    static void Check_CampiMessaggio(TableData& td, const QString& message, const QString& tableName);

    // The watched table and date field as they were before the change under way.
    QString m_sPrevNomeTabella;
    QString m_sPrevNomeCampoData;
};

// What splitting a reminder message at its first placeholder found.
enum class PlaceholderSplit {
    None,   // no "<%": field and rest are set empty
    Found,   // field: the text between "<%" and the first "%>"; rest: the text after it
    Malformed,   // "<%" without a "%>" after it: field and rest are left as they were
};

// Splits the text at its first placeholder "<%Field%>". The closing mark is the first "%>"
// of the whole text, so a "%>" standing before the first "<%" makes the text malformed.
PlaceholderSplit Split_CampoMessaggio(const QString& text, QString& field, QString& rest);

// The message shown for a malformed placeholder.
QString MalformedPlaceholderMessage();
