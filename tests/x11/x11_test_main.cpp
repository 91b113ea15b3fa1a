#include <gtest/gtest.h>

#include "tests/x11/held_input_check.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    installHeldInputCheck();
    return RUN_ALL_TESTS();
}
