#include "MainWindowMenus.h"
#include "CommandEnabling.h"
#include "MainWindowCommands.h"
#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>

namespace {
QAction* entry(QMenu* menu, const char* name, const QString& caption, bool checkable = false)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(checkable);
    return a;
}

QMenu* submenu(QMenu* parent, const char* name, const QString& caption, QAction** action = nullptr)
{
    QMenu* m = parent->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    m->menuAction()->setObjectName(QString::fromLatin1(name) + QStringLiteral("Action"));
    if (action) *action = m->menuAction();
    return m;
}

QMenu* topMenu(QMainWindow& w, const char* name, const QString& caption)
{
    QMenu* m = w.menuBar()->addMenu(caption);
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

QMenu* popup(QWidget* owner, const char* name, const QString& caption)
{
    auto* m = new QMenu(caption, owner);
    m->setObjectName(QString::fromLatin1(name));
    return m;
}

// Commands of the views: usable once a view enables them.
void viewCommand(QAction* a) { a->setEnabled(false); }
}   // namespace

QAction* MenuHeading(QMenu* menu, const char* name, const QString& caption)
{
    QAction* a = entry(menu, name, caption);
    a->setEnabled(false);
    return a;
}

QAction* FindMenuAction(const QWidget& window, const QString& name)
{
    if (auto* a = window.findChild<QAction*>(name)) return a;
    if (auto* m = window.findChild<QMenu*>(name)) return m->menuAction();
    return nullptr;
}

