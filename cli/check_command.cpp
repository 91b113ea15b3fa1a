#include <algorithm>
#include <iostream>

#include "cli/commands.h"
#include "cli/script_check.h"

int runCheck(const Invocation& invocation)
{
    const ScriptCodec codec;
    const ScriptCheck check(codec);
    int status = kExitDone;
    for (const std::string& file : invocation.files) {
        switch (check.run(file, invocation.quiet, std::cout, std::cerr)) {
        case ScriptFileResult::Verdict::Accepted:
            break;
        case ScriptFileResult::Verdict::Refused:
            status = std::max(status, kExitFailed);
            break;
        case ScriptFileResult::Verdict::Unreadable:
            status = kExitUsage;
            break;
        }
    }
    return status;
}
