#pragma once

#include "cli/arguments.h"

// The commands; each returns the process's exit status.
int runCheck(const Invocation& invocation);
int runPlay(const Invocation& invocation);
int runRecord(const Invocation& invocation);
int runPick(const Invocation& invocation);

// Exit statuses.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