MainWindowMenus MainWindowMenus::Build(QMainWindow& w, const QString& programTitle)
{
    MainWindowMenus m;
    m.mnuFile = topMenu(w, "mnuFile", QStringLiteral("&Dati"));
    m.mnuFileNew = entry(m.mnuFile, "mnuFileNew", QStringLiteral("&Nuovo..."));
    m.mnuFileProperties = entry(m.mnuFile, "mnuFileProperties", QStringLiteral("Visualizza / &Modifica..."));
    m.mnuFileDelete = entry(m.mnuFile, "mnuFileDelete", QStringLiteral("&Elimina"));
    m.mnuFile->addSeparator();
    m.mnuBackupRestore
        = submenu(m.mnuFile, "mnuBackupRestore", QStringLiteral("&Salva / Ripristina"), &m.mnuBackupRestoreAction);
    m.mnuBackup = entry(m.mnuBackupRestore, "mnuBackup", QStringLiteral("Salva dati..."));
    m.mnuRestore = entry(m.mnuBackupRestore, "mnuRestore", QStringLiteral("Ripristina dati..."));
    m.mnuMoveRow = entry(m.mnuFile, "mnuMoveRow", QStringLiteral("Sposta Elemento Selezionato in Backup"));
    m.mnuBackupAppMode = entry(m.mnuFile, "mnuBackupAppMode", QStringLiteral("Gestisci Archivio di Backup..."), true);
    m.mnuImport = entry(m.mnuFile, "mnuImport", QStringLiteral("Importa dati..."));
    m.mnuFile->addSeparator();
    m.mnuChangeUser = entry(m.mnuFile, "mnuChangeUser", QStringLiteral("Selezione &Operatore..."));
    m.mnuChangePwd = entry(m.mnuFile, "mnuChangePwd", QStringLiteral("Cambio &Password..."));
    m.mnuFile->addSeparator();
    m.mnuFileClose = entry(m.mnuFile, "mnuFileClose", QStringLiteral("Chiudi"));
    for (QAction* a : {m.mnuFileNew, m.mnuFileProperties, m.mnuFileDelete, m.mnuMoveRow}) viewCommand(a);

    m.mnuView = topMenu(w, "mnuView", QStringLiteral("&Visualizza"));
    m.mnuViewToolbar = entry(m.mnuView, "mnuViewToolbar", QStringLiteral("&Barra degli strumenti"), true);
    m.mnuViewStatusBar = entry(m.mnuView, "mnuViewStatusBar", QStringLiteral("Barra di &Stato"), true);
    m.mnuHideSection = entry(m.mnuView, "mnuHideSection", QStringLiteral("&Sezione"), true);
    for (QAction* a : {m.mnuViewToolbar, m.mnuViewStatusBar, m.mnuHideSection}) a->setChecked(true);
    m.mnuView->addSeparator();
    m.mnuViewRefresh = entry(m.mnuView, "mnuViewRefresh", QStringLiteral("&Aggiorna"));
    m.mnuViewCurrencyConversion
        = entry(m.mnuView, "mnuViewCurrencyConversion", QStringLiteral("Importi in Euro"), true);
    m.mnuViewCurrencyConversion->setShortcut(QKeySequence(QStringLiteral("Ctrl+I")));
    m.mnuViewCurrencyConversion->setVisible(false);
    m.mnuView->addSeparator();
    m.mnuSelection = submenu(m.mnuView, "mnuSelection", QStringLiteral("Selezioni in data"));
    m.mnuSelAll = entry(m.mnuSelection, "mnuSelAll", QStringLiteral("&Tutti"), true);
    m.mnuSelDate = entry(m.mnuSelection, "mnuSelDate", QStringLiteral("&Imposta data..."), true);
    m.mnuSelMonth = entry(m.mnuSelection, "mnuSelMonth", QStringLiteral("Imposta &Mese..."), true);
    m.mnuSelPeriod = entry(m.mnuSelection, "mnuSelPeriod", QStringLiteral("Imposta &Periodo..."), true);
    m.mnuSelection->menuAction()->setVisible(false);
    m.mnuDataSelection = submenu(m.mnuView, "mnuDataSelection", QStringLiteral("Selezioni predefinite"));
    m.mnuDataSelBeforeQuery = entry(m.mnuDataSelection, "mnuDataSelBeforeQuery",
                                    QStringLiteral("Richiedi selezioni prima di visualizzare i dati..."), true);
    m.mnuDataSelCancel = entry(m.mnuDataSelection, "mnuDataSelCancel", QStringLiteral("Elimina selezioni"));
    m.mnuView->addSeparator();
    m.mnuSearch = submenu(m.mnuView, "mnuSearch", QStringLiteral("&Cerca"));
    m.mnuSearchNext = entry(m.mnuSearch, "mnuSearchNext", QStringLiteral("Cerca &successivo"));
    m.mnuSearchNext->setShortcut(QKeySequence(Qt::Key_F3));
    m.mnuSearch->addSeparator();
    m.mnuSearchItems = MenuHeading(m.mnuSearch, "mnuSearchItems", QStringLiteral("Cerca in..."));
    m.mnuFilter = submenu(m.mnuView, "mnuFilter", QStringLiteral("&Filtra"));
    m.mnuFilterShort = submenu(m.mnuFilter, "mnuFilterShort", QStringLiteral("Filtra colonna"));
    m.mnuFilterItems = MenuHeading(m.mnuFilterShort, "mnuFilterItems", QStringLiteral("Filtra per..."));
    m.mnuFilterComplex = entry(m.mnuFilter, "mnuFilterComplex", QStringLiteral("Imposta &filtro complesso..."), true);
    m.mnuFilterComplex->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F3));
    m.mnuFilterCancel = entry(m.mnuFilter, "mnuFilterCancel", QStringLiteral("&Annulla filtro"));
    m.mnuFilter->addSeparator();
    m.mnuFilterComplexItems = MenuHeading(m.mnuFilter, "mnuFilterComplexItems", QStringLiteral("Filtra con..."));
    m.mnuOrder = submenu(m.mnuView, "mnuOrder", QStringLiteral("&Ordina"));
    m.mnuOrderSingle = submenu(m.mnuOrder, "mnuOrderSingle", QStringLiteral("Ordina colonna"));
    m.mnuOrderItems = MenuHeading(m.mnuOrderSingle, "mnuOrderItems", QStringLiteral("Ordina per..."));
    m.mnuOrderComplex = entry(m.mnuOrder, "mnuOrderComplex", QStringLiteral("&Ordinamento combinato..."));
    m.mnuOrderCancel = entry(m.mnuOrder, "mnuOrderCancel", QStringLiteral("&Annulla ordinamento"));
    m.mnuFieldFuncs
        = submenu(m.mnuView, "mnuFieldFuncs", QStringLiteral("Funzioni su campo corrente   (Click destro)"));
    m.mnuFieldFilter = entry(m.mnuFieldFuncs, "mnuFieldFilter", QStringLiteral("&Filtra colonna con stesso valore..."));
    m.mnuFieldSearchNext = entry(m.mnuFieldFuncs, "mnuFieldSearchNext", QStringLiteral("&Cerca valore successivo"));
    m.mnuFieldFilterCancel = entry(m.mnuFieldFuncs, "mnuFieldFilterCancel", QStringLiteral("&Annulla filtro colonna"));
    m.mnuFieldFilterCancelAll
        = entry(m.mnuFieldFuncs, "mnuFieldFilterCancelAll", QStringLiteral("Annulla &tutti i filtri"));
    m.mnuGridSetting = submenu(m.mnuView, "mnuGridSetting", QStringLiteral("&Griglia"));
    m.mnuGridFldAll = entry(m.mnuGridSetting, "mnuGridFldAll", QStringLiteral("Visualizza &tutti i campi"));
    m.mnuGridFldAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    m.mnuGridFldSequence
        = entry(m.mnuGridSetting, "mnuGridFldSequence", QStringLiteral("Imposta &sequenza campi..."), true);
    m.mnuGridFldSequence->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    m.mnuGridCancel = entry(m.mnuGridSetting, "mnuGridCancel", QStringLiteral("Annulla sequenza campi e dimensioni"));
    for (QMenu* viewMenu : {m.mnuDataSelection, m.mnuSearch, m.mnuFilter, m.mnuOrder, m.mnuFieldFuncs})
        viewCommand(viewMenu->menuAction());

    m.mnuOperation = topMenu(w, "mnuOperation", QStringLiteral("&Operazioni"));
    m.mnuOperationAction = m.mnuOperation->menuAction();
    m.mnuNewVendita = entry(m.mnuOperation, "mnuNewVendita", QStringLiteral("Nuova &Vendita..."));
    m.mnuNewFornitura = entry(m.mnuOperation, "mnuNewFornitura", QStringLiteral("Nuova &Fornitura..."));
    m.mnuNewArticolo = entry(m.mnuOperation, "mnuNewArticolo", QStringLiteral("Nuovo &Articolo..."));
    m.mnuFind_Articolo = entry(m.mnuOperation, "mnuFind_Articolo", QStringLiteral("Cerca &Articolo..."));
    QMenu* notCompleted = submenu(m.mnuOperation, "mnuNotCompleted", QStringLiteral("Cerca operazioni non completate"));
    m.mnuNotCompleted_Vendite = entry(notCompleted, "mnuNotCompleted_Vendite", QStringLiteral("Vendite"));
    m.mnuNotCompleted_Forniture = entry(notCompleted, "mnuNotCompleted_Forniture", QStringLiteral("Forniture"));
    m.mnuOperation->addSeparator();
    m.mnuFiscalPrinter
        = entry(m.mnuOperation, "mnuFiscalPrinter", QStringLiteral("Attiva &Registratore di cassa"), true);
    m.mnuBarcodeReader
        = entry(m.mnuOperation, "mnuBarcodeReader", QStringLiteral("Attiva &Lettore codici a barre seriale"), true);
    m.mnuBalance = entry(m.mnuOperation, "mnuBalance", QStringLiteral("Attiva &Bilancia"), true);

    m.mnuPrintFunc = topMenu(w, "mnuPrintFunc", QStringLiteral("&Stampa"));
    m.cmdPreview = entry(m.mnuPrintFunc, "cmdPreview", QStringLiteral("&Anteprima"));
    m.mnuPrint = entry(m.mnuPrintFunc, "mnuPrint", QStringLiteral("Stampa &diretta"));
    m.mnuPrintExport = entry(m.mnuPrintFunc, "mnuPrintExport", QStringLiteral("&Esporta stampa"));
    m.mnuSave = entry(m.mnuPrintFunc, "mnuSave", QStringLiteral("&Esporta dati..."));
    m.mnuViewWebBrowser = entry(m.mnuPrintFunc, "mnuViewWebBrowser", QStringLiteral("&Web Browser..."));
    m.mnuPrintFunc->addSeparator();
    m.mnuPrintLabel = entry(m.mnuPrintFunc, "mnuPrintLabel", QStringLiteral("S&tampa Etichette"));
    m.mnuFiscalPrint = entry(m.mnuPrintFunc, "mnuFiscalPrint", QStringLiteral("&Ristampa scontrino"));
    m.mnuFiscalPrint_Ricevuta = entry(m.mnuPrintFunc, "mnuFiscalPrint_Ricevuta", QStringLiteral("Rist&ampa ricevuta"));
    for (QAction* a :
         {m.mnuPrintFunc->menuAction(), m.mnuSave, m.mnuPrintLabel, m.mnuFiscalPrint, m.mnuFiscalPrint_Ricevuta})
        viewCommand(a);

    m.mnuTools = topMenu(w, "mnuTools", QStringLiteral("S&trumenti"));
    m.mnuMemo = entry(m.mnuTools, "mnuMemo", QStringLiteral("Promemoria..."));
    m.mnuToolsTotal = submenu(m.mnuTools, "mnuToolsTotal", QStringLiteral("&Calcola Totale"));
    m.mnuTotalItems = MenuHeading(m.mnuToolsTotal, "mnuTotalItems", QStringLiteral("Totalizza in..."));
    m.mnuToolOther = submenu(m.mnuTools, "mnuToolOther", QStringLiteral("Altro"));
    m.mnulQueryResult = entry(m.mnuToolOther, "mnulQueryResult", QStringLiteral("Selezione Query (WHERE)..."));
    m.mnuTools->addSeparator();
    m.mnuToolsOptions = submenu(m.mnuTools, "mnuToolsOptions", QStringLiteral("&Opzioni"), &m.mnuToolsOptionsAction);
    m.mnuOptionsGeneral = entry(m.mnuToolsOptions, "mnuOptionsGeneral", QStringLiteral("&Generale..."));
    m.mnuToolsOptions->addSeparator();
    m.mnuOptionsFiscal = entry(m.mnuToolsOptions, "mnuOptionsFiscal", QStringLiteral("&Registratore di cassa..."));
    m.mnuOptionsBarcode = entry(m.mnuToolsOptions, "mnuOptionsBarcode", QStringLiteral("Lettore &Barcode seriale..."));
    m.mnuOptionsMagnetic
        = entry(m.mnuToolsOptions, "mnuOptionsMagnetic", QStringLiteral("Dispositivo &Carte clienti..."));
    m.mnuToolsOptions->addSeparator();
    m.mnuLabelSetting
        = entry(m.mnuToolsOptions, "mnuLabelSetting", QStringLiteral("Impostazione stampa &Etichette..."));
    m.mnuTicketSetting
        = entry(m.mnuToolsOptions, "mnuTicketSetting", QStringLiteral("Impostazione stampa &Ricevute..."));
    m.mnuToolsOptions->addSeparator();
    m.mnuOmegaNet = entry(m.mnuToolsOptions, "mnuOmegaNet", QStringLiteral("Omega Net (test)..."));
    m.mnuTools->addSeparator();
    m.mnuSoftwareUpdate = entry(m.mnuTools, "mnuSoftwareUpdate", QStringLiteral("Aggiornamento Software..."));

    m.mnuHelp = topMenu(w, "mnuHelp", QStringLiteral("&?"));
    m.mnuHelpContents = entry(m.mnuHelp, "mnuHelpContents", QStringLiteral("&Sommario"));
    m.mnuHelpSupport = entry(m.mnuHelp, "mnuHelpSupport", QStringLiteral("Richiesta di Supporto..."));
    m.mnuHelp->addSeparator();
    m.mnuHelpAbout = entry(m.mnuHelp, "mnuHelpAbout", QStringLiteral("&About ") + programTitle);

    m.mnuAssociation = popup(&w, "mnuAssociation", QStringLiteral("Dati &associati"));
    m.mnuReferencedItem = MenuHeading(m.mnuAssociation, "mnuReferencedItem", QStringLiteral("< Associati >"));
    m.mnuRefItem = MenuHeading(m.mnuAssociation, "mnuRefItem", QStringLiteral("< Riferimenti >"));
    m.mnuContItem = MenuHeading(m.mnuAssociation, "mnuContItem", QStringLiteral("< Contenitori >"));
    m.mnuPopUp = popup(&w, "mnuPopUp", QString());
    m.mnuActivate = entry(m.mnuPopUp, "mnuActivate", QStringLiteral("&Visualizza"));
    m.mnuPopUp->addSeparator();
    m.mnuClose = entry(m.mnuPopUp, "mnuClose", QStringLiteral("&Chiudi"));
    return m;
}

