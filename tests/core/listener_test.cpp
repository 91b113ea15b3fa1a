#include <gtest/gtest.h>

#include <future>
#include <stdexcept>

#include "capture/input_listener.h"
#include "capture/recorder.h"
#include "platform/fake/fake_platform.h"

namespace {

bool listenerMutexHeldElsewhere()
{
    return std::async(std::launch::async, [] {
               if (!g_listenerMutex.try_lock())
                   return true;
               g_listenerMutex.unlock();
               return false;
           }).get();
}

class SpyRecorder : public Recorder {
public:
    using Recorder::Recorder;
    void onKeyEvent(int msgCode, int vk) override
    {
        lockedDuringCall = listenerMutexHeldElsewhere();
        calls.push_back("key " + std::to_string(msgCode) + " " + std::to_string(vk));
        if (throwNext)
            throw std::runtime_error("listener failed");
    }
    void onMouseEvent(int msgCode, int mouseData) override
    {
        lockedDuringCall = listenerMutexHeldElsewhere();
        calls.push_back("mouse " + std::to_string(msgCode) + (mouseData ? " " + std::to_string(mouseData) : ""));
    }
    std::vector<std::string> calls;
    bool lockedDuringCall = false;
    bool throwNext = false;
};

TEST(ListenerDelivery, PassesWindowsValuesUnderTheLockAndSkipsPointerMoves)
{
    FakePlatform platform;
    SpyRecorder spy(platform);
    spy.attachCodec(nullptr);

    deliverKeyEvent(win::WmKeyDown, 0x41);
    EXPECT_TRUE(spy.lockedDuringCall);
    deliverKeyEvent(win::WmSysKeyUp, 0x79);
    deliverMouseEvent(win::WmMouseMove);
    deliverMouseEvent(win::WmLButtonDown);
    deliverMouseEvent(win::WmMouseWheel, -120);
    EXPECT_EQ(spy.calls, (std::vector<std::string>{"key 0 65", "key 5 121", "mouse 513", "mouse 522 -120"}));

    spy.throwNext = true;
    deliverKeyEvent(win::WmKeyUp, 0x41);  // must not propagate
    EXPECT_FALSE(listenerMutexHeldElsewhere());

    withdrawListener(&spy);
    deliverMouseEvent(win::WmLButtonUp);
    EXPECT_EQ(spy.calls.size(), 5u);
}

TEST(ListenerDelivery, WithdrawingAnotherObjectKeepsTheRegistration)
{
    FakePlatform platform;
    Recorder registered(platform);
    Recorder other(platform);
    registered.attachCodec(nullptr);
    withdrawListener(&other);
    EXPECT_EQ(g_listener, &registered);
}

}  // namespace
