#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "capture/input_event.h"

struct FileFailure;
class PlatformInput;
struct ScreenPoint;
class ScriptCodec;

// The capture side: the captured event list, the recording flag and the three listener operations
// (in this order: setRecording, onKeyEvent, onMouseEvent) through which the capture thread and the
// window drive recording.
class Recorder {
public:
    explicit Recorder(PlatformInput& platform);
    virtual ~Recorder();

    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Default: on empties the list and starts recording; off stops and keeps the list.
    virtual void setRecording(bool on);
    // Default: toggles recording while Control, Shift and F8 are all held. Runs on the capture
    // thread with g_listenerMutex held.
    virtual void onKeyEvent(int msgCode, int vk);
    // Default: while recording, keeps the mouse action with addMouseAction. Runs on the capture
    // thread with g_listenerMutex held; mouseData is the wheel's delta or the side button's number.
    virtual void onMouseEvent(int msgCode, int mouseData);

    // Appends an event of `kind` (ignored when above 3) at the current pointer position; nothing
    // when the position cannot be had. Callers hold g_listenerMutex.
    void addEvent(int code, int kind, int value);
    // Appends a MouseButton event for the mouse message `msgCode` (its low byte) at the current
    // pointer position, with the wheel's delta or the side button's number as value. Each event
    // replays in a slot of its own, so a wheel notch that comes while the previous event is a
    // notch at the same place and in the same direction whose slot has not passed yet is added to
    // it: a fast spin replays at its pace, with its whole delta. A wheel action without a delta and
    // a side button without a number are not kept: no script line could hold them. Callers hold
    // g_listenerMutex.
    void addMouseAction(int msgCode, int mouseData);
    // Empties the list. Callers on the window thread hold g_listenerMutex.
    void clearEvents();

    // The recording's clock. A list replays its events a slot (kEventSlot) apart, plus the pauses
    // it holds, so the list's next slot replays at a slot x (events + 1) + pauses after the
    // start. Pointer samples are taken on that clock, not by counting timer ticks, so a recording
    // replays at the pace it was made whatever the timer's jitter.
    // Takes the recording's start time from the platform's clock; called when a recording starts.
    void startClock();
    // One tick of the frequent sampling timer: asks the platform for the pointer, then takes
    // g_listenerMutex and, while recording, appends the due samples. The question is asked
    // outside the lock, so the capture thread never waits for it, and on every tick, due or not:
    // besides giving the samples, it has the input system hand over at once the actions the
    // capture thread waits for, which some systems (an X server with no other client to write to)
    // hold back until they next send something. With `withSamples` false only the question is
    // asked. When the pointer cannot be had, the due slots stay due.
    void sampleTick(bool withSamples = true);
    // Appends one MousePos sample at `pointer` for every slot whose replay time the clock has
    // passed. Called with g_listenerMutex held.
    void sampleDueSlots(const ScreenPoint& pointer);
    // For recordings without pointer samples: appends a Sleep event when the clock is more than a
    // slot past the next slot, so that the event appended next replays at its recorded offset.
    // Called with g_listenerMutex held, just before that event is appended.
    void padToNow();
    // Stores the codec used for saving and registers this object as the global listener.
    void attachCodec(ScriptCodec* codec);

    bool isRecording() const { return recording.load(); }
    // A copy of the captured list; g_listenerMutex is held only while copying. Window thread only
    // (the thread that clears the list).
    std::vector<InputEvent> copyEvents() const;
    // A copy for a program that must end now, from any thread: it waits a moment for
    // g_listenerMutex, then copies without it, since its holder may be this very thread or one
    // that is stuck for good; neither changes the list any more.
    std::vector<InputEvent> copyEventsWhileEnding() const;

    // Writes the captured list as a script. True only when the whole file was written and closed;
    // otherwise the previous file is untouched and `failure` says why.
    bool saveToFile(const std::string& path, FileFailure& failure) const;
    // The same for a capture taken earlier with copyEvents.
    bool saveToFile(const std::string& path, const std::vector<InputEvent>& capture, FileFailure& failure) const;
    // Both, with the reason (if asked for) as one line of English.
    bool saveToFile(const std::string& path, std::string* reason = nullptr) const;
    bool saveToFile(const std::string& path, const std::vector<InputEvent>& capture,
                    std::string* reason = nullptr) const;

protected:
    std::atomic<bool> recording{false};
    std::vector<InputEvent> events;
    ScriptCodec* codec = nullptr;
    PlatformInput& platform;

private:
    void append(std::uint8_t kind, int code, int value, const ScreenPoint& point);
    std::chrono::steady_clock::duration sinceStart() const;
    std::chrono::steady_clock::duration nextSlotOffset() const;

    // Written with g_listenerMutex held (or before the capture thread can see a recording).
    std::chrono::steady_clock::time_point clockStart{};
    std::chrono::milliseconds pausesInList{0};
};
