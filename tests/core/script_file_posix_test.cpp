// Reading script files where POSIX names more than regular files: named pipes, devices, folders
// and symbolic links.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include "script/script_file.h"
#include "temp_dir.h"

namespace {

TEST(ScriptFilePosix, RefusesWhatIsNotARegularFileWithoutBlocking)
{
    TempDir dir;
    const ScriptCodec codec;
    ASSERT_EQ(mkfifo(dir.file("pipe.tbcode").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(dir.file("folder.tbcode").c_str(), 0700), 0);
    ASSERT_EQ(symlink(dir.file("pipe.tbcode").c_str(), dir.file("link-to-pipe.tbcode").c_str()), 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir.file("pipe.tbcode"), "not a script file but a named pipe"},
        {dir.file("link-to-pipe.tbcode"), "not a script file but a named pipe"},
        {dir.file("folder.tbcode"), "not a script file but a folder"},
        {"/dev/null", "not a script file but a device"},
        {dir.file("missing.tbcode"), "No such file or directory"},
    };
    for (const auto& [path, problem] : cases) {
        std::vector<InputEvent> events;
        const ScriptFileResult result = readScriptFile(path, codec, &events);
        EXPECT_EQ(result.verdict, ScriptFileResult::Verdict::Unreadable) << path;
        EXPECT_EQ(result.problem, problem) << path;
    }
}

TEST(ScriptFilePosix, FollowsASymbolicLinkToARegularFile)
{
    TempDir dir;
    writeFile(dir.file("real.tbcode"), "LOGMOUSEPOS:7:8\n");
    ASSERT_EQ(symlink(dir.file("real.tbcode").c_str(), dir.file("link.tbcode").c_str()), 0);
    std::vector<InputEvent> events;
    EXPECT_EQ(readScriptFile(dir.file("link.tbcode"), ScriptCodec(), &events).verdict,
              ScriptFileResult::Verdict::Accepted);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].x, 7);
}

}  // namespace
