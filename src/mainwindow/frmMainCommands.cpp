// The main window's commands: its menus, toolbar and the operator's keys, each handler
// ending in the window's one catch.
#include "ArchiveMode.h"
#include "core/configuration/Configuration.h"
#include "CounterDevices.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "GuardedCounterServices.h"
#include "widgets/ModalDialog.h"
#include "dialogs/OperatorLogin.h"
#include "OperatorSession.h"
#include "objdb/ui/PickRowDialog.h"
#include "PrintExport.h"
#include "RecordCommands.h"
#include "DetailViewPanel.h"
#include "core/lifecycle/SoftwareUpdate.h"
#include "SupplierAssignment.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "dialogs/frmAbout.h"
#include "devices/fiscal/ui/frmEllisseTest.h"
#include "devices/fiscal/ui/frmFiscalOptions.h"
#include "printing/ui/frmLabelPrintSetting.h"
#include "devices/cards/ui/frmMagneticOptions.h"
#include "frmMain.h"
#include "frmMemo.h"
#include "dialogs/frmMessage.h"
#include "dialogs/frmOptions.h"
#include "devices/barcode/ui/frmOptionsBarcode.h"
#include "printing/ui/frmTicketPrintSetting.h"

#include <QAction>
#include <QCursor>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {
// A dialog the program does not write itself, run through the one seam for modal windows.
template <class Dialog> void runModalWindow(QWidget* owner, const QString& name)
{
    Dialog dialog(owner);
    ModalAdapter adapter(
        name, QStringLiteral("Esci"), [&dialog] { return dialog.exec() == QDialog::Accepted; },
        [&dialog](const QString&) {
            dialog.reject();
            return false;
        });
    (void)ui().runModal(adapter);
}
}   // namespace

void frmMain::connectCommands()
{
    auto on = [this](QAction* action, auto work) {
        connect(action, &QAction::triggered, this, [this, work] { handle(work); });
    };
    const MainWindowMenus& m = m_menus;
    on(m.mnuFileNew, [this] { FileNew(); });
    on(m.mnuFileProperties, [this] { FileProperties(); });
    on(m.mnuFileDelete, [this] { FileDelete(); });
    on(m.mnuBackup, [this] { RunSaveCommand(); });
    on(m.mnuRestore, [this] { ArchiveMode::RestoreCommand(archiveHooks()); });
    on(m.mnuMoveRow, [this] {
        const auto held = m_panel->HoldView();
        (void)ArchiveMode::MoveRowCommand(archiveHooks(), positionedDataSet());
    });
    on(m.mnuBackupAppMode, [this] {
        (void)ArchiveMode::SwitchMode(archiveHooks());
        m_menus.mnuBackupAppMode->setChecked(g_bBackupArchiveMode);
    });
    on(m.mnuImport, [this] {
        const auto held = m_panel->HoldView();
        (void)ArchiveMode::ImportCommand(archiveHooks(), positionedDataSet());
    });
    on(m.mnuChangeUser, [this] { mnuChangeUser_Click(); });
    on(m.mnuChangePwd, [this] { mnuChangePwd_Click(); });
    on(m.mnuFileClose, [this] { UnloadMainWindow(); });

    // The three toggles read and invert their check mark themselves: the click's own toggle is
    // taken back first.
    auto toggle = [&on](QAction* action, auto work) {
        on(action, [action, work] {
            action->setChecked(!action->isChecked());
            work();
        });
    };
    toggle(m.mnuViewToolbar, [this] { mnuViewToolbar_Click(); });
    toggle(m.mnuViewStatusBar, [this] { mnuViewStatusBar_Click(); });
    toggle(m.mnuHideSection, [this] { mnuHideSection_Click(); });
    on(m.mnuViewRefresh, [this] {
        if (ViewCommands* commands = m_panel->Commands())
            commands->RefreshClicked();
        else
            RefreshDetailView(QString(), QString());
    });
    toggle(m.mnuViewCurrencyConversion, [this] { m_panel->ToggleCurrencyConversion(); });

    on(m.mnuFiscalPrinter, [this] { SetFiscalPrinter(m_menus.mnuFiscalPrinter->isChecked()); });
    on(m.mnuBarcodeReader, [this] { SetBarcodeReader(m_menus.mnuBarcodeReader->isChecked()); });
    on(m.mnuBalance, [this] {
        m_guarded->SetBalance(m_menus.mnuBalance->isChecked());
        syncDeviceControls();
    });

    on(m.mnuMemo, [this] {
        LoadReminderWindow();
        m_memo->show();
        m_memo->raise();
        m_memo->activateWindow();
    });
    on(m.mnuOptionsGeneral, [this] { frmOptions::ShowOptions(this); });
    on(m.mnuOptionsFiscal, [this] { frmFiscalOptions::ShowModal(this); });
    on(m.mnuOptionsBarcode, [this] { frmOptionsBarcode::ShowModal(this); });
    on(m.mnuOptionsMagnetic, [this] { frmMagneticOptions::ShowModal(this); });
    on(m.mnuLabelSetting, [this] { frmLabelPrintSetting::ShowModal(this); });
    on(m.mnuTicketSetting, [this] { frmTicketPrintSetting::ShowModal(this); });
    on(m.mnuOmegaNet, [this] { frmEllisseTest::ShowModal(this); });
    on(m.mnuSoftwareUpdate, [this] {
        try {
            (void)SoftwareUpdateCommand(this);
        } catch (...) {
            ShowErrorDetails(QString());
        }
        frmMessage::unloadInstance();
    });

    on(m.mnuHelpContents,
       [this] { MainWindowCommands::HelpContents(MainWindowCommands::ProgramHelpFile(), windowTitle()); });
    on(m.mnuHelpSupport, [] {
        (void)ShellOpen(
            MainWindowCommands::SupportRequestLink(QString::fromLatin1(kSupportMailAddress), g_strMsgTitle));
    });
    on(m.mnuHelpAbout, [this] { runModalWindow<frmAbout>(this, QStringLiteral("frmAbout")); });

    on(m.mnuActivate, [this] { ShowFromNotificationArea(); });
    on(m.mnuClose, [this] { UnloadMainWindow(); });

    connect(m_tbToolBar, &QToolBar::actionTriggered, this, [this](QAction* a) {
        handle([&] {
            MainWindowCommands::ToolbarClick(a->data().toString(), a->isChecked(), findTag(), *this);
            syncDeviceControls();
        });
    });
    connect(m_cmdHideTree, &QToolButton::clicked, this, [this] { handle([this] { mnuHideSection_Click(); }); });
    connect(m_tvTreeView, &QTreeWidget::currentItemChanged, this, [this] {
        handle([this] {
            if (ViewCommands* commands = m_panel->Commands())
                commands->NodeClicked();
            else
                RefreshDetailView(QString(), QString());
        });
    });
}

