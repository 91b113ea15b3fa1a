#pragma once

// Diagnostics for developers: written to standard error only when the environment variable
// TAMBLO_DEBUG is set to a non-empty value, since Linux has no debugger output channel.
void writeDebugOutput(const char* text);
