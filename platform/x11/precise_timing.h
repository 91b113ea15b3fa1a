#pragma once

#include <chrono>

// Sleeps to an absolute steady_clock deadline, never returning early and only a few
// microseconds late: the kernel sleep ends shortly before the deadline and a spin covers the rest.
void sleepUntilSteady(std::chrono::steady_clock::time_point deadline);

// Lowers the calling thread's timer slack so kernel sleeps end on time; calls nest per thread and
// the last end restores the previous slack.
void beginPreciseThreadTiming();
void endPreciseThreadTiming();
