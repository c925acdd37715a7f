#include "DetailViewPanel.h"
#include "CommandEnabling.h"
#include "core/configuration/Configuration.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "operations/DateSelection.h"
#include "core/lifecycle/ErrorReporting.h"
#include "GridFields.h"
#include "MainWindowMenus.h"
#include "objdb/ui/ObjDataGrid.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"
#include "dialogs/frmMessage.h"
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QPainter>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>

namespace {

// A vertical header that draws its sections without the row numbers: a million rows need
// no numbers measured, and the operator picks a row by its selector.
class RowSelectorHeader final : public QHeaderView {
public:
    RowSelectorHeader(int width, QWidget* parent) : QHeaderView(Qt::Vertical, parent), m_width(width)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(true);
        setHighlightSections(true);
    }
    QSize sizeHint() const override { return QSize(m_width, QHeaderView::sizeHint().height()); }

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override
    {
        if (!rect.isValid()) return;
        QStyleOptionHeader opt;
        initStyleOption(&opt);
        opt.rect = rect;
        opt.section = logicalIndex;
        opt.text.clear();
        style()->drawControl(QStyle::CE_Header, &opt, painter, this);
    }

private:
    int m_width;
};

}   // namespace

void InstallRowSelectors(ObjDataGrid& grid, int width)
{
    QTableView* view = grid.View();
    const int rowHeight = view->verticalHeader()->defaultSectionSize();
    auto* header = new RowSelectorHeader(width, view);
    view->setVerticalHeader(header);
    header->setDefaultSectionSize(rowHeight);
    header->setFixedWidth(width);
    header->show();
}

DetailViewPanel::DetailViewPanel(Widgets widgets, DateSelection& dates, Hooks hooks)
    : m_w(widgets), m_dates(dates), m_locale(DateSelection::DisplayLocale()), m_hooks(std::move(hooks)),
      m_dialogs(widgets.window)
{
    GridMenuCommands::Context c;
    c.window = m_w.window;
    c.menus = m_w.menus;
    c.toolbar = m_w.toolbar;
    c.grid = m_w.grid;
    c.dataSet = [this] { return DataSet(); };
    c.refreshView = [this] { Refresh(QString(), QString()); };
    c.popup = m_hooks.popup;
    c.guard = m_hooks.guard;
    c.hold = [this] { return HoldView(); };
    m_grid = std::make_unique<GridMenuCommands>(std::move(c));
}

DetailViewPanel::~DetailViewPanel()
{
    // The grid outlives the view it shows: it must not read it once it is gone.
    if (m_w.grid) m_w.grid->Detach();
}

TableData* DetailViewPanel::DataSet() const { return m_view ? m_view->DataSet() : nullptr; }

ViewQuery DetailViewPanel::Query() const { return m_view ? m_view->Query() : ViewQuery(); }

bool DetailViewPanel::ensureView()
{
    Database* db = g_objDatabase.get();
    if (!db) return false;
    if (m_view && m_db == db) return true;
    Release();
    m_db = db;
    m_view = std::make_unique<DetailView>(*db, m_dates, m_dialogs, LibraryDataSelections());
    DetailView::Hooks h;
    h.opening = [this] {
        // From here to the end of the refresh: the hourglass and the progress window.
        if (!m_hourglass) QApplication::setOverrideCursor(Qt::WaitCursor);
        m_hourglass = true;
        frmMessage::instance().ShowMsg(QStringLiteral("Lettura dati..."), m_w.window, -1, -1);
        QCoreApplication::processEvents();
    };
    h.dropping = [this] { m_w.grid->Detach(); };
    m_view->SetHooks(std::move(h));
    ViewCommandHooks vh;
    vh.showCaptions = [this] { ShowDateCaptions(); };
    vh.saveConfiguration = [] { SaveConfiguration(); };
    vh.refresh = [this] { Refresh(QString(), QString()); };
    m_commands = std::make_unique<ViewCommands>(*m_view, *db, m_dates, m_dialogs, std::move(vh));
    m_grid->SetDatabase(db);
    return true;
}

void DetailViewPanel::Release()
{
    m_w.grid->Detach();
    m_w.grid->hide();
    m_grid->Reset();
    m_grid->SetDatabase(nullptr);
    m_commands.reset();
    m_view.reset();
    m_db = nullptr;
}

