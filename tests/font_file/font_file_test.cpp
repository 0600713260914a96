// font_file_test.cpp -- the font image file: the PPM reader, finding and packing glyphs, and text
// widths, without OpenGL
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "render/font_file.h"
#include "support/scratch.h"

namespace quarzil {
namespace {

using namespace std::string_literals;
using testing_support::ScratchFolder;
using testing_support::write_file;

// Open descriptors of this process, to see that the reader closes what it opens.
int open_descriptor_count()
{
    DIR* directory = opendir("/proc/self/fd");
    if (directory == nullptr) {
        return -1;
    }
    int count = 0;
    while (readdir(directory) != nullptr) {
        ++count;
    }
    closedir(directory);
    return count;
}

// Sample byte n of a test image: varied, so a shifted or misplaced byte shows.
uint8_t sample(std::size_t n)
{
    return static_cast<uint8_t>(n * 7 + 3);
}

std::string samples(std::size_t count)
{
    std::string bytes;
    for (std::size_t n = 0; n < count; ++n) {
        bytes += static_cast<char>(sample(n));
    }
    return bytes;
}

std::vector<uint8_t> sample_vector(std::size_t count)
{
    const std::string bytes = samples(count);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// The width and height read_bytes starts its image with, to see whether read_ppm wrote them.
constexpr int untouched = -7;

// read_ppm on a file of the given bytes; frees what it allocated.
struct ReadResult {
    int result;
    PpmImage image;
    std::vector<uint8_t> pixels;
};

ReadResult read_bytes(const std::string& bytes)
{
    const ScratchFolder folder("quarzil_font");
    const std::string path = folder / "bigfont.ppm";
    EXPECT_TRUE(write_file(path, bytes)) << path;
    ReadResult read{0, {nullptr, untouched, untouched}, {}};
    read.result = read_ppm(path.c_str(), read.image);
    if (read.result == 1 && read.image.pixels != nullptr) {
        const std::size_t size = static_cast<std::size_t>(read.image.width) * read.image.height * 3;
        read.pixels.assign(read.image.pixels, read.image.pixels + size);
        std::free(read.image.pixels);
    }
    return read;
}

TEST(ReadPpm, ReadsHeaderAndSamplesAcrossBufferRefills)
{
    // 40 × 20 pixels are 2400 bytes, more than one 2048-byte refill.
    const ReadResult read = read_bytes("P6\n40 20\n255\n" + samples(2400));
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.image.width, 40);
    EXPECT_EQ(read.image.height, 20);
    ASSERT_EQ(read.pixels.size(), 2400u);
    for (std::size_t n = 0; n < read.pixels.size(); ++n) {
        ASSERT_EQ(read.pixels[n], sample(n)) << "byte " << n;
    }
}

TEST(ReadPpm, AcceptsWhatTheHeaderRulesAllow)
{
    struct Case {
        const char* header;
        int width, height;
    };
    const Case cases[] = {
        {"P6\n2 1\n255\n", 2, 1},
        {"P6\n  2 1\n255\n", 2, 1},          // leading blanks
        {"P6\n2\t 1 junk 9\n255\n", 2, 1},   // any blanks between, anything after
        {"P6\n2 1\n# max\n", 2, 1},          // line 3 is ignored whatever it holds
        {"P6\n2 1\n\n", 2, 1},
        {"P6\n+2 1\n255\n", 2, 1},
    };
    for (const Case& c : cases) {
        const ReadResult read = read_bytes(std::string(c.header) + samples(6));
        EXPECT_EQ(read.result, 1) << "header " << c.header;
        EXPECT_EQ(read.image.width, c.width) << "header " << c.header;
        EXPECT_EQ(read.image.height, c.height) << "header " << c.header;
        EXPECT_EQ(read.pixels, sample_vector(6))
            << "header " << c.header;
    }
}

TEST(ReadPpm, RefusesBadHeadersAndClosesTheFile)
{
    const std::string long_blanks(9000, ' ');
    const std::string cases[] = {
        "",
        "P6",                                   // no line 2
        "P3\n2 1\n255\n",
        "p6\n2 1\n255\n",
        "P6\r\n2 1\r\n255\r\n",                 // CR LF line ends
        "P6 \n2 1\n255\n",                      // a blank after P6
        "P6\0\n2 1\n255\n"s,                    // a 0 byte after P6
        "P6\0P6\n2 1\n255\n"s,
        " P6\n2 1\n255\n",
        "P6\n# a comment\n2 1\n255\n",          // comment lines are not supported
        "P6" + long_blanks + "\n2 1\n255\n",    // cut to 8191 bytes, still not "P6"
        "P6\n2\n255\n",                         // one number
        "P6\n\n2 1\n255\n",
        "P6\nx 1\n255\n",
        "P6\n2 y\n255\n",
        "P6\n2,1\n255\n",
        "P6\n0 1\n255\n",                       // sizes below 1
        "P6\n1 0\n255\n",
        "P6\n-2 1\n255\n",
        "P6\n1 -2\n255\n",
        "P6\n99999999999 1\n255\n",             // beyond int
        "P6\n1 2147483648\n255\n",
        "P6\n2147483647 2147483647\n255\n",     // absurd: width × height × 3 overflows
        "P6\n100000 100000\n255\n",
        "P6\n4097 4097\n255\n",                 // just above 16 Mi pixels
        "P6\n16777217 1\n255\n",
    };
    const int descriptors = open_descriptor_count();
    for (const std::string& bytes : cases) {
        const ReadResult read = read_bytes(bytes + samples(6));
        EXPECT_EQ(read.result, 0) << "file \"" << bytes.substr(0, 40) << "\"";
        EXPECT_EQ(read.image.pixels, nullptr) << "file \"" << bytes.substr(0, 40) << "\"";
    }
    EXPECT_EQ(open_descriptor_count(), descriptors) << "descriptors left open";
}

TEST(ReadPpm, ReadsTheLargestImageAllowed)
{
    // 4096 × 4096 is exactly the cap; the file holds only its first row.
    const ReadResult read = read_bytes("P6\n4096 4096\n255\n" + samples(4096 * 3));
    ASSERT_EQ(read.result, 1);
    ASSERT_EQ(read.pixels.size(), 4096u * 4096u * 3u);
    EXPECT_EQ(read.pixels[4096 * 3 - 1], sample(4096 * 3 - 1));
    EXPECT_EQ(read.pixels[4096 * 3], 255);
    EXPECT_EQ(read.pixels.back(), 255);
}

TEST(ReadPpm, CutsAHeaderLineLongerThanItsBuffer)
{
    // The numbers stand at the start; the rest of the 9000-byte line is read and dropped, so
    // line 3 and the samples still follow in their places.
    const std::string line2 = "2 1" + std::string(9000, ' ') + "9 9";
    const ReadResult read = read_bytes("P6\n" + line2 + "\n255\n" + samples(6));
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.image.width, 2);
    EXPECT_EQ(read.image.height, 1);
    EXPECT_EQ(read.pixels, sample_vector(6));
}

TEST(ReadPpm, MissingBytesReadAs255)
{
    struct Case {
        std::string bytes;
        std::size_t given;   // samples present in the file
    };
    const Case cases[] = {
        {"P6\n2 2\n255\n" + samples(5), 5},
        {"P6\n2 2\n255\n", 0},
        {"P6\n2 2\n", 0},     // ends before line 3
        {"P6\n2 2", 0},       // ends inside line 2
    };
    for (const Case& c : cases) {
        const ReadResult read = read_bytes(c.bytes);
        ASSERT_EQ(read.result, 1) << "file \"" << c.bytes.substr(0, 20) << "\"";
        ASSERT_EQ(read.pixels.size(), 12u);
        for (std::size_t n = 0; n < 12; ++n) {
            EXPECT_EQ(read.pixels[n], n < c.given ? sample(n) : 255)
                << "byte " << n << " of a file with " << c.given << " samples";
        }
    }
}

TEST(ReadPpm, FailsOnAMissingFileADirectoryAndANamedPipe)
{
    const int descriptors = open_descriptor_count();
    PpmImage image{nullptr, 0, 0};
    EXPECT_EQ(read_ppm("/nonexistent/quarzil/bigfont.ppm", image), 0);
    EXPECT_EQ(read_ppm("/", image), 0);
    // A named pipe without a writer would block a plain open for ever.
    const ScratchFolder folder("quarzil_font");
    const std::string pipe = folder / "bigfont.ppm";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    EXPECT_EQ(read_ppm(pipe.c_str(), image), 0);
    EXPECT_EQ(image.pixels, nullptr);
    EXPECT_EQ(open_descriptor_count(), descriptors) << "descriptors left open";
}

TEST(ReadPpm, StoresTheSizeOnceLineTwoGivesBothNumbers)
{
    struct Case {
        std::string header;
        int result, width, height;
    };
    const Case cases[] = {
        {"P6\n2 1\n255\n", 1, 2, 1},
        {"P6\n4097 4097\n255\n", 0, 4097, 4097},   // too many pixels to allocate
        {"P6\n0 3\n255\n", 0, 0, 3},
        {"P6\n2\n255\n", 0, untouched, untouched},   // one number only
        {"P3\n2 1\n255\n", 0, untouched, untouched},
    };
    for (const Case& c : cases) {
        const ReadResult read = read_bytes(c.header + samples(6));
        EXPECT_EQ(read.result, c.result) << "header " << c.header;
        EXPECT_EQ(read.image.width, c.width) << "header " << c.header;
        EXPECT_EQ(read.image.height, c.height) << "header " << c.header;
    }
}

TEST(PackRgba, PutsTheBytesInMemoryAsRGBA)
{
    EXPECT_EQ(pack_rgba(0x11, 0x22, 0x33, 0x44), 0x44332211u);
    const uint32_t texel = pack_rgba(1, 2, 3, 4);
    uint8_t bytes[4];
    std::memcpy(bytes, &texel, sizeof bytes);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(bytes[3], 4);
}

TEST(GlyphIndex, MapsTheGlyphCharactersInOrder)
{
    fill_glyph_index();
    struct Case {
        char c;
        int glyph;
    };
    const Case cases[] = {
        {'A', 0},  {'Z', 25}, {'a', 26}, {'z', 51}, {'0', 52}, {'9', 61}, {'.', 62},
        {'!', 63}, {':', 64}, {'>', 65}, {'^', 66}, {'@', 67}, {'(', 68}, {')', 69},
        {' ', 70}, {'+', 71}, {'"', 72}, {'\'', 77}, {',', 79}, {'-', 80}, {'/', 81},
        {'?', 85}, {'\\', 87}, {'_', 89}, {'~', 94}, {'\0', -1}, {'\t', -1}, {'\x1f', -1},
        {'\x7f', -1}, {'\x80', -1}, {'\xe9', -1}, {'\xff', -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(glyph_of(c.c), c.glyph) << "character code " << int(static_cast<unsigned char>(c.c));
    }
}

// A glyph strip: column 0 and one column after each glyph hold the marker colour (magenta) in
// row 1; glyph pixels are never magenta nor black, the transparent colour of the last pixel.
struct Strip {
    std::vector<uint8_t> pixels;
    int width;
    int height;

    uint8_t* at(int column, int row) { return &pixels[(static_cast<std::size_t>(row) * width + column) * 3]; }
    PpmImage image() { return {pixels.data(), width, height}; }
};

std::array<uint8_t, 3> glyph_colour(int glyph, int k, int j)
{
    return {static_cast<uint8_t>(10 + glyph % 200), static_cast<uint8_t>(1 + k % 250),
            static_cast<uint8_t>(1 + j % 250)};
}

// trailing: columns after the last marker, which belong to no glyph.
Strip make_strip(const std::vector<int>& widths, int glyph_height, int trailing = 0)
{
    Strip strip;
    strip.width = 1 + trailing;
    for (const int width : widths) {
        strip.width += width + 1;
    }
    strip.height = glyph_height + 2;
    strip.pixels.assign(static_cast<std::size_t>(strip.width) * strip.height * 3, 90);
    const auto paint = [&](int column, int row, std::array<uint8_t, 3> colour) {
        std::memcpy(strip.at(column, row), colour.data(), 3);
    };
    paint(0, 1, {255, 0, 255});
    int column = 1;
    for (int glyph = 0; glyph < static_cast<int>(widths.size()); ++glyph) {
        for (int k = 0; k < widths[glyph]; ++k, ++column) {
            for (int j = 0; j < glyph_height; ++j) {
                paint(column, 1 + j, glyph_colour(glyph, k, j));
            }
        }
        paint(column++, 1, {255, 0, 255});
    }
    paint(strip.width - 1, strip.height - 1, {0, 0, 0});
    return strip;
}

std::array<uint8_t, 4> texel(int column, int row)
{
    std::array<uint8_t, 4> bytes;
    std::memcpy(bytes.data(), font_atlas + (static_cast<std::size_t>(row) * atlas_size + column) * 4, 4);
    return bytes;
}

// Every texel of glyph number glyph, against the strip's colours made opaque.
void expect_glyph_texels(int glyph)
{
    const Glyph& g = glyphs[glyph];
    for (int j = 0; j < g.height; ++j) {
        for (int k = 0; k < g.width; ++k) {
            const std::array<uint8_t, 3> colour = glyph_colour(glyph, k, j);
            const std::array<uint8_t, 4> expected = {colour[0], colour[1], colour[2], 255};
            ASSERT_EQ(texel(g.x + k, g.y + j), expected)
                << "glyph " << glyph << " pixel (" << k << ", " << j << ")";
        }
    }
}

class PackGlyphs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(allocate_font_atlas());
        fill_glyph_index();
    }
};

