// Recording, sampling, saving and playing on the fake platform, with the dialogs answered by a driver.
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTextCodec>
#include <QTest>
#include <QWindow>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>

#include "capture/input_listener.h"
#include "system/file_replace.h"
#include "tests/core/file_size_limit.h"
#include "ui/save_failure.h"
#include "ui/unplayable_script.h"
#include "window_fixture.h"

namespace {

const QString kTitle = QStringLiteral("Norrel鼠标自动点击器1008");
const QByteArray kOneClick = "LBUTTONDOWN:100:200\nLBUTTONUP:100:200\n";

void pressF8(FakePlatform& platform)
{
    platform.pressKey(win::VkF8);
    deliverKeyEvent(win::WmKeyDown, win::VkF8);
    platform.releaseKey(win::VkF8);
}

int countKind(const std::vector<InputEvent>& events, EventKind kind)
{
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [kind](const InputEvent& e) { return isKind(e, kind); }));
}

using RecordingTest = WindowFixture;

TEST_F(RecordingTest, ButtonStartsAndStopsThenSavesTheCapture)
{
    const QString path = scratchFile("clicks.tbcode");
    FileDialogSeen dialog;
    BoxSeen saved;
    driver.then(chooseFile(path, &dialog)).then(answerBox(QMessageBox::Ok, &saved));

    QTest::mouseClick(recordButton(), Qt::LeftButton);
    EXPECT_EQ(recordButton()->text(), QStringLiteral("停止"));
    EXPECT_TRUE(window.isRecording());
    platform.setPointer(10, 20);
    deliverMouseEvent(win::WmLButtonDown);
    platform.setPointer(30, 40);
    deliverMouseEvent(win::WmLButtonUp);
    deliverMouseEvent(win::WmRButtonDown);
    deliverMouseEvent(win::WmMouseWheel, -120);
    deliverMouseEvent(win::WmXButtonDown, win::XButton2);

    QTest::mouseClick(recordButton(), Qt::LeftButton);
    EXPECT_EQ(recordButton()->text(), QStringLiteral("录制"));
    EXPECT_FALSE(window.isRecording());
    EXPECT_TRUE(driver.allStepsUsed());
    EXPECT_EQ(dialog.caption, QStringLiteral("保存录制脚本"));
    EXPECT_EQ(dialog.nameFilters, QStringList{"TB Recode code(*.tbcode)"});
    EXPECT_TRUE(dialog.saving);
    EXPECT_EQ(contents(path), QByteArray("LBUTTONDOWN:10:20\nLBUTTONUP:30:40\nRBUTTONDOWN:30:40\n"
                                         "MOUSEWHEEL:30:40:-120\nXBUTTONDOWN:30:40:2\n"));
    EXPECT_EQ(saved.title, kTitle);
    EXPECT_EQ(saved.text, QStringLiteral("保存成功"));
    EXPECT_EQ(saved.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

TEST_F(RecordingTest, MouseActionsOutsideARecordingAreNotKept)
{
    deliverMouseEvent(win::WmLButtonDown);
    EXPECT_TRUE(window.copyEvents().empty());
}

TEST_F(RecordingTest, SamplesThePointerOnceEveryTenMillisecondsOfTheRecording)
{
    struct Case {
        int ticks;
        int samples;
    };
    for (const Case c : {Case{9, 0}, Case{10, 1}, Case{95, 9}, Case{100, 10}}) {
        SCOPED_TRACE(c.ticks);
        window.handleWindowCommand(WM_RECORD_TOGGLE, 1);
        for (int tick = 0; tick < c.ticks; ++tick) {
            platform.advance(std::chrono::milliseconds(1));
            platform.setPointer(tick, 2 * tick);
            window.OnMouseTimeout();
        }
        const std::vector<InputEvent> events = window.copyEvents();
        EXPECT_EQ(countKind(events, EventKind::MousePos), c.samples);
        if (c.samples > 0) {
            EXPECT_EQ(events[0].x, 9);
            EXPECT_EQ(events[0].y, 18);
        }
        driver.then(cancelFileDialog());
        window.setRecording(false);
    }
}

TEST_F(RecordingTest, EveryTickOfARecordingAsksForThePointerAndAMissingOneLeavesTheSlotsDue)
{
    window.handleWindowCommand(WM_RECORD_TOGGLE, 1);
    platform.failPointerQuery();
    const int before = platform.pointerQueries;
    for (int tick = 0; tick < 25; ++tick) {
        platform.advance(std::chrono::milliseconds(1));
        window.OnMouseTimeout();
    }
    // Each question to the system also brings captured clicks in promptly.
    EXPECT_EQ(platform.pointerQueries - before, 25);
    EXPECT_TRUE(window.copyEvents().empty());
    platform.setPointer(3, 4);
    platform.advance(std::chrono::milliseconds(1));
    window.OnMouseTimeout();
    EXPECT_EQ(countKind(window.copyEvents(), EventKind::MousePos), 2);
    driver.then(cancelFileDialog());
    window.setRecording(false);
}

TEST_F(RecordingTest, StartingAgainWhileRecordingEmptiesTheCapture)
{
    window.setRecording(true);
    deliverMouseEvent(win::WmLButtonDown);
    window.setRecording(true);
    EXPECT_TRUE(window.copyEvents().empty());
    EXPECT_TRUE(window.isRecording());
}

TEST_F(RecordingTest, CancelledSaveOfNothingButPointerSamplesWritesAndShowsNothing)
{
    window.setRecording(true);
    platform.advance(std::chrono::milliseconds(30));
    window.OnMouseTimeout();
    ASSERT_FALSE(window.copyEvents().empty());
    FileDialogSeen dialog;
    driver.then(cancelFileDialog(&dialog));
    window.setRecording(false);
    EXPECT_TRUE(dialog.shown);
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(RecordingTest, StoppingWhenNotRecordingStillOffersToSaveTheEmptyCapture)
{
    const QString path = scratchFile("empty.tbcode");
    BoxSeen saved;
    driver.then(chooseFile(path)).then(answerBox(QMessageBox::Ok, &saved));
    window.setRecording(false);
    EXPECT_EQ(contents(path), QByteArray());
    EXPECT_EQ(saved.text, QStringLiteral("保存成功"));
}

TEST_F(RecordingTest, AFailedSaveSaysWhyAndOffersTheSameNameAgainUntilItSucceeds)
{
    const QString path = scratchFile("clicks.tbcode");
    std::optional<FileSizeLimit> fullDisk(std::in_place, 4, true);
    FileDialogSeen again;
    BoxSeen failed, saved;
    driver.then(chooseFile(path))
        .then(answerBox(QMessageBox::Ok, &failed))
        .then([&](QWidget* dialog) {
            fullDisk.reset();
            chooseFile(path, &again)(dialog);
        })
        .then(answerBox(QMessageBox::Ok, &saved));
    window.setRecording(true);
    platform.setPointer(100, 200);
    deliverMouseEvent(win::WmLButtonDown);
    window.setRecording(false);

    EXPECT_TRUE(driver.allStepsUsed());
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
    EXPECT_EQ(failed.title, kTitle);
    EXPECT_EQ(failed.icon, QMessageBox::Warning);
    EXPECT_EQ(failed.text, QStringLiteral("保存失败：%1\n文件过大（%2）").arg(path, QString::fromUtf8(std::strerror(EFBIG))));
    EXPECT_EQ(again.directory, QDir(folder.path()).absolutePath());
    EXPECT_EQ(again.selectedFiles, QStringList{path});
    EXPECT_EQ(saved.text, QStringLiteral("保存成功"));
    EXPECT_EQ(contents(path), QByteArray("LBUTTONDOWN:100:200\n"));
}

TEST_F(RecordingTest, CancellingTheDialogAfterAFailedSaveEndsTheWorkflow)
{
    const QString blocker = writeScript("plain-file", "not a folder");
    const QString path = blocker + QStringLiteral("/clicks.tbcode");
    BoxSeen box;
    FileDialogSeen again;
    driver.then(chooseFile(path)).then(answerBox(QMessageBox::Ok, &box)).then(cancelFileDialog(&again));
    window.setRecording(true);
    window.setRecording(false);
    EXPECT_TRUE(driver.allStepsUsed());
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
    // The dialog may take a name under a file for one relative to its own folder; either way the folder is missing.
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("保存失败："))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(path)) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("\n文件夹不存在（"))) << box.text.toStdString();
    EXPECT_TRUE(again.shown);
    EXPECT_EQ(contents(blocker), QByteArray("not a folder"));
}