void DetailViewPanel::resetMenus()
{
    m_w.viewTitle->setText(m_w.viewTitle->property("Tag").toString());
    m_grid->Reset();
    const MainWindowMenus& m = *m_w.menus;
    m.mnuDataSelBeforeQuery->setChecked(false);
    for (QAction* a : {m.mnuFiscalPrint, m.mnuPrintLabel, m.mnuFiscalPrint_Ricevuta}) a->setEnabled(false);
    m.mnuFiscalPrint_Ricevuta->setVisible(settings().Use_Ricevute);
}

DetailViewPanel::ViewHold DetailViewPanel::HoldView()
{
    ++m_holds;
    return ViewHold(this, [](void* p) {
        auto* panel = static_cast<DetailViewPanel*>(p);
        if (--panel->m_holds > 0 || !panel->m_waitingRefresh) return;
        const auto [order, where] = *std::exchange(panel->m_waitingRefresh, std::nullopt);
        // Released as a command ends, also when it fails: the refresh reports its own failures,
        // and nothing may leave this release.
        try {
            panel->Refresh(order, where);
        } catch (...) {
            ShowErrorDetails(QString());
        }
    });
}

void DetailViewPanel::Refresh(const QString& order, const QString& where)
{
    if (m_holds > 0) {
        m_waitingRefresh = std::pair {order, where};
        return;
    }
    if (!IsDatabaseOpen() || Refreshing()) return;
    if (!ensureView()) return;
    resetMenus();

    DetailView::Request r;
    if (m_hooks.selectedNode) r.node = m_hooks.selectedNode();
    r.order = order;
    r.where = where;
    r.sectionTitle = m_w.sectionTitle->text();
    r.titleTag = m_w.viewTitle->property("Tag").toString();
    if (m_w.grid->IsAttached()) r.gridBookmark = m_w.grid->Bookmark();

    // The opening puts up the hourglass and the progress window once the operator's
    // questions are over; both go however the refresh ends.
    struct Opening {
        bool& hourglass;
        ~Opening()
        {
            frmMessage::unloadInstance();
            if (hourglass) QApplication::restoreOverrideCursor();
            hourglass = false;
        }
    } opening {m_hourglass};
    const DetailView::Outcome outcome = m_view->Refresh(r);
    if (outcome == DetailView::Outcome::Skipped) return;
    showQueryTexts();
    if (outcome == DetailView::Outcome::Shown)
        attachGrid();
    else
        noView();
    applyEnabling();
    if (m_hooks.buildSectionButtons) m_hooks.buildSectionButtons();
}

void DetailViewPanel::showQueryTexts()
{
    const ViewQuery& q = m_view->Query();
    m_w.viewTitle->setText(q.Title.isEmpty() ? m_w.viewTitle->property("Tag").toString() : q.Title);
    for (const QString& text : q.StatusTexts) ui().status(text);
    m_w.menus->mnuDataSelBeforeQuery->setChecked(q.SelectionsBeforeQuery);
}

void DetailViewPanel::attachGrid()
{
    ObjDataGrid& g = *m_w.grid;
    TableData* ds = m_view->DataSet();
    g.SetDataSet(ds);
    g.ClearSelection();
    g.SetRowCommands(true);
    g.SetMultipleSelection(true);
    // The row current before, when the same table is shown again; else the first.
    if (const std::optional<qint64> kept = m_view->KeptRow())
        g.SetBookmark(*kept);
    else if (ds && !ds->IsEmpty())
        g.SetBookmark(ds->GetOID());

    m_w.dateButton->setProperty("Tag", m_view->Query().DateField);
    ShowDateCaptions();
    g.show();
    m_w.gridSetting->show();
    if (m_hooks.relayout) m_hooks.relayout();
    m_grid->ViewOpened(m_view->Query(), BuildFieldMenus(ShownFields(*m_view)));
}

void DetailViewPanel::noView()
{
    m_w.grid->Detach();
    m_w.grid->hide();
    m_w.gridSetting->hide();
    m_w.dateButton->hide();
    m_w.dateButton->setProperty("Tag", QString());
    if (m_hooks.relayout) m_hooks.relayout();
}

