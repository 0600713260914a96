// bank_test.cpp -- loading the sound files and opening the audio device, on SDL's dummy driver
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <SDL.h>

#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <thread>

#include "sound/sound.h"
#include "support/scratch.h"

namespace quarzil {
namespace {

namespace fs = std::filesystem;

// A scratch folder for the sound files, sound_dirs pointed into it, the dummy audio driver, and
// everything undone afterwards.
class Bank : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root / "a");
        fs::create_directories(root / "b");
        fs::create_directories(root / "cwd");
        old_cwd = fs::current_path();
        fs::current_path(root / "cwd");
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        saved_dirs = sound_dirs;
        set_dirs("{a}");
        for (SoundSample& sound : sound_bank)
            sound = {nullptr, 0};
    }

    void TearDown() override
    {
        close_sound();
        SDL_Quit();
        for (SoundSample& sound : sound_bank) {
            std::free(sound.pcm);
            sound = {nullptr, 0};
        }
        sound_dirs = saved_dirs;
        fs::current_path(old_cwd);
    }

    // Points sound_dirs at dirs, with "{a}" and "{b}" standing for the two directories.
    void set_dirs(const std::string& dirs)
    {
        dir_list = dirs;
        for (const char* name : {"a", "b"}) {
            const std::string key = std::string("{") + name + "}";
            for (size_t at; (at = dir_list.find(key)) != std::string::npos;)
                dir_list.replace(at, key.size(), (root / name).string());
        }
        sound_dirs = dir_list.c_str();
    }

    void write_file(const fs::path& path, std::string_view bytes)
    {
        EXPECT_TRUE(testing_support::write_file(path, bytes)) << path;
    }

    // A two-byte sound whose one sample is marker.
    void write_marker(const fs::path& path, int16_t marker)
    {
        const char bytes[] = {static_cast<char>(marker & 0xff), static_cast<char>(marker >> 8)};
        write_file(path, std::string_view(bytes, sizeof bytes));
    }

    // Runs open_sound; its result, and what it wrote on standard error in errors.
    int open(std::string& errors)
    {
        testing::internal::CaptureStderr();
        const int result = open_sound();
        errors = testing::internal::GetCapturedStderr();
        return result;
    }

    const testing_support::ScratchFolder scratch{"quarzil_bank"};
    const fs::path root = scratch.path();
    fs::path old_cwd;
    std::string dir_list;
    const char* saved_dirs = nullptr;
};

// Bytes 1, 2, 3, ... wrapping at 251, so that every sample differs from its neighbours.
std::string pattern_bytes(size_t count)
{
    std::string bytes(count, '\0');
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i % 251 + 1);
    return bytes;
}

struct SizeCase {
    const char* name;
    size_t bytes;
    int blocks;
};

void PrintTo(const SizeCase& c, std::ostream* out) { *out << c.name; }

class BankSize : public Bank, public testing::WithParamInterface<SizeCase> {};

