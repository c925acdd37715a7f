#pragma once
#include "objdb/Definitions.h"

// The shop database: every table class, in creation order (a table's default rows may rely
// on the tables before it). A new DB is made each time a database is opened or created.
class DB : public itfDefDatabase {
public:
    void Define(DatabaseDefinition& definition) override;
};
