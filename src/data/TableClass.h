#pragma once
// The common form of a table class: it declares its table to the library and serves the
// table's data events itself. Each table class derives from TableClass and overrides only
// the declarations and the handlers its table needs; every other handler does nothing.
#include "objdb/Definitions.h"
#include "objdb/TableData.h"
#include <QString>

// The four access options of a field; the defaults are the library's ordinary values.
struct FieldOptions {
    int o1 = -100;   // least access level that may change the field
    int o2 = -100;   // least access level that may see the field
    int o3 = -100;
    int f = -1;
};

class TableClass : public itfDefTable, public itfSetData {
public:
    itfSetData* DefineDefaultData() override { return this; }

protected:
    // One field in column order; a null description declares none.
    static FieldDefinition& addField(FieldDefinitions& fields, const QString& name, int typeCode, int size = 0,
                                     const QString& description = QString(), FieldOptions options = {});

    // Upgrade SQL (Jet) on the engine's connection. Errors pass back to the library.
    static void execute(TableData& td, const QString& jetSql);
    // The same for a step whose failure is expected on some stored structures (a column
    // that may not exist): the error is dropped.
    static void executeIgnoringErrors(TableData& td, const QString& jetSql);
};