TEST(SaveFailureText, NamesTheCauseInChineseBeforeTheSystemsOwnText)
{
    using Cause = FileFailureCause;
    const struct {
        Cause cause;
        const char* systemText;
        QString expected;
    } cases[] = {
        {Cause::NoPermission, "Permission denied", QStringLiteral("没有写入权限（Permission denied）")},
        {Cause::DiskFull, "No space left on device", QStringLiteral("磁盘空间已满（No space left on device）")},
        {Cause::NoSuchFolder, "No such file or directory", QStringLiteral("文件夹不存在（No such file or directory）")},
        {Cause::ReadOnlyFileSystem, "Read-only file system", QStringLiteral("文件系统为只读（Read-only file system）")},
        {Cause::FileTooLarge, "File too large", QStringLiteral("文件过大（File too large）")},
        {Cause::QuotaExceeded, "Disk quota exceeded", QStringLiteral("超出磁盘配额（Disk quota exceeded）")},
        {Cause::Other, "磁盘错误", QStringLiteral("磁盘错误")},
        {Cause::Other, "", QStringLiteral("cannot write the file")},
    };
    for (const auto& c : cases) {
        const FileFailure failure{c.cause, "cannot write the file", c.systemText};
        EXPECT_EQ(describeSaveFailure(failure), c.expected);
    }
}

