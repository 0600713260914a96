// font_file.h -- the font image file: reading its glyph strip and packing the glyphs into the
// atlas, without OpenGL
#pragma once

#include <cstdint>

namespace quarzil {

// Glyph i of the strip shows character i of this string: capitals, small letters, digits,
// ". ! : > ^ @ ( ) space +", then the rest of the printable characters from space to "~" in
// code order. The first designed_glyph_count are the font's first drawing, and a strip holding
// only those still serves: its glyph numbers stay what they were, so the later characters are
// appended, never inserted.
inline constexpr char glyph_chars[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.!:>^@() +"
    "\"#$%&'*,-/;<=?[\\]_`{|}~";
constexpr int glyph_char_count = 95;
constexpr int designed_glyph_count = 72;
static_assert(sizeof glyph_chars - 1 == glyph_char_count);

// Whether glyph_chars holds every printable character, space to "~", exactly once.
consteval bool glyph_chars_are_the_printable_set()
{
    int seen[128] = {};
    for (int i = 0; i < glyph_char_count; ++i) {
        const int code = glyph_chars[i];
        if (code < ' ' || code > '~' || seen[code]++ != 0) {
            return false;
        }
    }
    return glyph_char_count == '~' - ' ' + 1;
}
static_assert(glyph_chars_are_the_printable_set());

constexpr int glyph_slots = 128;     // glyph records and list names; also the character codes mapped
constexpr int atlas_size = 256;      // the atlas is atlas_size × atlas_size texels
constexpr int atlas_bytes = atlas_size * atlas_size * 4;   // R, G, B, A per texel: 262,144
constexpr int max_glyph_width = 255;    // stored in a byte
constexpr int max_font_height = 255;    // stored in a byte
constexpr int header_line_bytes = 8192;     // room for one header line and its 0 byte

// The largest image read_ppm accepts, in pixels (48 MiB of samples). The widest strip whose
// glyphs can all be kept is 128 glyphs of 255 columns plus 129 markers, 32,769 columns, and the
// tallest 257 rows (a font_height of 255): about 8.4 Mi pixels, so every usable strip fits.
constexpr long long max_image_pixels = 16LL * 1024 * 1024;

// One pixel of texture per 0.03 world units: the width of a glyph quad and of the gap after it.
constexpr double texel_units = 0.03;

struct PpmImage {
    uint8_t* pixels;   // width × height × 3 bytes, R, G, B, rows from the top; from std::malloc
    int width;         // pixels
    int height;        // pixels
};

struct Glyph {
    uint8_t x;         // atlas column of the left edge
    uint8_t y;         // atlas row of the top edge
    uint8_t width;     // pixels
    uint8_t height;    // pixels, equal to font_height
    float advance;     // world units the pen moves after the glyph
};

// Indexed by glyph number, in file order; records beyond the glyphs kept are all zero.
extern Glyph glyphs[glyph_slots];
// Indexed by character code: the glyph number, or -1 for a character without glyph.
extern int glyph_index[glyph_slots];
// Glyph height in pixels: the image height - 2; 0 until a strip has been packed.
extern int font_height;
// atlas_bytes bytes, texel (column c, row r) at 4 × (atlas_size × r + c); null until allocated.
extern uint8_t* font_atlas;

// Reads the raw PPM at path into image: line 1 exactly "P6", line 2 the width and height as
// "%d %d" takes them, line 3 ignored, then the samples; bytes missing at the end read as 255.
// Returns 1 with image.pixels allocated (the caller frees them with std::free), or 0 with
// image.pixels untouched and the file closed: the file cannot be opened or is no P6 file,
// line 2 lacks two numbers that fit an int, either number is below 1, the image has more than
// max_image_pixels pixels, or the memory cannot be allocated. Once line 2 has given its two
// numbers they are stored in image.width and image.height, whether or not the pixels follow.
// Header lines longer than header_line_bytes - 1 are cut there. Comment lines and CR LF line
// ends are not accepted.
int read_ppm(const char* path, PpmImage& image);

// The 32-bit texel a × 2^24 + b × 2^16 + g × 2^8 + r, which lies in memory as r, g, b, a.
constexpr uint32_t pack_rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(b) << 16 |
           static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(r);
}

// The pen's move after a glyph of width pixels: the quad width width × 0.03, rounded to float,
// plus one texel of gap, added in double and rounded to float. 0.03f for a width of 0.
float glyph_advance(int width);

// Sets every glyph_index entry to -1, then the entry of character i of glyph_chars to i.
void fill_glyph_index();

// The glyph number of a character, or -1: codes 128..255 (negative chars) have none.
int glyph_of(char c);

// Allocates font_atlas zero-filled, once; later calls keep it. Returns false when the memory
// cannot be had (font_atlas stays null).
bool allocate_font_atlas();

// Finds the glyphs of a strip read by read_ppm and packs them into font_atlas; returns the
// count kept, whose records in glyphs are filled (x, y, width, height, advance).
// The strip: pixel (0, 1) gives the marker colour; scanning row 1 from column 1, each pixel of
// that colour ends a glyph, the columns since the previous marker (two adjacent markers make a
// width of 0); columns after the last marker belong to no glyph. A glyph takes image rows 1 to
// height - 2. Pixel (width - 1, height - 1) gives the transparent colour: such pixels become
// texel 0, all others pack_rgba(R, G, B, 255). Glyphs go edge to edge from atlas (0, 0); one
// that would pass column 256 starts a new row font_height lower.
// Sets font_height = height - 2 and starts from cleared records and a cleared atlas, so it may
// be called again. Keeps no glyph when font_atlas is null, the image is 1 column wide or has no
// marker row (height below 2), or font_height is above max_font_height. Of more than
// glyph_slots glyphs the first glyph_slots are found. Packing stops at the first glyph wider
// than max_glyph_width or reaching below atlas row 256: it and all after it are not kept.
// A width-0 glyph placed at pen column 256 records x = 0; its quad is empty either way.
// Needs image.pixels to hold width × height × 3 bytes.
int pack_glyphs(const PpmImage& image);

// The width of text in world units, the sum of the advances of its characters with a glyph;
// characters without one add nothing.
float text_width(const char* text);

}  // namespace quarzil
