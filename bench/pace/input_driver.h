#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

// A person at the mouse, played by XTEST on a connection and thread of its own.
//   "move":   the pointer moves 1 px every 2 ms along rows of distinct points;
//   "clicks": 20 left clicks a second, each a move to a fresh point, a press 2 ms later and a
//             release 25 ms after the press;
//   "scroll": 20 wheel notches a second downwards (button 5 pressed and released 2 ms later), the
//             pointer still, moved to a fresh point once a second.
class InputDriver {
public:
    enum class Workload { Move, Clicks, Scroll };

    static bool parse(const std::string& name, Workload& workload);
    static const char* name(Workload workload);

    // Runs the workload for `duration` on its own thread.
    void start(Workload workload, std::chrono::milliseconds duration);
    // Waits for the workload to end.
    void join();

private:
    std::thread thread;
};

// Busy loops on other threads, to load the machine while something is measured.
class BusyLoops {
public:
    explicit BusyLoops(int count);
    ~BusyLoops();
    BusyLoops(const BusyLoops&) = delete;
    BusyLoops& operator=(const BusyLoops&) = delete;

private:
    std::atomic<bool> running{true};
    std::thread threads[8];
    int started = 0;
};
