#include "WindowsTestSupport.h"
#include "dialogs/frmSplash.h"
#include <QElapsedTimer>
#include <QLabel>
#include <QRegularExpression>

namespace {
class frmSplashTest : public wintest::WindowTest {
protected:
    void TearDown() override
    {
        frmSplash::unloadInstance();
        WindowTest::TearDown();
    }
};
}

TEST_F(frmSplashTest, LoadReplacesTheDesignCaptions)
{
    frmSplash& w = frmSplash::instance();
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("lblProductName"))->text(), QStringLiteral("Mirtavolia"));
    // Plain decimal numbers, no leading zeros.
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Version (0|[1-9]\\d*)\\.(0|[1-9]\\d*)\\.(0|[1-9]\\d*)$"))
                    .match(w.findChild<QLabel*>(QStringLiteral("lblVersion"))->text())
                    .hasMatch());
}

TEST_F(frmSplashTest, UnreadableLogoShowsTheWindowWithoutWaiting)
{
    frmSplash& w = frmSplash::instance();
    QElapsedTimer t;
    t.start();
    w.ShowSplash(QStringLiteral("/nessuna/cartella/logo.png"));
    EXPECT_FALSE(w.HasLogo());
    EXPECT_TRUE(w.isVisible());
    EXPECT_LT(t.elapsed(), 1500);
    frmSplash::unloadInstance();
    EXPECT_FALSE(frmSplash::isLoaded());
}
