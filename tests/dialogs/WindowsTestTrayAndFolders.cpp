#include "WindowsTestSupport.h"
#include "TestEnvironment.h"
#include "dialogs/clsOSTNA.h"
#include "dialogs/frmSelectDir.h"
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

// ---- Notification-area icon -------------------------------------------------------------------------------
namespace {
struct AreaLog {
    bool available = true;
    bool addSucceeds = true;
    int icons = 0;   // icons in the area now
    QStringList calls;   // "add <tip>", "modify <tip>", "remove"
};

class FakeArea : public NotificationArea {
public:
    explicit FakeArea(AreaLog& log) : m_log(log) { }
    bool available() const override { return m_log.available; }
    bool add(const QIcon&, const QString& tip) override
    {
        m_log.calls << QStringLiteral("add ") + tip;
        if (!m_log.addSucceeds) return false;
        ++m_log.icons;
        return true;
    }
    bool modify(const QIcon&, const QString& tip) override
    {
        m_log.calls << QStringLiteral("modify ") + tip;
        return true;
    }
    bool remove() override
    {
        m_log.calls << QStringLiteral("remove");
        if (m_log.icons > 0) --m_log.icons;
        return true;
    }

private:
    AreaLog& m_log;
};
}

TEST(NotificationIcon, TipIsCutTo63Characters)
{
    AreaLog log;
    clsOSTNA tna(std::make_unique<FakeArea>(log));
    const QString longTip = QString(70, u'x');
    EXPECT_EQ(tna.IconStart(nullptr, QIcon(), longTip), 1);
    EXPECT_EQ(tna.Tip(), QString(63, u'x'));
    EXPECT_EQ(log.calls.last(), QStringLiteral("add ") + QString(63, u'x'));
    tna.ChangeTip(QStringLiteral("Mirtavolia"));
    EXPECT_EQ(log.calls.last(), QStringLiteral("modify Mirtavolia"));
}

TEST(NotificationIcon, StartTwiceLeavesOneIconAndStopIsHarmlessWhenRepeated)
{
    AreaLog log;
    {
        clsOSTNA tna(std::make_unique<FakeArea>(log));
        tna.IconStop();   // nothing yet: nothing happens
        EXPECT_TRUE(log.calls.isEmpty());
        tna.IconStart(nullptr, QIcon(), QStringLiteral("a"));
        tna.IconStart(nullptr, QIcon(), QStringLiteral("b"));
        EXPECT_EQ(log.icons, 1);
        EXPECT_EQ(log.calls, (QStringList {"add a", "remove", "add b"}));
        tna.IconStop();
        tna.IconStop();
        EXPECT_EQ(log.calls.count(QStringLiteral("remove")), 2);
        tna.IconStart(nullptr, QIcon(), QStringLiteral("c"));
    }
    EXPECT_EQ(log.icons, 0);   // gone with the object
}

TEST(NotificationIcon, MouseActionsAreDecoded)
{
    struct Case {
        float x;
        bool left, dbl, right;
    };
    const Case cases[] = {
        {7695, true, false, false},   // 0x201 x 15: left press
        {7725, false, true, false},   // 0x203 x 15: left double click
        {7740, false, false, true},   // 0x204 x 15: right press
        {7680, false, false, false},   // a plain move
        {7710, false, false, false},   // left release
    };
    for (const Case& c : cases) {
        EXPECT_EQ(clsOSTNA::IsLeftButton(c.x), c.left) << c.x;
        EXPECT_EQ(clsOSTNA::IsDoubleClick(c.x), c.dbl) << c.x;
        EXPECT_EQ(clsOSTNA::IsRightButton(c.x), c.right) << c.x;
    }

    AreaLog log;
    auto area = std::make_unique<FakeArea>(log);
    FakeArea* raw = area.get();
    clsOSTNA tna(std::move(area));
    QStringList seen;
    tna.IconStart(nullptr, QIcon(), QStringLiteral("t"), [&](float x) {
        seen << (clsOSTNA::IsRightButton(x) ? "menu" : clsOSTNA::IsDoubleClick(x) ? "show" : "other");
    });
    raw->onMouse(0x204);
    raw->onMouse(0x203);
    raw->onMouse(0x201);
    EXPECT_EQ(seen, (QStringList {"menu", "show", "other"}));
}

TEST(NotificationIcon, WithoutANotificationAreaTheWindowIsMinimisedNotHidden)
{
    struct Case {
        bool available;
        bool addSucceeds;
        bool hidden;
    };
    const Case cases[] = {{true, true, true}, {false, false, false}, {true, false, false}};
    for (const Case& c : cases) {
        AreaLog log;
        log.available = c.available;
        log.addSucceeds = c.addSucceeds;
        clsOSTNA tna(std::make_unique<FakeArea>(log));
        auto box = std::make_unique<QWidget>();
        QWidget main;
        main.show();
        tna.IconStart(box.get(), QIcon(), QStringLiteral("Mirtavolia"));
        EXPECT_FALSE(box->isVisible());
        tna.HideMainWindow(&main);
        EXPECT_EQ(!main.isVisible(), c.hidden) << c.available << c.addSucceeds;
        if (!c.hidden) {
            EXPECT_TRUE(main.windowState() & Qt::WindowMinimized);
        }
    }
}

