#include <X11/Xlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/system_platform.h"

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

}  // namespace

bool displayAvailable(std::string& english, std::string& chinese)
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        english = "no X display: the DISPLAY environment variable is not set";
        chinese = "没有 X 显示：环境变量 DISPLAY 未设置";
        return false;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        english = std::string("cannot open the X display \"") + name + "\" (no server there, or not allowed)";
        chinese = std::string("无法打开 X 显示“") + name + "”（该显示上没有服务器，或不允许连接）";
        return false;
    }
    XCloseDisplay(display);
    return true;
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
