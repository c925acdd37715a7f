#include "DatabaseOperation.h"
#include "Database.h"
#include "ObjDbInternal.h"

DatabaseOperation::DatabaseOperation(Database& db) : m_scope(std::make_unique<objdb::OpScope>(db, objdb::OpKind::Bulk))
{ }

// The scope rolls back what it did not commit.
DatabaseOperation::~DatabaseOperation() = default;

void DatabaseOperation::Commit()
{
    if (!m_scope) return;
    m_scope->commit();
    m_scope.reset();
}
