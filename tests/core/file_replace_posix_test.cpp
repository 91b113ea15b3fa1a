#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include "platform/file_replace.h"
#include "tests/core/temp_dir.h"

namespace {

// Caps the size of any file this process writes, so a write fails half-way even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = saved;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

TEST(FileReplace, WriteFailingHalfWayKeepsTheOldFileAndLeavesNoTemporary)
{
    TempDir dir;
    const std::string path = dir.file("script.tbcode");
    writeFile(path, "LOGMOUSEPOS:1:2\n");
    std::string reason;
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(replaceFileContents(path, std::string(100000, 'x'), &reason));
    }
    EXPECT_NE(reason.find("write"), std::string::npos) << reason;
    EXPECT_EQ(readFile(path), "LOGMOUSEPOS:1:2\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"script.tbcode"});
}

TEST(FileReplace, SavingThroughASymbolicLinkReplacesItsTarget)
{
    TempDir dir;
    const std::string target = dir.file("real.tbcode");
    writeFile(target, "old\n");
    std::filesystem::create_symlink(target, dir.file("link.tbcode"));
    ASSERT_TRUE(replaceFileContents(dir.file("link.tbcode"), "new\n", nullptr));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.tbcode")));
    EXPECT_EQ(readFile(target), "new\n");
}

}  // namespace
