#pragma once
// The filters of the shown rows: a pattern per column, typed in the find dialog, or the
// library's structured ("complex") filter of the table. Whichever was applied last is the
// data set's filter; the two are never combined.
//
// Each column filter is kept as its field and its pattern. The condition is built from
// those two, the pattern quoted as one literal, so whatever the user typed ("a = b",
// quotes, the word AND) is looked for as typed and never read as part of the condition.
#include "GridFields.h"
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class SearchPrompt;
class SearchTextMemory;
class TableData;

// The library's structured filter of one table, as the grid commands use it.
class ComplexFilter {
public:
    virtual ~ComplexFilter() = default;
    virtual QString TableName() const = 0;
    virtual bool HasCondition(const QString& field) const = 0;
    virtual void RemoveCondition(const QString& field) = 0;
    // The condition "field = value".
    virtual void AddCondition(const QString& field, const QString& value) = 0;
    // The condition of everything held (Jet SQL); empty when it holds nothing.
    virtual QString GetWhere() const = 0;
    // The names of the filters stored for the table, separated by "|".
    virtual QString GetSavedNames() const = 0;
    // Takes up the filter stored under `name`; false when there is none.
    virtual bool LoadSaved(const QString& name) = 0;
};
// A new, empty structured filter over the data set's table.
using ComplexFilterFactory = std::function<std::unique_ptr<ComplexFilter>(TableData& ds)>;

class ColumnFilters {
public:
    ColumnFilters(SearchTextMemory& dialog, SearchPrompt& prompt, ComplexFilterFactory newComplex = {});
    ~ColumnFilters();

    // A new view: its filterable columns (menu elements 1..n); no column filter in force,
    // the Filter button released.
    void SetColumns(const std::vector<MenuEntry>& columns);

    struct Column {
        QString field;
        std::optional<QString> pattern;   // the Like pattern in force; none when not filtered
    };
    const std::vector<Column>& Columns() const { return m_columns; }
    // What a filter element shows: the field, or the field, " = " and the pattern's literal.
    QString Caption(int index) const;
    bool IsTicked(int index) const;
    // 1-based element of the field; none when the field is not a filterable column.
    std::optional<int> IndexOf(const QString& field) const;

    // Sets (non-empty text) or removes (empty text) one column's pattern, without applying it.
    void SetColumn(int index, const QString& text, bool inside);
    // The column filters joined with " AND ", each "[field] Like 'pattern'"; empty when none.
    QString Condition() const;
    // The same for the status bar, each "field = 'pattern'".
    QString Description() const;

    // A filter element chosen: the find dialog asks for the text (a cancel removes the
    // column's filter) and the column filters are applied. An error is reported and every
    // filter removed. False then.
    bool FilterColumn(TableData& ds, int index);
    // The cell menu's "same value": the column filter of the cell's column, preset with the
    // value, or (while the complex filter is in force, or for a column that cannot be
    // filtered by text) the structured filter's condition field = value.
    void FilterByCell(TableData& ds, const QString& field, const QString& value);
    // The cell menu's "remove the column's filter".
    void CancelCellFilter(TableData& ds, const QString& field);
    // Every filter off; the structured filter keeps its conditions for the next use.
    void CancelAll(TableData& ds);

    // The structured filter of the shown table, made anew when another table is shown.
    ComplexFilter* Complex(TableData& ds);
    // Applies the structured filter (after its editor was confirmed, or a cell changed it).
    void UpdateComplexState(TableData& ds);
    // The saved structured filters of the shown table, one menu element each.
    QStringList ComplexFilterNames(TableData& ds);
    // A saved filter chosen: true when it was loaded (the window then opens the editor on
    // it); said to the user when it no longer exists.
    bool LoadSavedComplex(TableData& ds, const QString& name);

    // What the window shows.
    bool FilterPressed() const { return m_filterPressed; }
    bool ComplexTicked() const { return m_complexTicked; }
    bool ColumnFiltersEnabled() const { return !m_complexTicked; }

private:
    void apply(TableData& ds);
    void clearColumns();

    SearchTextMemory& m_dialog;
    SearchPrompt& m_prompt;
    ComplexFilterFactory m_newComplex;
    std::unique_ptr<ComplexFilter> m_complex;
    std::vector<Column> m_columns;
    bool m_filterPressed = false;
    bool m_complexTicked = false;
};
