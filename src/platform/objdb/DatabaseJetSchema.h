#pragma once
// The database's declarations as the Jet translator sees them: how a query over a table
// reaches its parent, the tables its references (and its parent's) point to, and the
// owner of an owned list; where an unqualified name lives.
#include "JetTranslator.h"

class Database;

namespace objdb {

class DatabaseJetSchema : public JetSchema {
public:
    explicit DatabaseJetSchema(const Database& db) : m_db(db) { }
    std::optional<Join> joinFor(const QString& fromTable, const QString& qualifier) const override;
    std::vector<Join> joinPathFor(const QString& fromTable, const QString& qualifier) const override;
    bool isTable(const QString& name) const override;
    std::optional<Column> resolveField(const QString& fromTable, const QString& name) const override;

private:
    const Database& m_db;
};

}   // namespace objdb
