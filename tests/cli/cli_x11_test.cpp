// tamblo-cli as users run it, on the test display: real injected input, seen by an observer window
// of the test's own, and real signals.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <tuple>

#include "cli_process.h"
#include "capture/recovery.h"
#include "system/session.h"
#include "screen_window.h"
#include "tests/core/temp_dir.h"
#include "x11_test_support.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Waits until something of `type` has reached the observer; everything seen so far is kept in `log`.
bool waitFor(ObserverWindow& observer, int type, std::vector<ObserverWindow::Seen>& log,
             std::chrono::milliseconds timeout = 5s)
{
    const auto end = Clock::now() + timeout;
    while (Clock::now() < end) {
        for (const ObserverWindow::Seen& seen : observer.take()) {
            log.push_back(seen);
            if (seen.type == type)
                return true;
        }
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

class CliOnDisplay : public testing::Test {
protected:
    std::string script(const std::string& name, const std::string& text)
    {
        const std::string path = dir.file(name);
        writeFile(path, text);
        return path;
    }

    TempDir dir;
    TestDisplay input;
};

TEST_F(CliOnDisplay, PlayPutsEveryClickAtItsPixel)
{
    ObserverWindow observer;
    const std::string path = script("clicks.tbcode",
                                    "LBUTTONDOWN:100:120\nLBUTTONUP:100:120\nLOGMOUSEPOS:5:5\n"
                                    "RBUTTONDOWN:640:400\nRBUTTONUP:641:401\nMBUTTONDOWN:1279:1023\nMBUTTONUNUP:0:0\n");
    const CliResult result = runCli({"play", path, "--repeat", "2"});
    EXPECT_EQ(result.status, 0) << result.err;
    using Seen = ObserverWindow::Seen;
    const std::vector<Seen> pass = {
        {ButtonPress, 1, 100, 120},  {ButtonRelease, 1, 100, 120}, {ButtonPress, 3, 640, 400},
        {ButtonRelease, 3, 641, 401}, {ButtonPress, 2, 1279, 1023}, {ButtonRelease, 2, 0, 0},
    };
    std::vector<Seen> twice = pass;
    twice.insert(twice.end(), pass.begin(), pass.end());
    EXPECT_EQ(observer.take(), twice);
}

TEST_F(CliOnDisplay, SigtermInTheMiddleOfADragReleasesTheButton)
{
    ObserverWindow observer;
    std::string drag = "LBUTTONDOWN:200:200\n";
    for (int i = 0; i < 500; ++i)
        drag += "LOGMOUSEPOS:" + std::to_string(200 + i) + ":300\n";
    drag += "LBUTTONUP:700:300\n";
    CliProcess play({"play", script("drag.tbcode", drag)});
    std::vector<ObserverWindow::Seen> seen;
    ASSERT_TRUE(waitFor(observer, ButtonPress, seen));
    std::this_thread::sleep_for(100ms);
    play.signal(SIGTERM);
    EXPECT_EQ(play.wait(), 128 + SIGTERM) << play.error();
    ASSERT_TRUE(waitFor(observer, ButtonRelease, seen, 1s));
    EXPECT_LT(seen.back().x, 700) << "released by the stop, not by the script's end";
    EXPECT_EQ(input.pointerMask() & Button1Mask, 0u);
}

TEST_F(CliOnDisplay, TheStopKeyEndsALongPauseAtOnce)
{
    const std::string path = script("pause.tbcode", "LOGMOUSEPOS:7:9\nSLEEP:60000:0:0:0:0\nLBUTTONDOWN:1:1\n");
    for (const auto& [name, keysym, virtualKey] :
         {std::tuple<const char*, KeySym, int>{"F8", XK_F8, 0x77}, {"Pause", XK_Pause, 0x13}}) {
        // The best of three, as the machine may be busy with other work; a pause that is not cut
        // short would take a minute every time.
        auto fastest = Clock::duration::max();
        for (int attempt = 0; attempt < 3; ++attempt) {
            CliProcess play({"play", path, "--stop-key", name});
            const auto arrived = Clock::now() + 5s;
            while (!(input.pointer().x == 7 && input.pointer().y == 9) && Clock::now() < arrived)
                std::this_thread::sleep_for(1ms);
            std::this_thread::sleep_for(100ms);
            const auto pressed = Clock::now();
            input.key(keysym, true);
            input.sync();
            const bool stopped = play.waitForError(std::string("stopped by ") + name, 2s);
            fastest = std::min(fastest, Clock::now() - pressed);
            // Until the key is up, the window must not take it for its own hot key.
            const bool claimedWhileHeld = stopKeyClaimed(virtualKey);
            input.key(keysym, false);
            input.sync();
            EXPECT_TRUE(stopped) << play.error();
            EXPECT_TRUE(claimedWhileHeld) << name;
            EXPECT_EQ(play.wait(), 0) << play.error();
            EXPECT_FALSE(stopKeyClaimed(virtualKey)) << name;
        }
        EXPECT_LT(fastest, 15ms) << name;
    }
}

std::vector<ObserverWindow::Seen> withoutKey(std::vector<ObserverWindow::Seen> seen, unsigned keycode)
{
    seen.erase(std::remove_if(seen.begin(), seen.end(),
                              [keycode](const ObserverWindow::Seen& s) {
                                  return (s.type == KeyPress || s.type == KeyRelease) && s.detail == keycode;
                              }),
               seen.end());
    return seen;
}

TEST_F(CliOnDisplay, RecordKeysCapturesTypedTextAndClicksWithoutTheStopKeyAndReplaysThem)
{
    ObserverWindow observer;
    const std::string path = dir.file("typed.tbcode");
    CliProcess record({"record", path, "--keys"});
    ASSERT_TRUE(record.waitForError("recording to")) << record.error();
    for (KeySym keysym : {XK_h, XK_i, XK_Return}) {
        input.key(keysym, true);
        input.key(keysym, false);
        input.sync();
        std::this_thread::sleep_for(20ms);
    }
    input.move(321, 234);
    input.button(1, true);
    input.button(1, false);
    input.sync();
    std::this_thread::sleep_for(50ms);
    input.key(XK_F7, true);
    input.key(XK_F7, false);
    input.sync();
    ASSERT_EQ(record.wait(), 0) << record.error();
    const std::vector<ObserverWindow::Seen> typed = withoutKey(observer.take(), observer.keycode(XK_F7));
    ASSERT_EQ(typed.size(), 8u);

    const std::string saved = readFile(path);
    EXPECT_EQ(saved.find(":118\n"), std::string::npos) << "the stop key F7 (118) was recorded:\n" << saved;
    EXPECT_NE(saved.find("KEYDOWN:"), std::string::npos) << saved;
    EXPECT_NE(saved.find("LBUTTONDOWN:321:234\n"), std::string::npos) << saved;

    const CliResult replay = runCli({"play", path});
    EXPECT_EQ(replay.status, 0) << replay.err;
    EXPECT_EQ(observer.take(), typed);
}

TEST_F(CliOnDisplay, RecordKeysLeavesOutTheControlCThatInterruptedIt)
{
    const std::string path = dir.file("interrupted.tbcode");
    input.move(640, 512);
    input.sync();
    CliProcess record({"record", path, "--keys", "--clicks-only"});
    ASSERT_TRUE(record.waitForError("recording to")) << record.error();
    for (KeySym keysym : {XK_a, XK_Control_L, XK_c}) {
        input.key(keysym, true);
        if (keysym == XK_a)
            input.key(keysym, false);
        input.sync();
        std::this_thread::sleep_for(30ms);
    }
    // As a terminal does when Control+C is typed in it.
    record.signal(SIGINT);
    const int status = record.wait();
    input.key(XK_c, false);
    input.key(XK_Control_L, false);
    input.sync();
    ASSERT_EQ(status, 128 + SIGINT) << record.error();
    std::istringstream saved(readFile(path));
    std::vector<std::string> keys;
    for (std::string line; std::getline(saved, line);) {
        if (line.rfind("SLEEP:", 0) != 0)
            keys.push_back(line);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"KEYDOWN:640:512:65", "KEYUP:640:512:65"}));
}

