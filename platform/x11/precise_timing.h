#pragma once

#include <chrono>

// Sleeps to an absolute steady_clock deadline, never returning early and only a few
// microseconds late: the kernel sleep ends shortly before the deadline and a spin covers the rest.
void sleepUntilSteady(std::chrono::steady_clock::time_point deadline);

// Lowers the calling thread's timer slack and, where the system allows, raises it to the lowest
// real-time priority, so that its sleeps end on time on a busy machine. Calls nest per thread; the
// last end restores the previous slack and scheduling.
void beginPreciseThreadTiming();
void endPreciseThreadTiming();
