#include "ui/qtamblo.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QHideEvent>
#include <QIcon>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <mutex>
#include <utility>

#include "script/script_file.h"
#include "capture/input_listener.h"
#include "system/file_replace.h"
#include "platform/platform_input.h"
#include "playback/passes.h"
#include "system/session.h"
#include "ui/playback_end.h"
#include "ui/save_failure.h"
#include "ui/unplayable_script.h"
#include "ui/window_commands.h"
#include "ui/window_title.h"

// Silent unless enabled, e.g. QT_LOGGING_RULES="tamblo.record.info=true".
Q_LOGGING_CATEGORY(recordLog, "tamblo.record", QtWarningMsg)

namespace {

const char* const kScriptFilter = "TB Recode code(*.tbcode)";

}  // namespace

QTamblo::QTamblo(PlatformInput& platform, QWidget* parent)
    : QMainWindow(parent), Recorder(platform), player(platform)
{
    ui.setupUi(this);
    setWindowTitle(QString::fromUtf8(kWindowTitle));
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint);
    setFixedSize(width(), height());

    connect(ui.pushButton, SIGNAL(clicked(bool)), this, SLOT(onclicked(bool)));
    connect(ui.pb_play, SIGNAL(clicked(bool)), this, SLOT(onclickedPlay(bool)));

    createTrayActions();
    trayMenu = new QMenu(this);
    trayMenu->addAction(hideAction);
    trayMenu->addAction(restoreAction);
    trayMenu->addSeparator();
    trayMenu->addAction(quitAction);

    trayIcon = new QSystemTrayIcon(this);
    trayIcon->setContextMenu(trayMenu);
    connect(trayIcon, &QSystemTrayIcon::activated, this, &QTamblo::iconActivated);
    const QIcon icon(QStringLiteral(":/Tamblo/image/exe.png"));
    trayIcon->setIcon(icon);
    setWindowIcon(icon);
    trayIcon->setToolTip(QString::fromUtf8(kWindowTitle));
    trayIcon->show();

    sampleTimer = new QTimer(this);
    sampleTimer->setInterval(1);
    connect(sampleTimer, SIGNAL(timeout()), this, SLOT(OnMouseTimeout()));
    sampleTimer->start();

    // However the run ends, an unsaved capture is kept first. Every end passes here: "退出", the
    // last window closed, and the end of the desktop session (Windows' WM_ENDSESSION, an X11
    // session manager's "die"). The request to commit data is no sign of an end: session managers
    // also send it for a mere checkpoint, one of them right after the program starts.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &QTamblo::prepareToEnd);

    attachCodec(&codec);
    captureRunning = platform.startHookThread(captureFailureReason);
}

QTamblo::~QTamblo()
{
    // No capture callback may reach a window whose members are being torn down.
    withdrawListener(this);
    platform.stopHookThread();
}

void QTamblo::createTrayActions()
{
    hideAction = new QAction(tr("隐藏"), this);
    connect(hideAction, &QAction::triggered, this, &QWidget::hide);
    restoreAction = new QAction(tr("恢复"), this);
    connect(restoreAction, &QAction::triggered, this, &QWidget::showNormal);
    quitAction = new QAction(tr("退出"), this);
    connect(quitAction, &QAction::triggered, this, &QTamblo::endRun);
}

QString QTamblo::translatedTitle() const
{
    return tr(kWindowTitle);
}

void QTamblo::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    const auto handle = static_cast<quintptr>(winId());
    if (commandTarget.exchange(handle) != handle)
        listenAt(handle);
}

void QTamblo::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    // Hidden by "隐藏" or for a playback: a window manager places a window anew when it is shown
    // again, unless the window asks for a place of its own. Ask for the one the user left it at.
    if (!event->spontaneous() && windowHandle())
        windowHandle()->setPosition(geometry().topLeft());
}

bool QTamblo::handleWindowCommand(unsigned message, quintptr wParam)
{
    switch (message) {
    case WM_RECORD_TOGGLE:
        setRecording(wParam != 0);
        return true;
    case WM_PLAY_SCRIPT:
        onclickedPlay(false);
        return true;
    default:
        return false;
    }
}

ScreenArea QTamblo::recordButtonArea() const
{
    // The capture counts device pixels; Qt counts scaled ones.
    const qreal ratio = devicePixelRatioF();
    const QRect button(ui.pushButton->mapToGlobal(QPoint(0, 0)), ui.pushButton->size());
    return ScreenArea{qRound(button.left() * ratio), qRound(button.top() * ratio),
                      qRound((button.right() + 1) * ratio) - 1, qRound((button.bottom() + 1) * ratio) - 1};
}

void QTamblo::setRecording(bool on)
{
    const bool byRecordButton = std::exchange(clickOnRecordButton, false);
    if (on) {
        ui.pushButton->setText(tr("停止"));
        qCInfo(recordLog, "record start");
        {
            std::lock_guard<std::mutex> lock(g_listenerMutex);
            clearEvents();
            startClock();
        }
        startClickArea.reset();
        if (byRecordButton)
            startClickArea = recordButtonArea();
        recording = true;
        holdRequestsWhileUnsaved();
    } else {
        ui.pushButton->setText(tr("录制"));
        qCInfo(recordLog, "record stop");
        // Until its save dialog is done, the capture still counts as unsaved.
        savePending = true;
        recording = false;
        {
            std::lock_guard<std::mutex> lock(g_listenerMutex);
            if (startClickArea)
                ownClick::dropAtStart(events, *startClickArea);
            if (byRecordButton)
                ownClick::dropAtEnd(events, recordButtonArea());
        }
        startClickArea.reset();
        onclickedSave(true);
        savePending = false;
        holdRequestsWhileUnsaved();
    }
}