TEST(LineFaultText, EveryRefusalHasAChineseReasonAndKeepsItsHint)
{
    const ScriptCodec codec;
    for (int fault = static_cast<int>(LineFault::BlankLine); fault <= static_cast<int>(LineFault::OutOfRange); ++fault) {
        LineReading reading;
        reading.fault = static_cast<LineFault>(fault);
        const QString text = lineFaultText(codec.refusalOf(reading, "X:1"));
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\p{Han}")))) << fault << ": " << text.toStdString();
    }
    const struct {
        const char* line;
        const char* hint;
    } hints[] = {{"MBUTTONUP:1:2", "MBUTTONUNUP"}, {"lbuttondown:1:2", "LBUTTONDOWN"}, {"LBUTTONDOWN 1:2", "字段"}};
    for (const auto& c : hints) {
        const QString text = lineFaultText(codec.refusalOf(codec.readLine(c.line), c.line));
        EXPECT_TRUE(text.contains(QString::fromUtf8(c.hint))) << c.line << ": " << text.toStdString();
    }
}

TEST_F(RecordingTest, ARecordingStartedWhileTheSaveDialogIsOpenDoesNotReplaceTheStoppedOne)
{
    const QString path = scratchFile("first.tbcode");
    BoxSeen saved;
    window.setRecording(true);
    platform.setPointer(1, 2);
    deliverMouseEvent(win::WmLButtonDown);

    driver
        .then([&](QWidget* dialog) {
            // F7 while the dialog is open starts a new recording, which captures another click.
            platform.pressKey(win::VkF7);
            deliverKeyEvent(win::WmKeyDown, win::VkF7);
            platform.releaseKey(win::VkF7);
            EXPECT_TRUE(waitFor([&] { return window.isRecording(); }));
            platform.setPointer(7, 8);
            deliverMouseEvent(win::WmRButtonDown);
            chooseFile(path)(dialog);
        })
        .then(answerBox(QMessageBox::Ok, &saved));
    window.setRecording(false);
    EXPECT_EQ(saved.text, QStringLiteral("保存成功"));

    EXPECT_TRUE(driver.allStepsUsed());
    EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
    EXPECT_EQ(contents(path), QByteArray("LBUTTONDOWN:1:2\n"));
    EXPECT_TRUE(window.isRecording());
    EXPECT_EQ(window.copyEvents().size(), 1u);
}

