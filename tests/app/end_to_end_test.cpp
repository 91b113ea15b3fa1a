// A person's path through the real program: record three clicks with F7, save them, play them back
// with F8, and watch the replayed clicks arrive in a window of another process (this test's).
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "modal_driver.h"
#include "tamblo_process.h"

namespace {

const std::string& kTitle = kWindowTitleUtf8;

class ClickObserver : public QWidget {
public:
    QList<QPoint> presses;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            presses << event->globalPos();
    }
};

// A window over the whole screen that turns green when told to, and notes when each left press
// arrives, on the same clock.
class TurningWindow : public QWidget {
public:
    TurningWindow() { clock.start(); }

    void turnGreen()
    {
        turnedAtMs = clock.elapsed();
        setStyleSheet(QStringLiteral("background: #00ff00"));
        repaint();
        QGuiApplication::sync();
    }

    qint64 turnedAtMs = -1;
    QList<QPair<QPoint, qint64>> presses;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            presses << qMakePair(event->globalPos(), clock.elapsed());
    }

private:
    QElapsedTimer clock;
};

using EndToEndTest = DesktopFixture;

TEST_F(EndToEndTest, AColourWaitClicksOnceTheWindowTurnedGreenAndATimeoutSaysWhichLine)
{
    ASSERT_TRUE(x.isOpen());
    // Typed into the file dialog, so lower case only.
    const QString folder = QStringLiteral("/tmp/tamblo-e2e-colour-%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString script = folder + QStringLiteral("/green.tbcode");
    const QString never = folder + QStringLiteral("/never.tbcode");
    for (const auto& [path, text] :
         {qMakePair(script, QByteArray("WAITCOLOR:300:200:65280:0:5000\nLBUTTONDOWN:300:200\nLBUTTONUP:300:200\n")),
          qMakePair(never, QByteArray("#nothing turns magenta\nLOGMOUSEPOS:1:1\nWAITCOLOR:300:200:16711935:0:300\n"
                                      "LBUTTONDOWN:300:200\nLBUTTONUP:300:200\n"))}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    TurningWindow screen;
    screen.setStyleSheet(QStringLiteral("background: gray"));
    screen.setGeometry(QGuiApplication::primaryScreen()->geometry());
    screen.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&screen));

    Tamblo tamblo;
    ASSERT_NE(awaitWindow(kTitle, false), 0u) << tamblo.log.toStdString();
    const auto play = [&](const QString& path) {
        x.tapKey("F8");
        const unsigned long openDialog = awaitWindow("选择需要播放的脚本", true);
        ASSERT_NE(openDialog, 0u);
        fillIn(openDialog, "选择需要播放的脚本", path);
        const unsigned long confirmation = awaitWindow(kTitle, true);
        ASSERT_NE(confirmation, 0u);
        x.tapKey("y");
        ASSERT_TRUE(awaitGone(confirmation, kTitle));
    };
    play(script);
    QTimer::singleShot(300, &screen, [&screen] { screen.turnGreen(); });
    unsigned long box = awaitWindow(kTitle, true);
    ASSERT_NE(box, 0u);
    QTest::qWait(100);
    ASSERT_EQ(screen.presses.size(), 1);
    EXPECT_EQ(screen.presses[0].first, QPoint(300, 200));
    EXPECT_GE(screen.presses[0].second, screen.turnedAtMs);
    x.tapKey("Return");
    ASSERT_TRUE(awaitGone(box, kTitle));

    // After a playback the first F8 only re-arms the stop flag.
    x.tapKey("F8");
    QTest::qWait(100);
    play(never);
    box = awaitWindow(kTitle, true);
    ASSERT_NE(box, 0u);
    EXPECT_TRUE(tamblo.logged("playback stopped: the colour of line 3 did not come")) << tamblo.log.toStdString();
    QTest::qWait(100);
    EXPECT_EQ(screen.presses.size(), 1) << "nothing is clicked after a wait that timed out";
    x.tapKey("Return");
    ASSERT_TRUE(awaitGone(box, kTitle));
    QDir(folder).removeRecursively();
}

TEST_F(EndToEndTest, RecordedClicksAreReplayedAtTheSamePoints)
{
    ASSERT_TRUE(x.isOpen());
    const QString folder = QStringLiteral("/tmp/tamblo-e2e-%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString script = folder + QStringLiteral("/walk.tbcode");
    const QList<QPoint> points{{200, 300}, {420, 380}, {560, 250}};

    ClickObserver observer;
    observer.setGeometry(QGuiApplication::primaryScreen()->geometry());
    observer.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&observer));

    Tamblo tamblo;
    const unsigned long mainWindow = awaitWindow(kTitle, false);
    ASSERT_NE(mainWindow, 0u) << tamblo.log.toStdString();

    x.tapKey("F7");
    ASSERT_TRUE(waitFor([&] { return tamblo.logged("record start"); }));
    for (const QPoint& point : points)
        x.click(point.x(), point.y());
    x.tapKey("F7");
    ASSERT_TRUE(waitFor([&] { return tamblo.logged("record stop"); }));

    const unsigned long saveDialog = awaitWindow("保存录制脚本", true);
    ASSERT_NE(saveDialog, 0u);
    fillIn(saveDialog, "保存录制脚本", script);
    const unsigned long savedBox = awaitWindow(kTitle, true);
    ASSERT_NE(savedBox, 0u);
    x.tapKey("Return");
    ASSERT_TRUE(awaitGone(savedBox, kTitle));
    ASSERT_TRUE(QFile::exists(script));

    observer.presses.clear();
    x.tapKey("F8");
    const unsigned long openDialog = awaitWindow("选择需要播放的脚本", true);
    ASSERT_NE(openDialog, 0u);
    fillIn(openDialog, "选择需要播放的脚本", script);
    const unsigned long confirmation = awaitWindow(kTitle, true);
    ASSERT_NE(confirmation, 0u);
    x.tapKey("y");
    ASSERT_TRUE(awaitGone(confirmation, kTitle));

    const unsigned long endBox = awaitWindow(kTitle, true);
    ASSERT_NE(endBox, 0u);
    QTest::qWait(100);
    EXPECT_EQ(observer.presses, points);
    x.tapKey("Return");
    ASSERT_TRUE(awaitGone(endBox, kTitle));

    x.requestClose(mainWindow);
    ASSERT_TRUE(tamblo.process.waitForFinished(5000));
    EXPECT_EQ(tamblo.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tamblo.process.exitCode(), 0);
    QDir(folder).removeRecursively();
}

}  // namespace
