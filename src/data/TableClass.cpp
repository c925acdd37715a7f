#include "TableClass.h"
#include "base/AppError.h"
#include "objdb/DBEngine.h"

FieldDefinition& TableClass::addField(FieldDefinitions& fields, const QString& name, int typeCode, int size,
                                      const QString& description, FieldOptions options)
{
    return fields.AddField(name, typeCode, size, 0, 0, options.o1, options.o2, options.o3, options.f, description);
}

void TableClass::execute(TableData& td, const QString& jetSql) { td.GetEngine()->GetConnection().Execute(jetSql); }

void TableClass::executeIgnoringErrors(TableData& td, const QString& jetSql)
{
    try {
        execute(td, jetSql);
    } catch (const AppError&) { }
}
