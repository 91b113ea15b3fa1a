#include "guardian/win32/pipe_guardian_link.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace {

// Room for thousands of messages: a guardian that reads them as they come never fills it.
constexpr DWORD kPipeBytes = 64 * 1024;

bool isFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring runningExecutableFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/"));
}

std::wstring handleArgument(HANDLE handle)
{
    return std::to_wstring(reinterpret_cast<std::uintptr_t>(handle));
}

// Starts `executable` with `arguments`, letting it inherit `handles` and nothing else that this
// process may have made inheritable (which would keep other processes' pipes open while it runs).
bool startProcess(const std::wstring& executable, const std::wstring& arguments, std::vector<HANDLE> handles,
                  PROCESS_INFORMATION& process)
{
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<char> storage(size);
    const auto attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size))
        return false;
    bool started = false;
    if (UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles.data(),
                                  handles.size() * sizeof(HANDLE), nullptr, nullptr)) {
        STARTUPINFOEXW startup{};
        startup.StartupInfo.cb = sizeof startup;
        startup.lpAttributeList = attributes;
        std::wstring commandLine = L"\"" + executable + L"\" " + arguments;
        // Its own folder as working folder, so it never keeps the player's from being removed.
        const std::wstring folder = executable.substr(0, executable.find_last_of(L"\\/"));
        started = CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                 EXTENDED_STARTUPINFO_PRESENT, nullptr, folder.c_str(), &startup.StartupInfo,
                                 &process) != 0;
    }
    DeleteProcThreadAttributeList(attributes);
    return started;
}

}  // namespace

std::wstring guardianExecutable()
{
    const std::wstring candidates[] = {
        runningExecutableFolder() + L"\\tamblo-guardian.exe",
        TAMBLO_GUARDIAN_IN_BUILD_TREE,
    };
    for (const std::wstring& candidate : candidates) {
        if (isFile(candidate))
            return candidate;
    }
    return {};
}

PipeGuardianLink::~PipeGuardianLink()
{
    stop();
}

GuardianLink::Spawned PipeGuardianLink::spawn()
{
    const std::wstring executable = guardianExecutable();
    if (executable.empty())
        return Spawned::Missing;
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, kPipeBytes))
        return Spawned::Failed;
    SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
    // A full pipe then takes nothing rather than making the player wait.
    DWORD mode = PIPE_NOWAIT;
    SetNamedPipeHandleState(writeEnd, &mode, nullptr, nullptr);
    // The guardian waits on this: a handle to this process that only lets it wait.
    HANDLE self = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, SYNCHRONIZE, TRUE, 0);

    PROCESS_INFORMATION process{};
    const bool started = self && startProcess(executable, handleArgument(readEnd) + L" " + handleArgument(self),
                                              {readEnd, self}, process);
    CloseHandle(readEnd);
    if (self)
        CloseHandle(self);
    if (!started) {
        CloseHandle(writeEnd);
        return Spawned::Failed;
    }
    CloseHandle(process.hThread);
    pipe = writeEnd;
    child = process.hProcess;
    return Spawned::Started;
}

GuardianLink::Sent PipeGuardianLink::send(const std::string& message)
{
    const auto size = static_cast<DWORD>(message.size());
    DWORD written = 0;
    if (!WriteFile(pipe, message.data(), size, &written, nullptr))
        return Sent::Broken;
    // A byte-mode pipe may take part of a message when nearly full; the rest must follow, or every
    // later message would be misread. A guardian that takes nothing for a second has failed.
    const ULONGLONG giveUp = GetTickCount64() + 1000;
    while (written > 0 && written < size) {
        DWORD more = 0;
        if (!WriteFile(pipe, message.data() + written, size - written, &more, nullptr) || GetTickCount64() > giveUp)
            return Sent::Broken;
        written += more;
        if (more == 0)
            Sleep(1);
    }
    return written == size ? Sent::Whole : Sent::Busy;
}

std::intptr_t PipeGuardianLink::endLine()
{
    CloseHandle(pipe);
    pipe = nullptr;
    return reinterpret_cast<std::intptr_t>(std::exchange(child, nullptr));
}

bool PipeGuardianLink::collect(std::intptr_t process, bool wait)
{
    // It ends as soon as it has released anything left; collect it, but never hang on it.
    const HANDLE guardian = reinterpret_cast<HANDLE>(process);
    if (WaitForSingleObject(guardian, wait ? 1000 : 0) != WAIT_OBJECT_0 && !wait)
        return false;
    CloseHandle(guardian);
    return true;
}

void PipeGuardianLink::debugOutput(const char* text)
{
    OutputDebugStringA(text);
}
