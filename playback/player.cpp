#include "playback/player.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <optional>

#include "platform/platform_input.h"
#include "playback/held_inputs.h"

namespace {

using Clock = PlatformInput::Clock;
using std::chrono::milliseconds;
using std::chrono::nanoseconds;

// A running pause looks at the stop flag this often.
constexpr milliseconds kPauseSlice{5};

// Releases what a pass that ends early, or pauses, leaves held, the last pressed first.
void releaseHeld(PlatformInput& platform, const HeldInputs& held)
{
    for (const HeldInput& input : held.releaseOrder()) {
        if (!input.button)
            platform.injectKey(input.code, win::KeyEventKeyUp);
        else if (const PointerButton* button = pointerButton(input.code))
            platform.injectMouse(button->upFlag, button->mouseData);
    }
}

// Presses again what a pause released, in the order it was first pressed.
void pressHeldAgain(PlatformInput& platform, const HeldInputs& held)
{
    for (const HeldInputs::Entry& entry : held.inPressOrder()) {
        if (!entry.input.button)
            platform.injectKey(entry.input.code, 0);
        else if (const PointerButton* button = pointerButton(entry.input.code))
            platform.injectMouse(button->downFlag, button->mouseData);
    }
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

// Why input would not reach its target now, or Clear.
InputBarrier barrierBefore(PlatformInput& platform, const InputEvent& event)
{
    const InputBarrier desktop = platform.desktopBarrier();
    if (desktop != InputBarrier::Clear)
        return desktop;
    switch (static_cast<EventKind>(event.kind)) {
    case EventKind::MouseButton: {
        const ScreenPoint at = screenPosition(event);
        return platform.buttonTargetBarrier(at.x, at.y);
    }
    case EventKind::Key:
        return platform.keyTargetBarrier();
    default:
        return InputBarrier::Clear;
    }
}

// The waiting side of one pass: pauses of the script, colour waits and the user's pauses, each
// looking at the stop flag every slice.
class PassWaits {
public:
    PassWaits(PlatformInput& platform, Player& player, HeldInputs& held)
        : platform(platform), player(player), held(held)
    {
    }

    bool moveTo(const InputEvent& event)
    {
        placed = screenPosition(event);
        return platform.setCursorPos(placed->x, placed->y);
    }

    // Sits out a pause that was asked for: what the script holds is let go until it is resumed
    // (or stopped), then pressed again where the script had put the pointer. Returns how long
    // the pause took, to push the pass's deadlines back by.
    Clock::duration sitOutPause()
    {
        if (!player.pauseRequested || player.stopRequested)
            return {};
        const Clock::time_point from = platform.now();
        releaseHeld(platform, held);
        player.paused = true;
        while (player.pauseRequested && !player.stopRequested)
            platform.sleepUntil(platform.now() + kPauseSlice);
        player.paused = false;
        if (player.stopRequested) {
            // Released already: the end of the pass has nothing left to let go.
            held.clear();
        } else {
            if (placed && !held.empty())
                platform.setCursorPos(placed->x, placed->y);
            pressHeldAgain(platform, held);
        }
        return platform.now() - from;
    }

    // Waits until `end`, which a pause on the way pushes back, looking at the stop flag and the
    // desktop every slice. The barrier that cut it short, if one did.
    InputBarrier waitUntil(Clock::time_point& end)
    {
        while (!player.stopRequested && platform.now() < end) {
            end += sitOutPause();
            const InputBarrier barrier = platform.desktopBarrier();
            if (barrier != InputBarrier::Clear)
                return barrier;
            platform.sleepUntil(std::min(end, platform.now() + kPauseSlice));
        }
        return InputBarrier::Clear;
    }

    // Waits for the event's colour, looking once now and then once per slot until the timeout.
    // Finished when it came (then `previous` is the slot in which it was seen, unless it was there
    // at once) or when stopped; ColourNeverCame, with the colour seen last in `seen`, when it did
    // not come; or what cut the wait short.
    PassEnd waitForColour(const InputEvent& event, Clock::time_point& previous, std::optional<std::uint32_t>& seen)
    {
        const ScreenPoint at = screenPosition(event);
        const std::uint32_t wanted = waitColour(event);
        const auto looksLike = [&] {
            std::uint32_t rgb = 0;
            seen.reset();
            if (platform.screenPixel(at.x, at.y, rgb))
                seen = rgb;
            return seen && coloursMatch(*seen, wanted, event.code);
        };
        if (looksLike())
            return PassEnd::Finished;
        // The slots keep the pass's clock: they follow the one of the event before.
        Clock::time_point look = previous;
        Clock::time_point deadline = platform.now() + milliseconds(static_cast<std::uint32_t>(event.value));
        for (;;) {
            look += kEventSlot;
            if (look > deadline)
                return PassEnd::ColourNeverCame;
            const Clock::time_point due = look;
            const InputBarrier barrier = waitUntil(look);
            if (barrier != InputBarrier::Clear)
                return passEndFor(barrier);
            deadline += look - due;
            if (player.stopRequested)
                return PassEnd::Finished;
            if (looksLike()) {
                previous = look;
                return PassEnd::Finished;
            }
        }
    }

private:
    PlatformInput& platform;
    Player& player;
    HeldInputs& held;
    // Where the script last put the pointer.
    std::optional<ScreenPoint> placed;
};

}  // namespace

Player::Player(PlatformInput& platform) : platform(platform) {}

PassEnd Player::play(const std::vector<InputEvent>& events)
{
    eventsPlayed = 0;
    seen.reset();
    if (stopRequested)
        return PassEnd::Stopped;
    HeldInputs held;
    PassWaits waits(platform, *this, held);
    if (events.empty()) {
        // A pass with nothing to play still takes a slot, so a loop over it idles instead of
        // spinning until it is stopped.
        Clock::time_point end = platform.now() + kEventSlot;
        const InputBarrier barrier = waits.waitUntil(end);
        return stopRequested ? PassEnd::Stopped : passEndFor(barrier);
    }
    // Scaled to the nanosecond; exact at the recorded pace, as every wait fits a double exactly.
    const auto scaled = [this](milliseconds wait) -> Clock::duration {
        return std::chrono::duration_cast<Clock::duration>(nanoseconds(std::llround(nanoseconds(wait).count() / speed)));
    };
    const Clock::duration waitBeforeEvent = scaled(kEventSlot);
    PreciseTiming timing(platform);
    PassEnd end = PassEnd::Finished;
    // When the previous event was due. Each event is due a slot after it, so a pass keeps the
    // recording's clock: a late wake-up or a slow injection shortens the next wait instead of
    // delaying every event after it, as a wait counted from the moment of sending would.
    Clock::time_point previous = platform.now();

    for (const InputEvent& event : events) {
        previous += waits.sitOutPause();
        if (stopRequested)
            break;
        // A colour wait takes no slot of its own: one that is already satisfied costs nothing.
        if (isKind(event, EventKind::WaitColor)) {
            end = waits.waitForColour(event, previous, seen);
            if (end != PassEnd::Finished || stopRequested)
                break;
            ++eventsPlayed;
            continue;
        }
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
            if (!waits.moveTo(event)) {
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
            waits.moveTo(event);
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
            Clock::time_point pauseEnd = previous + scaled(milliseconds(static_cast<std::uint32_t>(event.value)));
            end = passEndFor(waits.waitUntil(pauseEnd));
            if (platform.now() >= pauseEnd)
                previous = pauseEnd;
            break;
        }
        case EventKind::MousePos:
            waits.moveTo(event);
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
