// Where there are no window messages, a command travels as a queued call: posting it never blocks
// the capture thread, and the window thread runs it when it next dispatches events.
#include <QMetaObject>

#include "ui/qtamblo.h"

void QTamblo::postToWindow(unsigned message, quintptr wParam)
{
    if (commandTarget.load() == 0)
        return;
    QMetaObject::invokeMethod(
        this, [this, message, wParam] { handleWindowCommand(message, wParam); }, Qt::QueuedConnection);
}

// Only this program's own hot keys send commands here, and X11 tells a window nothing of screen
// locks or sleep.
void QTamblo::listenAt(quintptr) {}

// Commands come as queued calls here, not as the system's messages.
bool QTamblo::nativeEvent(const QByteArray& eventType, void* message, long* result)
{
    return QMainWindow::nativeEvent(eventType, message, result);
}
