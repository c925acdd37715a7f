#include "GridSearch.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"
#include "dialogs/frmSearchText.h"

namespace {

void sayNotFound(const QString& what, const QString& where)
{
    ui().msgBox(QStringLiteral(" '") + what + QStringLiteral("' non trovato"), Msg::Information,
                QStringLiteral("Ricerca in ") + where);
}

}   // namespace

GridSearch::GridSearch(SearchTextMemory& dialog, SearchPrompt& prompt) : m_dialog(dialog), m_prompt(prompt) { }

void GridSearch::SetColumns(std::vector<MenuEntry> columns, std::optional<int> findColumn)
{
    m_columns = std::move(columns);
    m_findColumn = findColumn;
}

void GridSearch::ForgetText() { m_dialog.SearchText.clear(); }

void GridSearch::ViewOpened(const ViewQuery& query, const FieldMenus& menus)
{
    SetColumns(menus.search, menus.findColumn);
    if (query.PreviousTable.isEmpty() || query.PreviousTable != query.Table) ForgetText();
}

const MenuEntry* GridSearch::column(int index) const
{
    if (index < 1 || index > int(m_columns.size())) return nullptr;
    return &m_columns[size_t(index - 1)];
}

QString GridSearch::Pattern(const QString& text, bool inside)
{
    return inside ? QStringLiteral("*") + text + QStringLiteral("*") : text + QStringLiteral("*");
}

GridSearch::Outcome GridSearch::SearchColumn(TableData& ds, int index)
{
    const MenuEntry* c = column(index);
    if (!c) return Outcome::Cancelled;
    if (!m_prompt.Ask(c->caption, QString(), true, true)) return Outcome::Cancelled;
    return Execute(ds, index);
}

GridSearch::Outcome GridSearch::Execute(TableData& ds, int index)
{
    const MenuEntry* c = column(index);
    if (!c) return Outcome::Cancelled;
    const QString pattern = Pattern(m_dialog.SearchText, m_dialog.SearchInside);
    const QString condition = JetFieldTerm(c->tag) + QStringLiteral(" Like ") + ds.QuoteText(pattern);
    const bool found = ds.FindFirst(condition, 0, m_dialog.FindNext);
    m_findColumn = index;
    if (found) return Outcome::Found;
    sayNotFound(m_dialog.SearchText, c->caption);
    return Outcome::NotFound;
}

GridSearch::Outcome GridSearch::SearchNext(TableData& ds)
{
    if (!m_findColumn || !column(*m_findColumn)) return Outcome::PickColumn;
    if (m_dialog.SearchText.isEmpty()) return SearchColumn(ds, *m_findColumn);
    m_dialog.FindNext = true;
    return Execute(ds, *m_findColumn);
}

GridSearch::Outcome GridSearch::SearchCellValue(TableData& ds, const QString& field, const QString& value)
{
    if (field.isEmpty()) return Outcome::Cancelled;
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].tag != field) continue;
        m_dialog.LastFieldName = field;
        m_dialog.LastSearchText = value;
        m_dialog.SearchText = value;
        m_dialog.FindNext = true;
        return Execute(ds, int(i) + 1);
    }
    // Not a text column: the value compared as the field's type, with the text wildcard.
    const QString condition = ds.BuildCondition(field, value, QStringLiteral("%"));
    const bool found = ds.FindFirst(condition, 0, true);
    Outcome outcome = Outcome::Found;
    if (!found) {
        sayNotFound(condition, ds.GetFieldInfo(field).Caption);
        outcome = Outcome::NotFound;
    }
    m_dialog.LastSearchText.clear();
    m_dialog.SearchText.clear();
    return outcome;
}
