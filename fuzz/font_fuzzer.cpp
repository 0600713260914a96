// font_fuzzer.cpp -- any bytes as the font image: read, glyphs found and packed, texts measured
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "render/font_file.h"
#include "fuzz_check.h"

namespace quarzil {
namespace {

std::string image_path;   // the one file every input is written to

// Where the samples start: after the third newline (the three header lines), or at the end
// when the file has fewer. Header lines too long for the reader's buffer are cut, but all
// their bytes are still taken, so the count of newlines alone decides.
std::size_t samples_start(const uint8_t* data, std::size_t size)
{
    int newlines = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == '\n' && ++newlines == 3)
            return i + 1;
    }
    return size;
}

// The samples are the file's bytes after the header, then 255 for every byte missing.
void check_samples(const PpmImage& image, const uint8_t* data, std::size_t size)
{
    const std::size_t start = samples_start(data, size);
    const std::size_t bytes = static_cast<std::size_t>(image.width) * image.height * 3;
    const std::size_t present = std::min(bytes, size - start);
    FUZZ_REQUIRE(std::memcmp(image.pixels, data + start, present) == 0,
                 "the first %zu samples to be the file's bytes after its header", present);
    // A short file can promise up to 48 MiB of samples: compared a chunk at a time.
    static uint8_t full[1 << 16];
    if (full[0] != 255)
        std::memset(full, 255, sizeof full);
    for (std::size_t i = present; i < bytes; i += sizeof full) {
        const std::size_t chunk = std::min(sizeof full, bytes - i);
        FUZZ_REQUIRE(std::memcmp(image.pixels + i, full, chunk) == 0,
                     "missing samples %zu to %zu to read as 255", i, i + chunk - 1);
    }
}

// Every glyph kept lies inside the atlas, no two overlap, records past the kept ones are zero,
// and the atlas outside the glyphs is untouched (zero).
void check_glyphs(const PpmImage& image, int kept)
{
    FUZZ_REQUIRE(kept >= 0 && kept <= glyph_slots, "0..%d glyphs kept, got %d", glyph_slots, kept);
    FUZZ_REQUIRE(font_height == image.height - 2, "font_height %d, got %d", image.height - 2, font_height);
    if (kept > 0) {
        FUZZ_REQUIRE(image.width >= 2 && font_height <= max_font_height,
                     "no glyph from a %d x %d image, got %d", image.width, image.height, kept);
    }
    static bool covered[atlas_size][atlas_size];
    std::memset(covered, 0, sizeof covered);
    for (int i = 0; i < kept; ++i) {
        const Glyph& glyph = glyphs[i];
        FUZZ_REQUIRE(glyph.height == font_height, "glyph %d height %d, got %d", i, font_height, glyph.height);
        FUZZ_REQUIRE(glyph.advance == glyph_advance(glyph.width), "glyph %d advance %g for width %d, got %g",
                     i, glyph_advance(glyph.width), glyph.width, glyph.advance);
        FUZZ_REQUIRE(glyph.x + glyph.width <= atlas_size && glyph.y + font_height <= atlas_size,
                     "glyph %d inside the atlas, got x %d width %d y %d height %d", i, glyph.x, glyph.width,
                     glyph.y, font_height);
        for (int row = glyph.y; row < glyph.y + font_height; ++row) {
            for (int column = glyph.x; column < glyph.x + glyph.width; ++column) {
                FUZZ_REQUIRE(!covered[row][column], "glyph %d alone at atlas (%d, %d)", i, column, row);
                covered[row][column] = true;
            }
        }
    }
    static constexpr Glyph zero{};
    for (int i = kept; i < glyph_slots; ++i)
        FUZZ_REQUIRE(std::memcmp(&glyphs[i], &zero, sizeof zero) == 0, "record %d of %d kept to be zero", i, kept);
    for (int row = 0; row < atlas_size; ++row) {
        for (int column = 0; column < atlas_size; ++column) {
            const uint8_t* texel = font_atlas + (row * atlas_size + column) * 4;
            const bool blank = texel[0] == 0 && texel[1] == 0 && texel[2] == 0 && texel[3] == 0;
            FUZZ_REQUIRE(covered[row][column] ? blank || texel[3] == 255 : blank,
                         "texel (%d, %d) transparent or opaque inside a glyph, zero outside; alpha %d",
                         column, row, texel[3]);
        }
    }
}

// Widths of texts the game draws, of one longer than draw_text's 127 characters, and of the
// input itself as text (bytes 128..255 included): finite and never negative.
void check_text_widths(const uint8_t* data, std::size_t size)
{
    static char text[512];
    const std::size_t length = std::min(size, sizeof text - 1);
    std::memcpy(text, data, length);
    text[length] = 0;
    static char long_text[301];
    std::memset(long_text, 'W', sizeof long_text - 1);
    const char* const samples[] = {"", "Score", "Level 12", "+150", "Game Over", "x2 (chain!)", text, long_text};
    for (const char* sample : samples) {
        const float width = text_width(sample);
        FUZZ_REQUIRE(std::isfinite(width) && width >= 0.0f, "a finite width >= 0, got %g", width);
    }
    FUZZ_REQUIRE(text_width("\t\x7f\x80\xff") == 0.0f, "characters without glyph to add nothing, got %g",
                 text_width("\t\x7f\x80\xff"));
}

}  // namespace
}  // namespace quarzil

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    using namespace quarzil;
    image_path = fuzz::scratch_folder("quarzil_font_fuzz") / "bigfont.ppm";
    fill_glyph_index();
    if (!allocate_font_atlas()) {
        std::fprintf(stderr, "cannot allocate the font atlas\n");
        std::exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using namespace quarzil;
    fuzz::write_input(image_path, data, size);
    // read_ppm's descriptor is the lowest free one, the one open gives just before it.
    const int reader_fd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    FUZZ_REQUIRE(reader_fd >= 0, "/dev/null to open");
    close(reader_fd);
    PpmImage image{};
    const int result = read_ppm(image_path.c_str(), image);
    FUZZ_REQUIRE(fcntl(reader_fd, F_GETFD) == -1, "read_ppm to close descriptor %d", reader_fd);
    if (result == 0) {
        FUZZ_REQUIRE(image.pixels == nullptr, "no pixels from a refused image");
        return 0;
    }
    FUZZ_REQUIRE(result == 1, "read_ppm to return 0 or 1, got %d", result);
    FUZZ_REQUIRE(size >= 3 && std::memcmp(data, "P6\n", 3) == 0, "an accepted file to begin with the line P6");
    FUZZ_REQUIRE(image.width >= 1 && image.height >= 1 &&
                 static_cast<long long>(image.width) * image.height <= max_image_pixels,
                 "an image of 1 to %lld pixels, got %d x %d", max_image_pixels, image.width, image.height);
    check_samples(image, data, size);
    check_glyphs(image, pack_glyphs(image));
    check_text_widths(data, size);
    std::free(image.pixels);
    return 0;
}
