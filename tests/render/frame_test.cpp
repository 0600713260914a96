// frame_test.cpp -- the frame: what is drawn, where, in which colour and light, over and under what
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/game.h"
#include "lighting.h"
#include "recording_gl.h"
#include "render/render.h"
#include "render/frame_reading.h"
#include "shell/keys.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "support/scratch.h"

namespace quarzil {
namespace {

using recording::Draw;
using recording::Matrix;
using test::DrawnGem;
using test::DrawnText;

constexpr float red[4] = {0.8f, 0.1f, 0.0f, 1.0f};
constexpr float grey[4] = {0.75f, 0.75f, 0.75f, 1.0f};
constexpr float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};

bool same_colour(const float* expected, const float* got)
{
    for (int i = 0; i < 4; ++i)
        if (std::fabs(expected[i] - got[i]) > 1e-6f)
            return false;
    return true;
}

std::string colour_text(const float* colour)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%g, %g, %g, %g)", colour[0], colour[1], colour[2], colour[3]);
    return text;
}

std::string point_text(const test::Point& p)
{
    char text[64];
    std::snprintf(text, sizeof text, "(%g, %g, %g)", p[0], p[1], p[2]);
    return text;
}

TEST(InitScene, StartsTheWindowBlack)
{
    recording::reset();
    init_scene();
    const recording::Recording& r = recording::recording;
    ASSERT_TRUE(r.errors.empty()) << r.errors.front();
    const float black[4] = {0, 0, 0, 1};
    EXPECT_TRUE(same_colour(black, r.clear_colour)) << colour_text(r.clear_colour);
    ASSERT_EQ(1u, r.clears.size());
    EXPECT_EQ(static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT), r.clears[0].mask);
}

// ---------------------------------------------------------------------------
// The frame

// The game's fixed state, a font of all 72 glyphs (widths 1 to 4 texels, 5 high) and the gem
// lists, the view of an 800 × 600 window, and a board of resting gems of kind index mod 7.
class Frame : public testing::Test {
protected:
    void SetUp() override
    {
        recording::reset();
        init_scene();
        set_view(800, 600);
        camera = recording::recording.state.modelview;
        {
            std::vector<int> widths;
            for (int glyph = 0; glyph < glyph_char_count; ++glyph)
                widths.push_back(1 + glyph % 4);
            const testing_support::ScratchFolder folder("quarzil_frame");
            ASSERT_TRUE(testing_support::write_file(folder / "font.ppm", test::glyph_strip(widths, 5)));
            load_font((folder / "font.ppm").c_str());
        }
        build_gem_lists();
        ASSERT_TRUE(recording::recording.errors.empty()) << recording::recording.errors.front();

        srandom(1);
        new_game();
        for (int index = 0; index < board_cells; ++index) {
            Cell& cell = board[index];
            std::memset(&cell, 0, sizeof cell);
            cell.kind = index % gem_kinds;
            cell.axis[1] = 1.0f;
            cell.life = 1.0f;
        }
        hover_col = hover_row = -1;
        std::memset(score_table, 0, sizeof score_table);
    }

    Cell& cell(int row, int column) { return board[row * board_size + column]; }

    // Draws one frame and reads it back.
    void draw()
    {
        recording::recording.draws.clear();
        recording::recording.clears.clear();
        test::swaps.clear();
        tell_frame(frame_input_now());
        draw_frame();
        const recording::Recording& r = recording::recording;
        ASSERT_TRUE(r.errors.empty()) << r.errors.front();
        draws = &r.draws;
        texts = test::texts_drawn(r.draws, camera);
        gems = test::gems_drawn(r.draws, camera);
    }

    // The gem drawn with its centre at (x, y, z), or nullptr; adds a failure unless exactly one is.
    const DrawnGem* gem_at(float x, float y, float z) const
    {
        const DrawnGem* found = nullptr;
        int count = 0;
        for (const DrawnGem& gem : gems) {
            if (std::fabs(gem.centre[0] - x) < 1e-4f && std::fabs(gem.centre[1] - y) < 1e-4f &&
                std::fabs(gem.centre[2] - z) < 1e-4f) {
                found = &gem;
                ++count;
            }
        }
        EXPECT_EQ(1, count) << "gems drawn at " << point_text({x, y, z});
        return count == 1 ? found : nullptr;
    }

    // The one text reading text drawn on the line y, or nullptr; adds a failure unless exactly one is.
    const DrawnText* text_on_line(const std::string& text, float y) const
    {
        const DrawnText* found = nullptr;
        int count = 0;
        for (const DrawnText& drawn : texts) {
            if (drawn.text == text && std::fabs(drawn.y - y) < 1e-4f) {
                found = &drawn;
                ++count;
            }
        }
        EXPECT_EQ(1, count) << "texts \"" << text << "\" drawn on the line y = " << y;
        return count == 1 ? found : nullptr;
    }

    // The draw of the translucent panel over the board, or nullptr.
    const Draw* panel() const
    {
        for (const Draw& draw : *draws)
            if (draw.list == 0 && draw.primitive.mode == GL_QUADS && !draw.state.is_enabled(GL_TEXTURE_2D))
                return &draw;
        return nullptr;
    }

    Matrix camera;
    const std::vector<Draw>* draws = nullptr;
    std::vector<DrawnText> texts;
    std::vector<DrawnGem> gems;
};

// How a text is anchored on its point.
enum Anchor { START, CENTRE, END };

void expect_text_at(const DrawnText* text, Anchor anchor, float x, float y, float z, const float* colour,
                    const std::string& what)
{
    if (text == nullptr)
        return;
    const float at = anchor == START ? text->start : anchor == CENTRE ? text->centre() : text->end;
    EXPECT_NEAR(x, at, 1e-4) << what << ": " << (anchor == START ? "starts" : anchor == CENTRE ? "centred" : "ends")
                             << " at x";
    EXPECT_NEAR(y, text->y, 1e-4) << what;
    EXPECT_NEAR(z, text->z, 1e-4) << what;
    EXPECT_TRUE(same_colour(colour, text->colour))
        << what << ": expected colour " << colour_text(colour) << ", got " << colour_text(text->colour);
}

