#pragma once
// The rows of a view read with its exact Jet text through the database's query runner: the
// developer's way to see what a view selects, apart from the data set the window opens.
#include "ViewQuery.h"
#include <QList>
#include <QStringList>
#include <QVariant>
#include <vector>

class Database;

class ViewRows {
public:
    ViewRows(Database& db, ViewQuery query);

    struct Page {
        QStringList columns;
        QList<QVariantList> rows;
    };
    // The rows come in the view's order (its sort, else its query order) and then by key, so
    // that every row has a place of its own and a page can start after any row.
    // The first `count` rows (count <= 0: all of them).
    Page First(int count) const;
    // The `count` rows after `last`, a row of an earlier page, read by their order values:
    // no row before it is read again. AppError when the order names no column of the view.
    Page After(const Page& earlier, int lastRow, int count) const;
    qint64 RowCount() const;

    const ViewQuery& query() const { return m_query; }
    Database& database() const { return m_db; }
    // The order every page is read in ("Field[ DESC], ..., OID").
    QString OrderText() const;

private:
    struct Term {
        QString name;
        bool descending = false;
    };
    std::vector<Term> terms() const;
    Page run(const QString& jetSql) const;

    Database& m_db;
    ViewQuery m_query;
};
