#ifdef MV_MVTOOL_EXE
#include "../DeveloperTool.h"

TEST(CardWindowShots, TheDevelopersToolPicturesEachWindowAtItsDefaultSize) {
    devicetest::ExpectShotsAtDefaultSize(QStringLiteral(MV_MVTOOL_EXE), {"frmMagneticDev", "frmMagneticOptions"});
}
#endif