TEST_F(Frame, ClearsFirstAndPresentsTheWholeFrame)
{
    for (const GameMode mode : {MODE_PLAY, MODE_OVER, MODE_NAME_ENTRY}) {
        game_mode = mode;
        draw();
        const recording::Recording& r = recording::recording;
        const std::string what = "mode " + std::to_string(mode);
        ASSERT_EQ(1u, r.clears.size()) << what;
        EXPECT_EQ(static_cast<GLbitfield>(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT), r.clears[0].mask) << what;
        EXPECT_EQ(0u, r.clears[0].draws_before) << what << ": cleared before anything is drawn";
        EXPECT_EQ(std::vector<std::size_t>{r.draws.size()}, test::swaps) << what << ": presented once, after the last draw";

        // What every frame leaves for the next.
        EXPECT_FALSE(r.state.is_enabled(GL_BLEND)) << what;
        EXPECT_TRUE(r.state.is_enabled(GL_DEPTH_TEST)) << what;
        EXPECT_FALSE(r.state.is_enabled(GL_TEXTURE_2D)) << what;
        EXPECT_FALSE(r.state.is_enabled(GL_LIGHT2)) << what;
        EXPECT_TRUE(r.state.is_enabled(GL_LIGHT0) && r.state.is_enabled(GL_LIGHT1)) << what;
        EXPECT_EQ(static_cast<GLenum>(GL_ONE), r.state.blend_source) << what;
        EXPECT_EQ(static_cast<GLenum>(GL_ONE), r.state.blend_destination) << what;
        EXPECT_EQ(camera, r.state.modelview) << what << ": the camera matrix again";
    }
}

TEST_F(Frame, DrawsEveryGemOnItsSquareRaisedByItsDropFlyingOutAsItVanishesTurnedByItsAngle)
{
    struct Case {
        int row, column;
        float life, drop, angle;
        float x, y, z;   // world position of the gem's centre
        const char* what;
    };
    const Case cases[] = {
        {0, 0, 1.0f, 0.0f, 0.0f, -3.16f, 6.16f, 0.0f, "top left"},
        {0, 7, 1.0f, 0.0f, 90.0f, 9.16f, 6.16f, 0.0f, "top right, turned a quarter"},
        {7, 0, 1.0f, 0.0f, 33.75f, -3.16f, -6.16f, 0.0f, "bottom left"},
        {7, 7, 1.0f, 0.0f, 723.0f, 9.16f, -6.16f, 0.0f, "bottom right, turned twice and more"},
        {5, 1, 1.0f, 2.5f, 0.0f, -1.4f, 1.76f, 0.0f, "dropping from 2.5 squares up"},
        {3, 5, 0.999f, 0.0f, 0.0f, 5.64f, 0.88f, 0.05f, "doomed"},
        {2, 3, 0.3f, 0.0f, 0.0f, 2.12f, 2.64f, 35.0f, "vanishing, at the near plane"},
        {2, 4, 0.0f, 0.0f, 0.0f, 3.88f, 2.64f, 50.0f, "empty, behind the eye"},
    };
    for (const Case& c : cases) {
        Cell& gem = cell(c.row, c.column);
        gem.life = c.life;
        gem.drop = c.drop;
        gem.angle = c.angle;
    }
    game_mode = MODE_PLAY;
    draw();
    EXPECT_EQ(static_cast<std::size_t>(board_cells), gems.size()) << "one solid per square";
    for (const Case& c : cases) {
        const DrawnGem* gem = gem_at(c.x, c.y, c.z);
        if (gem == nullptr) {
            ADD_FAILURE() << c.what;
            continue;
        }
        EXPECT_EQ(cell(c.row, c.column).kind, gem->kind) << c.what;
        const Matrix expected = recording::multiply(
            camera, recording::multiply(recording::translation(c.x, c.y, c.z), recording::rotation(c.angle, 0, 1, 0)));
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(expected[i], gem->modelview[i], 1e-4) << c.what << ": element " << i;
    }
    // The near plane lies 5 units in front of the eye, the board 40.
    const DrawnGem* vanishing = gem_at(2.12f, 2.64f, 35.0f);
    ASSERT_NE(vanishing, nullptr);
    EXPECT_NEAR(-5.0f, vanishing->modelview[14], 1e-4) << "eye depth of the vanishing gem";

    // Resting and falling gems are added onto the picture, lit, without a depth test.
    for (const DrawnGem& gem : gems) {
        EXPECT_TRUE(gem.state.is_enabled(GL_BLEND)) << "gem at " << point_text(gem.centre);
        EXPECT_EQ(static_cast<GLenum>(GL_ONE), gem.state.blend_source);
        EXPECT_EQ(static_cast<GLenum>(GL_ONE), gem.state.blend_destination);
        EXPECT_FALSE(gem.state.is_enabled(GL_DEPTH_TEST)) << "gem at " << point_text(gem.centre);
        EXPECT_TRUE(gem.state.is_enabled(GL_LIGHTING) && gem.state.is_enabled(GL_LIGHT0) &&
                    gem.state.is_enabled(GL_LIGHT1))
            << "gem at " << point_text(gem.centre);
    }
}

TEST_F(Frame, SwappingGemsSlideHomeBowingOutOfTheBoardOpaqueAndDepthTested)
{
    // At step 10 of 19 a gem is 1.76 × cos(45°) = 1.2445 from its square towards the square its
    // gem comes from, and 1.76 out of the board: the first of the two met row by row towards
    // the viewer, the second away.
    struct Mover {
        int row, column;
        float dx, dy;   // towards the square it comes from, upward positive
        float x, y, z;
    };
    const struct {
        const char* what;
        Mover first, second;
    } cases[] = {
        {"across", {4, 5, 1, 0, 6.8845f, -0.88f, 1.76f}, {4, 6, -1, 0, 6.1555f, -0.88f, -1.76f}},
        {"down", {3, 2, 0, -1, 0.36f, -0.3645f, 1.76f}, {4, 2, 0, 1, 0.36f, 0.3645f, -1.76f}},
    };
    for (const auto& c : cases) {
        SetUp();
        for (const Mover& mover : {c.first, c.second}) {
            Cell& gem = cell(mover.row, mover.column);
            gem.swap_dx = mover.dx;
            gem.swap_dy = mover.dy;
            gem.swap_step = 10;
        }
        draw();
        for (const Mover& mover : {c.first, c.second}) {
            const DrawnGem* gem = gem_at(mover.x, mover.y, mover.z);
            if (gem == nullptr) {
                ADD_FAILURE() << c.what << ": the gem of row " << mover.row << ", column " << mover.column;
                continue;
            }
            EXPECT_EQ(cell(mover.row, mover.column).kind, gem->kind) << c.what;
            EXPECT_FALSE(gem->state.is_enabled(GL_BLEND)) << c.what << ": opaque";
            EXPECT_TRUE(gem->state.is_enabled(GL_DEPTH_TEST)) << c.what << ": depth-tested";
        }
        int blended = 0;
        for (const DrawnGem& gem : gems)
            blended += gem.state.is_enabled(GL_BLEND) && !gem.state.is_enabled(GL_DEPTH_TEST);
        EXPECT_EQ(board_cells - 2, blended) << c.what << ": the other gems are blended as ever";
    }
}

