#pragma once
#include "TableClass.h"

// The reminder rules: a watched table and date field, the notice and the message.
class ImpostazioniPromemoria : public TableClass {
public:
    void DefineIdentity(TableIdentity& identity) override;
    void DefineStructure(FieldDefinitions& fields, IndexDefinitions& indexes, ReferenceDefinitions& refs) override;

    void OnNewRow(TableData& td) override;
};
