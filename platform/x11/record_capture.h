#pragma once

#include <X11/Xlib.h>
#include <X11/extensions/record.h>

#include <future>
#include <string>
#include <thread>

#include "platform/x11/capture_dispatcher.h"
#include "platform/x11/keymap.h"

// The capture thread: a RECORD context over the core input events of every client, enabled on a
// data connection of its own and controlled from a second one, handing each event to the
// dispatcher. It only observes; input reaches its clients unchanged.
class RecordCapture {
public:
    RecordCapture(KeyStateTable& keys, const SpareKeyBindings& spareKeys);
    ~RecordCapture();

    RecordCapture(const RecordCapture&) = delete;
    RecordCapture& operator=(const RecordCapture&) = delete;

    // Returns once events are being captured (true), or with why they cannot be.
    bool start(CaptureFailure& failure);
    // Disables the context and joins the thread; no event is dispatched after it returns.
    void stop();

private:
    bool openConnections(CaptureFailure& failure);
    bool createContext(CaptureFailure& failure);
    void release();
    void run();
    static void onRecorded(XPointer self, XRecordInterceptData* data);
    void handle(const XRecordInterceptData& data);

    KeyStateTable& keys;
    CaptureDispatcher dispatcher;
    Display* control = nullptr;       // creates, disables and frees the context
    Display* data = nullptr;          // blocked in the enabled context on the capture thread
    Display* keymapSource = nullptr;  // re-reads the keymap for the capture thread
    XRecordContext context = 0;
    // Touched only by the capture thread while it runs.
    Keymap keymap;
    bool keymapStale = false;
    std::promise<bool> enabled;
    bool enabledSignalled = false;
    std::thread thread;
};
