#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/file_replace.h"
#include "tests/core/temp_dir.h"
// <windows.h> defines macros named like the constants of platform_input.h: it comes last.
#include <windows.h>

namespace {

namespace fs = std::filesystem;

// Paths are UTF-8 on both sides of replaceFileContents; std::filesystem keeps them wide.
std::string utf8Path(const TempDir& dir, const char* name)
{
    return (dir.path / fs::u8path(name)).u8string();
}

std::string contents(const std::string& path)
{
    std::ifstream in(fs::u8path(path), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void put(const std::string& path, const std::string& bytes)
{
    std::ofstream(fs::u8path(path), std::ios::binary) << bytes;
}

// The folder's entries as the wide-character API sees them, converted to UTF-8.
std::vector<std::string> names(const TempDir& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir.path))
        found.push_back(entry.path().filename().u8string());
    std::sort(found.begin(), found.end());
    return found;
}

TEST(FileReplaceWin32, NonAsciiNamesAreWrittenUnderThatName)
{
    for (const char* name : {"脚本.tbcode", "点击 测试 1.tbcode", "Ärger-ёж-ü.tbcode"}) {
        TempDir dir;
        const std::string path = utf8Path(dir, name);
        std::string reason;
        ASSERT_TRUE(replaceFileContents(path, "LOGMOUSEPOS:5:7\n", &reason)) << name << ": " << reason;
        EXPECT_EQ(names(dir), std::vector<std::string>{name});
        EXPECT_EQ(contents(path), "LOGMOUSEPOS:5:7\n");
    }
}

TEST(FileReplaceWin32, ReplacesALongerFileWhole)
{
    TempDir dir;
    const std::string path = utf8Path(dir, "脚本.tbcode");
    put(path, std::string(5000, 'x'));
    std::string reason;
    ASSERT_TRUE(replaceFileContents(path, "LBUTTONDOWN:1:2\nLBUTTONUP:1:2\n", &reason)) << reason;
    EXPECT_EQ(contents(path), "LBUTTONDOWN:1:2\nLBUTTONUP:1:2\n");
    EXPECT_EQ(names(dir), std::vector<std::string>{"脚本.tbcode"});
}

// Opens the target the way an editor without delete sharing would, for as long as it lives.
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path)
        : file(CreateFileW(fs::u8path(path).wstring().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
    }
    ~HeldOpen() { CloseHandle(file); }
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;
    bool isOpen() const { return file != INVALID_HANDLE_VALUE; }

private:
    HANDLE file;
};

struct FailureCase {
    const char* what;
    std::function<std::string(const TempDir&)> prepare;  // returns the path to save to
    const char* reasonMentions;
};

TEST(FileReplaceWin32, FailuresLeaveNoTemporaryAndSayWhy)
{
    const std::vector<FailureCase> cases = {
        {"missing folder", [](const TempDir& dir) { return utf8Path(dir, "无此目录") + "\\脚本.tbcode"; }, "create"},
        {"target is a folder",
         [](const TempDir& dir) {
             fs::create_directory(fs::u8path(utf8Path(dir, "脚本.tbcode")));
             return utf8Path(dir, "脚本.tbcode");
         },
         "replace"},
        {"name is not UTF-8", [](const TempDir& dir) { return dir.path.u8string() + "\\\xC5\xBD\xFF.tbcode"; },
         "UTF-8"},
        {"no name", [](const TempDir&) { return std::string(); }, "no file name"},
    };
    for (const FailureCase& failure : cases) {
        SCOPED_TRACE(failure.what);
        TempDir dir;
        const std::string path = failure.prepare(dir);
        const std::vector<std::string> before = names(dir);
        std::string reason;
        EXPECT_FALSE(replaceFileContents(path, "new\n", &reason));
        EXPECT_NE(reason.find(failure.reasonMentions), std::string::npos) << reason;
        EXPECT_EQ(names(dir), before);
    }
}

TEST(FileReplaceWin32, ATargetHeldOpenWithoutDeleteSharingIsLeftIntact)
{
    TempDir dir;
    const std::string path = utf8Path(dir, "脚本.tbcode");
    put(path, "old\n");
    std::string reason;
    {
        HeldOpen editor(path);
        ASSERT_TRUE(editor.isOpen());
        EXPECT_FALSE(replaceFileContents(path, "new\n", &reason));
    }
    EXPECT_NE(reason.find("replace"), std::string::npos) << reason;
    EXPECT_EQ(contents(path), "old\n");
    EXPECT_EQ(names(dir), std::vector<std::string>{"脚本.tbcode"});
}

}  // namespace
