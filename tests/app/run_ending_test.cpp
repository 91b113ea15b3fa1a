// How the real program ends: on a termination request, when its display goes away, without a
// display at all, and when it is started a second time.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <thread>

#include "capture/recovery.h"
#include "modal_driver.h"
#include "scoped_xvfb.h"
#include "tamblo_process.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr unsigned kLeftButtonAndShift = 0x001 | 0x100;

QByteArray readAll(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A folder whose name the test can type into a file dialog (lower case, digits, '-' and '/').
class TypableFolder {
public:
    TypableFolder() : path(QStringLiteral("/tmp/tamblo-end-%1").arg(QCoreApplication::applicationPid()))
    {
        QDir().mkpath(path);
    }
    ~TypableFolder() { QDir(path).removeRecursively(); }
    QString file(const char* name) const { return path + QLatin1Char('/') + QLatin1String(name); }

    const QString path;
};

// Catchable requests, and SIGKILL, which only the guardian can answer.
class TerminationDuringPlaybackTest : public DesktopFixture, public ::testing::WithParamInterface<int> {
protected:
    ~TerminationDuringPlaybackTest() override { x.releaseEverything(); }
};

TEST_P(TerminationDuringPlaybackTest, ReleasesAtOnceSkipsTheEndBoxAndQuits)
{
    ASSERT_TRUE(x.isOpen());
    TypableFolder folder;
    const QString script = folder.file("hold.tbcode");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("LBUTTONDOWN:300:300\nKEYDOWN:300:300:160\nSLEEP:-1:0:0:0:0\nLBUTTONUP:300:300\n");
    file.close();

    Tamblo tamblo;
    ASSERT_NE(awaitWindow(kWindowTitleUtf8, false), 0u) << tamblo.errorOutput().toStdString();
    x.tapKey("F8");
    const unsigned long openDialog = awaitWindow("选择需要播放的脚本", true);
    ASSERT_NE(openDialog, 0u);
    fillIn(openDialog, "选择需要播放的脚本", script);
    ASSERT_NE(awaitWindow(kWindowTitleUtf8, true), 0u);
    x.tapKey("y");
    ASSERT_TRUE(waitFor([&] { return (x.heldButtonsAndModifiers() & kLeftButtonAndShift) == kLeftButtonAndShift; }, 10000))
        << "the playback never held the button and Shift";

    const auto asked = Clock::now();
    ASSERT_EQ(kill(static_cast<pid_t>(tamblo.pid()), GetParam()), 0);
    while ((x.heldButtonsAndModifiers() & kLeftButtonAndShift) != 0 && Clock::now() - asked < std::chrono::seconds(2))
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    const auto released = std::chrono::duration_cast<milliseconds>(Clock::now() - asked);
    EXPECT_EQ(x.heldButtonsAndModifiers() & kLeftButtonAndShift, 0u);
    // 15 ms is the aim; the margin is for a loaded test machine.
    EXPECT_LT(released.count(), 100);
    RecordProperty("release_ms", static_cast<int>(released.count()));

    ASSERT_TRUE(tamblo.process.waitForFinished(5000)) << "still running: an end box, or no end at all";
    if (GetParam() == SIGKILL) {
        // Nothing of the program ran: its guardian let go.
        EXPECT_EQ(tamblo.process.exitStatus(), QProcess::CrashExit);
        return;
    }
    EXPECT_EQ(tamblo.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tamblo.process.exitCode(), 0) << tamblo.errorOutput().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationDuringPlaybackTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP, SIGKILL),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(sigabbrev_np(info.param));
                         });

class RecordingKeptTest : public DesktopFixture {
protected:
    QProcessEnvironment environment() const
    {
        QProcessEnvironment changes;
        changes.insert("XDG_DATA_HOME", dataHome.path());
        return changes;
    }
    std::vector<std::string> recovered() const
    {
        return recovery::recoveredScripts(QDir(dataHome.path()).filePath("tamblo").toStdString());
    }

    QTemporaryDir dataHome;
};

TEST_F(RecordingKeptTest, ARequestWhileRecordingKeepsTheRecordingAndTheNextStartNamesIt)
{
    ASSERT_TRUE(x.isOpen());
    // One request, then two at once: the second may hurry the end, never cost the recording.
    for (const bool twice : {false, true}) {
        SCOPED_TRACE(twice);
        Tamblo tamblo(environment());
        ASSERT_NE(awaitWindow(kWindowTitleUtf8, false), 0u);
        x.tapKey("F7");
        ASSERT_TRUE(waitFor([&] { return tamblo.logged("record start"); }));
        x.click(200, 300);
        x.click(420, 380);
        QTest::qWait(100);
        kill(static_cast<pid_t>(tamblo.pid()), SIGTERM);
        if (twice)
            kill(static_cast<pid_t>(tamblo.pid()), SIGINT);
        ASSERT_TRUE(tamblo.process.waitForFinished(5000));
        // Two different signals never merge, so the second always ends the program, by itself.
        EXPECT_EQ(tamblo.process.exitStatus(), twice ? QProcess::CrashExit : QProcess::NormalExit);
        if (!twice) {
            EXPECT_EQ(tamblo.process.exitCode(), 0);
        }
        ASSERT_EQ(recovered().size(), twice ? 2u : 1u) << tamblo.errorOutput().toStdString();
        EXPECT_TRUE(tamblo.logged(("the unsaved recording was saved to " + recovered().back()).c_str()));
        const QByteArray script = readAll(recovered().back());
        for (const char* line : {"LBUTTONDOWN:200:300\n", "LBUTTONUP:200:300\n", "LBUTTONDOWN:420:380\n", "LBUTTONUP:420:380\n"})
            EXPECT_TRUE(script.contains(line)) << line << " missing from\n" << script.toStdString();
    }

    Tamblo next(environment());
    const unsigned long box = awaitWindow(kWindowTitleUtf8, true);
    ASSERT_NE(box, 0u) << "no box names the recovered recordings";
    x.tapKey("Return");
    ASSERT_TRUE(awaitGone(box, kWindowTitleUtf8));
    const unsigned long mainWindow = awaitWindow(kWindowTitleUtf8, false);
    ASSERT_NE(mainWindow, 0u);
    x.requestClose(mainWindow);
    ASSERT_TRUE(next.process.waitForFinished(5000));
    EXPECT_EQ(next.process.exitCode(), 0);
    EXPECT_EQ(recovered().size(), 2u) << "a recording was kept although none was unsaved";
}

