#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "capture/input_event.h"

// A button or key that can be held down, by its code: the virtual-key code of a button
// (VK_LBUTTON to VK_XBUTTON2) or of a key, or a backend's own code (X button numbers, keycodes).
struct HeldInput {
    bool button = false;  // a pointer button; otherwise a key
    std::uint32_t code = 0;
    bool operator==(const HeldInput& other) const { return button == other.button && code == other.code; }
};

// One of the five pointer buttons: its virtual-key code and how a pass presses and releases it.
struct PointerButton {
    std::uint32_t virtualKey;
    std::uint32_t downFlag;
    std::uint32_t upFlag;
    std::int32_t mouseData;  // the side button's number; 0 for the other three
};

// The button a virtual-key code names; nullptr for any other code.
const PointerButton* pointerButton(std::uint32_t virtualKey);

// The buttons and keys pressed and not yet released, in the order they were first pressed, each
// with a mark of where (an event's index, a line's number). A second press of something held
// changes nothing, as on the system; a release of something not held is ignored.
class HeldInputs {
public:
    struct Entry {
        HeldInput input;
        std::size_t pressedAt;
    };

    void press(const HeldInput& input, std::size_t at = 0);
    void release(const HeldInput& input);
    // What one event of a list presses and releases (buttons by virtual-key code), as the player
    // plays it: the transitions of a button event's flags and of a key event.
    void apply(const InputEvent& event, std::size_t at = 0);

    bool empty() const { return held.empty(); }
    const std::vector<Entry>& inPressOrder() const { return held; }
    // Still held, in reverse order of pressing: the order to release them in.
    std::vector<HeldInput> releaseOrder() const;
    void clear() { held.clear(); }

private:
    std::vector<Entry>::iterator find(const HeldInput& input);

    std::vector<Entry> held;
};
