#pragma once
// The main window's menus, toolbar entries and pop-up menus, as they stand after loading.
// Each entry carries the object name the program's commands know it by ("mnuFileClose").
// The window connects them; entries whose commands belong to the views (new, edit, delete,
// print, search, filter) stay disabled until a view enables them.
#include <QString>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;
class QWidget;

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
    QAction* mnuFiscalPrint_Ricevuta = nullptr;
    // "&Strumenti"
    QMenu* mnuTools = nullptr;
    QAction* mnuMemo = nullptr;
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
    // Pop-up menus of the toolbar and the notification-area icon.
    QMenu* mnuAssociation = nullptr;
    QMenu* mnuFilter = nullptr;
    QMenu* mnuSearch = nullptr;
    QMenu* mnuPopUp = nullptr;
    QAction* mnuActivate = nullptr;
    QAction* mnuClose = nullptr;

    // Builds every menu into the window's menu bar (the pop-ups owned by the window).
    static MainWindowMenus Build(QMainWindow& window, const QString& programTitle);
};

// The toolbar's buttons (kToolbarButtons), each action named "tb" + its key and carrying the
// key in its data.
QToolBar* BuildMainToolbar(QWidget* parent);
QAction* ToolbarAction(const QToolBar& toolbar, const QString& key);