TEST_P(BankSize, RoundsUpToWholeBlocksPaddedWithZeros)
{
    const SizeCase& c = GetParam();
    const std::string bytes = pattern_bytes(c.bytes);
    write_file(root / "a" / "row.raw", bytes);
    std::string errors;
    ASSERT_EQ(open(errors), 0) << errors;
    EXPECT_EQ(errors, "");

    const SoundSample& row = sound_bank[SND_ROW];
    ASSERT_EQ(row.blocks, c.blocks);
    if (c.blocks == 0) {
        EXPECT_EQ(row.pcm, nullptr) << "no samples, no buffer";
        return;
    }
    ASSERT_NE(row.pcm, nullptr);
    const auto* loaded = reinterpret_cast<const uint8_t*>(row.pcm);
    const size_t whole = c.bytes & ~size_t{1};
    for (size_t i = 0; i < static_cast<size_t>(c.blocks) * block_bytes; ++i) {
        const int expected = i < whole ? static_cast<uint8_t>(bytes[i]) : 0;
        ASSERT_EQ(loaded[i], expected) << "byte " << i << " of " << c.bytes;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, BankSize, testing::Values(
    SizeCase{"OneBlockExactly", 2048, 1},
    SizeCase{"OneSampleIntoASecondBlock", 2050, 2},
    SizeCase{"Empty", 0, 0},
    SizeCase{"OneByteIsNoSample", 1, 0},
    SizeCase{"OddLengthDropsTheLastByte", 3, 1},
    SizeCase{"ThreeBlocksAndABit", 3 * 2048 + 5, 4}),
    [](const testing::TestParamInfo<SizeCase>& info) { return std::string(info.param.name); });

// Which copy of row.raw is loaded for a list of directories. Markers: 1 in a, 2 in b,
// 3 in the current directory; 0 means none is found.
struct SearchCase {
    const char* name;
    const char* dirs;
    bool in_a, in_b, in_cwd;
    int loaded;
};

void PrintTo(const SearchCase& c, std::ostream* out) { *out << c.name; }

class BankSearch : public Bank, public testing::WithParamInterface<SearchCase> {};

TEST_P(BankSearch, TriesTheEntriesFromLeftToRight)
{
    const SearchCase& c = GetParam();
    if (c.in_a)
        write_marker(root / "a" / "row.raw", 1);
    if (c.in_b)
        write_marker(root / "b" / "row.raw", 2);
    if (c.in_cwd)
        write_marker(root / "cwd" / "row.raw", 3);
    set_dirs(c.dirs);
    std::string errors;
    ASSERT_EQ(open(errors), 0) << errors;
    EXPECT_EQ(errors, "");

    const SoundSample& row = sound_bank[SND_ROW];
    if (c.loaded == 0) {
        EXPECT_EQ(row.blocks, -1) << "dirs \"" << dir_list << "\"";
        EXPECT_EQ(row.pcm, nullptr);
        return;
    }
    ASSERT_EQ(row.blocks, 1) << "dirs \"" << dir_list << "\"";
    EXPECT_EQ(row.pcm[0], c.loaded) << "dirs \"" << dir_list << "\"";
}

INSTANTIATE_TEST_SUITE_P(Dirs, BankSearch, testing::Values(
    SearchCase{"SecondWhenOnlyThere", "{a},{b}", false, true, false, 2},
    SearchCase{"FirstWhenInBoth", "{a},{b}", true, true, false, 1},
    SearchCase{"TrailingSlashNotDoubled", "{a}/,{b}", true, true, false, 1},
    SearchCase{"NotFoundElsewhere", "{b}", true, false, true, 0},
    SearchCase{"LeadingEmptyEntryIsTheCurrentDirectory", ",{b}", false, true, true, 3},
    SearchCase{"EmptyEntryInTheMiddle", "{a},,{b}", false, true, true, 3},
    SearchCase{"EmptyListIsTheCurrentDirectory", "", false, false, true, 3},
    SearchCase{"TrailingCommaAddsNoEntry", "{b},", false, false, true, 0}),
    [](const testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

// Each sound's code and the file it is installed as: a list that gave a file to another code
// would play one sound for another.
TEST(SoundFiles, AreTheInstalledOnesByCode)
{
    const struct {
        SoundId sound;
        const char* file;
    } installed[] = {
        {SND_ROW, "row.raw"},
        {SND_DROP, "drop.raw"},
        {SND_BIGDROP, "bigdrop.raw"},
        {SND_SWAP, "swap.raw"},
        {SND_GAMEOVER, "gameover.raw"},
        {SND_ALERT, "alert.raw"},
        {SND_ILLEGAL, "illegal.raw"},
    };
    for (const auto& [sound, file] : installed)
        EXPECT_STREQ(sound_files[sound], file) << "sound " << sound;
}

TEST_F(Bank, LoadsEverySoundByItsOwnName)
{
    for (int sound = 0; sound < sound_count; ++sound)
        write_marker(root / "a" / sound_files[sound], static_cast<int16_t>(100 + sound));
    std::string errors;
    ASSERT_EQ(open(errors), 0) << errors;
    for (int sound = 0; sound < sound_count; ++sound) {
        ASSERT_EQ(sound_bank[sound].blocks, 1) << sound_files[sound];
        EXPECT_EQ(sound_bank[sound].pcm[0], 100 + sound) << sound_files[sound];
    }
}

TEST_F(Bank, PassesOverADirectoryWhereTheFileShouldBe)
{
    fs::create_directory(root / "a" / "row.raw");
    write_marker(root / "b" / "row.raw", 2);
    set_dirs("{a},{b}");
    std::string errors;
    ASSERT_EQ(open(errors), 0) << errors;
    ASSERT_EQ(sound_bank[SND_ROW].blocks, 1);
    EXPECT_EQ(sound_bank[SND_ROW].pcm[0], 2);
}

// A path of exactly 255 characters fits the 256-byte buffer with its NUL; one more does not,
// and that entry is passed over without harm.
struct PathCase {
    const char* name;
    int path_length;       // of entry + '/' + "row.raw"
    bool trailing_slash;   // the entry ends in '/' itself
    bool loads;            // from the long entry rather than from b
};

void PrintTo(const PathCase& c, std::ostream* out) { *out << c.name; }

class BankPathLength : public Bank, public testing::WithParamInterface<PathCase> {};

TEST_P(BankPathLength, SkipsAnEntryWhosePathWouldNotFit)
{
    const PathCase& c = GetParam();
    const std::string name = sound_files[SND_ROW];
    const size_t entry_length = static_cast<size_t>(c.path_length) - name.size() - (c.trailing_slash ? 0 : 1);
    // The entry is a directory "x" followed by as many 'd's as make up the length.
    const std::string prefix = (root / "x").string();
    ASSERT_LT(prefix.size() + 2, entry_length) << "temporary directory too deep for this test";
    std::string entry = prefix + std::string(entry_length - prefix.size() - (c.trailing_slash ? 1 : 0), 'd');
    fs::create_directories(entry);
    write_marker(fs::path(entry) / name, 5);
    write_marker(root / "b" / name, 2);
    if (c.trailing_slash)
        entry += '/';
    ASSERT_EQ(entry.size(), entry_length);
    set_dirs(entry + ",{b}");

    std::string errors;
    ASSERT_EQ(open(errors), 0) << errors;
    ASSERT_EQ(sound_bank[SND_ROW].blocks, 1);
    EXPECT_EQ(sound_bank[SND_ROW].pcm[0], c.loads ? 5 : 2);
}

INSTANTIATE_TEST_SUITE_P(Paths, BankPathLength, testing::Values(
    PathCase{"FullBuffer", 255, false, true},
    PathCase{"OneTooLong", 256, false, false},
    PathCase{"FullBufferOwnSlash", 255, true, true},
    PathCase{"OneTooLongOwnSlash", 256, true, false}),
    [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.name); });

// A row.raw that cannot be used; the sound is then silent and nothing is said.
enum class BadKind { MISSING, DIRECTORY, FIFO, DANGLING_LINK, UNREADABLE, SPARSE };

struct BadCase {
    const char* name;
    BadKind kind;
    long long size;   // of a sparse file
};

void PrintTo(const BadCase& c, std::ostream* out) { *out << c.name; }

class BankBadFile : public Bank, public testing::WithParamInterface<BadCase> {};

TEST_P(BankBadFile, LeavesTheSoundSilentAndSaysNothing)
{
    const BadCase& c = GetParam();
    const fs::path row = root / "a" / "row.raw";
    switch (c.kind) {
    case BadKind::MISSING:
        break;
    case BadKind::DIRECTORY:
        fs::create_directory(row);
        break;
    case BadKind::FIFO:
        ASSERT_EQ(mkfifo(row.c_str(), 0644), 0);
        break;
    case BadKind::DANGLING_LINK:
        fs::create_symlink(root / "nowhere.raw", row);
        break;
    case BadKind::UNREADABLE:
        if (geteuid() == 0)
            GTEST_SKIP() << "root reads a file of mode 000";
        write_file(row, pattern_bytes(2048));
        fs::permissions(row, fs::perms::none);
        break;
    case BadKind::SPARSE: {
        const int fd = ::open(row.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(ftruncate(fd, static_cast<off_t>(c.size)), 0) << "size " << c.size;
        close(fd);
        break;
    }
    }
    write_marker(root / "a" / "drop.raw", 7);

    std::string errors;
    ASSERT_EQ(open(errors), 0) << errors;
    EXPECT_EQ(errors, "");
    EXPECT_EQ(sound_bank[SND_ROW].blocks, -1);
    EXPECT_EQ(sound_bank[SND_ROW].pcm, nullptr);
    ASSERT_EQ(sound_bank[SND_DROP].blocks, 1) << "the next sound still loads";
    EXPECT_EQ(sound_bank[SND_DROP].pcm[0], 7);
}

constexpr long long gib = 1LL << 30;

INSTANTIATE_TEST_SUITE_P(Files, BankBadFile, testing::Values(
    BadCase{"Missing", BadKind::MISSING, 0},
    BadCase{"Directory", BadKind::DIRECTORY, 0},
    BadCase{"NamedPipe", BadKind::FIFO, 0},
    BadCase{"DanglingLink", BadKind::DANGLING_LINK, 0},
    BadCase{"Unreadable", BadKind::UNREADABLE, 0},
    BadCase{"BlocksWouldPassTwoGiB", BadKind::SPARSE, 2 * gib - 2046},
    BadCase{"LargestInt", BadKind::SPARSE, INT_MAX},
    BadCase{"TwoGiB", BadKind::SPARSE, 2 * gib},
    BadCase{"ThreeGiB", BadKind::SPARSE, 3 * gib},
    BadCase{"OneBlockPastFourGiB", BadKind::SPARSE, 4 * gib + 2048}),
    [](const testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

TEST_F(Bank, WithoutADeviceSaysSoOnceAndLoadsNothing)
{
    setenv("SDL_AUDIODRIVER", "no_such_driver", 1);
    write_marker(root / "a" / "row.raw", 1);
    sound_head.store(5);
    sound_tail.store(3);
    voice_block[3] = 2;
    voice_sound[3] = 4;

    std::string errors;
    EXPECT_EQ(open(errors), -1);
    const std::string expected = std::string("Couldn't open audio: ") + SDL_GetError() + "\n";
    EXPECT_EQ(errors, expected);

    EXPECT_EQ(sound_head.load(), 0);
    EXPECT_EQ(sound_tail.load(), 0);
    EXPECT_EQ(voice_block[3], 0);
    EXPECT_EQ(voice_sound[3], 0);
    EXPECT_EQ(sound_bank[SND_ROW].blocks, 0) << "no sound is loaded";
    EXPECT_NE(mix_buffer, nullptr) << "kept until close_sound";

    for (int request = 0; request < 40; ++request)
        play_sound(SND_ALERT);
    EXPECT_EQ(sound_head.load(), 40 % sound_slots);
    close_sound();
    EXPECT_EQ(mix_buffer, nullptr);
    close_sound();
}

TEST_F(Bank, CloseWithoutOpenDoesNothing)
{
    close_sound();
    EXPECT_EQ(mix_buffer, nullptr);
}

// Waits up to two seconds for the audio thread to take every pending request.
bool requests_taken()
{
    for (int wait = 0; wait < 200; ++wait) {
        if (sound_tail.load() == sound_head.load())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST_F(Bank, TheDeviceRunsTheMixerUntilClosed)
{
    write_file(root / "a" / "row.raw", pattern_bytes(3 * 2048));
    std::string errors;
    ASSERT_EQ(open(errors), 0) << errors;
    EXPECT_EQ(errors, "");
    ASSERT_NE(mix_buffer, nullptr);

    play_sound(SND_ROW);
    play_sound(SND_ILLEGAL);
    EXPECT_TRUE(requests_taken()) << "the callback runs once the device is open";

    close_sound();
    EXPECT_EQ(mix_buffer, nullptr);
    play_sound(SND_ROW);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));   // three buffers' time
    EXPECT_NE(sound_tail.load(), sound_head.load()) << "no callback after close_sound";
}

}  // namespace
}  // namespace quarzil
