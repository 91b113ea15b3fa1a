#include "platform/x11/record_capture.h"

#include <X11/Xproto.h>
#include <X11/extensions/XTest.h>

#include <cstdlib>

#include "platform/x11/display_connection.h"
#include "platform/key_state_table.h"

namespace {

std::string displayName()
{
    const char* name = std::getenv("DISPLAY");
    return name ? name : "";
}

CoreInputEvent parseCoreEvent(const xEvent& raw)
{
    CoreInputEvent event;
    event.type = raw.u.u.type & 0x7F;  // the top bit only marks events sent by clients
    event.detail = raw.u.u.detail;
    event.state = raw.u.keyButtonPointer.state;
    event.rootX = raw.u.keyButtonPointer.rootX;
    event.rootY = raw.u.keyButtonPointer.rootY;
    return event;
}

}  // namespace

RecordCapture::RecordCapture(KeyStateTable& keys, const SpareKeyBindings& spareKeys)
    : keys(keys), dispatcher(keys, spareKeys)
{
}

RecordCapture::~RecordCapture()
{
    stop();
}

bool RecordCapture::start(CaptureFailure& failure)
{
    if (thread.joinable())
        return true;
    if (!openConnections(failure) || !createContext(failure)) {
        release();
        return false;
    }
    keys.clear();
    // A key held since before the start, e.g. a modifier of the stop key, is down from the start.
    char keycodesDown[32];
    XQueryKeymap(control, keycodesDown);
    dispatcher.noteHeldKeys(keycodesDown, keymap);
    keymapStale = false;
    enabled = std::promise<bool>();
    enabledSignalled = false;
    std::future<bool> started = enabled.get_future();
    thread = std::thread(&RecordCapture::run, this);
    if (started.get())
        return true;
    thread.join();
    release();
    failure = {CaptureFailure::Cause::RecordingRefused, displayName()};
    return false;
}

bool RecordCapture::openConnections(CaptureFailure& failure)
{
    const std::string name = displayName();
    if (name.empty()) {
        failure = {CaptureFailure::Cause::NoDisplay, {}};
        return false;
    }
    control = openDisplayConnection();
    if (!control) {
        failure = {CaptureFailure::Cause::DisplayUnreachable, name};
        return false;
    }
    int major = 0;
    int minor = 0;
    if (!XRecordQueryVersion(control, &major, &minor)) {
        failure = {CaptureFailure::Cause::NoRecordExtension, name};
        return false;
    }
    int eventBase = 0;
    int errorBase = 0;
    if (!XTestQueryExtension(control, &eventBase, &errorBase, &major, &minor)) {
        failure = {CaptureFailure::Cause::NoTestExtension, name};
        return false;
    }
    data = openDisplayConnection();
    keymapSource = openDisplayConnection();
    if (!data || !keymapSource || !keymap.load(keymapSource)) {
        failure = {CaptureFailure::Cause::NoFurtherConnections, name};
        return false;
    }
    return true;
}

bool RecordCapture::createContext(CaptureFailure& failure)
{
    XRecordRange* range = XRecordAllocRange();
    if (!range) {
        failure = {CaptureFailure::Cause::OutOfMemory, {}};
        return false;
    }
    // Core device events only: their root position is where the pointer was at the event.
    range->device_events.first = KeyPress;
    range->device_events.last = MotionNotify;
    // Keyboard mapping changes, to keep translating keys right after a layout switch.
    range->delivered_events.first = MappingNotify;
    range->delivered_events.last = MappingNotify;
    XRecordClientSpec clients = XRecordAllClients;
    context = XRecordCreateContext(control, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(control, False);
    if (!context) {
        failure = {CaptureFailure::Cause::RecordingRefused, displayName()};
        return false;
    }
    return true;
}

void RecordCapture::run()
{
    // Blocks, calling onRecorded for each datum, until the context is disabled.
    const Status status = XRecordEnableContext(data, context, &RecordCapture::onRecorded,
                                               reinterpret_cast<XPointer>(this));
    if (!status && !enabledSignalled)
        enabled.set_value(false);
}

void RecordCapture::onRecorded(XPointer self, XRecordInterceptData* recorded)
{
    try {
        reinterpret_cast<RecordCapture*>(self)->handle(*recorded);
    } catch (...) {
        // Nothing may unwind through Xlib; the event is dropped.
    }
    XRecordFreeData(recorded);
}

void RecordCapture::handle(const XRecordInterceptData& recorded)
{
    if (recorded.category == XRecordStartOfData && !enabledSignalled) {
        enabledSignalled = true;
        enabled.set_value(true);
        return;
    }
    if (recorded.category != XRecordFromServer || recorded.data_len * 4 < sizeof(xEvent))
        return;
    const CoreInputEvent event = parseCoreEvent(*reinterpret_cast<const xEvent*>(recorded.data));
    if (event.type == MappingNotify) {
        keymapStale = true;
        return;
    }
    if ((event.type == KeyPress || event.type == KeyRelease) && keymapStale)
        keymapStale = !keymap.load(keymapSource);
    dispatcher.dispatch(event, keymap);
}

void RecordCapture::stop()
{
    if (!thread.joinable())
        return;
    XRecordDisableContext(control, context);
    XSync(control, False);
    thread.join();
    release();
}

void RecordCapture::release()
{
    if (context) {
        XRecordFreeContext(control, context);
        context = 0;
    }
    for (Display** connection : {&keymapSource, &data, &control}) {
        if (*connection)
            closeDisplayConnection(*connection);
        *connection = nullptr;
    }
}