TEST_F(PackGlyphs, FindsGlyphsBetweenMarkers)
{
    // Glyph 1 lies between two adjacent markers; two columns trail the last marker.
    Strip strip = make_strip({3, 0, 2}, 4, 2);
    ASSERT_EQ(pack_glyphs(strip.image()), 3);
    EXPECT_EQ(font_height, 4);
    const int widths[] = {3, 0, 2};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(glyphs[i].width, widths[i]) << "glyph " << i;
        EXPECT_EQ(glyphs[i].height, 4) << "glyph " << i;
        EXPECT_EQ(glyphs[i].advance, static_cast<float>(static_cast<float>(widths[i] * 0.03) + 0.03))
            << "glyph " << i;
    }
    EXPECT_EQ(glyphs[1].advance, 0.03f);
    EXPECT_EQ(glyphs[3].width, 0);
    EXPECT_EQ(glyphs[3].advance, 0.0f) << "the trailing columns make no glyph";
}

TEST_F(PackGlyphs, KeepsNoGlyphWithoutAMarkerRowOrWithOneColumn)
{
    struct Case {
        int width, height;
    };
    const Case cases[] = {{1, 5}, {1, 1}, {5, 1}};
    for (const Case& c : cases) {
        std::vector<uint8_t> pixels(static_cast<std::size_t>(c.width) * c.height * 3, 0);
        EXPECT_EQ(pack_glyphs({pixels.data(), c.width, c.height}), 0) << c.width << " × " << c.height;
        EXPECT_EQ(glyphs[0].advance, 0.0f);
    }
    // Two rows: a marker row and glyphs of no height. A trailing column keeps the transparent
    // pixel, which now lies in the marker row, off the last marker.
    Strip flat = make_strip({2, 3}, 0, 1);
    EXPECT_EQ(pack_glyphs(flat.image()), 2);
    EXPECT_EQ(font_height, 0);
    EXPECT_EQ(glyphs[1].width, 3);
}

