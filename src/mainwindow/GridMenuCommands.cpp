#include "GridMenuCommands.h"
#include "ColumnTotals.h"
#include "operations/DateSelection.h"
#include "GridFields.h"
#include "objdb/ui/LibraryApplication.h"
#include "MainWindowMenus.h"
#include "objdb/ui/ObjDataGrid.h"
#include "operations/SortOrder.h"
#include "objdb/TableData.h"
#include "operations/TypedWhere.h"
#include "operations/ViewQuery.h"
#include "dialogs/frmSearchText.h"
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr int kDeferredInterval = 1;   // ms: the timer fires once the menu has closed
}

GridMenuCommands::GridMenuCommands(Context context)
    : m_c(std::move(context)), m_locale(DateSelection::DisplayLocale()), m_prompt(m_c.window),
      m_gridSearch(frmSearchText::memory(), m_prompt),
      m_filters(std::make_unique<ColumnFilters>(frmSearchText::memory(), m_prompt, LibraryComplexFilters()))
{
    m_tmFunc = new QTimer(this);
    m_tmFunc->setObjectName(QStringLiteral("tmFunc"));
    m_tmFunc->setSingleShot(true);
    m_tmFunc->setInterval(kDeferredInterval);
    connect(m_tmFunc, &QTimer::timeout, this, [this] { RunDeferred(); });

    // The Find button's list of text columns, under the button.
    m_findList = new QMenu(m_c.window);
    m_findList->setObjectName(QStringLiteral("FindButtonMenus"));
    if (QAction* find = ToolbarAction(*m_c.toolbar, QStringLiteral("Find"))) {
        find->setMenu(m_findList);
        if (auto* button = qobject_cast<QToolButton*>(m_c.toolbar->widgetForAction(find)))
            button->setPopupMode(QToolButton::MenuButtonPopup);
    }
}

GridMenuCommands::~GridMenuCommands() = default;

void GridMenuCommands::SetDatabase(Database* db) { m_db = db; }

TableData* GridMenuCommands::data() const { return m_c.dataSet ? m_c.dataSet() : nullptr; }

std::shared_ptr<void> GridMenuCommands::hold() const { return m_c.hold ? m_c.hold() : nullptr; }

void GridMenuCommands::refreshGrid() { m_c.grid->Refresh(); }

const std::vector<QAction*>& GridMenuCommands::RelatedElements(RelatedKind kind) const
{
    switch (kind) {
    case RelatedKind::Association: return m_associations;
    case RelatedKind::Reference: return m_references;
    case RelatedKind::Container: break;
    }
    return m_containers;
}

// ---- the menus of a view ---------------------------------------------------------------------------

void GridMenuCommands::clear(std::vector<QAction*>& elements)
{
    for (QAction* a : elements) delete a;
    elements.clear();
}

QAction* GridMenuCommands::element(QMenu* menu, QAction* before, const QString& caption, const QString& tag,
                                   bool checkable)
{
    auto* a = new QAction(caption, menu);
    a->setData(tag);
    a->setCheckable(checkable);
    menu->insertAction(before, a);
    return a;
}

void GridMenuCommands::Reset()
{
    for (auto* elements : {&m_search, &m_filter, &m_order, &m_totals, &m_complexItems}) clear(*elements);
    m_findList->clear();
    m_gridSearch.SetColumns({}, std::nullopt);
    const MainWindowMenus& m = *m_c.menus;
    ToolbarAction(*m_c.toolbar, QStringLiteral("Filter"))->setChecked(false);
    m.mnuFilterComplex->setChecked(false);
    fillRelated(nullptr);
}

