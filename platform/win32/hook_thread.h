#pragma once

#include <future>
#include <optional>
#include <thread>

#include "platform/platform_input.h"

// The capture thread: installs the low-level mouse hook, then the keyboard hook, and waits in its
// message loop, inside which Windows runs the hook procedures. A quit message ends the loop, which
// removes the keyboard hook, then the mouse hook.
class HookThread {
public:
    HookThread() = default;
    ~HookThread();
    HookThread(const HookThread&) = delete;
    HookThread& operator=(const HookThread&) = delete;

    // Starts the thread and returns once both hooks are installed (true; also when already
    // running), or once installing failed (false, with why).
    bool start(CaptureFailure& failure);
    // Posts the quit message and joins; does nothing when the thread is not running.
    void stop();

private:
    void run(std::promise<std::optional<CaptureFailure>> installed);

    std::thread thread;
    unsigned long threadId = 0;  // DWORD, kept out of this header to keep <windows.h> out too
};