TEST_F(RecordingTest, ANameTypedWithoutAnExtensionGetsTbcodeAndOneWithAnExtensionIsKept)
{
    for (const char* typed : {"rec1", "rec2.txt"}) {
        driver.then(chooseFile(scratchFile(typed))).then(answerBox(QMessageBox::Ok));
        window.setRecording(false);
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), (QStringList{"rec1.tbcode", "rec2.txt"}));
}

TEST_F(RecordingTest, TheRecordButtonsOwnClicksAreLeftOutButAClickThereBeforeF7IsKept)
{
    const QPoint button = recordButton()->mapToGlobal(recordButton()->rect().center());
    const QString at = QStringLiteral(":%1:%2\n").arg(button.x()).arg(button.y());
    auto clickTheButton = [&](bool reported) {
        platform.setPointer(button.x(), button.y());
        deliverMouseEvent(win::WmLButtonDown);
        if (reported)
            QTest::mouseClick(recordButton(), Qt::LeftButton);
        deliverMouseEvent(win::WmLButtonUp);
    };
    driver.then(chooseFile(scratchFile("button.tbcode"))).then(answerBox(QMessageBox::Ok));
    clickTheButton(true);
    platform.setPointer(100, 200);
    deliverMouseEvent(win::WmLButtonDown);
    clickTheButton(true);
    EXPECT_EQ(contents(scratchFile("button.tbcode")),
              ("LOGMOUSEPOS" + at + "LBUTTONDOWN:100:200\nLOGMOUSEPOS" + at).toLatin1());

    driver.then(chooseFile(scratchFile("f7.tbcode"))).then(answerBox(QMessageBox::Ok));
    window.handleWindowCommand(WM_RECORD_TOGGLE, 1);
    clickTheButton(false);
    window.handleWindowCommand(WM_RECORD_TOGGLE, 0);
    EXPECT_EQ(contents(scratchFile("f7.tbcode")), ("LBUTTONDOWN" + at + "LBUTTONUP" + at).toLatin1());
}

TEST_F(RecordingTest, ChineseFileNamesAreKept)
{
    // As on a system whose locale encoding has no Chinese (Windows' ANSI code pages, Latin-1).
    QTextCodec* const localeCodec = QTextCodec::codecForLocale();
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("ISO-8859-1"));
    const QString path = scratchFile(QStringLiteral("录制脚本-一.tbcode"));
    driver.then(chooseFile(path)).then(answerBox(QMessageBox::Ok));
    window.setRecording(true);
    deliverMouseEvent(win::WmMButtonDown);
    window.setRecording(false);
    QTextCodec::setCodecForLocale(localeCodec);
    // Checked through the UTF-8 bytes, not through Qt's locale-dependent file names.
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::u8path(path.toStdString())));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path().toStdString()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(RecordingTest, StartAndStopGoToASilentLogCategory)
{
    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& text) {
            if (QLatin1String(context.category) == QLatin1String("tamblo.record"))
                logged << text;
        });
    driver.then(cancelFileDialog()).then(cancelFileDialog());
    window.setRecording(true);
    window.setRecording(false);
    EXPECT_TRUE(logged.isEmpty());

    QLoggingCategory::setFilterRules(QStringLiteral("tamblo.record.info=true"));
    window.setRecording(true);
    window.setRecording(false);
    QLoggingCategory::setFilterRules(QString());
    qInstallMessageHandler(previous);
    EXPECT_EQ(logged, (QStringList{"record start", "record stop"}));
}

using PlayTest = WindowFixture;