// ---- Counter devices ---------------------------------------------------------------------------

void frmMain::connectDevices()
{
    m_counter->Switches().SetOnChanged([this](CounterDevice device) {
        if (device == CounterDevice::FiscalPrinter)
            m_lifecycle.Devices().RegisterSwitched(m_counter->Switches().State(device).on && FiscalPrinterActive());
        syncDeviceControls();
    });
}

void frmMain::syncDeviceControls()
{
    const DeviceSwitches& s = m_counter->Switches();
    const bool fiscal = s.State(CounterDevice::FiscalPrinter).on;
    const bool reader = s.State(CounterDevice::BarcodeReader).on;
    ToolbarAction(*m_tbToolBar, QStringLiteral("FiscalPrinter"))->setChecked(fiscal);
    ToolbarAction(*m_tbToolBar, QStringLiteral("BarcodeReader"))->setChecked(reader);
    m_menus.mnuFiscalPrinter->setChecked(fiscal);
    m_menus.mnuBarcodeReader->setChecked(reader);
    m_menus.mnuBalance->setChecked(s.State(CounterDevice::Balance).on);
}

void frmMain::SetFiscalPrinter(bool on)
{
    m_guarded->SetFiscalPrinter(on);
    syncDeviceControls();
}

void frmMain::SetBarcodeReader(bool on)
{
    m_guarded->SetBarcodeReader(on);
    syncDeviceControls();
}

// ---- Operator ------------------------------------------------------------------------------------

void frmMain::mnuChangeUser_Click()
{
    if (!OperatorSession::ChangeOperator(this, [this] { SetAppTitle(); })) {
        UnloadMainWindow();
        return;
    }
    ui().status(QStringLiteral("Operatore: ") + g_strOperatorName);
    SetTreeViewNodes();
    RefreshDetailView(QString(), QString());
}

void frmMain::mnuChangePwd_Click() { (void)OperatorSession::ChangePassword(this); }

// ---- Commands of the views -----------------------------------------------------------------------

void frmMain::FileNew() { m_records->FileNew(); }
void frmMain::FileProperties() { m_records->FileProperties(); }
void frmMain::FileDelete() { m_records->FileDelete(); }
void frmMain::OpenSelectedRow() { m_records->DblClick(); }
void frmMain::SaveExport() { m_print->SaveData(); }
void frmMain::SearchColumn(int column, const QString& typed) { m_panel->Grid().SearchColumn(column, typed); }
void frmMain::NewSupply() { m_records->NewSupply(); }
void frmMain::NewSale() { m_records->NewSale(); }
void frmMain::PopupRelated() { popup(m_menus.mnuAssociation); }
void frmMain::PopupSearch() { popup(m_menus.mnuSearch); }
void frmMain::PopupPrint() { popup(m_menus.mnuPrintFunc); }
void frmMain::FilterButton() { m_panel->Grid().FilterButton(); }

void frmMain::popup(QMenu* menu)
{
    if (menu && !menu->isEmpty()) menu->popup(QCursor::pos());
}

void frmMain::AssignSuppliersFromMarkers()
{
    if (!g_objDatabase) {
        ui().beep();
        return;
    }
    const QString title = m_lblTitle1->text();
    (void)SupplierAssignment::Run(
        *g_objDatabase,
        [this](TableData& suppliers) {
            return PickRowDialog::Pick(suppliers, QStringLiteral("Descrizione"), QString(), this).has_value();
        },
        [this](const QString& progress) {
            m_lblTitle1->setText(progress);
            m_lblTitle1->repaint();
        });
    m_lblTitle1->setText(title);
}

// ---- Commands of an answer file -------------------------------------------------------------------

void frmMain::takeAnswerCommands()
{
    if (m_takingCommands || m_lifecycle.Activating()) return;
    m_takingCommands = true;
    while (!m_unloading && !m_unloaded && IsDatabaseOpen()) {
        const std::optional<QString> line
            = ui().command(objectName(), QStringLiteral("<Vendita> / <Fornitura> / <Chiudi>"));
        if (!line) break;
        const auto is = [&](const char* name) { return line->compare(QLatin1String(name), Qt::CaseInsensitive) == 0; };
        if (is("<Vendita>"))
            handle([this] { NewSale(); });
        else if (is("<Fornitura>"))
            handle([this] { NewSupply(); });
        else if (is("<Chiudi>"))
            CloseProgram();
        else
            ui().msgBox(QStringLiteral("Comando sconosciuto: ") + *line, int(Msg::OKOnly) + Msg::Exclamation,
                        AppTitle());
    }
    m_takingCommands = false;
}
