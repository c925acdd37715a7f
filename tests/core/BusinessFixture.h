#pragma once
// A small shop for the business helpers' tests: deposits, articles and their sale lines,
// customers with vouchers, sales owning lines and voucher uses, discount rules, barcode
// layouts. Each table carries the fields the helpers read, under the program's names. The
// only rules are the ones that would show a rule-running delete: a deleted sale line gives
// its quantity back to the article, a deleted voucher use gives its amount back.
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/Notify.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include <QStringList>
#include <memory>

namespace business {

class ShopDefinition : public itfDefDatabase {
public:
    void Define(DatabaseDefinition& definition) override;
};

class RecordingSink : public itfNotifyEvent {
public:
    void OnRefusal(const QString&, const QString& message) override { refusals << message; }
    void OnWarning(const QString&, const QString& message) override { warnings << message; }
    QStringList refusals, warnings;
};

// A file in a fresh folder, opened and declared.
struct Shop {
    explicit Shop(const QString& path);
    ~Shop();
    std::shared_ptr<DBEngine> engine;
    std::shared_ptr<Database> db;
    RecordingSink sink;
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString()) const;
    QVariant scalar(const QString& sql) const;
    QList<QVariantList> rows(const QString& sql) const;
};

Currency eur(const char* text);
QVariant money(const char* text);

}   // namespace business
