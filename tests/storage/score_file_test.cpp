// score_file_test.cpp -- the score file saved: how a save treats the lock, the umask, owners,
// permissions and a leftover temporary file
#include "storage/score_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "game/scores_support.h"
#include "support/scratch.h"

namespace quarzil {
namespace {

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::write_file;
using test::describe_status;
using test::names_in;
using test::run_in_child;

// The game as a player runs it: reads the table at start-up, ends a game of 7 points, which
// takes a row, and saves it with Enter.
bool play_and_save_a_row()
{
    load_scores();
    score = 7;
    end_game();
    name_entry_key(13);
    return true;
}

class Saving : public test::ScoresTest {
protected:
    // A table of one row, as the game holds it after the player has entered it.
    void earn_a_row()
    {
        score = 42;
        level = 5;
        std::strcpy(player_name, "new");
        end_game();
        name_entry_key('!');
    }
};

// The score file as a save writes a table whose only row is "new!".
std::string table_text()
{
    return test::file_text({{"new!", 42, 5}});
}

mode_t mode_of(const std::string& path)
{
    struct stat status{};
    stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

TEST_F(Saving, NewFilesHonourTheUmask)
{
    struct Case {
        mode_t mask;
        mode_t expected;
    };
    const Case cases[] = {{022, 0644}, {077, 0600}, {002, 0664}, {0, 0666}};
    earn_a_row();
    for (const Case& c : cases) {
        fs::remove(score_file());
        fs::remove(lock_file());
        load_scores();
        earn_a_row();
        const mode_t old_mask = umask(c.mask);
        save_scores();
        umask(old_mask);
        EXPECT_EQ(mode_of(score_file()), c.expected) << "the score file under umask 0" << std::oct << c.mask;
        EXPECT_EQ(mode_of(lock_file()), c.expected) << "the lock file under umask 0" << std::oct << c.mask;
        EXPECT_EQ(read_file(score_file()), table_text());
    }
}

struct Owner {
    uid_t uid;
    gid_t gid;
};

Owner owner_of(const std::string& path)
{
    struct stat status{};
    lstat(path.c_str(), &status);
    return {status.st_uid, status.st_gid};
}

bool owned_by_player(const std::string& path)
{
    const Owner owner = owner_of(path);
    return owner.uid == test::player_uid() && owner.gid == test::player_gid();
}

TEST_F(Saving, RootSavingInThePlayersHomeLeavesEveryFileThePlayers)
{
    if (!test::running_as_root()) GTEST_SKIP() << "needs root, to give files to another user";
    give_home_to_player();
    for (const bool file_existed : {true, false}) {
        const char* const label = file_existed ? "the player's file" : "no file yet";
        for (const auto& item : fs::directory_iterator(home)) fs::remove(item.path());
        if (file_existed) {
            write_file(score_file(), "old 1 1\n");
            ASSERT_EQ(chown(score_file().c_str(), test::nobody, test::nobody), 0) << std::strerror(errno);
            chmod(score_file().c_str(), 0640);
        }
        load_scores();
        earn_a_row();
        const mode_t old_mask = umask(077);   // root's own files would then be closed to the player
        save_scores();
        umask(old_mask);

        EXPECT_TRUE(owned_by_player(score_file())) << label << ": owner " << owner_of(score_file()).uid;
        EXPECT_TRUE(owned_by_player(lock_file())) << label << ": lock file owner " << owner_of(lock_file()).uid;
        EXPECT_EQ(mode_of(score_file()), file_existed ? 0640u : 0600u) << label;
        EXPECT_EQ(test::lines_of(read_file(score_file()))[0], "new! 42 5") << label;

        // The player's own next save goes through.
        const test::ChildResult player = run_in_child(
            [] {
                load_scores();
                std::strcpy(player_name, "own");
                score = 7;
                level = 1;
                end_game();
                name_entry_key(13);
                return true;
            },
            true);
        EXPECT_EQ(player.status, 0) << label << ": " << describe_status(player.status);
        EXPECT_EQ(player.error_output, "") << label;
        EXPECT_EQ(test::lines_of(read_file(score_file()))[1], "own 7 1") << label << ": the player's row";
    }
}

TEST_F(Saving, AFileWhoseOwnerCannotBeKeptIsLeftAlone)
{
    if (!test::running_as_root()) GTEST_SKIP() << "needs root, to put a file of another user in the player's home";
    give_home_to_player();
    write_file(score_file(), "root 1 1\n");
    chmod(score_file().c_str(), 0666);
    struct stat before{};
    stat(score_file().c_str(), &before);

    const test::ChildResult player = run_in_child(play_and_save_a_row, true);

    struct stat after{};
    stat(score_file().c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino) << "the file was replaced";
    EXPECT_EQ(after.st_uid, 0u);
    EXPECT_EQ(read_file(score_file()), "root 1 1\n");
    EXPECT_FALSE(fs::exists(temporary_file()));
    EXPECT_EQ(player.error_output, "Couldn't save the high scores to " + score_file() +
                                       ": its owner and group cannot be kept: Operation not permitted\n");
}

TEST_F(Saving, AFileThePlayerMayNotReadAndWriteIsLeftAlone)
{
    struct Case {
        const char* label;
        mode_t mode;
    };
    const Case cases[] = {{"write-only", 0200}, {"read-only", 0400}, {"neither", 0000}};
    give_home_to_player();
    for (const Case& c : cases) {
        for (const auto& item : fs::directory_iterator(home)) fs::remove(item.path());
        write_file(score_file(), "ann 120 4\n");
        if (test::running_as_root()) {
            ASSERT_EQ(chown(score_file().c_str(), test::nobody, test::nobody), 0) << std::strerror(errno);
        }
        chmod(score_file().c_str(), c.mode);

        // The game as the player: reads what it may at start-up, enters a row and saves it.
        const test::ChildResult player = run_in_child(play_and_save_a_row, true);

        EXPECT_EQ(player.status, 0) << c.label << ": " << describe_status(player.status);
        chmod(score_file().c_str(), 0600);
        EXPECT_EQ(read_file(score_file()), "ann 120 4\n") << c.label;
        EXPECT_EQ(names_in(home), std::vector<std::string>{".quarzilscores"}) << c.label;
        EXPECT_EQ(player.error_output, "Couldn't save the high scores to " + score_file() + ": Permission denied\n")
            << c.label;
    }
}

TEST_F(Saving, ALeftoverTemporaryFileIsReplacedByTheNextSave)
{
    struct Case {
        const char* label;
        mode_t mode;
        bool of_another_user;
    };
    const Case cases[] = {{"the player's", 0644, false}, {"unreadable", 0, false}, {"another user's", 0600, true}};
    for (const Case& c : cases) {
        if (c.of_another_user && !test::running_as_root()) continue;
        give_home_to_player();
        for (const auto& item : fs::directory_iterator(home)) fs::remove(item.path());
        // What a save killed after writing half a table leaves.
        write_file(temporary_file(), "half 1 1\n. 0");
        chmod(temporary_file().c_str(), c.mode);
        if (test::running_as_root()) {
            const uid_t owner = c.of_another_user ? 0 : test::nobody;
            ASSERT_EQ(chown(temporary_file().c_str(), owner, owner), 0) << std::strerror(errno);
        }
        load_scores();
        const test::ChildResult player = run_in_child(
            [] {
                score = 42;
                level = 5;
                std::strcpy(player_name, "new");
                end_game();
                name_entry_key('!');
                name_entry_key(13);
                return true;
            },
            true);
        EXPECT_EQ(player.error_output, "") << c.label;
        EXPECT_EQ(names_in(home), (std::vector<std::string>{".quarzilscores", ".quarzilscores.lock"})) << c.label;
        EXPECT_EQ(read_file(score_file()), table_text()) << c.label;
    }
}

// Waits until process sleeps in clock_nanosleep, which a save does only between two tries for a
// lock that another holds: /proc/<pid>/syscall begins with the number of the call the process
// is in. The process is first let say that it is starting, through ready. Gives up after ten
// seconds (a save that has not tried by then is broken).
bool wait_until_waiting_for_lock(pid_t process, int ready)
{
    char started = 0;
    if (read(ready, &started, 1) != 1) return false;
    const std::string syscall_file = "/proc/" + std::to_string(process) + "/syscall";
    for (int attempt = 0; attempt < 10'000; ++attempt) {
        const std::string call = read_file(syscall_file);
        if (!call.empty() && std::atol(call.c_str()) == SYS_clock_nanosleep) return true;
        if (waitpid(process, nullptr, WNOHANG) == process) return false;   // it finished instead
        usleep(1000);
    }
    return false;
}

TEST_F(Saving, ASaveWaitsForAnotherCopysLockAndGivesUpOnOneNeverReleased)
{
    write_file(score_file(), "ann 120 4\n");
    load_scores();
    earn_a_row();
    // Another copy in the middle of its save: it holds the lock.
    write_file(lock_file(), "");
    const int other_copy = open(lock_file().c_str(), O_RDONLY);
    ASSERT_GE(other_copy, 0);
    ASSERT_EQ(flock(other_copy, LOCK_EX), 0);

    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t waiting = fork();
    if (waiting == 0) {
        close(ready[0]);
        const bool told = write(ready[1], "s", 1) == 1;
        save_scores();
        _exit(told ? 0 : 1);
    }
    close(ready[1]);
    const bool waited = wait_until_waiting_for_lock(waiting, ready[0]);
    close(ready[0]);
    EXPECT_TRUE(waited) << "expected the save to wait for the lock, got it never waiting";
    EXPECT_EQ(read_file(score_file()), "ann 120 4\n") << "saved while another copy held the lock";
    flock(other_copy, LOCK_UN);
    int status = -1;
    waitpid(waiting, &status, 0);
    const std::vector<std::string> lines = test::lines_of(read_file(score_file()));
    EXPECT_EQ(lines.size() > 1 ? lines[1] : "(no second line)", "new! 42 5") << "once the lock was released";

    // A copy stopped in the middle of its save keeps the lock; this save gives up and says so.
    flock(other_copy, LOCK_EX);
    const std::string before = read_file(score_file());
    const test::ChildResult given_up = run_in_child([] {
        save_scores();
        return true;
    });
    close(other_copy);
    EXPECT_EQ(read_file(score_file()), before);
    EXPECT_EQ(given_up.error_output, "Couldn't save the high scores to " + score_file() +
                                         ": another copy of the game is saving and does not finish\n");
}

}  // namespace
}  // namespace quarzil
