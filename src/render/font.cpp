// font.cpp -- the font texture, the glyph display lists, draw_text and blocks of text
#include "render/font.h"

#include <GL/gl.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace quarzil {

unsigned font_texture = 0;     // texture name of the atlas; written by load_font
unsigned font_list_base = 0;   // first of the glyph_slots list names; written by load_font

namespace {

// The quad's half height: half a texel per pixel row, 0.015 exactly as written in double.
static_assert(texel_units / 2 == 0.015);

// One glyph's list: the quad, each vertex after its texture coordinate, then the pen's move.
void record_glyph(const Glyph& glyph)
{
    const GlyphQuad quad = glyph_quad(glyph);
    glBegin(GL_QUADS);
    glTexCoord2f(quad.s0, quad.t1);
    glVertex3f(0.0f, -quad.half_height, 0.0f);
    glTexCoord2f(quad.s1, quad.t1);
    glVertex3f(quad.width, -quad.half_height, 0.0f);
    glTexCoord2f(quad.s1, quad.t0);
    glVertex3f(quad.width, quad.half_height, 0.0f);
    glTexCoord2f(quad.s0, quad.t0);
    glVertex3f(0.0f, quad.half_height, 0.0f);
    glEnd();
    glTranslatef(glyph.advance, 0.0f, 0.0f);
}

// Formats as draw_text describes (an encoding error gives an empty text) and draws the text,
// aligned on the origin, in the state begin_text set: one list call per glyph, each moving the
// pen with the matrix. (Drawing a line as one vertex array, the pen's moves added to the x
// coordinates, rounds some vertices to other sub-pixel positions than the matrix does: the
// frame-pictures tool's text check finds lines of six glyphs that differ by a few pixels.)
void write_formatted(int align, const char* format, va_list arguments)
{
    char text[text_bytes];
    if (std::vsnprintf(text, sizeof text, format, arguments) < 0)
        text[0] = 0;
    glPushMatrix();
    if (align != ALIGN_LEFT)
        glTranslatef(aligned_start(align, text), 0.0f, 0.0f);
    for (const char* c = text; *c != 0; ++c) {
        const int glyph = glyph_of(*c);
        if (glyph >= 0)
            glCallList(font_list_base + glyph);
    }
    glPopMatrix();
}

}  // namespace

GlyphQuad glyph_quad(const Glyph& glyph)
{
    return {static_cast<float>(glyph.width * texel_units), static_cast<float>(glyph.height * (texel_units / 2)),
            static_cast<float>(glyph.x) / atlas_size, static_cast<float>(glyph.x + glyph.width - 1) / atlas_size,
            static_cast<float>(glyph.y) / atlas_size, static_cast<float>(glyph.y + glyph.height - 1) / atlas_size};
}

float aligned_start(int align, const char* text)
{
    if (align == ALIGN_LEFT)
        return 0.0f;
    float sum = text_width(text);
    if (align == ALIGN_CENTRE)
        sum /= 2;
    return -sum;
}

void load_font()
{
    load_font(FONT_PATH);
}

void load_font(const char* path)
{
    fill_glyph_index();
    font_list_base = glGenLists(glyph_slots);
    if (!allocate_font_atlas()) {
        return;
    }
    PpmImage image{};
    if (!read_ppm(path, image)) {
        return;
    }
    const int kept = pack_glyphs(image);
    std::free(image.pixels);

    glGenTextures(1, &font_texture);
    glBindTexture(GL_TEXTURE_2D, font_texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, atlas_size, atlas_size, 0, GL_RGBA, GL_UNSIGNED_BYTE, font_atlas);

    for (int i = 0; i < kept; ++i) {
        glNewList(font_list_base + i, GL_COMPILE);
        record_glyph(glyphs[i]);
        glEndList();
    }
}

void begin_text()
{
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, font_texture);
    glNormal3f(0.0f, 0.0f, 1.0f);
}

void end_text()
{
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void write_text(int align, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    write_formatted(align, format, arguments);
    va_end(arguments);
}

void draw_text(int align, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    begin_text();
    write_formatted(align, format, arguments);
    end_text();
    va_end(arguments);
}

}  // namespace quarzil
