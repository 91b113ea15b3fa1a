// tamblo-guardian.exe: started by a process that injects input (tamblo.exe, tamblo-cli.exe) with
// two inherited handles named on its command line: the read end of a pipe on which that process
// tells what it presses and releases, and that process's own handle. Once the process has ended in
// any way, ended from the Task Manager or crashed included, or has closed the pipe, the guardian
// releases whatever is still held, most recent first, and ends. A GUI-subsystem program: no
// console, so no console's Ctrl-C or closing reaches it.
// Usage: tamblo-guardian.exe PIPE-HANDLE PROCESS-HANDLE
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "guardian/held_input_ledger.h"
#include "platform/win32/input_records.h"

namespace {

// What the player has told, read on a thread of its own while the main thread waits on the player.
struct Ledger {
    HANDLE pipe = nullptr;
    std::mutex mutex;
    HeldInputLedger held;
};

DWORD WINAPI readUntilClosed(void* argument)
{
    Ledger& ledger = *static_cast<Ledger*>(argument);
    char bytes[256];
    DWORD count = 0;
    while (ReadFile(ledger.pipe, bytes, sizeof bytes, &count, nullptr)) {
        std::lock_guard<std::mutex> lock(ledger.mutex);
        ledger.held.feed(bytes, count);
    }
    return 0;
}

HANDLE handleArgument(const char* text)
{
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(std::strtoull(text, nullptr, 10)));
}

INPUT releaseOf(const HeldInputLedger::Input& held)
{
    if (held.button) {
        for (const MouseButton& button : kMouseButtons) {
            if (button.virtualKey == held.code)
                return button.release();
        }
    }
    return keyboardInput(held.code, KEYEVENTF_KEYUP);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    Ledger ledger;
    ledger.pipe = handleArgument(argv[1]);
    const HANDLE player = handleArgument(argv[2]);
    const HANDLE reader = CreateThread(nullptr, 0, readUntilClosed, &ledger, 0, nullptr);
    if (!reader)
        return 1;

    const HANDLE ends[] = {reader, player};
    if (WaitForMultipleObjects(2, ends, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        // The player has ended. Its last messages may still be in the pipe, which breaks once they
        // are read; should the pipe not break (another process kept it open), release anyway.
        WaitForSingleObject(reader, 1000);
    }

    std::vector<INPUT> releases;
    {
        std::lock_guard<std::mutex> lock(ledger.mutex);
        for (const HeldInputLedger::Input& held : ledger.held.releaseOrder())
            releases.push_back(releaseOf(held));
    }
    if (!releases.empty())
        SendInput(static_cast<UINT>(releases.size()), releases.data(), sizeof(INPUT));
    return 0;
}
