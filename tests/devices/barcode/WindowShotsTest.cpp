#ifdef MV_MVTOOL_EXE
#include "../DeveloperTool.h"

TEST(BarcodeWindowShots, TheDevelopersToolPicturesEachWindowAtItsDefaultSize) {
    devicetest::ExpectShotsAtDefaultSize(QStringLiteral(MV_MVTOOL_EXE), {"frmOptionsBarcode"});
}
#endif
