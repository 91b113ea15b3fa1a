// On Windows a command is a private window message, posted to the window's own handle from a
// short-lived thread so that the keyboard hook never waits, and obeyed from any sender.
#include <windows.h>

#include <thread>

#include "ui/qtamblo.h"

void QTamblo::postToWindow(unsigned message, quintptr wParam)
{
    const quintptr handle = commandTarget.load();
    if (handle == 0)
        return;
    std::thread([handle, message, wParam] {
        PostMessageW(reinterpret_cast<HWND>(handle), message, static_cast<WPARAM>(wParam), 0);
    }).detach();
}

bool QTamblo::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    if (eventType == "windows_generic_MSG") {
        const MSG* msg = static_cast<const MSG*>(message);
        if (handleWindowCommand(msg->message, static_cast<quintptr>(msg->wParam)))
            return true;
    }
    return QMainWindow::nativeEvent(eventType, message, result);
}
