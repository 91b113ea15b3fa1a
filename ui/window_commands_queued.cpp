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

// Only this program's own hot keys send commands here, and the X11 backend needs no word of the
// session: a locked X screen still takes the player's input.
void QTamblo::listenAt(quintptr) {}
