// frame_reading.cpp -- glyph strips for the font loader, and texts and gems read from recorded draws
#include "render/frame_reading.h"

#include <cmath>
#include <cstdio>

#include "render/font.h"
#include "render/gems.h"

namespace quarzil::test {

using recording::Draw;
using recording::Matrix;

std::string glyph_strip(const std::vector<int>& widths, int font_height)
{
    int width = 1;
    for (const int glyph : widths)
        width += glyph + 1;
    const int height = font_height + 2;
    // Row 0 and the last row black, which the last pixel makes the transparent colour; glyphs
    // white; the marker, magenta, at column 0 of row 1 and after every glyph.
    std::vector<int> marker_columns = {0};
    for (const int glyph : widths)
        marker_columns.push_back(marker_columns.back() + glyph + 1);
    char header[64];
    std::snprintf(header, sizeof header, "P6\n%d %d\n255\n", width, height);
    std::string image = header;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            bool marker = false;
            for (const int at : marker_columns)
                marker |= row == 1 && column == at;
            const bool glyph = row >= 1 && row <= height - 2;
            const char r = marker || glyph ? '\xff' : '\0';
            const char g = glyph && !marker ? '\xff' : '\0';
            image += {r, g, r};
        }
    }
    return image;
}

Point world_of(const Matrix& modelview, const Matrix& camera, const float position[3])
{
    const std::array<float, 3> eye = recording::transform(modelview, position[0], position[1], position[2]);
    // The camera turns and moves the world rigidly: its inverse is the transposed turn after
    // taking back the move.
    const double moved[3] = {eye[0] - camera[12], eye[1] - camera[13], eye[2] - camera[14]};
    Point world{};
    for (int axis = 0; axis < 3; ++axis)
        world[axis] = static_cast<float>(camera[4 * axis] * moved[0] + camera[4 * axis + 1] * moved[1] +
                                         camera[4 * axis + 2] * moved[2]);
    return world;
}

namespace {

struct DrawnGlyph {
    int glyph;
    float left, y, z;
};

// The glyph a draw shows, found from the atlas rectangle its texture coordinates cover; -1 if
// the draw is no glyph of the font.
int glyph_shown(const Draw& draw)
{
    const auto& vertices = draw.primitive.vertices;
    if (draw.primitive.mode != GL_QUADS || vertices.size() != 4 || !draw.state.is_enabled(GL_TEXTURE_2D) ||
        draw.state.texture == 0 || draw.state.texture != font_texture)
        return -1;
    float s_low = 2, s_high = -1, t_low = 2, x_low = 1e9f, x_high = -1e9f;
    for (const auto& vertex : vertices) {
        s_low = std::fmin(s_low, vertex.texture[0]);
        s_high = std::fmax(s_high, vertex.texture[0]);
        t_low = std::fmin(t_low, vertex.texture[1]);
        x_low = std::fmin(x_low, vertex.position[0]);
        x_high = std::fmax(x_high, vertex.position[0]);
    }
    // A glyph of width w covers columns x .. x + w - 1; one of width 0 has an empty quad whose
    // far coordinate x - 1 lies left of its near one.
    const int low = static_cast<int>(std::lround(s_low * atlas_size));
    const int high = static_cast<int>(std::lround(s_high * atlas_size));
    const bool empty = x_high - x_low < 1e-6f;
    const int x = empty ? high : low;
    const int width = empty ? 0 : high - low + 1;
    const int y = static_cast<int>(std::lround(t_low * atlas_size));
    for (int glyph = 0; glyph < glyph_slots; ++glyph) {
        const Glyph& g = glyphs[glyph];
        if (g.x == x && g.y == y && g.width == width && g.height == font_height)
            return glyph;
    }
    return -1;
}

}  // namespace

std::vector<DrawnText> texts_drawn(const std::vector<Draw>& draws, const Matrix& camera)
{
    std::vector<DrawnText> texts;
    bool continues = false;   // the previous draw was a glyph
    for (std::size_t index = 0; index < draws.size(); ++index) {
        const Draw& draw = draws[index];
        const int glyph = glyph_shown(draw);
        if (glyph < 0) {
            continues = false;
            continue;
        }
        float left = 1e9f, y = 0, z = 0;
        for (const auto& vertex : draw.primitive.vertices) {
            const Point world = world_of(draw.state.modelview, camera, vertex.position);
            left = std::fmin(left, world[0]);
            y += world[1] / 4;
            z += world[2] / 4;
        }
        const float* colour = draw.state.front.diffuse;
        DrawnText* last = texts.empty() ? nullptr : &texts.back();
        const bool same_line = continues && last && std::fabs(left - last->end) < 1e-4f &&
                               std::fabs(y - last->y) < 1e-4f && std::fabs(z - last->z) < 1e-4f &&
                               std::equal(colour, colour + 4, last->colour);
        if (!same_line) {
            DrawnText text{"", left, left, y, z, {colour[0], colour[1], colour[2], colour[3]}, draw.state, index};
            texts.push_back(text);
            last = &texts.back();
        }
        last->text += glyph_chars[glyph];
        const float pen_after[3] = {glyphs[glyph].advance, 0.0f, 0.0f};   // in text drawn scaled, too
        last->end = world_of(draw.state.modelview, camera, pen_after)[0];
        continues = true;
    }
    return texts;
}

std::vector<DrawnText> texts_reading(const std::vector<DrawnText>& texts, const std::string& text)
{
    std::vector<DrawnText> found;
    for (const DrawnText& drawn : texts)
        if (drawn.text == text)
            found.push_back(drawn);
    return found;
}

std::vector<DrawnGem> gems_drawn(const std::vector<Draw>& draws, const Matrix& camera)
{
    std::vector<DrawnGem> gems;
    for (std::size_t index = 0; index < draws.size(); ++index) {
        const Draw& draw = draws[index];
        if (draw.list < list_base || draw.list >= list_base + gem_kinds)
            continue;
        if (!gems.empty() && gems.back().last_draw + 1 == index && draws[gems.back().last_draw].list_call == draw.list_call) {
            gems.back().last_draw = index;
            continue;
        }
        const float origin[3] = {0, 0, 0};
        gems.push_back({static_cast<int>(draw.list - list_base), draw.state.modelview,
                        world_of(draw.state.modelview, camera, origin), draw.state, index, index});
    }
    return gems;
}

}  // namespace quarzil::test
