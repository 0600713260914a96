// clock_test.cpp -- the clock dial's pie and the ornament's rings, as recorded OpenGL commands
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "game/game.h"
#include "render/clock.h"
#include "render/gems.h"
#include "render/recording_gl.h"

namespace quarzil {
namespace {

using recording::Primitive;
using recording::RecordedVertex;

// Angle of a rim point, clockwise from twelve o'clock seen from +z, in degrees 0..360.
double clock_angle(const RecordedVertex& vertex)
{
    const double degrees = std::atan2(vertex.position[0], vertex.position[1]) * 180.0 / M_PI;
    return degrees < -1e-3 ? degrees + 360.0 : (degrees < 0 ? 0.0 : degrees);
}

const char* colour_name(const float* colour)
{
    struct Named {
        const float* colour;
        const char* name;
    };
    for (const Named named : {Named{colour_red, "red"}, Named{colour_yellow, "yellow"}, Named{colour_green, "green"},
                              Named{colour_blue, "blue"}}) {
        if (std::equal(colour, colour + 4, named.colour))
            return named.name;
    }
    return "other";
}

// One visible triangle of the pie: the angles it spans and the colour it is lit with.
struct Sector {
    double from, to;
    std::string colour;
};

// Draws the dial for the given time and returns its non-degenerate fan triangles, each with
// the material current at its provoking (last) vertex.
std::vector<Sector> pie_for(float time)
{
    recording::reset();
    list_base = 100;
    clock_time = time;
    draw_clock();
    EXPECT_TRUE(recording::recording.errors.empty()) << recording::recording.errors.front();
    const Primitive* fan = nullptr;
    for (const Primitive& primitive : recording::recording.outside.primitives)
        if (primitive.mode == GL_TRIANGLE_FAN)
            fan = &primitive;
    EXPECT_NE(fan, nullptr);
    std::vector<Sector> sectors;
    if (!fan)
        return sectors;
    for (size_t i = 1; i + 1 < fan->vertices.size(); ++i) {
        const RecordedVertex& a = fan->vertices[i];
        const RecordedVertex& b = fan->vertices[i + 1];
        double high = clock_angle(a);
        const double low = clock_angle(b);
        if (high < low - 1e-3)
            high += 360.0;   // the rim point at 360 degrees reads as 0
        if (high - low < 1e-3)
            continue;
        // Counter-clockwise seen from +z: the fan goes from the later angle to the earlier.
        const double cross = a.position[0] * b.position[1] - a.position[1] * b.position[0];
        EXPECT_GT(cross, 0.0) << "sector " << low << ".." << high << " faces away from the viewer";
        sectors.push_back({low, high, colour_name(b.colour)});
    }
    return sectors;
}

struct PieCase {
    float time;
    double covered;   // degrees of pie shown
};

class ClockPie : public testing::TestWithParam<PieCase> {};

TEST_P(ClockPie, CoversTheTimeLeftColouredByAngle)
{
    const PieCase& c = GetParam();
    double covered = 0.0;
    for (const Sector& sector : pie_for(c.time)) {
        covered += sector.to - sector.from;
        const double middle = (sector.from + sector.to) / 2;
        const std::string expected = middle < 30.0 ? "red" : middle < 75.0 ? "yellow" : "green";
        EXPECT_EQ(sector.colour, expected) << "time " << c.time << ", sector " << sector.from << ".." << sector.to;
        EXPECT_GE(sector.from, -1e-3);
        EXPECT_LE(sector.to, c.covered + 1e-3) << "time " << c.time;
    }
    EXPECT_NEAR(covered, c.covered, 1e-3) << "time " << c.time;
}

INSTANTIATE_TEST_SUITE_P(Times, ClockPie, testing::Values(
    PieCase{0.0f, 0.0},        // nothing of the pie shows
    PieCase{400.0f, 72.0},     // red to 30 degrees, yellow beyond
    PieCase{1000.0f, 180.0},   // a new game: half the dial
    PieCase{1999.0f, 359.82},
    PieCase{2000.0f, 360.0},   // a full dial
    PieCase{5000.0f, 360.0}));

TEST(Clock, DrawsTheOutlineAndTheSpinningStarAndRestoresTheMatrix)
{
    clock_spin = -42.0f;
    pie_for(700.0f);
    const auto& calls = recording::recording.outside.calls;
    int depth = 0, loops = 0;
    bool star = false, spun = false;
    for (const auto& call : calls) {
        depth += call.text == "glPushMatrix()";
        depth -= call.text == "glPopMatrix()";
        loops += call.text == "glBegin(GL_LINE_LOOP)";
        spun |= call.text == "glRotatef(-42, 0, 0, 1)";
        star |= call.text == "glCallList(" + std::to_string(list_base + star_slot) + ")";
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(loops, 1);
    EXPECT_TRUE(spun) << "the star turns by clock_spin about z";
    EXPECT_TRUE(star);
    EXPECT_EQ(recording::recording.outside.primitives.front().vertices.size(), 24u) << "24 rim points";
}

TEST(Ornament, ThreeRingsOfTwelveCubesTurnByOneDegreePerFrame)
{
    recording::reset();
    list_base = 100;
    ornament_angle = 10.0f;
    draw_ornament();
    EXPECT_EQ(ornament_angle, 11.0f);

    // Follow the translations inside each ring to find where each cube is drawn.
    std::vector<std::set<std::string>> rings;
    float position[3] = {0, 0, 0};
    int depth = 0;
    int cubes = 0;
    for (const auto& call : recording::recording.outside.calls) {
        const std::string& text = call.text;
        if (text.rfind("glRotatef(10, 0.1, 1, 0)", 0) == 0) {
            rings.emplace_back();
            position[0] = position[1] = position[2] = 0;
        } else if (text.rfind("glTranslatef(", 0) == 0 && depth == 2) {
            float x, y, z;
            ASSERT_EQ(std::sscanf(text.c_str(), "glTranslatef(%f, %f, %f)", &x, &y, &z), 3);
            position[0] += x;
            position[1] += y;
            position[2] += z;
        } else if (text == "glCallList(" + std::to_string(list_base + 1) + ")") {
            char key[64];
            std::snprintf(key, sizeof key, "%.1f %.1f %.1f", position[0] + 0.0, position[1] + 0.0,
                          position[2] + 0.0);
            rings.back().insert(key);
            ++cubes;
        }
        depth += text == "glPushMatrix()";
        depth -= text == "glPopMatrix()";
    }
    EXPECT_EQ(depth, 0);
    EXPECT_EQ(cubes, 36);
    ASSERT_EQ(rings.size(), 3u);
    // The border of a 3 × 5 grid of pitch 1.3 in the xy, xz and yz planes.
    std::set<std::string> xy, xz, yz;
    for (int i = 0; i < 15; ++i) {
        if (i == 4 || i == 7 || i == 10)
            continue;
        const double u = (i % 3 - 1) * 1.3, v = (i / 3 - 2) * 1.3;
        char key[64];
        std::snprintf(key, sizeof key, "%.1f %.1f %.1f", u + 0.0, v + 0.0, 0.0);
        xy.insert(key);
        std::snprintf(key, sizeof key, "%.1f %.1f %.1f", v + 0.0, 0.0, u + 0.0);
        xz.insert(key);
        std::snprintf(key, sizeof key, "%.1f %.1f %.1f", 0.0, u + 0.0, v + 0.0);
        yz.insert(key);
    }
    EXPECT_EQ(rings[0], xy);
    EXPECT_EQ(rings[1], xz);
    EXPECT_EQ(rings[2], yz);
}

}  // namespace
}  // namespace quarzil
