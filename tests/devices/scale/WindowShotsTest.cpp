#ifdef MV_MVTOOL_EXE
#include "../DeveloperTool.h"

TEST(ScaleWindowShots, TheDevelopersToolPicturesEachWindowAtItsDefaultSize) {
    devicetest::ExpectShotsAtDefaultSize(QStringLiteral(MV_MVTOOL_EXE), {"frmBalanceTest"});
}
#endif
