#pragma once

#include <string>
#include <vector>

// Xlib's own declaration; its header would come before GoogleTest's in some files.
typedef struct _XDisplay Display;

// The pointer buttons held on the display, side buttons (8, 9) included, which the core
// protocol's state mask leaves out.
std::vector<unsigned> heldButtons(Display* display);

// Lets go of every pointer button and key held on the X display `displayName`, through
// XTEST, and says what was held ("button 1", "key 50 (Shift_L)"). Empty when nothing was held or
// the display cannot be opened.
std::vector<std::string> releaseHeldInput(const std::string& displayName);

// Registers a test listener that fails each test after which a button or key is held on the display
// named by DISPLAY now, and then lets go of it. Call once from main, after InitGoogleTest.
void installHeldInputCheck();
