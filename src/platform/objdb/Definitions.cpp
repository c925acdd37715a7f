#include "Definitions.h"
#include <cxxabi.h>
#include <cstdlib>
#include <typeinfo>

FieldDefinition& FieldDefinitions::AddField(const QString& name, int typeCode, int size, int, int, int o1, int o2,
                                            int o3, int f, const QString& description, const QString& valueList, int)
{
    FieldDefinition d;
    d.Name = name;
    d.TypeCode = typeCode;
    d.Size = size;
    d.O1 = o1;
    d.O2 = o2;
    d.O3 = o3;
    d.F = f;
    d.Description = description;
    d.ValueListName = valueList;
    m_fields.push_back(d);
    return m_fields.back();
}

ReferenceDefinition& ReferenceDefinitions::AddReference(const QString& name, const QString& targetTable, bool isList,
                                                        bool isOwned, const QString& keyField,
                                                        const QString& displayFields, int, int, int,
                                                        const QString& description, int, int f, int)
{
    ReferenceDefinition r;
    r.Name = name;
    r.TargetTable = targetTable;
    r.IsList = isList;
    r.IsOwned = isOwned;
    r.KeyField = keyField;
    r.DisplayFields = displayFields;
    r.Description = description;
    r.F = f;
    m_refs.push_back(r);
    return m_refs.back();
}

IndexDefinition& IndexDefinitions::AddIndex(const QString& fieldName, bool unique, const QString& indexName)
{
    auto ix = std::make_unique<IndexDefinition>();
    ix->Name = indexName;
    ix->Unique = unique;
    ix->Fields << fieldName;
    m_indexes.push_back(std::move(ix));
    return *m_indexes.back();
}

QString itfDefTable::TableName() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    QString name = QString::fromUtf8(status == 0 && plain ? plain : mangled);
    std::free(plain);
    const int colon = name.lastIndexOf(QStringLiteral("::"));
    return colon >= 0 ? name.mid(colon + 2) : name;
}
