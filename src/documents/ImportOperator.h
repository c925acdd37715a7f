#pragma once
// What the import asks of the operator through windows of its own: the pick list over
// articles, the row editor on an article and the text search. The import window answers
// with the library's dialogs; tests and the developer's tool answer in advance.
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

class TableData;

class ImportOperator {
public:
    virtual ~ImportOperator() = default;

    // The pick list over `articles` (showing Descrizione and Codice): the chosen article's
    // key, or nothing when the operator chose none. Also how a code that several articles
    // carry (one per deposit) is settled.
    virtual std::optional<qint64> pickArticle(TableData& articles) = 0;

    // The row editor on a new article in `articles`, preset with the (field, value, ...)
    // pairs: the new article's key, or nothing when cancelled. It offers the fields the
    // table's definitions let the operator see at that moment.
    virtual std::optional<qint64> newArticle(TableData& articles, const QVariantList& presets) = 0;

    // The row editor on the current article of `articles`, with its pending changes, the
    // cursor on `startField` (empty: the first field): true when the article was saved.
    virtual bool editArticle(TableData& articles, const QString& startField) = 0;

    // The text search "Cerca in" over the field caption, with the text preset and the
    // search-inside option: what the operator confirmed, or nothing when cancelled.
    struct TextSearch {
        QString text;
        bool inside = false;
    };
    virtual std::optional<TextSearch> searchText(const QString& fieldCaption, const QString& preset, bool inside) = 0;
};
