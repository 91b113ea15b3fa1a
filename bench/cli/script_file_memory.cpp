// Memory and time of reading a large script file, each way in a process of its own:
//   the file reader into an event list (the window and `play`), the file reader with no list
//   (`check`), and, for comparison, every line held as its own string before reading.
//   <build>/bench/cli/tamblo_script_file_memory [megabytes]
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "script/script_file.h"

namespace {

// A field of /proc/self/status in kB.
long statusKilobytes(const char* field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0)
            return std::atol(line.c_str() + std::string(field).size());
    }
    return -1;
}

void inChild(const char* what, std::uint64_t fileBytes, const std::function<std::size_t()>& work)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child != 0) {
        waitpid(child, nullptr, 0);
        return;
    }
    const long before = statusKilobytes("VmHWM:");
    const auto start = std::chrono::steady_clock::now();
    const std::size_t events = work();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long peak = statusKilobytes("VmHWM:");
    const long after = statusKilobytes("VmRSS:");
    const double goalMb = (static_cast<double>(fileBytes) + 16.0 * static_cast<double>(events)) / 1048576.0 + 64.0;
    std::printf("%-34s %6.2f s  peak %7.1f MB (at start %5.1f MB, goal <= %6.1f MB)  after %6.1f MB  events %zu\n",
                what, seconds, peak / 1024.0, before / 1024.0, goalMb, after / 1024.0, events);
    std::fflush(stdout);
    _exit(0);
}

}  // namespace

int main(int argc, char** argv)
{
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 200;
    const std::string path = "/tmp/tamblo-memory-" + std::to_string(getpid()) + ".tbcode";
    std::uint64_t bytes = 0;
    {
        std::ofstream file(path, std::ios::binary);
        for (long i = 0; bytes < static_cast<std::uint64_t>(megabytes) * 1048576; ++i) {
            const std::string line = "LOGMOUSEPOS:" + std::to_string(600 + i % 700) + ":" + std::to_string(300 + i % 500)
                                     + (i % 100 == 0 ? "\nLBUTTONDOWN:640:400\nLBUTTONUP:640:400\n" : "\n");
            file << line;
            bytes += line.size();
        }
    }
    std::printf("A recorded script of %.1f MB\n", static_cast<double>(bytes) / 1048576.0);
    const ScriptCodec codec;
    inChild("file reader into an event list", bytes, [&] {
        std::size_t count = 0;
        {
            std::vector<InputEvent> events;
            readScriptFile(path, codec, &events);
            count = events.size();
        }
        return count;
    });
    inChild("file reader, no list (check)", bytes, [&] {
        std::size_t count = 0;
        readScriptFile(path, codec, nullptr, [&count](const ScriptLine& line) {
            count += line.reading.outcome == LineReading::Outcome::Accepted;
        });
        return count;
    });
    inChild("every line a string, then fromLines", bytes, [&] {
        std::size_t count = 0;
        {
            std::vector<std::string> lines;
            std::ifstream file(path, std::ios::binary);
            for (std::string line; std::getline(file, line);)
                lines.push_back(line);
            std::vector<InputEvent> events;
            codec.fromLines(lines, events);
            count = events.size();
        }
        return count;
    });
    std::remove(path.c_str());
    return 0;
}
