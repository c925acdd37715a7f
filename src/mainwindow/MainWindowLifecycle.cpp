#include "MainWindowLifecycle.h"
#include "base/AppError.h"
#include "operations/BackupRestore.h"
#include "core/configuration/Configuration.h"
#include "objdb/CurrencyInfo.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "core/lifecycle/ErrorReporting.h"
#include "devices/fiscal/FiscalPrinterFactory.h"
#include "objdb/ui/GridLayout.h"
#include "core/seams/MainWindowServices.h"
#include "dialogs/OperatorLogin.h"
#include "dialogs/Startup.h"
#include "core/helpers/SystemHelpers.h"
#include "base/UiServices.h"
#include "dialogs/frmMessage.h"
#include "dialogs/frmOptions.h"

namespace {
QString withoutTrailingBlanks(QString text)
{
    while (!text.isEmpty() && text.back().isSpace()) text.chop(1);
    return text;
}

void copyPeriodToBackup(const SaveReminder::ExitSave& s)
{
    (void)BackupRestoreData(false, false, s.from, s.to, s.deleteAtOrigin, false, true, true);
}

// Runs one step of the unload; a failure is reported and the next step runs all the same,
// so that the database is released whatever came before.
template <class F> void step(F work)
{
    try {
        work();
    } catch (...) {
        ShowErrorDetails(QString());
    }
}
}   // namespace

ActivationMenuStates ActivationMenuStates::FromConfiguration()
{
    ActivationMenuStates s;
    const bool backupFolder = !withoutTrailingBlanks(settings().BackupDir).isEmpty();
    s.receiptReprint = settings().Use_Ricevute;
    s.backup = backupFolder && settings().BackupFuncSaveEnabled && !g_bBackupArchiveMode;
    s.restore = backupFolder && settings().BackupFuncRestoreEnabled && !g_bBackupArchiveMode;
    s.backupRestore = !settings().MaintenanceMode;
    s.operation = !g_bBackupArchiveMode;
    s.toolsOptions = !g_bBackupArchiveMode;
    return s;
}

MainWindowLifecycle::MainWindowLifecycle(MainWindowShell& shell, ExitSave exitSave)
    : m_shell(shell), m_exitSave(exitSave ? std::move(exitSave) : ExitSave(copyPeriodToBackup))
{ }

QString MainWindowLifecycle::ClosingMessage()
{
    return QStringLiteral("Chiusura di ") + AppTitle() + QStringLiteral(" ...");
}

void MainWindowLifecycle::Activate()
{
    // The questions below close over the window and activate it again.
    if (m_running) return;
    m_running = true;
    const bool opening = !g_objDatabase && !g_objDBEngine;
    switch (m_activation.Activate(m_shell.Services())) {
    case MainWindowActivation::Outcome::Skipped:
    case MainWindowActivation::Outcome::SettingsOffered: m_running = false; return;
    case MainWindowActivation::Outcome::Close:
        m_running = false;
        m_shell.Unload();
        return;
    case MainWindowActivation::Outcome::LeaveArchiveMode:
        // Leaving the archive opens the working database, through this very activation.
        m_running = false;
        m_shell.LeaveArchiveMode();
        return;
    case MainWindowActivation::Outcome::Ready: break;
    }
    try {
        if (opening) afterOpening();
        everyActivation();
    } catch (...) {
        m_running = false;
        failed();
        return;
    }
    try {
        m_shell.LoadReminderWindow();
    } catch (...) {
        // The reminders are a help, never a reason to stop the window.
    }
    m_running = false;
}

void MainWindowLifecycle::afterOpening()
{
    // Before any row is shown: a save or restore a crash interrupted may still delete some.
    const int moved = FinishInterruptedBackupMovesAtStart();
    // What the opening gave up or finished stays told beside the operator.
    QString status = QStringLiteral("Operatore: ") + g_strOperatorName;
    for (const QString& notice : {OpeningNotice(), moved > 0 ? FinishedMovesMessage(moved) : QString()})
        if (!notice.isEmpty()) status += QStringLiteral(" - ") + notice;
    ui().status(status);
    m_shell.SetTreeViewNodes();
    m_shell.ShowFirstView();
    const std::shared_ptr<CurrencyInfo> conversion = g_objDatabase ? g_objDatabase->ConversionCurrency() : nullptr;
    if (conversion)
        m_shell.SetCurrencyMenu(QStringLiteral("Importi in ") + conversion->Name(0), settings().CurrencyConversion);
    else
        m_shell.SetCurrencyMenu(std::nullopt, false);
}

void MainWindowLifecycle::everyActivation()
{
    m_shell.SetDeviceControls(m_devices.Apply(m_shell.DeviceSwitchFunctions(), m_shell.ReceiptOpen()));
    m_shell.SetMenuStates(ActivationMenuStates::FromConfiguration());
    (void)SaveReminder::OfferSaveAtActivation([this] { m_shell.RunSaveCommand(); });
}

void MainWindowLifecycle::failed()
{
    const AppError e = CurrentError();
    if (g_bBackupArchiveMode) {
        ShowErrorDetails(e, QString());
        m_shell.LeaveArchiveMode();
        return;
    }
    if (ui().msgBox(e.description + QStringLiteral("\r\rVuoi cambiare le impostazioni ?"),
                    int(Msg::YesNo) + int(Msg::Exclamation), AppTitle())
        == Msg::Yes) {
        try {
            (void)frmOptions::ShowModal(m_shell.Widget(), true);
        } catch (...) {
            // The settings are an offer; the next activation reports what still fails.
        }
        return;
    }
    m_shell.Services().ReleaseDatabase();
    m_shell.Unload();
}

bool MainWindowLifecycle::QueryUnload(CloseCause cause)
{
    if (cause == CloseCause::CloseBox) {
        m_shell.HideToNotificationArea();
        return false;
    }
    const QString refused = QStringLiteral("Impossibile chiudere l'applicazione...\r\r");
    // The sale form waits on the register: ending now would pull the driver from under it.
    if (m_shell.ReceiptOpen()) {
        ui().msgBox(refused + QStringLiteral("Lo scontrino è in corso di emissione sul registratore di cassa"),
                    Msg::Exclamation, AppTitle());
        return false;
    }
    // The grid's layout is kept before any window unloads: what the operator set up in the
    // detail area is not lost to a window that refuses to close, nor to the end.
    if (GridLayout* layout = m_shell.ViewLayout(); layout && layout->IsChanged()) (void)layout->Save();
    QString why;
    if (!m_shell.UnloadOtherWindows(&why)) {
        ui().msgBox(refused + why, Msg::Exclamation, AppTitle());
        return false;
    }
    // In the backup archive the folders are exchanged in memory: a "save" now would copy the
    // archive onto itself.
    if (cause == CloseCause::Program && !g_bBackupArchiveMode) {
        try {
            (void)SaveReminder::OfferSaveAtExit(true, g_objDatabase != nullptr, m_exitSave);
        } catch (...) {
            ShowErrorDetails(QString());
        }
    }
    return true;
}

void MainWindowLifecycle::Unload()
{
    step([this] { frmMessage::instance().ShowMsg(ClosingMessage(), m_shell.Widget(), -1, -1); });
    step([this] { m_shell.StorePlacement(); });
    step([] { (void)InitFiscalPrinter(true); });
    step([this] { m_shell.StopNotificationIcon(); });
    step([this] { m_shell.Services().ReleaseDatabase(); });
    step([] { frmMessage::unloadInstance(); });
}