// ---- Folder choice ------------------------------------------------------------------------------------------
TEST(FolderChoice, PathArithmetic)
{
    struct Case {
        const char* picked;
        const char* folder;
    };
    const Case cases[] = {
        {"/srv/negozio/dati/Mirtavolia.mdb", "/srv/negozio/dati"},
        {"\\\\server\\share\\file.txt", "\\\\server\\share"},
        {"archivio.mdb", "archivio.mdb"},   // no separator: the name itself
        {"/file.txt", "/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(folders::FolderOfPickedFile(QString::fromLatin1(c.picked)), QString::fromLatin1(c.folder))
            << c.picked;

    EXPECT_EQ(folders::WithoutTrailingSeparator(QStringLiteral("/srv/dati/")), QStringLiteral("/srv/dati"));
    EXPECT_EQ(folders::WithoutTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(folders::DialogStartName(QStringLiteral("/srv/dati")), QStringLiteral("/srv/dati/*.*"));
    EXPECT_EQ(folders::DialogStartName(QStringLiteral("/srv/dati/")), QStringLiteral("/srv/dati/*.*"));
    const QStringList roots {"/", "/media/usb", "/media/usb2"};
    EXPECT_EQ(folders::DriveOf(QStringLiteral("/media/usb2/x"), roots), QStringLiteral("/media/usb2"));
    EXPECT_EQ(folders::DriveOf(QStringLiteral("/media/usbx"), roots), QStringLiteral("/"));
}

TEST(FolderChoice, ListShowsTheWayDownAndTheSubFolders)
{
    const QString root = testenv::newDir(QStringLiteral("folders"));
    QDir(root).mkpath(QStringLiteral("negozio/dati/Zeta"));
    QDir(root).mkpath(QStringLiteral("negozio/dati/alfa"));
    QDir(root).mkpath(QStringLiteral("negozio/dati/.nascosta"));
    const QList<folders::Entry> list = folders::ListAround(root + QStringLiteral("/negozio/dati"), root);
    QStringList shown;
    for (const folders::Entry& e : list)
        shown << QString::number(e.depth) + (e.open ? "+" : "-") + QDir(root).relativeFilePath(e.path);
    EXPECT_EQ(shown,
              (QStringList {"0+.", "1+negozio", "2+negozio/dati", "3-negozio/dati/alfa", "3-negozio/dati/Zeta"}));
    EXPECT_EQ(folders::NearestExisting(root + QStringLiteral("/negozio/manca/ancora")),
              root + QStringLiteral("/negozio"));
}

class FolderDialog : public wintest::WindowTest { };

TEST_F(FolderDialog, OkGivesTheFolderOfTheListAndCancelGivesNothing)
{
    const QString root = testenv::newDir(QStringLiteral("choice"));
    QDir(root).mkpath(QStringLiteral("dati/copie"));
    frmSelectDir w;
    w.setSelectedDir(root + QStringLiteral("/dati/"));
    EXPECT_TRUE(w.findChild<QRadioButton*>(QStringLiteral("optResource_0"))->isChecked());
    EXPECT_TRUE(w.findChild<QComboBox*>(QStringLiteral("driveSelect"))->isEnabled());
    EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("cmdSelectRes"))->isEnabled());
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblSelected"))->text(), root + QStringLiteral("/dati"));

    // A click on a sub-folder makes it the current one.
    auto* list = w.findChild<QListWidget*>(QStringLiteral("dirSelect"));
    const QList<QListWidgetItem*> found = list->findItems(QStringLiteral("copie"), Qt::MatchEndsWith);
    ASSERT_EQ(found.size(), 1);
    list->setCurrentItem(found.first());
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblSelected"))->text(), root + QStringLiteral("/dati/copie"));
    w.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    EXPECT_EQ(w.SelectedDir(), root + QStringLiteral("/dati/copie"));

    w.setSelectedDir(root);
    w.findChild<QPushButton*>(QStringLiteral("cmdEsci"))->click();
    EXPECT_EQ(w.SelectedDir(), QString());
}

TEST_F(FolderDialog, OtherLocationTakesTheFolderOfThePickedFile)
{
    const QString root = testenv::newDir(QStringLiteral("network"));
    QDir(root).mkpath(QStringLiteral("condivisa"));
    frmSelectDir w;
    w.setSelectedDir(root);
    w.show();
    ui->addAnswer(root + QStringLiteral("/condivisa/Mirtavolia.mdb"));
    w.findChild<QRadioButton*>(QStringLiteral("optResource_1"))->click();   // opens the dialog at once
    ASSERT_EQ(ui->log().size(), 1);
    EXPECT_TRUE(ui->log().first().startsWith(QStringLiteral("OPENFILE: ")));
    EXPECT_EQ(w.CurrentFolder(), root + QStringLiteral("/condivisa"));

    ui->addAnswer(QStringLiteral("<cancel>"));
    w.SelectResource();   // cancelled: nothing changes
    EXPECT_EQ(w.CurrentFolder(), root + QStringLiteral("/condivisa"));
    w.accept();
    EXPECT_EQ(w.SelectedDir(), root + QStringLiteral("/condivisa"));
}
