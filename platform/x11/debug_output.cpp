#include "platform/x11/debug_output.h"

#include <cstdio>
#include <cstdlib>

void writeDebugOutput(const char* text)
{
    static const bool enabled = [] {
        const char* value = std::getenv("TAMBLO_DEBUG");
        return value && *value;
    }();
    if (enabled && text)
        std::fputs(text, stderr);
}
