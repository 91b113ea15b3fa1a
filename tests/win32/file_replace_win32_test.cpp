#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "system/file_replace.h"
#include "tests/core/temp_dir.h"
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

TEST(FileReplaceWin32, NonAsciiNamesAreWrittenAndReplacedUnderThatName)
{
    for (const char* name : {"脚本.tbcode", "点击 测试 1.tbcode", "Ärger-ёж-ü.tbcode"}) {
        TempDir dir;
        const std::string path = utf8Path(dir, name);
        std::string reason;
        ASSERT_TRUE(replaceFileContents(path, std::string(5000, 'x'), &reason)) << name << ": " << reason;
        ASSERT_TRUE(replaceFileContents(path, "LOGMOUSEPOS:5:7\n", &reason)) << name << ": " << reason;
        EXPECT_EQ(names(dir), std::vector<std::string>{name});
        EXPECT_EQ(contents(path), "LOGMOUSEPOS:5:7\n");
    }
}

TEST(FileReplaceWin32, ANameThatIsNotUtf8IsRefusedAndNothingIsCreated)
{
    TempDir dir;
    std::string reason;
    EXPECT_FALSE(replaceFileContents(dir.path.u8string() + "\\\xC5\xBD\xFF.tbcode", "new\n", &reason));
    EXPECT_NE(reason.find("UTF-8"), std::string::npos) << reason;
    EXPECT_EQ(names(dir), std::vector<std::string>{});
}

TEST(FileReplaceWin32, AMissingFolderIsNamedAsSuchWithTheSystemsText)
{
    TempDir dir;
    FileFailure failure;
    EXPECT_FALSE(replaceFileContents(utf8Path(dir, "gone\\x.tbcode"), "new\n", failure));
    EXPECT_EQ(failure.cause, FileFailureCause::NoSuchFolder);
    EXPECT_EQ(failure.step, "cannot create the file");
    EXPECT_FALSE(failure.systemText.empty());
    EXPECT_EQ(names(dir), std::vector<std::string>{});
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

TEST(FileReplaceWin32, ATargetHeldOpenWithoutDeleteSharingIsLeftIntactWithNoTemporary)
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
    EXPECT_NE(reason.find("cannot replace the file: "), std::string::npos) << reason;
    EXPECT_EQ(contents(path), "old\n");
    EXPECT_EQ(names(dir), std::vector<std::string>{"脚本.tbcode"});
}

}  // namespace