TEST_F(Frame, DrawsEachKindAsItsSolidInItsColour)
{
    const float colours[gem_kinds][4] = {
        {0.2f, 0.2f, 1.0f, 1.0f},   // blue
        {1.0f, 0.5f, 0.0f, 1.0f},   // orange
        {1.0f, 1.0f, 0.0f, 1.0f},   // yellow
        {1.0f, 0.0f, 1.0f, 1.0f},   // magenta
        {0.0f, 0.8f, 0.2f, 1.0f},   // green
        {0.8f, 0.1f, 0.0f, 1.0f},   // red
        {1.0f, 1.0f, 1.0f, 1.0f},   // white
    };
    draw();
    ASSERT_EQ(static_cast<std::size_t>(board_cells), gems.size());
    for (int index = 0; index < board_cells; ++index) {
        const int row = index / board_size, column = index % board_size;
        const DrawnGem* gem = gem_at(1.76f * column - 3.16f, 6.16f - 1.76f * row, 0.0f);
        if (gem == nullptr)
            continue;
        const int kind = board[index].kind;
        EXPECT_EQ(kind, gem->kind) << "row " << row << ", column " << column << ": the solid of its kind";
        const recording::Material& material = gem->state.front;
        EXPECT_TRUE(same_colour(colours[kind], material.ambient) && same_colour(colours[kind], material.diffuse))
            << "kind " << kind << ": expected " << colour_text(colours[kind]) << ", got "
            << colour_text(material.diffuse);
        EXPECT_TRUE(same_colour(white, material.specular)) << "kind " << kind << ": white highlights";
        EXPECT_EQ(25.0f, material.shininess) << "kind " << kind;
    }
    for (const Draw& draw : *draws)
        EXPECT_NE(list_base + point_ring_slot, draw.list) << "the ring of points is never drawn";
}

TEST_F(Frame, LightsOnlyTheHoveredGemWhileAGameIsPlayed)
{
    const struct {
        GameMode mode;
        int col, row;
        bool lit;   // the gem of (row, col) is lit by the third light
    } cases[] = {
        {MODE_PLAY, 3, 2, true},
        {MODE_PLAY, 0, 7, true},
        {MODE_PLAY, 8, 2, false},   // right of the board
        {MODE_PLAY, 3, -1, false},  // above it
        {MODE_OVER, 3, 2, false},
        {MODE_NAME_ENTRY, 3, 2, false},
    };
    for (const auto& c : cases) {
        game_mode = c.mode;
        hover_col = c.col;
        hover_row = c.row;
        draw();
        const std::string what = "mode " + std::to_string(c.mode) + ", pointer over column " + std::to_string(c.col) +
                                 ", row " + std::to_string(c.row);
        const DrawnGem* hovered = nullptr;
        if (c.lit) {
            hovered = gem_at(1.76f * c.col - 3.16f, 6.16f - 1.76f * c.row, 0.0f);
            ASSERT_NE(hovered, nullptr) << what;
        }
        for (std::size_t index = 0; index < draws->size(); ++index) {
            const bool of_hovered = hovered && index >= hovered->first_draw && index <= hovered->last_draw;
            EXPECT_EQ(of_hovered, (*draws)[index].state.is_enabled(GL_LIGHT2)) << what << ", draw " << index;
        }
    }
}

// The unit vector half-way between the direction to a light and the viewer's, (0, 0, 1): a face
// with this normal shows the light's full highlight.
test::Direction half_way(const float* light_position)
{
    const double length = std::sqrt(light_position[0] * light_position[0] + light_position[1] * light_position[1] +
                                    light_position[2] * light_position[2]);
    test::Direction half = {light_position[0] / length, light_position[1] / length, light_position[2] / length + 1.0};
    const double half_length = std::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
    for (double& component : half) component /= half_length;
    return half;
}

std::string lit_text(const test::Colour& c)
{
    return "(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]) + ")";
}

// The scene as every frame shows it: resting gems with their back faces culled, flat faces, added
// onto the black, lit from two sides, a white highlight from the first light and a dimmer grey
// one from the second, a fifth of their colour where neither reaches; text added onto what lies
// under it; the clock's outline two pixels wide and not smoothed.
TEST_F(Frame, LightsTheGemsFromTwoSidesAndAddsTheTextOnTop)
{
    hover_col = hover_row = -1;
    draw();
    const recording::Recording& r = recording::recording;
    ASSERT_EQ(static_cast<std::size_t>(board_cells), gems.size());
    EXPECT_EQ(static_cast<GLenum>(GL_FLAT), r.shade_model);
    const test::Direction to_first = half_way(r.lights[0].position);
    const test::Direction to_second = half_way(r.lights[1].position);
    const test::Direction away = {-(to_first[0] + to_second[0]) / 2, -(to_first[1] + to_second[1]) / 2,
                                  -(to_first[2] + to_second[2]) / 2};
    const double away_length = std::sqrt(away[0] * away[0] + away[1] * away[1] + away[2] * away[2]);
    const test::Direction unlit = {away[0] / away_length, away[1] / away_length, away[2] / away_length};
    for (const DrawnGem& gem : std::vector<DrawnGem>(gems.begin(), gems.begin() + gem_kinds)) {
        const std::string what = "a gem of kind " + std::to_string(gem.kind);
        for (std::size_t index = gem.first_draw; index <= gem.last_draw; ++index) {
            const recording::DrawState& state = (*draws)[index].state;
            for (const GLenum on : {GL_CULL_FACE, GL_LIGHTING, GL_LIGHT0, GL_LIGHT1, GL_BLEND})
                EXPECT_TRUE(state.is_enabled(on)) << what << ": " << recording::enum_name(on);
            EXPECT_FALSE(state.is_enabled(GL_LIGHT2)) << what << ": GL_LIGHT2";
            EXPECT_EQ(static_cast<GLenum>(GL_ONE), state.blend_source) << what << ": added";
            EXPECT_EQ(static_cast<GLenum>(GL_ONE), state.blend_destination) << what << ": onto what lies under it";
        }
        const recording::DrawState& state = gem.state;
        const float* const colour = gem_colours[gem.kind];
        const test::Colour first = test::lit_colour(r, state, state.front, to_first);
        const test::Colour second = test::lit_colour(r, state, state.front, to_second);
        const test::Colour dark = test::lit_colour(r, state, state.front, unlit);
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(first[c], 1.0, 1e-6) << what << ", turned to the first light: " << lit_text(first);
            EXPECT_GE(second[c], 0.7 - 1e-6) << what << ", turned to the second light: " << lit_text(second);
            EXPECT_NEAR(dark[c], 0.2 * colour[c], 1e-6) << what << ", turned from both lights: " << lit_text(dark);
        }
        if (gem.kind == 0) {   // blue: its red shows the second light's highlight is not white
            EXPECT_LT(second[0], 0.95) << what << ", turned to the second light: " << lit_text(second);
        }
    }
    // Each light alone, on a face turned straight to it: three quarters of the gem's colour
    // besides the fifth of the ambient light, and the light's highlight (white, 70% grey, white)
    // as strong as the angle to the viewer lets it be.
    const auto expect_light = [&](const DrawnGem& gem, int light, double specular) {
        recording::DrawState only = gem.state;
        std::erase_if(only.enabled, [&](GLenum capability) {
            return capability >= GL_LIGHT0 && capability <= GL_LIGHT7 && capability != static_cast<GLenum>(GL_LIGHT0 + light);
        });
        const float* const p = r.lights[light].position;
        const double length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        const test::Direction straight_on = {p[0] / length, p[1] / length, p[2] / length};
        const test::Direction half = half_way(p);
        const double highlight =
            std::pow(straight_on[0] * half[0] + straight_on[1] * half[1] + straight_on[2] * half[2], 25.0) * specular;
        const test::Colour straight = test::lit_colour(r, only, only.front, straight_on);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(straight[c], std::min(1.0, 0.95 * gem_colours[gem.kind][c] + highlight), 1e-6)
                << "light " << light << " alone on a gem of kind " << gem.kind << ": " << lit_text(straight);
    };
    expect_light(gems.at(3), 0, 1.0);
    expect_light(gems.at(3), 1, 0.7);

    bool text_seen = false;
    for (const Draw& draw : *draws) {
        if (!draw.state.is_enabled(GL_TEXTURE_2D)) continue;
        text_seen = true;
        EXPECT_TRUE(draw.state.is_enabled(GL_BLEND)) << "text is blended";
        EXPECT_EQ(static_cast<GLenum>(GL_ONE), draw.state.blend_source) << "text is added";
        EXPECT_EQ(static_cast<GLenum>(GL_ONE), draw.state.blend_destination) << "onto what lies under it";
    }
    EXPECT_TRUE(text_seen);
    bool outline_seen = false;
    for (const Draw& draw : *draws) {
        if (draw.primitive.mode != GL_LINE_LOOP) continue;
        outline_seen = true;
        EXPECT_EQ(2.0f, draw.state.line_width) << "the clock's outline";
        EXPECT_FALSE(draw.state.is_enabled(GL_LINE_SMOOTH)) << "the clock's outline";
    }
    EXPECT_TRUE(outline_seen) << "the clock's outline is drawn while a game is played";

    // The hovered gem's own light.
    hover_col = 3;
    hover_row = 2;
    draw();
    const DrawnGem* const hovered = gem_at(1.76f * 3 - 3.16f, 6.16f - 1.76f * 2, 0.0f);
    ASSERT_NE(hovered, nullptr);
    expect_light(*hovered, 2, 1.0);
}

