#include "LibraryImportOperator.h"
#include "LibraryApplication.h"
#include "PickRowDialog.h"
#include "RowEditor.h"
#include "TableData.h"
#include "frmSearchText.h"
#include <QCheckBox>

std::optional<qint64> LibraryImportOperator::pickArticle(TableData& articles)
{
    return PickRowDialog::Pick(articles, QStringLiteral("Descrizione,Codice"), QString(), m_owner);
}

std::optional<qint64> LibraryImportOperator::newArticle(TableData& articles, const QVariantList& presets,
                                                        const QStringList&)
{
    return LibraryApplication::Instance().OpenView(articles, m_owner)->NewRow(presets);
}

bool LibraryImportOperator::editArticle(TableData& articles, const QString& startField)
{
    return LibraryApplication::Instance().OpenView(articles, m_owner)->EditRow(true, startField, true).has_value();
}

std::optional<ImportOperator::TextSearch> LibraryImportOperator::searchText(const QString& fieldCaption,
                                                                          const QString& preset, bool inside)
{
    // The dialog offers the last text of the same field: the preset takes its place.
    SearchTextMemory& memory = frmSearchText::memory();
    memory.LastFieldName = fieldCaption;
    memory.LastSearchText = preset;
    frmSearchText dialog(m_owner);
    dialog.Prepare(fieldCaption, true, false);
    if (inside)
        if (auto* box = dialog.findChild<QCheckBox*>(QStringLiteral("chkInternal"))) box->setChecked(true);
    if (!dialog.runModal() || !memory.Confirmed) return std::nullopt;
    return TextSearch{memory.SearchText, memory.SearchInside};
}