QToolBar* BuildMainToolbar(QWidget* parent)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QStringLiteral("tbToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    bar->setMovable(false);
    bar->setFloatable(false);
    QStyle* style = bar->style();
    const QStyle::StandardPixmap pictures[] = {QStyle::SP_FileIcon,
                                               QStyle::SP_FileDialogContentsView,
                                               QStyle::SP_TrashIcon,
                                               QStyle::SP_FileLinkIcon,
                                               QStyle::SP_DialogSaveButton,
                                               QStyle::SP_FileDialogListView,
                                               QStyle::SP_FileDialogDetailedView,
                                               QStyle::SP_ArrowDown,
                                               QStyle::SP_ArrowUp,
                                               QStyle::SP_DesktopIcon,
                                               QStyle::SP_DriveCDIcon,
                                               QStyle::SP_DriveHDIcon,
                                               QStyle::SP_DialogCloseButton};
    for (size_t i = 0; i < kToolbarButtons.size(); ++i) {
        const ToolbarButtonEntry& b = kToolbarButtons[i];
        if (QString::fromLatin1(b.key) == u"Supply" || QString::fromLatin1(b.key) == u"BarcodeReader"
            || QString::fromLatin1(b.key) == u"Exit")
            bar->addSeparator();
        QAction* a = bar->addAction(style->standardIcon(pictures[i]), QString::fromUtf8(b.caption));
        a->setObjectName(QStringLiteral("tb") + QString::fromLatin1(b.key));
        a->setData(QString::fromLatin1(b.key));
        a->setToolTip(QString::fromUtf8(b.toolTip));
        // The Filter button is shown pressed while a filter is in force; a click only pops
        // up its menu.
        a->setCheckable(b.twoState || QString::fromLatin1(b.key) == u"Filter");
    }
    return bar;
}

QAction* ToolbarAction(const QToolBar& toolbar, const QString& key)
{
    for (QAction* a : toolbar.actions())
        if (a->data().toString() == key) return a;
    return nullptr;
}

SwitchTarget FindSwitchTarget(const QWidget& window, const QToolBar& toolbar, const CommandSwitch& s)
{
    switch (s.kind) {
    case CommandSwitch::Kind::Menu: return {FindMenuAction(window, s.target), nullptr};
    case CommandSwitch::Kind::ToolButton: return {ToolbarAction(toolbar, s.target), nullptr};
    case CommandSwitch::Kind::Control: return {nullptr, window.findChild<QWidget*>(s.target)};
    }
    return {};
}
