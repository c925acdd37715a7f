#include "ObjDataGrid.h"
#include "base/AppError.h"
#include "FieldSequenceDialog.h"
#include "GridCellDelegate.h"
#include "objdb/TableData.h"
#include "TableRowSource.h"
#include "base/UiServices.h"
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

ObjDataGrid::ObjDataGrid(QWidget* parent, const QString& name) : QWidget(parent), m_name(name)
{
    setObjectName(name);
    m_view = new QTableView(this);
    m_view->setObjectName(name + QStringLiteral("_view"));
    m_model = new LazyTableModel(this);
    m_view->setModel(m_model);
    m_view->setItemDelegate(new GridCellDelegate(m_view));
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    // A million rows: no per-row header to measure, every row the same height.
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setSectionsMovable(true);
    m_view->horizontalHeader()->setHighlightSections(false);
    m_view->horizontalHeader()->setSectionsClickable(true);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_view);

    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    m_view->horizontalHeader()->viewport()->installEventFilter(this);

    connect(m_view, &QTableView::doubleClicked, this, [this] { emit DblClick(); });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { emit RowColChange(); });
    connect(m_view->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { prefetchVisible(); });
    connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logical) {
        const auto& cols = m_model->ShownColumns();
        if (logical >= 0 && logical < int(cols.size())) sortBy(cols[size_t(logical)].field);
    });
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int logical, int, int width) {
        if (m_applying) return;
        const auto& cols = m_model->ShownColumns();
        if (logical < 0 || logical >= int(cols.size())) return;
        if (m_layout) m_layout->SetColumnWidth(cols[size_t(logical)].field, width);
        emit ColResize(cols[size_t(logical)].field, width);
    });
    connect(m_view->horizontalHeader(), &QHeaderView::sectionMoved, this, [this] {
        if (!m_applying) columnMoved();
    });
    connect(m_model, &LazyTableModel::rowsLoaded, this, [this](int first, int last) { restoreSelection(first, last); });
    connect(m_model, &LazyTableModel::located, this, [this](qint64 oid, int row) { located(oid, row); });
    connect(m_model, &LazyTableModel::locateFailed, this, [this](qint64 oid) {
        if (m_restoreCurrent == oid) m_restoreCurrent.reset();
    });
    connect(m_model, &LazyTableModel::countChanged, this, [this] { prefetchVisible(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { prefetchVisible(); });
}

ObjDataGrid::~ObjDataGrid()
{
    // The table's layout of a grid that saves its own layouts is not lost with the grid.
    if (m_layout && !m_layoutBound && m_layout->IsChanged()) m_layout->Save();
}

// --- attaching ----------------------------------------------------------------------------------------

void ObjDataGrid::SetDataSet(TableData* data)
{
    m_data = data;
    m_restoreCurrent.reset();
    m_restoreSelected.clear();
    if (!data) {
        m_model->SetSource(nullptr);
        return;
    }
    attachSource(std::make_unique<TableRowSource>(*data), data->tableName());
}

void ObjDataGrid::attachSource(std::unique_ptr<RowSource> source, const QString& table)
{
    m_showAll = false;
    if (!m_layoutBound) openTableLayout(table.isEmpty() ? QStringLiteral("Vista") : table);
    // The columns the source offers decide what the layout can choose from.
    const QStringList fields = chosenFields(source->Columns());
    m_applying = true;
    m_model->SetSource(std::move(source), fields);
    applyWidths();
    m_applying = false;
}

void ObjDataGrid::openTableLayout(const QString& table)
{
    if (m_layoutFile.isEmpty()) {
        if (!m_layout) m_layout = std::make_shared<GridLayout>();
        return;
    }
    const QString name = m_name + u'_' + table;
    if (m_layout && m_layout->Name() == name) return;
    if (m_layout && m_layout->IsChanged()) m_layout->Save();
    m_layout = std::make_shared<GridLayout>(name, m_layoutFile);
}

void ObjDataGrid::BindLayout(std::shared_ptr<GridLayout> layout, const QStringList& hiddenColumns)
{
    m_layout = layout ? std::move(layout) : std::make_shared<GridLayout>();
    m_layoutBound = true;
    m_bindingHidden = hiddenColumns;
    m_showAll = false;
    ApplyLayout();
}

QStringList ObjDataGrid::chosenFields(const std::vector<GridColumn>& all) const
{
    QStringList out;
    auto offered = [&](const QString& f) {
        for (const GridColumn& c : all)
            if (c.field.compare(f, Qt::CaseInsensitive) == 0) return c.field;
        return QString();
    };
    if (!m_showAll && m_layout && !m_layout->Fields().isEmpty()) {
        for (const QString& f : m_layout->Fields()) {
            const QString name = offered(f);
            if (!name.isEmpty() && !out.contains(name)) out << name;
        }
    } else {
        for (const GridColumn& c : all)
            if (!c.onRequest) out << c.field;
    }
    if (m_showAll) return out;
    out.removeIf([&](const QString& f) {
        return (m_layout && m_layout->IsHidden(f)) || m_bindingHidden.contains(f, Qt::CaseInsensitive);
    });
    return out;
}

void ObjDataGrid::ApplyLayout()
{
    if (!m_model->HasSource()) return;
    keepSelection();
    m_applying = true;
    // The header's own moves are undone: the layout says the order.
    QHeaderView* h = m_view->horizontalHeader();
    for (int v = 0; v < h->count(); ++v)
        if (h->logicalIndex(v) != v) h->moveSection(h->visualIndex(v), v);
    m_model->SetColumns(chosenFields(m_model->AllColumns()));
    applyWidths();
    m_applying = false;
    if (m_restoreCurrent) m_model->Locate(*m_restoreCurrent);
}

void ObjDataGrid::applyWidths()
{
    const auto& cols = m_model->ShownColumns();
    const QFontMetrics fm = m_view->fontMetrics();
    for (int i = 0; i < int(cols.size()); ++i) {
        const int kept = m_layout ? m_layout->ColumnWidth(cols[size_t(i)].field) : 0;
        if (kept > 0) {
            m_view->setColumnWidth(i, kept);
            continue;
        }
        // Wide enough for the caption and for a few rows' worth of text.
        int width = fm.horizontalAdvance(cols[size_t(i)].caption) + 24;
        for (int r = 0; r < std::min(m_model->rowCount(), 20); ++r)
            width = std::max(width, fm.horizontalAdvance(m_model->TextAt(r, i)) + 12);
        m_view->setColumnWidth(i, std::min(width, 320));
    }
}

void ObjDataGrid::ResetColumns()
{
    if (m_layout) m_layout->Reset();
    m_showAll = false;
    ApplyLayout();
}

void ObjDataGrid::ShowAllFields()
{
    m_showAll = true;
    ApplyLayout();
}

bool ObjDataGrid::FieldSequenceDialog(const QString& title)
{
    if (!m_model->HasSource()) return false;
    std::vector<FieldSequenceDialog::Field> fields;
    for (const GridColumn& c : m_model->AllColumns()) fields.push_back({c.field, c.caption});
    const QString current = m_layout ? m_layout->FieldSequence() : QString();
    auto chosen = FieldSequenceDialog::Choose(std::move(fields), current, title, false, this);
    if (!chosen) return false;
    if (!m_layout) m_layout = std::make_shared<GridLayout>();
    m_layout->SetFieldSequence(*chosen);
    m_showAll = false;
    ApplyLayout();
    return true;
}

void ObjDataGrid::columnMoved()
{
    if (!m_layout) return;
    m_layout->SetFieldSequence(ShownFields().join(u','));
}

QStringList ObjDataGrid::ShownFields() const
{
    QStringList out;
    const auto& cols = m_model->ShownColumns();
    const QHeaderView* h = m_view->horizontalHeader();
    for (int v = 0; v < h->count(); ++v) {
        const int logical = h->logicalIndex(v);
        if (logical >= 0 && logical < int(cols.size()) && !h->isSectionHidden(logical))
            out << cols[size_t(logical)].field;
    }
    return out;
}

// --- refreshing ----------------------------------------------------------------------------------------

void ObjDataGrid::keepSelection()
{
    if (auto b = Bookmark()) m_restoreCurrent = *b;
    for (qint64 oid : SelectedBookmarks()) m_restoreSelected.insert(oid);
    const QModelIndex cur = m_view->currentIndex();
    m_restoreColumn = cur.isValid() ? cur.column() : 0;
}

void ObjDataGrid::Refresh()
{
    if (!m_model->HasSource()) return;
    keepSelection();
    m_applying = true;
    if (m_model->RefreshInPlace()) {
        // The view kept its rows, selection and widths: only the current row is looked for.
        m_applying = false;
        m_restoreSelected.clear();
        if (m_restoreCurrent && !m_model->LoadedRowOf(*m_restoreCurrent)) {
            // The current row went: no row is current, as after reading every row anew.
            m_restoreCurrent.reset();
            m_view->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
            if (!m_multiSelect) m_view->clearSelection();
        }
        if (m_restoreCurrent) m_model->Locate(*m_restoreCurrent);
        return;
    }
    applyWidths();
    m_applying = false;
    restoreSelection(0, m_model->rowCount() - 1);
    if (m_restoreCurrent) m_model->Locate(*m_restoreCurrent);
}

void ObjDataGrid::restoreSelection(int first, int last)
{
    if (m_restoreSelected.empty()) return;
    QItemSelection chosen;
    for (int r = first; r <= last && !m_restoreSelected.empty(); ++r) {
        const qint64 oid = m_model->OidAt(r);
        auto it = m_restoreSelected.find(oid);
        if (!oid || it == m_restoreSelected.end()) continue;
        m_restoreSelected.erase(it);
        chosen.select(m_model->index(r, 0), m_model->index(r, std::max(0, m_model->columnCount() - 1)));
    }
    if (!chosen.isEmpty())
        m_view->selectionModel()->select(chosen, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ObjDataGrid::located(qint64 oid, int row)
{
    if (m_restoreCurrent != oid) return;
    m_restoreCurrent.reset();
    const int col = std::min(m_restoreColumn, std::max(0, m_model->columnCount() - 1));
    const QModelIndex idx = m_model->index(row, col);
    m_view->selectionModel()->setCurrentIndex(idx,
                                              m_multiSelect
                                                  ? QItemSelectionModel::NoUpdate
                                                  : QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (m_multiSelect && m_restoreSelected.count(oid) == 0)
        m_view->selectionModel()->select(idx, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_view->scrollTo(idx);
    emit RowColChange();
}

void ObjDataGrid::prefetchVisible()
{
    if (!m_model->HasSource() || m_model->rowCount() == 0) return;
    const int first = std::max(0, m_view->rowAt(0));
    int last = m_view->rowAt(m_view->viewport()->height() - 1);
    if (last < 0) {
        const int rowHeight = std::max(1, m_view->verticalHeader()->defaultSectionSize());
        last = first + m_view->viewport()->height() / rowHeight;
    }
    m_model->Prefetch(first, std::min(last, m_model->rowCount() - 1));
}

// --- bookmarks ----------------------------------------------------------------------------------------

std::optional<qint64> ObjDataGrid::Bookmark() const
{
    const QModelIndex cur = m_view->currentIndex();
    if (!cur.isValid()) return m_restoreCurrent;
    const qint64 oid = m_model->OidAt(cur.row());
    if (!oid) return std::nullopt;
    return oid;
}

void ObjDataGrid::SetBookmark(qint64 oid)
{
    if (!m_model->HasSource() || !oid) return;
    m_restoreCurrent = oid;
    const QModelIndex cur = m_view->currentIndex();
    m_restoreColumn = cur.isValid() ? cur.column() : 0;
    m_model->Locate(oid);
}

std::vector<qint64> ObjDataGrid::SelectedBookmarks() const
{
    std::vector<qint64> out;
    QModelIndexList rows = m_view->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    for (const QModelIndex& i : rows)
        if (const qint64 oid = m_model->OidAt(i.row())) out.push_back(oid);
    // Rows kept across a refresh and not read again yet are still selected.
    for (qint64 oid : m_restoreSelected)
        if (std::find(out.begin(), out.end(), oid) == out.end()) out.push_back(oid);
    return out;
}

void ObjDataGrid::RemoveSelected(int index)
{
    const auto selected = SelectedBookmarks();
    if (index < 0 || index >= int(selected.size())) return;
    const qint64 oid = selected[size_t(index)];
    m_restoreSelected.erase(oid);
    if (auto row = m_model->LoadedRowOf(oid))
        m_view->selectionModel()->select(m_model->index(*row, 0),
                                         QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void ObjDataGrid::ClearSelection()
{
    m_restoreSelected.clear();
    m_view->selectionModel()->clearSelection();
}

int ObjDataGrid::CurrentRow() const
{
    const QModelIndex cur = m_view->currentIndex();
    return cur.isValid() ? cur.row() : -1;
}

bool ObjDataGrid::PositionDataSet()
{
    const auto b = Bookmark();
    if (!m_data || !b) return false;
    return m_data->MoveToOID(*b);
}

QString ObjDataGrid::CurrentColumnField() const
{
    const QModelIndex cur = m_view->currentIndex();
    const auto& cols = m_model->ShownColumns();
    if (!cur.isValid() || cur.column() >= int(cols.size())) return QString();
    return cols[size_t(cur.column())].field;
}

QString ObjDataGrid::CurrentCellText() const
{
    const QModelIndex cur = m_view->currentIndex();
    if (!cur.isValid()) return QString();
    return m_model->TextAt(cur.row(), cur.column());
}

int ObjDataGrid::HeaderHeight() const
{
    return m_view->horizontalHeader()->isHidden() ? 0 : m_view->horizontalHeader()->height();
}

void ObjDataGrid::SetMultipleSelection(bool on)
{
    m_multiSelect = on;
    m_view->setSelectionMode(on ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

// --- sorting ----------------------------------------------------------------------------------------

void ObjDataGrid::sortBy(const QString& field)
{
    bool handled = false;
    emit SortRequest(field, &handled);
    if (handled || !m_data) return;
    // By itself the grid turns the order of a column around at each click.
    const QString current = m_data->GetOrder();
    QString order = field;
    if (current.split(u',').value(0).trimmed().section(u' ', 0, 0).compare(field, Qt::CaseInsensitive) == 0)
        order = current.contains(QLatin1String("DESC"), Qt::CaseInsensitive) ? field : field + QStringLiteral(" DESC");
    try {
        m_data->SetOrder(order);
    } catch (const AppError& e) {
        ui().msgBox(e.description, int {Msg::OKOnly} | Msg::Exclamation);
        return;
    }
    Refresh();
}

// --- events -------------------------------------------------------------------------------------------

bool ObjDataGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        bool consumed = false;
        emit KeyDown(key->key(), key->modifiers(), &consumed);
        if (consumed) return true;
    }
    if (event->type() == QEvent::MouseButtonRelease
        && (watched == m_view->viewport() || watched == m_view->horizontalHeader()->viewport())) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const bool onCells = watched == m_view->viewport();
        m_cellIndicator = onCells && m_view->indexAt(mouse->position().toPoint()).isValid() ? 1 : 0;
        const QPoint here = static_cast<QWidget*>(watched)->mapTo(this, mouse->position().toPoint());
        emit MouseUp(mouse->button(), mouse->modifiers(), here.x(), here.y());
    }
    if (event->type() == QEvent::Resize && watched == m_view->viewport()) prefetchVisible();
    return QWidget::eventFilter(watched, event);
}
