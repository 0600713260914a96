// font_file.cpp -- the raw PPM reader, the glyph finder and packer, and text widths
#include "render/font_file.h"

#include <unistd.h>

#include <bit>
#include <cstdlib>
#include <cstring>

#include "storage/files.h"

namespace quarzil {

// The atlas is handed to glTexImage2D as bytes R, G, B, A; pack_rgba's texels lie so in memory
// only on a little-endian machine.
static_assert(std::endian::native == std::endian::little);

Glyph glyphs[glyph_slots];        // written by pack_glyphs
int glyph_index[glyph_slots];     // written by fill_glyph_index
int font_height = 0;              // pixels; written by pack_glyphs
uint8_t* font_atlas = nullptr;    // atlas_bytes bytes; allocated by allocate_font_atlas

namespace {

bool same_colour(const uint8_t* a, const uint8_t* b)
{
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

}  // namespace

int read_ppm(const char* path, PpmImage& image)
{
    // Only a regular file is a font: opened without blocking, a named pipe cannot hold up
    // start-up, and a directory or device is refused at once.
    struct stat status;
    const int fd = open_regular_file(path, status);
    if (fd < 0) {
        return 0;
    }
    ByteReader reader;
    start_reading(reader, fd);
    // Exactly the two bytes "P6": a 0 byte after them is no end of the line.
    char line[header_line_bytes];
    if (read_line(reader, line, sizeof line) != 2 || std::memcmp(line, "P6", 2) != 0) {
        close(fd);
        return 0;
    }

    // "%d %d": the blank between the two conversions matches any run of blanks, none included,
    // and %d skips blanks itself.
    const long length = read_line(reader, line, sizeof line);
    long position = 0;
    int width = 0;
    int height = 0;
    if (!read_int(line, length, position, width) || !read_int(line, length, position, height)) {
        close(fd);
        return 0;
    }
    image.width = width;
    image.height = height;
    // Checked before width × height is formed: both are positive ints, so the product fits a
    // long long, and the cap keeps width × height × 3 far inside int and size_t.
    if (width < 1 || height < 1 ||
        static_cast<long long>(width) * height > max_image_pixels) {
        close(fd);
        return 0;
    }
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    uint8_t* pixels = static_cast<uint8_t*>(std::malloc(bytes));
    if (pixels == nullptr) {
        close(fd);
        return 0;
    }
    image.pixels = pixels;

    read_line(reader, line, sizeof line);

    // Every sample read_byte cannot give reads as 255. Once it has reported the end, the rest is
    // filled without asking again: the same image, but a short file whose header promises
    // millions of pixels costs no read() per missing byte.
    std::size_t filled = 0;
    for (; filled < bytes; ++filled) {
        const int byte = read_byte(reader);
        if (byte == -1) {
            break;
        }
        pixels[filled] = static_cast<uint8_t>(byte);
    }
    std::memset(pixels + filled, 255, bytes - filled);

    close(fd);
    return 1;
}

float glyph_advance(int width)
{
    const float quad_width = static_cast<float>(width * texel_units);
    return static_cast<float>(quad_width + texel_units);
}

void fill_glyph_index()
{
    for (int& entry : glyph_index) {
        entry = -1;
    }
    for (int i = 0; i < glyph_char_count; ++i) {
        glyph_index[static_cast<unsigned char>(glyph_chars[i])] = i;
    }
}

int glyph_of(char c)
{
    const unsigned char code = static_cast<unsigned char>(c);
    return code < glyph_slots ? glyph_index[code] : -1;
}

bool allocate_font_atlas()
{
    if (font_atlas == nullptr) {
        font_atlas = static_cast<uint8_t*>(std::calloc(atlas_bytes, 1));
    }
    return font_atlas != nullptr;
}

int pack_glyphs(const PpmImage& image)
{
    std::memset(glyphs, 0, sizeof glyphs);
    if (font_atlas != nullptr) {
        std::memset(font_atlas, 0, atlas_bytes);
    }
    const int width = image.width;
    const int height = image.height;
    font_height = height - 2;
    if (font_atlas == nullptr || image.pixels == nullptr || width < 2 || height < 2 ||
        font_height > max_font_height) {
        return 0;
    }
    const auto pixel = [&](int column, int row) {
        return image.pixels + (static_cast<std::size_t>(row) * width + column) * 3;
    };

    // Find: widths[i] is the run of non-marker columns that marker i closes.
    const uint8_t* const marker = pixel(0, 1);
    int widths[glyph_slots];
    int found = 0;
    int run = 0;
    for (int column = 1; column < width && found < glyph_slots; ++column) {
        if (same_colour(pixel(column, 1), marker)) {
            widths[found++] = run;
            run = 0;
        } else {
            ++run;
        }
    }

    // Pack. Glyph i starts at image column start, 1 for the first, then one past the marker
    // that closed the one before. The pen x may reach atlas_size (a glyph ending at the last
    // column); a byte holds it as 0, which only a width-0 glyph can then be given.
    const uint8_t* const transparent = pixel(width - 1, height - 1);
    int start = 1;
    int x = 0;
    int y = 0;
    int kept = 0;
    for (; kept < found; ++kept) {
        const int glyph_width = widths[kept];
        if (glyph_width > max_glyph_width) {
            break;
        }
        if (x + glyph_width >= atlas_size + 1) {
            x = 0;
            y += font_height;
        }
        if (y + font_height > atlas_size) {
            break;
        }
        Glyph& glyph = glyphs[kept];
        glyph.x = static_cast<uint8_t>(x);
        glyph.y = static_cast<uint8_t>(y);
        glyph.width = static_cast<uint8_t>(glyph_width);
        glyph.height = static_cast<uint8_t>(font_height);
        glyph.advance = glyph_advance(glyph_width);
        for (int j = 0; j < font_height; ++j) {
            uint8_t* texel = font_atlas + (static_cast<std::size_t>(y + j) * atlas_size + x) * 4;
            for (int k = 0; k < glyph_width; ++k, texel += 4) {
                const uint8_t* source = pixel(start + k, 1 + j);
                const uint32_t value =
                    same_colour(source, transparent) ? 0 : pack_rgba(source[0], source[1], source[2], 255);
                std::memcpy(texel, &value, sizeof value);
            }
        }
        x += glyph_width;
        start += glyph_width + 1;
    }
    return kept;
}

float text_width(const char* text)
{
    float sum = 0.0f;
    for (const char* c = text; *c != 0; ++c) {
        const int glyph = glyph_of(*c);
        if (glyph >= 0) {
            sum += glyphs[glyph].advance;
        }
    }
    return sum;
}

}  // namespace quarzil