// Where the light comes from, as a blue gem shows it, whose red and green show the highlights:
// the colour of a face by the way it is turned (in the eye's frame, x to the right, y up, z
// towards the viewer), alike on every square; the hovered gem is lit from the front as well.
TEST_F(Frame, LightFallsFromTheUpperLeftAndFromTheRight)
{
    const double front = 1 / std::sqrt(30.0), right = 1 / std::sqrt(13.0);
    const struct {
        const char* what;
        test::Direction normal;
        test::Colour resting, hovered;
    } faces[] = {
        {"turned left", {-1, 0, 0}, {0.09, 0.09, 0.45}, {0.09, 0.09, 0.45}},
        {"turned right", {1, 0, 0}, {0.187, 0.187, 0.93498}, {0.187, 0.187, 0.93498}},
        {"turned up", {0, 1, 0}, {0.15336, 0.15336, 0.76682}, {0.15336, 0.15336, 0.76682}},
        {"turned down", {0, -1, 0}, {0.04, 0.04, 0.2}, {0.04, 0.04, 0.2}},
        {"turned away", {0, 0, -1}, {0.04, 0.04, 0.2}, {0.04, 0.04, 0.2}},
        {"turned to the viewer", {0, 0, 1}, {0.27005, 0.27005, 0.93695}, {1, 1, 1}},
        {"turned up and left, towards the viewer", {-front, 2 * front, 5 * front}, {1, 1, 1}, {1, 1, 1}},
        {"turned right, towards the viewer", {3 * right, 0, 2 * right}, {0.42379, 0.42379, 1}, {0.507, 0.507, 1}},
    };
    ASSERT_EQ(0, cell(0, 0).kind);
    ASSERT_EQ(0, cell(7, 7).kind);
    for (const bool hovered : {false, true}) {
        for (const int square : {0, 7}) {
            hover_col = hover_row = hovered ? square : -1;
            draw();
            const DrawnGem* gem = gem_at(static_cast<float>(square_centre_x(square)),
                                         static_cast<float>(square_centre_y(square)), 0.0f);
            ASSERT_NE(gem, nullptr);
            const test::Direction at = {gem->modelview[12], gem->modelview[13], gem->modelview[14]};
            for (const auto& face : faces) {
                const test::Colour expected = hovered ? face.hovered : face.resting;
                const test::Colour got = test::lit_colour(recording::recording, gem->state, gem->state.front, face.normal, at);
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(expected[c], got[c], 1e-4)
                        << (hovered ? "the hovered gem" : "a gem") << " on square (" << square << ", " << square
                        << "), " << face.what << ": expected " << lit_text(expected) << ", got " << lit_text(got);
            }
        }
    }
}

TEST_F(Frame, ScoreLabelsSinkAndDimAsTheyFade)
{
    popups[0] = {1.0f, 2.0f, 0.0f, 0.5f, 7};
    popups[3] = {-2.0f, 0.0f, 0.0f, 1.0f, 12};
    popups[5] = {4.0f, 4.0f, 0.0f, 0.0f, 99};   // faded out: a free slot
    draw();
    const float half[4] = {0.5f, 0.5f, 0.5f, 1.0f};
    expect_text_at(text_on_line("+7", 1.5f), CENTRE, 1.0f, 1.5f, 0.0f, half, "a label at half brightness");
    expect_text_at(text_on_line("+12", 0.0f), CENTRE, -2.0f, 0.0f, 0.0f, white, "a new label");
    EXPECT_TRUE(test::texts_reading(texts, "+99").empty()) << "a faded label is not drawn";
}

TEST_F(Frame, ScorePanelShowsTheFiguresAndTheChainOrTheEndOfTheGame)
{
    const struct {
        GameMode mode;
        float chain_alpha;
        bool chain, game_over;
    } cases[] = {
        {MODE_PLAY, 0.4f, true, false},
        {MODE_PLAY, 0.0f, false, false},
        {MODE_OVER, 0.4f, false, true},
        {MODE_NAME_ENTRY, 0.4f, false, true},
    };
    for (const auto& c : cases) {
        game_mode = c.mode;
        score = 1234;
        level = 3;
        move_count = 5;
        chain_points = 9;
        chain_alpha = c.chain_alpha;
        draw();
        const std::string what = "mode " + std::to_string(c.mode) + ", chain label at " + std::to_string(c.chain_alpha);
        expect_text_at(text_on_line("1234", 5.0f), END, -3.7f, 5.0f, 8.0f, red, what + ", the score");
        expect_text_at(text_on_line("3", 3.95f), END, -3.7f, 3.95f, 8.0f, red, what + ", the level");
        expect_text_at(text_on_line("5", 2.9f), END, -3.7f, 2.9f, 8.0f, red, what + ", the moves");
        expect_text_at(text_on_line("Score", 5.0f), START, -8.0f, 5.0f, 8.0f, red, what);
        expect_text_at(text_on_line("Level", 3.95f), START, -8.0f, 3.95f, 8.0f, red, what);
        expect_text_at(text_on_line("Moves", 2.9f), START, -8.0f, 2.9f, 8.0f, red, what);
        const float dim[4] = {c.chain_alpha, c.chain_alpha, c.chain_alpha, c.chain_alpha};
        if (c.chain)
            expect_text_at(text_on_line("+9", 1.85f), CENTRE, -5.85f, 1.85f, 8.0f, dim, what + ", the chain");
        else
            EXPECT_TRUE(test::texts_reading(texts, "+9").empty()) << what << ": no chain label";
        if (c.game_over)
            expect_text_at(text_on_line("Game Over", -0.775f), START, -8.0f, -0.775f, 8.0f, red, what);
        else
            EXPECT_TRUE(test::texts_reading(texts, "Game Over").empty()) << what;
    }
}

