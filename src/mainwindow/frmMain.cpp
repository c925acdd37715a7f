#include "frmMain.h"
#include "ArchiveMode.h"
#include "core/configuration/Configuration.h"
#include "CounterDevices.h"
#include "objdb/Database.h"
#include "DetailViewPanel.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "dialogs/FormUtilities.h"
#include "GuardedCounterServices.h"
#include "objdb/ui/LibraryApplication.h"
#include "LibraryNotifications.h"
#include "MainOperationWindows.h"
#include "MainWindowPlacement.h"
#include "objdb/ui/ObjDataGrid.h"
#include <QTableView>
#include "PrintExport.h"
#include "dialogs/ProgramPictures.h"
#include "RecordCommands.h"
#include "dialogs/ReportDisplay.h"
#include "SectionTreeView.h"
#include "dialogs/SystemEnd.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "dialogs/clsOSTNA.h"
#include "printing/ScriptRunners.h"
#include "printing/ui/WindowPrintProgress.h"
#include "frmBackupRestore.h"
#include "frmMemo.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {
// Design-time geometry, twips.
constexpr double kTreeLeft = 45;
constexpr double kSplitterWidth = 60;
constexpr double kTitlesHeight = 360;
constexpr double kHideButtonWidth = 330;
constexpr double kDateButtonWidth = 2400;
constexpr double kDragBarTrim = 20;

const char* const kHighlight = "background-color: #ffffc0;";   // the hide button while the tree is hidden
const char* const kSectionButtonStyle = "background-color: #e0e0e0; font-family: 'Comic Sans MS';";

int px(double twips) { return std::max(0, TwipsToPixels(twips)); }

// The pictures of the tree's nodes, by image key.
QIcon treeIcon(const QString& key)
{
    static const QHash<QString, QStyle::StandardPixmap> pictures {
        {QStringLiteral("Operation"), QStyle::SP_DirOpenIcon},
        {QStringLiteral("Sale"), QStyle::SP_ArrowForward},
        {QStringLiteral("OperationElement"), QStyle::SP_ArrowBack},
        {QStringLiteral("Anagrafic"), QStyle::SP_DirHomeIcon},
        {QStringLiteral("AnagraficCliFor"), QStyle::SP_FileDialogContentsView},
        {QStringLiteral("Article"), QStyle::SP_FileIcon},
        {QStringLiteral("Report"), QStyle::SP_DirIcon},
        {QStringLiteral("ReportElement"), QStyle::SP_FileDialogDetailedView},
        {QStringLiteral("Archive"), QStyle::SP_DriveHDIcon},
    };
    return QApplication::style()->standardIcon(pictures.value(key, QStyle::SP_FileIcon));
}

}   // namespace

// ---- Loading -----------------------------------------------------------------------------------

frmMain::frmMain() : frmMain(std::unique_ptr<NotificationArea>()) { }

frmMain::frmMain(std::unique_ptr<NotificationArea> notificationArea)
    : frmMain(std::move(notificationArea), ReceiptService(), LabelPrinting())
{ }

frmMain::frmMain(std::unique_ptr<NotificationArea> notificationArea, ReceiptService receipts, LabelPrinting labels)
    : m_dates(DateSelection::AtStart()), m_lifecycle(*this),
      m_tray(std::make_unique<clsOSTNA>(std::move(notificationArea)))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(AppTitle());
    setWindowIcon(QIcon(ProgramLogo(32)));
    // The labels print the rows chosen in the grid: the current one, or those selected.
    auto selection = [this] {
        CounterDevices::Selection s;
        s.hold = m_panel->HoldView();
        s.shown = positionedDataSet();
        if (s.shown)
            for (qint64 oid : m_dgView->SelectedBookmarks()) s.selected << oid;
        return s;
    };
    m_counter = std::make_unique<::CounterDevices>(selection, std::move(receipts), std::move(labels));
    m_guarded = std::make_unique<GuardedCounterServices>(*m_counter);
    buildWidgets();
    buildViewParts();
    connectCommands();
    connectViewCommands();
    connectDevices();

    const MainPlacement placement = MainWindowPlacement::Restore(*this);
    m_splitterLeft = placement.split;
    m_tray->IconStart(m_txtTNAInterface, windowIcon(), windowTitle(),
                      [this](float x) { handle([&] { NotificationMouse(x); }); });
    SetAppTitle();
    SetDataSelectionCaption();

    setMainWindowServices(this);
    SetReceiptProgressSource(&MainWindowPrintProgress);
    setOperationWindows(&mainOperationWindows());
    setArticleSearchHost(this);
    setCounterServices(m_guarded.get());
    // Rows without a report layout come to the browser as this window writes them.
    setReportBrowserExport([this](TableData& rows, QWidget*) { ExportTableToHtml(&rows, QString()); });
    qApp->installEventFilter(this);
    // The desktop session ends: the window unloads without the questions of the close command.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { EndForSystem(); });
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (m_unloaded) return;
        m_unloaded = true;
        m_lifecycle.Unload();
    });
}

