// On Windows a command is a private window message, posted to the window's own handle from a
// short-lived thread so that the keyboard hook never waits, and obeyed from any sender.
#include <windows.h>

#include <thread>

#include "platform/win32/session_watch.h"
#include "ui/qtamblo.h"
#include "ui/window_commands.h"

void QTamblo::postToWindow(unsigned message, quintptr wParam)
{
    const quintptr handle = commandTarget.load();
    if (handle == 0)
        return;
    std::thread([handle, message, wParam] {
        PostMessageW(reinterpret_cast<HWND>(handle), message, static_cast<WPARAM>(wParam), 0);
    }).detach();
}

void QTamblo::listenAt(quintptr handle)
{
    const HWND window = reinterpret_cast<HWND>(handle);
    // An elevated tamblo would otherwise refuse them from the programs of an ordinary user.
    for (const UINT command : {WM_RECORD_TOGGLE, WM_PLAY_SCRIPT})
        ChangeWindowMessageFilterEx(window, command, MSGFLT_ALLOW, nullptr);
    sessionWatch().attach(window);
}

bool QTamblo::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    if (eventType == "windows_generic_MSG") {
        const MSG* msg = static_cast<const MSG*>(message);
        if (handleWindowCommand(msg->message, static_cast<quintptr>(msg->wParam)))
            return true;
        // Another program closing the window (an installer that replaces tamblo's files) ends the
        // run as "退出" does, also while a dialog is open, where Qt would ignore the request.
        if (msg->message == WM_CLOSE) {
            endRun();
            *result = 0;
            return true;
        }
        sessionWatch().observe(msg->message, msg->wParam);
    }
    return QMainWindow::nativeEvent(eventType, message, result);
}