void DetailViewPanel::applyEnabling()
{
    std::optional<QString> sequence;
    if (const GridLayout* layout = m_w.grid->Layout()) sequence = layout->FieldSequence();
    const int level = m_db ? m_db->AccessLevel() : 0;
    const CommandEnabling e = CommandEnabling::Compute(CommandEnabling::InputFrom(*m_view, level, sequence));
    for (const CommandSwitch& s : e.switches) {
        const auto [action, control] = FindSwitchTarget(*m_w.window, *m_w.toolbar, s);
        switch (s.property) {
        case CommandSwitch::Property::Enabled:
            if (action) action->setEnabled(s.value);
            if (control) control->setEnabled(s.value);
            break;
        case CommandSwitch::Property::Visible:
            if (action) action->setVisible(s.value);
            if (control) control->setVisible(s.value);
            break;
        case CommandSwitch::Property::Checked:
            if (action) action->setChecked(s.value);
            break;
        }
    }
    m_w.dateButton->setProperty("Tag", e.dateButtonTag);
    // The move to the backup archive acts on the shown row, like the other row commands.
    m_w.menus->mnuMoveRow->setEnabled(m_view->HasView());
}

// ---- date selection and view commands ------------------------------------------------------------------

QString DetailViewPanel::dateFieldCaption() const
{
    const QString field = m_w.dateButton->property("Tag").toString();
    if (field.isEmpty() || !m_view) return QString();
    for (const FieldInfo& f : ShownFields(*m_view))
        if (f.Name.compare(field, Qt::CaseInsensitive) == 0) return f.Caption;
    return field;
}

QString DetailViewPanel::nodeText() const
{
    const std::optional<ViewNode> node = m_hooks.selectedNode ? m_hooks.selectedNode() : std::nullopt;
    return node ? node->text : QString();
}

void DetailViewPanel::ShowDateCaptions()
{
    const DateSelection::Captions c = m_dates.captions(dateFieldCaption(), m_locale);
    m_w.dateButton->setText(c.button);
    m_w.dateButton->setToolTip(c.toolTip);
    const MainWindowMenus& m = *m_w.menus;
    m.mnuSelection->setTitle(c.menu);
    m.mnuSelAll->setChecked(c.allChecked);
    m.mnuSelDate->setChecked(c.dayChecked);
    m.mnuSelMonth->setChecked(c.monthChecked);
    m.mnuSelPeriod->setChecked(c.periodChecked);
}

void DetailViewPanel::SetLocale(const QLocale& locale)
{
    m_locale = locale;
    m_grid->SetLocale(locale);
    ShowDateCaptions();
}

void DetailViewPanel::SelectAll()
{
    if (m_commands) m_commands->SelectAll();
    ShowDateCaptions();
}

void DetailViewPanel::SelectDay()
{
    if (m_commands) m_commands->SelectDay();
    ShowDateCaptions();
}

void DetailViewPanel::SelectMonth()
{
    if (m_commands) m_commands->SelectMonth();
    ShowDateCaptions();
}

void DetailViewPanel::SelectPeriod()
{
    if (m_commands) m_commands->SelectPeriod();
    ShowDateCaptions();
}

void DetailViewPanel::ToggleCurrencyConversion()
{
    QAction* menu = m_w.menus->mnuViewCurrencyConversion;
    if (!m_commands) return;
    menu->setChecked(m_commands->ToggleCurrencyConversion(menu->isChecked()));
}

void DetailViewPanel::EditPredefinedSelections()
{
    QAction* menu = m_w.menus->mnuDataSelBeforeQuery;
    const bool before = menu->isChecked();
    const std::optional<bool> ticked = m_commands ? m_commands->EditPredefinedSelections(nodeText()) : std::nullopt;
    menu->setChecked(ticked.value_or(before));
}

void DetailViewPanel::DeletePredefinedSelections()
{
    QAction* menu = m_w.menus->mnuDataSelBeforeQuery;
    const bool before = menu->isChecked();
    const std::optional<bool> ticked = m_commands ? m_commands->DeletePredefinedSelections(nodeText()) : std::nullopt;
    menu->setChecked(ticked.value_or(before));
}
