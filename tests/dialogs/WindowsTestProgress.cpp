#include "WindowsTestSupport.h"
#include "dialogs/frmMessage.h"
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

using wintest::WindowTest;

// ---- The bar and its labels, without a window --------------------------------------------------------
TEST(ProgressDisplay, CountsUpTo9999AndPercentagesAbove)
{
    struct Case {
        int32_t max;
        int32_t position;
        const char* text;
    };
    const Case cases[] = {
        {100, 12, "12 / 100"}, {9999, 9999, "9999 / 9999"},
        {10000, 4500, "45 %"}, {200000, 90001, "45 %"},   // 45.0005 rounds to 45
        {10000, 4550, "46 %"},   // 45.5 rounds up
        {0, 1, "1 / 1"},   // a maximum of 0 is a bar of 1
    };
    for (const Case& c : cases) {
        ProgressDisplay d;
        d.start(c.max, 0);
        d.advance(c.position);
        EXPECT_EQ(d.countText(), QString::fromLatin1(c.text)) << c.max << " " << c.position;
    }
}

TEST(ProgressDisplay, PositionRulesKeepTheValueWithinTheBar)
{
    ProgressDisplay d;
    d.start(3, 0);
    d.advance(0);
    d.advance(0);
    EXPECT_EQ(d.value(), 2);
    d.advance(7);   // above the maximum: the bar stays
    EXPECT_EQ(d.value(), 2);
    d.advance(-4);   // below zero: the bar stays
    EXPECT_EQ(d.value(), 2);
    d.advance(0);
    d.advance(0);   // steps stop at the maximum
    EXPECT_EQ(d.value(), 3);
    EXPECT_TRUE(d.full());
    d.advance(1);
    EXPECT_EQ(d.value(), 1);
}

TEST(ProgressDisplay, RemainingTimeOnlyAfterFiveSecondsAndNeverFromAZeroValue)
{
    ProgressDisplay d;
    d.start(100, 1000);
    d.advance(10);
    EXPECT_FALSE(d.remainingText(6000).has_value());   // exactly 5 s: not yet
    EXPECT_EQ(d.remainingText(7000), QStringLiteral("00:00:54"));   // 6 s for 10 %: 54 s left

    ProgressDisplay stuck;
    stuck.start(100, 0);
    stuck.advance(500);   // every position above the maximum
    EXPECT_EQ(stuck.remainingText(60000), QString());   // no estimate, no division by zero

    ProgressDisplay done;
    done.start(10, 0);
    done.advance(10);
    EXPECT_EQ(done.remainingText(9000), QString());   // nothing remains
}

TEST(ProgressDisplay, RemainingTimeFormat)
{
    struct Case {
        double seconds;
        const char* text;
    };
    const Case cases[] = {
        {7, "00:00:07"},
        {93784, "1gg 02:03:04"},
        {3599.6, "01:00:00"},
        {86399.7, "1gg 00:00:00"},
        {200000, "2gg 07:33:20"},
        {0.3, "00:00:00"},
        {0, ""},
        {-5, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ProgressDisplay::formatRemaining(c.seconds), QString::fromUtf8(c.text)) << c.seconds;
}

// ---- The window ---------------------------------------------------------------------------------------
class ProgressWindow : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        parent = std::make_unique<QWidget>();
        parent->resize(300, 200);
        parent->show();
    }
    void TearDown() override
    {
        frmMessage::unloadInstance();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        parent.reset();
        WindowTest::TearDown();
    }
    static QString text(frmMessage& w, const char* label)
    {
        return w.findChild<QLabel*>(QString::fromLatin1(label))->text();
    }
    std::unique_ptr<QWidget> parent;
};