void frmMain::SetDataSelectionCaption() { m_panel->ShowDateCaptions(); }

frmMain::~frmMain()
{
    qApp->removeEventFilter(this);
    if (m_memo) delete m_memo.data();
    setReportBrowserExport(nullptr);
    if (counterServices() == m_guarded.get()) setCounterServices(nullptr);
    if (articleSearchHost() == this) setArticleSearchHost(nullptr);
    if (operationWindows() == &mainOperationWindows()) setOperationWindows(nullptr);
    if (mainWindowServices() == this) {
        SetReceiptProgressSource(nullptr);
        setMainWindowServices(nullptr);
    }
    // The grid lets go of the view before the view goes.
    m_panel.reset();
}

void frmMain::buildWidgets()
{
    m_menus = MainWindowMenus::Build(*this, AppTitle());
    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("client"));
    setCentralWidget(m_client);

    m_tbToolBar = BuildMainToolbar(m_client);
    for (const char* key : {"New", "Properties", "Delete", "Save", "Filter", "Find", "Print"})
        ToolbarAction(*m_tbToolBar, QString::fromLatin1(key))->setEnabled(false);

    m_picTitles = new QFrame(m_client);
    m_picTitles->setObjectName(QStringLiteral("picTitles"));
    m_picTitles->setFrameShape(QFrame::StyledPanel);
    m_lblTitle0 = new QLabel(QStringLiteral(" Sezione:"), m_picTitles);
    m_lblTitle0->setObjectName(QStringLiteral("lblTitle0"));
    m_cmdHideTree = new QToolButton(m_picTitles);
    m_cmdHideTree->setObjectName(QStringLiteral("cmdHideTree"));
    m_cmdHideTree->setToolTip(QStringLiteral("Nascondi / Visualizza Sezione"));
    m_cmdHideTree->setArrowType(Qt::LeftArrow);
    m_cmdHideTree->setProperty("caption", QStringLiteral("3"));
    m_lblTitle1 = new QLabel(QStringLiteral(" Dettagli:"), m_picTitles);
    m_lblTitle1->setObjectName(QStringLiteral("lblTitle1"));
    m_lblTitle1->setProperty("Tag", m_lblTitle1->text());
    m_cmdDateSel = new QPushButton(m_picTitles);
    m_cmdDateSel->setObjectName(QStringLiteral("cmdDateSel"));
    m_cmdDateSel->setToolTip(QStringLiteral("Imposta il periodo di selezione dei dati"));
    m_cmdDateSel->hide();

    m_tvTreeView = new QTreeWidget(m_client);
    m_tvTreeView->setObjectName(QStringLiteral("tvTreeView"));
    m_tvTreeView->setHeaderHidden(true);
    m_tvTreeView->setColumnCount(1);
    m_imgSplitter = new QFrame(m_client);
    m_imgSplitter->setObjectName(QStringLiteral("imgSplitter"));
    m_imgSplitter->setCursor(Qt::SplitHCursor);
    m_picSplitter = new QFrame(m_client);
    m_picSplitter->setObjectName(QStringLiteral("picSplitter"));
    m_picSplitter->setStyleSheet(QStringLiteral("background-color: #808080;"));
    m_picSplitter->hide();

    // The detail area: the grid of the shown view; a section's buttons stand there instead.
    m_dgView = new ObjDataGrid(m_client, QStringLiteral("dgView"));
    m_dgView->SetLayoutFile(GridLayout::DefaultFile());
    m_dgView->hide();
    m_cmdGridSetting = new QToolButton(m_client);
    m_cmdGridSetting->setObjectName(QStringLiteral("cmdGridSetting"));
    m_cmdGridSetting->setToolTip(QStringLiteral("Griglia"));
    m_cmdGridSetting->setArrowType(Qt::DownArrow);
    m_cmdGridSetting->hide();
    // As wide and high as a row: the column header is a row's height too.
    const int corner = m_dgView->View()->verticalHeader()->defaultSectionSize();
    m_cmdGridSetting->setFixedSize(corner, corner);
    InstallRowSelectors(*m_dgView, corner);

    m_sbStatusBar = new QStatusBar(m_client);
    m_sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    m_sbStatusBar->setSizeGripEnabled(false);
    m_lblStatus = new QLabel(m_sbStatusBar);
    m_lblStatus->setObjectName(QStringLiteral("sbPanel1"));
    m_lblReminderSign = new QLabel(m_sbStatusBar);
    m_lblReminderSign->setObjectName(QStringLiteral("sbPanel2"));
    m_lblReminderSign->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(16, 16));
    m_lblReminderSign->setToolTip(QStringLiteral("Promemoria"));
    m_lblReminderSign->hide();
    m_sbStatusBar->addWidget(m_lblStatus, 1);
    m_sbStatusBar->addPermanentWidget(m_lblReminderSign);

    m_txtTNAInterface = new QLineEdit(this);
    m_txtTNAInterface->setObjectName(QStringLiteral("txtTNAInterface"));
    m_txtTNAInterface->hide();

    m_client->installEventFilter(this);
    m_imgSplitter->installEventFilter(this);
}