TEST_F(PackGlyphs, PacksEdgeToEdgeWithTransparentTexelsZero)
{
    Strip strip = make_strip({3, 5}, 3);
    // Two pixels of glyph 1 in the transparent colour.
    std::memset(strip.at(6, 2), 0, 3);
    std::memset(strip.at(9, 3), 0, 3);
    ASSERT_EQ(pack_glyphs(strip.image()), 2);
    EXPECT_EQ(glyphs[0].x, 0);
    EXPECT_EQ(glyphs[0].y, 0);
    EXPECT_EQ(glyphs[1].x, 3);
    EXPECT_EQ(glyphs[1].y, 0);
    expect_glyph_texels(0);
    const std::array<uint8_t, 4> clear = {0, 0, 0, 0};
    // Image column 6 is column 1 of glyph 1 (it starts at 5), row 2 is its row 1.
    EXPECT_EQ(texel(4, 1), clear);
    EXPECT_EQ(texel(7, 2), clear);
    const std::array<uint8_t, 4> opaque = {11, 2, 1, 255};
    EXPECT_EQ(texel(4, 0), opaque);
    EXPECT_EQ(texel(8, 0), clear) << "nothing beyond the last glyph";
    EXPECT_EQ(texel(0, 3), clear) << "nothing below font_height";
}