TEST_F(ProgressWindow, ShowsCountsPercentagesAndTheElapsedEstimate)
{
    frmMessage& w = frmMessage::instance();
    w.ShowMsg(QStringLiteral("Copia in corso..."), parent.get());
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(parent->isEnabled());
    EXPECT_EQ(text(w, "lblMessage"), QStringLiteral("Copia in corso..."));

    w.StartProgress(100, true);
    EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("cmdStop"))->isVisible());
    for (int i = 0; i < 12; ++i) ASSERT_TRUE(w.Progress());
    EXPECT_EQ(text(w, "lblCount"), QStringLiteral("12 / 100"));
    EXPECT_EQ(w.findChild<QProgressBar*>(QStringLiteral("pbNotify"))->value(), 12);
    EXPECT_EQ(text(w, "lblTime"), QString());   // first seconds: no estimate

    clock->advanceMs(24000);   // 24 s for 12 steps: 176 s to go
    ASSERT_TRUE(w.Progress());
    EXPECT_EQ(text(w, "lblCount"), QStringLiteral("13 / 100"));
    EXPECT_EQ(text(w, "lblTime"), QStringLiteral("00:02:41"));   // 24 * 100 / 13 - 24 = 160.6

    w.StartProgress(20000, true);
    w.Progress(9000);
    EXPECT_EQ(text(w, "lblCount"), QStringLiteral("45 %"));
    EXPECT_EQ(text(w, "lblTime"), QString());   // a new display starts a new estimate
    EXPECT_EQ(w.MaxProgress(), 20000);

    w.EndProgress();
    EXPECT_EQ(w.MaxProgress(), 0);
    EXPECT_EQ(text(w, "lblCount"), QString());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(ProgressWindow, TwoConfirmedStopsCloseItAndReEnableTheParent)
{
    frmMessage& w = frmMessage::instance();
    w.ShowMsg(QStringLiteral("Stampa..."), parent.get());
    w.StartProgress(10, true);
    ASSERT_FALSE(parent->isEnabled());
    QPushButton* stop = w.findChild<QPushButton*>(QStringLiteral("cmdStop"));

    ui->addAnswer(QStringLiteral("No"));
    stop->click();
    EXPECT_FALSE(w.Stopped());
    EXPECT_TRUE(w.Progress());

    ui->addAnswer(QStringLiteral("Yes"));
    stop->click();
    EXPECT_TRUE(w.Stopped());
    EXPECT_TRUE(w.isVisible());   // the operation decides what comes next
    EXPECT_FALSE(w.Progress());
    EXPECT_FALSE(parent->isEnabled());

    ui->addAnswer(QStringLiteral("Yes"));
    wintest::pressKey(&w, Qt::Key_Escape);   // Esc is Stop as well
    EXPECT_FALSE(frmMessage::isLoaded());
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(parent->isEnabled());
    EXPECT_EQ(ui->prompts(), QStringList(3, QStringLiteral("Confermi l'interruzione ?")));
}

TEST_F(ProgressWindow, ANewParentIsAdoptedOnlyAfterTheFirstIsGivenBack)
{
    QWidget other;
    other.show();
    frmMessage& w = frmMessage::instance();
    w.ShowMsg(QStringLiteral("a"), parent.get());
    w.ShowMsg(QStringLiteral("b"), parent.get());   // the same parent: kept as it is
    EXPECT_FALSE(parent->isEnabled());
    EXPECT_EQ(w.ParentForm(), parent.get());

    w.ShowMsg(QStringLiteral("c"), &other);
    EXPECT_TRUE(parent->isEnabled());
    EXPECT_FALSE(other.isEnabled());

    w.Unload();
    EXPECT_TRUE(other.isEnabled());

    // A parent that was disabled before stays disabled when given back.
    QWidget locked;
    locked.setEnabled(false);
    locked.show();
    frmMessage& again = frmMessage::instance();
    again.ShowMsg(QStringLiteral("d"), &locked);
    again.Unload();
    EXPECT_FALSE(locked.isEnabled());
}

TEST_F(ProgressWindow, AParentThatClosesIsReEnabledAndForgotten)
{
    frmMessage& w = frmMessage::instance();
    w.ShowMsg(QStringLiteral("a"), parent.get());
    ASSERT_FALSE(parent->isEnabled());
    parent->close();
    EXPECT_TRUE(parent->isEnabled());
    EXPECT_EQ(w.ParentForm(), nullptr);
}

TEST_F(ProgressWindow, AFullBarEndsWhenTheMessageIsShownAgain)
{
    frmMessage& w = frmMessage::instance();
    w.StartProgress(2, false);
    EXPECT_FALSE(w.findChild<QPushButton*>(QStringLiteral("cmdStop"))->isVisible());
    w.Progress(2);   // shows the window, fills the bar
    w.hide();
    w.ShowMsg(QStringLiteral("Fine"), parent.get());
    EXPECT_EQ(w.MaxProgress(), 0);
}

TEST_F(ProgressWindow, LibraryProgressTarget)
{
    frmMessage& w = frmMessage::instance();
    itfProgress& target = w;
    target.OnStart(0, 50);
    EXPECT_EQ(w.MaxProgress(), 50);
    EXPECT_TRUE(target.OnProgress(0, 1, 20, 0, 0));
    EXPECT_EQ(text(w, "lblCount"), QStringLiteral("20 / 50"));
    // A second value of 0 only asks whether to stop: the bar stays.
    EXPECT_TRUE(target.OnProgress(0, 0, 30, 0, 0));
    EXPECT_EQ(text(w, "lblCount"), QStringLiteral("20 / 50"));
    EXPECT_FALSE(target.OnStopped());
    target.OnEnd(0, 0);
    EXPECT_EQ(w.MaxProgress(), 0);
    // With the bar hidden a non-zero third value only shows the Stop button.
    EXPECT_TRUE(target.OnProgress(0, 5, 30, 0, 0));
    EXPECT_TRUE(w.findChild<QPushButton*>(QStringLiteral("cmdStop"))->isVisible());
}
