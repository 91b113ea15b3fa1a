#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "system/file_replace.h"
#include "system/recovery_folder.h"
#include "system/posix/posix_file_calls.h"
#include "tests/core/file_size_limit.h"
#include "tests/core/temp_dir.h"

namespace {

using testing::ElementsAre;

// Runs `save` as a user without privileges (root bypasses file modes), in a child process when the
// test runs as root. Returns the failure's cause plus one, or 0 when the save succeeded.
int savedUnprivileged(const std::function<bool(FileFailure&)>& save)
{
    auto outcome = [&] {
        FileFailure failure;
        return save(failure) ? 0 : 1 + static_cast<int>(failure.cause);
    };
    if (geteuid() != 0)
        return outcome();
    const pid_t child = fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(100);
        _exit(outcome());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}

TEST(FileReplace, WriteFailingHalfWayKeepsTheOldFileAndSaysTheFileIsTooLarge)
{
    TempDir dir;
    const std::string path = dir.file("script.tbcode");
    writeFile(path, "LOGMOUSEPOS:1:2\n");
    FileFailure failure;
    {
        FileSizeLimit limit(1000);
        EXPECT_FALSE(replaceFileContents(path, std::string(100000, 'x'), failure));
    }
    EXPECT_EQ(failure.cause, FileFailureCause::FileTooLarge);
    EXPECT_EQ(failure.step, "cannot write the file");
    EXPECT_EQ(failure.systemText, std::strerror(EFBIG));
    EXPECT_EQ(readFile(path), "LOGMOUSEPOS:1:2\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"script.tbcode"});
}

TEST(FileReplace, AMissingFolderIsNamedAsSuchAndTheEnglishReasonCarriesTheSystemsText)
{
    TempDir dir;
    FileFailure failure;
    EXPECT_FALSE(replaceFileContents(dir.file("gone/x.tbcode"), "new\n", failure));
    EXPECT_EQ(failure.cause, FileFailureCause::NoSuchFolder);

    std::string reason;
    EXPECT_FALSE(replaceFileContents(dir.file("gone/x.tbcode"), "new\n", &reason));
    EXPECT_EQ(reason, std::string("cannot create the file: ") + std::strerror(ENOENT));
    EXPECT_TRUE(dir.entries().empty());
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

// The real calls, with one of them made to fail as a disk or a device would.
class FailingCalls : public testing::Test {
protected:
    static auto failWith(int error)
    {
        return [error](auto...) {
            errno = error;
            return -1;
        };
    }

    TempDir dir;
    PosixFileCalls calls;
    const std::string path = dir.file("script.tbcode");
};

TEST_F(FailingCalls, EachFailingStepIsReportedWithItsCauseAndTheOldFileStays)
{
    using Cause = FileFailureCause;
    const struct {
        const char* name;
        std::function<void(PosixFileCalls&)> breakCall;
        Cause cause;
        const char* step;
        int error;
    } cases[] = {
        {"disk full", [](PosixFileCalls& c) { c.pwrite = failWith(ENOSPC); }, Cause::DiskFull,
         "cannot write the file", ENOSPC},
        {"quota", [](PosixFileCalls& c) { c.pwrite = failWith(EDQUOT); }, Cause::QuotaExceeded,
         "cannot write the file", EDQUOT},
        {"fsync", [](PosixFileCalls& c) { c.fsync = failWith(EIO); }, Cause::Other,
         "cannot write the file to disk", EIO},
        {"close", [](PosixFileCalls& c) { c.close = failWith(EIO); }, Cause::Other, "cannot close the file", EIO},
        {"read-only file system", [](PosixFileCalls& c) { c.open = failWith(EROFS); },
         Cause::ReadOnlyFileSystem, "cannot create the file", EROFS},
        {"rename", [](PosixFileCalls& c) { c.rename = failWith(EACCES); }, Cause::NoPermission,
         "cannot replace the file", EACCES},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path, "old\n");
        PosixFileCalls broken;
        c.breakCall(broken);
        FileFailure failure;
        EXPECT_FALSE(replaceFileContents(path, "new\n", failure, broken));
        EXPECT_EQ(failure.cause, c.cause);
        EXPECT_EQ(failure.step, c.step);
        EXPECT_EQ(failure.systemText, std::strerror(c.error));
        EXPECT_EQ(failure.reason(), std::string(c.step) + ": " + std::strerror(c.error));
        EXPECT_EQ(readFile(path), "old\n");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"script.tbcode"});
    }
}

TEST_F(FailingCalls, TheFolderIsWrittenToDiskAfterTheRename)
{
    std::vector<std::string> trace;
    std::map<int, std::string> opened;
    const PosixFileCalls real;
    calls.open = [&](const char* name, int flags, mode_t mode) {
        const int fd = real.open(name, flags, mode);
        opened[fd] = (flags & O_DIRECTORY) ? "folder" : "file";
        return fd;
    };
    calls.fsync = [&](int fd) {
        trace.push_back("fsync " + opened[fd]);
        return real.fsync(fd);
    };
    calls.rename = [&](const char* from, const char* to) {
        trace.push_back("rename");
        return real.rename(from, to);
    };
    FileFailure failure;
    ASSERT_TRUE(replaceFileContents(path, "new\n", failure, calls)) << failure.reason();
    EXPECT_THAT(trace, ElementsAre("fsync file", "rename", "fsync folder"));
    EXPECT_EQ(readFile(path), "new\n");

    // A folder that cannot reach the disk is a failure; one whose file system cannot sync folders is not.
    for (const int error : {EIO, EINVAL}) {
        calls.fsync = [&, error](int fd) { return opened[fd] == "folder" ? failWith(error)() : real.fsync(fd); };
        EXPECT_EQ(replaceFileContents(path, "newer\n", failure, calls), error == EINVAL) << error;
    }
    EXPECT_EQ(failure.step, "cannot write the folder to disk");
}