void GridMenuCommands::ViewOpened(const ViewQuery& query, const FieldMenus& menus)
{
    const MainWindowMenus& m = *m_c.menus;
    m_gridSearch.ViewOpened(query, menus);
    m_filters->SetColumns(menus.filter);
    auto guarded = [this](std::function<void()> work) {
        return [this, work = std::move(work)] { m_c.guard ? m_c.guard(work) : work(); };
    };
    for (size_t i = 0; i < menus.search.size(); ++i) {
        const int index = int(i) + 1;
        m_search.push_back(element(m.mnuSearch, nullptr, menus.search[i].caption, menus.search[i].tag));
        connect(m_search.back(), &QAction::triggered, this, guarded([this, index] { SearchColumn(index); }));
    }
    for (size_t i = 0; i < menus.filter.size(); ++i) {
        const int index = int(i) + 1;
        // A column not filtered shows its field's name.
        m_filter.push_back(element(m.mnuFilterShort, nullptr, menus.filter[i].tag, menus.filter[i].tag, true));
        connect(m_filter.back(), &QAction::triggered, this, guarded([this, index] { FilterColumn(index); }));
    }
    for (const MenuEntry& e : menus.order) {
        m_order.push_back(element(m.mnuOrderSingle, nullptr, e.caption, e.tag));
        connect(m_order.back(), &QAction::triggered, this, guarded([this, field = e.tag] { ToggleSort(field); }));
    }
    for (const MenuEntry& e : menus.totals) {
        m_totals.push_back(element(m.mnuToolsTotal, nullptr, e.caption, e.tag));
        connect(m_totals.back(), &QAction::triggered, this, guarded([this, field = e.caption] { Total(field); }));
    }
    for (size_t i = 0; i < menus.findList.size(); ++i) {
        const int index = int(i) + 1;
        QAction* a = m_findList->addAction(menus.findList[i].caption);
        a->setData(menus.findList[i].tag);
        connect(a, &QAction::triggered, this, guarded([this, index] { SearchColumn(index); }));
    }
    syncFilters();
    fillComplexFilterMenu(data());
    fillRelated(data());
}

void GridMenuCommands::fillComplexFilterMenu(TableData* ds)
{
    clear(m_complexItems);
    if (!ds) return;
    for (const QString& name : m_filters->ComplexFilterNames(*ds)) {
        m_complexItems.push_back(element(m_c.menus->mnuFilter, nullptr, name, name));
        connect(m_complexItems.back(), &QAction::triggered, this,
                [this, name] { m_c.guard ? m_c.guard([&] { LoadSavedFilter(name); }) : LoadSavedFilter(name); });
    }
}

void GridMenuCommands::fillRelated(const TableData* ds)
{
    for (auto* elements : {&m_associations, &m_references, &m_containers}) clear(*elements);
    const MainWindowMenus& m = *m_c.menus;
    RelatedMenuSet set;
    if (ds && m_db) set = RelatedMenus(*m_db).Build(ds);
    struct Group {
        RelatedKind kind;
        const std::vector<RelatedEntry>& entries;
        std::vector<QAction*>& elements;
        QAction* header;
        QAction* before;   // the next group's header: the group's elements go before it
        bool headerShown;
    };
    const Group groups[] = {
        {RelatedKind::Association, set.associations, m_associations, m.mnuReferencedItem, m.mnuRefItem,
         set.associationsHeader},
        {RelatedKind::Reference, set.references, m_references, m.mnuRefItem, m.mnuContItem, set.referencesHeader},
        {RelatedKind::Container, set.containers, m_containers, m.mnuContItem, nullptr, set.containersHeader},
    };
    for (const Group& g : groups) {
        g.header->setVisible(g.headerShown);
        for (const RelatedEntry& e : g.entries) {
            const QString tag = QString::number(e.number);
            g.elements.push_back(element(m.mnuAssociation, g.before, e.caption, tag));
            connect(g.elements.back(), &QAction::triggered, this, [this, kind = g.kind, tag] {
                m_c.guard ? m_c.guard([&] { RelatedClicked(kind, tag); }) : RelatedClicked(kind, tag);
            });
        }
    }
}

// ---- search ----------------------------------------------------------------------------------------

QString GridMenuCommands::FindTag() const
{
    const std::optional<int> column = m_gridSearch.FindColumn();
    return column ? QString::number(*column) : QString();
}

void GridMenuCommands::moveGridTo(TableData& ds)
{
    m_c.grid->ClearSelection();
    QCoreApplication::processEvents();
    m_c.grid->SetBookmark(ds.GetOID());
}

void GridMenuCommands::afterSearch(GridSearch::Outcome outcome)
{
    if (outcome == GridSearch::Outcome::PickColumn) m_c.popup(m_c.menus->mnuSearch);
    if (outcome != GridSearch::Outcome::Found) return;
    if (TableData* ds = data()) moveGridTo(*ds);
}