TEST_F(PackGlyphs, StartsANewRowOnlyWhenAGlyphWouldPassColumn256)
{
    struct Case {
        std::vector<int> widths;
        int x, y;   // expected place of the last glyph
    };
    const Case cases[] = {
        {{250, 6}, 250, 0},        // ends exactly at column 256
        {{250, 7}, 0, 5},          // would pass it
        {{256 - 1, 1}, 255, 0},
        {{255, 2}, 0, 5},
        {{200, 56, 1}, 0, 5},      // after a glyph ending at 256
        {{200, 56, 0}, 0, 0},      // pen at 256, width 0: stays, the byte records 0
        {{200, 50, 100, 6}, 100, 5},
    };
    for (const Case& c : cases) {
        Strip strip = make_strip(c.widths, 5);
        const int last = static_cast<int>(c.widths.size()) - 1;
        ASSERT_EQ(pack_glyphs(strip.image()), last + 1) << "widths ending " << c.widths[last];
        EXPECT_EQ(glyphs[last].x, c.x) << "glyph " << last << " of width " << c.widths[last];
        EXPECT_EQ(glyphs[last].y, c.y) << "glyph " << last << " of width " << c.widths[last];
        for (int i = 0; i <= last; ++i) {
            expect_glyph_texels(i);
        }
    }
}

