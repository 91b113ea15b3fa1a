#include "playback/player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

#include "platform/platform_input.h"
#include "playback/held_inputs.h"

namespace {

using Clock = PlatformInput::Clock;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// A running pause looks at the stop flag this often.
constexpr milliseconds kPauseSlice{5};

// Releases what a pass that ends early leaves held, the last pressed first.
void releaseHeld(PlatformInput& platform, const HeldInputs& held)
{
    for (const HeldInput& input : held.releaseOrder()) {
        if (!input.button)
            platform.injectKey(input.code, win::KeyEventKeyUp);
        else if (const PointerButton* button = pointerButton(input.code))
            platform.injectMouse(button->upFlag, button->mouseData);
    }
}

// Screen coordinates are signed 16-bit: a position left of or above the primary monitor is stored
// as its low 16 bits (-10 as 65526) and must be moved to as the negative number it is.
bool moveTo(PlatformInput& platform, const InputEvent& event)
{
    return platform.setCursorPos(static_cast<std::int16_t>(event.x), static_cast<std::int16_t>(event.y));
}

class PreciseTiming {
public:
    explicit PreciseTiming(PlatformInput& platform) : platform(platform) { platform.beginPreciseTiming(); }
    ~PreciseTiming() { platform.endPreciseTiming(); }
    PreciseTiming(const PreciseTiming&) = delete;
    PreciseTiming& operator=(const PreciseTiming&) = delete;

private:
    PlatformInput& platform;
};

PassEnd passEndFor(InputBarrier barrier)
{
    switch (barrier) {
    case InputBarrier::ElevatedTarget:
        return PassEnd::ElevatedTarget;
    case InputBarrier::LockedDesktop:
        return PassEnd::LockedDesktop;
    case InputBarrier::Suspended:
        return PassEnd::Suspended;
    case InputBarrier::Clear:
        break;
    }
    return PassEnd::Finished;
}

// Waits until `end`, looking at the stop flag and the desktop every slice. The barrier that cut it
// short, if one did.
InputBarrier pauseUntil(PlatformInput& platform, const std::atomic<bool>& stop, Clock::time_point end)
{
    while (!stop && platform.now() < end) {
        const InputBarrier barrier = platform.desktopBarrier();
        if (barrier != InputBarrier::Clear)
            return barrier;
        platform.sleepUntil(std::min(end, platform.now() + kPauseSlice));
    }
    return InputBarrier::Clear;
}

// Why input would not reach its target now, or Clear.
InputBarrier barrierBefore(PlatformInput& platform, const InputEvent& event)
{
    const InputBarrier desktop = platform.desktopBarrier();
    if (desktop != InputBarrier::Clear)
        return desktop;
    switch (static_cast<EventKind>(event.kind)) {
    case EventKind::MouseButton:
        return platform.buttonTargetBarrier(static_cast<std::int16_t>(event.x), static_cast<std::int16_t>(event.y));
    case EventKind::Key:
        return platform.keyTargetBarrier();
    default:
        return InputBarrier::Clear;
    }
}

}  // namespace

Player::Player(PlatformInput& platform) : platform(platform) {}

PassEnd Player::play(const std::vector<InputEvent>& events)
{
    eventsPlayed = 0;
    if (stopRequested)
        return PassEnd::Stopped;
    if (events.empty()) {
        // A pass with nothing to play still takes a slot, so a loop over it idles instead of
        // spinning until it is stopped.
        const InputBarrier barrier = pauseUntil(platform, stopRequested, platform.now() + kEventSlot);
        return stopRequested ? PassEnd::Stopped : passEndFor(barrier);
    }
    // Scaled to the nanosecond; exact at the recorded pace, as every wait fits a double exactly.
    const auto scaled = [this](milliseconds wait) -> Clock::duration {
        return std::chrono::duration_cast<Clock::duration>(nanoseconds(std::llround(nanoseconds(wait).count() / speed)));
    };
    const Clock::duration waitBeforeEvent = scaled(kEventSlot);
    PreciseTiming timing(platform);
    HeldInputs held;
    PassEnd end = PassEnd::Finished;
    // When the previous event was due. Each event is due a slot after it, so a pass keeps the
    // recording's clock: a late wake-up or a slow injection shortens the next wait instead of
    // delaying every event after it, as a wait counted from the moment of sending would.
    Clock::time_point previous = platform.now();

    for (const InputEvent& event : events) {
        if (stopRequested)
            break;
        previous += waitBeforeEvent;
        platform.sleepUntil(previous);
        // After a stall of more than a slot (a busy machine, a blocked injection) the events that
        // follow keep their spacing from now on rather than rush out to catch up.
        const Clock::time_point woken = platform.now();
        if (woken - previous > waitBeforeEvent)
            previous = woken;
        end = passEndFor(barrierBefore(platform, event));
        if (end != PassEnd::Finished)
            break;

        switch (static_cast<EventKind>(event.kind)) {
        case EventKind::MouseButton: {
            if (!moveTo(platform, event)) {
                end = PassEnd::PointerNotMoved;
                break;
            }
            const std::uint32_t flags = injectionFlags(event);
            if (!platform.injectMouse(flags, event.value)) {
                end = PassEnd::InputRefused;
                break;
            }
            held.apply(event);
            break;
        }
        case EventKind::Key: {
            moveTo(platform, event);
            const auto virtualKey = static_cast<std::uint32_t>(event.value);
            if (!platform.injectKey(virtualKey, event.code)) {
                end = PassEnd::InputRefused;
                break;
            }
            held.apply(event);
            break;
        }
        case EventKind::Sleep: {
            // Unsigned, as the platform's Sleep reads it: a negative value is a pause of weeks,
            // which only the stop flag can end.
            const Clock::time_point pauseEnd = previous + scaled(milliseconds(static_cast<std::uint32_t>(event.value)));
            end = passEndFor(pauseUntil(platform, stopRequested, pauseEnd));
            if (platform.now() >= pauseEnd)
                previous = pauseEnd;
            break;
        }
        case EventKind::MousePos:
            moveTo(platform, event);
            break;
        default:
            end = PassEnd::UnplayableEvent;
            break;
        }
        if (end != PassEnd::Finished)
            break;
        ++eventsPlayed;
    }
    if (end == PassEnd::Finished && stopRequested)
        end = PassEnd::Stopped;
    if (end != PassEnd::Finished)
        releaseHeld(platform, held);
    return end;
}
