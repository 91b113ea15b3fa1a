#include <X11/Xlib.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "system/session.h"

namespace {

// ":0", ":0.0" and "unix:0" are one display for a user; the screen number is left out.
std::string displayWithoutScreen(std::string name)
{
    const auto colon = name.rfind(':');
    const auto dot = name.find('.', colon == std::string::npos ? 0 : colon);
    if (dot != std::string::npos)
        name.erase(dot);
    if (name.rfind("unix:", 0) == 0)
        name.erase(0, 4);
    for (char& c : name) {
        if (c == '/')
            c = '_';
    }
    return name;
}

bool isSet(const char* variable, const char* value = nullptr)
{
    const char* set = std::getenv(variable);
    return set && *set && (!value || std::string(set) == value);
}

// A claim is a file the claiming session holds a shared lock on; one who may take an exclusive
// lock on it at once finds it unclaimed.
std::string stopKeyClaimPath(int virtualKey)
{
    const std::string name = instanceName();
    return (name.front() == '/' ? name : "/tmp/" + name) + "-stop-key" + std::to_string(virtualKey);
}

}  // namespace

DisplayState displayState()
{
    DisplayState state;
    state.variable = "DISPLAY";
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        state.problem = DisplayState::Problem::NotNamed;
        return state;
    }
    state.name = name;
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        state.problem = DisplayState::Problem::CannotOpen;
        return state;
    }
    XCloseDisplay(display);
    return state;
}

std::string instanceName()
{
    const std::string display = displayWithoutScreen(std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
    // The runtime folder is the user's own; elsewhere (/tmp) the name carries the user id.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info;
    if (runtime && runtime[0] == '/' && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid())
        return std::string(runtime) + "/tamblo-display" + display;
    return "tamblo-" + std::to_string(getuid()) + "-display" + display;
}

DesktopLimitation desktopLimitation()
{
    if (isSet("XDG_SESSION_TYPE", "wayland") || isSet("WAYLAND_DISPLAY"))
        return DesktopLimitation::WaylandSession;
    return DesktopLimitation::Unlimited;
}

StopKeyClaim::StopKeyClaim(int virtualKey)
    : handle(open(stopKeyClaimPath(virtualKey).c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
{
    // A claim that cannot be made only leaves the window as it was.
    if (handle >= 0 && flock(static_cast<int>(handle), LOCK_SH) != 0) {
        close(static_cast<int>(handle));
        handle = -1;
    }
}

StopKeyClaim::~StopKeyClaim()
{
    if (handle >= 0)
        close(static_cast<int>(handle));
}

bool stopKeyClaimed(int virtualKey)
{
    const int file = open(stopKeyClaimPath(virtualKey).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (file < 0)
        return false;
    struct stat info;
    // In a shared folder, only the user's own claims count.
    const bool claimed = fstat(file, &info) == 0 && info.st_uid == getuid()
                         && flock(file, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(file);
    return claimed;
}
