#pragma once
// The one point where SQL text handed over by the program (upgrade statements, filters,
// orders, field lists, view queries) becomes SQLite SQL. Jet SQL is translated here when
// the translator is part of the build; otherwise the text passes unchanged.
#include <QString>

struct JetSchema;

namespace objdb {
QString translateJet(const QString& jetSql, const JetSchema* schema = nullptr);
bool hasJetTranslator();
}