TEST_F(PlayTest, ConfirmedScriptIsPlayedWithTheWindowHidden)
{
    const QString path = writeScript("one.tbcode", kOneClick);
    FileDialogSeen open;
    BoxSeen confirm, end;
    driver.then(chooseFile(path, &open))
        .then(answerBox(QMessageBox::Yes, &confirm))
        .then(answerBox(QMessageBox::Yes, &end));
    std::vector<bool> visibleDuringPlayback;
    platform.afterSleep = [&](long long) { visibleDuringPlayback.push_back(window.isVisible()); };

    QTest::mouseClick(playButton(), Qt::LeftButton);

    EXPECT_TRUE(driver.allStepsUsed());
    EXPECT_EQ(open.caption, QStringLiteral("选择需要播放的脚本"));
    EXPECT_EQ(open.nameFilters, QStringList{"TB Recode code(*.tbcode)"});
    EXPECT_FALSE(open.saving);
    EXPECT_EQ(confirm.title, kTitle);
    EXPECT_EQ(confirm.text, QStringLiteral("读取脚本成功，是否播放？"));
    EXPECT_EQ(confirm.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(injected("mouse 0x2"), 1);
    EXPECT_EQ(injected("mouse 0x4"), 1);
    ASSERT_FALSE(visibleDuringPlayback.empty());
    EXPECT_EQ(std::count(visibleDuringPlayback.begin(), visibleDuringPlayback.end(), true), 0);
    EXPECT_EQ(end.title, kTitle);
    EXPECT_EQ(end.text, QStringLiteral("脚本播放结束"));
    EXPECT_EQ(end.buttons, QMessageBox::StandardButtons(QMessageBox::Yes));
    EXPECT_TRUE(end.parentVisible);
    EXPECT_TRUE(window.isVisible());
}

TEST_F(PlayTest, NothingIsPlayedWhenTheWorkflowEndsBeforePlayback)
{
    struct Case {
        const char* name;
        QByteArray script;  // empty: a named pipe, which is no script file
        bool cancelDialog;
        bool confirmShown;
        QString whyNotPlayed;  // the start of the one box that says so; empty: no such box
    };
    const Case cases[] = {
        {"open dialog cancelled", kOneClick, true, false, {}},
        {"script refused", "LBUTTONDOWN:1:2\nNOSUCHLINE:3:4\n", false, false,
         QStringLiteral("脚本有误，无法播放：%1\n第 2 行：\"NOSUCHLINE:3:4\"\n未知的关键字 \"NOSUCHLINE\"")},
        {"not a file", {}, false, false, QStringLiteral("无法读取脚本：%1\n这不是普通文件（")},
        {"answered No", kOneClick, false, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString path = scratchFile(c.name);
        if (c.script.isEmpty())
            ASSERT_EQ(mkfifo(path.toUtf8().constData(), 0600), 0) << std::strerror(errno);
        else
            path = writeScript(c.name, c.script);
        BoxSeen confirm, whyNot;
        if (c.cancelDialog)
            driver.then(cancelFileDialog());
        else
            driver.then(chooseFile(path));
        if (c.confirmShown)
            driver.then(answerBox(QMessageBox::No, &confirm));
        if (!c.whyNotPlayed.isEmpty())
            driver.then(answerBox(QMessageBox::Ok, &whyNot));

        window.onclickedPlay();

        EXPECT_TRUE(driver.allStepsUsed());
        EXPECT_EQ(confirm.shown, c.confirmShown);
        EXPECT_TRUE(whyNot.text.startsWith(c.whyNotPlayed.arg(path))) << whyNot.text.toStdString();
        EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
        EXPECT_TRUE(platform.calls.empty());
        EXPECT_TRUE(window.isVisible());
    }
}

TEST_F(PlayTest, LoopRepeatsUntilF8)
{
    const QString path = writeScript("loop.tbcode", kOneClick);
    loopBox()->setChecked(true);
    driver.then(chooseFile(path)).then(answerBox(QMessageBox::Yes)).then(answerBox(QMessageBox::Yes));
    bool stopped = false;
    platform.afterSleep = [&](long long) {
        // F8 during the third pass, between its press and its release; a runaway loop is cut short.
        if (!stopped && (injected("mouse 0x2") == 3 || injected("mouse 0x2") > 50)) {
            stopped = true;
            pressF8(platform);
        }
    };

    window.onclickedPlay();

    EXPECT_EQ(injected("mouse 0x2"), 3);
    EXPECT_EQ(injected("mouse 0x4"), 3);
    EXPECT_TRUE(driver.allStepsUsed());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(PlayTest, TheEndBoxSaysWhyAPlaybackStoppedShort)
{
    const QString path = writeScript("why.tbcode", kOneClick);
    const QString stoppedAt = QStringLiteral("播放已停止，停在第 %1 个事件（共 2 个）：");
    const struct {
        const char* name;
        bool loop;
        std::function<void(FakePlatform&, int clicks)> act;  // as the window hides (clicks -1), then after every wait
        int clicks;
        int releases;
        QString text;
    } cases[] = {
        {"F8 right after the answer", true, [](FakePlatform& p, int clicks) { if (clicks < 0) pressF8(p); },
         0, 0, QStringLiteral("脚本播放结束")},
        {"target runs as administrator", true,
         [](FakePlatform& p, int) { p.setTargetBarrier(InputBarrier::ElevatedTarget); }, 0, 0,
         stoppedAt.arg(1) + QStringLiteral("目标窗口以管理员身份运行")},
        {"pointer cannot be moved", false, [](FakePlatform& p, int) { p.failPointerMoves(true); }, 0, 0,
         stoppedAt.arg(1) + QStringLiteral("无法把鼠标指针移到")},
        {"screen locked in the second pass (last: the lock stays)", true,
         [](FakePlatform& p, int clicks) {
             if (clicks == 2)
                 p.setDesktopBarrier(InputBarrier::LockedDesktop);
         },
         2, 2, stoppedAt.arg(2) + QStringLiteral("屏幕已锁定")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform.calls.clear();
        platform.setTargetBarrier(InputBarrier::Clear);
        platform.failPointerMoves(false);
        loopBox()->setChecked(c.loop);
        BoxSeen end;
        driver.then(chooseFile(path)).then(answerBox(QMessageBox::Yes)).then(answerBox(QMessageBox::Yes, &end));
        const QMetaObject::Connection hiding =
            QObject::connect(window.windowHandle(), &QWindow::visibleChanged, [&](bool visible) {
                if (!visible)
                    c.act(platform, -1);
            });
        platform.afterSleep = [&](long long) { c.act(platform, injected("mouse 0x2")); };

        window.onclickedPlay();
        QObject::disconnect(hiding);

        EXPECT_EQ(injected("mouse 0x2"), c.clicks);
        EXPECT_EQ(injected("mouse 0x4"), c.releases);
        EXPECT_TRUE(end.text.startsWith(c.text)) << end.text.toStdString();
        EXPECT_TRUE(driver.allStepsUsed());
        EXPECT_TRUE(driver.unexpected.isEmpty()) << driver.unexpected.join("; ").toStdString();
    }
}

TEST_F(PlayTest, TickingTheLoopBoxAfterTheWorkflowBeganDoesNotLoop)
{
    const QString path = writeScript("once.tbcode", kOneClick);
    driver
        .then([&](QWidget* dialog) {
            loopBox()->setChecked(true);
            chooseFile(path)(dialog);
        })
        .then(answerBox(QMessageBox::Yes))
        .then(answerBox(QMessageBox::Yes));
    window.onclickedPlay();
    EXPECT_EQ(injected("mouse 0x2"), 1);
    EXPECT_TRUE(driver.allStepsUsed());
}

TEST_F(PlayTest, AnEmptyScriptIsStillConfirmedAndEnds)
{
    const QString path = writeScript("comments.tbcode", "# nothing to do\n\n");
    BoxSeen confirm, end;
    driver.then(chooseFile(path)).then(answerBox(QMessageBox::Yes, &confirm)).then(answerBox(QMessageBox::Yes, &end));
    window.onclickedPlay();
    EXPECT_TRUE(confirm.shown);
    EXPECT_TRUE(end.shown);
    EXPECT_TRUE(end.parentVisible);
}

}  // namespace
