#pragma once
// A condition the user types to select the shown table's rows again ("Selezione Query
// (WHERE)..."). It is read with the library's own parser and accepted only when it is one
// Jet expression over the columns of the view: no second statement, no sub-select, no
// parameter, no column the view does not show. Anything else is reported and never runs.
#include <QString>
#include <QStringList>
#include <optional>

class TableData;

// The names a typed condition may use over the data set: its fields, references and computed
// columns (own fields also written "Table.Field"), "OID", and the qualified columns its field
// list names.
QStringList TypedWhereNames(const TableData& ds);

// Why the text is not a condition over those names; none when it is.
std::optional<QString> CheckTypedWhere(const QString& condition, const QStringList& names);

// The command: asks for the condition of the shown data set (null: none shown) and selects
// its rows again with it. True when the rows changed (the grid reads them again).
bool RunTypedWhere(TableData* ds);
