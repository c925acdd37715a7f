// The main window itself, offscreen: its first start, the tree and the section buttons, the
// close box and the close command, the placement, the operator commands and its keys.
#include "mainwindow/frmMain.h"
#include "mainwindow/CommandEnabling.h"
#include "core/configuration/Configuration.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/Database.h"
#include "dialogs/FormUtilities.h"
#include "MainWindowShop.h"
#include "dialogs/OperatorLogin.h"
#include "mainwindow/SectionTreeView.h"
#include "dialogs/clsOSTNA.h"
#include "mainwindow/frmMemo.h"
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <map>

namespace {

// A notification area that may or may not exist, and says whether the icon stands.
class FakeArea final : public NotificationArea {
public:
    explicit FakeArea(bool available, bool* shown) : m_available(available), m_shown(shown) { }
    bool available() const override { return m_available; }
    bool add(const QIcon&, const QString&) override { return *m_shown = m_available; }
    bool modify(const QIcon&, const QString&) override { return m_available; }
    bool remove() override
    {
        *m_shown = false;
        return true;
    }

private:
    bool m_available;
    bool* m_shown;
};

// A window that will not be closed (a document with unsaved work that says no).
class Stubborn final : public QWidget {
public:
    Stubborn() { setWindowTitle(QStringLiteral("Vendita")); }

protected:
    void closeEvent(QCloseEvent* e) override { e->ignore(); }
};

class MainWindowTest : public MainWindowShop {
protected:
    // Built after the test has set up the store and the database.
    frmMain& window(bool notificationArea = true)
    {
        m_window = std::make_unique<frmMain>(std::make_unique<FakeArea>(notificationArea, &iconShown));
        m_window->SetAutoActivate(false);
        QObject::connect(m_window.get(), &frmMain::Unloaded, [this] { ++unloaded; });
        return *m_window;
    }
    void TearDown() override { m_window.reset(); }

    QStringList buttonCaptions() const
    {
        QStringList out;
        for (const QPushButton* b : m_window->SectionButtons()) out << b->text();
        return out;
    }
    QStringList buttonTags() const
    {
        QStringList out;
        for (const QPushButton* b : m_window->SectionButtons()) out << b->property("Tag").toString();
        return out;
    }
    QString current() const
    {
        const QTreeWidgetItem* item = m_window->TreeView()->currentItem();
        return item ? item->text(0) : QString();
    }
    QString stored(const char* key) const
    {
        return settings->get(QStringLiteral("Settings"), QString::fromLatin1(key), QString());
    }
    QAction* toolbar(const char* key) const { return ToolbarAction(*m_window->ToolBar(), QString::fromLatin1(key)); }

    bool iconShown = false;
    int unloaded = 0;

private:
    std::unique_ptr<frmMain> m_window;
};

}   // namespace

TEST_F(MainWindowTest, FirstStartCreatesTheDatabaseLetsTheAdministratorInAndShowsTheTree)
{
    frmMain& w = window();
    EXPECT_TRUE(iconShown);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Mirtavolia"));
    // No placement stored: 1000, 1000 twips, 6500 x 6500.
    EXPECT_EQ(w.size(), QSize(TwipsToPixels(6500), TwipsToPixels(6500)));
    EXPECT_EQ(w.SplitterLeft(), 3500);

    w.show();
    answer({"Yes", "Amministratore", ""});
    w.Activate();
    EXPECT_FALSE(answersLeft());
    EXPECT_TRUE(QFile::exists(databasePath()));
    ASSERT_TRUE(g_objDatabase);
    EXPECT_EQ(g_objDatabase->Sink(), static_cast<itfNotifyEvent*>(&w));
    EXPECT_EQ(g_objDatabase->AccessLevel(), 1);
    EXPECT_TRUE(log().contains(QStringLiteral("STATUS: Operatore: Amministratore")));

    EXPECT_EQ(SectionTreeView::NodeCount(*w.TreeView()), 40);   // administrator, no supply payments
    EXPECT_EQ(current(), QStringLiteral("Operazioni effettuate"));
    EXPECT_EQ(buttonCaptions(),
              (QStringList {"VOCI PRINCIPALI PER LA SEZIONE OPERAZIONI EFFETTUATE :", "Vendite", "Forniture"}));
    EXPECT_FALSE(w.HideTreeButton()->isEnabled());
    EXPECT_TRUE(w.ReminderWindow());
    EXPECT_FALSE(w.ReminderWindow()->isVisible());
    // Without receipts the receipt settings are not offered; without a reader's port its
    // controls are absent.
    EXPECT_FALSE(w.Menus().mnuTicketSetting->isVisible());
    EXPECT_FALSE(toolbar("BarcodeReader")->isVisible());
    EXPECT_TRUE(toolbar("FiscalPrinter")->isEnabled());
}

