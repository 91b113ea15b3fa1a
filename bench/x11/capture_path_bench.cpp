// What the capture thread's own code costs per recorded event: translation, key state, the
// listener lock and the call into a listener that does nothing. Runs without a server.
#include <benchmark/benchmark.h>

#include <X11/X.h>
#include <X11/keysym.h>

#include "capture/recorder.h"
#include "platform/fake/fake_platform.h"
#include "platform/x11/capture_dispatcher.h"
#include "platform/key_state_table.h"
#include "platform/x11/keymap.h"

namespace {

// Keycode 8 types 'a', keycode 9 the right Shift.
const Keymap kKeymap(8, 2, {XK_a, XK_A, XK_Shift_R, NoSymbol}, Mod2Mask);

// A listener that does nothing, so that only the capture path itself is measured.
class IdleListener : public Recorder {
public:
    using Recorder::Recorder;
    void onKeyEvent(int, int) override {}
    void onMouseEvent(int, int) override {}
};

struct CapturePath {
    CapturePath() { listener.attachCodec(nullptr); }
    FakePlatform platform;
    IdleListener listener{platform};
    KeyStateTable keys;
    SpareKeyBindings spareKeys;
    CaptureDispatcher dispatcher{keys, spareKeys};
};

CoreInputEvent coreEvent(int type, unsigned detail)
{
    CoreInputEvent event;
    event.type = type;
    event.detail = detail;
    event.rootX = 640;
    event.rootY = 400;
    return event;
}

void pairOfEvents(benchmark::State& state, CoreInputEvent first, CoreInputEvent second)
{
    CapturePath path;
    for (auto _ : state) {
        path.dispatcher.dispatch(first, kKeymap);
        path.dispatcher.dispatch(second, kKeymap);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}

void PointerMove(benchmark::State& state)
{
    pairOfEvents(state, coreEvent(MotionNotify, 0), coreEvent(MotionNotify, 0));
}

void LeftClickPressAndRelease(benchmark::State& state)
{
    pairOfEvents(state, coreEvent(ButtonPress, 1), coreEvent(ButtonRelease, 1));
}

void LetterKeyPressAndRelease(benchmark::State& state)
{
    pairOfEvents(state, coreEvent(KeyPress, 8), coreEvent(KeyRelease, 8));
}

void ModifierKeyPressAndRelease(benchmark::State& state)
{
    pairOfEvents(state, coreEvent(KeyPress, 9), coreEvent(KeyRelease, 9));
}

BENCHMARK(PointerMove);
BENCHMARK(LeftClickPressAndRelease);
BENCHMARK(LetterKeyPressAndRelease);
BENCHMARK(ModifierKeyPressAndRelease);

}  // namespace
