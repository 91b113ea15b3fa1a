#pragma once

#include <string>
#include <vector>

struct _XDisplay;

// The test's own connection to the X display: synthetic input through XTEST (as a person would
// type and click, seen by every client) and a look at the top-level windows of other processes.
// Xlib stays inside the .cpp so that its macros never meet Qt's or GoogleTest's names.
class XSession {
public:
    XSession();
    // A connection to another display than DISPLAY, e.g. ":5".
    explicit XSession(const std::string& displayName);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool isOpen() const { return display != nullptr; }

    // Keys by X keysym name ("F7", "Return", "y"); text as typed on a US layout (no shift needed).
    void tapKey(const char* keysymName);
    void pressKey(const char* keysymName);
    void releaseKey(const char* keysymName);
    void typeText(const std::string& text);
    void click(int x, int y, unsigned button = 1);
    void movePointer(int x, int y);
    // The pointer buttons (1 to 5, as bits 0 to 4) and modifier keys (Shift 0x100, Control 0x400)
    // held on the display now.
    unsigned heldButtonsAndModifiers();
    // Lets go of any button and the modifiers a test might have left held.
    void releaseEverything();

    // Viewable top-level windows whose title is `utf8Title`; `dialogsOnly` keeps those that are
    // transient for another window (message boxes and file dialogs, not main windows).
    std::vector<unsigned long> windowsTitled(const std::string& utf8Title, bool dialogsOnly);
    void focus(unsigned long window);
    // Whether the window asks a window manager for a place of its own (a user-specified position).
    bool asksForPlace(unsigned long window);
    // Asks the window to close as a window manager's close button would.
    void requestClose(unsigned long window);

private:
    void sendKey(const char* keysymName, bool press);
    void deliver();
    std::string titleOf(unsigned long window);

    _XDisplay* display = nullptr;
};
