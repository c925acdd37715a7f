#pragma once
// The program's main window: the section tree on the left, the detail area on the right, the
// toolbar, title strip and status bar, the menus, and the program's icon in the notification
// area. It owns the widgets and hands each concern to a class of its own: the activation and
// the end to MainWindowLifecycle, the geometry to MainWindowLayout, the tree to
// SectionTreeView, clicks and keys to MainWindowCommands, the library's notifications to
// LibraryNotifications, the operator to OperatorSession, the counter devices to
// CounterDevices, the detail area's grid and its view to DetailViewPanel, the row commands to
// RecordCommands, the print and export commands to PrintExport. Every event handler ends in
// one catch that reports through ShowErrorDetails.
#include "core/seams/ArticleSearchHost.h"
#include "operations/DateSelection.h"
#include "LabelPrinting.h"
#include "MainWindowCommands.h"
#include "MainWindowLayout.h"
#include "MainWindowLifecycle.h"
#include "MainWindowMenus.h"
#include "core/seams/MainWindowServices.h"
#include "objdb/Notify.h"
#include "operations/SectionTree.h"
#include "operations/ReceiptService.h"
#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <vector>

namespace ArchiveMode {
struct Hooks;
}
class CounterDevices;
class DetailViewPanel;
class GuardedCounterServices;
class ObjDataGrid;
class PrintExport;
class RecordCommands;
class NotificationArea;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeWidget;
class clsOSTNA;
class frmMemo;