TEST_F(PackGlyphs, KeepsTheFirst128Glyphs)
{
    Strip strip = make_strip(std::vector<int>(200, 1), 2);
    ASSERT_EQ(pack_glyphs(strip.image()), glyph_slots);
    EXPECT_EQ(glyphs[glyph_slots - 1].x, glyph_slots - 1);
    EXPECT_EQ(glyphs[glyph_slots - 1].width, 1);
    expect_glyph_texels(glyph_slots - 1);
    const std::array<uint8_t, 4> clear = {0, 0, 0, 0};
    EXPECT_EQ(texel(glyph_slots, 0), clear) << "glyph 128 is not packed";
}

TEST_F(PackGlyphs, StopsAtTheFirstGlyphBeyondTheLimits)
{
    struct Case {
        const char* what;
        std::vector<int> widths;
        int glyph_height;
        int kept;
    };
    const Case cases[] = {
        {"two rows of 128 fill the atlas", {200, 200}, 128, 2},
        {"a third row would reach row 300", {200, 200, 200, 1}, 100, 2},
        {"eleven rows of 23 fit, the twelfth does not", std::vector<int>(12, 256 - 1), 23, 11},
        {"a glyph of 256 columns", {10, 256, 5}, 4, 1},
        {"a glyph of 255 columns is kept", {10, 255, 5}, 4, 3},
        {"a font_height of 256", {3, 3}, 256, 0},
        {"a font_height of 255", {3, 3}, 255, 2},
    };
    for (const Case& c : cases) {
        Strip strip = make_strip(c.widths, c.glyph_height);
        EXPECT_EQ(pack_glyphs(strip.image()), c.kept) << c.what;
        EXPECT_EQ(font_height, c.glyph_height) << c.what;
        for (int i = 0; i < c.kept; ++i) {
            EXPECT_LE(glyphs[i].y + glyphs[i].height, atlas_size) << c.what << ", glyph " << i;
            expect_glyph_texels(i);
        }
        EXPECT_EQ(glyphs[c.kept].width, 0) << c.what;
        EXPECT_EQ(glyphs[c.kept].advance, 0.0f) << c.what;
    }
}

TEST_F(PackGlyphs, ForgetsTheStripPackedBefore)
{
    Strip wide = make_strip({20, 20, 20}, 6);
    ASSERT_EQ(pack_glyphs(wide.image()), 3);
    Strip narrow = make_strip({2}, 3);
    ASSERT_EQ(pack_glyphs(narrow.image()), 1);
    EXPECT_EQ(glyphs[1].width, 0);
    EXPECT_EQ(glyphs[1].advance, 0.0f);
    const std::array<uint8_t, 4> clear = {0, 0, 0, 0};
    EXPECT_EQ(texel(2, 0), clear);
    EXPECT_EQ(texel(0, 3), clear);
}

TEST_F(PackGlyphs, TextWidthSumsTheAdvancesOfCharactersWithGlyphs)
{
    // Glyphs for "A" (width 4) and "B" (width 0); "C" and all after it have no record.
    Strip strip = make_strip({4, 0}, 3);
    ASSERT_EQ(pack_glyphs(strip.image()), 2);
    const float a = glyphs[0].advance;
    const float b = glyphs[1].advance;
    struct Case {
        const char* text;
        float width;
    };
    const Case cases[] = {
        {"", 0.0f},
        {"A", a},
        {"AB", a + b},
        {"\tA\x7f" "B\x1b", a + b},  // no glyph for tab, delete or escape
        {"\xc3\x89" "A\xff", a},   // codes 128..255 have none
        {"CzA", a},                // glyph numbers beyond those found advance 0
        {"ABA", a + b + a},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(text_width(c.text), c.width) << "text \"" << c.text << "\"";
    }
}

