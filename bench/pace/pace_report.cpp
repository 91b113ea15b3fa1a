#include "pace_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>

namespace {

// The player waits this long before its first event.
constexpr long long kFirstSlotMs = 10;

// The goals of a pass: the recording's clock gives 100 events a second, and the replay keeps the
// recorded pace and offsets.
constexpr double kGoalEventsPerSecond = 100.0;
constexpr double kGoalEventsPerSecondSlack = 0.5;
constexpr double kGoalSpanRatioSlack = 0.005;
constexpr double kGoalMedianMs = 5.0;
constexpr double kGoalP95Ms = 10.0;

long long since(std::uint32_t later, std::uint32_t earlier)
{
    return serverMsBetween(earlier, later);
}

struct Match {
    const ServerEvent* recorded;
    const ServerEvent* replayed;
};

bool isButton(const ServerEvent& event)
{
    return event.type != ServerEvent::Motion;
}

// Button events pair up in order; a replayed pointer sample pairs with the motion that first
// reached its point (the driver's points are all distinct).
std::vector<Match> match(InputDriver::Workload workload, const std::vector<ServerEvent>& recorded,
                         const std::vector<ServerEvent>& replayed)
{
    std::vector<Match> matches;
    if (workload != InputDriver::Workload::Move) {
        std::vector<const ServerEvent*> recordedButtons;
        for (const ServerEvent& event : recorded) {
            if (isButton(event))
                recordedButtons.push_back(&event);
        }
        std::size_t next = 0;
        for (const ServerEvent& event : replayed) {
            if (isButton(event) && next < recordedButtons.size())
                matches.push_back({recordedButtons[next++], &event});
        }
        return matches;
    }
    std::map<std::pair<int, int>, const ServerEvent*> firstAt;
    for (const ServerEvent& event : recorded) {
        if (event.type == ServerEvent::Motion)
            firstAt.emplace(std::make_pair(event.x, event.y), &event);
    }
    for (const ServerEvent& event : replayed) {
        const auto found = firstAt.find({event.x, event.y});
        if (event.type == ServerEvent::Motion && found != firstAt.end())
            matches.push_back({found->second, &event});
    }
    return matches;
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1))];
}

// 120 per notch of buttons 4 (up) and 5 (down).
long long verticalWheelDelta(const std::vector<ServerEvent>& events)
{
    long long delta = 0;
    for (const ServerEvent& event : events) {
        if (event.type == ServerEvent::Press && (event.button == 4 || event.button == 5))
            delta += event.button == 4 ? 120 : -120;
    }
    return delta;
}

}  // namespace

void countScript(const std::string& path, RecordedPass& pass)
{
    std::ifstream script(path);
    for (std::string line; std::getline(script, line); ++pass.scriptEvents) {
        pass.samples += line.rfind("LOGMOUSEPOS:", 0) == 0;
        if (line.rfind("MOUSEWHEEL:", 0) == 0)
            pass.wheelDelta += std::stoll(line.substr(line.rfind(':') + 1));
    }
}

