#include "capture/recorder.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "capture/input_listener.h"
#include "system/file_replace.h"
#include "platform/platform_input.h"
#include "script/script_codec.h"

namespace {

// Far beyond any spin, far from overflowing the 32-bit delta with the next notch.
constexpr std::int32_t kMergedDeltaLimit = 1 << 30;

}  // namespace

Recorder::Recorder(PlatformInput& platform) : platform(platform) {}

Recorder::~Recorder()
{
    withdrawListener(this);
}

void Recorder::setRecording(bool on)
{
    if (on) {
        clearEvents();
        startClock();
    }
    recording = on;
}

void Recorder::onKeyEvent(int, int)
{
    auto down = [this](int vk) { return (platform.keyState(vk) & win::KeyStateDown) != 0; };
    if (down(win::VkControl) && down(win::VkShift) && down(win::VkF8))
        setRecording(!recording);
}

void Recorder::onMouseEvent(int msgCode, int mouseData)
{
    if (recording)
        addMouseAction(msgCode, mouseData);
}

void Recorder::addMouseAction(int msgCode, int mouseData)
{
    const bool wheel = msgCode == win::WmMouseWheel || msgCode == win::WmMouseHWheel;
    const bool sideButton = msgCode == win::WmXButtonDown || msgCode == win::WmXButtonUp;
    if ((wheel && mouseData == 0) || (sideButton && mouseData != win::XButton1 && mouseData != win::XButton2))
        return;
    ScreenPoint point;
    if (!platform.cursorPos(point))
        return;
    const auto code = static_cast<std::uint8_t>(msgCode);
    if (wheel && !events.empty() && sinceStart() < nextSlotOffset()) {
        InputEvent& previous = events.back();
        if (isKind(previous, EventKind::MouseButton) && previous.code == code
            && previous.x == static_cast<std::uint16_t>(point.x) && previous.y == static_cast<std::uint16_t>(point.y)
            && (previous.value > 0) == (mouseData > 0) && std::abs(previous.value) < kMergedDeltaLimit) {
            previous.value += mouseData;
            return;
        }
    }
    append(toByte(EventKind::MouseButton), code, wheel || sideButton ? mouseData : 0, point);
}

void Recorder::addEvent(int code, int kind, int value)
{
    const auto kindByte = static_cast<std::uint8_t>(kind);
    if (kindByte > toByte(EventKind::MousePos))
        return;
    ScreenPoint point;
    if (platform.cursorPos(point))
        append(kindByte, code, value, point);
}

void Recorder::append(std::uint8_t kind, int code, int value, const ScreenPoint& point)
{
    InputEvent event;
    event.kind = kind;
    event.code = static_cast<std::uint8_t>(code);
    event.value = value;
    event.x = static_cast<std::uint16_t>(point.x);
    event.y = static_cast<std::uint16_t>(point.y);
    events.push_back(event);
}

void Recorder::clearEvents()
{
    events.clear();
    pausesInList = std::chrono::milliseconds{0};
}

void Recorder::startClock()
{
    clockStart = platform.now();
}

std::chrono::steady_clock::duration Recorder::sinceStart() const
{
    return platform.now() - clockStart;
}

std::chrono::steady_clock::duration Recorder::nextSlotOffset() const
{
    return kEventSlot * static_cast<long long>(events.size() + 1) + pausesInList;
}

void Recorder::sampleTick(bool withSamples)
{
    ScreenPoint pointer;
    if (!platform.cursorPos(pointer) || !withSamples || !recording)
        return;
    std::lock_guard<std::mutex> lock(g_listenerMutex);
    sampleDueSlots(pointer);
}

void Recorder::sampleDueSlots(const ScreenPoint& pointer)
{
    while (sinceStart() >= nextSlotOffset())
        append(toByte(EventKind::MousePos), 0, 0, pointer);
}

void Recorder::padToNow()
{
    using std::chrono::milliseconds;
    // The pause takes a slot of its own before it runs, then the next event waits its slot.
    const auto late = std::chrono::duration_cast<milliseconds>(sinceStart() - nextSlotOffset());
    const milliseconds pause = late - kEventSlot;
    if (pause <= milliseconds{0})
        return;
    InputEvent sleep;
    sleep.kind = toByte(EventKind::Sleep);
    sleep.value = static_cast<std::int32_t>(pause.count());
    events.push_back(sleep);
    pausesInList += pause;
}

void Recorder::attachCodec(ScriptCodec* scriptCodec)
{
    codec = scriptCodec;
    g_listener = this;
}

std::vector<InputEvent> Recorder::copyEvents() const
{
    // The capture thread appends under the lock and only this (window) thread clears, so events
    // already in the list never change: copy them in chunks, into a buffer sized and touched
    // outside the lock, so the capture thread never waits for more than one chunk.
    constexpr std::size_t kChunk = 32768;
    // A pause between chunks long enough for a capture thread woken by the unlock to get the lock.
    constexpr std::chrono::microseconds kHandOver{50};
    std::size_t size;
    {
        std::lock_guard<std::mutex> lock(g_listenerMutex);
        size = events.size();
    }
    std::vector<InputEvent> copy(size + size / 8 + 64);
    for (std::size_t copied = 0;; std::this_thread::sleep_for(kHandOver)) {
        std::lock_guard<std::mutex> lock(g_listenerMutex);
        const std::size_t total = events.size();
        if (total > copy.size())
            copy.resize(total);
        const std::size_t chunkEnd = std::min(total, copied + kChunk);
        std::copy(events.begin() + copied, events.begin() + chunkEnd, copy.begin() + copied);
        copied = chunkEnd;
        if (copied == total) {
            copy.resize(total);
            return copy;
        }
    }
}

std::vector<InputEvent> Recorder::copyEventsWhileEnding() const
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    while (!g_listenerMutex.try_lock()) {
        if (std::chrono::steady_clock::now() >= giveUp)
            return events;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::vector<InputEvent> copy = events;
    g_listenerMutex.unlock();
    return copy;
}

bool Recorder::saveToFile(const std::string& path, FileFailure& failure) const
{
    return saveToFile(path, copyEvents(), failure);
}

bool Recorder::saveToFile(const std::string& path, const std::vector<InputEvent>& capture,
                          FileFailure& failure) const
{
    if (!codec) {
        failure = FileFailure{FileFailureCause::Other, "no script codec attached", ""};
        return false;
    }
    std::vector<std::string> lines;
    codec->toLines(capture, lines);
    return replaceFileContents(path, joinLines(lines), failure);
}

namespace {

bool reportedAsText(bool saved, const FileFailure& failure, std::string* reason)
{
    if (!saved && reason)
        *reason = failure.reason();
    return saved;
}

}  // namespace

bool Recorder::saveToFile(const std::string& path, std::string* reason) const
{
    FileFailure failure;
    return reportedAsText(saveToFile(path, failure), failure, reason);
}

bool Recorder::saveToFile(const std::string& path, const std::vector<InputEvent>& capture,
                          std::string* reason) const
{
    FileFailure failure;
    return reportedAsText(saveToFile(path, capture, failure), failure, reason);
}
