// make_font.cpp -- renders the game's glyph strip, a raw PPM, from a TrueType font
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "render/font_file.h"

namespace {

// Glyph i of the strip shows character i of the game's glyph_chars. The designed glyphs come
// first and alone set the size and the baseline, so the characters added after them leave
// every pixel of the designed ones as it was.
using quarzil::glyph_chars;
constexpr int glyph_count = quarzil::glyph_char_count;
constexpr int designed_count = quarzil::designed_glyph_count;

// One texel of the game's font is 0.03 world units, and glyph quads are centred on the pen line.
// High-score rows are 0.9 units (30 texels) apart, so glyphs 30 or more high would reach into
// the next row: max_glyph_height. Width binds sooner, since the advances are the font's own and
// DejaVu Sans Bold is a wide face. The tight places are "Score" and a four-figure score between
// the labels at x = -8.0 and the right-aligned numbers at -3.7 (143 texels), and "Game Over"
// before the game-over panel at -3.5 (150 texels). At a height of 22 the ink is rendered at 21
// pixels per em, and these take 135 and 140 texels; at 24 (24 pixels per em) they would take 152
// and 158. At 22 the ink spans at most 21 rows, so table rows keep at least 9 clear texels apart.
constexpr int glyph_height = 22;
constexpr int max_glyph_height = 29;

using quarzil::atlas_size;   // the game packs the glyphs into a texture this square

struct Rgb {
    unsigned char r, g, b;
    bool operator==(const Rgb&) const = default;
};

// Ink is grey, R = G = B = coverage, added to the text colour: zero coverage is the transparent
// colour, and a marker that is not grey can never be mistaken for ink.
constexpr Rgb transparent_colour{0, 0, 0};
constexpr Rgb marker_colour{255, 0, 255};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;   // R, G, B per pixel, rows from the top

    Rgb pixel(int column, int row) const
    {
        const unsigned char* p = &pixels[(static_cast<size_t>(row) * width + column) * 3];
        return {p[0], p[1], p[2]};
    }
    void set_pixel(int column, int row, Rgb colour)
    {
        unsigned char* p = &pixels[(static_cast<size_t>(row) * width + column) * 3];
        p[0] = colour.r;
        p[1] = colour.g;
        p[2] = colour.b;
    }
};

// One character as FreeType rendered it, placed relative to the pen on the baseline.
struct RenderedGlyph {
    char character = 0;
    int advance = 0;   // pixels the font moves the pen on
    int left = 0;      // columns from the pen to the ink's left edge (negative: overhangs)
    int top = 0;       // rows from the baseline up to the ink's top edge
    int columns = 0;   // ink size in pixels
    int rows = 0;
    std::vector<unsigned char> coverage;   // columns × rows, 0..255, rows from the top
};

// Ink extent of a set of glyphs around the baseline, in pixels.
struct InkExtent {
    int ascent = 0;    // rows above the baseline
    int descent = 0;   // rows on and below it
};

bool fail(const std::string& message)
{
    std::fprintf(stderr, "make_font: %s\n", message.c_str());
    return false;
}

