#ifdef MV_MVTOOL_EXE
#include "../DeveloperTool.h"

TEST(FiscalWindowShots, TheDevelopersToolPicturesEachWindowAtItsDefaultSize) {
    devicetest::ExpectShotsAtDefaultSize(QStringLiteral(MV_MVTOOL_EXE), {"frmFiscalOptions", "frmEllisseTest"});
}
#endif
