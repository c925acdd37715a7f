#include "ColumnFilters.h"
#include "base/AppError.h"
#include "core/lifecycle/ErrorReporting.h"
#include "GridSearch.h"
#include "objdb/JetTranslator.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"
#include "dialogs/frmSearchText.h"

ColumnFilters::ColumnFilters(SearchTextMemory& dialog, SearchPrompt& prompt, ComplexFilterFactory newComplex)
    : m_dialog(dialog), m_prompt(prompt), m_newComplex(std::move(newComplex))
{ }

ColumnFilters::~ColumnFilters() = default;

void ColumnFilters::SetColumns(const std::vector<MenuEntry>& columns)
{
    m_columns.clear();
    for (const MenuEntry& e : columns) m_columns.push_back({e.tag, std::nullopt});
    m_filterPressed = false;
    m_complexTicked = false;
}

QString ColumnFilters::Caption(int index) const
{
    const Column& c = m_columns.at(size_t(index - 1));
    if (!c.pattern) return c.field;
    return c.field + QStringLiteral(" = ") + JetTranslator::QuoteText(*c.pattern);
}

bool ColumnFilters::IsTicked(int index) const { return m_columns.at(size_t(index - 1)).pattern.has_value(); }

std::optional<int> ColumnFilters::IndexOf(const QString& field) const
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].field == field) return int(i) + 1;
    return std::nullopt;
}

void ColumnFilters::SetColumn(int index, const QString& text, bool inside)
{
    Column& c = m_columns.at(size_t(index - 1));
    if (text.isEmpty())
        c.pattern.reset();
    else
        c.pattern = GridSearch::Pattern(text, inside);
}

QString ColumnFilters::Condition() const
{
    QStringList terms;
    for (const Column& c : m_columns)
        if (c.pattern) terms << JetFieldTerm(c.field) + QStringLiteral(" Like ") + JetTranslator::QuoteText(*c.pattern);
    return terms.join(QStringLiteral(" AND "));
}

QString ColumnFilters::Description() const
{
    QStringList terms;
    for (size_t i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].pattern) terms << Caption(int(i) + 1);
    return terms.join(QStringLiteral(" AND "));
}

bool ColumnFilters::FilterColumn(TableData& ds, int index)
{
    if (index < 1 || index > int(m_columns.size())) return false;
    try {
        // Whatever closed the dialog, its text decides: a cancel leaves none and so removes
        // the column's filter.
        (void)m_prompt.Ask(m_columns[size_t(index - 1)].field, QStringLiteral("Filtra"), true, false);
        SetColumn(index, m_dialog.SearchText, m_dialog.SearchInside);
        apply(ds);
        return true;
    } catch (...) {
        const AppError e = CurrentError();
        ShowErrorDetails(e, QStringLiteral("Errore nell'impostazione del filtro: \r\r") + e.description);
        CancelAll(ds);
        return false;
    }
}

void ColumnFilters::apply(TableData& ds)
{
    const QString condition = Condition();
    m_filterPressed = !condition.isEmpty();
    ui().status(condition.isEmpty() ? QStringLiteral("Nessun filtro")
                                    : QStringLiteral("Attivato filtro (") + Description() + u')');
    ds.SetFilter(condition);
    // The library checks a condition's names only when it reads: read now, so that a
    // filter that cannot run fails here and is taken off, not later in the grid.
    ds.MoveFirst();
}

void ColumnFilters::clearColumns()
{
    for (Column& c : m_columns) c.pattern.reset();
}

void ColumnFilters::CancelAll(TableData& ds)
{
    // The rows come back first: were the library to refuse, the marks would still say what
    // is in force.
    ds.SetFilter(QString());
    clearColumns();
    m_complexTicked = false;
    m_filterPressed = false;
    ui().status(QStringLiteral("Disattivato filtro"));
}

void ColumnFilters::FilterByCell(TableData& ds, const QString& field, const QString& value)
{
    if (field.isEmpty()) return;
    const std::optional<int> index = IndexOf(field);
    if (!m_complexTicked && index) {
        m_dialog.LastFieldName = field;
        m_dialog.LastSearchText = value;
        FilterColumn(ds, *index);
        return;
    }
    ComplexFilter* complex = Complex(ds);
    if (!complex) return;
    if (complex->HasCondition(field)) complex->RemoveCondition(field);
    if (!value.isEmpty()) complex->AddCondition(field, value);
    UpdateComplexState(ds);
}

void ColumnFilters::CancelCellFilter(TableData& ds, const QString& field)
{
    if (field.isEmpty()) return;
    const std::optional<int> index = IndexOf(field);
    if (!m_complexTicked && index) {
        m_dialog.LastFieldName = field;
        m_dialog.LastSearchText.clear();
        FilterColumn(ds, *index);
        return;
    }
    if (m_complex && m_complex->HasCondition(field)) {
        m_complex->RemoveCondition(field);
        UpdateComplexState(ds);
    }
}

ComplexFilter* ColumnFilters::Complex(TableData& ds)
{
    if (m_complex && m_complex->TableName() != ds.tableName()) m_complex.reset();
    if (!m_complex && m_newComplex) m_complex = m_newComplex(ds);
    return m_complex.get();
}

void ColumnFilters::UpdateComplexState(TableData& ds)
{
    ComplexFilter* complex = Complex(ds);
    const QString where = complex ? complex->GetWhere() : QString();
    const QString before = ds.GetFilter();
    try {
        ds.SetFilter(where);
        ds.MoveFirst();
    } catch (...) {
        // A condition the library refuses leaves the rows filtered as they were.
        ds.SetFilter(before);
        throw;
    }
    // The column filters stay in their elements but are no longer what the rows show.
    m_complexTicked = !where.isEmpty();
    m_filterPressed = !where.isEmpty();
}

QStringList ColumnFilters::ComplexFilterNames(TableData& ds)
{
    ComplexFilter* complex = Complex(ds);
    if (!complex) return {};
    const QString names = complex->GetSavedNames();
    if (names.isEmpty()) return {};
    return names.split(u'|');
}

bool ColumnFilters::LoadSavedComplex(TableData& ds, const QString& name)
{
    ComplexFilter* complex = Complex(ds);
    if (complex && complex->LoadSaved(name)) return true;
    ui().msgBox(QStringLiteral("Un filtro con questo nome non è presente!"), Msg::OKOnly);
    return false;
}