// ---- Shell services ------------------------------------------------------------------------------

void frmMain::reportHandlerError() { ShowErrorDetails(QString()); }

void frmMain::SetAppTitle() { setWindowTitle(ArchiveMode::WindowTitle(AppTitle())); }

void frmMain::SetStatusMsg(const QString& text) { m_lblStatus->setText(text); }

frmMemo* frmMain::ReminderWindow() const { return m_memo; }

QString frmMain::StatusText() const { return m_lblStatus->text(); }

void frmMain::ReleaseDatabase()
{
    // Nothing may go on reading the database about to go: the grid lets go of its view, and
    // the library's rows windows opened from it (related data) close.
    m_panel->Release();
    LibraryApplication::Instance().CloseWindows();
    ReleaseDatabaseObjects();
}

void frmMain::OnEvent(int action, const QString&, const QString& detail)
{
    ui().status(LibraryNotifications::EventText(action, detail));
}

void frmMain::OnInternalMessage(const QString&, const QString& detail)
{
    LibraryNotifications::InternalMessage(detail);
}

void frmMain::OnQueryMessage(const QString&, int messageType, const QString& message, bool& cancel)
{
    cancel = LibraryNotifications::QueryMessage(messageType, message, cancel);
}

// ---- Activation --------------------------------------------------------------------------------

void frmMain::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    handle([this] { ArrangeMainWindow(m_splitterLeft); });
    // Some platforms (offscreen) never activate a window: the first showing counts.
    if (m_autoActivate) QTimer::singleShot(0, this, [this] { Activate(); });
}

void frmMain::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && m_autoActivate)
        QTimer::singleShot(0, this, [this] { Activate(); });
    if (e->type() == QEvent::WindowStateChange) handle([this] { ArrangeMainWindow(m_splitterLeft); });
}

void frmMain::Activate()
{
    if (!isVisible() || m_unloading || m_unloaded) return;
    handle([this] { m_lifecycle.Activate(); });
    // Once the operator is in: not while the activation itself waits on the login.
    if (IsDatabaseOpen() && !m_lifecycle.Activating() && !m_takingCommands && !m_unloading && !m_unloaded)
        QTimer::singleShot(0, this, [this] { takeAnswerCommands(); });
}

void frmMain::SetTreeViewNodes()
{
    if (!g_objDatabase) return;
    SectionTreeView::Fill(*m_tvTreeView, *g_objDatabase, SectionTreeOptions {settings().Use_PagamentoForniture},
                          treeIcon);
    m_menus.mnuTicketSetting->setVisible(settings().Use_Ricevute);
}

void frmMain::SetCurrencyMenu(const std::optional<QString>& caption, bool checked)
{
    QAction* menu = m_menus.mnuViewCurrencyConversion;
    menu->setVisible(caption.has_value());
    if (!caption) return;
    menu->setText(*caption);
    menu->setChecked(checked);
}

