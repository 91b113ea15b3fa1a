// The window's part in the program's run, on the fake platform: keeping an unsaved capture,
// naming kept recordings at start, and coming to the front for a second start.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "capture/input_listener.h"
#include "capture/recovery.h"
#include "ui/desktop_limitation.h"
#include "ui/recovered_scripts.h"
#include "ui/single_instance.h"
#include "window_fixture.h"

namespace {

const QString kTitle = QStringLiteral("Norrel鼠标自动点击器1008");

class RescueTest : public WindowFixture {
protected:
    std::vector<std::string> kept() const
    {
        return recovery::recoveredScripts(QDir(folder.path()).filePath("tamblo").toStdString());
    }
    void recordAClick()
    {
        window.setRecording(true);
        platform.setPointer(30, 40);
        deliverMouseEvent(win::WmLButtonDown);
        deliverMouseEvent(win::WmLButtonUp);
    }
};

TEST_F(RescueTest, KeepsARunningRecordingOnceAndSaysWhere)
{
    recordAClick();
    ASSERT_TRUE(window.hasUnsavedCapture());
    const std::string sentence = window.rescueUnsavedCapture();
    ASSERT_EQ(kept().size(), 1u);
    EXPECT_EQ(sentence, "the unsaved recording was saved to " + kept()[0]);
    EXPECT_EQ(contents(QString::fromStdString(kept()[0])), QByteArray("LBUTTONDOWN:30:40\nLBUTTONUP:30:40\n"));

    EXPECT_EQ(window.rescueUnsavedCapture(), "") << "kept twice";
    EXPECT_EQ(kept().size(), 1u);
}

TEST_F(RescueTest, KeepsTheCaptureWhoseSaveDialogIsOpen)
{
    recordAClick();
    std::string sentence;
    driver.then([&](QWidget* dialog) {
        sentence = window.rescueUnsavedCapture();
        dialog->close();
    });
    window.setRecording(false);
    EXPECT_TRUE(driver.allStepsUsed());
    ASSERT_EQ(kept().size(), 1u) << sentence;
    EXPECT_EQ(contents(QString::fromStdString(kept()[0])), QByteArray("LBUTTONDOWN:30:40\nLBUTTONUP:30:40\n"));
}

TEST_F(RescueTest, ACancelledSaveKeepsTheRecordingAndSaysWhere)
{
    EXPECT_FALSE(window.hasUnsavedCapture());
    EXPECT_EQ(window.rescueUnsavedCapture(), "");

    recordAClick();
    BoxSeen box;
    driver.then(cancelFileDialog()).then(answerBox(QMessageBox::Ok, &box));
    window.setRecording(false);
    ASSERT_EQ(kept().size(), 1u);
    EXPECT_EQ(box.text, QStringLiteral("录制未保存，已存入：\n") + QString::fromStdString(kept()[0]));
    EXPECT_EQ(contents(QString::fromStdString(kept()[0])), QByteArray("LBUTTONDOWN:30:40\nLBUTTONUP:30:40\n"));
    EXPECT_FALSE(window.hasUnsavedCapture());
    EXPECT_EQ(window.rescueUnsavedCapture(), "") << "kept twice";
}

// However the window is closed or quit, also while a save dialog is open, the run ends with 0 and
// the recording is kept, without a box.
class EndOfRunTest : public RescueTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EndOfRunTest, KeepsTheUnsavedRecording)
{
    QAction* quit = window.findChild<QSystemTrayIcon*>()->contextMenu()->actions().constLast();
    recordAClick();
    QTimer::singleShot(0, &window, [&, how = std::string(GetParam())] {
        if (how == "close")
            window.close();
        else if (how == "quit")
            quit->trigger();
        else
            driver.then([&](QWidget*) { quit->trigger(); }), window.setRecording(false);
    });
    QTimer::singleShot(3000, &window, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(QApplication::exec(), 0);
    ASSERT_EQ(kept().size(), 1u);
    EXPECT_EQ(contents(QString::fromStdString(kept()[0])), QByteArray("LBUTTONDOWN:30:40\nLBUTTONUP:30:40\n"));
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Ends, EndOfRunTest, ::testing::Values("close", "quit", "quitWhileSaving"));

TEST_F(RescueTest, AStartNamesEveryKeptRecordingInABox)
{
    const std::vector<std::string> paths{"/data/tamblo/recovered-20261208-115500.tbcode",
                                         "/data/tamblo/recovered-20261208-120000.tbcode",
                                         "/home/张伟/.local/share/tamblo/recovered-20261208-120500.tbcode"};
    BoxSeen box;
    driver.then(answerBox(QMessageBox::Ok, &box));
    announceRecoveredScripts(&window, paths);
    ASSERT_TRUE(box.shown);
    EXPECT_EQ(box.title, kTitle);
    for (const std::string& path : paths)
        EXPECT_TRUE(box.text.contains(QString::fromStdString(path))) << box.text.toStdString();

    announceRecoveredScripts(&window, {});
    qunsetenv("XDG_SESSION_TYPE");  // the test display is X11, whatever desktop runs the tests
    announceDesktopLimitation(&window);
    EXPECT_TRUE(driver.unexpected.isEmpty()) << "a box with nothing to name";

    // On a Wayland desktop one box says that only X11 programs are seen, and how to choose X11.
    qputenv("WAYLAND_DISPLAY", "wayland-0");
    driver.then(answerBox(QMessageBox::Ok, &box));
    announceDesktopLimitation(&window);
    qunsetenv("WAYLAND_DISPLAY");
    EXPECT_TRUE(box.text.contains(QStringLiteral("X11")) && box.text.contains(QStringLiteral("Xorg"))) << box.text.toStdString();
}

TEST_F(RescueTest, ASecondStartBringsTheHiddenOrMinimizedWindowBack)
{
    window.hide();
    window.bringToFront();
    EXPECT_TRUE(window.isVisible());
    window.showMinimized();
    window.bringToFront();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isMinimized());
}

class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    const QString name = QDir(folder.path()).filePath(QStringLiteral("instance"));
};

TEST_F(SingleInstanceTest, TheSecondFindsTheFirstAndAsksItToShow)
{
    SingleInstance first(name);
    ASSERT_EQ(first.claim(), SingleInstance::Role::First);
    QSignalSpy shown(&first, &SingleInstance::showRequested);
    SingleInstance second(name);
    EXPECT_EQ(second.claim(), SingleInstance::Role::AnotherRuns);
    EXPECT_TRUE(shown.count() == 1 || shown.wait(3000));
    EXPECT_EQ(shown.count(), 1);

    SingleInstance elsewhere(QDir(folder.path()).filePath(QStringLiteral("other-display")));
    EXPECT_EQ(elsewhere.claim(), SingleInstance::Role::First);
}

TEST_F(SingleInstanceTest, ASocketLeftByAKilledInstanceIsTakenOver)
{
    // What a killed instance leaves: a socket file nobody listens on.
    const int left = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(name);
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(bind(left, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(left);
    ASSERT_TRUE(QFile::exists(name));

    SingleInstance next(name);
    EXPECT_EQ(next.claim(), SingleInstance::Role::First);
    SingleInstance later(name);
    EXPECT_EQ(later.claim(), SingleInstance::Role::AnotherRuns) << "the one that took over does not listen";
}

}  // namespace
