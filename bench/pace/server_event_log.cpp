#include "server_event_log.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>

#include <chrono>



std::uint32_t serverTimeNow()
{
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

ServerEventLog::~ServerEventLog()
{
    stop();
}

bool ServerEventLog::start(std::string& reason)
{
    control = XOpenDisplay(nullptr);
    data = XOpenDisplay(nullptr);
    int major = 0;
    int minor = 0;
    if (!control || !data || !XRecordQueryVersion(control, &major, &minor)) {
        reason = "no X display with the RECORD extension";
        return false;
    }
    XRecordRange* range = XRecordAllocRange();
    range->device_events.first = ButtonPress;
    range->device_events.last = MotionNotify;
    XRecordClientSpec clients = XRecordAllClients;
    context = XRecordCreateContext(control, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(control, False);
    if (!context) {
        reason = "cannot create a RECORD context";
        return false;
    }
    std::future<bool> running = enabled.get_future();
    thread = std::thread([this] {
        XRecordEnableContext(data, context, [](XPointer self, XRecordInterceptData* recorded) {
            reinterpret_cast<ServerEventLog*>(self)->keep(recorded);
            XRecordFreeData(recorded);
        }, reinterpret_cast<XPointer>(this));
        if (!enabledSignalled)
            enabled.set_value(false);
    });
    if (!running.get()) {
        reason = "the X server refused to start recording";
        return false;
    }
    return true;
}

void ServerEventLog::stop()
{
    if (thread.joinable()) {
        XRecordDisableContext(control, context);
        XSync(control, False);
        thread.join();
    }
    if (context)
        XRecordFreeContext(control, context);
    context = 0;
    for (_XDisplay** display : {&data, &control}) {
        if (*display)
            XCloseDisplay(*display);
        *display = nullptr;
    }
}

void ServerEventLog::keep(const void* datum)
{
    const auto* recorded = static_cast<const XRecordInterceptData*>(datum);
    if (recorded->category == XRecordStartOfData && !enabledSignalled) {
        enabledSignalled = true;
        enabled.set_value(true);
        return;
    }
    if (recorded->category != XRecordFromServer)
        return;
    const auto* raw = reinterpret_cast<const xEvent*>(recorded->data);
    const int type = raw->u.u.type & 0x7F;
    const ServerEvent event{type == MotionNotify  ? ServerEvent::Motion
                            : type == ButtonPress ? ServerEvent::Press
                                                  : ServerEvent::Release,
                            raw->u.u.detail, raw->u.keyButtonPointer.rootX, raw->u.keyButtonPointer.rootY,
                            raw->u.keyButtonPointer.time};
    std::lock_guard<std::mutex> lock(mutex);
    events.push_back(event);
}

long long serverMsBetween(std::uint32_t earlier, std::uint32_t later)
{
    return static_cast<std::int32_t>(later - earlier);
}

std::vector<ServerEvent> ServerEventLog::take()
{
    if (control) {
        XSync(control, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<ServerEvent> taken;
    taken.swap(events);
    return taken;
}
