// The command line's listener on a fake platform: when the stop key stops, what a recording keeps,
// and what of the stop is taken out again.
#include <gtest/gtest.h>

#include "cli/stop_key_listener.h"
#include "platform/fake/fake_platform.h"

namespace {

constexpr int kDown = 0;
constexpr int kUp = 1;
constexpr int kSysDown = 4;
constexpr int kVkS = 0x53;
constexpr int kVkA = 0x41;
constexpr int kLeftControl = 0xA2;
constexpr int kLeftAlt = 0xA4;

struct Kept {
    int kind;
    int code;
    int value;
    bool operator==(const Kept& other) const
    {
        return kind == other.kind && code == other.code && value == other.value;
    }
};

void PrintTo(const Kept& kept, std::ostream* os) { *os << "{" << kept.kind << "," << kept.code << "," << kept.value << "}"; }

class TestListener : public StopKeyListener {
public:
    using StopKeyListener::StopKeyListener;
    std::vector<Kept> kept() const
    {
        std::vector<Kept> out;
        for (const InputEvent& event : events)
            out.push_back({event.kind, event.code, event.value});
        return out;
    }
};

constexpr int Key = 1;
constexpr int Mouse = 0;
constexpr int Pause = 2;

class StopKeyListenerTest : public testing::Test {
protected:
    TestListener& make(const KeyChord& chord)
    {
        listener = std::make_unique<TestListener>(platform, chord, stop);
        return *listener;
    }

    // A key as the capture thread reports it, with the key state updated first.
    void key(int msgCode, int vk, int generic = 0)
    {
        if (generic != 0) {
            if (msgCode == kUp)
                platform.releaseKey(generic);
            else
                platform.pressKey(generic);
        }
        listener->onKeyEvent(msgCode, vk);
    }

    FakePlatform platform;
    std::atomic<bool> stop{false};
    std::unique_ptr<TestListener> listener;
};

TEST_F(StopKeyListenerTest, TheStopKeyStopsWithItsModifiersHeldAndOthersAllowed)
{
    make(KeyChord{kVkS, true, true, false});
    key(kDown, kVkS);
    key(kDown, kLeftControl, 0x11);
    key(kDown, kVkS);
    key(kUp, kVkS);
    EXPECT_FALSE(stop);
    key(kDown, kLeftAlt, 0x12);
    key(kDown, 0xA0, 0x10);  // Shift as well does not matter
    key(kUp, kVkS);
    EXPECT_FALSE(stop) << "a release does not stop";
    key(kSysDown, kVkS);
    EXPECT_TRUE(stop);
    EXPECT_TRUE(listener->stopKeyPressed());

    // The modifiers as the capture reports them, whatever the platform's key state says.
    for (int generic : {0x10, 0x11, 0x12})
        platform.releaseKey(generic);
    stop = false;
    make(KeyChord{kVkS, true, false, false});
    key(kDown, 0xA3);
    key(kDown, kVkS);
    EXPECT_TRUE(stop);
    stop = false;
    key(kUp, 0xA3);
    key(kDown, kVkS);
    EXPECT_FALSE(stop);

    make(KeyChord{0x77});
    key(kDown, 0x76);
    EXPECT_FALSE(stop);
    key(kDown, 0x77);
    EXPECT_TRUE(stop);
}

TEST_F(StopKeyListenerTest, RecordsButtonsAndKeysButNotTheStopKeyNorReleasesOfEarlierPresses)
{
    TestListener& recorder = make(KeyChord{0x76});
    recorder.recordKeys(true);
    key(kDown, kVkA);  // before the recording: neither its press nor its release is kept
    recorder.startRecording();
    key(kUp, kVkA);
    recorder.onMouseEvent(0x201, 0);
    key(kDown, kVkA);
    key(kUp, kVkA);
    recorder.onMouseEvent(0x202, 0);
    key(kDown, 0x76);
    EXPECT_TRUE(stop);
    EXPECT_FALSE(recorder.isRecording());
    key(kUp, 0x76);
    recorder.onMouseEvent(0x201, 0);
    recorder.stopRecording(KeyChord{0x76});
    EXPECT_EQ(recorder.kept(), (std::vector<Kept>{{Mouse, 0x01, 0}, {Key, kDown, kVkA}, {Key, kUp, kVkA},
                                                  {Mouse, 0x02, 0}}));
}

TEST_F(StopKeyListenerTest, WithoutKeysOnlyTheMouseIsKept)
{
    TestListener& recorder = make(KeyChord{0x76});
    recorder.startRecording();
    key(kDown, kVkA);
    key(kUp, kVkA);
    recorder.onMouseEvent(0x204, 0);
    recorder.stopRecording(KeyChord{});
    EXPECT_EQ(recorder.kept(), (std::vector<Kept>{{Mouse, 0x04, 0}}));
}

TEST_F(StopKeyListenerTest, TheEndingChordsUnreleasedPressesAndTheWaitBeforeThemAreTakenOut)
{
    TestListener& recorder = make(KeyChord{kVkS, true, true, false});
    recorder.recordKeys(true);
    recorder.clicksOnly(true);
    recorder.startRecording();
    key(kDown, kLeftControl, 0x11);  // a Control press and release of the user's: kept
    key(kUp, kLeftControl, 0x11);
    platform.sleepUntil(platform.now() + std::chrono::milliseconds(500));
    recorder.onMouseEvent(0x201, 0);
    recorder.onMouseEvent(0x202, 0);
    platform.sleepUntil(platform.now() + std::chrono::milliseconds(700));
    key(kDown, kLeftControl, 0x11);
    key(kDown, kLeftAlt, 0x12);
    key(kDown, kVkS);
    ASSERT_TRUE(stop);
    recorder.stopRecording(KeyChord{kVkS, true, true, false});
    const std::vector<Kept> kept = recorder.kept();
    ASSERT_EQ(kept.size(), 5u);
    EXPECT_EQ(kept[0], (Kept{Key, kDown, kLeftControl}));
    EXPECT_EQ(kept[1], (Kept{Key, kUp, kLeftControl}));
    EXPECT_EQ(kept[2].kind, Pause);
    EXPECT_EQ(kept[3], (Kept{Mouse, 0x01, 0}));
    EXPECT_EQ(kept[4], (Kept{Mouse, 0x02, 0}));
}

TEST_F(StopKeyListenerTest, ControlCThatInterruptedIsTakenOutWhateverCameBetween)
{
    TestListener& recorder = make(KeyChord{0x76});
    recorder.recordKeys(true);
    recorder.startRecording();
    key(kDown, kVkA);
    key(kDown, kLeftControl, 0x11);
    recorder.onMouseEvent(0x201, 0);
    key(kDown, 0x43);
    recorder.stopRecording(KeyChord{0x43, true, false, false});
    EXPECT_EQ(recorder.kept(), (std::vector<Kept>{{Key, kDown, kVkA}, {Mouse, 0x01, 0}}));
}

}  // namespace
