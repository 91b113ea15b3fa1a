#include "capture/input_listener.h"

#include "capture/recorder.h"
#include "platform/platform_input.h"

Recorder* g_listener = nullptr;
std::mutex g_listenerMutex;

void withdrawListener(Recorder* listener)
{
    std::lock_guard<std::mutex> lock(g_listenerMutex);
    if (g_listener == listener)
        g_listener = nullptr;
}

void deliverKeyEvent(int message, int virtualKey) noexcept
{
    try {
        std::lock_guard<std::mutex> lock(g_listenerMutex);
        if (g_listener)
            g_listener->onKeyEvent(message - win::WmKeyDown, virtualKey);
    } catch (...) {
        // An exception must not unwind into the platform's capture callback; the action is dropped.
    }
}

void deliverMouseEvent(int message, int mouseData) noexcept
{
    try {
        std::lock_guard<std::mutex> lock(g_listenerMutex);
        if (message != win::WmMouseMove && g_listener)
            g_listener->onMouseEvent(message, mouseData);
    } catch (...) {
    }
}