TEST_F(CliOnDisplay, ClicksOnlyKeepsThePaceAndASignalStillSaves)
{
    ObserverWindow observer;
    const std::string path = dir.file("clicks.tbcode");
    CliProcess record({"record", path, "--clicks-only"});
    ASSERT_TRUE(record.waitForError("recording to")) << record.error();
    const int offsetsMs[] = {0, 170, 400, 430, 800};
    const auto start = Clock::now();
    for (std::size_t i = 0; i < std::size(offsetsMs); ++i) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(offsetsMs[i]));
        input.move(100 + 50 * static_cast<int>(i), 500);
        input.button(1, true);
        input.button(1, false);
        input.sync();
    }
    std::this_thread::sleep_for(100ms);
    record.signal(SIGTERM);
    ASSERT_EQ(record.wait(), 128 + SIGTERM) << record.error();
    EXPECT_EQ(readFile(path).find("LOGMOUSEPOS"), std::string::npos) << readFile(path);

    const auto pressesOf = [](const std::vector<ObserverWindow::Seen>& seen) {
        std::vector<ObserverWindow::Seen> out;
        std::copy_if(seen.begin(), seen.end(), std::back_inserter(out),
                     [](const ObserverWindow::Seen& s) { return s.type == ButtonPress; });
        return out;
    };
    const std::vector<ObserverWindow::Seen> recorded = pressesOf(observer.take());
    const CliResult replay = runCli({"play", path});
    ASSERT_EQ(replay.status, 0) << replay.err;
    const std::vector<ObserverWindow::Seen> replayed = pressesOf(observer.take());
    ASSERT_EQ(recorded.size(), std::size(offsetsMs));
    ASSERT_EQ(replayed.size(), recorded.size()) << readFile(path);
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        EXPECT_EQ(replayed[i].x, recorded[i].x);
        EXPECT_EQ(replayed[i].y, recorded[i].y);
        const long long recordedOffset = static_cast<long long>(recorded[i].time - recorded[0].time);
        const long long replayedOffset = static_cast<long long>(replayed[i].time - replayed[0].time);
        // Each press replays within about a 10 ms slot of its offset from the recording's start,
        // so two presses keep their distance within two slots, plus the capture's delivery time
        // on a busy machine. Without the pauses they would be hundreds of milliseconds off.
        EXPECT_NEAR(replayedOffset, recordedOffset, 30) << "press " << i;
    }
}

