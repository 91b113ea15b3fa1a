#include <gtest/gtest.h>

#include <X11/keysym.h>

#include <cstdlib>

#include "tests/x11/held_input_check.h"
#include "x11_test_support.h"

namespace {

TEST(HeldInputCheck, NamesAndLetsGoOfEveryHeldButtonAndKey)
{
    const char* name = std::getenv("DISPLAY");
    if (!name)
        GTEST_SKIP() << "no X display";
    TestDisplay input;
    ASSERT_TRUE(releaseHeldInput(name).empty()) << "held before the test";
    input.button(1, true);
    input.button(3, true);
    input.button(9, true);
    input.key(XK_Shift_L, true);
    input.key(XK_a, true);
    input.sync();
    const int shift = XKeysymToKeycode(input.get(), XK_Shift_L);
    const int a = XKeysymToKeycode(input.get(), XK_a);

    EXPECT_EQ(releaseHeldInput(name),
              (std::vector<std::string>{"button 1", "button 3", "button 9", "key " + std::to_string(std::min(shift, a)) + " (" +
                                            (shift < a ? "Shift_L" : "a") + ")",
                                        "key " + std::to_string(std::max(shift, a)) + " (" +
                                            (shift < a ? "a" : "Shift_L") + ")"}));
    EXPECT_EQ(input.pointerMask() & (Button1Mask | Button3Mask | ShiftMask), 0u);
    EXPECT_TRUE(heldButtons(input.get()).empty());
    EXPECT_TRUE(releaseHeldInput(name).empty());
    EXPECT_TRUE(releaseHeldInput(":4242").empty()) << "no such display: nothing to release";
}

}  // namespace
