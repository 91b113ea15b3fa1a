#pragma once

#include <QMainWindow>
#include <QSystemTrayIcon>

#include <atomic>
#include <string>

#include "capture/recorder.h"
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
    void onMouseEvent(int msgCode) override;

    // Whether global capture runs; when not, captureFailure says why and the window is of no use.
    bool captureStarted() const { return captureRunning; }
    const std::string& captureFailure() const { return captureFailureReason; }

    // Carries out WM_RECORD_TOGGLE or WM_PLAY_SCRIPT on the window thread, whoever sent it. False
    // for any other message.
    bool handleWindowCommand(unsigned message, quintptr wParam);

public slots:
    void onclicked(bool checked = false);
    void onclickedPlay(bool = false);
    void onclickedSave(bool = false);
    void OnMouseTimeout();
    void iconActivated(QSystemTrayIcon::ActivationReason reason);

protected:
    void showEvent(QShowEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;
#endif

private:
    void createTrayActions();
    // Hands a command to the window thread without waiting for it; does nothing until the window
    // has been shown. Called on the capture thread.
    void postToWindow(unsigned message, quintptr wParam);
    QString translatedTitle() const;

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
    bool captureRunning = false;
    std::string captureFailureReason;
};
