#include "ShopDatabase.h"
#include "TestEnvironment.h"
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {
// Runs fn on a private plain connection to the file.
template <class Fn> void withRawConnection(const QString& path, Fn fn)
{
    const QString name = QUuid::createUuid().toString();
    {
        QSqlDatabase c = QSqlDatabase::addDatabase("QSQLITE", name);
        c.setDatabaseName(path);
        if (!c.open()) throw std::runtime_error(c.lastError().text().toStdString());
        fn(c);
        c.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QSqlQuery run(QSqlDatabase& c, const QString& sql)
{
    QSqlQuery q(c);
    if (!q.exec(sql)) throw std::runtime_error((sql + ": " + q.lastError().text()).toStdString());
    return q;
}
}

ShopDatabase::ShopDatabase() : m_path(testenv::newDir("shop") + "/Mirtavolia.mdb") { }

ShopDatabase::~ShopDatabase() { close(); }

Database& ShopDatabase::open()
{
    close();
    m_shop.emplace(testshop::Options {.path = m_path, .sink = &m_sink});
    return m_shop->db();
}

void ShopDatabase::close() { m_shop.reset(); }

std::unique_ptr<TableData> ShopDatabase::select(const QString& table, const QString& condition)
{
    return m_shop->select(table, condition);
}

void ShopDatabase::rawExec(const QStringList& statements)
{
    withRawConnection(m_path, [&](QSqlDatabase& c) {
        for (const QString& s : statements) run(c, s);
    });
}

QList<QVariantList> ShopDatabase::rawRows(const QString& query)
{
    QList<QVariantList> rows;
    withRawConnection(m_path, [&](QSqlDatabase& c) {
        QSqlQuery q = run(c, query);
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i) row << q.value(i);
            rows << row;
        }
    });
    return rows;
}

QVariant ShopDatabase::rawScalar(const QString& query)
{
    const auto rows = rawRows(query);
    return rows.isEmpty() || rows.first().isEmpty() ? QVariant() : rows.first().first();
}

void ShopDatabase::setStoredVersion(const QString& table, double version)
{
    rawExec(QString("UPDATE _objdb_tables SET Version=%1 WHERE Name='%2'").arg(version).arg(table));
}

QStringList ShopDatabase::rawColumns(const QString& table)
{
    QStringList names;
    for (const QVariantList& row : rawRows(QString("PRAGMA table_info(\"%1\")").arg(table)))
        names << row.at(1).toString();
    return names;
}
