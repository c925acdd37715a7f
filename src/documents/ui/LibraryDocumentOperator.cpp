#include "LibraryDocumentOperator.h"

#include "core/seams/CustomerCardWriter.h"
#include "objdb/ui/LibraryApplication.h"
#include "RowsListDialog.h"
#include "objdb/TableData.h"
#include "dialogs/frmMsgBeep.h"
#include "dialogs/frmSearchText.h"

#include <QCheckBox>
#include <QLineEdit>

namespace {
std::unique_ptr<DataView> viewOf(TableData& rows, QWidget* owner)
{
    return LibraryApplication::Instance().OpenView(rows, owner);
}
}   // namespace

std::optional<qint64> LibraryDocumentOperator::pickRow(TableData& rows, const QStringList& columns)
{
    return viewOf(rows, m_owner)->PickRow(columns.join(u','));
}

std::optional<qint64> LibraryDocumentOperator::editRow(TableData& rows) { return viewOf(rows, m_owner)->EditRow(); }

std::optional<qint64> LibraryDocumentOperator::newRow(TableData& rows, const QVariantList& presets)
{
    return viewOf(rows, m_owner)->NewRow(presets);
}

bool LibraryDocumentOperator::editField(TableData& rows, const QString& field)
{
    return viewOf(rows, m_owner)->EditField(field);
}

void LibraryDocumentOperator::showRows(TableData& rows, const QStringList& columns)
{
    RowsListDialog list(rows, columns, m_owner);
    (void)list.runModal();
}

bool LibraryDocumentOperator::confirmWithBeep(const QString& message)
{
    return frmMsgBeep::ShowMessage(m_owner, message);
}

QString LibraryDocumentOperator::readCustomerCard()
{
    // The card dialog belongs to the card devices' windows, registered at start.
    CustomerCardReader* reader = customerCardReader();
    return reader ? reader->ReadCode(m_owner, QString(), true) : QString();
}

std::optional<qint64> LibraryDocumentOperator::pickArticle(TableData& articles)
{
    return viewOf(articles, m_owner)->PickRow(QStringLiteral("Descrizione,Codice"));
}

std::optional<qint64> LibraryDocumentOperator::newArticle(TableData& articles, const QVariantList& presets)
{
    return viewOf(articles, m_owner)->NewRow(presets);
}

bool LibraryDocumentOperator::editArticle(TableData& articles, const QString& startField)
{
    return viewOf(articles, m_owner)->EditRow(true, startField).has_value();
}

std::optional<ImportOperator::TextSearch> LibraryDocumentOperator::searchText(const QString& fieldCaption,
                                                                              const QString& preset, bool inside)
{
    frmSearchText window(m_owner);
    window.Prepare(fieldCaption, true, false);
    if (!preset.isEmpty())
        if (auto* text = window.findChild<QLineEdit*>(QStringLiteral("txtSearch"))) text->setText(preset);
    if (auto* option = window.findChild<QCheckBox*>(QStringLiteral("chkInternal")); option && inside)
        option->setChecked(true);
    window.runModal();
    if (!frmSearchText::Confirmed()) return std::nullopt;
    return TextSearch {frmSearchText::SearchText(), frmSearchText::SearchInside()};
}
