#pragma once
// Several changes made through the library as one operation: every library call made while
// the operation is open joins it, and the whole is stored only by Commit. When the
// operation ends without Commit (an error on its way up), every change made inside it is
// undone, in the file and in the row buffers of the data sets alike.
//
//   DatabaseOperation op(db);
//   lines->AddRow(...);  lines->AddRow(...);
//   op.Commit();
#include <memory>

class Database;
namespace objdb {
class OpScope;
}

class DatabaseOperation {
public:
    explicit DatabaseOperation(Database& db);
    ~DatabaseOperation();
    DatabaseOperation(const DatabaseOperation&) = delete;
    DatabaseOperation& operator=(const DatabaseOperation&) = delete;

    void Commit();

private:
    std::unique_ptr<objdb::OpScope> m_scope;
};
