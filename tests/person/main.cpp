// The person tests run in the program's own application object, as the program does.
#include "dialogs/MirtavoliaApplication.h"
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    MirtavoliaApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
