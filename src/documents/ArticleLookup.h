#pragma once
// Finding the article a code names, as the row entry does: the code trimmed and quoted into
// the condition, and, since the same code may exist once per deposit, the operator's choice
// when several articles carry it; never the first one found in silence.
//
// An import looks up one code per line of a long file: the look-ups that only answer
// "which article" go through two data sets made once, whose conditions take the code or the
// key as a bound value, so no line translates or prepares a query of its own.
#include <QString>
#include <memory>
#include <optional>

class Database;
class ImportOperator;
class TableData;

class ArticleLookup {
public:
    explicit ArticleLookup(Database& db);
    ~ArticleLookup();

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
    // Whether the article of that key is still there.
    bool existsKey(qint64 article) const;

private:
    // The first article of the code, and whether another one follows it.
    struct First {
        qint64 article = 0;
        bool more = false;
    };
    First firstOfCode(const QString& code) const;

    Database& m_db;
    mutable std::unique_ptr<TableData> m_codes;   // filtered by code, the code bound
    mutable std::unique_ptr<TableData> m_keys;   // every article, moved to by key
};