// The clock's dial and star stand in the timed game alone.
TEST_F(Frame, OnlyTheTimedGameDrawsTheClock)
{
    for (const GameType type : {TYPE_TIMED, TYPE_RELAXED}) {
        game_mode = MODE_PLAY;
        game_type = type;
        draw();
        bool outline_seen = false;
        for (const Draw& drawn : *draws)
            outline_seen = outline_seen || drawn.primitive.mode == GL_LINE_LOOP;
        EXPECT_EQ(outline_seen, type == TYPE_TIMED) << "the clock's outline, game type " << type;
    }
    game_type = TYPE_TIMED;
}

// The table screen names the game type whose table it shows, where "Best n" stands in a game; a
// click there is found on it.
TEST_F(Frame, TheTableScreenNamesItsGameTypeWhereAClickFindsIt)
{
    const struct {
        GameMode mode;
        GameType type;
        const char* name;   // nullptr: none
    } cases[] = {
        {MODE_OVER, TYPE_TIMED, "Timed"},
        {MODE_OVER, TYPE_RELAXED, "Relaxed"},
        {MODE_NAME_ENTRY, TYPE_RELAXED, "Relaxed"},
        {MODE_PLAY, TYPE_RELAXED, nullptr},
    };
    for (const auto& c : cases) {
        game_mode = c.mode;
        game_type = c.type;
        draw();
        const std::string what = "mode " + std::to_string(c.mode) + ", type " + std::to_string(c.type);
        for (const char* name : {"Timed", "Relaxed"}) {
            if (c.name && std::string(name) == c.name) {
                const DrawnText* const drawn = text_on_line(name, 1.0f);
                expect_text_at(drawn, START, -8.0f, 1.0f, 8.0f, grey, what);
                if (drawn) {
                    EXPECT_TRUE(on_type_name(drawn->centre(), 1.3f)) << what << ": a click on the name";
                    EXPECT_FALSE(on_type_name(drawn->end + 1.0f, 1.3f)) << what << ": a click beside it";
                    EXPECT_FALSE(on_type_name(drawn->centre(), -0.5f)) << what << ": a click on Game Over";
                }
            } else {
                EXPECT_TRUE(test::texts_reading(texts, name).empty()) << what << ": " << name;
            }
        }
    }
    game_type = TYPE_TIMED;
}

TEST_F(Frame, BestScoreStandsSmallBelowThePanelsRowsWhileAGameGoesOn)
{
    const struct {
        GameMode mode;
        bool paused_game, table_has_a_row, shown;
    } cases[] = {
        {MODE_PLAY, false, true, true},
        {MODE_PLAY, true, true, true},
        {MODE_PLAY, false, false, false},
        {MODE_OVER, false, true, false},
        {MODE_NAME_ENTRY, false, true, false},
    };
    for (const auto& c : cases) {
        std::memset(score_table, 0, sizeof score_table);
        if (c.table_has_a_row)
            score_table[0] = {"ann", 4321, 5};
        score_table[1] = {"bob", 99, 2};   // only the best row counts
        game_mode = c.mode;
        paused = c.paused_game;
        score = 1234;
        draw();
        paused = false;
        const std::string what = "mode " + std::to_string(c.mode) + (c.paused_game ? ", paused" : "") +
                                 (c.table_has_a_row ? "" : ", a free table");
        if (c.shown) {
            const DrawnText* best = text_on_line("Best 4321", 1.15f);
            expect_text_at(best, START, -8.0f, 1.15f, 8.0f, red, what);
            if (best != nullptr) {
                EXPECT_LT(best->end, -5.0f) << what << ": small, under the labels";
            }
        } else {
            EXPECT_TRUE(test::texts_reading(texts, "Best 4321").empty()) << what;
            EXPECT_TRUE(test::texts_reading(texts, "Best 0").empty()) << what;
        }
        // The panel's rows stay where they stood.
        expect_text_at(text_on_line("1234", 5.0f), END, -3.7f, 5.0f, 8.0f, red, what + ", the score");
        expect_text_at(text_on_line("Moves", 2.9f), START, -8.0f, 2.9f, 8.0f, red, what);
    }
}

