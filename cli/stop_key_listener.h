#pragma once

#include <atomic>
#include <bitset>
#include <optional>

#include "capture/recorder.h"
#include "cli/key_chord.h"
#include "platform/platform_input.h"

// The command line's listener on the capture thread: it watches for the stop key (with its
// modifiers held, others allowed) and, while recording, keeps the mouse buttons and, when asked,
// the keyboard. The stop key's own press is never kept, since recording ends before it.
class StopKeyListener : public Recorder {
public:
    // `stop` is set when the stop key goes down.
    StopKeyListener(PlatformInput& platform, const KeyChord& stopKey, std::atomic<bool>& stop);

    // Before the capture starts: each press of `pauseKey` (with its modifiers) toggles `pause`.
    void watchPauseKey(const KeyChord& pauseKey, std::atomic<bool>& pause);

    // Before recording starts.
    void recordKeys(bool on) { keepKeys = on; }
    // Before recording starts: no pointer samples; pauses keep each event at its recorded time.
    void clicksOnly(bool on) { padEvents = on; }

    // Starts a recording. Takes g_listenerMutex.
    void startRecording();
    // Ends the recording and drops the presses of `chord` (the stop key's modifiers, or the
    // Control+C that interrupted) that are still unreleased at the end. Takes g_listenerMutex.
    void stopRecording(const KeyChord& chord);

    bool stopKeyPressed() const { return stopKeySeen; }
    // Whether the stop key is down, as the capture last reported it.
    bool stopKeyHeld() const { return stopKeyDown; }

    void onKeyEvent(int msgCode, int vk) override;
    void onMouseEvent(int msgCode, int mouseData) override;

private:
    // Whether a Shift, Control or Alt key (`generic`) is down, by either side: as the key presses
    // seen here say, or as the platform says (for one held since before the capture started).
    bool held(int generic);
    // Whether this press is of `chord` with its modifiers held.
    bool pressOf(const KeyChord& chord, int msgCode, int vk);
    void append(int code, EventKind kind, int value);

    const KeyChord stopKey;
    std::atomic<bool>& stop;
    std::atomic<bool> stopKeySeen{false};
    std::atomic<bool> stopKeyDown{false};
    std::optional<KeyChord> pauseKey;
    std::atomic<bool>* pause = nullptr;
    bool keepKeys = false;
    bool padEvents = false;
    // Keys whose press this recording kept; a release of any other key was pressed before the
    // recording started and is not kept.
    std::bitset<256> pressedHere;
    // Keys down as the capture has reported them; the platform's key state may lag behind the
    // capture thread's own events.
    std::bitset<256> down;
};
