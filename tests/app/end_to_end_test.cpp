// A person's path through the real program: record three clicks with F7, save them, play them back
// with F8, and watch the replayed clicks arrive in a window of another process (this test's).
#include <QDir>
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

using EndToEndTest = DesktopFixture;

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
