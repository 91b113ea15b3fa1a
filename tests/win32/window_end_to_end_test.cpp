// A person's path through tamblo.exe: record three clicks with F7, save them into a Chinese-named
// folder, play them back with F8 while a mouse hook of this process witnesses them, stop a pause with
// F8 and one by locking the screen, see a colour wait time out, record from another process with
// 0x464, cancel a save, close the window while recording, be told of both at the next start, and end
// the session. Also run as a Chinese user on a Chinese system.
#include <windows.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "system/win32/wide_text.h"
#include "tests/win32/call_log.h"

namespace {

const std::wstring kTitle = L"Norrel鼠标自动点击器1008";

bool waitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    for (auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
         std::chrono::steady_clock::now() < end; Sleep(20))
        if (done())
            return true;
    return done();
}

void send(std::vector<INPUT> inputs)
{
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Sleep(50);
}

INPUT key(WORD vk, DWORD flags = 0, WCHAR unit = 0)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = unit;
    input.ki.dwFlags = flags;
    return input;
}

void tap(WORD vk) { send({key(vk), key(vk, KEYEVENTF_KEYUP)}); }

// Types a file name into the focused file dialog and confirms it.
void fillIn(const std::wstring& path)
{
    for (WCHAR unit : path)
        send({key(0, KEYEVENTF_UNICODE, unit), key(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, unit)});
    tap(VK_RETURN);
}

void click(int x, int y)
{
    SetCursorPos(x, y);
    INPUT down{INPUT_MOUSE, {}};
    down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    INPUT up = down;
    up.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    send({down, up});
}

// The one visible top-level window of that title other than `besides`, once it has settled (Qt may
// make a dialog's native window twice) and is in front, ready for keys.
HWND awaitWindow(const std::wstring& title, HWND besides = nullptr)
{
    struct Search { const std::wstring& title; HWND besides; HWND found; } search{title, besides, nullptr};
    auto find = [&search] {
        search.found = nullptr;
        EnumWindows([](HWND window, LPARAM context) {
            auto* s = reinterpret_cast<Search*>(context);
            wchar_t text[256] = L"";
            GetWindowTextW(window, text, 256);
            if (window != s->besides && IsWindowVisible(window) && s->title == text)
                s->found = window;
            return TRUE;
        }, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    };
    if (!waitFor(find))
        return nullptr;
    Sleep(300);
    if (!find())
        return nullptr;
    SetForegroundWindow(search.found);
    waitFor([&search] { return GetForegroundWindow() == search.found; }, 2000);
    Sleep(100);
    return search.found;
}

// The recordings tamblo kept on its own in the user's profile, whatever its name; with `remove`,
// they are deleted as well.
const std::wstring kRecoveryFolder = _wgetenv(L"LOCALAPPDATA") + std::wstring(L"\\tamblo\\");
int recoveredFiles(bool remove = false)
{
    WIN32_FIND_DATAW found;
    int count = 0;
    const HANDLE search = FindFirstFileW((kRecoveryFolder + L"recovered-*.tbcode").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found), ++count)
        if (remove)
            DeleteFileW((kRecoveryFolder + found.cFileName).c_str());
    FindClose(search);
    return count;
}

bool awaitGone(HWND window) { return waitFor([window] { return !IsWindowVisible(window); }); }

// What a message box says, as Ctrl+C copies it on Windows: title, text and button labels.
std::wstring boxText()
{
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    send({key(VK_CONTROL), key('C'), key('C', KEYEVENTF_KEYUP), key(VK_CONTROL, KEYEVENTF_KEYUP)});
    waitFor([&text] {
        if (OpenClipboard(nullptr)) {
            if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
                text = static_cast<const wchar_t*>(GlobalLock(data));
                GlobalUnlock(data);
            }
            CloseClipboard();
        }
        return !text.empty();
    });
    return text;
}

// What the box in front of `owner` says, once it has come; Enter then closes it. Empty if none came.
std::wstring dismissBox(HWND owner)
{
    const HWND box = awaitWindow(kTitle, owner);
    if (!box)
        return {};
    const std::wstring text = boxText();
    tap(VK_RETURN);
    return awaitGone(box) ? text : std::wstring();
}

