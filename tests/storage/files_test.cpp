// files_test.cpp -- the file layer: regular files read whole up to a limit, what is no regular
// file refused for reading and replacing, the byte reader and its lines, and decimal numbers read
// as "%d" reads them
#include "storage/files.h"
#include "storage/safe_replace.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "game/scores_support.h"
#include "support/scratch.h"

namespace quarzil {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing_support::ScratchFolder;
using testing_support::write_file;

TEST(ReadRegularFile, ReadsTheWholeFileOrItsFirstLimitBytes)
{
    const ScratchFolder folder("quarzil_files");
    const std::string big(10000, 'x');
    struct Case {
        const char* label;
        std::string content;
        long limit;
        std::string expected;
    };
    const Case cases[] = {
        {"an empty file", "", 100, ""},
        {"a short file", "ann 5 1\n", 100, "ann 5 1\n"},
        {"a file exactly as long as the limit", "abcd", 4, "abcd"},
        {"a file longer than the limit", "abcdef", 4, "abcd"},
        {"a file longer than the first buffer", big + "y", 20000, big + "y"},
        {"a long file cut past the first buffer", big, 9000, big.substr(0, 9000)},
        {"zero bytes wanted", "abc", 0, ""},
    };
    for (const Case& c : cases) {
        const std::string path = folder / "file";
        ASSERT_TRUE(write_file(path, c.content)) << path;
        const FileBytes file = read_regular_file(path.c_str(), c.limit);
        EXPECT_EQ(file.error, 0) << c.label;
        EXPECT_EQ(file.size, static_cast<long>(c.expected.size())) << c.label;
        if (file.size == static_cast<long>(c.expected.size()) && file.size > 0) {
            EXPECT_EQ(std::string(file.bytes.get(), file.size), c.expected) << c.label;
        }
        EXPECT_TRUE(S_ISREG(file.status.st_mode)) << c.label << ": the file's status";
    }
}

// Every path a player's home may hold in place of a file, as reading takes it and as a save
// that would replace it takes it. Reading runs in a child killed after ten seconds, so that an
// open that waits for a pipe's writer fails the test rather than hanging it.
TEST(HostilePaths, OnlyARegularFileIsReadOrReplaced)
{
    const ScratchFolder folder("quarzil_files");
    ASSERT_TRUE(write_file(folder / "plain", "ann 5 1\n"));
    ASSERT_EQ(mkdir((folder / "folder").c_str(), 0700), 0);
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    const auto link = [&](const std::string& name, const std::string& to) {
        EXPECT_EQ(symlink(to.c_str(), (folder / name).c_str()), 0) << name;
        return folder / name;
    };
    constexpr const char* replaceable = nullptr;
    const char* const not_regular = "it is not a regular file";
    struct Case {
        std::string path;
        int read_error;           // what reading fails with, or 0
        const char* replace_what; // why a save refuses it, or replaceable
        bool exists;              // for a replaceable path: whether there is a file yet
    };
    const Case cases[] = {
        {folder / "plain", 0, replaceable, true},
        {link("to_plain", "plain"), 0, replaceable, true},
        {folder / "missing", ENOENT, replaceable, false},
        {folder / "folder", EINVAL, not_regular, false},
        {folder / "fifo", EINVAL, not_regular, false},   // would wait for a writer if opened blocking
        {"/dev/zero", EINVAL, not_regular, false},       // endless
        {link("to_zero", "/dev/zero"), EINVAL, not_regular, false},
        {link("to_fifo", "fifo"), EINVAL, not_regular, false},
        {link("dangling", "missing"), ENOENT, "it is a symbolic link that leads nowhere", false},
    };
    for (const Case& c : cases) {
        const test::ChildResult reading = test::run_in_child([&c] {
            const FileBytes file = read_regular_file(c.path.c_str(), 100);
            struct stat status;
            const int descriptor = open_regular_file(c.path.c_str(), status);
            const int open_error = errno;
            if (descriptor >= 0) close(descriptor);
            const bool read = c.read_error == 0;
            const bool as_expected = file.error == c.read_error && (file.bytes != nullptr) == read &&
                                     (file.size > 0) == read && (descriptor >= 0) == read &&
                                     (read || open_error == c.read_error);
            if (!as_expected)
                std::fprintf(stderr, "expected %s, got %s (%ld bytes) and from open_regular_file %s",
                             read ? "the file read" : std::strerror(c.read_error), std::strerror(file.error),
                             file.size, descriptor >= 0 ? "a descriptor" : std::strerror(open_error));
            return as_expected;
        });
        EXPECT_EQ(reading.status, 0) << c.path << ": " << test::describe_status(reading.status) << ": "
                                     << reading.error_output;

        char target[PATH_MAX];
        bool exists = !c.exists;
        FileFailure failure{"", 0};
        const bool found = find_replaceable(target, exists, c.path.c_str(), failure);
        if (c.replace_what == replaceable) {
            EXPECT_TRUE(found) << c.path << ": expected replaceable, got \"" << failure.what << "\" "
                               << std::strerror(failure.error);
            EXPECT_EQ(exists, c.exists) << c.path;
        } else {
            EXPECT_FALSE(found) << c.path << ": expected refused, got replaceable";
            EXPECT_STREQ(failure.what, c.replace_what) << c.path;
        }
    }
    char target[PATH_MAX];
    bool exists = false;
    FileFailure failure{"", 0};
    ASSERT_TRUE(find_replaceable(target, exists, (folder / "to_plain").c_str(), failure));
    EXPECT_EQ(std::string(target), fs::canonical(folder / "plain").string()) << "a link's file is replaced, not the link";
}

// A file of the given bytes, open for reading, that a ByteReader is pointed at; closed with the
// object.
class ReaderFile {
public:
    explicit ReaderFile(const std::string& bytes) : path(folder / "lines")
    {
        EXPECT_TRUE(write_file(path, bytes)) << path;
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        EXPECT_GE(fd, 0) << path;
        start_reading(reader, fd);
    }
    ~ReaderFile() { close(fd); }
    ReaderFile(const ReaderFile&) = delete;
    ReaderFile& operator=(const ReaderFile&) = delete;

