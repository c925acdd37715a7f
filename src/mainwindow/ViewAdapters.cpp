#include "ViewAdapters.h"
#include "objdb/ui/LibraryApplication.h"
#include "objdb/ui/PickRowDialog.h"
#include "objdb/TableData.h"
#include "objdb/TableObject.h"
#include "dialogs/frmDateSetting.h"
#include "dialogs/frmFromDateToDate.h"
#include "dialogs/frmSearchText.h"

DataSelectionFactory LibraryDataSelections()
{
    return [](TableObject& table) { return std::make_unique<LibraryDataSelection>(table); };
}

ComplexFilterFactory LibraryComplexFilters()
{
    return [](TableData& ds) -> std::unique_ptr<ComplexFilter> {
        TableObject* table = ds.GetTable();
        if (!table) return nullptr;
        return std::make_unique<LibraryComplexFilter>(*table);
    };
}

// ---- the view's dialogs ---------------------------------------------------------------------------

bool WindowViewDialogs::ChooseRow(TableData& rows, const QString& shownField)
{
    return PickRowDialog::Pick(rows, shownField, QString(), m_owner).has_value();
}

std::optional<QDate> WindowViewDialogs::ChooseDate(const std::optional<QDate>& start)
{
    frmDateSetting dialog(m_owner);
    return dialog.SetDate(start, -1, -1);
}

bool WindowViewDialogs::ChoosePeriod(std::optional<QDate>& from, std::optional<QDate>& to)
{
    frmFromDateToDate dialog(m_owner);
    return dialog.SetDate(from, to, -1, -1);
}

bool WindowViewDialogs::EditSelections(DataSelection& selection, const QString& title)
{
    // The view keeps its selections in the library's filter: only that one has an editor.
    auto* library = dynamic_cast<LibraryDataSelection*>(&selection);
    if (!library) return false;
    return LibraryApplication::Instance().EditFilter(library->Filter(), title, m_owner);
}

// ---- the find dialog ----------------------------------------------------------------------------------

bool FindDialogPrompt::Ask(const QString& label, const QString& title, bool showInside, bool showNext)
{
    const QString typed = std::exchange(m_typed, QString());
    frmSearchText dialog(m_owner);
    if (!title.isEmpty()) dialog.setWindowTitle(title);
    dialog.Prepare(label, showInside, showNext);
    dialog.TypeAhead(typed);
    (void)dialog.runModal();
    return frmSearchText::Confirmed();
}
