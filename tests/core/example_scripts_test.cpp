#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "script/script_codec.h"
#include "script/script_file.h"

// The example scripts that the packages ship: each must be accepted as a whole, fit on a small
// screen and end with every button and key it pressed released again (a pass that ends normally
// releases nothing by itself).
namespace {

namespace fs = std::filesystem;

constexpr int kSmallScreenWidth = 1280;
constexpr int kSmallScreenHeight = 800;

std::vector<std::string> exampleNames()
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::u8path(TAMBLO_EXAMPLES_DIR)))
        if (entry.path().extension() == ".tbcode")
            names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

// Injection flags of a read button line: which button goes down, which comes up.
struct ButtonFlags {
    std::uint8_t down;
    std::uint8_t up;
};
constexpr ButtonFlags kButtons[] = {{0x02, 0x04}, {0x08, 0x10}, {0x20, 0x40}};
constexpr std::uint8_t kKeyUpFlag = 0x02;

class ExampleScript : public testing::TestWithParam<std::string> {};

TEST_P(ExampleScript, IsAcceptedFitsOnScreenAndReleasesWhatItPresses)
{
    // Read as the window and tamblo-cli read a script.
    const std::string path = (fs::u8path(TAMBLO_EXAMPLES_DIR) / GetParam()).u8string();
    std::vector<InputEvent> events;
    const ScriptFileResult result = readScriptFile(path, ScriptCodec(), &events);
    ASSERT_EQ(result.verdict, ScriptFileResult::Verdict::Accepted)
        << result.problem << " line " << result.refusedLine << ": " << result.refusedText;
    ASSERT_FALSE(events.empty());

    std::set<int> buttonsDown;
    std::set<int> keysDown;
    for (const InputEvent& event : events) {
        if (isKind(event, EventKind::Sleep))
            continue;
        EXPECT_LT(event.x, kSmallScreenWidth);
        EXPECT_LT(event.y, kSmallScreenHeight);
        if (isKind(event, EventKind::Key)) {
            if (event.code & kKeyUpFlag)
                keysDown.erase(event.value);
            else
                keysDown.insert(event.value);
        } else if (isKind(event, EventKind::MouseButton)) {
            for (int button = 0; button < 3; ++button) {
                if (event.code == kButtons[button].down)
                    buttonsDown.insert(button);
                if (event.code == kButtons[button].up)
                    buttonsDown.erase(button);
            }
        }
    }
    EXPECT_TRUE(buttonsDown.empty()) << "a button is still down at the end";
    EXPECT_TRUE(keysDown.empty()) << "a key is still down at the end";
}

INSTANTIATE_TEST_SUITE_P(Shipped, ExampleScript, testing::ValuesIn(exampleNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = fs::u8path(info.param).stem().u8string();
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
