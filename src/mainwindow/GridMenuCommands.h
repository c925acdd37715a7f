#pragma once
// The main window's commands on the rows its grid shows, as menus and clicks reach them:
// search (the column menu, the Find button and its list, F3, a letter typed on the window),
// the column and complex filters with the saved ones, the sort by column or combined, the
// typed condition, the column totals, the grid's layout, the commands on the current cell,
// the right click, and the related-data menu with the commands that wait for the menu to
// close. The logic is GridSearch, ColumnFilters, SortOrder, TypedWhere, ColumnTotals,
// RelatedMenus and DeferredCommands; this class keeps the menu entries that stand for the
// shown view's columns and related data in step with them.
#include "ColumnFilters.h"
#include "DeferredCommands.h"
#include "GridSearch.h"
#include "RelatedMenus.h"
#include "ViewAdapters.h"
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class Database;
class ObjDataGrid;
class QAction;
class QMenu;
class QTimer;
class QToolBar;
class TableData;
struct FieldMenus;
struct MainWindowMenus;
struct ViewQuery;

class GridMenuCommands : public QObject {
    Q_OBJECT
public:
    struct Context {
        QWidget* window = nullptr;
        const MainWindowMenus* menus = nullptr;
        QToolBar* toolbar = nullptr;
        ObjDataGrid* grid = nullptr;
        // The shown data set; null when no view is shown or it is no table's.
        std::function<TableData*()> dataSet;
        // RefreshDetailView with the node's own order and condition.
        std::function<void()> refreshView;
        // Shows a menu at the pointer.
        std::function<void(QMenu*)> popup;
        // Runs a handler of a menu entry made here under the window's one catch.
        std::function<void(const std::function<void()>&)> guard;
        // Holds the shown rows while a command works on them (DetailViewPanel::HoldView).
        std::function<std::shared_ptr<void>()> hold;
    };
    explicit GridMenuCommands(Context context);
    ~GridMenuCommands() override;

    // The related data is looked up in this database (null: none is open).
    void SetDatabase(Database* db);
    // The language the totals are written in.
    void SetLocale(const QLocale& locale) { m_locale = locale; }

    // --- a view change --------------------------------------------------------------------------
    // Before the view is built: every element of the column and related menus goes, the Find
    // list and column are emptied, the Filter button released, the complex filter unticked.
    void Reset();
    // The view is open: its column menus, Find list and column, saved filters and related data.
    void ViewOpened(const ViewQuery& query, const FieldMenus& menus);

    // --- search ---------------------------------------------------------------------------------
    // The Find button's tag: the column it searches ("" when the view has none).
    QString FindTag() const;
    // A column's element (1-based), the Find button or its list; `typed`: the key typed on the
    // window that started the search.
    void SearchColumn(int index, const QString& typed = QString());
    void SearchNext();   // F3

    // --- filters --------------------------------------------------------------------------------
    void FilterColumn(int index);
    void CancelFilters();
    void FilterButton();
    void RecordComplexFilter();   // "Imposta &filtro complesso..."
    void LoadSavedFilter(const QString& name);   // an entry under "Filtra con..."
    ColumnFilters& Filters() { return *m_filters; }

    // --- order ----------------------------------------------------------------------------------
    void ToggleSort(const QString& field);   // a column's element, "&Annulla ordinamento" ("")
    void RecordComplexOrder();   // "&Ordinamento combinato..."
    // The grid's header clicked: the window sorts, the grid does not.
    void SortRequest(const QString& field, bool* handled);

    // --- the rest of the grid's commands ---------------------------------------------------------
    void TypedWhere();
    void Total(const QString& field);
    void GridShowAllFields();
    void GridFieldSequence();
    void GridReset();
    void FieldFilter();
    void FieldSearchNext();
    void FieldFilterCancel();
    void MouseUp(Qt::MouseButtons button, int y);

    // --- related data and the commands that wait for their menu to close ---------------------------
    void RelatedClicked(RelatedKind kind, const QString& elementTag);
    // Runs the recorded command now (what the timer does once the menu has closed).
    void RunDeferred();
    const DeferredCommands& Deferred() const { return m_deferred; }

    // The elements now standing for the view's columns (element 0 excluded), for the window's
    // tests and the Find button's list.
    const std::vector<QAction*>& SearchElements() const { return m_search; }
    const std::vector<QAction*>& FilterElements() const { return m_filter; }
    const std::vector<QAction*>& OrderElements() const { return m_order; }
    const std::vector<QAction*>& TotalElements() const { return m_totals; }
    const std::vector<QAction*>& RelatedElements(RelatedKind kind) const;
    QMenu* FindList() const { return m_findList; }

private:
    TableData* data() const;
    std::shared_ptr<void> hold() const;
    void moveGridTo(TableData& ds);
    void afterSearch(GridSearch::Outcome outcome);
    void syncFilters();
    void fillComplexFilterMenu(TableData* ds);
    void fillRelated(const TableData* ds);
    void runComplexFilter();
    void runComplexOrder();
    void openRelated(RelatedKind kind, int number);
    void refreshGrid();
    void clear(std::vector<QAction*>& elements);
    QAction* element(QMenu* menu, QAction* before, const QString& caption, const QString& tag, bool checkable = false);

    Context m_c;
    Database* m_db = nullptr;
    QLocale m_locale;
    FindDialogPrompt m_prompt;
    GridSearch m_gridSearch;
    std::unique_ptr<ColumnFilters> m_filters;
    DeferredCommands m_deferred;
    QTimer* m_tmFunc = nullptr;
    QMenu* m_findList = nullptr;
    std::vector<QAction*> m_search, m_filter, m_order, m_totals, m_complexItems;
    std::vector<QAction*> m_associations, m_references, m_containers;
};