std::string printPaceFigures(const char* label, InputDriver::Workload workload, const RecordedPass& recorded,
                             const std::vector<ServerEvent>& replayed)
{
    const double recordedSeconds = static_cast<double>(since(recorded.stopMs, recorded.startMs)) / 1000.0;
    const std::vector<Match> matches = match(workload, recorded.events, replayed);
    if (replayed.empty() || matches.size() < 2) {
        std::printf("%-22s %-6s samples/s %6.1f  too few replayed events to compare (%zu)\n", label,
                    InputDriver::name(workload), static_cast<double>(recorded.samples) / recordedSeconds,
                    matches.size());
        return "too few replayed events";
    }
    const std::uint32_t replayStartMs = replayed.front().timeMs - kFirstSlotMs;
    std::vector<double> errors;
    std::size_t presses = 0;
    std::size_t pressesAtPixel = 0;
    for (const Match& m : matches) {
        const long long recordedOffset = since(m.recorded->timeMs, recorded.startMs);
        const long long replayedOffset = since(m.replayed->timeMs, replayStartMs);
        errors.push_back(std::fabs(static_cast<double>(replayedOffset - recordedOffset)));
        if (m.replayed->type == ServerEvent::Press) {
            ++presses;
            pressesAtPixel += m.replayed->x == m.recorded->x && m.replayed->y == m.recorded->y;
        }
    }
    const double recordedSpan = static_cast<double>(since(matches.back().recorded->timeMs, matches.front().recorded->timeMs));
    const double replayedSpan = static_cast<double>(since(matches.back().replayed->timeMs, matches.front().replayed->timeMs));
    const double eventsPerSecond = static_cast<double>(recorded.scriptEvents) / recordedSeconds;
    const double spanRatio = replayedSpan / recordedSpan;
    const double median = percentile(errors, 0.5);
    const double p95 = percentile(errors, 0.95);
    std::string missed;
    const auto miss = [&missed](bool met, const std::string& what) {
        if (!met)
            missed += (missed.empty() ? "" : ", ") + what;
    };
    char figure[64];
    std::snprintf(figure, sizeof figure, "events/s %.1f", eventsPerSecond);
    miss(std::fabs(eventsPerSecond - kGoalEventsPerSecond) <= kGoalEventsPerSecondSlack, figure);
    std::snprintf(figure, sizeof figure, "span ratio %.4f", spanRatio);
    miss(std::fabs(spanRatio - 1.0) <= kGoalSpanRatioSlack, figure);
    std::snprintf(figure, sizeof figure, "median %.1f ms", median);
    miss(median <= kGoalMedianMs, figure);
    std::snprintf(figure, sizeof figure, "p95 %.1f ms", p95);
    miss(p95 <= kGoalP95Ms, figure);
    miss(pressesAtPixel == presses, "presses off their pixel");
    if (workload == InputDriver::Workload::Scroll) {
        const long long person = verticalWheelDelta(recorded.events);
        miss(person == recorded.wheelDelta && person == verticalWheelDelta(replayed), "wheel delta");
    }
    std::printf("%-22s %-6s samples/s %6.1f  events/s %6.1f  span ratio %.4f  |offset error| median %4.1f ms  "
                "p95 %4.1f ms  max %5.1f ms  (n=%zu)  presses at pixel %zu/%zu\n",
                label, InputDriver::name(workload), static_cast<double>(recorded.samples) / recordedSeconds,
                eventsPerSecond, spanRatio, median, p95, percentile(errors, 1.0), errors.size(), pressesAtPixel, presses);
    if (workload == InputDriver::Workload::Scroll)
        std::printf("%-22s %-6s wheel delta: person %lld, script %lld, replay %lld\n", label, InputDriver::name(workload),
                    verticalWheelDelta(recorded.events), recorded.wheelDelta, verticalWheelDelta(replayed));
    return missed;
}

bool PaceGoals::note(InputDriver::Workload workload, const char* label, const std::string& missed)
{
    Verdict& verdict = verdicts[static_cast<std::size_t>(workload)];
    verdict.measured = true;
    if (!missed.empty())
        verdict.missed += (verdict.missed.empty() ? "" : "; ") + std::string(label) + ": " + missed;
    return missed.empty();
}

bool PaceGoals::printVerdicts() const
{
    bool allMet = true;
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        const Verdict& verdict = verdicts[i];
        if (!verdict.measured)
            continue;
        const char* name = InputDriver::name(static_cast<InputDriver::Workload>(i));
        if (verdict.missed.empty()) {
            std::printf("%s: goals met\n", name);
        } else {
            std::printf("%s: goals MISSED (%s)\n", name, verdict.missed.c_str());
            allMet = false;
        }
    }
    return allMet;
}
