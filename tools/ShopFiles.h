#pragma once
// The shop files the commands work on, opened as the program opens them.
#include <QString>
#include <memory>

class CurrencyInfo;
class DBEngine;
class Database;
class TableData;

namespace mvtool {

// An existing shop file given on the command line, declared as the program declares it;
// without a currency the library's own. A missing file is an AppError: the tool makes no
// shop behind the user's back. Closed when it goes.
struct OpenShop {
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
    explicit OpenShop(const QString& path, std::shared_ptr<CurrencyInfo> currency = nullptr);
    ~OpenShop();
    OpenShop(const OpenShop&) = delete;
    OpenShop& operator=(const OpenShop&) = delete;
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString());
};

// The working database of the configuration, opened as the program opens it; a missing file
// is said on standard error and gives false.
bool openWorkingDatabase();

}   // namespace mvtool
