#pragma once
// The import's questions to the operator answered with the library's windows: the pick list
// over articles, the row editor on a new or an existing article, the text search. The main
// window hands one to the article window it opens.
#include "ImportOperator.h"
#include <QPointer>
#include <QWidget>

class LibraryImportOperator final : public ImportOperator {
public:
    explicit LibraryImportOperator(QWidget* owner) : m_owner(owner) {}

    std::optional<qint64> pickArticle(TableData& articles) override;
    // The library's editor has no hidden fields: `hiddenFields` are shown like the others.
    std::optional<qint64> newArticle(TableData& articles, const QVariantList& presets,
                                     const QStringList& hiddenFields) override;
    bool editArticle(TableData& articles, const QString& startField) override;
    std::optional<TextSearch> searchText(const QString& fieldCaption, const QString& preset, bool inside) override;

private:
    QPointer<QWidget> m_owner;
};