TEST_F(MainWindowTest, AWrongPasswordEndsTheProgram)
{
    frmMain& w = window();
    w.show();
    answer({"Yes", "Amministratore", "sbagliata", "OK", "<cancel>"});
    w.Activate();
    EXPECT_EQ(unloaded, 1);
    EXPECT_TRUE(w.IsUnloaded());
    EXPECT_FALSE(g_objDatabase);
    EXPECT_FALSE(iconShown);
    EXPECT_EQ(SectionTreeView::NodeCount(*w.TreeView()), 0);
}

TEST_F(MainWindowTest, TheCloseBoxHidesBehindTheIconOrMinimisesWithoutOne)
{
    for (const bool area : {true, false}) {
        SCOPED_TRACE(area ? "notification area" : "none");
        frmMain& w = window(area);
        w.show();
        w.close();
        EXPECT_EQ(w.isVisible(), !area);
        EXPECT_EQ(w.isMinimized(), !area);
        EXPECT_FALSE(w.IsUnloaded());
        // The icon's double click brings it back.
        w.NotificationMouse(clsOSTNA::MouseX(0x203));
        EXPECT_TRUE(w.isVisible());
        EXPECT_FALSE(w.isMinimized());
    }
}

TEST_F(MainWindowTest, TheCloseCommandUnloadsEveryWindowStoresTheStateAndEnds)
{
    openShop();
    frmMain& w = window();
    w.show();
    w.showMaximized();
    auto other = std::make_unique<QWidget>();
    other->setWindowTitle(QStringLiteral("Promemoria"));
    other->show();

    w.Menus().mnuFileClose->trigger();
    EXPECT_EQ(unloaded, 1);
    EXPECT_FALSE(other->isVisible());
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(g_objDatabase);
    EXPECT_FALSE(iconShown);
    // Maximised: the state alone, the normal placement underneath stays as it was.
    EXPECT_EQ(stored("MainState"), QStringLiteral("2"));
    EXPECT_FALSE(settings->contains(QStringLiteral("Settings"), QStringLiteral("MainLeft")));
    EXPECT_EQ(stored("MainSplit"), QStringLiteral("3500"));
}

TEST_F(MainWindowTest, ANormalWindowStoresItsBoundsAndOpensWhereItWas)
{
    openShop();
    {
        frmMain& w = window();
        w.show();
        w.setGeometry(120, 90, 900, 640);
        w.Menus().mnuFileClose->trigger();
        EXPECT_EQ(stored("MainState"), QStringLiteral("0"));
        EXPECT_EQ(stored("MainLeft"), QString::number(PixelsToTwips(w.x())));
        EXPECT_EQ(stored("MainWidth"), QStringLiteral("13500"));
        EXPECT_EQ(stored("MainHeight"), QStringLiteral("9600"));
    }
    settings->set(QStringLiteral("Settings"), QStringLiteral("MainSplit"), QStringLiteral("2500"));
    settings->set(QStringLiteral("Settings"), QStringLiteral("MainState"),
                  QStringLiteral("1"));   // minimised opens normal
    frmMain& again = window();
    EXPECT_EQ(again.size(), QSize(900, 640));
    EXPECT_EQ(again.SplitterLeft(), 2500);
    EXPECT_FALSE(again.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));

    settings->set(QStringLiteral("Settings"), QStringLiteral("MainState"), QStringLiteral("2"));
    EXPECT_TRUE(window().windowState() & Qt::WindowMaximized);
}

