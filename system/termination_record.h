#pragma once

// What every system's handler does with a request to end, from inside the handler: only atomics.
namespace termination {

// Notes the request and sets the registered flag; false when a request was noted before.
bool recordRequest(int signalNumber) noexcept;

// For a repeated request: true when a Hold defers it until the last Hold is gone, false when the
// program is to end now.
bool deferRepeat(int signalNumber) noexcept;

// Ends the program the system's default way for a repeated request (each system's own).
void endAsRepeated(int signalNumber) noexcept;

}  // namespace termination
