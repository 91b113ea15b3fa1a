// tamblo-guardian: started by a process that injects input (tamblo, tamblo-cli), with its end of a
// socket as standard input. It learns from it what that process presses and which keycodes it
// binds. When the process ends in any way, killed or crashed included, the socket reports end of
// file, and the guardian releases whatever is still held, unbinds the borrowed keycodes on a
// connection of its own, and ends.
// Usage: tamblo-guardian DISPLAY-NAME
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cerrno>
#include <csignal>
#include <unistd.h>

#include "guardian/held_input_ledger.h"

namespace {

// A display that went away leaves nothing to release: end quietly (Xlib's exit handler follows).
int quietlyLost(Display*)
{
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // A terminal's Ctrl-C or hang-up is for the program in front; this one ends with its parent.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
    if (chdir("/") != 0) {
        // Only keeps a removable folder from being held busy; nothing depends on it.
    }
    XSetIOErrorHandler(quietlyLost);
    Display* display = XOpenDisplay(argc > 1 ? argv[1] : nullptr);
    if (!display)
        return 1;
    XTestGrabControl(display, True);

    HeldInputLedger ledger;
    char bytes[256];
    for (;;) {
        const ssize_t count = read(STDIN_FILENO, bytes, sizeof bytes);
        if (count > 0)
            ledger.feed(bytes, static_cast<std::size_t>(count));
        else if (count == 0 || errno != EINTR)
            break;
    }

    for (const HeldInputLedger::Input& input : ledger.releaseOrder()) {
        if (input.button)
            XTestFakeButtonEvent(display, input.code, False, CurrentTime);
        else
            XTestFakeKeyEvent(display, input.code, False, CurrentTime);
    }
    for (std::uint8_t keycode : ledger.boundKeycodes()) {
        KeySym none = NoSymbol;
        XChangeKeyboardMapping(display, keycode, 1, &none, 1);
    }
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
