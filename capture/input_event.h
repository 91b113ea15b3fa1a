#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "platform/platform_input.h"

// Kinds of InputEvent. Scoped so that Sleep never clashes with the Windows API.
enum class EventKind : std::uint8_t { MouseButton = 0, Key = 1, Sleep = 2, MousePos = 3, WaitColor = 4 };

// One captured or scripted action. The layout is fixed at 16 bytes; lists may hold any kind value
// (unknown kinds are skipped by the writer and stop playback), so kind stays a raw byte.
struct InputEvent {
    std::uint8_t kind = 0;
    // Captured events: low byte of the window message. Read events: the injection flags, whose
    // bits above the low byte (wheel, side-button release) are kept in spare.
    std::uint8_t code = 0;
    // Read mouse events: the injection flags shifted right by 8; 0 for every other event.
    std::uint16_t spare = 0;
    // Virtual-key code for Key, milliseconds for Sleep and for WaitColor's timeout; for mouse events the wheel's delta
    // (signed, 120 a notch) or the side button's number (1 back, 2 forward); 0 otherwise.
    std::int32_t value = 0;
    // Screen position, low 16 bits of the 32-bit coordinates, read back as unsigned.
    std::uint16_t x = 0;
    std::uint16_t y = 0;
    // Carried through SLEEP lines, where no stage gives them a meaning. WaitColor: the colour
    // 0xRRGGBB, GGBB in extraA and RR in extraB (see waitColour); its tolerance is in code.
    std::uint16_t extraA = 0;
    std::uint16_t extraB = 0;
};

static_assert(sizeof(InputEvent) == 16, "InputEvent must stay a 16-byte record");

// Every event replays in a slot of its own: the player waits this long before each one, so the
// recorder samples the pointer on this beat and a pass lasts a slot per event plus its pauses.
constexpr std::chrono::milliseconds kEventSlot{10};

constexpr std::uint8_t toByte(EventKind kind) { return static_cast<std::uint8_t>(kind); }

inline bool isKind(const InputEvent& event, EventKind kind) { return event.kind == toByte(kind); }

// Where the event happens. Screen coordinates are signed 16-bit: a position left of or above the
// primary monitor is stored as its low 16 bits (-10 as 65526) and stands for the negative number.
inline ScreenPoint screenPosition(const InputEvent& event)
{
    return {static_cast<std::int16_t>(event.x), static_cast<std::int16_t>(event.y)};
}

// The injection flags of a read mouse event.
inline std::uint32_t injectionFlags(const InputEvent& event)
{
    return event.code | static_cast<std::uint32_t>(event.spare) << 8;
}

inline void setInjectionFlags(InputEvent& event, std::uint32_t flags)
{
    event.code = static_cast<std::uint8_t>(flags);
    event.spare = static_cast<std::uint16_t>(flags >> 8);
}

// The colour a WaitColor event waits for, 0xRRGGBB.
inline std::uint32_t waitColour(const InputEvent& event)
{
    return event.extraA | static_cast<std::uint32_t>(event.extraB) << 16;
}

inline void setWaitColour(InputEvent& event, std::uint32_t rgb)
{
    event.extraA = static_cast<std::uint16_t>(rgb);
    event.extraB = static_cast<std::uint16_t>((rgb >> 16) & 0xFF);
}

// Whether two colours 0xRRGGBB differ by at most `tolerance` on each channel.
inline bool coloursMatch(std::uint32_t a, std::uint32_t b, unsigned tolerance)
{
    for (int shift = 0; shift <= 16; shift += 8) {
        const int channelA = static_cast<int>((a >> shift) & 0xFF);
        const int channelB = static_cast<int>((b >> shift) & 0xFF);
        if (static_cast<unsigned>(channelA > channelB ? channelA - channelB : channelB - channelA) > tolerance)
            return false;
    }
    return true;
}

// What one event adds to a pass at the recorded pace: its slot, and a pause's length read unsigned
// as the player reads it. A colour wait takes no slot, and no time when its colour is there.
inline std::chrono::milliseconds replayTime(const InputEvent& event)
{
    if (isKind(event, EventKind::WaitColor))
        return {};
    const std::uint32_t pause = isKind(event, EventKind::Sleep) ? static_cast<std::uint32_t>(event.value) : 0;
    return kEventSlot + std::chrono::milliseconds(pause);
}
