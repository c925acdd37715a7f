#include "WindowsTestSupport.h"
#include "dialogs/WindowRegistry.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmDateSetting.h"
#include "dialogs/frmFromDateToDate.h"
#include "dialogs/frmMessage.h"
#include "dialogs/frmMsgBeep.h"
#include "dialogs/frmSearchText.h"
#include "dialogs/frmSelectDir.h"
#include <QLabel>
#include <QPushButton>

class RegisteredWindows : public wintest::WindowTest { };

// Their pictures are taken through the developer's tool, with every other window's.
TEST_F(RegisteredWindows, EveryWindowRegistersUnderItsClassName)
{
    const QStringList expected {"frmAbout",   "frmDateSetting", "frmFromDateToDate", "frmMessage",
                                "frmMsgBeep", "frmSearchText",  "frmSelectDir"};
    const QStringList names = windows::names();
    for (const QString& name : expected) EXPECT_TRUE(names.contains(name)) << name.toStdString();

    for (const QString& name : expected) {
        std::unique_ptr<QWidget> w = windows::create(name);
        ASSERT_NE(w, nullptr) << name.toStdString();
        EXPECT_EQ(w->objectName(), name);
    }
    EXPECT_EQ(windows::create(QStringLiteral("frmNonEsiste")), nullptr);
}

TEST_F(RegisteredWindows, AboutBoxNamesTheProgramAndShowsTheSystemOrSaysItCannot)
{
    frmAbout w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Informazioni"));
    EXPECT_TRUE(w.findChild<QLabel*>(QStringLiteral("lblVersion"))->text().startsWith(QStringLiteral("Version ")));
    auto* sysInfo = w.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"));
    EXPECT_EQ(sysInfo->toolTip(), QStringLiteral("Visualizza le informazioni di sistema"));
    sysInfo->click();
    ASSERT_EQ(ui->prompts().size(), 1);
    const QString summary = SystemSummary();
    EXPECT_EQ(ui->prompts().first(), summary.isEmpty() ? QString::fromLatin1(frmAbout::kUnavailable) : summary);
    EXPECT_TRUE(w.OpenWebSite());
    EXPECT_EQ(ui->log().last(), QStringLiteral("OPEN: ") + QString::fromLatin1(frmAbout::kWebAddress));
}
