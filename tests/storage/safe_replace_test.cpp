// safe_replace_test.cpp -- a file replaced without scores: by a rename that keeps its mode,
// under a lock that another holder can keep only so long (what cannot be replaced is refused in
// files_test's table of hostile paths)
#include "storage/safe_replace.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/scores_support.h"
#include "support/scratch.h"

namespace quarzil {
namespace {

using testing_support::read_file;
using testing_support::ScratchFolder;
using testing_support::write_file;

TEST(SafeReplace, RenamesANewFileOverTheOldKeepingItsModeAndNoTemporaryFile)
{
    const ScratchFolder folder("quarzil_replace");
    const std::string path = folder / "file";
    ASSERT_TRUE(write_file(path, "old"));
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    struct stat before{};
    ASSERT_EQ(stat(path.c_str(), &before), 0);

    char target[PATH_MAX];
    bool exists = false;
    FileFailure failure{"", 0};
    ASSERT_TRUE(find_replaceable(target, exists, path.c_str(), failure)) << failure.what << std::strerror(failure.error);
    EXPECT_TRUE(exists);
    const FileLock lock(target, folder.path().c_str(), 100);
    ASSERT_TRUE(lock.held());
    EXPECT_EQ(replace_file(target, exists, before, "new text", 8, failure), REPLACE_DONE)
        << failure.what << " " << std::strerror(failure.error);

    struct stat after{};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(read_file(path), "new text");
    EXPECT_NE(after.st_ino, before.st_ino) << "a new file, renamed over the old";
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(test::names_in(folder.path()), (std::vector<std::string>{"file", "file.lock"}));
}

TEST(SafeReplace, WaitsForALockHeldElsewhereAndGivesUp)
{
    const ScratchFolder folder("quarzil_replace");
    const std::string target = folder / "file";
    const int other = open((target + ".lock").c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    {
        const FileLock lock(target.c_str(), folder.path().c_str(), 50);
        EXPECT_FALSE(lock.held());
        EXPECT_TRUE(lock.timed_out());
    }
    close(other);   // releases the other holder's lock
    const FileLock lock(target.c_str(), folder.path().c_str(), 50);
    EXPECT_TRUE(lock.held());
    EXPECT_FALSE(lock.timed_out());
}

TEST(SafeReplace, ALockFileThatIsANamedPipeLocksWithoutWaiting)
{
    const ScratchFolder folder("quarzil_replace");
    const std::string target = folder / "file";
    ASSERT_EQ(mkfifo((target + ".lock").c_str(), 0600), 0);
    // In a child killed after ten seconds: an open that waits for the pipe's writer never returns.
    const test::ChildResult child = test::run_in_child([&] {
        const FileLock lock(target.c_str(), folder.path().c_str(), 50);
        return lock.held();
    });
    EXPECT_EQ(child.status, 0) << "expected the lock held at once, got " << test::describe_status(child.status);
}

}  // namespace
}  // namespace quarzil
