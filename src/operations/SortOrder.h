#pragma once
// The column sort of the shown rows: a column asked for once sorts up, asked for again
// turns round, and a composed order is taken as written.
#include <QString>

class TableData;

// The order that follows `current` when the user asks for `requested`: a single field not
// in the current order gives the field alone; a field already there (compared as a whole
// name, never as a piece of another) gives it turned round, " DESC" after an upward term and
// " ASC" after a downward one; an empty text gives the default order; a composed or directed
// order ("A, B", "A DESC") is taken unchanged.
QString ToggledOrder(const QString& requested, const QString& current);

// Sets the toggled order on the data set. An order the data set refuses is shown to the
// user and the old order stays; false then.
bool ToggleSortOrder(const QString& requested, TableData& ds);
