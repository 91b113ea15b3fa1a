#include <cstdio>
#include <exception>

#include "cli/arguments.h"
#include "cli/commands.h"
#include "system/console.h"
#include "system/termination_requests.h"

#ifndef TAMBLO_VERSION
#define TAMBLO_VERSION "unknown"
#endif

int main(int argc, char** argv)
{
    // First, so that a signal at any point stops the program the documented way.
    termination::watch();
    useUtf8Console();
    const std::vector<std::string> arguments = commandLineArguments(argc, argv);
    std::string problem;
    const std::optional<Invocation> invocation =
        parseArguments(std::vector<std::string>(arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end()),
                       problem);
    if (!invocation) {
        std::fprintf(stderr, "tamblo-cli: %s\nTry 'tamblo-cli --help'.\n", problem.c_str());
        return kExitUsage;
    }
    try {
        switch (invocation->command) {
        case Invocation::Command::Help:
            std::fputs(helpText(invocation->helpTopic).c_str(), stdout);
            return kExitDone;
        case Invocation::Command::Version:
            std::printf("tamblo-cli %s\n", TAMBLO_VERSION);
            return kExitDone;
        case Invocation::Command::Check:
            return runCheck(*invocation);
        case Invocation::Command::Play:
            return runPlay(*invocation);
        case Invocation::Command::Record:
            return runRecord(*invocation);
        case Invocation::Command::Pick:
            return runPick(*invocation);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tamblo-cli: %s\n", error.what());
    }
    return kExitFailed;
}
