#pragma once

#include "platform/platform_input.h"

class Keymap;
class KeyStateTable;
class SpareKeyBindings;

// One core protocol input event as the RECORD extension reports it.
struct CoreInputEvent {
    int type = 0;        // KeyPress, KeyRelease, ButtonPress, ButtonRelease or MotionNotify
    unsigned detail = 0; // keycode or button number
    unsigned state = 0;  // modifier and button mask just before the event
    int rootX = 0;       // pointer position on the root window when the event happened
    int rootY = 0;
};

// Turns core input events into the listener calls that the Windows hooks make, with Windows
// message numbers and virtual keys, updating the key-state table before each call.
class CaptureDispatcher {
public:
    CaptureDispatcher(KeyStateTable& keys, const SpareKeyBindings& spareKeys);

    void dispatch(const CoreInputEvent& event, const Keymap& keymap);
    // Marks down in the table the keys of `keycodesDown` (an X keymap vector: one bit per keycode),
    // which were held before any event told of them.
    void noteHeldKeys(const char (&keycodesDown)[32], const Keymap& keymap);

private:
    void dispatchButton(const CoreInputEvent& event);
    void dispatchKey(const CoreInputEvent& event, const Keymap& keymap);
    // 0 for a key with no virtual key.
    int virtualKeyOf(unsigned keycode, unsigned state, const Keymap& keymap) const;

    KeyStateTable& keys;
    const SpareKeyBindings& spareKeys;
};

// On the capture thread during a listener call: the root position of the event being delivered,
// which is where the pointer was when it happened. False anywhere else.
bool dispatchedEventPosition(ScreenPoint& point);
