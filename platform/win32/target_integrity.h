#pragma once

#include <windows.h>

#include <unordered_map>

// Whether a window belongs to a process of a higher integrity level than this one (an elevated
// program, or one of the system's). Windows drops input injected into such a window, and neither
// SendInput's result nor GetLastError says so. Answers are kept per window, so that asking again
// for the same window costs a lookup only. Used from one thread.
class TargetIntegrity {
public:
    bool isAbove(HWND window);
    // Window handles are reused once their windows close; a new playback asks afresh.
    void forget() { answers.clear(); }

private:
    bool ask(HWND window);

    std::unordered_map<HWND, bool> answers;
    DWORD ownLevel = 0;  // 0 until first needed
};
