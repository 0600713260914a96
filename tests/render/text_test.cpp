// text_test.cpp -- draw_text and blocks of text: where the glyphs go, how text is aligned and cut,
// and the state they leave
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "recording_gl.h"
#include "render/font.h"
#include "render/render.h"
#include "render/frame_reading.h"
#include "support/scratch.h"

namespace quarzil {
namespace {

using recording::Draw;

constexpr float origin[3] = {1.0f, 2.0f, 3.0f};   // where the tests put the text

// A font of three glyphs: A 0 pixels wide, B 2 and C 3, five rows high. Their advances are
// 0.03, 0.09 and 0.12 world units; the other characters have no glyph in this file.
class DrawText : public testing::Test {
protected:
    void SetUp() override
    {
        recording::reset();
        const testing_support::ScratchFolder folder("quarzil_text");
        ASSERT_TRUE(testing_support::write_file(folder / "font.ppm", test::glyph_strip({0, 2, 3}, 5)));
        load_font((folder / "font.ppm").c_str());
        ASSERT_NE(font_texture, 0u) << "the font did not load";
        at_origin();
    }

    static void at_origin()
    {
        recording::recording.draws.clear();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glTranslatef(origin[0], origin[1], origin[2]);
    }

    static std::vector<test::DrawnText> texts()
    {
        EXPECT_TRUE(recording::recording.errors.empty()) << recording::recording.errors.front();
        return test::texts_drawn(recording::recording.draws, recording::identity());
    }
};

TEST_F(DrawText, AlignsOnTheOriginCountingOnlyCharactersWithAGlyph)
{
    struct Case {
        int align;
        const char* text;
        const char* drawn;
        float start;   // from the origin
        float width;
    };
    const Case cases[] = {
        {ALIGN_LEFT, "BC", "BC", 0.0f, 0.21f},
        {ALIGN_CENTRE, "BC", "BC", -0.105f, 0.21f},   // half of 0.09 + 0.12
        {ALIGN_RIGHT, "BC", "BC", -0.21f, 0.21f},
        {7, "BC", "BC", -0.21f, 0.21f},    // any other alignment ends the text at the origin
        {ALIGN_CENTRE, "B\tC", "BC", -0.105f, 0.21f},  // no glyph for a tab: nothing drawn, no room taken
        {ALIGN_RIGHT, "B\x7f\xC8" "C", "BC", -0.21f, 0.21f},   // nor for delete or code 200
        {ALIGN_RIGHT, "B-C", "BC", -0.21f, 0.21f},   // a minus is past the file's glyphs
        {ALIGN_RIGHT, "BD", "B", -0.09f, 0.09f},     // D is past the file's glyphs: it draws nothing, takes nothing
        {ALIGN_LEFT, "AB", "AB", 0.0f, 0.12f},      // a glyph 0 pixels wide moves the pen one texel, 0.03
    };
    for (const Case& c : cases) {
        at_origin();
        draw_text(c.align, "%s", c.text);
        const std::vector<test::DrawnText> drawn = texts();
        ASSERT_EQ(1u, drawn.size()) << "\"" << c.text << "\" aligned " << c.align;
        const test::DrawnText& text = drawn[0];
        EXPECT_EQ(c.drawn, text.text) << "\"" << c.text << "\" aligned " << c.align;
        EXPECT_NEAR(origin[0] + c.start, text.start, 1e-6) << "\"" << c.text << "\" aligned " << c.align;
        EXPECT_NEAR(origin[0] + c.start + c.width, text.end, 1e-6) << "\"" << c.text << "\" aligned " << c.align;
        EXPECT_NEAR(origin[1], text.y, 1e-6) << "\"" << c.text << "\": on the origin's line";
        EXPECT_NEAR(origin[2], text.z, 1e-6) << "\"" << c.text << "\": in the origin's plane";
    }
}

TEST_F(DrawText, DrawsEachGlyphAsAQuadFacingTheViewerWithItsAtlasCells)
{
    draw_text(ALIGN_LEFT, "C");
    const std::vector<Draw>& draws = recording::recording.draws;
    ASSERT_EQ(1u, draws.size());
    // C, 3 texels wide and 5 high, is packed at atlas column 2, row 0, after B (A takes none):
    // 0.09 wide and 0.15 high, centred on the pen line; its far texture coordinates stop at
    // the middle of its last texel column and row.
    for (const auto& vertex : draws[0].primitive.vertices) {
        const std::array<float, 3> at = recording::transform(draws[0].state.modelview, vertex.position[0],
                                                             vertex.position[1], vertex.position[2]);
        const bool right = at[0] > origin[0] + 0.045f;
        const bool top = at[1] > origin[1];
        EXPECT_NEAR(origin[0] + (right ? 0.09f : 0.0f), at[0], 1e-6);
        EXPECT_NEAR(origin[1] + (top ? 0.075f : -0.075f), at[1], 1e-6);
        EXPECT_NEAR(origin[2], at[2], 1e-6);
        EXPECT_FLOAT_EQ((right ? 4.0f : 2.0f) / 256, vertex.texture[0]) << (right ? "right" : "left") << " edge";
        EXPECT_FLOAT_EQ((top ? 0.0f : 4.0f) / 256, vertex.texture[1]) << (top ? "top" : "bottom") << " edge";
        EXPECT_EQ(0.0f, vertex.normal[0]);
        EXPECT_EQ(0.0f, vertex.normal[1]);
        EXPECT_EQ(1.0f, vertex.normal[2]) << "lit as a face towards the viewer";
    }
    for (const recording::Triangle& triangle : recording::triangles_of(draws[0].primitive)) {
        const float ax = triangle.corner[1][0] - triangle.corner[0][0], ay = triangle.corner[1][1] - triangle.corner[0][1];
        const float bx = triangle.corner[2][0] - triangle.corner[0][0], by = triangle.corner[2][1] - triangle.corner[0][1];
        EXPECT_GT(ax * by - ay * bx, 0.0f) << "wound counter-clockwise seen from +z, so not culled";
    }
    const recording::Texture* atlas = recording::texture_named(font_texture);
    ASSERT_NE(atlas, nullptr);
    EXPECT_EQ(256, atlas->width);
    EXPECT_EQ(256, atlas->height);
    EXPECT_EQ(static_cast<GLenum>(GL_RGBA), atlas->format);
    EXPECT_EQ(GL_NEAREST, atlas->mag_filter) << "texels stay sharp";
    EXPECT_EQ(GL_NEAREST, atlas->min_filter);
}

TEST_F(DrawText, DrawsInTheCurrentMaterialBlendedOverAndLeavesBlendingOffAndDepthOn)
{
    const float colour[4] = {0.3f, 0.6f, 0.9f, 1.0f};
    for (const bool blending_before : {true, false}) {
        for (const char* text : {"BC", ""}) {
            at_origin();
            if (blending_before) {
                glEnable(GL_BLEND);
                glDisable(GL_DEPTH_TEST);
                glEnable(GL_TEXTURE_2D);
            } else {
                glDisable(GL_BLEND);
                glEnable(GL_DEPTH_TEST);
                glDisable(GL_TEXTURE_2D);
            }
            glBlendFunc(GL_ONE, GL_ONE);
            glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, colour);
            const recording::Matrix before = recording::recording.state.modelview;
            draw_text(ALIGN_LEFT, "%s", text);

            const recording::Recording& r = recording::recording;
            const std::string what = std::string("\"") + text + "\" after blending " + (blending_before ? "on" : "off");
            ASSERT_TRUE(r.errors.empty()) << what << ": " << r.errors.front();
            EXPECT_EQ(std::string(text).size(), r.draws.size()) << what << ": one quad per glyph";
            for (const Draw& draw : r.draws) {
                EXPECT_TRUE(draw.state.is_enabled(GL_BLEND)) << what << ": glyphs blended";
                EXPECT_FALSE(draw.state.is_enabled(GL_DEPTH_TEST)) << what << ": glyphs not depth-tested";
                EXPECT_TRUE(draw.state.is_enabled(GL_TEXTURE_2D)) << what << ": glyphs textured";
                EXPECT_EQ(font_texture, draw.state.texture) << what;
                EXPECT_EQ(static_cast<GLenum>(GL_ONE), draw.state.blend_destination) << what << ": blend function kept";
                EXPECT_TRUE(std::equal(colour, colour + 4, draw.state.front.diffuse)) << what << ": the caller's colour";
            }
            EXPECT_FALSE(r.state.is_enabled(GL_BLEND)) << what << ": blending afterwards";
            EXPECT_TRUE(r.state.is_enabled(GL_DEPTH_TEST)) << what << ": depth test afterwards";
            EXPECT_FALSE(r.state.is_enabled(GL_TEXTURE_2D)) << what << ": texturing afterwards";
            EXPECT_EQ(before, r.state.modelview) << what << ": the matrix afterwards";
        }
    }
}

TEST_F(DrawText, FormatsAndCutsTheTextAt127Characters)
{
    const std::string long_text(200, 'B');
    draw_text(ALIGN_LEFT, "%s%c", long_text.c_str(), 'C');
    const std::vector<test::DrawnText> drawn = texts();
    ASSERT_EQ(1u, drawn.size());
    EXPECT_EQ(std::string(127, 'B'), drawn[0].text);
    EXPECT_NEAR(origin[0] + 127 * 0.09, drawn[0].end, 1e-4);

    at_origin();
    draw_text(ALIGN_RIGHT, "%c%s", 'C', "B");
    EXPECT_EQ("CB", texts().at(0).text);
}

// What a glyph's draw shows and how: its corners where the matrix puts them, its texture
// coordinates, normal and colour, and the state that decides how it lands.
std::string describe(const Draw& draw)
{
    std::string text = recording::enum_name(draw.primitive.mode);
    for (const auto& vertex : draw.primitive.vertices) {
        const std::array<float, 3> at =
            recording::transform(draw.state.modelview, vertex.position[0], vertex.position[1], vertex.position[2]);
        char corner[200];
        std::snprintf(corner, sizeof corner, " (%.9g %.9g %.9g | %.9g %.9g | n %g %g %g | c %g %g %g %g)", at[0],
                      at[1], at[2], vertex.texture[0], vertex.texture[1], vertex.normal[0], vertex.normal[1],
                      vertex.normal[2], vertex.colour[0], vertex.colour[1], vertex.colour[2], vertex.colour[3]);
        text += corner;
    }
    const recording::DrawState& state = draw.state;
    for (const GLenum capability : {GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_2D})
        text += state.is_enabled(capability) ? " +" + recording::enum_name(capability) : " -" + recording::enum_name(capability);
    text += " texture " + std::to_string(state.texture) + " blend " + recording::enum_name(state.blend_source) + " " +
            recording::enum_name(state.blend_destination);
    return text;
}

TEST_F(DrawText, ABlockDrawsWhatDrawTextDrawsStringByStringAndLeavesTheSameState)
{
    struct Line {
        int align;
        const char* text;
        float colour[4];
        float move[3];   // from the previous line, as a table steps down its rows
        float scale_x;   // a narrowed name
    };
    const Line lines[] = {
        {ALIGN_CENTRE, "BC", {0.75f, 0.75f, 0.75f, 1.0f}, {0.0f, 0.0f, 0.0f}, 1.0f},
        {ALIGN_LEFT, "CAB", {0.75f, 0.75f, 0.75f, 1.0f}, {1.3f, 0.0f, 0.0f}, 1.0f},
        {ALIGN_RIGHT, "B-B", {0.8f, 0.1f, 0.0f, 1.0f}, {5.0f, -0.9f, 0.0f}, 1.0f},
        {ALIGN_LEFT, "", {0.8f, 0.1f, 0.0f, 1.0f}, {0.0f, -0.9f, 0.0f}, 1.0f},
        {ALIGN_LEFT, "CCCC", {0.5f, 0.5f, 0.5f, 0.5f}, {-2.0f, 0.0f, 4.0f}, 0.6f},
    };
    const auto draw_lines = [&](bool in_block) {
        at_origin();
        glEnable(GL_BLEND);   // as the board leaves it
        glBlendFunc(GL_ONE, GL_ONE);
        glDisable(GL_TEXTURE_2D);
        glPushMatrix();
        if (in_block)
            begin_text();
        for (const Line& line : lines) {
            glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, line.colour);
            glTranslatef(line.move[0], line.move[1], line.move[2]);
            glPushMatrix();
            glScalef(line.scale_x, 1.0f, 1.0f);
            if (in_block)
                write_text(line.align, "%s", line.text);
            else
                draw_text(line.align, "%s", line.text);
            glPopMatrix();
        }
        if (in_block)
            end_text();
        glPopMatrix();
        EXPECT_TRUE(recording::recording.errors.empty()) << recording::recording.errors.front();
        std::vector<std::string> drawn;
        for (const Draw& draw : recording::recording.draws)
            drawn.push_back(describe(draw));
        return drawn;
    };
    const std::vector<std::string> one_by_one = draw_lines(false);
    const recording::DrawState after_one_by_one = recording::recording.state;
    const std::vector<std::string> in_block = draw_lines(true);
    const recording::DrawState& after_block = recording::recording.state;