TEST_F(CliOnDisplay, ClicksOnlyKeepsTheWheelAndSideButtonsAndReplaysThemAtTheirPixels)
{
    ObserverWindow observer;
    const std::string path = dir.file("scroll.tbcode");
    CliProcess record({"record", path, "--clicks-only"});
    ASSERT_TRUE(record.waitForError("recording to")) << record.error();
    // A notch up, one down, one right, then back and forward, each at a pixel of its own.
    const std::pair<unsigned, int> actions[] = {{4, 300}, {5, 310}, {7, 330}, {8, 360}, {9, 390}};
    for (const auto& [button, x] : actions) {
        input.move(x, 500);
        input.button(button, true);
        input.button(button, false);
        input.sync();
    }
    record.signal(SIGTERM);
    ASSERT_EQ(record.wait(), 128 + SIGTERM) << record.error();
    std::istringstream lines(readFile(path));
    std::vector<std::string> actionLines;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("SLEEP:", 0) != 0)
            actionLines.push_back(line);
    }
    EXPECT_EQ(actionLines, (std::vector<std::string>{"MOUSEWHEEL:300:500:120", "MOUSEWHEEL:310:500:-120",
                                                     "MOUSEHWHEEL:330:500:120", "XBUTTONDOWN:360:500:1",
                                                     "XBUTTONUP:360:500:1", "XBUTTONDOWN:390:500:2",
                                                     "XBUTTONUP:390:500:2"}));
    const std::vector<ObserverWindow::Seen> recorded = observer.take();
    ASSERT_EQ(recorded.size(), 2 * std::size(actions));
    const CliResult replay = runCli({"play", path});
    ASSERT_EQ(replay.status, 0) << replay.err;
    EXPECT_EQ(observer.take(), recorded);
}

TEST_F(CliOnDisplay, TimeoutsTwoSignalsNeverCostTheRecording)
{
    // timeout signals tamblo-cli, then its whole process group: the second signal may come while
    // the first is being handled. Repeated, as it is a race.
    for (int run = 0; run < 8; ++run) {
        const std::string path = dir.file("timed-" + std::to_string(run) + ".tbcode");
        CliProcess record({"record", path, "--clicks-only"}, {"timeout", "1"});
        ASSERT_TRUE(record.waitForError("recording to")) << record.error();
        input.move(60 + run, 70);
        input.button(1, true);
        input.button(1, false);
        input.sync();
        EXPECT_EQ(record.wait(), 124) << record.error();
        EXPECT_NE(readFile(path).find("LBUTTONUP:" + std::to_string(60 + run) + ":70\n"), std::string::npos)
            << "run " << run << ": " << record.error();
    }
}

