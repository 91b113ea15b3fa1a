#include "platform/x11/display_connection.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "platform/abrupt_end.h"

namespace {

std::mutex g_mutex;
std::vector<Display*> g_ours;
XIOErrorHandler g_previousHandler = nullptr;

bool isOurs(Display* display)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return std::find(g_ours.begin(), g_ours.end(), display) != g_ours.end();
}

// Process-wide in Xlib: quiet for our connections, the previous handler's words for the others.
int onIoError(Display* display)
{
    if (!isOurs(display) && g_previousHandler)
        return g_previousHandler(display);
    return 0;
}

// Per connection: called instead of Xlib's exit(), possibly on several threads at once.
void onConnectionLost(Display* display, void*)
{
    abruptEnd::now(std::string("lost the connection to the X display ") + DisplayString(display));
}

}  // namespace

Display* openDisplayConnection()
{
    static std::once_flag installed;
    std::call_once(installed, [] { g_previousHandler = XSetIOErrorHandler(onIoError); });
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_ours.push_back(display);
    }
    XSetIOErrorExitHandler(display, onConnectionLost, nullptr);
    return display;
}

void closeDisplayConnection(Display* display)
{
    if (!display)
        return;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_ours.erase(std::remove(g_ours.begin(), g_ours.end(), display), g_ours.end());
    }
    XCloseDisplay(display);
}