void GridMenuCommands::SearchColumn(int index, const QString& typed)
{
    const auto held = hold();
    TableData* ds = data();
    if (!ds) return;
    // "Next" goes on after the row the operator sees, wherever the data set's cursor was.
    (void)m_c.grid->PositionDataSet();
    m_prompt.SetTyped(typed);
    afterSearch(m_gridSearch.SearchColumn(*ds, index));
}

void GridMenuCommands::SearchNext()
{
    const auto held = hold();
    TableData* ds = data();
    if (!ds) {
        m_c.popup(m_c.menus->mnuSearch);
        return;
    }
    (void)m_c.grid->PositionDataSet();
    afterSearch(m_gridSearch.SearchNext(*ds));
}

// ---- filters ---------------------------------------------------------------------------------------

void GridMenuCommands::syncFilters()
{
    const MainWindowMenus& m = *m_c.menus;
    for (size_t i = 0; i < m_filter.size(); ++i) {
        const int index = int(i) + 1;
        m_filter[i]->setText(m_filters->Caption(index));
        m_filter[i]->setChecked(m_filters->IsTicked(index));
        m_filter[i]->setEnabled(true);
    }
    m.mnuFilterShort->menuAction()->setEnabled(m_filters->ColumnFiltersEnabled());
    m.mnuFilterComplex->setChecked(m_filters->ComplexTicked());
    ToolbarAction(*m_c.toolbar, QStringLiteral("Filter"))->setChecked(m_filters->FilterPressed());
}

void GridMenuCommands::FilterColumn(int index)
{
    const auto held = hold();
    TableData* ds = data();
    if (!ds) return;
    (void)m_filters->FilterColumn(*ds, index);
    syncFilters();
    refreshGrid();
}

void GridMenuCommands::CancelFilters()
{
    const auto held = hold();
    TableData* ds = data();
    if (!ds) return;
    m_filters->CancelAll(*ds);
    syncFilters();
    refreshGrid();
}

void GridMenuCommands::FilterButton()
{
    TableData* ds = data();
    ToolbarAction(*m_c.toolbar, QStringLiteral("Filter"))->setChecked(!ds || !ds->GetFilter().isEmpty());
    m_c.popup(m_c.menus->mnuFilter);
}

void GridMenuCommands::RecordComplexFilter()
{
    m_deferred.Record(DeferredCommands::kFilterComplex);
    m_tmFunc->start();
}

void GridMenuCommands::LoadSavedFilter(const QString& name)
{
    const auto held = hold();
    TableData* ds = data();
    if (!ds || !m_filters->LoadSavedComplex(*ds, name)) return;
    // The editor opens on the filter taken up, once this menu has closed.
    RecordComplexFilter();
}

void GridMenuCommands::runComplexFilter()
{
    const auto held = hold();
    TableData* ds = data();
    if (!ds) return;
    auto* filter = dynamic_cast<LibraryComplexFilter*>(m_filters->Complex(*ds));
    try {
        if (filter
            && LibraryApplication::Instance().EditFilter(filter->Filter(), QStringLiteral("FILTRO COMPLESSO"),
                                                         m_c.window))
            m_filters->UpdateComplexState(*ds);
    } catch (...) {
        fillComplexFilterMenu(ds);
        syncFilters();
        throw;
    }
    fillComplexFilterMenu(ds);
    syncFilters();
    refreshGrid();
}

// ---- order -----------------------------------------------------------------------------------------

void GridMenuCommands::ToggleSort(const QString& field)
{
    const auto held = hold();
    TableData* ds = data();
    if (!ds) return;
    if (ToggleSortOrder(field, *ds)) refreshGrid();
}

void GridMenuCommands::RecordComplexOrder()
{
    m_deferred.Record(DeferredCommands::kOrderComplex);
    m_tmFunc->start();
}

void GridMenuCommands::runComplexOrder()
{
    const auto held = hold();
    TableData* ds = data();
    if (!ds) return;
    auto view = LibraryApplication::Instance().OpenView(*ds, m_c.window);
    const std::optional<QString> order
        = view->EditFieldList(ds->GetOrder(), QStringLiteral("Ordinamento Complesso"), true);
    if (order) ToggleSort(*order);
}

