// The main window's activation and end without the window: what runs after an opening, at
// every activation, on the close box and on the program's close commands.
#include "mainwindow/MainWindowLifecycle.h"
#include "base/AppError.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/ui/GridLayout.h"
#include "core/seams/MainWindowServices.h"
#include "MainWindowShop.h"
#include "dialogs/OperatorLogin.h"
#include "operations/SaveReminder.h"
#include "TestEnvironment.h"
#include <QWidget>

namespace {

// A window that records what the lifecycle asks of it.
class FakeShell final : public MainWindowShell, public MainWindowServices {
public:
    QStringList calls;
    bool receiptOpen = false;
    bool refuseUnload = false;
    bool failTree = false;
    bool failPlacement = false;
    std::function<void()> onSaveCommand;
    std::function<void()> onUnloadOthers;
    std::shared_ptr<GridLayout> layout;
    std::function<void()> onTree;
    std::optional<QString> currency = QStringLiteral("<unset>");
    ActivationMenuStates menus;
    DeviceActivation::Controls controls;
    QWidget widget;

    // MainWindowServices
    QWidget* mainWidget() override { return &widget; }
    bool OptionsActive() const override { return false; }
    void SetOptionsActive(bool) override { }
    void SetStatusMsg(const QString&) override { }
    void ReleaseDatabase() override
    {
        calls << "ReleaseDatabase";
        ReleaseDatabaseObjects();
    }
    void RefreshDetailView() override { }

    // MainWindowShell
    MainWindowServices& Services() override { return *this; }
    QWidget* Widget() override { return &widget; }
    void SetTreeViewNodes() override
    {
        calls << "SetTreeViewNodes";
        if (onTree) onTree();
        if (failTree)
            throw AppError::object(AppError::kGenericCode, QStringLiteral("Database"),
                                   QStringLiteral("Tabella sconosciuta"));
    }
    void ShowFirstView() override { calls << "ShowFirstView"; }
    void SetCurrencyMenu(const std::optional<QString>& caption, bool) override { currency = caption; }
    DeviceActivation::Devices DeviceSwitchFunctions() override
    {
        DeviceActivation::Devices d;
        d.setFiscalPrinter = [this](bool on) { calls << QStringLiteral("SetFiscalPrinter %1").arg(on); };
        d.setBarcodeReader = [this](bool on) { calls << QStringLiteral("SetBarcodeReader %1").arg(on); };
        d.fiscalPrinterOn = [] { return false; };
        d.driverActive = [] { return false; };
        d.barcodeReaderOn = [] { return false; };
        return d;
    }
    void SetDeviceControls(const DeviceActivation::Controls& c) override
    {
        calls << "SetDeviceControls";
        controls = c;
    }
    void SetMenuStates(const ActivationMenuStates& s) override
    {
        calls << "SetMenuStates";
        menus = s;
    }
    void RunSaveCommand() override
    {
        calls << "RunSaveCommand";
        if (onSaveCommand) onSaveCommand();
    }
    void LoadReminderWindow() override { calls << "LoadReminderWindow"; }
    void LeaveArchiveMode() override { calls << "LeaveArchiveMode"; }
    void Unload() override { calls << "Unload"; }
    bool ReceiptOpen() const override { return receiptOpen; }
    GridLayout* ViewLayout() override { return layout.get(); }
    void HideToNotificationArea() override { calls << "Hide"; }
    bool UnloadOtherWindows(QString* why) override
    {
        calls << "UnloadOtherWindows";
        if (onUnloadOthers) onUnloadOthers();
        if (refuseUnload) *why = QStringLiteral("La finestra <Vendita> non si è chiusa");
        return !refuseUnload;
    }
    void StorePlacement() override
    {
        calls << "StorePlacement";
        if (failPlacement) throw AppError::object(77, QStringLiteral("Settings"), QStringLiteral("Disco pieno"));
    }
    void StopNotificationIcon() override { calls << "StopNotificationIcon"; }
};

class Lifecycle : public MainWindowShop {
protected:
    Lifecycle() : lifecycle(shell, [this](const SaveReminder::ExitSave& s) { exitSaves << s; })
    {
        setMainWindowServices(&shell);
        // No serial port for either device: nothing real is switched.
        ::settings().FiscalPrinterParam.COMPortNumber = 0;
        ::settings().BarcodeReaderParam.COMPortNumber = 0;
    }
    // Saving configured with a daily reminder that is due today.
    void saveDue()
    {
        ::settings().BackupDir = QStringLiteral("/srv/backup");
        ::settings().BackupFuncSaveEnabled = true;
        ::settings().BkpSaveNotify = 1;
    }
    FakeShell shell;
    QList<SaveReminder::ExitSave> exitSaves;
    MainWindowLifecycle lifecycle;
};

const QString kExitQuestion = QString::fromLatin1(SaveReminder::kExitSaveQuestion);

}   // namespace

