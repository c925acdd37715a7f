#pragma once
// A small shop schema for the library's tests: units with default rows, articles (parent)
// with their sale lines (children), documents owning lines, customers earning points.
// The rules move stock, keep a document's total and refuse what the shop would refuse.
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/Definitions.h"
#include "objdb/Notify.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include <QStringList>
#include <memory>
#include <ostream>

namespace fixture {

// What the rules saw, for the tests to check.
struct Trace {
    int articleNewRows = 0;
    int databaseStateAtFirstNewArticle = -1;
    int priceUpdates = 0;
    QStringList structEvents;   // "Table:oldVersion:isNew"
    QStringList referenceEvents;   // "before|after:Ref:memberOID or *"
    bool runawayLoop = false;
};
Trace& trace();

class ShopDefinition : public itfDefDatabase {
public:
    void Define(DatabaseDefinition& definition) override;
};

// Collects what the library shows to the user.
class RecordingSink : public itfNotifyEvent {
public:
    void OnRefusal(const QString&, const QString& message) override { refusals << message; }
    void OnWarning(const QString&, const QString& message) override { warnings << message; }
    void OnInternalMessage(const QString&, const QString& message) override { messages << message; }
    QStringList refusals, warnings, messages;
};

// A database file opened and declared from the fixture definition.
struct Shop {
    explicit Shop(const QString& path, itfNotifyEvent* sink = nullptr);
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString(),
                                      const QString& order = QString()) const;
    qint64 count(const QString& table) const;
    QVariant scalar(const QString& sql) const;
};

QString newDatabasePath(const QString& name);

}   // namespace fixture
