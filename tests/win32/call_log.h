#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "capture/input_listener.h"
#include "capture/recorder.h"
#include "platform/platform_input.h"

// The registered listener for these tests: writes each capture call as a line, "key <msgCode>
// 0x<vk>" or "mouse 0x<message>", followed by " at x,y" (the pointer when the call came) if asked.
class CallLog : public Recorder {
public:
    enum class Pointer { Omit, Include };

    explicit CallLog(PlatformInput& platform, Pointer pointer = Pointer::Omit)
        : Recorder(platform), pointer(pointer)
    {
        attachCodec(nullptr);
    }

    // Called with g_listenerMutex held, as the hooks do.
    void onKeyEvent(int msgCode, int vk) override
    {
        const char* state = (platform.keyState(vk) & win::KeyStateDown) ? " down" : " up";
        add("key " + std::to_string(msgCode) + " " + hex(vk) + (noteKeyState ? state : ""));
    }
    // Wheel and side-button calls add their mouse data: "mouse 0x20a -120".
    void onMouseEvent(int msgCode, int mouseData) override
    {
        add("mouse " + hex(msgCode) + (mouseData == 0 ? "" : " " + std::to_string(mouseData)));
    }

    // Whether key lines end with the key's state as the listener is told it, " down" or " up".
    bool noteKeyState = false;

    std::vector<std::string> lines() const
    {
        std::lock_guard<std::mutex> lock(g_listenerMutex);
        return logged;
    }

    // Injected input reaches the hooks asynchronously; this waits until `line` has been logged.
    bool waitForLine(const std::string& line, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const
    {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        do {
            for (const std::string& seen : lines())
                if (seen == line)
                    return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }

    static std::string hex(int value)
    {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
        return text;
    }

private:
    void add(std::string line)
    {
        ScreenPoint at;
        if (pointer == Pointer::Include && platform.cursorPos(at))
            line += " at " + std::to_string(at.x) + "," + std::to_string(at.y);
        logged.push_back(std::move(line));
    }

    const Pointer pointer;
    std::vector<std::string> logged;
};
