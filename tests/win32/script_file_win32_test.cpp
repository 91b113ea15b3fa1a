// Reading script files where Windows names more than regular files: named pipes and folders.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "script/script_file.h"

namespace {

TEST(ScriptFileWin32, RefusesANamedPipeAndAFolderWithoutBlocking)
{
    const std::wstring pipeName = L"\\\\.\\pipe\\tamblo-script-" + std::to_wstring(GetCurrentProcessId());
    HANDLE pipe = CreateNamedPipeW(pipeName.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1, 4096, 4096,
                                   0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    const ScriptCodec codec;
    std::vector<InputEvent> events;
    const std::string name = "\\\\.\\pipe\\tamblo-script-" + std::to_string(GetCurrentProcessId());
    const ScriptFileResult fromPipe = readScriptFile(name, codec, &events);
    EXPECT_EQ(fromPipe.verdict, ScriptFileResult::Verdict::Unreadable);
    EXPECT_EQ(fromPipe.problem, "not a script file but a named pipe");
    CloseHandle(pipe);

    wchar_t folder[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, folder), 0u);
    char utf8[MAX_PATH * 3];
    WideCharToMultiByte(CP_UTF8, 0, folder, -1, utf8, sizeof utf8, nullptr, nullptr);
    const ScriptFileResult fromFolder = readScriptFile(utf8, codec, &events);
    EXPECT_EQ(fromFolder.verdict, ScriptFileResult::Verdict::Unreadable);
    EXPECT_EQ(fromFolder.problem, "not a script file but a folder");
    EXPECT_TRUE(events.empty());
}

}  // namespace
