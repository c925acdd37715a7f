#include "WindowsTestSupport.h"
#include "base/AppError.h"
#include "dialogs/FormUtilities.h"
#include "objdb/DBEngine.h"
#include "objdb/Database.h"
#include "core/databasefiles/DatabaseFiles.h"
#include "objdb/Definitions.h"
#include "core/seams/MainWindowServices.h"
#include "objdb/TableObject.h"
#include "TestEnvironment.h"
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>
#include <map>

using wintest::WindowTest;

// ---- Small helpers --------------------------------------------------------------------------------------
TEST(FormUtilities, SameWordPhraseFollowsTheLastLetter)
{
    struct Case {
        const char* word;
        bool feminine;
        const char* phrase;
    };
    const Case cases[] = {
        {"Articoli", false, " con stessi "},   {"Città", false, " con stessa "},    {"Lunedì", false, " con stessi "},
        {"Categoria", false, " con stessa "},  {"Marche", false, " con stesso "},   {"Marche", true, " con stesse "},
        {"REPARTI", false, " con stessi "},    {"Fornitore", true, " con stesse "}, {"", true, " con stesso "},
        {"Codice IVA", false, " con stessa "}, {"Cliente", false, " con stesso "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetSameWordPhrase(QString::fromUtf8(c.word), c.feminine), QString::fromUtf8(c.phrase)) << c.word;
}

TEST(FormUtilities, TypingKeys)
{
    for (int k : {8, 32, 48, 65, 126}) EXPECT_TRUE(IsTypingKey(k)) << k;
    for (int k : {0, 9, 13, 27, 31, 127, 224, 0x1000012}) EXPECT_FALSE(IsTypingKey(k)) << k;

    struct Case {
        int key;
        const char* text;
        int ascii;
    };
    const Case cases[] = {
        {Qt::Key_5, "5", '5'}, {Qt::Key_Backspace, "\b", 8}, {Qt::Key_Return, "\r", 13},
        {Qt::Key_Left, "", 0}, {Qt::Key_F3, "", 0},          {Qt::Key_Space, " ", 32},
    };
    for (const Case& c : cases) {
        QKeyEvent e(QEvent::KeyPress, c.key, Qt::NoModifier, QString::fromLatin1(c.text));
        EXPECT_EQ(KeyAsciiOf(e), c.ascii) << c.key;
    }
}

TEST(FormUtilities, MessagesWithCarriageReturnsShowOnSeparateLines)
{
    EXPECT_EQ(DisplayLines(QStringLiteral("Articolo non trovato...\r\rVuoi inserirlo ?")),
              QStringLiteral("Articolo non trovato...\n\nVuoi inserirlo ?"));
    EXPECT_EQ(DisplayLines(QStringLiteral("a\r\nb")), QStringLiteral("a\nb"));
}

// ---- Placement arithmetic -------------------------------------------------------------------------------
namespace {
std::function<std::optional<QString>(const QString&)> storedFrom(std::map<QString, QString> values)
{
    return [values](const QString& key) -> std::optional<QString> {
        auto it = values.find(key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}
QStringList keysOf(const std::vector<std::pair<QString, QString>>& written)
{
    QStringList out;
    for (const auto& [k, v] : written) out << k + u'=' + v;
    return out;
}
}

TEST(WindowPlacement, WhatIsSaved)
{
    using placement::Values;
    EXPECT_EQ(keysOf(placement::toSave(Values {0, 150, 300, 4500, 3000}, false)),
              (QStringList {"State=0", "Left=150", "Top=300", "Width=4500", "Height=3000"}));
    EXPECT_EQ(keysOf(placement::toSave(Values {0, 150, 300, 4500, 3000}, true)),
              (QStringList {"State=0", "Left=150", "Top=300"}));
    // Maximised, minimised, or pushed to the screen's edge: the state alone.
    EXPECT_EQ(keysOf(placement::toSave(Values {2, 150, 300, 4500, 3000}, false)), QStringList {"State=2"});
    EXPECT_EQ(keysOf(placement::toSave(Values {1, 150, 300, 4500, 3000}, false)), QStringList {"State=1"});
    EXPECT_EQ(keysOf(placement::toSave(Values {0, 0, 300, 4500, 3000}, false)), QStringList {"State=0"});
    EXPECT_EQ(keysOf(placement::toSave(Values {0, 150, -15, 4500, 3000}, false)), QStringList {"State=0"});
}

TEST(WindowPlacement, WhatIsRestored)
{
    const QRect screen(0, 0, 15000, 12000);
    const placement::Values current {0, 30, 45, 6000, 3000};

    // Nothing stored: centred at the current size, normal.
    placement::Restored r = placement::restore(storedFrom({}), current, screen, false, false, 0, 0);
    EXPECT_EQ(r.values.left, 4500);
    EXPECT_EQ(r.values.top, 4500);
    EXPECT_EQ(r.values.width, 6000);
    EXPECT_TRUE(r.applyState);
    EXPECT_EQ(r.values.state, 0);

    // Given defaults win over centring; stored values over both.
    r = placement::restore(storedFrom({{"Top", "900"}}), current, screen, true, false, 1500, 600);
    EXPECT_EQ(r.values.left, 1500);
    EXPECT_EQ(r.values.top, 900);
    EXPECT_FALSE(r.applyState);

    // Minimised comes back normal; maximised stays maximised over the stored normal size.
    r = placement::restore(storedFrom({{"State", "1"}}), current, screen, false, false, 0, 0);
    EXPECT_EQ(r.values.state, 0);
    r = placement::restore(
        storedFrom({{"State", "2"}, {"Left", "150"}, {"Top", "300"}, {"Width", "7500"}, {"Height", "4500"}}), current,
        screen, false, false, 0, 0);
    EXPECT_EQ(r.values.state, 2);
    EXPECT_EQ(r.values.width, 7500);

    // Position only: sizes stay.
    r = placement::restore(storedFrom({{"Width", "7500"}}), current, screen, false, true, 0, 0);
    EXPECT_EQ(r.values.width, 6000);

    // Blanks around a number are read; text that is no number throws.
    r = placement::restore(storedFrom({{"Left", " 1500 "}}), current, screen, true, true, 0, 0);
    EXPECT_EQ(r.values.left, 1500);
    EXPECT_THROW(placement::restore(storedFrom({{"Top", "alto"}}), current, screen, true, true, 0, 0), AppError);
}

TEST(WindowPlacement, KeptOnAScreen)
{
    const QList<QRect> screens {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    struct Case {
        QRect window;
        QPoint expected;
    };
    const Case cases[] = {
        {QRect(100, 100, 400, 300), QPoint(100, 100)},   // well inside
        {QRect(2000, 50, 400, 300), QPoint(2000, 50)},   // on the second screen
        {QRect(1800, 100, 400, 300), QPoint(1800, 100)},   // across both: reachable
        {QRect(5000, 3000, 400, 300), QPoint(1520, 780)},   // far away: onto the first screen
        {QRect(-2000, 200, 400, 300), QPoint(0, 200)},   // left of everything
        {QRect(1900, -200, 400, 300), QPoint(1920, 0)},   // title bar above the top: onto the screen it overlaps most
        {QRect(100, 1070, 400, 300), QPoint(100, 780)},   // title bar below the bottom
        {QRect(-10, 10, 3000, 2000), QPoint(-10, 10)},   // larger than the screen, title bar on it
    };
    for (const Case& c : cases)
        EXPECT_EQ(placement::keepOnScreen(c.window, screens).topLeft(), c.expected)
            << c.window.x() << "," << c.window.y();
}

TEST(WindowPlacement, TwipsFromTheCallerOrCentred)
{
    const QRect screen(0, 0, 1000, 800);
    EXPECT_EQ(placement::positionFromTwips(-1, -1, QSize(200, 100), screen), QPoint(400, 350));
    EXPECT_EQ(placement::positionFromTwips(1500, -1, QSize(200, 100), screen), QPoint(400, 100));
    EXPECT_EQ(placement::positionFromTwips(1500, 3000, QSize(200, 100), screen), QPoint(200, 100));
    EXPECT_EQ(placement::positionFromTwips(90000, 3000, QSize(200, 100), screen), QPoint(200, 700));
}

// ---- Real windows -------------------------------------------------------------------------------------------
class WindowPlacementStore : public WindowTest {
protected:
    std::unique_ptr<QWidget> window()
    {
        auto w = std::make_unique<QWidget>();
        w->setObjectName(QStringLiteral("frmVendite"));
        w->resize(400, 300);
        return w;
    }
    QString stored(const char* key) const
    {
        return settings->get(QStringLiteral("frmVenditeSettings"), QString::fromLatin1(key), QStringLiteral("<none>"));
    }
    QRect screen() const { return QGuiApplication::primaryScreen()->availableGeometry(); }
};

TEST_F(WindowPlacementStore, FirstOpeningIsCentred)
{
    auto w = window();
    RestoreFormPosition(w.get(), false, false, 0, 0);
    EXPECT_EQ(w->size(), QSize(400, 300));
    EXPECT_EQ(w->pos(),
              QPoint(screen().left() + (screen().width() - 400) / 2, screen().top() + (screen().height() - 300) / 2));
}

TEST_F(WindowPlacementStore, NormalWindowComesBackWhereItWas)
{
    auto w = window();
    w->move(120, 80);
    w->show();
    SaveFormPosition(w.get(), false);
    EXPECT_EQ(stored("State"), QStringLiteral("0"));
    EXPECT_EQ(stored("Left"), QStringLiteral("1800"));
    EXPECT_EQ(stored("Top"), QStringLiteral("1200"));
    EXPECT_EQ(stored("Width"), QStringLiteral("6000"));
    EXPECT_EQ(stored("Height"), QStringLiteral("4500"));

    auto again = window();
    again->resize(200, 100);
    RestoreFormPosition(again.get(), false, false, 0, 0);
    EXPECT_EQ(again->geometry().size(), QSize(400, 300));
    EXPECT_EQ(again->pos(), QPoint(120, 80));
}

TEST_F(WindowPlacementStore, MaximisedWindowStoresOnlyItsStateAndReturnsMaximisedOverItsNormalPlacement)
{
    settings->set(QStringLiteral("frmVenditeSettings"), QStringLiteral("Left"), QStringLiteral("1500"));
    settings->set(QStringLiteral("frmVenditeSettings"), QStringLiteral("Top"), QStringLiteral("750"));
    settings->set(QStringLiteral("frmVenditeSettings"), QStringLiteral("Width"), QStringLiteral("7500"));
    settings->set(QStringLiteral("frmVenditeSettings"), QStringLiteral("Height"), QStringLiteral("4500"));

    auto w = window();
    w->show();
    w->setWindowState(Qt::WindowMaximized);
    SaveFormPosition(w.get(), false);
    EXPECT_EQ(stored("State"), QStringLiteral("2"));
    EXPECT_EQ(stored("Left"), QStringLiteral("1500"));   // untouched
    EXPECT_EQ(stored("Width"), QStringLiteral("7500"));

    auto again = window();
    RestoreFormPosition(again.get(), false, false, 0, 0);
    again->show();
    EXPECT_TRUE(again->windowState() & Qt::WindowMaximized);
    again->setWindowState(Qt::WindowNoState);
    EXPECT_EQ(again->pos(), QPoint(100, 50));
    EXPECT_EQ(again->size(), QSize(500, 300));
}

TEST_F(WindowPlacementStore, MinimisedWindowReopensNormal)
{
    settings->set(QStringLiteral("frmVenditeSettings"), QStringLiteral("State"), QStringLiteral("1"));
    auto w = window();
    w->setWindowState(Qt::WindowMaximized);
    RestoreFormPosition(w.get(), false, false, 0, 0);
    EXPECT_FALSE(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

TEST_F(WindowPlacementStore, PlacementOffEveryScreenIsBroughtBack)
{
    settings->set(QStringLiteral("frmVenditeSettings"), QStringLiteral("Left"), QStringLiteral("900000"));
    settings->set(QStringLiteral("frmVenditeSettings"), QStringLiteral("Top"), QStringLiteral("600000"));
    auto w = window();
    RestoreFormPosition(w.get(), true, true, 0, 0);
    EXPECT_TRUE(screen().contains(QRect(w->pos(), w->size())));
}

TEST_F(WindowPlacementStore, UnreadableValueIsReportedAndTheWindowStays)
{
    settings->set(QStringLiteral("frmVenditeSettings"), QStringLiteral("Top"), QStringLiteral("in alto"));
    ui->addAnswer(QStringLiteral("No"));
    auto w = window();
    w->move(40, 60);
    RestoreFormPosition(w.get(), false, false, 0, 0);
    EXPECT_EQ(w->pos(), QPoint(40, 60));
    ASSERT_EQ(ui->prompts().size(), 1);
    EXPECT_TRUE(ui->prompts().first().contains(QStringLiteral("Posizioni finestra non ripristinate...")));
    EXPECT_TRUE(ui->prompts().first().endsWith(QStringLiteral("Visualizzare dettagli ?")));
}

// ---- Main window and fonts ----------------------------------------------------------------------------------
namespace {
class FakeMainWindow : public MainWindowServices {
public:
    QWidget widget;
    QWidget* mainWidget() override { return &widget; }
    bool OptionsActive() const override { return false; }
    void SetOptionsActive(bool) override { }
    void SetStatusMsg(const QString&) override { }
    void ReleaseDatabase() override { }
    void RefreshDetailView() override { }
};
}

TEST_F(WindowPlacementStore, EnableMainFormReachesTheRegisteredMainWindow)
{
    EnableMainForm(false);   // none registered: nothing happens
    FakeMainWindow main;
    setMainWindowServices(&main);
    EnableMainForm(false);
    EXPECT_FALSE(main.widget.isEnabled());
    EnableMainForm(true);
    EXPECT_TRUE(main.widget.isEnabled());
    setMainWindowServices(nullptr);
}

TEST_F(WindowPlacementStore, FormFontChangesFaceAndSizeOnceButKeepsFixedPitchFaces)
{
    QWidget w;
    w.setFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    auto* plain = new QLabel(QStringLiteral("a"), &w);
    auto* code = new QLabel(QStringLiteral("b"), &w);
    code->setFont(QFont(QStringLiteral("Courier New"), 9));
    auto* inner = new QWidget(&w);
    auto* nested = new QLabel(QStringLiteral("c"), inner);
    new QVBoxLayout(inner);

    ApplyFormFont(&w, QString(), 0);
    EXPECT_EQ(plain->font().pointSizeF(), 10);

    ApplyFormFont(&w, QStringLiteral("DejaVu Serif"), 0);
    EXPECT_EQ(w.font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(plain->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(plain->font().pointSizeF(), 10);
    EXPECT_EQ(code->font().family(), QStringLiteral("Courier New"));

    ApplyFormFont(&w, QString(), 1.5f);
    EXPECT_EQ(w.font().pointSizeF(), 11.5);
    EXPECT_EQ(plain->font().pointSizeF(), 11.5);   // once, although it inherits from the window
    EXPECT_EQ(nested->font().pointSizeF(), 11.5);
    EXPECT_EQ(code->font().pointSizeF(), 10.5);
}

// ---- Tables by name ------------------------------------------------------------------------------------------
namespace {
class Reparti : public itfDefTable, public itfSetData {
public:
    void DefineIdentity(TableIdentity& id) override { id.Caption = QStringLiteral("Reparti"); }
    void DefineStructure(FieldDefinitions& f, IndexDefinitions&, ReferenceDefinitions&) override
    {
        f.AddField(QStringLiteral("Codice"), FieldType::Text, 8, 0, 0, -100, -100, -100, -1);
    }
    itfSetData* DefineDefaultData() override { return this; }
    QString TableName() const override { return QStringLiteral("Reparti"); }
};
class OneTable : public itfDefDatabase {
public:
    void Define(DatabaseDefinition& d) override { d.AddTable(std::make_shared<Reparti>()); }
};
}

TEST(FormUtilities, TableObjectByNameFromTheOpenDatabase)
{
    g_objDatabase.reset();
    EXPECT_THROW(GetTableObject(QStringLiteral("Reparti")), AppError);

    auto engine = std::make_shared<DBEngine>();
    const QString path = testenv::newDir(QStringLiteral("tables")) + QStringLiteral("/Mirtavolia.mdb");
    engine->CreateDatabase(3, path);
    engine->OpenDatabase(3, path);
    g_objDatabase = LibraryGlobal::NewDatabase(std::make_shared<OneTable>(), QStringLiteral("test"), nullptr);
    g_objDatabase->AttachEngine(engine);
    TableObject* t = GetTableObject(QStringLiteral("reparti"));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Name(), QStringLiteral("Reparti"));
    EXPECT_THROW(GetTableObject(QStringLiteral("Nessuna")), AppError);
    g_objDatabase->Close();
    g_objDatabase.reset();
    engine.reset();
}
