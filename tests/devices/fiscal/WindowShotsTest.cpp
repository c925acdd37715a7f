#ifdef MV_MVTOOL_EXE
#include "../DeveloperTool.h"
#include <gtest/gtest.h>

TEST(FiscalWindowShots, TheDevelopersToolPicturesEachWindowAtItsDefaultSize) {
    for (const char* window : {"frmFiscalOptions", "frmEllisseTest"}) {
        SCOPED_TRACE(window);
        const devicetest::ToolShot shot = devicetest::TakeToolShot(QStringLiteral(MV_MVTOOL_EXE), QString::fromLatin1(window));
        EXPECT_EQ(shot.run.exitCode, 0) << shot.run.err.toStdString();
        EXPECT_GE(shot.size.width(), 300);
        EXPECT_GE(shot.size.height(), 150);
    }
}
#endif
