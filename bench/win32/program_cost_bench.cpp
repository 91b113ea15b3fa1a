// What tamblo.exe costs a Windows machine, against tamblo-cli.exe and a bare Qt window with a 1 ms
// timer built the same way: file size, the time from start to the window shown (for tamblo-cli, to
// the end of a `check`), and the working set once idle (tamblo-cli: while recording). Under Wine,
// which reports no CPU times of other processes, idle_cost.sh measures CPU from Linux.
// Usage: tamblo_win32_program_bench   (the programs' paths are built in)
#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

bool hasVisibleWindow(DWORD processId)
{
    struct Search { DWORD id; bool found; } search{processId, false};
    EnumWindows([](HWND window, LPARAM context) {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s->id && IsWindowVisible(window))
            s->found = true;
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void measure(const char* name, const std::wstring& path, const std::wstring& startArguments,
             const std::wstring& idleArguments)
{
    WIN32_FILE_ATTRIBUTE_DATA file{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &file);
    const double megabytes = (static_cast<double>(file.nFileSizeHigh) * 4294967296.0 + file.nFileSizeLow) / 1e6;

    auto start = [&path](const std::wstring& arguments, PROCESS_INFORMATION& process) {
        std::wstring command = L"\"" + path + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        return CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process) != 0;
    };
    PROCESS_INFORMATION process{};
    const auto begun = Clock::now();
    if (!start(startArguments, process)) {
        std::printf("%-16s cannot start\n", name);
        return;
    }
    const bool window = idleArguments.empty();
    while (window ? !hasVisibleWindow(process.dwProcessId) : WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT)
        Sleep(1);
    const double startMs = std::chrono::duration<double, std::milli>(Clock::now() - begun).count();
    if (!window) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        start(idleArguments, process);
    }

    Sleep(3000);  // settled
    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory);
    std::printf("%-16s %7.1f MB %9.0f ms %9.1f MB\n", name, megabytes, startMs, memory.WorkingSetSize / 1e6);
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace

int main()
{
    std::printf("%-16s %10s %12s %12s\n", "program", "size", "start", "working set");
    measure("tamblo.exe", TAMBLO_EXE, L"", L"");
    measure("bare Qt window", TAMBLO_BARE_QT_EXE, L"", L"");
    measure("tamblo-cli.exe", TAMBLO_CLI_EXE, L"check \"" TAMBLO_EXAMPLE L"\"", L"record program-cost-bench.tbcode");
    return 0;
}
