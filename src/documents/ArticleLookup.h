#pragma once
// Finding the article a code names, as the row entry does: the code trimmed and quoted into
// the condition, and, since the same code may exist once per deposit, the operator's choice
// when several articles carry it; never the first one found in silence.
#include <QString>
#include <memory>
#include <optional>

class Database;
class ImportOperator;
class TableData;

class ArticleLookup {
public:
    explicit ArticleLookup(Database& db) : m_db(db) {}

    // The articles whose Codice is the trimmed code.
    std::unique_ptr<TableData> byCode(const QString& code) const;
    bool exists(const QString& code) const;

    enum class Outcome { None, Found, NotChosen };
    struct Match {
        Outcome outcome = Outcome::None;
        qint64 article = 0;
    };
    // The one article of the code, or the one the operator picks among several.
    Match resolve(const QString& code, ImportOperator& chooser) const;

    // The article of that key (a data set standing on it; empty when it is gone).
    std::unique_ptr<TableData> byKey(qint64 article) const;

private:
    Database& m_db;
};
