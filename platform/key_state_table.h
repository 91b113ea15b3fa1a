#pragma once

#include <array>
#include <atomic>
#include <cstdint>

// The down state of every virtual key as the capture thread has seen it. Written by the capture
// thread before each listener call, read from any thread.
class KeyStateTable {
public:
    void set(int virtualKey, bool down);
    bool isDown(int virtualKey) const;
    // GetKeyState's answer: KEY_STATE_DOWN while down. The generic Shift, Control and Alt codes
    // are down while either side is.
    std::uint16_t state(int virtualKey) const;
    // Forgets every key, for a capture that starts afresh.
    void clear();

private:
    std::array<std::atomic<bool>, 256> down{};
};
