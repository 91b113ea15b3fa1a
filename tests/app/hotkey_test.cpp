// F7 and F8: the decision on the capture side, the command on the window thread. First against the
// fake platform, then on the real X display with keys and clicks injected through XTEST.
#include <QElapsedTimer>
#include <QTest>

#include <memory>
#include <thread>

#include "capture/input_listener.h"
#include "platform/system_platform.h"
#include "system/session.h"
#include "window_fixture.h"
#include "x_session.h"

namespace {

// Delivers one key press as the capture thread does, with `held` down at that moment.
void keyAction(FakePlatform& platform, std::initializer_list<int> held, int vk)
{
    for (int key : held)
        platform.pressKey(key);
    deliverKeyEvent(win::WmKeyDown, vk);
    for (int key : held)
        platform.releaseKey(key);
}

void settle()
{
    QTest::qWait(30);
}

TEST(HotKeysBeforeShown, DoNothing)
{
    FakePlatform platform;
    QTamblo window(platform);
    ModalDriver driver;
    keyAction(platform, {win::VkF7}, win::VkF7);
    keyAction(platform, {win::VkF8}, win::VkF8);
    settle();
    EXPECT_FALSE(window.isRecording());
    EXPECT_TRUE(driver.unexpected.isEmpty());

    window.show();
    keyAction(platform, {win::VkF7}, win::VkF7);
    EXPECT_TRUE(waitFor([&] { return window.isRecording(); }));
}

using HotKeyTest = WindowFixture;

TEST_F(HotKeyTest, F7TogglesRecordingWhicheverKeyIsReportedWhileItIsDown)
{
    struct Case {
        const char* name;
        std::initializer_list<int> held;
        int reported;
    };
    const Case cases[] = {
        {"F7 itself", {win::VkF7}, win::VkF7},
        {"another key while F7 is held", {win::VkF7}, 'A'},
        {"F7 and F8 together", {win::VkF7, win::VkF8}, win::VkF8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FileDialogSeen save;
        driver.then(cancelFileDialog(&save));
        keyAction(platform, c.held, c.reported);
        EXPECT_TRUE(waitFor([&] { return window.isRecording(); }));
        keyAction(platform, c.held, c.reported);
        EXPECT_TRUE(waitFor([&] { return save.shown; }));
        EXPECT_FALSE(window.isRecording());
        EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
    }
}

TEST_F(HotKeyTest, ControlShiftF8IsJustF8)
{
    FileDialogSeen open;
    driver.then(cancelFileDialog(&open));
    keyAction(platform, {win::VkControl, win::VkShift, win::VkF8}, win::VkF8);
    EXPECT_TRUE(waitFor([&] { return open.shown; }));
    EXPECT_EQ(open.caption, QStringLiteral("选择需要播放的脚本"));
    EXPECT_FALSE(window.isRecording());
}

TEST_F(HotKeyTest, AKeyClaimedByTheCommandLineStartsNothingHere)
{
    const StopKeyClaim f7(win::VkF7);
    const StopKeyClaim f8(win::VkF8);
    keyAction(platform, {win::VkF7}, win::VkF7);
    keyAction(platform, {win::VkF8}, win::VkF8);
    settle();
    EXPECT_FALSE(window.isRecording());
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
}

TEST_F(HotKeyTest, CommandsAreObeyedWhateverTheirWParam)
{
    EXPECT_TRUE(window.handleWindowCommand(WM_RECORD_TOGGLE, 2));
    EXPECT_TRUE(window.isRecording());
    driver.then(cancelFileDialog());
    EXPECT_TRUE(window.handleWindowCommand(WM_RECORD_TOGGLE, 0));
    EXPECT_FALSE(window.isRecording());

    FileDialogSeen open;
    driver.then(cancelFileDialog(&open));
    EXPECT_TRUE(window.handleWindowCommand(WM_PLAY_SCRIPT, 0));
    EXPECT_TRUE(open.shown);

    EXPECT_FALSE(window.handleWindowCommand(WM_PLAY_SCRIPT + 1, 1));
    EXPECT_TRUE(driver.allStepsUsed());
    EXPECT_TRUE(driver.unexpected.isEmpty());
}

// The real capture thread on the test's X display; keys and clicks come from XTEST.
class RealDesktopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.isOpen()) << "no X display";
        window = std::make_unique<QTamblo>(*platform);
        ASSERT_TRUE(window->captureStarted()) << window->captureFailure().detail;
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    QString scratchFile(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
    std::unique_ptr<PlatformInput> platform = createSystemPlatform();
    XSession x;
    std::unique_ptr<QTamblo> window;
    ModalDriver driver;
};

TEST_F(RealDesktopTest, F7RecordsClicksAndTheStopSavesThem)
{
    const QString path = scratchFile("desktop.tbcode");
    BoxSeen saved;
    driver.then(chooseFile(path)).then(answerBox(QMessageBox::Ok, &saved));

    x.tapKey("F7");
    ASSERT_TRUE(waitFor([&] { return window->isRecording(); }));
    EXPECT_EQ(window->findChild<QPushButton*>("pushButton")->text(), QStringLiteral("停止"));
    x.click(300, 200);
    x.click(410, 260, 3);
    x.click(123, 345);
    QTest::qWait(100);
    x.tapKey("F7");
    ASSERT_TRUE(waitFor([&] { return saved.shown; }));
    EXPECT_FALSE(window->isRecording());
    EXPECT_EQ(window->findChild<QPushButton*>("pushButton")->text(), QStringLiteral("录制"));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList buttons;
    int samples = 0;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith("LOGMOUSEPOS:"))
            ++samples;
        else if (!line.isEmpty())
            buttons << QString::fromLatin1(line);
    }
    EXPECT_EQ(buttons, (QStringList{"LBUTTONDOWN:300:200", "LBUTTONUP:300:200", "RBUTTONDOWN:410:260",
                                    "RBUTTONUP:410:260", "LBUTTONDOWN:123:345", "LBUTTONUP:123:345"}));
    EXPECT_GT(samples, 0);
}