// A folder where no temporary file can be made, holding a file that may be written.
class ReadOnlyFolder : public FailingCalls {
protected:
    ReadOnlyFolder()
    {
        writeFile(path, "old script\n");
        const PosixFileCalls real;
        calls.open = [real](const char* name, int flags, mode_t mode) {
            if (flags & O_CREAT) {
                errno = EACCES;
                return -1;
            }
            return real.open(name, flags, mode);
        };
    }
};

TEST_F(ReadOnlyFolder, AWritableFileIsRewrittenInPlace)
{
    chmod(path.c_str(), 0640);
    FileFailure failure;
    ASSERT_TRUE(replaceFileContents(path, "new\n", failure, calls)) << failure.reason();
    EXPECT_EQ(readFile(path), "new\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"script.tbcode"});
    struct stat info;
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(ReadOnlyFolder, AFailedRewriteIsReportedAndPutsTheOldBytesBack)
{
    const PosixFileCalls real;
    int writes = 0;
    // The new bytes get half-way, then the disk is full; the old ones fit in the space they had.
    calls.pwrite = [&](int fd, const void* data, size_t size, off_t offset) -> ssize_t {
        if (++writes == 2) {
            errno = ENOSPC;
            return -1;
        }
        return real.pwrite(fd, data, writes == 1 ? std::min<size_t>(size, 5) : size, offset);
    };
    FileFailure failure;
    EXPECT_FALSE(replaceFileContents(path, "a much longer new script\n", failure, calls));
    EXPECT_EQ(failure.cause, FileFailureCause::DiskFull);
    EXPECT_EQ(readFile(path), "old script\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"script.tbcode"});
}

TEST_F(ReadOnlyFolder, AFailedFsyncOfTheRewriteIsReported)
{
    calls.fsync = failWith(EIO);
    FileFailure failure;
    EXPECT_FALSE(replaceFileContents(path, "new\n", failure, calls));
    EXPECT_EQ(failure.step, "cannot write the file to disk");
}

TEST(FileReplaceUnprivileged, AReadOnlyFolderTakesAWritableFileButRefusesOthers)
{
    TempDir dir;
    const std::string writable = dir.file("writable.tbcode");
    const std::string readOnly = dir.file("read-only.tbcode");
    writeFile(writable, "old\n");
    writeFile(readOnly, "old\n");
    chmod(writable.c_str(), 0666);
    chmod(readOnly.c_str(), 0444);
    chmod(dir.path.c_str(), 0555);

    const int writableOutcome = savedUnprivileged(
        [&](FileFailure& failure) { return replaceFileContents(writable, "new\n", failure); });
    const int readOnlyOutcome = savedUnprivileged(
        [&](FileFailure& failure) { return replaceFileContents(readOnly, "new\n", failure); });
    const int newFileOutcome = savedUnprivileged(
        [&](FileFailure& failure) { return replaceFileContents(dir.file("new.tbcode"), "new\n", failure); });
    chmod(dir.path.c_str(), 0755);

    EXPECT_EQ(writableOutcome, 0);
    EXPECT_EQ(readFile(writable), "new\n");
    EXPECT_EQ(readOnlyOutcome, 1 + static_cast<int>(FileFailureCause::NoPermission));
    EXPECT_EQ(readFile(readOnly), "old\n");
    EXPECT_EQ(newFileOutcome, 1 + static_cast<int>(FileFailureCause::NoPermission));
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"read-only.tbcode", "writable.tbcode"}));
}

// The folder recordings are rescued to: XDG's data home when it is absolute, else under HOME.
TEST(RecoveryFolderPosix, FollowsXdgDataHomeThenHome)
{
    const struct {
        const char *dataHome, *home, *folder, *unsetVariable;  // nullptr: unset
    } cases[] = {
        {"/data", "/home/u", "/data/tamblo", ""},
        {nullptr, "/home/u", "/home/u/.local/share/tamblo", ""},
        {"data", "/home/u", "/home/u/.local/share/tamblo", ""},  // a relative one is ignored
        {"", "/home/u", "/home/u/.local/share/tamblo", ""},
        {"/data", nullptr, "/data/tamblo", ""},
        {nullptr, "", "", "HOME"},
        {"data", nullptr, "", "HOME"},
    };
    const auto put = [](const char* name, const char* value) { value ? setenv(name, value, 1) : unsetenv(name); };
    const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const std::string savedDataHome = dataHome ? dataHome : "";
    for (const auto& c : cases) {
        put("XDG_DATA_HOME", c.dataHome);
        put("HOME", c.home);
        EXPECT_EQ(recoveryFolder().path, c.folder) << (c.dataHome ? c.dataHome : "-") << " " << (c.home ? c.home : "-");
        EXPECT_EQ(recoveryFolder().unsetVariable, c.unsetVariable);
    }
    put("XDG_DATA_HOME", dataHome ? savedDataHome.c_str() : nullptr);
    put("HOME", home.c_str());
}

}  // namespace