TEST_F(Frame, AMomentStandsLargeAcrossTheBoardInAGameAndAboveTheTableAfter)
{
    const float half_red[4] = {0.4f, 0.05f, 0.0f, 1.0f};
    const struct {
        GameMode mode;
        bool paused_game;
        Moment shown;
        const char* words;   // nullptr: none drawn
        float y;
        const float* colour;
        bool band;           // on a dark band across the board
    } cases[] = {
        {MODE_PLAY, false, {MOMENT_LEVEL, 4, 100}, "Level 4", 0.0f, red, true},
        {MODE_PLAY, false, {MOMENT_CHAIN, 3, 60}, "Chain x3", 0.0f, red, true},
        {MODE_PLAY, false, {MOMENT_NO_MOVES, 0, 10}, "No more moves", 0.0f, half_red, true},   // fading
        {MODE_PLAY, true, {MOMENT_LEVEL, 4, 100}, nullptr, 0.0f, red, false},                 // paused
        {MODE_PLAY, false, {MOMENT_NONE, 0, 0}, nullptr, 0.0f, red, false},
        {MODE_NAME_ENTRY, false, {MOMENT_HIGH_SCORE, 3, 100}, "New high score: 3rd", 5.4f, red, false},
        {MODE_OVER, false, {MOMENT_HIGH_SCORE, 12, 100}, "New high score: 12th", 5.4f, red, false},
    };
    for (const auto& c : cases) {
        game_mode = c.mode;
        paused = c.paused_game;
        moment = c.shown;
        draw();
        paused = false;
        moment = {MOMENT_NONE, 0, 0};
        const std::string what = std::string("mode ") + std::to_string(c.mode) + ", moment " +
                                 std::to_string(c.shown.kind) + (c.paused_game ? ", paused" : "");
        const Draw* quad = panel();
        if (c.mode == MODE_PLAY) {
            EXPECT_EQ(c.band, quad != nullptr) << what << ": a dark band across the board";
        }
        if (c.words == nullptr) {
            EXPECT_TRUE(test::texts_reading(texts, "Level 4").empty()) << what;
            continue;
        }
        const DrawnText* text = text_on_line(c.words, c.y);
        expect_text_at(text, CENTRE, 2.4f, c.y, 8.0f, c.colour, what);
        if (text == nullptr)
            continue;
        EXPECT_GT(text->end - text->start, 0.0f) << what;
        EXPECT_LE(text->end - text->start, 10.8f + 1e-4f) << what << ": fits across the board";
        const std::size_t last_gem = gems.empty() ? 0 : gems.back().last_draw;
        EXPECT_GT(text->first_draw, last_gem) << what << ": drawn over the board";
        if (c.band && quad != nullptr) {
            EXPECT_LT(static_cast<std::size_t>(quad - draws->data()), text->first_draw) << what << ": the band under the words";
            float top = -100.0f, bottom = 100.0f;
            for (const auto& vertex : quad->primitive.vertices) {
                const test::Point corner = test::world_of(quad->state.modelview, camera, vertex.position);
                top = std::max(top, corner[1]);
                bottom = std::min(bottom, corner[1]);
            }
            EXPECT_NEAR(1.0f, top, 1e-4) << what << ": the band's top";
            EXPECT_NEAR(-1.0f, bottom, 1e-4) << what << ": the band's bottom";
        }
        if (c.mode != MODE_PLAY) {
            const std::vector<DrawnText> header = test::texts_reading(texts, "Rank");
            ASSERT_EQ(1u, header.size()) << what;
            EXPECT_GT(c.y - 0.5f, header[0].y) << what << ": above the table's header";
        }
    }
}

TEST_F(Frame, ClockWhilePlayingPanelTableAndOrnamentOtherwise)
{
    int kind_1_squares = 0;
    for (const Cell& gem : board)
        kind_1_squares += gem.kind == 1;
    for (const GameMode mode : {MODE_PLAY, MODE_OVER, MODE_NAME_ENTRY}) {
        game_mode = mode;
        const float angle_before = ornament_angle;
        draw();
        const bool playing = mode == MODE_PLAY;
        const std::string what = "mode " + std::to_string(mode);
        int dials = 0, stars = 0, cubes = 0;
        for (const Draw& draw : *draws) {
            const bool dial = draw.list == 0 && draw.primitive.mode == GL_TRIANGLE_FAN;
            dials += dial;
            stars += draw.list == list_base + star_slot;
            if (dial || draw.list == list_base + star_slot) {
                EXPECT_FALSE(draw.state.is_enabled(GL_BLEND)) << what << ": the clock is opaque";
                EXPECT_TRUE(draw.state.is_enabled(GL_DEPTH_TEST)) << what << ": the clock is depth-tested";
            }
        }
        for (const DrawnGem& gem : gems) {
            if (gem.kind == 1 && gem.centre[2] > 5.0f) {
                ++cubes;
                EXPECT_FALSE(gem.state.is_enabled(GL_BLEND)) << what << ": the ornament is opaque";
                EXPECT_TRUE(gem.state.is_enabled(GL_DEPTH_TEST)) << what << ": the ornament is depth-tested";
            }
        }
        EXPECT_EQ(playing ? 1 : 0, dials) << what << ": the dial";
        EXPECT_EQ(playing, stars > 0) << what << ": the star";
        EXPECT_EQ(playing ? 0 : 36, cubes) << what << ": the ornament's cubes";
        EXPECT_EQ(board_cells + (playing ? 0 : 36), static_cast<int>(gems.size())) << what;
        EXPECT_EQ(kind_1_squares + cubes, [&] {
            int calls = 0;
            for (const DrawnGem& gem : gems)
                calls += gem.kind == 1;
            return calls;
        }()) << what;
        EXPECT_EQ(angle_before + (playing ? 0.0f : 1.0f), ornament_angle) << what << ": the ornament turns per frame";
        EXPECT_EQ(playing, panel() == nullptr) << what << ": the panel over the board";
        EXPECT_EQ(playing, test::texts_reading(texts, "Rank").empty()) << what << ": the table";
    }
}

// A frame drawn on a square, as the board's pass draws it after the gems: its centre, its outer
// half-width in world units and its colour.
struct SquareFrame {
    float x, y;
    float outer;
    float colour[4];
    bool blended;
    bool faces_viewer;
};

