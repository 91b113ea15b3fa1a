#pragma once

#include <functional>
#include <string>

// The one way the program ends when it cannot go on, e.g. when its display has gone away: what
// would be lost is saved first, one line on standard error says why, and the process ends at once
// with status 1, without the static destruction that other threads might still be relying on.
// Whichever thread gets here first ends the process; any other waits for that.
namespace abruptEnd {

// Saves what would otherwise be lost and returns a sentence for the line (e.g. where it went), or
// "". Set it only while what it reads is alive; an empty function removes it.
void setRescue(std::function<std::string()> rescue);

// Runs the rescue, writes "tamblo: <why>[; <rescue's sentence>]" (nothing when both are empty)
// and ends the process with status 1.
[[noreturn]] void now(const std::string& why);

// From here on, an exit() the program did not plan, such as a library ending the process from
// whatever thread, goes through now() instead of static destruction. plannedEnd() marks the
// program's own return from main.
void catchUnplannedExit();
void plannedEnd();

// For main, made first: catches unplanned exits from then on, and marks the end planned once
// main returns.
class UnplannedExitGuard {
public:
    UnplannedExitGuard() { catchUnplannedExit(); }
    ~UnplannedExitGuard() { plannedEnd(); }
    UnplannedExitGuard(const UnplannedExitGuard&) = delete;
    UnplannedExitGuard& operator=(const UnplannedExitGuard&) = delete;
};

// Finds out, for the line, why a library ended the process (e.g. "lost the connection to the X
// display :0"); "" when it cannot tell. Set by a backend that can look.
void explainUnplannedExits(std::function<std::string()> cause);
// A cause learnt before the end, e.g. from a library's last warning; used when the backend's
// look finds none.
void noteCause(const std::string& cause);

}  // namespace abruptEnd