bool render_glyphs(FT_Face face, int pixel_size, RenderedGlyph (&glyphs)[glyph_count])
{
    if (const FT_Error error = FT_Set_Pixel_Sizes(face, 0, pixel_size))
        return fail("cannot set pixel size " + std::to_string(pixel_size) + " (FreeType error " +
                    std::to_string(error) + ")");
    for (int i = 0; i < glyph_count; ++i) {
        const char c = glyph_chars[i];
        // Index 0 is the font's "missing glyph" box, which would pass for ink.
        if (FT_Get_Char_Index(face, static_cast<FT_ULong>(c)) == 0)
            return fail(std::string("the font has no glyph for '") + c + "'");
        if (const FT_Error error = FT_Load_Char(face, static_cast<FT_ULong>(c), FT_LOAD_RENDER))
            return fail(std::string("cannot render '") + c + "' (FreeType error " +
                        std::to_string(error) + ")");
        const FT_GlyphSlot slot = face->glyph;
        const FT_Bitmap& bitmap = slot->bitmap;
        if (bitmap.rows > 0 && (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.num_grays != 256))
            return fail(std::string("'") + c + "' did not render to 8-bit grey levels");

        RenderedGlyph& glyph = glyphs[i];
        glyph.character = c;
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);   // 26.6 fixed point
        glyph.left = slot->bitmap_left;
        glyph.top = slot->bitmap_top;
        glyph.columns = static_cast<int>(bitmap.width);
        glyph.rows = static_cast<int>(bitmap.rows);
        glyph.coverage.assign(static_cast<size_t>(glyph.columns) * glyph.rows, 0);
        for (int row = 0; row < glyph.rows; ++row) {
            // A negative pitch stores the rows bottom first.
            const int stored_row = bitmap.pitch >= 0 ? row : glyph.rows - 1 - row;
            const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(stored_row) *
                                                              std::abs(bitmap.pitch);
            std::memcpy(&glyph.coverage[static_cast<size_t>(row) * glyph.columns], source,
                        static_cast<size_t>(glyph.columns));
        }
    }
    return true;
}

// The ink extent of the designed glyphs, the first designed_count.
InkExtent ink_extent(const RenderedGlyph (&glyphs)[glyph_count])
{
    InkExtent extent;
    for (int i = 0; i < designed_count; ++i) {
        const RenderedGlyph& glyph = glyphs[i];
        if (glyph.rows == 0)
            continue;
        extent.ascent = std::max(extent.ascent, glyph.top);
        extent.descent = std::max(extent.descent, glyph.rows - glyph.top);
    }
    return extent;
}

// Columns of the strip a glyph takes: its advance, widened where the ink overhangs it, so
// nothing is clipped. pen is the column of the pen within the glyph.
struct GlyphSpan {
    int width;
    int pen;
};

GlyphSpan glyph_span(const RenderedGlyph& glyph)
{
    if (glyph.columns == 0)
        return {glyph.advance, 0};
    const int first = std::min(0, glyph.left);
    const int last = std::max(glyph.advance, glyph.left + glyph.columns);
    return {last - first, -first};
}

// The strip: row 0 and the last row blank, row 1 the marker row. Each glyph is followed by a
// marker pixel in row 1 and takes rows 1 .. glyph_height. Row 1 is also each glyph's top row;
// the ink is kept out of it, so the marker row holds nothing but markers and transparent pixels
// and the ink has glyph_height - 1 rows. The designed glyphs' ink fits there by the choice of
// size (extent is theirs); an added glyph reaching past those rows is moved up or down until it
// fits, and only ink taller than all of them is cut, at the bottom.
Image build_strip(const RenderedGlyph (&glyphs)[glyph_count], InkExtent extent)
{
    Image image;
    image.width = 1;
    for (const RenderedGlyph& glyph : glyphs)
        image.width += glyph_span(glyph).width + 1;
    image.height = glyph_height + 2;
    image.pixels.resize(static_cast<size_t>(image.width) * image.height * 3);
    for (int row = 0; row < image.height; ++row)
        for (int column = 0; column < image.width; ++column)
            image.set_pixel(column, row, transparent_colour);
    image.set_pixel(0, 1, marker_colour);

    // The spare rows are split above and below the ink, so the ink sits in the middle of the
    // glyph, which the game centres on the pen line.
    const int spare_rows = glyph_height - 1 - extent.ascent - extent.descent;
    // The first image row below the baseline.
    const int baseline_row = 2 + spare_rows / 2 + extent.ascent;

    int start = 1;
    for (const RenderedGlyph& glyph : glyphs) {
        const GlyphSpan span = glyph_span(glyph);
        const int ink_column = start + span.pen + glyph.left;
        const int first_ink_row = 2;
        const int last_ink_row = glyph_height;
        const int font_row = baseline_row - glyph.top;
        const int ink_row =
            std::max(std::min(font_row, last_ink_row + 1 - glyph.rows), first_ink_row);
        if (ink_row != font_row)
            std::printf("make_font: '%c' moved %d rows %s to fit\n", glyph.character,
                        std::abs(ink_row - font_row), ink_row < font_row ? "up" : "down");
        if (ink_row + glyph.rows - 1 > last_ink_row)
            std::printf("make_font: '%c' cut by %d rows at the bottom\n", glyph.character,
                        ink_row + glyph.rows - 1 - last_ink_row);
        for (int row = 0; row < glyph.rows && ink_row + row <= last_ink_row; ++row) {
            for (int column = 0; column < glyph.columns; ++column) {
                const unsigned char level =
                    glyph.coverage[static_cast<size_t>(row) * glyph.columns + column];
                image.set_pixel(ink_column + column, ink_row + row, {level, level, level});
            }
        }
        start += span.width;
        image.set_pixel(start, 1, marker_colour);
        ++start;
    }
    return image;
}