class frmMain final : public QMainWindow,
                      public MainWindowServices,
                      public ArticleSearchHost,
                      public itfNotifyEvent,
                      private MainWindowShell,
                      private CommandTarget {
    Q_OBJECT
public:
    // Loads the window: placement, notification-area icon, title, date selection; registers
    // it as the main window and the counter services. `notificationArea`: null for the
    // desktop's own.
    frmMain();
    explicit frmMain(std::unique_ptr<NotificationArea> notificationArea);
    // `receipts` and `labels`: where the receipts and labels of the counter devices go (by
    // default the register switched on and the configured printers).
    frmMain(std::unique_ptr<NotificationArea> notificationArea, ReceiptService receipts, LabelPrinting labels);
    ~frmMain() override;

    // Off: showing the window does not run the activation (a window rendered for a picture).
    void SetAutoActivate(bool on) { m_autoActivate = on; }

    // ---- MainWindowServices ----------------------------------------------------------------
    QWidget* mainWidget() override { return this; }
    bool OptionsActive() const override { return m_optionsActive; }
    void SetOptionsActive(bool active) override { m_optionsActive = active; }
    void SetStatusMsg(const QString& text) override;
    void ReleaseDatabase() override;
    void RefreshDetailView() override { RefreshDetailView(QString(), QString()); }
    void SetAppTitle() override;

    // ---- ArticleSearchHost -----------------------------------------------------------------
    QString SelectedNodeKey() const override;
    void SelectNode(const QString& key) override;
    TableData* CurrentDataSet() override;
    void DataSetFiltered() override;
    void ClearSelection() override;
    void SelectRow(qint64 oid) override;
    void mnuFileProperties_Click() override;

    // ---- itfNotifyEvent --------------------------------------------------------------------
    void OnEvent(int action, const QString& source, const QString& detail) override;
    void OnInternalMessage(const QString& source, const QString& detail) override;
    void OnQueryMessage(const QString& source, int messageType, const QString& message, bool& cancel) override;

    // ---- The window's own commands ---------------------------------------------------------
    void Activate();   // the activation sequence
    void SetTreeViewNodes();
    void RefreshDetailView(const QString& order, const QString& where);
    void ArrangeMainWindow(double treeWidth);   // twips; 0 hides the tree, -1 shows it
    void BuildSectionButtons();
    void acmdSectionItem_Click(const QString& tag);
    // The program's close commands: unloads every window and ends the program.
    void UnloadMainWindow(MainWindowLifecycle::CloseCause cause = MainWindowLifecycle::CloseCause::Program);
    // The system ends the program (SIGTERM, SIGHUP, the session's end): the windows over this
    // one close without a question, an open document is given up, and the window unloads as
    // at a shutdown.
    void EndForSystem();
    void mnuChangeUser_Click();
    void mnuChangePwd_Click();
    void mnuHideSection_Click();
    void mnuViewToolbar_Click();
    void mnuViewStatusBar_Click();
    // The sale ("Vendite") or supply ("Forniture") window on the document `oid` of the shown
    // view, or on a new one when `oid` is 0.
    void OpenDocumentForm(const QString& table, qint64 oid);
    // "&Ristampa scontrino", "S&tampa Etichette" and "Rist&ampa ricevuta" on the grid's row.
    void mnuFiscalPrint_Click();
    void mnuPrintLabel_Click();
    void mnuFiscalPrint_Ricevuta_Click();
    // The HTML page of the shown rows (also the report display's page for rows without a
    // layout).
    void ExportTableToHtml(TableData* rows, const QString& fieldOrder);
    void ShowFromNotificationArea();
    // A double click on the window's own surface: the shown rows in the library's window.
    void Form_DblClick();
    // The notification-area icon's mouse action, as its X value.
    void NotificationMouse(float x);

    // ---- What the window shows -------------------------------------------------------------
    QTreeWidget* TreeView() const { return m_tvTreeView; }
    QWidget* DetailArea() const;
    ObjDataGrid* Grid() const { return m_dgView; }
    DetailViewPanel& Panel() { return *m_panel; }
    RecordCommands& Records() { return *m_records; }
    PrintExport& Printing() { return *m_print; }
    QWidget* Client() const { return m_client; }
    QToolButton* HideTreeButton() const { return m_cmdHideTree; }
    QStatusBar* StatusBar() const { return m_sbStatusBar; }
    QToolBar* ToolBar() const { return m_tbToolBar; }
    const MainWindowMenus& Menus() const { return m_menus; }
    const std::vector<QPushButton*>& SectionButtons() const { return m_sectionButtons; }
    QString StatusText() const;
    double SplitterLeft() const { return m_splitterLeft; }   // twips
    bool TreeHidden() const { return m_treeHidden; }
    clsOSTNA& TrayIcon() { return *m_tray; }
    MainWindowLifecycle& Lifecycle() { return m_lifecycle; }
    CounterDevices& Devices() { return *m_counter; }
    frmMemo* ReminderWindow() const;
    bool IsUnloaded() const { return m_unloaded; }

signals:
    // The window unloaded through a close command: the program ends.
    void Unloaded();

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // MainWindowShell
    MainWindowServices& Services() override { return *this; }
    QWidget* Widget() override { return this; }
    void ShowFirstView() override { RefreshDetailView(QString(), QString()); }
    void SetCurrencyMenu(const std::optional<QString>& caption, bool checked) override;
    DeviceActivation::Devices DeviceSwitchFunctions() override;
    void SetDeviceControls(const DeviceActivation::Controls& controls) override;
    void SetMenuStates(const ActivationMenuStates& states) override;
    void RunSaveCommand() override;
    void LoadReminderWindow() override;
    void LeaveArchiveMode() override;
    void Unload() override { UnloadMainWindow(MainWindowLifecycle::CloseCause::Program); }
    bool ReceiptOpen() const override;
    GridLayout* ViewLayout() override;
    void HideToNotificationArea() override;
    bool UnloadOtherWindows(QString* why) override;
    void StorePlacement() override;
    void StopNotificationIcon() override;

    // CommandTarget
    void FileNew() override;
    void FileProperties() override;
    void FileDelete() override;
    void OpenSelectedRow() override;
    void PopupRelated() override;
    void SaveExport() override;
    void FilterButton() override;
    void SearchColumn(int column, const QString& typed) override;
    void PopupSearch() override;
    void NewSupply() override;
    void NewSale() override;
    void PopupPrint() override;
    void SetBarcodeReader(bool on) override;
    void SetFiscalPrinter(bool on) override;
    void CloseProgram() override { UnloadMainWindow(MainWindowLifecycle::CloseCause::Program); }
    void AssignSuppliersFromMarkers() override;

    void buildWidgets();
    void connectCommands();
    void connectViewCommands();
    void connectDevices();
    void buildViewParts();
    // The shown data set on the grid's current row; null when no table's rows are shown.
    TableData* positionedDataSet();
    QString findTag() const;
    std::vector<SectionNode> treeNodes() const;
    LayoutMetrics measure() const;
    void syncDeviceControls();
    ArchiveMode::Hooks archiveHooks();
    void popup(QMenu* menu);
    // Every handler's one catch.
    template <class F> void handle(F work)
    {
        try {
            work();
        } catch (...) {
            reportHandlerError();
        }
    }
    void reportHandlerError();
    // With an answer file, its lines after the operator is in are commands of this window:
    // "<Vendita>", "<Fornitura>" (the menu's new sale and new supply) and "<Chiudi>".
    void takeAnswerCommands();
    void SetDataSelectionCaption();
    void startSplitterDrag();
    void moveSplitterDrag(double mouseX);
    void endSplitterDrag();

    MainWindowMenus m_menus;
    QWidget* m_client = nullptr;
    QToolBar* m_tbToolBar = nullptr;
    QFrame* m_picTitles = nullptr;
    QLabel* m_lblTitle0 = nullptr;
    QLabel* m_lblTitle1 = nullptr;
    QToolButton* m_cmdHideTree = nullptr;
    QPushButton* m_cmdDateSel = nullptr;
    QTreeWidget* m_tvTreeView = nullptr;
    QFrame* m_imgSplitter = nullptr;
    QFrame* m_picSplitter = nullptr;
    ObjDataGrid* m_dgView = nullptr;
    QToolButton* m_cmdGridSetting = nullptr;
    QStatusBar* m_sbStatusBar = nullptr;
    QLabel* m_lblStatus = nullptr;
    QLabel* m_lblReminderSign = nullptr;
    QLineEdit* m_txtTNAInterface = nullptr;
    std::vector<QPushButton*> m_sectionButtons;

    MainWindowLayout m_layout;
    DateSelection m_dates;   // the date selection of every dated view, today at start
    MainWindowLifecycle m_lifecycle;
    std::unique_ptr<clsOSTNA> m_tray;
    std::unique_ptr<CounterDevices> m_counter;
    std::unique_ptr<GuardedCounterServices> m_guarded;
    std::unique_ptr<DetailViewPanel> m_panel;
    std::unique_ptr<RecordCommands> m_records;
    std::unique_ptr<PrintExport> m_print;
    QPointer<frmMemo> m_memo;
    double m_splitterLeft = 0;   // twips
    bool m_treeHidden = false;
    bool m_optionsActive = false;
    bool m_splitterMoving = false;
    bool m_autoActivate = true;
    bool m_unloading = false;
    bool m_unloaded = false;
    bool m_takingCommands = false;
};
