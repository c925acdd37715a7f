#include "TableClass.h"

FieldDefinition& TableClass::addField(FieldDefinitions& fields, const QString& name, int typeCode, int size,
                                      const QString& description, FieldOptions options)
{
    return fields.AddField(name, typeCode, size, 0, 0, options.o1, options.o2, options.o3, options.f, description);
}
