// clock_test.cpp -- the clock dial's pie and the ornament's rings, as recorded OpenGL commands
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <string>
#include <vector>

#include "game/game.h"
#include "recording_gl.h"
#include "render/clock.h"
#include "render/frame_reading.h"
#include "render/gems.h"

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
    for (const recording::Draw& draw : recording::recording.draws)
        if (draw.primitive.mode == GL_TRIANGLE_FAN)
            fan = &draw.primitive;
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

void PrintTo(const PieCase& c, std::ostream* out) { *out << "clock_time " << c.time; }

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
    PieCase{5000.0f, 360.0}),
    [](const testing::TestParamInfo<PieCase>& info) {
        return "Time" + std::to_string(static_cast<int>(info.param.time));
    });

using recording::Matrix;
using recording::multiply;
using recording::rotation;
using recording::translation;

void expect_matrix_near(const Matrix& expected, const Matrix& got, const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(expected[i], got[i], 1e-4) << what << ", element " << i;
}

TEST(Clock, StandsLeftOfTheBoardWithTheStarSpinningBelowAndRestoresTheMatrix)
{
    recording::reset();
    build_gem_lists();
    const Matrix camera = translation(0.0f, 0.0f, -40.0f);
    glLoadMatrixf(camera.data());
    clock_spin = -42.0f;
    clock_time = 700.0f;
    draw_clock();
    const recording::Recording& r = recording::recording;
    ASSERT_TRUE(r.errors.empty()) << r.errors.front();
    expect_matrix_near(camera, r.state.modelview, "the matrix afterwards");

    // The dial: moved to (-6.5, -1, 5) and turned 11 degrees about the vertical.
    const Matrix dial = multiply(camera, multiply(translation(-6.5f, -1.0f, 5.0f), rotation(11.0f, 0, 1, 0)));
    int outlines = 0, pies = 0, star = 0;
    for (const recording::Draw& draw : r.draws) {
        if (draw.list == list_base + star_slot) {
            if (star++ == 0)
                expect_matrix_near(multiply(dial, multiply(translation(0, -3, 0), rotation(-42.0f, 0, 0, 1))),
                                   draw.state.modelview, "the star, 3 below the dial's centre, turned by clock_spin");
            continue;
        }
        if (draw.primitive.mode == GL_LINE_LOOP) {
            ++outlines;
            EXPECT_EQ(24u, draw.primitive.vertices.size()) << "24 rim points";
            EXPECT_TRUE(std::equal(colour_blue, colour_blue + 4, draw.state.front.diffuse)) << "a blue outline";
        } else if (draw.primitive.mode == GL_TRIANGLE_FAN) {
            ++pies;
        }
        expect_matrix_near(dial, draw.state.modelview, recording::enum_name(draw.primitive.mode).c_str());
    }
    EXPECT_EQ(1, outlines);
    EXPECT_EQ(1, pies);
    EXPECT_GT(star, 0) << "the star is drawn";
}

TEST(Ornament, ThreeRingsOfTwelveCubesTurnByOneDegreePerFrame)
{
    recording::reset();
    build_gem_lists();
    ornament_angle = 10.0f;
    draw_ornament();
    EXPECT_EQ(ornament_angle, 11.0f);
    ASSERT_TRUE(recording::recording.errors.empty()) << recording::recording.errors.front();
    EXPECT_EQ(recording::recording.state.modelview, recording::identity()) << "the matrix is left as found";

    // The border of a 3 x 5 grid of pitch 1.3 in the x-y, x-z and y-z planes, each ring in its
    // colour, all turned by the ornament's angle about (0.1, 1, 0), halved and moved to
    // (-5.5, -3, 10).
    struct Cube {
        test::Point centre;
        const float* colour;
    };
    const Matrix ornament = multiply(translation(-5.5f, -3.0f, 10.0f),
                                     multiply(recording::scaling(0.5f, 0.5f, 0.5f), rotation(10.0f, 0.1f, 1.0f, 0.0f)));
    std::vector<Cube> expected;
    for (int i = 0; i < 15; ++i) {
        if (i == 4 || i == 7 || i == 10)
            continue;
        const float u = static_cast<float>((i % 3 - 1) * 1.3), v = static_cast<float>((i / 3 - 2) * 1.3);
        expected.push_back({recording::transform(ornament, u, v, 0), colour_blue});
        expected.push_back({recording::transform(ornament, v, 0, u), colour_red});
        expected.push_back({recording::transform(ornament, 0, u, v), colour_green});
    }
    const std::vector<test::DrawnGem> cubes = test::gems_drawn(recording::recording.draws, recording::identity());
    EXPECT_EQ(36u, cubes.size());
    for (const test::DrawnGem& cube : cubes) {
        EXPECT_EQ(1, cube.kind) << "the bevelled cube";
        bool found = false;
        for (auto place = expected.begin(); place != expected.end() && !found; ++place) {
            bool near = true;
            for (int axis = 0; axis < 3; ++axis)
                near &= std::fabs(place->centre[axis] - cube.centre[axis]) < 1e-4f;
            if (near && std::equal(place->colour, place->colour + 4, cube.state.front.diffuse)) {
                expected.erase(place);
                found = true;
            }
        }
        EXPECT_TRUE(found) << "a " << colour_name(cube.state.front.diffuse) << " cube at (" << cube.centre[0] << ", "
                           << cube.centre[1] << ", " << cube.centre[2] << ") where none belongs";
    }
    EXPECT_TRUE(expected.empty()) << expected.size() << " cubes missing";
}

}  // namespace
}  // namespace quarzil