bool write_ppm(const char* path, const Image& image)
{
    std::FILE* file = std::fopen(path, "wb");
    if (!file)
        return fail(std::string("cannot create ") + path + ": " + std::strerror(errno));
    std::fprintf(file, "P6\n%d %d\n255\n", image.width, image.height);
    std::fwrite(image.pixels.data(), 1, image.pixels.size(), file);
    const bool written = !std::ferror(file);
    if (std::fclose(file) != 0 || !written)
        return fail(std::string("cannot write ") + path);
    return true;
}

// Reads one header line as the game does: the bytes up to the newline, which is consumed.
// Returns false at the end of the file.
bool read_header_line(std::FILE* file, std::string& line)
{
    line.clear();
    int c;
    while ((c = std::fgetc(file)) != EOF && c != '\n')
        line.push_back(static_cast<char>(c));
    return c == '\n';
}

bool read_ppm(const char* path, Image& image)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return fail(std::string("cannot read back ") + path + ": " + std::strerror(errno));
    std::string line;
    bool ok = read_header_line(file, line) && line == "P6";
    ok = ok && read_header_line(file, line) &&
         std::sscanf(line.c_str(), "%d %d", &image.width, &image.height) == 2 &&
         image.width > 0 && image.height > 0;
    ok = ok && read_header_line(file, line);
    if (ok) {
        image.pixels.resize(static_cast<size_t>(image.width) * image.height * 3);
        ok = std::fread(image.pixels.data(), 1, image.pixels.size(), file) == image.pixels.size() &&
             std::fgetc(file) == EOF;
    }
    std::fclose(file);
    if (!ok)
        return fail(std::string(path) + " is not a raw PPM of exactly the size its header gives");
    return true;
}

