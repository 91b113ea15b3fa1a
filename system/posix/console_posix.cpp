#include "system/console.h"

#include <unistd.h>

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv, argv + argc);
}

void useUtf8Console() {}

bool standardErrorIsTerminal()
{
    return isatty(STDERR_FILENO) == 1;
}
