#pragma once

#include <cstdint>
#include <string>

// The desktop session this program runs in: its display, the instance per user and display, and
// the stop keys that command-line sessions claim on it.

// Whether the display this program works on can be opened, and if not, what stands in the way;
// each face words it.
struct DisplayState {
    enum class Problem { Usable, NotNamed, CannotOpen };
    Problem problem = Problem::Usable;
    std::string variable;  // the environment variable that names the display, e.g. DISPLAY
    std::string name;      // the display it names
};
DisplayState displayState();

// A name under which one instance per user and display can be found by the next one started: a
// local socket name, or a full path where the system keeps a private folder per user.
std::string instanceName();

// What the user should know about the desktop before relying on a recording.
enum class DesktopLimitation {
    Unlimited,
    // A Wayland session shows only the windows of X11 programs to this program.
    WaylandSession,
};
DesktopLimitation desktopLimitation();

// A running command-line session claims its stop key for this user and display while it lasts, so
// that the window, whose hot keys F7 and F8 may be that key, does not also act on it.
class StopKeyClaim {
public:
    explicit StopKeyClaim(int virtualKey);
    ~StopKeyClaim();
    StopKeyClaim(const StopKeyClaim&) = delete;
    StopKeyClaim& operator=(const StopKeyClaim&) = delete;

private:
    std::intptr_t handle;
};

// Whether a command-line session claims `virtualKey`. Never blocks: the capture thread asks.
bool stopKeyClaimed(int virtualKey);
