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

// A corner of a glyph's quad as the arrays give it: texture coordinate first, as GL_T2F_V3F
// lays it out.
struct TextVertex {
    float s, t;
    float x, y, z;
};
constexpr int quad_corners = 4;

// Each glyph's quad as its list draws it, with the pen at 0; written by load_font.
TextVertex glyph_quads[glyph_slots][quad_corners];
// Glyphs with a quad and a list that draws: 0 until a font file has been read.
int glyphs_kept = 0;
// The quads of the line being drawn: at most text_bytes - 1 glyphs.
TextVertex line_vertices[(text_bytes - 1) * quad_corners];

// The quad of a glyph: the corners, each after its texture coordinate, in the order its list
// and the arrays draw them. The far texture coordinates stop at the centre of the glyph's last
// texel column and row (x + width - 1, not x + width), so nearest filtering never reaches the
// neighbour's texels.
void make_glyph_quad(const Glyph& glyph, TextVertex quad[quad_corners])
{
    const float w = static_cast<float>(glyph.width * texel_units);
    const float hh = static_cast<float>(glyph.height * (texel_units / 2));
    const float s0 = static_cast<float>(glyph.x) / atlas_size;
    const float s1 = static_cast<float>(glyph.x + glyph.width - 1) / atlas_size;
    const float t0 = static_cast<float>(glyph.y) / atlas_size;
    const float t1 = static_cast<float>(glyph.y + glyph.height - 1) / atlas_size;
    quad[0] = {s0, t1, 0.0f, -hh, 0.0f};
    quad[1] = {s1, t1, w, -hh, 0.0f};
    quad[2] = {s1, t0, w, hh, 0.0f};
    quad[3] = {s0, t0, 0.0f, hh, 0.0f};
}

// One glyph's list: the quad, each vertex after its texture coordinate, then the pen's move.
void record_glyph(const Glyph& glyph, const TextVertex quad[quad_corners])
{
    glBegin(GL_QUADS);
    for (int corner = 0; corner < quad_corners; ++corner) {
        glTexCoord2f(quad[corner].s, quad[corner].t);
        glVertex3f(quad[corner].x, quad[corner].y, quad[corner].z);
    }
    glEnd();
    glTranslatef(glyph.advance, 0.0f, 0.0f);
}

// Formats into text as draw_text describes; an encoding error gives an empty text.
void format_text(char (&text)[text_bytes], const char* format, va_list arguments)
{
    if (std::vsnprintf(text, sizeof text, format, arguments) < 0)
        text[0] = 0;
}

// Draws text, aligned on the origin, in the state begin_text set. The alignment moves the
// matrix; each glyph's quad is then the one its list draws, moved along x by the sum of the
// advances before it, added up in float from 0 as the pen goes.
void write_line(int align, const char* text)
{
    glPushMatrix();
    if (align != ALIGN_LEFT) {
        float sum = text_width(text);
        if (align == ALIGN_CENTRE)
            sum /= 2;
        glTranslatef(-sum, 0.0f, 0.0f);
    }
    int corners = 0;
    float pen = 0.0f;
    for (const char* c = text; *c != 0; ++c) {
        const int glyph = glyph_of(*c);
        if (glyph < 0 || glyph >= glyphs_kept)
            continue;
        for (int corner = 0; corner < quad_corners; ++corner) {
            TextVertex vertex = glyph_quads[glyph][corner];
            vertex.x += pen;
            line_vertices[corners++] = vertex;
        }
        pen += glyphs[glyph].advance;
    }
    if (corners > 0)
        glDrawArrays(GL_QUADS, 0, corners);
    glPopMatrix();
}

}  // namespace

void load_font()
{
    load_font(FONT_PATH);
}

void load_font(const char* path)
{
    fill_glyph_index();
    glyphs_kept = 0;
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
        make_glyph_quad(glyphs[i], glyph_quads[i]);
        glNewList(font_list_base + i, GL_COMPILE);
        record_glyph(glyphs[i], glyph_quads[i]);
        glEndList();
    }
    glyphs_kept = kept;
}

void begin_text()
{
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, font_texture);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glInterleavedArrays(GL_T2F_V3F, 0, line_vertices);
}

void end_text()
{
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}

void write_text(int align, const char* format, ...)
{
    char text[text_bytes];
    va_list arguments;
    va_start(arguments, format);
    format_text(text, format, arguments);
    va_end(arguments);
    write_line(align, text);
}

void draw_text(int align, const char* format, ...)
{
    char text[text_bytes];
    va_list arguments;
    va_start(arguments, format);
    format_text(text, format, arguments);
    va_end(arguments);
    begin_text();
    write_line(align, text);
    end_text();
}

}  // namespace quarzil