// The font image the build renders; its path comes from the build, or from the environment.
const char* built_font_image()
{
#ifdef QUARZIL_FONT_IMAGE
    return QUARZIL_FONT_IMAGE;
#else
    return std::getenv("QUARZIL_FONT_IMAGE");
#endif
}

// 64-bit FNV-1a of the atlas texels of glyph i, row by row.
uint64_t glyph_digest(int i)
{
    uint64_t digest = 0xcbf29ce484222325u;
    for (int j = 0; j < glyphs[i].height; ++j) {
        for (int k = 0; k < glyphs[i].width; ++k) {
            for (const uint8_t byte : texel(glyphs[i].x + k, glyphs[i].y + j)) {
                digest = (digest ^ byte) * 0x100000001b3u;
            }
        }
    }
    return digest;
}

TEST_F(PackGlyphs, TheBuiltFontHasEveryPrintableCharacterThatFits)
{
    const char* path = built_font_image();
    if (path == nullptr) {
        GTEST_SKIP() << "set QUARZIL_FONT_IMAGE to the built bigfont.ppm";
    }
    PpmImage image{nullptr, 0, 0};
    ASSERT_EQ(read_ppm(path, image), 1) << path;
    const int kept = pack_glyphs(image);
    std::free(image.pixels);
    EXPECT_EQ(kept, glyph_char_count);
    EXPECT_EQ(font_height, 22);
    for (int i = 0; i < glyph_char_count; ++i) {
        EXPECT_GT(glyphs[i].width, 0) << "glyph of '" << glyph_chars[i] << "'";
        EXPECT_EQ(glyphs[i].height, 22) << "glyph of '" << glyph_chars[i] << "'";
        EXPECT_LE(glyphs[i].x + glyphs[i].width, atlas_size) << "glyph of '" << glyph_chars[i] << "'";
        EXPECT_LE(glyphs[i].y + glyphs[i].height, atlas_size) << "glyph of '" << glyph_chars[i] << "'";
    }
    // Every glyph but the space has ink: an opaque texel.
    for (int i = 0; i < glyph_char_count; ++i) {
        int opaque = 0;
        for (int j = 0; j < glyphs[i].height; ++j) {
            for (int k = 0; k < glyphs[i].width; ++k) {
                opaque += texel(glyphs[i].x + k, glyphs[i].y + j)[3] == 255;
            }
        }
        if (glyph_chars[i] == ' ') {
            EXPECT_EQ(opaque, 0) << "the space";
        } else {
            EXPECT_GT(opaque, 0) << "glyph of '" << glyph_chars[i] << "'";
        }
    }
}

