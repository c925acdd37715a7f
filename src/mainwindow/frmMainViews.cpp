// The main window's detail area and the commands on its rows: the grid and the view panel,
// the menus of the views, the record, print and export commands, the counter devices' print
// commands on the grid's rows, and what the article search asks of the window.
#include "CounterDevices.h"
#include "DetailViewPanel.h"
#include "GuardedCounterServices.h"
#include "documents/ui/LibraryDocumentOperator.h"
#include "objdb/ui/ObjDataGrid.h"
#include "PrintExport.h"
#include "RecordCommands.h"
#include "dialogs/ReportDisplay.h"
#include "SectionTreeView.h"
#include "objdb/TableData.h"
#include "base/UiServices.h"
#include "documents/ui/frmArticoli.h"
#include "documents/ui/frmForniture.h"
#include "frmMain.h"
#include "documents/ui/frmSearch_Articoli.h"
#include "documents/ui/frmVendite.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

void frmMain::buildViewParts()
{
    DetailViewPanel::Widgets w;
    w.window = this;
    w.menus = &m_menus;
    w.toolbar = m_tbToolBar;
    w.grid = m_dgView;
    w.gridSetting = m_cmdGridSetting;
    w.dateButton = m_cmdDateSel;
    w.sectionTitle = m_lblTitle0;
    w.viewTitle = m_lblTitle1;
    DetailViewPanel::Hooks h;
    h.selectedNode = [this]() -> std::optional<ViewNode> {
        const QTreeWidgetItem* item = m_tvTreeView->currentItem();
        if (!item) return std::nullopt;
        return ViewNode {SectionTreeView::Key(item), item->text(0)};
    };
    h.relayout = [this] { ArrangeMainWindow(m_splitterLeft); };
    h.buildSectionButtons = [this] { BuildSectionButtons(); };
    h.popup = [this](QMenu* menu) { popup(menu); };
    h.guard = [this](const std::function<void()>& work) { handle(work); };
    m_panel = std::make_unique<DetailViewPanel>(w, m_dates, std::move(h));
    auto hold = [this] { return m_panel->HoldView(); };

    RecordCommands::Hooks r;
    r.dataSet = [this] { return m_panel->DataSet(); };
    r.openDocumentForm = [this](const QString& table, qint64 oid) { OpenDocumentForm(table, oid); };
    r.refreshView = [this](const QString& order, const QString& where) { RefreshDetailView(order, where); };
    r.selectNode = [this](const QString& key) {
        if (SelectedNodeKey() != key) SelectNode(key);
    };
    r.newArticle = [this] {
        LibraryDocumentOperator op(this);
        frmArticoli::ShowModal(this, op);
    };
    r.findArticle = [this] { frmSearch_Articoli::ShowModal(this); };
    r.hold = hold;
    m_records = std::make_unique<RecordCommands>(*m_dgView, this, std::move(r));

    PrintExport::Hooks p;
    p.dataSet = [this] { return m_panel->DataSet(); };
    p.gridShown = [this] { return !m_dgView->isHidden(); };
    p.nodeKey = [this] { return SelectedNodeKey(); };
    p.hold = hold;
    m_print = std::make_unique<PrintExport>(this, std::move(p));
}