TEST_F(RealDesktopTest, ARecordingHoldsOneSamplePerTenMillisecondsItLasted)
{
    std::atomic<bool> moving{true};
    std::thread mover([&moving] {
        XSession driverSession;
        for (int step = 0; moving; ++step) {
            driverSession.movePointer(200 + step % 400, 300);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    QElapsedTimer elapsed;
    window->setRecording(true);
    elapsed.start();
    QTest::qWait(1500);
    // Stopping opens the save dialog at once, so the time is read just before.
    const qint64 elapsedMs = elapsed.elapsed();
    driver.then(cancelFileDialog());
    window->setRecording(false);
    moving = false;
    mover.join();

    long samples = 0;
    for (const InputEvent& event : window->copyEvents())
        samples += isKind(event, EventKind::MousePos);
    EXPECT_NEAR(samples, elapsedMs / 10, 1) << "over " << elapsedMs << " ms";
}

TEST_F(RealDesktopTest, F8OpensStopsRearmsAndOpensAgain)
{
    const QString script = scratchFile("long.tbcode");
    {
        QFile file(script);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("SLEEP:3000:0:0:0:0\n");
    }

    // Idle, nothing played since start-up: the play dialog opens.
    FileDialogSeen first;
    driver.then(cancelFileDialog(&first));
    x.tapKey("F8");
    ASSERT_TRUE(waitFor([&] { return first.shown; }));

    // Again (a cancelled dialog changes nothing), and this time a three-second script is played;
    // F8 during it ends the playback early.
    std::thread stopper;
    QElapsedTimer playing;
    qint64 playedMs = -1;
    BoxSeen end;
    driver.then(chooseFile(script))
        .then([&](QWidget* box) {
            stopper = std::thread([] {
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                XSession own;
                own.tapKey("F8");
            });
            playing.start();
            answerBox(QMessageBox::Yes)(box);
        })
        .then([&](QWidget* box) {
            playedMs = playing.elapsed();
            answerBox(QMessageBox::Yes, &end)(box);
        });
    x.tapKey("F8");
    ASSERT_TRUE(waitFor([&] { return end.shown; }, 8000));
    stopper.join();
    EXPECT_GE(playedMs, 400);
    EXPECT_LT(playedMs, 2000);
    EXPECT_TRUE(end.parentVisible);

    // The first F8 after a playback only re-arms.
    x.tapKey("F8");
    QTest::qWait(500);
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();

    // The second opens the dialog.
    FileDialogSeen again;
    driver.then(cancelFileDialog(&again));
    x.tapKey("F8");
    EXPECT_TRUE(waitFor([&] { return again.shown; }));
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
}

}  // namespace
