#include "capture/recovery.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "capture/recorder.h"

namespace fs = std::filesystem;

namespace {

constexpr char kPrefix[] = "recovered-";
constexpr char kExtension[] = ".tbcode";

bool isRecoveredScript(const fs::path& path)
{
    const std::string name = path.filename().string();
    return name.rfind(kPrefix, 0) == 0 && path.extension() == kExtension;
}

// The time stamp in the name orders the files; numbered twins follow their first, by number.
std::pair<std::string, long> orderKey(const std::string& path)
{
    const std::string stem = fs::path(path).stem().string();
    constexpr std::size_t kStampEnd = sizeof kPrefix - 1 + 15;  // "YYYYMMDD-HHMMSS"
    if (stem.size() <= kStampEnd + 1 || stem[kStampEnd] != '-')
        return {stem, 1};
    return {stem.substr(0, kStampEnd), std::strtol(stem.c_str() + kStampEnd + 1, nullptr, 10)};
}

}  // namespace

namespace recovery {

std::string newFilePath(const std::string& folder, std::time_t when)
{
    // Only the window thread, or a thread ending the program, names one: the shared buffer is safe.
    char stamp[32] = "unknown-time";
    if (const std::tm* local = std::localtime(&when))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);
    const fs::path base = fs::path(folder) / (std::string(kPrefix) + stamp);
    fs::path candidate = base.string() + kExtension;
    std::error_code error;
    // Two ends within one second (a second instance's, a test's) must not overwrite each other.
    for (int number = 2; fs::exists(candidate, error); ++number)
        candidate = base.string() + "-" + std::to_string(number) + kExtension;
    return candidate.string();
}

std::vector<std::string> recoveredScripts(const std::string& folder)
{
    std::vector<std::string> found;
    std::error_code error;
    if (folder.empty())
        return found;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        if (entry->is_regular_file(error) && isRecoveredScript(entry->path()))
            found.push_back(entry->path().string());
    }
    std::sort(found.begin(), found.end(),
              [](const std::string& a, const std::string& b) { return orderKey(a) < orderKey(b); });
    return found;
}

bool save(const Recorder& recorder, const std::vector<InputEvent>& capture, const RecoveryFolder& folder,
          std::string& sentence, std::string* path)
{
    if (folder.path.empty()) {
        sentence = "the unsaved recording was lost: no folder to keep it in (" + folder.unsetVariable + " is not set)";
        return false;
    }
    std::error_code error;
    fs::create_directories(folder.path, error);
    const std::string file = newFilePath(folder.path, std::time(nullptr));
    std::string reason;
    if (!recorder.saveToFile(file, capture, &reason)) {
        sentence = "the unsaved recording could not be saved to " + file + ": " + reason;
        return false;
    }
    sentence = "the unsaved recording was saved to " + file;
    if (path)
        *path = file;
    return true;
}

}  // namespace recovery
