#pragma once
// The shop database the benchmarks fill: the program's own layout, created afresh and
// opened through the library, before any rows are added by plain SQL.
#include "data/DB.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include <QFile>
#include <memory>

struct BenchShop {
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;

    // Replaces whatever file is at `path`.
    void create(const QString& path)
    {
        QFile::remove(path);
        engine = std::make_shared<DBEngine>();
        engine->CreateDatabase(3, path);
        engine->OpenDatabase(3, path);
        db = LibraryGlobal::NewDatabase(std::make_shared<DB>(), "bench", nullptr);
        db->AttachEngine(engine);
    }
};