    const ScratchFolder folder{"quarzil_files"};
    const std::string path;
    int fd = -1;
    ByteReader reader;
};

TEST(ReadLine, CutsAtItsCapacityAndDropsTheRestOfTheLine)
{
    ReaderFile file("abcdefgh\nxy\n\nP6\0x\nlast"s);
    struct Line {
        std::string text;
        int length;
    };
    const Line expected[] = {{"abc", 3}, {"xy", 2}, {"", 0}, {"P6\0"s, 3}, {"las", 3}, {"", 0}};
    for (const Line& line : expected) {
        char buffer[4];
        std::memset(buffer, 'Z', sizeof buffer);
        EXPECT_EQ(read_line(file.reader, buffer, sizeof buffer), line.length) << "line \"" << line.text << "\"";
        EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(line.length) + 1), line.text + '\0');
    }
    EXPECT_EQ(read_byte(file.reader), -1);
    EXPECT_EQ(read_byte(file.reader), -1) << "the end of the file is reported again";
}

TEST(ReadByte, ReadsAgainAfterTheEndOfTheFile)
{
    ReaderFile file("a");
    EXPECT_EQ(read_byte(file.reader), 'a');
    EXPECT_EQ(read_byte(file.reader), -1);
    ASSERT_TRUE(write_file(file.path, "ab"));
    EXPECT_EQ(read_byte(file.reader), 'b') << "what the file has grown by";
}

TEST(ReadByte, StopsReadingAfterAReadError)
{
    // An empty pipe that does not block: read() fails with EAGAIN.
    int ends[2];
    ASSERT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
    ByteReader reader;
    start_reading(reader, ends[0]);
    EXPECT_EQ(read_byte(reader), -1);
    ASSERT_EQ(write(ends[1], "x", 1), 1);
    EXPECT_EQ(read_byte(reader), -1) << "no read() after the error, though a byte now waits";
    start_reading(reader, ends[0]);
    EXPECT_EQ(read_byte(reader), 'x') << "until the reader starts again";
    close(ends[0]);
    close(ends[1]);
}

TEST(ReadInt, ReadsAsPercentDDoesAndStopsWhereItStopped)
{
    struct Case {
        std::string text;
        bool read;
        int value;       // when read
        long position;   // where the reading stopped, read or not
    };
    const Case cases[] = {
        {"42", true, 42, 2},
        {"  \t\n-7 x", true, -7, 6},
        {"+13", true, 13, 3},
        {"2147483647", true, 2147483647, 10},
        {"-2147483648", true, -2147483647 - 1, 11},
        {"2147483648 1", false, 0, 10},               // too large: consumed whole
        {"-99999999999999999999999 1", false, 0, 24},
        {"", false, 0, 0},
        {"   ", false, 0, 3},
        {"x1", false, 0, 0},
        {" -x", false, 0, 2},                         // the sign is taken, the x is not
        {"12\0" "34"s, true, 12, 2},
        {"007", true, 7, 3},
    };
    for (const Case& c : cases) {
        long position = 0;
        int value = -12345;
        const bool read = read_int(c.text.data(), static_cast<long>(c.text.size()), position, value);
        EXPECT_EQ(read, c.read) << "\"" << c.text << "\"";
        EXPECT_EQ(value, c.read ? c.value : -12345) << "\"" << c.text << "\"";
        EXPECT_EQ(position, c.position) << "\"" << c.text << "\": where the reading stopped";
    }
    // Bytes from length on are not read.
    long position = 0;
    int value = 0;
    EXPECT_TRUE(read_int("123", 2, position, value));
    EXPECT_EQ(value, 12);
}

}  // namespace
}  // namespace quarzil