DeviceActivation::Devices frmMain::DeviceSwitchFunctions()
{
    DeviceSwitches& s = m_counter->Switches();
    DeviceActivation::Devices d;
    d.setFiscalPrinter = [&s](bool on) { s.SetFiscalPrinter(on); };
    d.setBarcodeReader = [&s](bool on) { s.SetBarcodeReader(on); };
    d.fiscalPrinterOn = [&s] { return s.State(CounterDevice::FiscalPrinter).on; };
    d.driverActive = [] { return FiscalPrinterActive(); };
    d.barcodeReaderOn = [&s] { return s.State(CounterDevice::BarcodeReader).on; };
    return d;
}

void frmMain::SetDeviceControls(const DeviceActivation::Controls& controls)
{
    for (QAction* a : {ToolbarAction(*m_tbToolBar, QStringLiteral("FiscalPrinter")), m_menus.mnuFiscalPrinter})
        a->setEnabled(controls.registerEnabled);
    for (QAction* a : {ToolbarAction(*m_tbToolBar, QStringLiteral("BarcodeReader")), m_menus.mnuBarcodeReader})
        a->setVisible(controls.readerVisible);
    syncDeviceControls();
}

void frmMain::SetMenuStates(const ActivationMenuStates& s)
{
    m_menus.mnuFiscalPrint_Ricevuta->setVisible(s.receiptReprint);
    m_menus.mnuFiscalPrint_Ricevuta->setEnabled(s.receiptReprint);
    m_menus.mnuBackup->setEnabled(s.backup);
    m_menus.mnuRestore->setEnabled(s.restore);
    m_menus.mnuBackupRestoreAction->setEnabled(s.backupRestore);
    m_menus.mnuOperationAction->setEnabled(s.operation);
    m_menus.mnuToolsOptionsAction->setEnabled(s.toolsOptions);
}

void frmMain::RunSaveCommand() { ArchiveMode::SaveCommand(archiveHooks()); }

void frmMain::LoadReminderWindow()
{
    if (m_memo) return;
    // No owner: the reminders must be able to come up while the main window is hidden.
    m_memo = new frmMemo(nullptr);
    m_memo->setReminderSign([this](bool shown) { m_lblReminderSign->setVisible(shown); });
}

void frmMain::LeaveArchiveMode()
{
    if (ArchiveMode::SwitchMode(archiveHooks())) m_menus.mnuBackupAppMode->setChecked(g_bBackupArchiveMode);
}

ArchiveMode::Hooks frmMain::archiveHooks()
{
    ArchiveMode::Hooks h;
    h.window = this;
    h.releaseDatabase = [this] { ReleaseDatabase(); };
    h.activate = [this] { Activate(); };
    h.setAppTitle = [this] { SetAppTitle(); };
    h.refreshDetailView = [this] { RefreshDetailView(QString(), QString()); };
    h.unload = [this] { UnloadMainWindow(); };
    h.querySelections = [this](bool restore, const QString& caption) {
        return frmBackupRestore::QuerySelections(this, caption, restore);
    };
    h.backupRestoreData = [](const BackupRequest& request) { (void)BackupRestoreData(request); };
    return h;
}

// ---- The end ----------------------------------------------------------------------------------

void frmMain::closeEvent(QCloseEvent* e)
{
    if (m_unloaded) {
        e->accept();
        return;
    }
    e->ignore();
    if (!m_unloading) handle([this] { (void)m_lifecycle.QueryUnload(MainWindowLifecycle::CloseCause::CloseBox); });
}

void frmMain::UnloadMainWindow(MainWindowLifecycle::CloseCause cause)
{
    if (m_unloading || m_unloaded) return;
    // Whatever asked for the close meanwhile (a refused login, "Chiudi"), the system is ending
    // the program: no save is offered.
    if (systemEnding()) cause = MainWindowLifecycle::CloseCause::System;
    m_unloading = true;
    bool unload = false;
    handle([&] { unload = m_lifecycle.QueryUnload(cause); });
    if (!unload) {
        m_unloading = false;
        return;
    }
    m_lifecycle.Unload();
    m_unloaded = true;
    m_unloading = false;
    hide();
    emit Unloaded();
}

