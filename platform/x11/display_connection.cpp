#include "platform/x11/display_connection.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <mutex>
#include <string>
#include <vector>

#include "system/abrupt_end.h"

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

std::string lostConnectionText(Display* display)
{
    return std::string("lost the connection to the X display ") + DisplayString(display);
}

// Per connection: called instead of Xlib's exit(), possibly on several threads at once.
void onConnectionLost(Display* display, void*)
{
    abruptEnd::now(lostConnectionText(display));
}

// Whether the server has closed the connection, judged from its socket alone: Xlib's own state
// may belong to a thread blocked in it.
bool serverHasClosed(Display* display)
{
    pollfd socket{ConnectionNumber(display), POLLIN, 0};
    if (poll(&socket, 1, 0) != 1)
        return false;
    char byte = 0;
    return (socket.revents & (POLLHUP | POLLERR)) != 0
        || recv(socket.fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT) == 0;
}

// When the toolkit ends the process over its own broken connection, ours tell why. A server that
// is going away closes its clients one after another, so ours get a moment to follow.
std::string lostDisplayCause()
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
    do {
        {
            std::lock_guard<std::mutex> lock(g_mutex);
            for (Display* display : g_ours) {
                if (serverHasClosed(display))
                    return lostConnectionText(display);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    } while (std::chrono::steady_clock::now() < giveUp);
    return {};
}

}  // namespace

Display* openDisplayConnection()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        g_previousHandler = XSetIOErrorHandler(onIoError);
        abruptEnd::explainUnplannedExits(lostDisplayCause);
    });
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
