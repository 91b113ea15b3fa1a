#include <QApplication>

#include <gtest/gtest.h>

#include "tests/x11/held_input_check.h"

// The window tests need one QApplication for the whole run, made before any test.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Qt's own file dialog (not a desktop portal) so that the tests can fill it in.
    qputenv("QT_QPA_PLATFORMTHEME", "generic");
    // Without a window manager, focusing dialogs that close at once makes xcb complain; harmless.
    qputenv("QT_LOGGING_RULES", "qt.qpa.xcb.warning=false");
    QApplication application(argc, argv);
    installHeldInputCheck();
    return RUN_ALL_TESTS();
}
