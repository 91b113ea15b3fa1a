#pragma once

#include <X11/Xlib.h>

#include <array>
#include <atomic>
#include <vector>

// A client-side copy of the server's core keyboard mapping, read in one request, so that keys
// can be translated on threads that must not talk to the server.
class Keymap {
public:
    Keymap() = default;
    // keysyms holds keysymsPerKeycode entries for each keycode from minKeycode on.
    Keymap(int minKeycode, int keysymsPerKeycode, std::vector<KeySym> keysyms, unsigned numLockMask);

    // Reads the current mapping and the Num Lock modifier from the server; false if it could not.
    bool load(Display* display);

    // The symbol a key gives with the modifiers of `state` as far as choosing the virtual key
    // needs: the unshifted symbol, or the keypad digit while Num Lock is on.
    KeySym keysym(unsigned keycode, unsigned state) const;
    // A keycode whose unshifted symbol is `keysym`, so pressing it alone types exactly that;
    // 0 when none.
    KeyCode keycodeTyping(KeySym keysym) const;
    // The highest keycode with no symbol at all, free to be bound for a while; 0 when none.
    KeyCode spareKeycode() const;

private:
    KeySym symbolAt(unsigned keycode, int index) const;
    int keycodeCount() const;
    bool holds(unsigned keycode) const;

    int minKeycode = 0;
    int keysymsPerKeycode = 0;
    std::vector<KeySym> keysyms;
    unsigned numLockMask = 0;
};

// Virtual keys that injection has bound to spare keycodes. The capture side asks here first: a
// binding is undone right after the key's release is injected, which can be before the capture
// thread translates that release.
class SpareKeyBindings {
public:
    void remember(KeyCode keycode, int virtualKey);
    // The virtual key last bound to `keycode`; 0 when it was never bound.
    int virtualKey(unsigned keycode) const;

private:
    std::array<std::atomic<int>, 256> bound{};
};