void frmMain::EndForSystem()
{
    if (m_unloading || m_unloaded) return;
    EndProgramForSystem([this] {
        handle([this] { UnloadMainWindow(MainWindowLifecycle::CloseCause::System); });
        // A window that refused to close does not keep the system waiting: the program ends,
        // and its end unloads this window all the same. Not quit(): that asks the windows
        // to close, and this one refuses a close that is not its unload.
        if (!m_unloaded) QCoreApplication::exit(0);
    });
}

bool frmMain::ReceiptOpen() const { return m_guarded->ReceiptOpen(); }

GridLayout* frmMain::ViewLayout() { return m_dgView->Layout(); }

void frmMain::HideToNotificationArea() { m_tray->HideMainWindow(this); }

bool frmMain::UnloadOtherWindows(QString* why)
{
    if (m_memo) {
        m_memo->Unload();
        delete m_memo.data();
    }
    QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        QWidget* w = *it;
        if (w == this || !w->isWindow() || !w->isVisible()) continue;
        const Qt::WindowType type = w->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::Desktop || type == Qt::SplashScreen) continue;
        if (!w->close()) {
            if (why) *why = QStringLiteral("La finestra <") + w->windowTitle() + QStringLiteral("> non si è chiusa");
            return false;
        }
    }
    return true;
}

void frmMain::StorePlacement() { MainWindowPlacement::Save(MainWindowPlacement::Current(*this, m_splitterLeft)); }

void frmMain::StopNotificationIcon() { m_tray->IconStop(); }

void frmMain::ShowFromNotificationArea()
{
    if (isVisible() && !isMinimized()) return;
    showNormal();
    raise();
    activateWindow();
}

void frmMain::Form_DblClick()
{
    if (TableData* ds = m_panel->DataSet()) LibraryApplication::Instance().OpenView(*ds)->Show();
}

void frmMain::NotificationMouse(float x)
{
    if (clsOSTNA::IsDoubleClick(x))
        ShowFromNotificationArea();
    else if (clsOSTNA::IsRightButton(x))
        popup(m_menus.mnuPopUp);
}

// ---- Tree, detail area and layout --------------------------------------------------------------

void frmMain::RefreshDetailView(const QString& order, const QString& where)
{
    // Before a database is open there is no view, but a section's buttons.
    if (!IsDatabaseOpen()) {
        BuildSectionButtons();
        return;
    }
    m_panel->Refresh(order, where);
}

LayoutMetrics frmMain::measure() const
{
    LayoutMetrics m;
    m.visible = isVisible();
    m.minimised = isMinimized();
    m.width = PixelsToTwips(frameGeometry().width());
    m.scaleWidth = PixelsToTwips(m_client->width());
    m.scaleHeight = PixelsToTwips(m_client->height());
    m.treeLeft = kTreeLeft;
    m.splitterLeft = m_splitterLeft;
    m.splitterWidth = kSplitterWidth;
    m.toolbarHeight = PixelsToTwips(m_tbToolBar->sizeHint().height());
    m.toolbarShown = m_menus.mnuViewToolbar->isChecked();
    m.statusHeight = PixelsToTwips(m_sbStatusBar->sizeHint().height());
    m.statusShown = m_menus.mnuViewStatusBar->isChecked();
    m.titlesTop = m.toolbarShown ? m.toolbarHeight : 0;
    m.titlesHeight = kTitlesHeight;
    m.hideButtonWidth = kHideButtonWidth;
    m.dateButtonWidth = kDateButtonWidth;
    m.dateButtonVisible = !m_cmdDateSel->isHidden();
    m.treeHidden = m_treeHidden;
    return m;
}

