#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "cli/key_chord.h"
#include "cli/stop_key_listener.h"
#include "platform/platform_input.h"
#include "platform/system_platform.h"
#include "system/session.h"
#include "script/script_codec.h"

// What play and record share: the system's input services, the capture thread watching for the
// stop key, signals that stop, and the countdown.
class Session {
public:
    // `stop` is set by the stop key and by SIGINT, SIGTERM and SIGHUP. `platform` outlives the
    // session.
    Session(PlatformInput& platform, const KeyChord& stopKey, std::atomic<bool>& stop);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Starts watching the stop key, and claims it from the window; false with `problem` when it
    // cannot be watched.
    bool start(std::string& problem);
    // Waits `seconds` unless stopped first; false when stopped.
    bool countdown(double seconds, const std::string& what);

    StopKeyListener& listener() { return *watcher; }
    // 0, or the signal that stopped the session.
    int signal() const;
    // The exit status for a session that otherwise ends with `status`: 128+N after signal N.
    int exitStatus(int status) const;

private:
    // The window sees the stop key as well, maybe a moment later: after a stop by the key, the claim
    // lasts until the key is up again, and a moment more.
    void releaseClaimOnceTheKeyIsUp();

    PlatformInput& input;
    ScriptCodec codec;
    std::unique_ptr<StopKeyListener> watcher;
    KeyChord stopKey;
    std::atomic<bool>& stop;
    bool watching = false;
    std::optional<StopKeyClaim> claim;
};
