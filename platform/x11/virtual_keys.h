#pragma once

#include <X11/X.h>

// Translation between X keysyms and Windows virtual-key codes, both ways, from one table.
// Captured keys become virtual keys; scripted virtual keys become the keysym to type.

// The virtual key of a keysym; 0 when it has none. Letters map the same in either case.
int virtualKeyFromKeysym(KeySym keysym);

// The keysym that types a virtual key (the unshifted symbol of a US layout); NoSymbol when the
// virtual key has none. The generic Shift, Control and Alt codes give the left-hand key.
KeySym keysymFromVirtualKey(int virtualKey);