// The untextured quads drawn directly between the last gem and the first text.
std::vector<SquareFrame> frames_drawn(const std::vector<Draw>& draws, const std::vector<DrawnGem>& gems,
                                      const std::vector<DrawnText>& texts, const Matrix& camera)
{
    std::vector<SquareFrame> frames;
    const std::size_t from = gems.empty() ? 0 : gems.back().last_draw + 1;
    const std::size_t to = texts.empty() ? draws.size() : texts.front().first_draw;
    for (std::size_t index = from; index < to; ++index) {
        const Draw& draw = draws[index];
        if (draw.list != 0 || draw.primitive.mode != GL_QUADS || draw.state.is_enabled(GL_TEXTURE_2D))
            continue;
        float low[2] = {1e9f, 1e9f}, high[2] = {-1e9f, -1e9f};
        for (const auto& vertex : draw.primitive.vertices) {
            const test::Point at = test::world_of(draw.state.modelview, camera, vertex.position);
            for (int axis = 0; axis < 2; ++axis) {
                low[axis] = std::min(low[axis], at[axis]);
                high[axis] = std::max(high[axis], at[axis]);
            }
        }
        bool facing = true;
        for (const recording::Triangle& triangle : recording::triangles_of(draw.primitive)) {
            const float ax = triangle.corner[1][0] - triangle.corner[0][0], ay = triangle.corner[1][1] - triangle.corner[0][1];
            const float bx = triangle.corner[2][0] - triangle.corner[0][0], by = triangle.corner[2][1] - triangle.corner[0][1];
            facing &= ax * by - ay * bx > 0.0f;
        }
        SquareFrame frame{(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (high[0] - low[0]) / 2, {},
                          draw.state.is_enabled(GL_BLEND), facing};
        std::copy(draw.state.front.diffuse, draw.state.front.diffuse + 4, frame.colour);
        frames.push_back(frame);
    }
    return frames;
}

// The hint's two squares and the keyboard's cursor are framed in play, each frame a coloured ring
// inside a black one, opaque over the gems; the cursor only while the keyboard moved it last.
TEST_F(Frame, FramesTheHintedSwapAndTheKeyboardsCursor)
{
    struct Expected {
        int col, row;
        const float* colour;   // nullptr: the hint's grey
        bool inner;            // inside another frame on the same square
    };
    struct Case {
        const char* what;
        GameMode mode;
        bool hint;
        bool keyboard;
        int hover_col, hover_row;
        std::vector<Expected> frames;
    };
    const Case cases[] = {
        {"the hint", MODE_PLAY, true, false, -1, -1, {{2, 3, nullptr, false}, {3, 3, nullptr, false}}},
        {"the keyboard's cursor", MODE_PLAY, false, true, 5, 2, {{5, 2, red, false}}},
        {"the pointer's square", MODE_PLAY, false, false, 5, 2, {}},
        {"the cursor on a hinted square", MODE_PLAY, true, true, 3, 3,
         {{2, 3, nullptr, false}, {3, 3, nullptr, false}, {3, 3, red, true}}},
        {"the cursor off the board", MODE_PLAY, false, true, -1, 2, {}},
        {"the table screen", MODE_OVER, true, true, 5, 2, {}},
        {"name entry", MODE_NAME_ENTRY, true, true, 5, 2, {}},
    };
    for (const Case& c : cases) {
        game_mode = c.mode;
        hint_shown = c.hint;
        hint_move = {2, 3, 1, 0};
        hint_age = 0;
        keyboard_cursor = c.keyboard;
        hover_col = c.hover_col;
        hover_row = c.hover_row;
        draw();
        const std::vector<SquareFrame> frames = frames_drawn(*draws, gems, texts, camera);
        ASSERT_EQ(frames.size(), 2 * c.frames.size()) << c.what << ": expected " << c.frames.size()
                                                      << " frames of a black and a coloured ring, got "
                                                      << frames.size() << " rings";
        for (std::size_t k = 0; k < c.frames.size(); ++k) {
            const Expected& e = c.frames[k];
            const SquareFrame& black = frames[2 * k];
            const SquareFrame& coloured = frames[2 * k + 1];
            const std::string what = std::string(c.what) + ", frame " + std::to_string(k);
            for (const SquareFrame* ring : {&black, &coloured}) {
                EXPECT_NEAR(ring->x, 1.76f * e.col - 3.16f, 1e-4) << what;
                EXPECT_NEAR(ring->y, 6.16f - 1.76f * e.row, 1e-4) << what;
                EXPECT_FALSE(ring->blended) << what << ": opaque";
                EXPECT_TRUE(ring->faces_viewer) << what;
            }
            const float black_colour[4] = {0, 0, 0, 1};
            EXPECT_TRUE(same_colour(black_colour, black.colour)) << what << ": got " << colour_text(black.colour);
            EXPECT_GT(black.outer, coloured.outer) << what << ": the black ring lies around the colour";
            EXPECT_LE(black.outer, 0.88f + 1e-4f) << what << ": within the square's edge";
            const float* const colour = e.colour ? e.colour : white;   // a hint at its brightest
            EXPECT_TRUE(same_colour(colour, coloured.colour))
                << what << ": expected " << colour_text(colour) << ", got " << colour_text(coloured.colour);
            if (e.inner) {
                EXPECT_LT(black.outer, frames[2 * k - 1].outer - 0.1f) << what << ": inside the hint's frame";
            }
        }
    }

    // The hint pulses once a second: dimmest half a second after it showed.
    game_mode = MODE_PLAY;
    keyboard_cursor = false;
    hint_shown = true;
    float brightness[3];
    for (const int age : {0, 25, 50}) {
        hint_age = age;
        draw();
        const std::vector<SquareFrame> frames = frames_drawn(*draws, gems, texts, camera);
        ASSERT_EQ(frames.size(), 4u) << "age " << age;
        brightness[age / 25] = frames[1].colour[0];
    }
    EXPECT_LT(brightness[1], 0.5f * brightness[0]) << "half a second later, dimmer";
    EXPECT_FLOAT_EQ(brightness[2], brightness[0]) << "a second later, as bright again";

    // The marks leave the material and the blending as the gems left them for what follows.
    const auto text_state = [&] {
        draw();
        const recording::DrawState state = texts.at(0).state;
        return std::vector<float>{state.front.specular[0], state.front.specular[1], state.front.specular[2],
                                  state.front.specular[3], state.front.shininess,
                                  static_cast<float>(state.is_enabled(GL_BLEND))};
    };
    const std::vector<float> with_marks = text_state();
    hint_shown = false;
    EXPECT_EQ(with_marks, text_state()) << "the first text's highlight and blending, with and without marks";
}

TEST_F(Frame, DarkensTheBoardUnderTheTableWithATranslucentPanel)
{
    game_mode = MODE_OVER;
    draw();
    const Draw* quad = panel();
    ASSERT_NE(quad, nullptr);
    std::vector<test::Point> corners;
    for (const auto& vertex : quad->primitive.vertices)
        corners.push_back(test::world_of(quad->state.modelview, camera, vertex.position));
    const std::vector<test::Point> expected = {{-3.5f, 5.7f, 8.0f}, {-3.5f, -5.7f, 8.0f}, {8.2f, -5.7f, 8.0f}, {8.2f, 5.7f, 8.0f}};
    ASSERT_EQ(4u, corners.size());
    for (std::size_t i = 0; i < 4; ++i)
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(expected[i][axis], corners[i][axis], 1e-4) << "corner " << i;
    for (const recording::Triangle& triangle : recording::triangles_of(quad->primitive)) {
        const float ax = triangle.corner[1][0] - triangle.corner[0][0], ay = triangle.corner[1][1] - triangle.corner[0][1];
        const float bx = triangle.corner[2][0] - triangle.corner[0][0], by = triangle.corner[2][1] - triangle.corner[0][1];
        EXPECT_GT(ax * by - ay * bx, 0.0f) << "the panel faces the viewer";
    }
    const float translucent_black[4] = {0, 0, 0, 0.5f};
    EXPECT_TRUE(same_colour(translucent_black, quad->state.front.diffuse)) << colour_text(quad->state.front.diffuse);
    EXPECT_TRUE(quad->state.is_enabled(GL_BLEND));
    // The blend leaves half of every colour under the panel and adds none of its own black.
    const auto factor = [&](GLenum name) {
        switch (name) {
        case GL_ZERO: return 0.0f;
        case GL_ONE: return 1.0f;
        case GL_SRC_ALPHA: return translucent_black[3];
        case GL_ONE_MINUS_SRC_ALPHA: return 1.0f - translucent_black[3];
        default: ADD_FAILURE() << "blend factor 0x" << std::hex << name; return -1.0f;
        }
    };
    for (const float under : {0.0f, 0.4f, 1.0f}) {
        const float blended = translucent_black[0] * factor(quad->state.blend_source) +
                              under * factor(quad->state.blend_destination);
        EXPECT_FLOAT_EQ(under * 0.5f, blended) << "a colour of " << under << " under the panel";
    }
    EXPECT_FALSE(quad->state.is_enabled(GL_LIGHT0) || quad->state.is_enabled(GL_LIGHT1)) << "unlit by the scene's lights";

    // Over every gem, under the table; the scene's lights are off for the panel alone.
    const std::size_t at = static_cast<std::size_t>(quad - draws->data());
    for (const DrawnGem& gem : gems) {
        if (gem.centre[2] < 5.0f) {
            EXPECT_LT(gem.last_draw, at) << "a gem drawn over the panel at " << point_text(gem.centre);
        }
    }
    const std::vector<DrawnText> header = test::texts_reading(texts, "Rank");
    ASSERT_EQ(1u, header.size());
    EXPECT_GT(header[0].first_draw, at) << "the table is drawn over the panel";
    for (std::size_t index = 0; index < draws->size(); ++index) {
        if (index != at) {
            EXPECT_TRUE((*draws)[index].state.is_enabled(GL_LIGHT0) && (*draws)[index].state.is_enabled(GL_LIGHT1))
                << "draw " << index;
        }
    }
}

TEST_F(Frame, TableShowsTenRowsFromItsTopWithThePlayersRowInRed)
{
    const struct {
        const char* what;
        GameMode mode;
        int top, row;
        const char* name;   // of the player's row, if not the usual
        int red;            // the row shown in red, -1 for none
        const char* shown;  // its name as shown
    } cases[] = {
        {"the player's row", MODE_OVER, 0, 2, nullptr, 2, "Pc"},
        {"a name being typed", MODE_NAME_ENTRY, 0, 2, nullptr, 2, "Pc>"},
        {"no row of the player's", MODE_OVER, 0, -1, nullptr, -1, nullptr},
        {"the player's row below the ten shown", MODE_OVER, 0, 12, nullptr, -1, nullptr},
        {"a full name being typed, lower down", MODE_NAME_ENTRY, 5, 7, "Abcdefghijk", 2, "Abcdefghijk>"},
    };
    for (const auto& c : cases) {
        SetUp();
        for (int index = 0; index < table_rows; ++index) {
            ScoreEntry& entry = score_table[index];
            std::snprintf(entry.name, sizeof entry.name, "P%c", 'a' + index % 26);
            entry.score = 5000 - 10 * index;
            entry.level = 1 + index % 4;
        }
        if (c.name)
            std::snprintf(score_table[c.row].name, sizeof score_table[c.row].name, "%s", c.name);
        game_mode = c.mode;
        table_top = c.top;
        table_row = c.row;
        draw();

        expect_text_at(text_on_line("Rank", 4.2f), CENTRE, -2.0f, 4.2f, 8.0f, grey, std::string(c.what) + ", header");
        expect_text_at(text_on_line("Name", 4.2f), START, -0.7f, 4.2f, 8.0f, grey, std::string(c.what) + ", header");
        expect_text_at(text_on_line("Score", 4.2f), CENTRE, 4.3f, 4.2f, 8.0f, grey, std::string(c.what) + ", header");
        expect_text_at(text_on_line("Level", 4.2f), CENTRE, 6.8f, 4.2f, 8.0f, grey, std::string(c.what) + ", header");
        for (int k = 0; k < table_shown; ++k) {
            const ScoreEntry& entry = score_table[c.top + k];
            const float y = 4.2f - 0.9f * (k + 1);
            const bool own = k == c.red;
            const float* colour = own ? red : grey;
            const std::string row = std::string(c.what) + ", shown row " + std::to_string(k);
            expect_text_at(text_on_line(std::to_string(c.top + k + 1) + ".", y), CENTRE, -2.0f, y, 8.0f, colour, row);
            expect_text_at(text_on_line(own ? c.shown : entry.name, y), START, -0.7f, y, 8.0f, colour, row);
            expect_text_at(text_on_line(std::to_string(entry.score), y), CENTRE, 4.3f, y, 8.0f, colour, row);
            expect_text_at(text_on_line(std::to_string(entry.level), y), CENTRE, 6.8f, y, 8.0f, colour, row);
        }
        int cursors = 0;
        for (const DrawnText& text : texts)
            cursors += text.text.find('>') != std::string::npos;
        EXPECT_EQ(c.shown && std::string(c.shown).back() == '>' ? 1 : 0, cursors) << c.what << ": cursors shown";
        EXPECT_TRUE(c.name == nullptr || std::string(score_table[c.row].name) == c.name)
            << c.what << ": the stored name is left as it was";
    }
}


// Everything a frame's draws carry, as bytes: what is drawn, where, in which colour and state.
std::string frame_bytes(const std::vector<Draw>& draws)
{
    std::string bytes;
    const auto add = [&bytes](const void* data, std::size_t size) {
        bytes.append(static_cast<const char*>(data), size);
    };
    for (const Draw& draw : draws) {
        add(&draw.primitive.mode, sizeof draw.primitive.mode);
        add(draw.state.modelview.data(), sizeof(float) * 16);
        add(&draw.state.front, sizeof draw.state.front);
        for (const GLenum capability : draw.state.enabled)
            add(&capability, sizeof capability);
        for (const recording::RecordedVertex& vertex : draw.primitive.vertices)
            add(&vertex, sizeof vertex);
    }
    return bytes;
}

TEST_F(Frame, OnlyThePausedScreenIsAStillPictureAndItsFramesAreAlike)
{
    struct Case {
        const char* what;
        GameMode mode;
        bool paused_game;
        bool still;
    };
    const Case cases[] = {
        {"paused", MODE_PLAY, true, true},
        {"played", MODE_PLAY, false, false},
        {"table", MODE_OVER, false, false},
        {"name entry", MODE_NAME_ENTRY, false, false},
    };
    for (const Case& c : cases) {
        // All that may show at once: fading labels, the chain, a moment, the hint, the sound mark.
        game_mode = c.mode;
        paused = c.paused_game;
        popups[0] = {1.0f, 2.0f, 0.0f, 0.5f, 7};
        chain_alpha = 0.5f;
        chain_points = 12;
        moment = {MOMENT_LEVEL, 4, 10};
        hint_shown = true;
        hint_move = {2, 2, 1, 0};
        hint_age = 7;
        set_sound_off(true);
        tell_frame(frame_input_now());
        EXPECT_EQ(frame_still(), c.still) << c.what;
        // The first frame finds the state init_scene left (the clock's outline is drawn before
        // the pie first switches normalising on); from the second on, each frame finds the last's.
        draw();
        draw();
        const std::string first = frame_bytes(*draws);
        draw();
        const std::string second = frame_bytes(*draws);
        if (c.still) {
            EXPECT_TRUE(first == second) << c.what << ": a still picture changed from one frame to the next";
        }
        if (c.mode == MODE_OVER) {
            EXPECT_FALSE(first == second) << c.what << ": the ornament turns from one frame to the next";
        }
        paused = false;
        moment = {MOMENT_NONE, 0, 0};
        hint_shown = false;
        set_sound_off(false);
        popups[0] = {};
        chain_alpha = 0.0f;
    }
}

}  // namespace
}  // namespace quarzil