TEST_F(Lifecycle, TheTreeIsBuiltRightAfterTheOpeningAndEveryActivationDoesItsPart)
{
    answer({"Yes", "Amministratore", ""});
    lifecycle.Activate();
    EXPECT_TRUE(g_objDatabase);
    EXPECT_EQ(shell.calls,
              (QStringList {"SetTreeViewNodes", "ShowFirstView", "SetDeviceControls", "SetMenuStates",
                            "LoadReminderWindow"}));
    EXPECT_TRUE(log().contains(QStringLiteral("STATUS: Operatore: Amministratore")));
    EXPECT_EQ(shell.currency, QStringLiteral("Importi in Lire"));   // a shop in euro shows lire beside
    EXPECT_EQ(shell.controls, (DeviceActivation::Controls {false, false}));
    EXPECT_FALSE(lifecycle.Activating());

    // Later activations ask nothing and leave the tree alone.
    shell.calls.clear();
    prompts->clearLog();
    lifecycle.Activate();
    EXPECT_EQ(shell.calls, (QStringList {"SetDeviceControls", "SetMenuStates", "LoadReminderWindow"}));
    EXPECT_TRUE(messageBoxes().isEmpty());
}

// The moves a crash interrupted are looked for right after the opening, before the tree and
// the first view show any row (here the journal found cannot be read: the error is reported,
// the window goes on).
TEST_F(Lifecycle, InterruptedMovesAreLookedForBeforeAnyRowIsShown)
{
    testenv::writeFile(databasePath() + QStringLiteral("-move"), "not a journal");
    QStringList errorsAtTree;
    shell.onTree = [&] { errorsAtTree = shownErrors; };
    answer({"Yes", "Amministratore", "", "Yes"});   // Yes: the error's details
    lifecycle.Activate();
    ASSERT_EQ(errorsAtTree.size(), 1) << log().join(u'\n').toStdString();
    EXPECT_TRUE(errorsAtTree.first().contains(QStringLiteral("File non leggibile")))
        << errorsAtTree.first().toStdString();
    EXPECT_EQ(shell.calls.first(), QStringLiteral("SetTreeViewNodes"));
    EXPECT_TRUE(g_objDatabase);
    EXPECT_FALSE(answersLeft());
}

TEST_F(Lifecycle, ARefusedLoginUnloadsTheWindow)
{
    answer({"Yes", "Amministratore", "sbagliata", "OK", "<cancel>"});
    lifecycle.Activate();
    EXPECT_EQ(shell.calls, QStringList {"Unload"});
    EXPECT_FALSE(answersLeft());
}

TEST_F(Lifecycle, TheSaveIsOfferedOnceADayAndItsOwnActivationsDoNothing)
{
    openShop();
    saveDue();
    // Yes runs the save command, whose window activates the main window again meanwhile.
    shell.onSaveCommand = [this] { lifecycle.Activate(); };
    answer({"Yes"});
    lifecycle.Activate();
    EXPECT_EQ(messageBoxes(), QStringList {SaveReminder::OfferText(1)});
    EXPECT_EQ(shell.calls.count(QStringLiteral("RunSaveCommand")), 1);
    EXPECT_EQ(shell.calls.count(QStringLiteral("SetMenuStates")), 1);
    EXPECT_EQ(SaveReminder::LastNotification(), QDate(2007, 3, 12));

    prompts->clearLog();
    lifecycle.Activate();
    EXPECT_TRUE(messageBoxes().isEmpty());
    clock->advanceMs(24 * 3600 * 1000);
    answer({"No"});
    lifecycle.Activate();
    EXPECT_EQ(messageBoxes(), QStringList {SaveReminder::OfferText(1)});
    EXPECT_EQ(shell.calls.count(QStringLiteral("RunSaveCommand")), 1);
}