// The glyphs the font was first drawn with keep their width and every texel: the characters
// added later go after them and leave them as they were. Widths in order also fix each one's
// atlas cell, since the packing follows from them alone.
TEST_F(PackGlyphs, TheBuiltFontKeepsTheDesignedGlyphsTexelForTexel)
{
    const char* path = built_font_image();
    if (path == nullptr) {
        GTEST_SKIP() << "set QUARZIL_FONT_IMAGE to the built bigfont.ppm";
    }
    struct Designed {
        char c;
        int width;
        uint64_t digest;
    };
    const Designed designed[] = {
        {'A', 17, 0xf3580c242e16b630u}, {'B', 16, 0x7ee0ccad65780c71u}, {'C', 15, 0xf282ccf4e73e8cd5u},
        {'D', 17, 0x4f3095444987cea0u}, {'E', 14, 0xdd42b4fddf4afc35u}, {'F', 14, 0x70ff0cde0c655ea5u},
        {'G', 17, 0x1cedeacf1f485adeu}, {'H', 18, 0x814e796eba638b69u}, {'I', 8, 0x8f57df3b78380f45u},
        {'J', 10, 0xb0c7302657ba04d7u}, {'K', 17, 0x928d230575bcb78du}, {'L', 13, 0x8a12afc15d5627f5u},
        {'M', 21, 0x453b0bd44edc7b6eu}, {'N', 18, 0x5cc729fdf13e6d01u}, {'O', 18, 0x0c3d3ee9e14f999du},
        {'P', 15, 0xa987ca99715f4567u}, {'Q', 18, 0x44b87930a006a6ddu}, {'R', 16, 0x4f8a72f4fa04b92du},
        {'S', 15, 0xc36ff430b72e2994u}, {'T', 15, 0x7380c1003dbbcfbdu}, {'U', 17, 0xa19943218573d556u},
        {'V', 17, 0x56d32b71305c0970u}, {'W', 23, 0xd95a7fab7ecfe665u}, {'X', 16, 0xe053d2f3c4b91787u},
        {'Y', 17, 0x036f8a4bfaf895ebu}, {'Z', 15, 0x720a9d0b5df413edu}, {'a', 14, 0xbcbc6f149ba6a11fu},
        {'b', 15, 0x3dd4c2509b17eacdu}, {'c', 12, 0x34b6f5ebdbf23fc2u}, {'d', 15, 0x82cbefc4dc99ac0cu},
        {'e', 14, 0xf03c7a3ce801c21bu}, {'f', 10, 0x7e2783a84b55a581u}, {'g', 15, 0xd2b75e3a3b6c3841u},
        {'h', 15, 0x83e1d90b8461d0a0u}, {'i', 7, 0x183d6e2371dcc54du}, {'j', 8, 0x09812a2c657ab2cdu},
        {'k', 15, 0x0c992534253d00d6u}, {'l', 7, 0x1dbf556bdf93e445u}, {'m', 22, 0x95418d3072516489u},
        {'n', 15, 0x6138ad664bc25788u}, {'o', 14, 0x4f39389e5aea47cdu}, {'p', 15, 0x3759893cc22751c5u},
        {'q', 15, 0x0ce9d61cc00efdd1u}, {'r', 11, 0x0427ccf2881a79a4u}, {'s', 13, 0x1e86b26a684826d7u},
        {'t', 10, 0x52cbb5749b3a53adu}, {'u', 15, 0xe283aa7d2ec0868du}, {'v', 14, 0x7f647503f09fde5au},
        {'w', 19, 0x45361ad4d080a8f3u}, {'x', 14, 0x2bc0bd641309f3c5u}, {'y', 14, 0xf15adabf43c89093u},
        {'z', 12, 0xe62f16970ae014e8u}, {'0', 15, 0xd50deaad5178de9fu}, {'1', 15, 0x94bbd81bbe263e2eu},
        {'2', 15, 0xaafedb61d22bc8c2u}, {'3', 15, 0xf962168bc9384e7au}, {'4', 15, 0xbb38c58fbf387ec5u},
        {'5', 15, 0x0488f328223732ecu}, {'6', 15, 0x20a52489ce19e4eau}, {'7', 15, 0xb432e030fa349306u},
        {'8', 15, 0x79ba25c448f6cd4eu}, {'9', 15, 0x9524857b4c2f2193u}, {'.', 8, 0xc07870532b770d65u},
        {'!', 10, 0x92618b1f223a6662u}, {':', 8, 0x9d71a746d29a9265u}, {'>', 18, 0xb12884e51eb28082u},
        {'^', 18, 0xcd94dfb4f85a9cc8u}, {'@', 21, 0xc48789d70146ea67u}, {'(', 10, 0xae4ced97be907944u},
        {')', 10, 0xf72716d229d9afe0u}, {' ', 7, 0xae0697b2eb768945u}, {'+', 18, 0xe769b54cf2e54765u},
    };
    static_assert(sizeof designed / sizeof designed[0] == designed_glyph_count);
    PpmImage image{nullptr, 0, 0};
    ASSERT_EQ(read_ppm(path, image), 1) << path;
    const int kept = pack_glyphs(image);
    std::free(image.pixels);
    ASSERT_GE(kept, designed_glyph_count);
    for (int i = 0; i < designed_glyph_count; ++i) {
        ASSERT_EQ(glyph_chars[i], designed[i].c) << "glyph " << i;
        EXPECT_EQ(glyphs[i].width, designed[i].width) << "width of '" << designed[i].c << "'";
        EXPECT_EQ(glyph_digest(i), designed[i].digest) << "texels of '" << designed[i].c << "'";
    }
}

}  // namespace
}  // namespace quarzil