void GridMenuCommands::SortRequest(const QString& field, bool* handled)
{
    if (!data()) return;
    if (handled) *handled = true;
    ToggleSort(field);
}

// ---- the other grid commands --------------------------------------------------------------------------

void GridMenuCommands::TypedWhere()
{
    const auto held = hold();
    if (RunTypedWhere(data())) refreshGrid();
}

void GridMenuCommands::Total(const QString& field)
{
    const auto held = hold();
    if (TableData* ds = data()) ShowColumnTotal(*ds, field, m_locale);
}

void GridMenuCommands::GridShowAllFields()
{
    if (!m_c.grid->IsAttached()) return;
    try {
        m_c.grid->ShowAllFields();
    } catch (...) {
        // Showing every field is a convenience: the grid keeps the columns it had.
    }
}

void GridMenuCommands::GridFieldSequence()
{
    if (!m_c.grid->IsAttached() || m_c.grid->isHidden()) return;
    (void)m_c.grid->FieldSequenceDialog();
    const GridLayout* layout = m_c.grid->Layout();
    m_c.menus->mnuGridFldSequence->setChecked(layout && !layout->FieldSequence().isEmpty());
}

void GridMenuCommands::GridReset()
{
    if (!m_c.grid->IsAttached() || m_c.grid->isHidden()) return;
    m_c.grid->ResetColumns();
    if (m_c.refreshView) m_c.refreshView();
    m_c.menus->mnuGridFldSequence->setChecked(false);
}

void GridMenuCommands::FieldFilter()
{
    const auto held = hold();
    TableData* ds = data();
    const QString field = m_c.grid->CurrentColumnField();
    if (!ds || field.isEmpty()) return;
    m_filters->FilterByCell(*ds, field, m_c.grid->CurrentCellText());
    syncFilters();
    refreshGrid();
}

void GridMenuCommands::FieldSearchNext()
{
    const auto held = hold();
    TableData* ds = data();
    const QString field = m_c.grid->CurrentColumnField();
    if (!ds || field.isEmpty()) return;
    (void)m_c.grid->PositionDataSet();
    afterSearch(m_gridSearch.SearchCellValue(*ds, field, m_c.grid->CurrentCellText()));
}

void GridMenuCommands::FieldFilterCancel()
{
    const auto held = hold();
    TableData* ds = data();
    const QString field = m_c.grid->CurrentColumnField();
    if (!ds || field.isEmpty()) return;
    m_filters->CancelCellFilter(*ds, field);
    syncFilters();
    refreshGrid();
}

void GridMenuCommands::MouseUp(Qt::MouseButtons button, int y)
{
    if (!(button & Qt::RightButton)) return;
    const MainWindowMenus& m = *m_c.menus;
    if (m_c.grid->CellIndicator() != 0)
        m_c.popup(m.mnuFieldFuncs);
    else if (y <= m_c.grid->HeaderHeight())
        m_c.popup(m.mnuOrder);
    else
        m_c.popup(m.mnuAssociation);
}

// ---- related data and deferred commands ------------------------------------------------------------------

void GridMenuCommands::RelatedClicked(RelatedKind kind, const QString& elementTag)
{
    if (m_deferred.RecordRelated(data(), kind, elementTag)) m_tmFunc->start();
}

void GridMenuCommands::openRelated(RelatedKind kind, int number)
{
    const auto held = hold();
    TableData* ds = data();
    if (!ds || !m_db) return;
    // The entry belongs to the row the operator sees.
    (void)m_c.grid->PositionDataSet();
    std::optional<RelatedRows> related = RelatedMenus(*m_db).Open(*ds, kind, number);
    if (!related) return;
    LibraryApplication::Instance().OpenView(*related->rows, nullptr, related->title)->Show();
}

void GridMenuCommands::RunDeferred()
{
    m_tmFunc->stop();
    DeferredCommands::Handlers h;
    h.openRelated = [this](RelatedKind kind, int number) { openRelated(kind, number); };
    h.complexFilter = [this] { runComplexFilter(); };
    h.complexOrder = [this] { runComplexOrder(); };
    m_deferred.Run(h);
}