void QTamblo::onKeyEvent(int, int)
{
    auto down = [this](int vk) { return (platform.keyState(vk) & win::KeyStateDown) != 0; };
    // A key that stops a command-line session on this desktop is that session's: it starts nothing
    // here, though it still stops what runs here.
    if (down(win::VkF7)) {
        if (recording || !stopKeyClaimed(win::VkF7))
            postToWindow(WM_RECORD_TOGGLE, recording ? 0 : 1);
    } else if (down(win::VkF8)) {
        // Clear only while a playback runs (or after one): then F8 stops it, or re-arms.
        if (!player.stopRequested)
            player.stopRequested = true;
        else if (!stopKeyClaimed(win::VkF8))
            postToWindow(WM_PLAY_SCRIPT, 1);
    }
}

void QTamblo::onMouseEvent(int msgCode, int mouseData)
{
    if (recording)
        addMouseAction(msgCode, mouseData);
}

void QTamblo::onclicked(bool)
{
    clickOnRecordButton = true;
    setRecording(!recording);
}

void QTamblo::OnMouseTimeout()
{
    // Runs every millisecond for the window's whole life; an idle tick does nothing. Ticks come
    // late and irregularly, so the recording's own clock decides when a sample is due.
    if (recording)
        sampleTick();
}

void QTamblo::iconActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
        restoreAction->activate(QAction::Trigger);
}

void QTamblo::onclickedPlay(bool)
{
    const bool loop = ui.ck_playaround->checkState() == Qt::Checked;
    const QString fileName = QFileDialog::getOpenFileName(this, tr("选择需要播放的脚本"), QString(),
                                                          tr(kScriptFilter));
    if (fileName.isEmpty())
        return;
    // Read the one way the command line reads it too; anything but a regular file is refused
    // without blocking. A script that is not played says why, so a typo is not taken for a fault.
    std::vector<InputEvent> events;
    std::vector<std::size_t> eventLines;
    const ScriptFileResult read =
        readScriptFile(fileName.toUtf8().toStdString(), codec, &events, noteEventLines(eventLines));
    if (read.verdict != ScriptFileResult::Verdict::Accepted) {
        QMessageBox::warning(this, translatedTitle(), describeUnplayableScript(fileName, read));
        return;
    }
    // A box closed because the program is ending answers nothing, so it must not start a playback.
    if (QMessageBox::question(this, translatedTitle(), tr("读取脚本成功，是否播放？"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::NoButton)
            == QMessageBox::No
        || isEnding())
        return;

    // Cleared before the window hides, which can take a while: an F8 from the answer on stops this
    // playback instead of asking for another script.
    player.stopRequested = false;
    hideAction->activate(QAction::Trigger);
    // A termination request sets the stop flag; one that came just before it was cleared is seen here.
    if (isEnding())
        return;
    // A pass that cannot play an event does not end a loop; one whose input would be lost (an
    // elevated target, a locked screen) does, and so does a colour that never came: the screen is
    // not what the script expects. The box says why.
    const PassEnd end = playPasses(player, events, PassCount{1, loop}, FailedPass::IsPlayedOver);
    if (isEnding())
        return;
    restoreAction->activate(QAction::Trigger);

    if (end == PassEnd::ColourNeverCame) {
        const std::size_t failed = player.eventsPlayed;
        qCInfo(recordLog, "playback stopped: the colour of line %zu did not come", eventLines[failed]);
        QMessageBox::warning(this, translatedTitle(),
                             describeMissingColour(fileName, eventLines[failed], events[failed], player.colourSeen()));
        return;
    }
    QMessageBox::information(this, translatedTitle(),
                             describePlaybackEnd(end, player.eventsPlayed + 1, events.size()),
                             QMessageBox::Yes, QMessageBox::NoButton);
}

void QTamblo::onclickedSave(bool)
{
    // Taken before the dialog opens: a recording started while it is open must not replace it.
    const std::vector<InputEvent> capture = copyEvents();
    // After a failure the dialog comes back on the same folder and name, until a save succeeds or
    // the user cancels: a recording is never lost to one failed attempt.
    QString proposed;
    for (;;) {
        // An object rather than the static call, for the default suffix: a name typed without an
        // extension gets ".tbcode", so that the open dialog's filter shows it.
        QFileDialog dialog(this, tr("保存录制脚本"), proposed, QString::fromLatin1(kScriptFilter));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("tbcode"));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            // Closed because the program is ending, or kept while it was open: kept already.
            if (!isEnding() && !rescued)
                keepCancelledCapture(capture);
            return;
        }
        const QString fileName = dialog.selectedFiles().constFirst();
        FileFailure failure;
        if (saveToFile(fileName.toUtf8().toStdString(), capture, failure))
            break;
        QMessageBox::warning(this, translatedTitle(),
                             tr("保存失败") + QStringLiteral("：%1\n%2").arg(fileName, describeSaveFailure(failure)));
        proposed = fileName;
    }
    savePending = false;
    QMessageBox::information(this, translatedTitle(), tr("保存成功"), QMessageBox::Ok,
                             QMessageBox::NoButton);
}
