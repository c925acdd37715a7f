#pragma once
// A shop database file for the tests: opened through the library with the program's
// definition, and reachable with plain SQL beside the library to build legacy fixtures.
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "objdb/Notify.h"
#include "ShopBuilder.h"
#include "objdb/TableData.h"
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

// Keeps what the library tells the user.
class RecordingSink : public itfNotifyEvent {
public:
    void OnRefusal(const QString&, const QString& message) override { refusals << message; }
    void OnWarning(const QString&, const QString& message) override { warnings << message; }
    QStringList refusals;
    QStringList warnings;
};

class ShopDatabase {
public:
    // A file in a fresh folder; nothing is created until open().
    ShopDatabase();
    ~ShopDatabase();

    // Creates the file on the first call, opens it afterwards; declares or upgrades every table.
    Database& open();
    void close();
    Database& db() { return m_shop->db(); }
    // Rows made through the rules, in the open file.
    testshop::ShopBuilder& rows() { return *m_shop; }
    const QString& path() const { return m_path; }
    RecordingSink& sink() { return m_sink; }
    std::unique_ptr<TableData> select(const QString& table, const QString& condition = QString());

    // Plain SQL on the closed file, outside the library: no rules, no translation.
    void rawExec(const QStringList& statements);
    void rawExec(const QString& statement) { rawExec(QStringList {statement}); }
    QList<QVariantList> rawRows(const QString& query);
    QVariant rawScalar(const QString& query);
    // Sets the version stored for a table, as an older program would have left it.
    void setStoredVersion(const QString& table, double version);
    QStringList rawColumns(const QString& table);

private:
    QString m_path;
    RecordingSink m_sink;
    std::optional<testshop::ShopBuilder> m_shop;
};
