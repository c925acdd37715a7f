#pragma once
// The operator at the counter, answered through the library's own windows: the pick list,
// the row editor (on a row, on a new row, on one field), the rows' list, the beeping
// question, the text search and the card dialog. Every one of them is modal over the
// window that asks and runs through ui().runModal, so an answer file drives them too.
//
// The sale and supply windows hand one to their documents; the import and the deposit
// dialog take it as their ImportOperator.
#include "documents/DocumentOperator.h"

#include <QPointer>
#include <QWidget>

class LibraryDocumentOperator final : public DocumentOperator {
public:
    explicit LibraryDocumentOperator(QWidget* owner = nullptr) : m_owner(owner) { }
    void setOwner(QWidget* owner) { m_owner = owner; }

    std::optional<qint64> pickRow(TableData& rows, const QStringList& columns) override;
    std::optional<qint64> editRow(TableData& rows) override;
    std::optional<qint64> newRow(TableData& rows, const QVariantList& presets) override;
    bool editField(TableData& rows, const QString& field) override;
    void showRows(TableData& rows, const QStringList& columns) override;
    bool confirmWithBeep(const QString& message) override;
    QString readCustomerCard() override;

    std::optional<qint64> pickArticle(TableData& articles) override;
    std::optional<qint64> newArticle(TableData& articles, const QVariantList& presets) override;
    bool editArticle(TableData& articles, const QString& startField) override;
    std::optional<TextSearch> searchText(const QString& fieldCaption, const QString& preset, bool inside) override;

private:
    QPointer<QWidget> m_owner;
};