    ASSERT_EQ(one_by_one.size(), in_block.size()) << "glyphs drawn by draw_text, then in a block";
    EXPECT_EQ(11u, in_block.size()) << "every glyph with a glyph in the font, of the five lines";
    for (std::size_t index = 0; index < one_by_one.size(); ++index)
        EXPECT_EQ(one_by_one[index], in_block[index]) << "glyph " << index << ": draw_text's, then the block's";
    for (const GLenum capability : {GL_BLEND, GL_DEPTH_TEST, GL_TEXTURE_2D})
        EXPECT_EQ(after_one_by_one.is_enabled(capability), after_block.is_enabled(capability))
            << recording::enum_name(capability) << " after the last line";
    EXPECT_FALSE(after_block.is_enabled(GL_BLEND));
    EXPECT_TRUE(after_block.is_enabled(GL_DEPTH_TEST));
    EXPECT_FALSE(after_block.is_enabled(GL_TEXTURE_2D));
    EXPECT_EQ(recording::identity(), recording::multiply(recording::translation(-origin[0], -origin[1], -origin[2]),
                                                         after_block.modelview))
        << "the matrix as it was before the block";
}

// With a font of every printable character, text shows every one of them, in order, each glyph
// its own: punctuation in a name included.
TEST_F(DrawText, AFontOfEveryPrintableCharacterDrawsThemAll)
{
    std::vector<int> widths;
    for (int glyph = 0; glyph < glyph_char_count; ++glyph)
        widths.push_back(1 + glyph % 5);
    const testing_support::ScratchFolder folder("quarzil_text_all");
    ASSERT_TRUE(testing_support::write_file(folder / "font.ppm", test::glyph_strip(widths, 5)));
    load_font((folder / "font.ppm").c_str());
    std::string printable;
    for (char c = ' '; c <= '~'; ++c)
        printable += c;
    for (const std::string& text : {std::string("o'brien-j"), std::string("a,b/c"), printable}) {
        at_origin();
        draw_text(ALIGN_LEFT, "%s", text.c_str());
        const std::vector<test::DrawnText> drawn = texts();
        ASSERT_EQ(1u, drawn.size()) << "\"" << text << "\"";
        EXPECT_EQ(text, drawn[0].text) << "text drawn";
        EXPECT_NEAR(origin[0] + text_width(text.c_str()), drawn[0].end, 1e-5) << "\"" << text << "\": its end";
    }
}

TEST_F(DrawText, DrawsNothingWithoutAFont)
{
    const std::size_t textures = recording::recording.textures.size();
    load_font("/nonexistent/bigfont.ppm");
    EXPECT_EQ(textures, recording::recording.textures.size()) << "no texture for a missing file";
    at_origin();
    draw_text(ALIGN_CENTRE, "BC");
    EXPECT_TRUE(recording::recording.draws.empty()) << recording::recording.draws.size() << " primitives drawn";
    EXPECT_FALSE(recording::recording.state.is_enabled(GL_BLEND));
    EXPECT_TRUE(recording::recording.state.is_enabled(GL_DEPTH_TEST));
}

}  // namespace
}  // namespace quarzil