void frmMain::connectViewCommands()
{
    auto on = [this](QAction* action, auto work) {
        connect(action, &QAction::triggered, this, [this, work] { handle(work); });
    };
    // A check mark the command itself decides: the click's own toggle is taken back first.
    auto decided = [&on](QAction* action, auto work) {
        on(action, [action, work] {
            action->setChecked(!action->isChecked());
            work();
        });
    };
    const MainWindowMenus& m = m_menus;
    GridMenuCommands& grid = m_panel->Grid();

    decided(m.mnuSelAll, [this] { m_panel->SelectAll(); });
    decided(m.mnuSelDate, [this] { m_panel->SelectDay(); });
    decided(m.mnuSelMonth, [this] { m_panel->SelectMonth(); });
    decided(m.mnuSelPeriod, [this] { m_panel->SelectPeriod(); });
    decided(m.mnuDataSelBeforeQuery, [this] { m_panel->EditPredefinedSelections(); });
    on(m.mnuDataSelCancel, [this] { m_panel->DeletePredefinedSelections(); });

    on(m.mnuSearchNext, [&grid] { grid.SearchNext(); });
    decided(m.mnuFilterComplex, [&grid] { grid.RecordComplexFilter(); });
    on(m.mnuFilterCancel, [&grid] { grid.CancelFilters(); });
    on(m.mnuOrderComplex, [&grid] { grid.RecordComplexOrder(); });
    on(m.mnuOrderCancel, [&grid] { grid.ToggleSort(QString()); });
    on(m.mnuFieldFilter, [&grid] { grid.FieldFilter(); });
    on(m.mnuFieldSearchNext, [&grid] { grid.FieldSearchNext(); });
    on(m.mnuFieldFilterCancel, [&grid] { grid.FieldFilterCancel(); });
    on(m.mnuFieldFilterCancelAll, [&grid] { grid.CancelFilters(); });
    on(m.mnulQueryResult, [&grid] { grid.TypedWhere(); });
    on(m.mnuGridFldAll, [&grid] { grid.GridShowAllFields(); });
    decided(m.mnuGridFldSequence, [&grid] { grid.GridFieldSequence(); });
    on(m.mnuGridCancel, [&grid] { grid.GridReset(); });

    on(m.mnuNewVendita, [this] { m_records->NewSale(); });
    on(m.mnuNewFornitura, [this] { m_records->NewSupply(); });
    on(m.mnuNewArticolo, [this] { m_records->NewArticle(); });
    on(m.mnuFind_Articolo, [this] { m_records->FindArticle(); });
    on(m.mnuNotCompleted_Vendite, [this] { m_records->NotCompleted(QStringLiteral("Vendite")); });
    on(m.mnuNotCompleted_Forniture, [this] { m_records->NotCompleted(QStringLiteral("Forniture")); });

    on(m.cmdPreview, [this] { m_print->Report(ReportPreview); });
    on(m.mnuPrint, [this] { m_print->Report(ReportPrint); });
    on(m.mnuPrintExport, [this] { m_print->Report(ReportExport); });
    on(m.mnuSave, [this] { m_print->SaveData(); });
    on(m.mnuViewWebBrowser, [this] { m_print->WebBrowser(); });
    on(m.mnuPrintLabel, [this] { mnuPrintLabel_Click(); });
    on(m.mnuFiscalPrint, [this] { mnuFiscalPrint_Click(); });
    on(m.mnuFiscalPrint_Ricevuta, [this] { mnuFiscalPrint_Ricevuta_Click(); });

    connect(m_cmdDateSel, &QPushButton::clicked, this, [this] { handle([this] { popup(m_menus.mnuSelection); }); });
    connect(m_cmdGridSetting, &QToolButton::clicked, this,
            [this] { handle([this] { popup(m_menus.mnuGridSetting); }); });
    connect(m_dgView, &ObjDataGrid::DblClick, this, [this] { handle([this] { m_records->DblClick(); }); });
    connect(m_dgView, &ObjDataGrid::MouseUp, this, [this](Qt::MouseButtons button, Qt::KeyboardModifiers, int, int y) {
        handle([&] { m_panel->Grid().MouseUp(button, y); });
    });
    connect(m_dgView, &ObjDataGrid::SortRequest, this, [this](const QString& field, bool* handled) {
        handle([&] { m_panel->Grid().SortRequest(field, handled); });
    });
}

QWidget* frmMain::DetailArea() const { return m_dgView; }

QString frmMain::findTag() const { return m_panel->Grid().FindTag(); }

TableData* frmMain::positionedDataSet()
{
    TableData* ds = m_panel->DataSet();
    // The data set's own cursor does not follow the grid: commands on "the row" take the
    // one the operator sees.
    if (ds && !m_dgView->isHidden()) (void)m_dgView->PositionDataSet();
    return ds;
}

void frmMain::OpenDocumentForm(const QString& table, qint64 oid)
{
    // An existing document opens on the data set standing on it; a new one opens empty.
    TableData* document = nullptr;
    if (oid != 0) {
        document = m_panel->DataSet();
        if (!document || document->tableName() != table || !document->MoveToOID(oid)) {
            ui().beep();
            return;
        }
    }
    if (table == QLatin1String("Vendite"))
        frmVendite::Open(this, document);
    else if (table == QLatin1String("Forniture"))
        frmForniture::Open(this, document);
    else
        ui().beep();
}

void frmMain::mnuFiscalPrint_Click()
{
    const auto held = m_panel->HoldView();
    m_guarded->ReprintReceipt(positionedDataSet());
}

void frmMain::mnuPrintLabel_Click() { m_guarded->mnuPrintLabel_Click(); }

void frmMain::mnuFiscalPrint_Ricevuta_Click()
{
    const auto held = m_panel->HoldView();
    m_counter->Labels().mnuFiscalPrint_Ricevuta_Click(positionedDataSet());
}

void frmMain::ExportTableToHtml(TableData* rows, const QString& fieldOrder)
{
    PrintExport::ExportTableToHtml(rows, this, fieldOrder);
}

// ---- ArticleSearchHost --------------------------------------------------------------------------

QString frmMain::SelectedNodeKey() const { return SectionTreeView::Key(m_tvTreeView->currentItem()); }

void frmMain::SelectNode(const QString& key)
{
    QTreeWidgetItem* item = SectionTreeView::ItemByKey(*m_tvTreeView, key);
    if (!item) return;
    const QSignalBlocker quiet(m_tvTreeView);
    m_tvTreeView->setCurrentItem(item);
}

TableData* frmMain::CurrentDataSet() { return m_panel->DataSet(); }

void frmMain::DataSetFiltered()
{
    if (m_dgView->IsAttached()) m_dgView->Refresh();
}

void frmMain::ClearSelection() { m_dgView->ClearSelection(); }

void frmMain::SelectRow(qint64 oid)
{
    // With several rows selectable, the row found joins the selection as it becomes current.
    if (m_dgView->IsAttached()) m_dgView->SetBookmark(oid);
}

void frmMain::mnuFileProperties_Click() { m_records->FileProperties(); }