void frmMain::ArrangeMainWindow(double treeWidth)
{
    const LayoutMetrics m = measure();
    const std::optional<MainLayout> l = m_layout.Arrange(treeWidth, m);
    if (!l) return;
    if (l->windowWidth) resize(px(*l->windowWidth) - (frameGeometry().width() - width()), height());

    const int clientWidth = m_client->width(), clientHeight = m_client->height();
    const int toolbarHeight = px(m.toolbarHeight), statusHeight = px(m.statusHeight);
    m_tbToolBar->setGeometry(0, 0, clientWidth, toolbarHeight);
    m_tbToolBar->setVisible(m.toolbarShown);
    m_picTitles->setGeometry(0, px(m.titlesTop), clientWidth, px(m.titlesHeight));
    m_sbStatusBar->setGeometry(0, clientHeight - statusHeight, clientWidth, statusHeight);
    m_sbStatusBar->setVisible(m.statusShown);

    m_tvTreeView->setGeometry(px(l->tree.left), px(l->tree.top), px(l->tree.width), px(l->tree.height));
    m_tvTreeView->setVisible(l->treeVisible);
    m_splitterLeft = l->splitter.left;
    m_imgSplitter->setGeometry(px(l->splitter.left), px(l->splitter.top), px(l->splitter.width),
                               px(l->splitter.height));
    m_picSplitter->move(m_picSplitter->x(), px(l->dragBarTop));
    m_dgView->setGeometry(px(l->grid.left), px(l->grid.top), px(l->grid.width), px(l->grid.height));
    m_cmdGridSetting->move(px(l->gridSettingLeft), px(l->gridSettingTop));

    const int stripHeight = m_picTitles->height();
    const int buttonSize = std::min(px(m.hideButtonWidth), stripHeight);
    m_lblTitle0->setGeometry(px(l->tree.left), 0, px(l->title0Width), stripHeight);
    m_cmdHideTree->setGeometry(px(l->hideButtonLeft), (stripHeight - buttonSize) / 2, px(m.hideButtonWidth),
                               buttonSize);
    m_lblTitle1->setGeometry(px(l->title1Left), 0, px(l->title1Width), stripHeight);
    m_cmdDateSel->setGeometry(px(l->dateButtonLeft), 0, px(m.dateButtonWidth), stripHeight);

    m_treeHidden = l->treeHidden;
    m_cmdHideTree->setProperty("caption", m_treeHidden ? QStringLiteral("4") : QStringLiteral("3"));
    m_cmdHideTree->setArrowType(m_treeHidden ? Qt::RightArrow : Qt::LeftArrow);
    m_menus.mnuHideSection->setChecked(!m_treeHidden);
    if (l->hideButtonColour == MainLayout::HideButtonColour::Highlight)
        m_cmdHideTree->setStyleSheet(QString::fromLatin1(kHighlight));
    else if (l->hideButtonColour == MainLayout::HideButtonColour::Restore)
        m_cmdHideTree->setStyleSheet(QString());

    BuildSectionButtons();
}

void frmMain::BuildSectionButtons()
{
    for (QPushButton* b : m_sectionButtons) delete b;
    m_sectionButtons.clear();
    m_cmdHideTree->setEnabled(true);

    const QTreeWidgetItem* node = m_tvTreeView->currentItem();
    SectionButtonsInput in;
    in.hasSelection = node != nullptr;
    in.selectedHasKey = SectionTreeView::HasKey(node);
    in.selectedText = node ? node->text(0) : QString();
    in.children = SectionTreeView::Children(node);
    in.splitterLeft = m_splitterLeft;
    in.treeTop = PixelsToTwips(m_tvTreeView->y());
    in.scaleWidth = PixelsToTwips(m_client->width());
    in.scaleHeight = PixelsToTwips(m_client->height());
    const SectionButtonsPlan plan = PlanSectionButtons(in);

    for (const SectionButton& s : plan.buttons) {
        auto* b = new QPushButton(s.caption, m_client);
        b->setObjectName(QStringLiteral("acmdSectionItem"));
        b->setStyleSheet(QString::fromLatin1(kSectionButtonStyle));
        b->setToolTip(s.toolTip);
        b->setProperty("Tag", s.tag);
        // The header stands apart from the items: flat and disabled.
        b->setFlat(s.header);
        b->setEnabled(!s.header);
        if (!s.image.isEmpty()) {
            b->setIcon(treeIcon(s.image));
            b->setIconSize(QSize(24, 24));
        }
        b->setGeometry(px(s.box.left), px(s.box.top), px(s.box.width), px(s.box.height));
        const QString tag = s.tag;
        if (!s.header)
            connect(b, &QPushButton::clicked, this, [this, tag] { handle([&] { acmdSectionItem_Click(tag); }); });
        b->show();
        b->raise();
        m_sectionButtons.push_back(b);
    }
    m_cmdHideTree->setEnabled(plan.hideTreeEnabled);
}

