// The window as built: form, title, flags, size, tray menu and icon, tear-down and start-up failure.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "capture/input_listener.h"
#include "modal_driver.h"
#include "x_session.h"
#include "platform/fake/fake_platform.h"
#include "ui/capture_failure.h"
#include "ui/qtamblo.h"

namespace {

const QString kTitle = QStringLiteral("Norrel鼠标自动点击器1008");

QSystemTrayIcon* trayOf(QTamblo& window)
{
    return window.findChild<QSystemTrayIcon*>();
}

QAction* trayEntry(QTamblo& window, const QString& text)
{
    for (QAction* action : trayOf(window)->contextMenu()->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

class WindowTest : public ::testing::Test {
protected:
    FakePlatform platform;
    QTamblo window{platform};
};

TEST_F(WindowTest, IsAFixed522By33StripWithoutMaximizeButton)
{
    EXPECT_EQ(window.size(), QSize(522, 33));
    EXPECT_EQ(window.minimumSize(), QSize(522, 33));
    EXPECT_EQ(window.maximumSize(), QSize(522, 33));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(window.windowTitle(), kTitle);
    EXPECT_EQ(window.objectName(), QStringLiteral("tamblo"));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_FALSE(window.isVisible());

    window.show();
    window.resize(800, 200);
    EXPECT_EQ(window.size(), QSize(522, 33));
}

TEST_F(WindowTest, SamplingTimerTicksEveryMillisecondWhateverTheWindowDoes)
{
    auto* timer = window.findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 1);
    EXPECT_TRUE(timer->isActive());
    window.hide();
    window.setRecording(true);
    EXPECT_TRUE(timer->isActive());
}

TEST_F(WindowTest, FormHasItsControlsInTheirCells)
{
    struct Cell {
        const char* name;
        QString text;
        int column;
        int stretch;
    };
    const Cell cells[] = {
        {"pushButton", QStringLiteral("录制"), 0, 6},
        {"pb_play", QStringLiteral("播放脚本"), 2, 6},
        {"ck_playaround", QStringLiteral("循环播放脚本"), 3, 3},
    };
    auto* central = window.centralWidget();
    ASSERT_NE(central, nullptr);
    EXPECT_EQ(central->objectName(), QStringLiteral("centralwidget"));
    auto* grid = qobject_cast<QGridLayout*>(central->layout());
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->objectName(), QStringLiteral("gridLayout"));
    EXPECT_EQ(grid->spacing(), 3);
    EXPECT_EQ(grid->contentsMargins(), QMargins(5, 5, 5, 5));
    EXPECT_EQ(grid->itemAtPosition(0, 1), nullptr);

    for (const Cell& cell : cells) {
        SCOPED_TRACE(cell.name);
        auto* widget = central->findChild<QAbstractButton*>(QString::fromLatin1(cell.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->text(), cell.text);
        int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(widget), &row, &column, &rowSpan, &columnSpan);
        EXPECT_EQ(std::make_tuple(row, column, rowSpan, columnSpan), std::make_tuple(0, cell.column, 1, 1));
        const QSizePolicy policy = widget->sizePolicy();
        EXPECT_EQ(policy.horizontalPolicy(), QSizePolicy::Minimum);
        EXPECT_EQ(policy.verticalPolicy(), QSizePolicy::Fixed);
        EXPECT_EQ(policy.horizontalStretch(), cell.stretch);
        EXPECT_EQ(policy.verticalStretch(), 0);
    }
    EXPECT_FALSE(central->findChild<QCheckBox*>(QStringLiteral("ck_playaround"))->isChecked());
}

TEST_F(WindowTest, TrayMenuHidesRestoresAndQuits)
{
    QSystemTrayIcon* tray = trayOf(window);
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->toolTip(), kTitle);
    EXPECT_TRUE(tray->isVisible());
    EXPECT_FALSE(tray->icon().isNull());

    QStringList entries;
    for (QAction* action : tray->contextMenu()->actions())
        entries << (action->isSeparator() ? QStringLiteral("|") : action->text());
    EXPECT_EQ(entries, (QStringList{"隐藏", "恢复", "|", "退出"}));