// Finds and packs the glyphs of a strip with the game's own code; fails unless the game keeps
// all glyph_count glyphs, each at least one column wide, with ink in all but the space, and no
// taller than the table rows allow.
bool check_strip(const Image& image, int& atlas_rows)
{
    if (image.width < 2 || image.height < 3)
        return fail("the image is too small to hold a marker row and glyphs");
    const int font_height = image.height - 2;
    if (font_height > max_glyph_height)
        return fail("glyphs are " + std::to_string(font_height) + " pixels high; at most " +
                    std::to_string(max_glyph_height) + " keep table rows apart");
    if (image.pixel(0, 1) == image.pixel(image.width - 1, image.height - 1))
        return fail("the marker colour equals the transparent colour");
    if (!quarzil::allocate_font_atlas())
        return fail("cannot allocate the atlas");

    // pack_glyphs only reads the pixels.
    const quarzil::PpmImage strip{const_cast<unsigned char*>(image.pixels.data()), image.width,
                                  image.height};
    const int kept = quarzil::pack_glyphs(strip);
    if (kept != glyph_count)
        return fail("the game keeps " + std::to_string(kept) + " glyphs of the strip, expected " +
                    std::to_string(glyph_count) + " (a glyph too wide, one beyond the " +
                    std::to_string(atlas_size) + " x " + std::to_string(atlas_size) +
                    " atlas, or markers missing or too many)");
    for (int i = 0; i < glyph_count; ++i) {
        const quarzil::Glyph& glyph = quarzil::glyphs[i];
        const std::string name =
            "glyph " + std::to_string(i) + " ('" + std::string(1, glyph_chars[i]) + "')";
        if (glyph.width < 1)
            return fail(name + " has no columns");
        // The atlas holds 0 for the transparent colour and an opaque texel for anything else.
        bool has_ink = false;
        for (int row = glyph.y; row < glyph.y + glyph.height; ++row) {
            for (int column = glyph.x; column < glyph.x + glyph.width; ++column) {
                const std::size_t alpha = (static_cast<std::size_t>(row) * atlas_size + column) * 4 + 3;
                has_ink = has_ink || quarzil::font_atlas[alpha] != 0;
            }
        }
        if (has_ink != (glyph_chars[i] != ' '))
            return fail(name + (has_ink ? " should be blank" : " has no ink"));
    }
    atlas_rows = quarzil::glyphs[glyph_count - 1].y / font_height + 1;
    return true;
}

// Renders at the largest pixel size whose ink fits the glyph_height - 1 rows below the marker
// row, then writes the strip and checks the file as the game will read it.
bool make_font(const char* font_path, const char* out_path)
{
    // FreeType reports a missing file only as an error number; the C library says why.
    std::FILE* font_file = std::fopen(font_path, "rb");
    if (!font_file)
        return fail(std::string("cannot open font ") + font_path + ": " + std::strerror(errno));
    std::fclose(font_file);

    FT_Library library;
    if (const FT_Error error = FT_Init_FreeType(&library))
        return fail("cannot start FreeType (error " + std::to_string(error) + ")");
    FT_Face face;
    if (const FT_Error error = FT_New_Face(library, font_path, 0, &face)) {
        FT_Done_FreeType(library);
        return fail(std::string("cannot load font ") + font_path + " (FreeType error " +
                    std::to_string(error) + ")");
    }

    RenderedGlyph glyphs[glyph_count];
    InkExtent extent;
    int pixel_size = 2 * glyph_height;
    bool ok = false;
    for (; pixel_size > 0; --pixel_size) {
        ok = render_glyphs(face, pixel_size, glyphs);
        if (!ok)
            break;
        extent = ink_extent(glyphs);
        if (extent.ascent + extent.descent <= glyph_height - 1)
            break;
    }
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    if (!ok)
        return false;
    if (pixel_size == 0)
        return fail("the font's glyphs do not fit " + std::to_string(glyph_height) + " rows");

    // The strip is written beside its destination and moved there only once it has passed the
    // check, so a failed run never leaves a file that a build would take as made.
    const Image strip = build_strip(glyphs, extent);
    const std::string part_path = std::string(out_path) + ".part";
    Image read_back;
    int atlas_rows = 0;
    ok = write_ppm(part_path.c_str(), strip) && read_ppm(part_path.c_str(), read_back) &&
         check_strip(read_back, atlas_rows);
    if (ok && read_back.pixels != strip.pixels)
        ok = fail(part_path + " does not hold the pixels written");
    if (ok && std::rename(part_path.c_str(), out_path) != 0)
        ok = fail("cannot move " + part_path + " to " + out_path + ": " + std::strerror(errno));
    if (!ok) {
        std::remove(part_path.c_str());
        return false;
    }
    std::printf("make_font: %s: %d glyphs, %d x %d pixels, glyphs %d high at %d pixels per em, "
                "%d atlas rows\n",
                out_path, glyph_count, strip.width, strip.height, glyph_height, pixel_size,
                atlas_rows);
    return true;
}

}   // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_font FONT.ttf OUT.ppm\n");
        return 2;
    }
    return make_font(argv[1], argv[2]) ? 0 : 1;
}