void frmMain::acmdSectionItem_Click(const QString& tag)
{
    auto select = [this](int index) {
        if (QTreeWidgetItem* item = SectionTreeView::ItemAt(*m_tvTreeView, index)) {
            const QSignalBlocker quiet(m_tvTreeView);
            m_tvTreeView->setCurrentItem(item);
        }
    };
    if (ViewCommands* commands = m_panel->Commands()) {
        commands->SectionButtonClicked(tag, treeNodes(), select);
        return;
    }
    if (const std::optional<int> node = ViewCommands::SectionButtonNode(tag, treeNodes())) select(*node);
    RefreshDetailView(QString(), QString());
}

std::vector<SectionNode> frmMain::treeNodes() const
{
    std::vector<SectionNode> nodes;
    const int count = SectionTreeView::NodeCount(*m_tvTreeView);
    for (int i = 1; i <= count; ++i) {
        const QTreeWidgetItem* item = SectionTreeView::ItemAt(*m_tvTreeView, i);
        SectionNode n;
        n.index = i;
        n.key = SectionTreeView::Key(item);
        n.text = item ? item->text(0) : QString();
        nodes.push_back(n);
    }
    return nodes;
}

void frmMain::mnuHideSection_Click() { ArrangeMainWindow(m_menus.mnuHideSection->isChecked() ? 0 : -1); }

void frmMain::mnuViewToolbar_Click()
{
    m_menus.mnuViewToolbar->setChecked(!m_menus.mnuViewToolbar->isChecked());
    m_tbToolBar->setVisible(m_menus.mnuViewToolbar->isChecked());
    ArrangeMainWindow(m_splitterLeft);
}

void frmMain::mnuViewStatusBar_Click()
{
    m_menus.mnuViewStatusBar->setChecked(!m_menus.mnuViewStatusBar->isChecked());
    m_sbStatusBar->setVisible(m_menus.mnuViewStatusBar->isChecked());
    ArrangeMainWindow(m_splitterLeft);
}

void frmMain::startSplitterDrag()
{
    m_picSplitter->setGeometry(m_imgSplitter->x(), m_imgSplitter->y(), std::max(1, m_imgSplitter->width() / 2),
                               std::max(0, m_imgSplitter->height() - px(kDragBarTrim)));
    m_picSplitter->show();
    m_picSplitter->raise();
    m_splitterMoving = true;
}

void frmMain::moveSplitterDrag(double mouseX)
{
    if (!m_splitterMoving) return;
    const double left = MainWindowLayout::DragBarLeft(m_splitterLeft, mouseX, PixelsToTwips(frameGeometry().width()));
    m_picSplitter->move(px(left), m_picSplitter->y());
}

void frmMain::endSplitterDrag()
{
    if (!m_splitterMoving) return;
    const double left = PixelsToTwips(m_picSplitter->x());
    m_picSplitter->hide();
    m_splitterMoving = false;
    ArrangeMainWindow(left);
}

bool frmMain::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_client && e->type() == QEvent::Resize) {
        handle([this] { ArrangeMainWindow(m_splitterLeft); });
        return false;
    }
    // Only the surface itself: a double click a control leaves unused comes up here too.
    if (watched == m_client && e->type() == QEvent::MouseButtonDblClick
        && !m_client->childAt(static_cast<QMouseEvent*>(e)->position().toPoint())) {
        handle([this] { Form_DblClick(); });
        return true;
    }
    if (watched == m_imgSplitter) {
        switch (e->type()) {
        case QEvent::MouseButtonPress: handle([this] { startSplitterDrag(); }); return true;
        case QEvent::MouseMove: {
            const double x = PixelsToTwips(int(static_cast<QMouseEvent*>(e)->position().x()));
            handle([&] { moveSplitterDrag(x); });
            return true;
        }
        case QEvent::MouseButtonRelease: handle([this] { endSplitterDrag(); }); return true;
        default: break;
        }
    }
    // Keys reach the window before its controls.
    if (e->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && w->window() == this && !m_unloaded) {
            const auto* key = static_cast<QKeyEvent*>(e);
            bool taken = false;
            handle([&] {
                taken = MainWindowCommands::KeyDown(MainWindowCommands::KeyCode(*key),
                                                    MainWindowCommands::ShiftState(*key), findTag(), *this);
            });
            if (taken) return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}