    window.show();
    trayEntry(window, "隐藏")->trigger();
    EXPECT_FALSE(window.isVisible());
    trayEntry(window, "隐藏")->trigger();
    EXPECT_FALSE(window.isVisible());
    trayEntry(window, "恢复")->trigger();
    EXPECT_TRUE(window.isVisible());

    // Quitting ends the application's loop with 0, also while the window is hidden.
    trayEntry(window, "隐藏")->trigger();
    QTimer::singleShot(0, &window, [this] { trayEntry(window, "退出")->trigger(); });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(3000);
    EXPECT_EQ(QApplication::exec(), 0);
}

TEST_F(WindowTest, ShownAgainAfterHidingItAsksToBeWhereItWas)
{
    XSession x;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_FALSE(x.asksForPlace(window.winId())) << "the first time, the window manager places it";
    trayEntry(window, "隐藏")->trigger();
    trayEntry(window, "恢复")->trigger();
    EXPECT_TRUE(x.asksForPlace(window.winId()));
}

TEST_F(WindowTest, TrayClickAndDoubleClickShowTheWindowNormally)
{
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        bool shows;
    };
    const Case cases[] = {
        {QSystemTrayIcon::Trigger, true},      {QSystemTrayIcon::DoubleClick, true},
        {QSystemTrayIcon::MiddleClick, false}, {QSystemTrayIcon::Context, false},
        {QSystemTrayIcon::Unknown, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason);
        window.showMinimized();
        window.hide();
        emit trayOf(window)->activated(c.reason);
        EXPECT_EQ(window.isVisible(), c.shows);
        if (c.shows) {
            EXPECT_FALSE(window.isMinimized());
        }
    }
}

// Records, at the moment the capture thread is stopped, whether the window had already withdrawn
// as listener and whether its timer (one of the objects it owns) still existed.
class TearDownWitness : public FakePlatform {
public:
    QPointer<QTimer> ownedTimer;
    bool stopped = false;
    bool listenerWithdrawnFirst = false;
    bool ownedObjectsAlive = false;

    void stopHookThread() override
    {
        if (stopped)
            return;
        stopped = true;
        listenerWithdrawnFirst = g_listener == nullptr;
        ownedObjectsAlive = !ownedTimer.isNull();
        FakePlatform::stopHookThread();
    }
};

TEST(WindowTearDown, WithdrawsAndStopsCaptureBeforeDestroyingItsParts)
{
    TearDownWitness platform;
    {
        QTamblo window(platform);
        EXPECT_TRUE(window.captureStarted());
        EXPECT_TRUE(platform.hookThreadRunning);
        EXPECT_EQ(g_listener, static_cast<Recorder*>(&window));
        platform.ownedTimer = window.findChild<QTimer*>();
        ASSERT_FALSE(platform.ownedTimer.isNull());
    }
    EXPECT_TRUE(platform.stopped);
    EXPECT_FALSE(platform.hookThreadRunning);
    EXPECT_TRUE(platform.listenerWithdrawnFirst);
    EXPECT_TRUE(platform.ownedObjectsAlive);
    EXPECT_EQ(g_listener, nullptr);
}

TEST(StartUpFailure, SaysWhyCaptureIsUnavailableAndExitsNonZero)
{
    FakePlatform platform;
    platform.failHookThreadStart({CaptureFailure::Cause::NoRecordExtension, ":9"});
    QTamblo window(platform);
    EXPECT_FALSE(window.captureStarted());

    BoxSeen box;
    ModalDriver driver;
    driver.then(answerBox(QMessageBox::Ok, &box));
    EXPECT_NE(reportCaptureUnavailable(window.captureFailure()), 0);
    EXPECT_EQ(box.title, kTitle);
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_TRUE(box.text.contains(QStringLiteral("RECORD")));
    EXPECT_TRUE(box.text.contains(QStringLiteral("原因：X 显示“:9”没有录制输入所需的 RECORD 扩展。"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("无法")));
}

}  // namespace