TEST_F(Lifecycle, MenusFollowTheConfiguration)
{
    struct Case {
        const char* backupDir;
        bool save, restore, maintenance, archive, receipts;
        ActivationMenuStates states;
    };
    const Case cases[] = {
        {"/srv/backup", true, true, false, false, true, {true, true, true, true, true, true}},
        {"   ", true, true, false, false, false, {false, false, false, true, true, true}},
        {"/srv/backup", true, false, true, false, false, {false, true, false, false, true, true}},
        {"/srv/backup", true, true, false, true, false, {false, false, false, true, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.backupDir << c.save << c.restore << c.maintenance << c.archive);
        ::settings().BackupDir = QString::fromLatin1(c.backupDir);
        ::settings().BackupFuncSaveEnabled = c.save;
        ::settings().BackupFuncRestoreEnabled = c.restore;
        ::settings().MaintenanceMode = c.maintenance;
        g_bBackupArchiveMode = c.archive;
        ::settings().Use_Ricevute = c.receipts;
        EXPECT_EQ(ActivationMenuStates::FromConfiguration(), c.states);
    }
}

TEST_F(Lifecycle, AFailureAfterTheOpeningOffersTheSettingsOrEnds)
{
    shell.failTree = true;
    answer({"Yes", "Amministratore", "", "No"});
    lifecycle.Activate();
    ASSERT_FALSE(messageBoxes().isEmpty());
    EXPECT_EQ(messageBoxes().last(), QStringLiteral("Tabella sconosciuta\r\rVuoi cambiare le impostazioni ?"));
    EXPECT_EQ(shell.calls, (QStringList {"SetTreeViewNodes", "ReleaseDatabase", "Unload"}));
    EXPECT_FALSE(g_objDatabase);
}

TEST_F(Lifecycle, AFailureInTheBackupArchiveLeavesIt)
{
    openShop();
    g_bBackupArchiveMode = true;
    shell.failTree = true;
    g_objDatabase.reset();   // the archive is opened again by the activation
    g_objDBEngine.reset();
    ::settings().RootDir = workDir;
    answer({"Amministratore", "", "Yes"});   // Yes: the error's details
    lifecycle.Activate();
    EXPECT_EQ(shell.calls, (QStringList {"SetTreeViewNodes", "LeaveArchiveMode"}));
    ASSERT_EQ(shownErrors.size(), 1);
    EXPECT_TRUE(shownErrors.first().contains(QStringLiteral("Tabella sconosciuta")));
    EXPECT_TRUE(messageBoxes().filter(QStringLiteral("Vuoi cambiare")).isEmpty());
}

TEST_F(Lifecycle, TheCloseBoxOnlyHides)
{
    openShop();
    ::settings().AutoSaveOnExit = true;
    saveDue();
    EXPECT_FALSE(lifecycle.QueryUnload(MainWindowLifecycle::CloseCause::CloseBox));
    EXPECT_EQ(shell.calls, QStringList {"Hide"});
    EXPECT_TRUE(log().isEmpty());
}

TEST_F(Lifecycle, TheGridsChangedLayoutIsStoredBeforeAnyOtherWindowUnloads)
{
    openShop();
    const QString file = workDir + QStringLiteral("/Mirtavolia.INI");
    shell.layout = std::make_shared<GridLayout>(QStringLiteral("dgView_Clienti"), file);
    shell.layout->SetFieldSequence(QStringLiteral("Descrizione,Codice"));

    // The close box only hides: nothing is stored.
    EXPECT_FALSE(lifecycle.QueryUnload(MainWindowLifecycle::CloseCause::CloseBox));
    EXPECT_TRUE(shell.layout->IsChanged());

    QString storedWhenOthersUnload;
    shell.onUnloadOthers
        = [&] { storedWhenOthersUnload = GridLayout(QStringLiteral("dgView_Clienti"), file).FieldSequence(); };
    EXPECT_TRUE(lifecycle.QueryUnload(MainWindowLifecycle::CloseCause::Program));
    EXPECT_EQ(storedWhenOthersUnload, QStringLiteral("Descrizione,Codice"));
    EXPECT_FALSE(shell.layout->IsChanged());
}

TEST_F(Lifecycle, TheCloseCommandOffersTheExitSaveWhenDue)
{
    openShop();
    ::settings().AutoSaveOnExit = true;
    ::settings().BackupFuncEnableDelete = true;
    saveDue();
    answer({"Yes"});
    EXPECT_TRUE(lifecycle.QueryUnload(MainWindowLifecycle::CloseCause::Program));
    EXPECT_EQ(messageBoxes(), QStringList {kExitQuestion});
    ASSERT_EQ(exitSaves.size(), 1);
    EXPECT_FALSE(exitSaves.first().from);   // never saved: from the beginning
    EXPECT_EQ(exitSaves.first().to, QDate(2007, 3, 12));
    EXPECT_TRUE(exitSaves.first().deleteAtOrigin);

    // The desktop ending the session asks nothing.
    prompts->clearLog();
    settings->remove(QStringLiteral("Backup"), QStringLiteral("LastNotification"));
    EXPECT_TRUE(lifecycle.QueryUnload(MainWindowLifecycle::CloseCause::System));
    EXPECT_TRUE(messageBoxes().isEmpty());
    EXPECT_EQ(exitSaves.size(), 1);
}

TEST_F(Lifecycle, NoExitSaveWhileTheBackupArchiveIsInUse)
{
    openShop();
    ::settings().AutoSaveOnExit = true;
    saveDue();
    g_bBackupArchiveMode = true;
    EXPECT_TRUE(lifecycle.QueryUnload(MainWindowLifecycle::CloseCause::Program));
    EXPECT_TRUE(messageBoxes().isEmpty());
    EXPECT_TRUE(exitSaves.isEmpty());
}

TEST_F(Lifecycle, AWindowThatStaysOrAReceiptUnderWayKeepsTheProgramOpen)
{
    openShop();
    shell.refuseUnload = true;
    answer({"OK"});
    EXPECT_FALSE(lifecycle.QueryUnload(MainWindowLifecycle::CloseCause::Program));
    EXPECT_EQ(messageBoxes(),
              QStringList {
                  QStringLiteral("Impossibile chiudere l'applicazione...\r\rLa finestra <Vendita> non si è chiusa")});

    prompts->clearLog();
    shell.calls.clear();
    shell.refuseUnload = false;
    shell.receiptOpen = true;
    answer({"OK"});
    EXPECT_FALSE(lifecycle.QueryUnload(MainWindowLifecycle::CloseCause::Program));
    ASSERT_EQ(messageBoxes().size(), 1);
    EXPECT_TRUE(messageBoxes().first().startsWith(QStringLiteral("Impossibile chiudere l'applicazione...\r\r")));
    EXPECT_TRUE(shell.calls.isEmpty());   // no window was unloaded for nothing
    EXPECT_TRUE(g_objDatabase);
}

TEST_F(Lifecycle, TheUnloadReleasesTheDatabaseWhateverFailsBefore)
{
    openShop();
    shell.failPlacement = true;
    lifecycle.Unload();
    EXPECT_EQ(shell.calls, (QStringList {"StorePlacement", "StopNotificationIcon", "ReleaseDatabase"}));
    EXPECT_FALSE(g_objDatabase);
    ASSERT_EQ(messageBoxes().size(), 1);   // the error's question, reported once
    EXPECT_TRUE(messageBoxes().first().contains(QStringLiteral("Disco pieno")));
    EXPECT_EQ(MainWindowLifecycle::ClosingMessage(), QStringLiteral("Chiusura di Mirtavolia ..."));
}
