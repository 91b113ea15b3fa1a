#pragma once

// What every system's handler does with a request to end, from inside the handler: only atomics.
namespace termination {

// Notes the request and sets the registered flag; false when a request was noted before.
bool recordRequest(int signalNumber) noexcept;

}  // namespace termination
