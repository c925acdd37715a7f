#pragma once
// The fields a print script receives as `flds`: the current row of a data set as a record
// of named fields, read once (changing them changes nothing stored).
#include "vbscript/ScriptRecord.h"

#include <memory>

class TableData;

// "OID", the data set's columns (computed ones included), then the fields of the parent
// row that the row does not have itself (an article's fields on a sale row), then for each
// single reference R, of the row and of its parent, "Cod_R" holding the referenced row's
// key (the unit of measure's code as "Cod_UnitaMisura"). Without a current row every field
// is there and Null.
std::shared_ptr<vbs::ScriptRecord> ScriptFieldsOf(TableData& rows);
