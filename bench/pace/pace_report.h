#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "input_driver.h"
#include "server_event_log.h"

// What the server saw while a workload was recorded, and what the recording held.
struct RecordedPass {
    std::vector<ServerEvent> events;
    std::uint32_t startMs = 0;  // server time when the recording started
    std::uint32_t stopMs = 0;   // and stopped
    std::size_t samples = 0;    // pointer samples in the saved script
    std::size_t scriptEvents = 0;  // all its events
    long long wheelDelta = 0;      // the sum of its vertical wheel deltas
};

// Counts the pointer samples, the vertical wheel's delta and all the events of the script saved at `path` into `pass`.
void countScript(const std::string& path, RecordedPass& pass);

// Compares the replay (what the server saw while the script played) with the recorded pass and
// prints: samples per second, replay span / recorded span, per-event offset error (each pass
// measured from its own start; the player sends its first event 10 ms after it starts), and how
// many presses came back at their recorded pixel; for the scroll workload also the vertical wheel's
// total delta as the server saw it recorded, as the script holds it, and as the server saw it
// replayed. Returns the goals the pass missed, "" when it met them all.
std::string printPaceFigures(const char* label, InputDriver::Workload workload, const RecordedPass& recorded,
                             const std::vector<ServerEvent>& replayed);

// Whether each workload met its goals in every pass measured, for one plain line per workload at
// the end of a run.
class PaceGoals {
public:
    // Notes one pass's missed goals ("" for none); true when it met them all.
    bool note(InputDriver::Workload workload, const char* label, const std::string& missed);
    // Prints "<workload>: goals met" or what was missed, per workload measured; true when all met.
    bool printVerdicts() const;

private:
    struct Verdict {
        bool measured = false;
        std::string missed;
    };
    std::array<Verdict, 3> verdicts;
};
