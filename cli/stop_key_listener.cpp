#include "cli/stop_key_listener.h"

#include <mutex>

#include "capture/input_listener.h"
#include "platform/modifier_keys.h"

namespace {

constexpr int kKeyDown = win::WmKeyDown - win::WmKeyDown;
constexpr int kSysKeyDown = win::WmSysKeyDown - win::WmKeyDown;

bool isPress(int msgCode)
{
    return msgCode == kKeyDown || msgCode == kSysKeyDown;
}

}  // namespace

StopKeyListener::StopKeyListener(PlatformInput& platform, const KeyChord& stopKey, std::atomic<bool>& stop)
    : Recorder(platform), stopKey(stopKey), stop(stop)
{
}

void StopKeyListener::startRecording()
{
    std::lock_guard<std::mutex> lock(g_listenerMutex);
    pressedHere.reset();
    setRecording(true);
}

void StopKeyListener::stopRecording(const KeyChord& chord)
{
    std::lock_guard<std::mutex> lock(g_listenerMutex);
    recording = false;
    // The presses of the chord that are not released by the end belong to the stop itself.
    std::bitset<256> released;
    for (std::size_t i = events.size(); i-- > 0;) {
        const InputEvent& event = events[i];
        if (!isKind(event, EventKind::Key))
            continue;
        const auto key = static_cast<std::size_t>(event.value) & 0xFF;
        if (!isPress(event.code))
            released.set(key);
        else if (!released.test(key) && (event.value == chord.virtualKey || chord.isModifier(event.value)))
            events.erase(events.begin() + static_cast<std::ptrdiff_t>(i));
    }
    // A pause at the end only delays the end of a pass; it was the wait for the stop.
    while (!events.empty() && isKind(events.back(), EventKind::Sleep))
        events.pop_back();
}

bool StopKeyListener::held(int generic)
{
    const ModifierKey& sides = *sidesOf(generic);
    return down.test(static_cast<std::size_t>(generic)) || down.test(static_cast<std::size_t>(sides.left))
           || down.test(static_cast<std::size_t>(sides.right)) || (platform.keyState(generic) & win::KeyStateDown) != 0;
}

void StopKeyListener::onKeyEvent(int msgCode, int vk)
{
    if (vk >= 0 && vk <= 0xFF)
        down.set(static_cast<std::size_t>(vk), isPress(msgCode));
    if (vk == stopKey.virtualKey)
        stopKeyDown = isPress(msgCode);
    if (isPress(msgCode) && vk == stopKey.virtualKey && (!stopKey.control || held(win::VkControl))
        && (!stopKey.alt || held(win::VkMenu)) && (!stopKey.shift || held(win::VkShift))) {
        recording = false;
        stopKeySeen = true;
        stop = true;
        return;
    }
    if (!recording || !keepKeys || vk < 0 || vk > 0xFF)
        return;
    if (isPress(msgCode))
        pressedHere.set(static_cast<std::size_t>(vk));
    else if (!pressedHere.test(static_cast<std::size_t>(vk)))
        return;
    append(msgCode, EventKind::Key, vk);
}

void StopKeyListener::onMouseEvent(int msgCode, int mouseData)
{
    if (!recording)
        return;
    // Wheel and side buttons are actions, kept with the clicks also when pointer samples are not.
    if (padEvents)
        padToNow();
    addMouseAction(msgCode, mouseData);
}

void StopKeyListener::append(int code, EventKind kind, int value)
{
    if (padEvents)
        padToNow();
    addEvent(code, toByte(kind), value);
}
