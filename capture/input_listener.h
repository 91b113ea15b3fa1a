#pragma once

#include <mutex>

class Recorder;

// The process-wide listener registration used by the capture thread. g_listener is written once by
// Recorder::attachCodec before the capture thread starts, and withdrawn under g_listenerMutex.
extern Recorder* g_listener;
extern std::mutex g_listenerMutex;

// Withdraws `listener` if it is the registered one, under g_listenerMutex; once this returns no
// capture callback can reach it.
void withdrawListener(Recorder* listener);

// Called by the capture backends on their capture thread, for each action, with Windows values.
// Each locks g_listenerMutex for the listener call (pointer moves included: lock, no call, unlock)
// and never lets an exception escape into the platform's callback.
void deliverKeyEvent(int message, int virtualKey) noexcept;
// `mouseData` is what the mouse hook reports in the high word of its record's mouseData: the wheel's
// delta (signed, 120 a notch) or the side button's number (1 or 2); 0 for other messages.
void deliverMouseEvent(int message, int mouseData = 0) noexcept;
