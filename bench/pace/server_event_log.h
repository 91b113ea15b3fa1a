#pragma once

#include <cstdint>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct _XDisplay;

// One core input event as the X server delivered it, with the server's own timestamp.
struct ServerEvent {
    enum Type { Motion, Press, Release };
    Type type;
    int button;  // for presses and releases
    int x;
    int y;
    std::uint32_t timeMs;  // server time: the monotonic clock in milliseconds, modulo 2^32
};

// Logs every pointer motion, button press and release on the display through a RECORD context of
// its own, whoever caused it (a driver, the recorder's replay), with server timestamps.
class ServerEventLog {
public:
    ServerEventLog() = default;
    ~ServerEventLog();
    ServerEventLog(const ServerEventLog&) = delete;
    ServerEventLog& operator=(const ServerEventLog&) = delete;

    bool start(std::string& reason);
    void stop();
    // The events logged since the previous call, all of them: the server passes logged events on
    // only when it has output for some client, so a round trip of the log's own comes first.
    std::vector<ServerEvent> take();

private:
    // On the logging thread, for each datum of the RECORD context.
    void keep(const void* recorded);

    _XDisplay* control = nullptr;
    _XDisplay* data = nullptr;
    unsigned long context = 0;
    std::promise<bool> enabled;
    bool enabledSignalled = false;
    std::thread thread;
    std::mutex mutex;
    std::vector<ServerEvent> events;
};

// The steady clock in the server's terms (the X server on Linux stamps events with the monotonic
// clock in milliseconds).
std::uint32_t serverTimeNow();
// Milliseconds from one server time to a later one, across the wrap of the 32-bit clock.
long long serverMsBetween(std::uint32_t earlier, std::uint32_t later);
