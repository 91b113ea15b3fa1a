#include "platform/x11/keymap.h"

#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <utility>

Keymap::Keymap(int minKeycode, int keysymsPerKeycode, std::vector<KeySym> keysyms, unsigned numLockMask)
    : minKeycode(minKeycode), keysymsPerKeycode(keysymsPerKeycode), keysyms(std::move(keysyms)),
      numLockMask(numLockMask)
{
}

namespace {

unsigned findNumLockMask(Display* display)
{
    XModifierKeymap* modifiers = XGetModifierMapping(display);
    if (!modifiers)
        return 0;
    const KeyCode numLock = XKeysymToKeycode(display, XK_Num_Lock);
    unsigned mask = 0;
    for (int modifier = 0; modifier < 8 && numLock != 0; ++modifier) {
        for (int slot = 0; slot < modifiers->max_keypermod; ++slot) {
            if (modifiers->modifiermap[modifier * modifiers->max_keypermod + slot] == numLock)
                mask = 1u << modifier;
        }
    }
    XFreeModifiermap(modifiers);
    return mask;
}

}  // namespace

bool Keymap::load(Display* display)
{
    int first = 0;
    int last = 0;
    XDisplayKeycodes(display, &first, &last);
    int perKeycode = 0;
    KeySym* mapping = XGetKeyboardMapping(display, static_cast<KeyCode>(first), last - first + 1, &perKeycode);
    if (!mapping)
        return false;
    *this = Keymap(first, perKeycode,
                   std::vector<KeySym>(mapping, mapping + (last - first + 1) * perKeycode),
                   findNumLockMask(display));
    XFree(mapping);
    return true;
}

int Keymap::keycodeCount() const
{
    return keysymsPerKeycode > 0 ? static_cast<int>(keysyms.size()) / keysymsPerKeycode : 0;
}

bool Keymap::holds(unsigned keycode) const
{
    return keycode >= static_cast<unsigned>(minKeycode) &&
           keycode < static_cast<unsigned>(minKeycode + keycodeCount());
}

KeySym Keymap::symbolAt(unsigned keycode, int index) const
{
    if (!holds(keycode) || index >= keysymsPerKeycode)
        return NoSymbol;
    return keysyms[(keycode - minKeycode) * keysymsPerKeycode + index];
}

KeySym Keymap::keysym(unsigned keycode, unsigned state) const
{
    const KeySym unshifted = symbolAt(keycode, 0);
    const KeySym second = symbolAt(keycode, 1);
    if ((state & numLockMask) != 0 && IsKeypadKey(second))
        return second;
    return unshifted;
}

KeyCode Keymap::keycodeTyping(KeySym wanted) const
{
    if (wanted == NoSymbol)
        return 0;
    for (int offset = 0; offset < keycodeCount(); ++offset) {
        const unsigned keycode = static_cast<unsigned>(minKeycode + offset);
        if (symbolAt(keycode, 0) == wanted)
            return static_cast<KeyCode>(keycode);
    }
    return 0;
}

KeyCode Keymap::spareKeycode() const
{
    for (int offset = keycodeCount() - 1; offset >= 0; --offset) {
        const unsigned keycode = static_cast<unsigned>(minKeycode + offset);
        bool empty = true;
        for (int index = 0; index < keysymsPerKeycode && empty; ++index)
            empty = symbolAt(keycode, index) == NoSymbol;
        if (empty)
            return static_cast<KeyCode>(keycode);
    }
    return 0;
}

void SpareKeyBindings::remember(KeyCode keycode, int virtualKey)
{
    bound[keycode].store(virtualKey, std::memory_order_release);
}

int SpareKeyBindings::virtualKey(unsigned keycode) const
{
    return keycode < bound.size() ? bound[keycode].load(std::memory_order_acquire) : 0;
}