TEST_F(CliOnDisplay, AFailedSaveSaysWhyAndKeepsTheRecording)
{
    std::filesystem::create_directories(dir.file("gone"));
    const char* const savedDataHome = std::getenv("XDG_DATA_HOME");
    const std::string keptDataHome = savedDataHome ? savedDataHome : "";
    setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
    CliProcess record({"record", dir.file("gone/x.tbcode")});
    if (savedDataHome)
        setenv("XDG_DATA_HOME", keptDataHome.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(record.waitForError("recording to")) << record.error();
    input.move(77, 88);
    input.button(3, true);
    input.button(3, false);
    input.sync();
    std::this_thread::sleep_for(50ms);
    std::filesystem::remove_all(dir.file("gone"));
    record.signal(SIGTERM);
    EXPECT_EQ(record.wait(), 1);
    EXPECT_NE(record.error().find(dir.file("gone/x.tbcode") + ": cannot save the recording: "), std::string::npos)
        << record.error();
    const std::string keptIn = "the recording is kept in ";
    const std::size_t at = record.error().find(keptIn);
    ASSERT_NE(at, std::string::npos) << record.error();
    const std::string kept = record.error().substr(at + keptIn.size(), record.error().find('\n', at) - at - keptIn.size());
    // In the recovery folder, where the window's next start names it.
    EXPECT_EQ(recovery::recoveredScripts(dir.file("data/tamblo")), std::vector<std::string>{kept});
    EXPECT_NE(readFile(kept).find("RBUTTONDOWN:77:88\n"), std::string::npos) << readFile(kept);
}

TEST_F(CliOnDisplay, ExitStatusesAndMessagesOfCheckAndPlay)
{
    const std::string good = script("good.tbcode", "LOGMOUSEPOS:1:1\n");
    std::filesystem::create_directories(dir.file("tmp"));
    const std::string bad = script("bad.tbcode", "LOGMOUSEPOS:1:1\nMBUTTONUP:1:1\n");
    ASSERT_EQ(mkfifo(dir.file("fifo.tbcode").c_str(), 0600), 0);
    const std::string refusal = bad + ":2: unknown keyword \"MBUTTONUP\" (the middle-button release is MBUTTONUNUP)\n"
                                      "    \"MBUTTONUP:1:1\"\n";
    struct Case {
        std::vector<std::string> arguments;
        int status;
        std::string err;
        const char* waylandDisplay = nullptr;  // set for the run: a Wayland desktop
    };
    const std::vector<Case> cases = {
        {{"check", "--quiet", good}, 0, ""},
        {{"check", "--quiet", good, bad}, 1, refusal},
        {{"play", bad}, 1, refusal},
        {{"check", "--quiet", bad, dir.file("fifo.tbcode")}, 2, refusal + dir.file("fifo.tbcode") + ": not a script file but a named pipe\n"},
        {{"play", dir.file("none.tbcode")}, 2, dir.file("none.tbcode") + ": No such file or directory\n"},
        {{"play", good, "--speed", "0"}, 2, "tamblo-cli: --speed needs a factor from 0.1 to 10, not \"0\"\nTry 'tamblo-cli --help'.\n"},
        {{"play", good, "--speed", "10"}, 0, ""},
        {{"check", "--quiet", dir.file("none.tbcode"), bad}, 2, dir.file("none.tbcode") + ": No such file or directory\n" + refusal},
        {{"play", good}, 0, "tamblo-cli: note: this is a Wayland session: only the windows of X11 programs are recorded and "
                            "played back, and clicks in other programs are missing from a recording; for every program, "
                            "log out and choose an X11 session (one named \"Xorg\") at the login screen\n", "wayland-0"},
        {{"record", dir.file("tmp")}, 2, "tamblo-cli: " + dir.file("tmp") + ": is a folder, not a file\n"},
        {{"record", dir.file("no/such/folder.tbcode")}, 2, "tamblo-cli: " + dir.file("no/such/folder.tbcode") + ": no such folder: " + dir.file("no/such") + "\n"},
        {{"play", good, "--stop-key", "F24"}, 1, "tamblo-cli: the stop key F24 is on no key of this keyboard; choose another with --stop-key\n"},
    };
    for (const Case& c : cases) {
        if (c.waylandDisplay)
            setenv("WAYLAND_DISPLAY", c.waylandDisplay, 1);
        const CliResult result = runCli(c.arguments);
        unsetenv("WAYLAND_DISPLAY");
        EXPECT_EQ(result.status, c.status) << c.arguments[0] << " " << c.arguments.back();
        EXPECT_EQ(result.err, c.err);
    }
    EXPECT_EQ(runCli({"check", good}).out, good + ": accepted\n  events: 1 (1 pointer, 0 button, 0 key, 0 pause)\n"
                                                  "  one pass: 0.010 s\n  coordinates: x 1 to 1, y 1 to 1\n");
}

}  // namespace