TEST_F(RecordingKeptTest, ALostDisplayEndsTheProgramOnceWithStatus1AndKeepsARecording)
{
    // Idle first, then recording, twice: the loss meets other threads at other moments each time.
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        const bool recording = attempt > 0;
        ScopedXvfb server({"-screen", "0", "800x600x24"});
        ASSERT_FALSE(server.displayName().empty());
        QProcessEnvironment changes = environment();
        changes.insert("DISPLAY", QString::fromStdString(server.displayName()));
        Tamblo tamblo(changes);
        {
            // Closed before the server goes: a connection of this test must not meet the loss.
            XSession there(server.displayName());
            ASSERT_TRUE(waitFor([&] { return there.windowsTitled(kWindowTitleUtf8, false).size() == 1; }, 10000));
            if (recording) {
                there.tapKey("F7");
                ASSERT_TRUE(waitFor([&] { return tamblo.logged("record start"); }));
                there.click(100, 110);
            }
        }
        QTest::qWait(30 * attempt);
        server.stop();

        ASSERT_TRUE(tamblo.process.waitForFinished(10000)) << "it did not end";
        const std::string said = tamblo.errorOutput().toStdString();
        EXPECT_EQ(tamblo.process.exitStatus(), QProcess::NormalExit) << "it crashed: " << said;
        EXPECT_EQ(tamblo.process.exitCode(), 1) << said;
        const auto kept = recovered();
        ASSERT_EQ(kept.size(), static_cast<std::size_t>(attempt)) << said;
        // Whichever thread meets the loss first, the program's own line says the same.
        std::string line = "tamblo: lost the connection to the X display " + server.displayName();
        if (recording)
            line += "; the unsaved recording was saved to " + kept.back();
        EXPECT_NE(said.find(line + "\n"), std::string::npos) << said;
        EXPECT_EQ(said.find("connection broke"), std::string::npos) << "a second line for the same end: " << said;
        if (recording) {
            EXPECT_TRUE(readAll(kept.back()).contains("LBUTTONDOWN:100:110\n"));
        }
    }
}

struct NoDisplayCase {
    const char* name;
    const char* display;  // empty: unset
    const char* chinese;
    const char* english;
};

class NoDisplayTest : public ::testing::TestWithParam<NoDisplayCase> {};

TEST_P(NoDisplayTest, SaysSoInChineseAndEnglishAndEndsWithStatus1)
{
    QProcessEnvironment changes;
    changes.insert("DISPLAY", QString::fromUtf8(GetParam().display));
    Tamblo tamblo(changes);
    ASSERT_TRUE(tamblo.process.waitForFinished(5000));
    EXPECT_EQ(tamblo.process.exitStatus(), QProcess::NormalExit) << "it crashed";
    EXPECT_EQ(tamblo.process.exitCode(), 1);
    const QString said = QString::fromUtf8(tamblo.errorOutput());
    const QStringList lines = said.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << said.toStdString();
    EXPECT_TRUE(lines[0].contains(QString::fromUtf8(GetParam().chinese))) << said.toStdString();
    EXPECT_TRUE(lines[1].contains(QLatin1String(GetParam().english))) << said.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Displays, NoDisplayTest,
    ::testing::Values(NoDisplayCase{"Unset", "", "DISPLAY 未设置", "the DISPLAY environment variable is not set"},
                      NoDisplayCase{"NoServer", ":4093", "无法打开 X 显示“:4093”", "cannot open the X display \":4093\""}),
    [](const ::testing::TestParamInfo<NoDisplayCase>& info) { return std::string(info.param.name); });

using SecondStartTest = DesktopFixture;

TEST_F(SecondStartTest, EndsWithStatus0AndLeavesTheFirstRunningEvenAfterAKilledOne)
{
    ASSERT_TRUE(x.isOpen());
    {
        Tamblo first;
        ASSERT_NE(awaitWindow(kWindowTitleUtf8, false), 0u);
        Tamblo second;
        ASSERT_TRUE(second.process.waitForFinished(5000));
        EXPECT_EQ(second.process.exitCode(), 0);
        EXPECT_EQ(first.process.state(), QProcess::Running);
        EXPECT_EQ(x.windowsTitled(kWindowTitleUtf8, false).size(), 1u);
        // Killed: it leaves its socket behind.
        first.process.kill();
        ASSERT_TRUE(first.process.waitForFinished(3000));
    }
    Tamblo afterAKill;
    const unsigned long window = awaitWindow(kWindowTitleUtf8, false);
    ASSERT_NE(window, 0u) << "a socket left by a killed instance kept the next one from starting";
    QTest::qWait(300);
    EXPECT_EQ(afterAKill.process.state(), QProcess::Running);
    x.requestClose(window);
    ASSERT_TRUE(afterAKill.process.waitForFinished(5000));
}

}  // namespace
