// font.h -- the bitmap font on the OpenGL side: its texture, one display list per glyph, draw_text
// and blocks of text drawn in one setting of the text state
#pragma once

#include "render/font_file.h"

namespace quarzil {

// The font image, in the data folder the build installs to; no search path.
inline constexpr char FONT_PATH[] = QUARZIL_DATA_DIR "/bigfont.ppm";

constexpr int text_bytes = 128;   // draw_text's buffer: longer text is cut at 127 characters

// Texture name of the atlas; 0 until a font file has been read.
extern unsigned font_texture;
// First of glyph_slots consecutive display-list names; glyph i is font_list_base + i. Lists of
// glyphs not found stay empty. 0 until load_font has run.
extern unsigned font_list_base;

// Text alignments of draw_text and write_text.
enum TextAlign : int {
    ALIGN_LEFT = 0,
    ALIGN_CENTRE = 1,
    ALIGN_RIGHT = 2,
};

// Where a glyph's quad stands, from the pen on the line's middle (width wide, half_height above
// and below), and the atlas texels it shows, s across and t down. The far coordinates stop at the
// centre of the glyph's last texel column and row, so nearest filtering never reaches the
// neighbour's texels.
struct GlyphQuad {
    float width, half_height;
    float s0, s1, t0, t1;
};
GlyphQuad glyph_quad(const Glyph& glyph);

// Where text aligned on the origin starts: 0, minus half its width, or minus its width.
float aligned_start(int align, const char* text);

// Loads FONT_PATH; the game's entry point, run once at start-up.
void load_font();

// Needs a current OpenGL context. Fills glyph_index, takes glyph_slots list names, allocates
// the atlas, reads path with read_ppm and, if that succeeds, packs the glyphs, frees the image's
// pixels, creates font_texture (repeating, nearest, 256 × 256 RGBA) and records the list of
// every glyph kept: a textured quad width × 0.03 wide and height × 0.03 high centred on the pen
// line, then a move of the pen by the glyph's advance. An unreadable file is no error: no
// texture, no lists, and text draws nothing. Each call takes new list names.
void load_font(const char* path);

// Formats like printf (cut at text_bytes - 1 characters) and draws the text in the x-y plane of
// the current model-view matrix, facing +z, in the colour of the current material. align is a
// TextAlign: ALIGN_LEFT (0) starts the text at the origin, ALIGN_CENTRE (1) centres it there,
// ALIGN_RIGHT (2), as any other value, ends it there. Characters
// without glyph draw nothing and do not move the pen. Leaves the model-view matrix as it was,
// GL_TEXTURE_2D off, blending off and the depth test on; sets no colour and no blend function.
[[gnu::format(printf, 2, 3)]] void draw_text(int align, const char* format, ...);

// A block of text: begin_text sets the state every glyph is drawn in (blending on, the depth
// test off, the font's texture bound and on, the normal (0, 0, 1)), write_text draws strings in
// it, and end_text leaves GL_TEXTURE_2D off, blending off and the depth test on, as draw_text
// does. Between the two only matrix and material calls may come; the blend function and the
// colour are the caller's.
void begin_text();
void end_text();
// Inside a block: formats, aligns and draws as draw_text does, without touching the state.
// Leaves the model-view matrix as it was.
[[gnu::format(printf, 2, 3)]] void write_text(int align, const char* format, ...);

}  // namespace quarzil
