#include "system/file_replace.h"

std::string FileFailure::reason() const
{
    return systemText.empty() ? step : step + ": " + systemText;
}

bool replaceFileContents(const std::string& path, std::string_view bytes, std::string* reason)
{
    FileFailure failure;
    if (replaceFileContents(path, bytes, failure))
        return true;
    if (reason)
        *reason = failure.reason();
    return false;
}
