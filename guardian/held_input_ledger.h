#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "playback/held_inputs.h"

// What a process injecting input has pressed and not released, and which keycodes it has bound to a
// symbol for a while, as its guardian process learns it from a stream of two-byte messages
// (operation, code). The codes are the backend's own: X button numbers (8 back, 9 forward) and
// keycodes on X11; on Windows the virtual-key codes of the buttons (VK_LBUTTON to VK_XBUTTON2) and
// of the keys.
class HeldInputLedger {
public:
    enum class Op : std::uint8_t { ButtonDown = 1, ButtonUp, KeyDown, KeyUp, Bind, Unbind };

    using Input = HeldInput;

    // The bytes of one message, as the injecting process writes them.
    static std::string message(Op op, std::uint8_t code);

    // Takes any number of bytes; a message split across calls is completed by the next one.
    // Unknown operations are ignored.
    void feed(const char* bytes, std::size_t count);
    void apply(Op op, std::uint8_t code);

    // Still held, in reverse order of pressing: the order to release them in.
    std::vector<Input> releaseOrder() const { return held.releaseOrder(); }
    // Keycodes still bound, in order of binding.
    const std::vector<std::uint8_t>& boundKeycodes() const { return bound; }

private:
    HeldInputs held;
    std::vector<std::uint8_t> bound;
    std::string partial;
};
