#pragma once
// SQLite's parser reads about a hundred nested levels and builds expression trees a thousand
// deep at most, while a Jet text within Jet's own length can translate to more (a chain of
// thousands of ANDs, a hundred nested parentheses). Each translation is parsed once on an
// empty connection of its own, so such a text is refused like any other the translator
// cannot take, instead of failing later on the file with SQLite's message.
#include <QString>

namespace jet {

// How a translation is used: a condition and a SELECT are embedded further by their callers
// (joined to another condition, counted, paged by key), so they are parsed with about ten
// levels to spare; other statements run as they are.
enum class SqlUse { Condition, Select, Statement };

// AppError when SQLite cannot take `sql` for its depth or size (3075). Names the empty
// connection does not know are left to the file: only what fails before them is looked at.
void checkSqliteLimits(const QString& sql, SqlUse use);

}   // namespace jet