std::string readAll(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The left-button presses that the hooks of this process saw, as "mouse 0x201 at x,y" lines.
std::vector<std::string> presses(const CallLog& log)
{
    std::vector<std::string> lines;
    for (const std::string& line : log.lines())
        if (line.rfind("mouse 0x201", 0) == 0)
            lines.push_back(line);
    return lines;
}

TEST(WindowEndToEnd, RecordSavePlayStopAndClose)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"tamblo-e2e-脚本-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring script = folder + L"\\walk.tbcode";
    DeleteFileW(script.c_str());  // Wine's process ids repeat from run to run, and so would this folder
    const std::wstring pause = folder + L"\\pause.tbcode";
    std::ofstream(pause.c_str()) << "LOGMOUSEPOS:700:500\nSLEEP:30000:0:0:0:0\nLBUTTONDOWN:700:500\nLBUTTONUP:700:500\n";
    const std::wstring magenta = folder + L"\\magenta.tbcode";
    std::ofstream(magenta.c_str()) << "#no window is magenta\nLOGMOUSEPOS:100:100\nWAITCOLOR:100:100:16711935:0:300\n"
                                      "LBUTTONDOWN:100:100\nLBUTTONUP:100:100\n";

    // A Wine prefix's leftovers go; in a real profile they are the user's, kept until moved away.
    const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
    ASSERT_TRUE(wine || recoveredFiles() == 0) << "move the recordings away: " << wideToUtf8(kRecoveryFolder.c_str());
    recoveredFiles(true);
    // The program logs its recording starts and stops to a file.
    const std::wstring logPath = folder + L"\\log.txt";
    SetEnvironmentVariableW(L"QT_LOGGING_RULES", L"tamblo.record.info=true");
    SetEnvironmentVariableW(L"QT_FORCE_STDERR_LOGGING", L"1");
    auto start = [&logPath] {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE log = CreateFileW(logPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                 CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = startup.hStdError = log;
        PROCESS_INFORMATION process{};
        std::wstring command = L"\"" TAMBLO_EXECUTABLE L"\"";
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
        CloseHandle(log);
        CloseHandle(process.hThread);
        return process.hProcess;
    };
    // The program's exit status once it has ended by itself, or STILL_ACTIVE (then it is ended).
    auto exitStatus = [](HANDLE process) {
        DWORD status = STILL_ACTIVE;
        if (WaitForSingleObject(process, 10000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process, &status);
        else
            TerminateProcess(process, 1);
        CloseHandle(process);
        return status;
    };
    HANDLE tamblo = start();
    ASSERT_NE(tamblo, nullptr);
    auto logged = [&logPath](const std::string& line, int times = 1) {
        const std::string text = readAll(logPath);
        int seen = 0;
        for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1))
            ++seen;
        return seen == times;
    };

    Win32Platform platform;
    CallLog witness(platform, CallLog::Pointer::Include);
    CaptureFailure reason;
    ASSERT_TRUE(platform.startHookThread(reason)) << reason.detail;
    const HWND main = awaitWindow(kTitle);
    ASSERT_NE(main, nullptr);
    SetWindowPos(main, nullptr, 900, 650, 0, 0, SWP_NOSIZE | SWP_NOZORDER);  // away from the clicks

    // 1. Record three clicks, save them.
    const std::vector<std::pair<int, int>> points{{200, 300}, {420, 380}, {560, 250}};
    std::vector<std::string> clicks;  // as the witness sees them
    for (const auto& [x, y] : points)
        clicks.push_back("mouse 0x201 at " + std::to_string(x) + "," + std::to_string(y));
    tap(VK_F7);
    ASSERT_TRUE(waitFor([&] { return logged("record start"); }));
    for (const auto& [x, y] : points)
        click(x, y);
    tap(VK_F7);
    ASSERT_TRUE(waitFor([&] { return logged("record stop"); }));
    Sleep(300);
    EXPECT_TRUE(logged("record start") && logged("record stop")) << "a press of F7 toggled twice";
    ASSERT_NE(awaitWindow(L"保存录制脚本"), nullptr);
    fillIn(script);
    ASSERT_NE(dismissBox(main).find(L"保存成功"), std::wstring::npos);
    const std::string saved = readAll(script);
    for (const auto& [x, y] : points)
        EXPECT_NE(saved.find("LBUTTONDOWN:" + std::to_string(x) + ":" + std::to_string(y) + "\n"), std::string::npos)
            << saved;
    EXPECT_NE(saved.find("LOGMOUSEPOS:"), std::string::npos) << saved;

    // 2. Play them back: the boxes speak Chinese, the clicks land where they were made.
    ASSERT_EQ(presses(witness), clicks);
    const std::vector<std::string> made = clicks;
    clicks.insert(clicks.end(), made.begin(), made.end());  // and once more, replayed
    tap(VK_F8);
    ASSERT_NE(awaitWindow(L"选择需要播放的脚本"), nullptr);
    fillIn(script);
    HWND box = awaitWindow(kTitle, main);
    ASSERT_NE(box, nullptr);
    const std::wstring question = boxText();
    EXPECT_NE(question.find(L"读取脚本成功，是否播放？"), std::wstring::npos) << question.size();
    EXPECT_NE(question.find(L"是(&Y)"), std::wstring::npos);
    EXPECT_NE(question.find(L"否(&N)"), std::wstring::npos);
    tap('Y');
    ASSERT_TRUE(awaitGone(box));
    EXPECT_NE(dismissBox(main).find(L"脚本播放结束"), std::wstring::npos);
    EXPECT_EQ(presses(witness), clicks);

    // 3. F8 ends a 30-second pause at once (the first press after a playback re-arms F8).
    tap(VK_F8);
    tap(VK_F8);
    ASSERT_NE(awaitWindow(L"选择需要播放的脚本"), nullptr);
    fillIn(pause);
    box = awaitWindow(kTitle, main);
    ASSERT_NE(box, nullptr);
    tap('Y');
    ASSERT_TRUE(awaitGone(main));  // the window hides while it plays
    Sleep(500);
    const auto stopped = std::chrono::steady_clock::now();
    tap(VK_F8);
    box = awaitWindow(kTitle, main);
    ASSERT_NE(box, nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, std::chrono::seconds(3));
    EXPECT_EQ(presses(witness), clicks) << "a click after the pause was replayed";
    tap(VK_RETURN);
    ASSERT_TRUE(awaitGone(box));

    // 3b. A lock of the screen, told by another process, stops the pause too, and the box says why.
    tap(VK_F8);
    tap(VK_F8);
    ASSERT_NE(awaitWindow(L"选择需要播放的脚本"), nullptr);
    fillIn(pause);
    box = awaitWindow(kTitle, main);
    ASSERT_NE(box, nullptr);
    tap('Y');
    ASSERT_TRUE(awaitGone(main));
    Sleep(500);
    PostMessageW(main, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    box = awaitWindow(kTitle, main);  // within 10 s, well before the pause's end
    ASSERT_NE(box, nullptr);
    EXPECT_NE(boxText().find(L"屏幕已锁定"), std::wstring::npos);
    EXPECT_EQ(presses(witness), clicks) << "a click after the pause was replayed";
    tap(VK_RETURN);
    ASSERT_TRUE(awaitGone(box));
    PostMessageW(main, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);

    // 3c. A colour that never comes stops the playback before its click, and the box says where.
    tap(VK_F8);
    tap(VK_F8);
    ASSERT_NE(awaitWindow(L"选择需要播放的脚本"), nullptr);
    fillIn(magenta);
    box = awaitWindow(kTitle, main);
    ASSERT_NE(box, nullptr);
    tap('Y');
    ASSERT_TRUE(awaitGone(box));
    box = awaitWindow(kTitle, main);
    ASSERT_NE(box, nullptr);
    const std::wstring missing = boxText();
    EXPECT_NE(missing.find(L"第 3 行：在 100,100 等待 #ff00ff（容差 0）300 毫秒"), std::wstring::npos) << missing.size();
    EXPECT_NE(missing.find(L"看到的是 #"), std::wstring::npos) << "the screen could not be read";
    EXPECT_EQ(presses(witness), clicks) << "the click after the wait was replayed";
    tap(VK_RETURN);
    ASSERT_TRUE(awaitGone(box));

    // 4. Another process starts a recording; a cancelled save keeps it in the recovery folder, and
    // so does closing the window during the next one, which ends the program as 退出 does.
    const std::wstring recoveries = kRecoveryFolder + L"recovered-";
    PostMessageW(main, 0x464, 1, 0);
    ASSERT_TRUE(waitFor([&] { return logged("record start", 2); }));
    click(300, 300);
    click(350, 320);
    PostMessageW(main, 0x464, 0, 0);
    ASSERT_NE(awaitWindow(L"保存录制脚本"), nullptr);
    tap(VK_ESCAPE);
    const std::wstring kept = dismissBox(main);
    EXPECT_NE(kept.find(L"录制未保存，已存入："), std::wstring::npos) << kept.size();
    EXPECT_NE(kept.find(recoveries), std::wstring::npos) << kept.size();
    PostMessageW(main, 0x464, 1, 0);
    ASSERT_TRUE(waitFor([&] { return logged("record start", 3); }));
    click(300, 300);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(exitStatus(tamblo), 0u);
    EXPECT_TRUE(logged("the unsaved recording was saved to " + wideToUtf8(recoveries.c_str())));

    // 5. The next start names both in a box in front of its window. When the desktop session is about
    // to end, a recording goes to the recovery folder and the program ends (Qt closes its windows).
    tamblo = start();
    const HWND first = awaitWindow(kTitle);
    ASSERT_NE(first, nullptr);
    const HWND restarted = GetWindow(first, GW_OWNER) ? GetWindow(first, GW_OWNER) : first;
    const std::wstring told = dismissBox(restarted);
    EXPECT_NE(told.find(L"没有保存的录制已自动存入："), std::wstring::npos) << told.size();
    const auto named = told.find(recoveries);
    EXPECT_TRUE(named != std::wstring::npos && told.find(recoveries, named + 1) != std::wstring::npos)
        << "not both named: " << told.size();
    PostMessageW(restarted, 0x464, 1, 0);
    ASSERT_TRUE(waitFor([&] { return logged("record start"); }));
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(restarted, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer);
    EXPECT_EQ(exitStatus(tamblo), 0u);
    EXPECT_EQ(recoveredFiles(true), 3) << "no recovery file after WM_QUERYENDSESSION";
    for (int vk = 1; vk < 256; ++vk)
        EXPECT_EQ(GetAsyncKeyState(vk) & 0x8000, 0) << "held after the test: virtual key " << vk;
}

}  // namespace