TEST_F(MainWindowTest, AWindowThatWillNotCloseKeepsTheProgramOpen)
{
    openShop();
    frmMain& w = window();
    w.show();
    Stubborn sale;
    sale.show();
    answer({"OK"});
    w.Menus().mnuFileClose->trigger();
    EXPECT_EQ(messageBoxes(),
              QStringList {
                  QStringLiteral("Impossibile chiudere l'applicazione...\r\rLa finestra <Vendita> non si è chiusa")});
    EXPECT_EQ(unloaded, 0);
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(g_objDatabase);
    EXPECT_TRUE(iconShown);
}

// The system's end is not held by a window that refuses to close: the program ends all the
// same, as the system asked.
TEST_F(MainWindowTest, TheSystemsEndIsNotHeldByAWindowThatWillNotClose)
{
    openShop();
    frmMain& w = window();
    w.show();
    Stubborn sale;
    sale.show();
    QEventLoop program;
    QTimer::singleShot(0, &program, [&] { w.EndForSystem(); });
    constexpr int kStillRunning = 7;
    QTimer::singleShot(10000, &program, [&] { program.exit(kStillRunning); });
    const int ended = program.exec();
    setSystemEnding(false);
    EXPECT_EQ(ended, 0) << "the program did not end";
}

TEST_F(MainWindowTest, SectionButtonsOpenTheirNodes)
{
    openShop();
    frmMain& w = window();
    w.resize(1280, 800);
    w.show();
    ::settings().Use_PagamentoForniture = true;
    w.SetTreeViewNodes();
    w.TreeView()->setCurrentItem(SectionTreeView::ItemAt(*w.TreeView(), 20));
    EXPECT_EQ(buttonCaptions(),
              (QStringList {"VOCI PRINCIPALI PER LA SEZIONE ARCHIVIO :", "Movimenti", "Carico / Scarico Magazzino",
                            "Configurazione", "Operatori", "Specifiche Importazione"}));
    EXPECT_EQ(buttonTags().mid(1), (QStringList {"21", "25", "28", "Operatori", "40"}));
    EXPECT_FALSE(w.SectionButtons().front()->isEnabled());
    // The buttons stand in the detail area, right of the splitter.
    for (const QPushButton* b : w.SectionButtons()) EXPECT_GE(b->x(), w.DetailArea()->x());

    w.SectionButtons()[3]->click();   // "Configurazione"
    EXPECT_EQ(current(), QStringLiteral("Configurazione"));
    EXPECT_EQ(w.SectionButtons().size(), 9u);
    EXPECT_FALSE(w.HideTreeButton()->isEnabled());

    w.SectionButtons()[1]->click();   // "Reparti": a table shows no button
    EXPECT_EQ(current(), QStringLiteral("Reparti"));
    EXPECT_TRUE(w.SectionButtons().empty());
    EXPECT_TRUE(w.HideTreeButton()->isEnabled());
}

TEST_F(MainWindowTest, TheTreeHidesAndComesBackAtItsWidth)
{
    openShop();
    frmMain& w = window();
    w.resize(1280, 800);
    w.show();
    w.mnuHideSection_Click();
    EXPECT_TRUE(w.TreeHidden());
    EXPECT_FALSE(w.TreeView()->isVisible());
    EXPECT_FALSE(w.Menus().mnuHideSection->isChecked());
    EXPECT_EQ(w.HideTreeButton()->property("caption").toString(), QStringLiteral("4"));
    EXPECT_EQ(w.DetailArea()->x(), TwipsToPixels(60));

    w.Menus().mnuHideSection->trigger();   // the menu entry, as the operator clicks it
    EXPECT_FALSE(w.TreeHidden());
    EXPECT_TRUE(w.TreeView()->isVisible());
    EXPECT_EQ(w.SplitterLeft(), 3500);
    EXPECT_TRUE(w.Menus().mnuHideSection->isChecked());

    // Without the toolbar the tree moves up by the toolbar's height.
    const int top = w.TreeView()->y();
    w.Menus().mnuViewToolbar->trigger();
    EXPECT_FALSE(w.ToolBar()->isVisible());
    EXPECT_LT(w.TreeView()->y(), top);
}

