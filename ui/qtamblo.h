#pragma once

#include <QMainWindow>
#include <QSystemTrayIcon>

#include <atomic>
#include <optional>
#include <string>

#include "capture/own_click.h"
#include "capture/recorder.h"
#include "platform/platform_input.h"
#include "system/termination_requests.h"
#include "playback/player.h"
#include "script/script_codec.h"
#include "ui/ui_tamblo.h"

class PlatformInput;
class QAction;
class QMenu;
class QTimer;

// The main window and, at the same time, the capture side: it records while the record button or
// F7 says so, saves each stopped recording, and plays scripts back (play button or F8).
class QTamblo : public QMainWindow, public Recorder {
    Q_OBJECT

public:
    // `platform` must outlive the window. The capture thread is started last; see captureStarted.
    explicit QTamblo(PlatformInput& platform, QWidget* parent = nullptr);
    ~QTamblo() override;

    void setRecording(bool on) override;
    // Capture thread, g_listenerMutex held: F7 toggles recording, F8 opens a script or stops playback.
    void onKeyEvent(int msgCode, int vk) override;
    // Capture thread, g_listenerMutex held.
    void onMouseEvent(int msgCode, int mouseData) override;

    // Whether global capture runs; when not, captureFailure says why and the window is of no use.
    bool captureStarted() const { return captureRunning; }
    const CaptureFailure& captureFailure() const { return captureFailureReason; }

    // Carries out WM_RECORD_TOGGLE or WM_PLAY_SCRIPT on the window thread, whoever sent it. False
    // for any other message.
    bool handleWindowCommand(unsigned message, quintptr wParam);

    // Shows the window in its normal state, above the others (a second start asks for this).
    void bringToFront();
    // Whether there is a capture the user has not yet had the chance to save: a recording runs,
    // or the save dialog of the one just stopped is open.
    bool hasUnsavedCapture() const { return recording || savePending; }
    // Writes an unsaved capture, once, to a new file in the recovery folder. Returns a sentence for
    // the user saying where it went (or why it could not be kept); "" when there was nothing to
    // keep. Safe on any thread, also while the program is ending abruptly.
    std::string rescueUnsavedCapture();
    // The program has been asked to end ("退出", a termination request): a running playback stops
    // (no end box), an unsaved capture is kept, and the application quits.
    void endRun();
    // Whether the program is ending, so no workflow starts anything new.
    bool isEnding() const;
    // Set from outside (a termination request) to stop a running playback at once.
    std::atomic<bool>& playbackStopFlag() { return player.stopRequested; }

public slots:
    void onclicked(bool checked = false);
    void onclickedPlay(bool = false);
    void onclickedSave(bool = false);
    void OnMouseTimeout();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Where commands travel as window messages, they and the system's notices arrive here.
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;

private:
    void createTrayActions();
    // The run ends, however it was asked to (the application quits, the desktop session ends):
    // nothing new starts, a running playback stops and an unsaved capture is kept, saying where
    // on standard error.
    void prepareToEnd();
    // A capture whose save dialog was cancelled goes to the recovery folder, and a box says where;
    // one without a single action has nothing worth keeping.
    void keepCancelledCapture(const std::vector<InputEvent>& capture);
    // Where the record button is, in the capture's pixels.
    ScreenArea recordButtonArea() const;
    // Hands a command to the window thread without waiting for it; does nothing until the window
    // has been shown. Called on the capture thread.
    void postToWindow(unsigned message, quintptr wParam);
    // The native window is `handle` from now on: it takes the commands from any sender, and hears
    // of the desktop's locks and the computer's sleep for the player.
    void listenAt(quintptr handle);
    QString translatedTitle() const;
    // Keeps a repeated termination request from cutting short the keeping of an unsaved capture;
    // called whenever hasUnsavedCapture may have changed.
    void holdRequestsWhileUnsaved();

    Ui_Tamblo ui;
    QTimer* sampleTimer = nullptr;
    ScriptCodec codec;
    QAction* hideAction = nullptr;
    QAction* restoreAction = nullptr;
    QAction* quitAction = nullptr;
    Player player;
    QSystemTrayIcon* trayIcon = nullptr;
    QMenu* trayMenu = nullptr;

    // The native window handle once shown (Windows posts to it); 0 means commands are ignored.
    std::atomic<quintptr> commandTarget{0};
    std::atomic<bool> savePending{false};
    std::atomic<bool> rescued{false};
    std::optional<termination::Hold> unsavedHold;
    bool ending = false;
    // Set while the record button's own click starts or stops a recording.
    bool clickOnRecordButton = false;
    // Where the click that started the recording was, when it was the record button's.
    std::optional<ScreenArea> startClickArea;
    bool captureRunning = false;
    CaptureFailure captureFailureReason;
};
