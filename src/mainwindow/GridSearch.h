#pragma once
// Searching the shown rows for a text in one column: the column's menu (or the Find
// button's list) asks for the text, F3 repeats the last search after the current row, and
// a cell's value can be looked for further down. A search that finds nothing says so and
// leaves the current row where it was.
#include "GridFields.h"
#include "operations/ViewQuery.h"
#include <QString>
#include <optional>
#include <vector>

class SearchTextMemory;
class TableData;

// The find dialog as the grid commands use it; its answers land in the dialog's memory
// (the text, the inside option, Next or OK). Opening it forgets the answers of the last use,
// so a cancelled dialog leaves an empty text.
class SearchPrompt {
public:
    virtual ~SearchPrompt() = default;
    // `label`: the field shown above the text box; `title`: the window's title (empty: its
    // own). True when confirmed.
    virtual bool Ask(const QString& label, const QString& title, bool showInside, bool showNext) = 0;
};

class GridSearch {
public:
    GridSearch(SearchTextMemory& dialog, SearchPrompt& prompt);

    // A new view: its search columns (menu elements 1..n, the same as the Find list) and the
    // column the Find button starts on.
    void SetColumns(std::vector<MenuEntry> columns, std::optional<int> findColumn);
    // The Find button's column: the view's default, then the column last searched.
    std::optional<int> FindColumn() const { return m_findColumn; }
    // Another table is shown: the text searched so far means nothing there.
    void ForgetText();
    // A view opened: its columns and Find column; the text searched so far is kept only when
    // the same table is shown again with its rows carried over.
    void ViewOpened(const ViewQuery& query, const FieldMenus& menus);

    enum class Outcome {
        Cancelled,   // the user gave up, or the column is none of the view's
        Found,   // the data set's current row is the match: the grid moves there
        NotFound,   // said to the user; the current row stays
        PickColumn   // no column searched yet: the window pops up the column menu
    };
    // A column's menu element or Find list entry (1-based): ask, then search.
    Outcome SearchColumn(TableData& ds, int index);
    // The search with the text and options the dialog holds.
    Outcome Execute(TableData& ds, int index);
    // F3: the last search again, after the current row; asks first when no text is held.
    Outcome SearchNext(TableData& ds);
    // The next row holding a cell's value, from the cell's menu.
    Outcome SearchCellValue(TableData& ds, const QString& field, const QString& value);

    // The Like pattern of a typed text: the text then "*", or "*" on both sides when it may
    // lie inside the column's text.
    static QString Pattern(const QString& text, bool inside);

private:
    const MenuEntry* column(int index) const;

    SearchTextMemory& m_dialog;
    SearchPrompt& m_prompt;
    std::vector<MenuEntry> m_columns;
    std::optional<int> m_findColumn;
};