TEST_F(MainWindowTest, ChangingOperatorRebuildsTheTreeAndARefusalEndsTheProgram)
{
    openShop();
    frmMain& w = window();
    w.show();
    w.SetTreeViewNodes();
    ASSERT_EQ(SectionTreeView::NodeCount(*w.TreeView()), 40);

    answer({"Operatore", ""});
    w.Menus().mnuChangeUser->trigger();
    EXPECT_EQ(SectionTreeView::NodeCount(*w.TreeView()), 14);
    EXPECT_EQ(unloaded, 0);

    answer({"<cancel>"});
    w.Menus().mnuChangeUser->trigger();
    EXPECT_EQ(unloaded, 1);
    EXPECT_FALSE(answersLeft());
}

TEST_F(MainWindowTest, KeysReachTheWindowBeforeItsControls)
{
    openShop();
    frmMain& w = window();
    w.show();
    w.SetTreeViewNodes();
    answer({"No"});
    QKeyEvent batch(QEvent::KeyPress, Qt::Key_M, Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    QApplication::sendEvent(w.TreeView(), &batch);
    ASSERT_EQ(messageBoxes().size(), 1);
    EXPECT_TRUE(
        messageBoxes().first().startsWith(QStringLiteral("ATTENZIONE! - Questa operazione imposta i fornitori")));

    // Delete has no view to act on yet.
    prompts->clearLog();
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(w.TreeView(), &del);
    EXPECT_EQ(log(), QStringList {QStringLiteral("BEEP: ")});
}

TEST_F(MainWindowTest, TheLibrarysEventsGoToTheStatusBar)
{
    frmMain& w = window();
    w.OnEvent(1, QString(), QStringLiteral("/dati/Mirtavolia.mdb"));
    EXPECT_EQ(log(), QStringList {QStringLiteral("STATUS: Database aperto </dati/Mirtavolia.mdb>...")});
    w.SetStatusMsg(QStringLiteral("Lettura dati..."));
    EXPECT_EQ(w.StatusText(), QStringLiteral("Lettura dati..."));
}

// A view change switches its commands by name. A name the window does not hold, or holds as
// another kind of thing (a menu named where a control is meant), would leave its command as
// it was, with no error anywhere: every name the enabling gives, for any view, operator and
// configuration, must reach what the enabling takes it for.
TEST_F(MainWindowTest, EveryCommandTheEnablingSwitchesIsInTheWindow)
{
    using Kind = CommandSwitch::Kind;
    using Property = CommandSwitch::Property;
    std::map<std::tuple<QString, Kind, Property>, CommandSwitch> named;
    for (int bits = 0; bits < (1 << 7); ++bits) {
        for (const std::optional<QString>& sequence : {std::optional<QString>(), std::optional<QString>(QString()),
                                                       std::optional<QString>(QStringLiteral("Codice"))}) {
            EnablingInput in;
            in.shown = bits & 1;
            in.table = bits & 2 ? QStringLiteral("Ricevute") : QStringLiteral("Vendite");
            in.dateField = bits & 4 ? QStringLiteral("DataVendita") : QString();
            in.enableFiscalPrint = bits & 8;
            in.enablePrintLabel = bits & 16;
            in.accessLevel = bits & 32 ? 1 : 0;
            in.useRicevute = bits & 64;
            in.fieldSequence = sequence;
            for (const CommandSwitch& s : CommandEnabling::Compute(in).switches)
                named.emplace(std::tuple(s.target, s.kind, s.property), s);
        }
    }
    ASSERT_GE(named.size(), 20u);

    frmMain& w = window();
    for (const auto& [key, s] : named) {
        SCOPED_TRACE(s.target.toStdString());
        const SwitchTarget target = FindSwitchTarget(w, *w.ToolBar(), s);
        switch (s.kind) {
        case Kind::Menu:
            EXPECT_NE(target.action, nullptr) << "no menu entry of that name";
            EXPECT_FALSE(w.ToolBar()->actions().contains(target.action));
            break;
        case Kind::ToolButton:
            EXPECT_NE(target.action, nullptr) << "no toolbar button of that key";
            EXPECT_TRUE(w.ToolBar()->actions().contains(target.action));
            break;
        case Kind::Control:
            ASSERT_NE(target.control, nullptr) << "no control of that name";
            EXPECT_EQ(qobject_cast<QMenu*>(target.control), nullptr) << "a menu, not a control";
            break;
        }
        if (s.property == Property::Checked) {
            ASSERT_NE(target.action, nullptr) << "only menu entries and buttons are ticked";
            EXPECT_TRUE(target.action->isCheckable());
        }
    }
}
