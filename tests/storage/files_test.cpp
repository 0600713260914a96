// files_test.cpp -- the file layer: regular files read whole up to a limit, the byte reader and
// its lines, and decimal numbers read as "%d" reads them
#include "game/files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "support/scratch.h"

namespace quarzil {
namespace {

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

TEST(ReadRegularFile, RefusesWhatIsNotARegularFileWithoutWaiting)
{
    const ScratchFolder folder("quarzil_files");
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string path;
        int error;
    };
    const Case cases[] = {
        {folder / "missing", ENOENT},
        {folder.path(), EINVAL},
        {fifo, EINVAL},   // would wait for a writer if opened blocking
        {"/dev/zero", EINVAL},
    };
    for (const Case& c : cases) {
        const FileBytes file = read_regular_file(c.path.c_str(), 100);
        EXPECT_EQ(file.error, c.error) << c.path << ": expected " << std::strerror(c.error) << ", got "
                                       << std::strerror(file.error);
        EXPECT_EQ(file.bytes, nullptr) << c.path;
        EXPECT_EQ(file.size, 0) << c.path;
        struct stat status;
        const int fd = open_regular_file(c.path.c_str(), status);
        EXPECT_EQ(fd, -1) << c.path;
        EXPECT_EQ(errno, c.error) << c.path;
    }
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
