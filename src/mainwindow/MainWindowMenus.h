#pragma once
// The main window's menus, toolbar entries and pop-up menus, as they stand after loading.
// Each entry carries the object name the program's commands know it by ("mnuFileClose").
// The window connects them; entries whose commands belong to the views (new, edit, delete,
// print, search, filter) stay disabled until a view enables them. The menus whose entries
// stand for the shown view's columns ("Cerca in...", "Filtra per...", "Ordina per...",
// "Totalizza in...") hold their heading alone here: the view adds the rest.
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QWidget;
struct CommandSwitch;

struct MainWindowMenus {
    // "&Dati"
    QMenu* mnuFile = nullptr;
    QAction* mnuFileNew = nullptr;
    QAction* mnuFileProperties = nullptr;
    QAction* mnuFileDelete = nullptr;
    QMenu* mnuBackupRestore = nullptr;
    QAction* mnuBackupRestoreAction = nullptr;
    QAction* mnuBackup = nullptr;
    QAction* mnuRestore = nullptr;
    QAction* mnuMoveRow = nullptr;
    QAction* mnuBackupAppMode = nullptr;
    QAction* mnuImport = nullptr;
    QAction* mnuChangeUser = nullptr;
    QAction* mnuChangePwd = nullptr;
    QAction* mnuFileClose = nullptr;
    // "&Visualizza"
    QMenu* mnuView = nullptr;
    QAction* mnuViewToolbar = nullptr;
    QAction* mnuViewStatusBar = nullptr;
    QAction* mnuHideSection = nullptr;
    QAction* mnuViewRefresh = nullptr;
    QAction* mnuViewCurrencyConversion = nullptr;
    QMenu* mnuSelection = nullptr;   // "Selezioni in data", also the date button's menu
    QAction* mnuSelAll = nullptr;
    QAction* mnuSelDate = nullptr;
    QAction* mnuSelMonth = nullptr;
    QAction* mnuSelPeriod = nullptr;
    QMenu* mnuDataSelection = nullptr;   // "Selezioni predefinite"
    QAction* mnuDataSelBeforeQuery = nullptr;
    QAction* mnuDataSelCancel = nullptr;
    // "&Cerca": F3 and one entry per text column after the heading mnuSearchItems.
    QMenu* mnuSearch = nullptr;
    QAction* mnuSearchNext = nullptr;
    QAction* mnuSearchItems = nullptr;
    // "&Filtra": the column filters (heading mnuFilterItems), the complex filter and the
    // saved ones (heading mnuFilterComplexItems).
    QMenu* mnuFilter = nullptr;
    QMenu* mnuFilterShort = nullptr;
    QAction* mnuFilterItems = nullptr;
    QAction* mnuFilterComplex = nullptr;
    QAction* mnuFilterComplexItems = nullptr;
    QAction* mnuFilterCancel = nullptr;
    // "&Ordina": one entry per shown column (heading mnuOrderItems), the combined order.
    QMenu* mnuOrder = nullptr;
    QMenu* mnuOrderSingle = nullptr;
    QAction* mnuOrderItems = nullptr;
    QAction* mnuOrderComplex = nullptr;
    QAction* mnuOrderCancel = nullptr;
    // "&Griglia", also the pop-up of the grid's setting button.
    QMenu* mnuGridSetting = nullptr;
    QAction* mnuGridFldAll = nullptr;
    QAction* mnuGridFldSequence = nullptr;
    QAction* mnuGridCancel = nullptr;
    // The commands on the grid's current cell (its right click).
    QMenu* mnuFieldFuncs = nullptr;
    QAction* mnuFieldFilter = nullptr;
    QAction* mnuFieldSearchNext = nullptr;
    QAction* mnuFieldFilterCancel = nullptr;
    QAction* mnuFieldFilterCancelAll = nullptr;
    // "&Operazioni"
    QMenu* mnuOperation = nullptr;
    QAction* mnuOperationAction = nullptr;
    QAction* mnuNewVendita = nullptr;
    QAction* mnuNewFornitura = nullptr;
    QAction* mnuNewArticolo = nullptr;
    QAction* mnuFind_Articolo = nullptr;
    QAction* mnuNotCompleted_Vendite = nullptr;
    QAction* mnuNotCompleted_Forniture = nullptr;
    QAction* mnuFiscalPrinter = nullptr;
    QAction* mnuBarcodeReader = nullptr;
    QAction* mnuBalance = nullptr;
    // "&Stampa"
    QMenu* mnuPrintFunc = nullptr;
    QAction* cmdPreview = nullptr;
    QAction* mnuPrint = nullptr;
    QAction* mnuPrintExport = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuViewWebBrowser = nullptr;
    QAction* mnuPrintLabel = nullptr;
    QAction* mnuFiscalPrint = nullptr;
    QAction* mnuFiscalPrint_Ricevuta = nullptr;
    // "&Strumenti"
    QMenu* mnuTools = nullptr;
    QAction* mnuMemo = nullptr;
    QMenu* mnuToolsTotal = nullptr;   // "&Calcola Totale": heading mnuTotalItems
    QAction* mnuTotalItems = nullptr;
    QMenu* mnuToolOther = nullptr;
    QAction* mnulQueryResult = nullptr;
    QMenu* mnuToolsOptions = nullptr;
    QAction* mnuToolsOptionsAction = nullptr;
    QAction* mnuOptionsGeneral = nullptr;
    QAction* mnuOptionsFiscal = nullptr;
    QAction* mnuOptionsBarcode = nullptr;
    QAction* mnuOptionsMagnetic = nullptr;
    QAction* mnuLabelSetting = nullptr;
    QAction* mnuTicketSetting = nullptr;
    QAction* mnuOmegaNet = nullptr;
    QAction* mnuSoftwareUpdate = nullptr;
    // "&?"
    QMenu* mnuHelp = nullptr;
    QAction* mnuHelpContents = nullptr;
    QAction* mnuHelpSupport = nullptr;
    QAction* mnuHelpAbout = nullptr;
    // Pop-up menus of the grid, the toolbar and the notification-area icon. The related
    // data's headings stand for its three groups.
    QMenu* mnuAssociation = nullptr;
    QAction* mnuReferencedItem = nullptr;   // "< Associati >"
    QAction* mnuRefItem = nullptr;   // "< Riferimenti >"
    QAction* mnuContItem = nullptr;   // "< Contenitori >"
    QMenu* mnuPopUp = nullptr;
    QAction* mnuActivate = nullptr;
    QAction* mnuClose = nullptr;

    // Builds every menu into the window's menu bar (the pop-ups owned by the window).
    static MainWindowMenus Build(QMainWindow& window, const QString& programTitle);
};

// A menu's heading element: shown, never chosen.
QAction* MenuHeading(QMenu* menu, const char* name, const QString& caption);
// The menu entry or menu of that object name in the window; null when there is none.
QAction* FindMenuAction(const QWidget& window, const QString& name);

// The toolbar's buttons (kToolbarButtons), each action named "tb" + its key and carrying the
// key in its data.
QToolBar* BuildMainToolbar(QWidget* parent);
QAction* ToolbarAction(const QToolBar& toolbar, const QString& key);

// What a switch of the command enabling acts on: the menu entry or toolbar button, or the
// control, its target names in the window. Both null when the window has none by that name.
struct SwitchTarget {
    QAction* action = nullptr;
    QWidget* control = nullptr;
};
SwitchTarget FindSwitchTarget(const QWidget& window, const QToolBar& toolbar, const CommandSwitch& s);
