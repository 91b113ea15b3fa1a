#pragma once

#include <atomic>
#include <chrono>
#include <thread>

#include "capture/recorder.h"

// A listener that marks the capture thread on its first mouse call, so that a test can tell whether
// that thread has ended: the thread is slow to end (200 ms), so a stop that returns without
// waiting for it is caught every time.
class ThreadEndWitness : public Recorder {
public:
    explicit ThreadEndWitness(PlatformInput& platform) : Recorder(platform)
    {
        attachCodec(nullptr);
        endedFlag() = &ended;
    }
    ~ThreadEndWitness() { endedFlag() = nullptr; }

    void onMouseEvent(int, int) override
    {
        thread_local SlowEnd marker;
        called = true;
    }

    std::atomic<bool> called{false};
    std::atomic<bool> ended{false};

private:
    // The marker keeps nothing of its own: with mingw's emulated thread-local storage its memory
    // may be freed before its destructor runs.
    struct SlowEnd {
        ~SlowEnd()
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (std::atomic<bool>* flag = endedFlag())
                *flag = true;
        }
    };
    static std::atomic<bool>*& endedFlag()
    {
        static std::atomic<bool>* flag = nullptr;
        return flag;
    }
};
