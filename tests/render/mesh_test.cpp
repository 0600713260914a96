// mesh_test.cpp -- the gem solids as their recorded display lists show them
#include "render/gems.h"
#include "render/gem_round_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lighting.h"
#include "recording_gl.h"

namespace quarzil {
namespace {

using recording::ListRecord;
using recording::Primitive;
using recording::Recording;

// ---------------------------------------------------------------------------
// Geometry

struct V {
    double x, y, z;
};

V operator-(const V& a, const V& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V operator+(const V& a, const V& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
double dot(const V& a, const V& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V cross(const V& a, const V& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const V& a) { return std::sqrt(dot(a, a)); }
V from(const float p[3]) { return {p[0], p[1], p[2]}; }

std::string text(const V& p)
{
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "(%.6f, %.6f, %.6f)", p.x, p.y, p.z);
    return buffer;
}

// Points closer than this are one vertex; the solids are about one unit across.
constexpr double same_point = 1e-5;

// ---------------------------------------------------------------------------
// The triangles of a list

struct Triangle {
    V corner[3];
    V normal;         // current at the provoking vertex
    V facing;         // (c1 - c0) x (c2 - c0): outward when wound counter-clockwise from outside
    bool degenerate;  // two corners at one point, as at the poles of the sphere
};

std::vector<Triangle> triangles_of(const ListRecord& list)
{
    std::vector<Triangle> out;
    for (const Primitive& primitive : list.primitives) {
        for (const recording::Triangle& split : recording::triangles_of(primitive)) {
            Triangle t;
            for (int c = 0; c < 3; ++c) {
                t.corner[c] = from(split.corner[c]);
            }
            t.normal = from(split.normal);
            t.facing = cross(t.corner[1] - t.corner[0], t.corner[2] - t.corner[0]);
            t.degenerate = length(t.corner[1] - t.corner[0]) < same_point ||
                           length(t.corner[2] - t.corner[1]) < same_point ||
                           length(t.corner[0] - t.corner[2]) < same_point;
            out.push_back(t);
        }
    }
    return out;
}

// Merges points closer than same_point into one numbered vertex.
class VertexIds {
public:
    int id(const V& p)
    {
        for (int i = 0; i < static_cast<int>(points_.size()); ++i) {
            if (length(points_[i] - p) < same_point) {
                return i;
            }
        }
        points_.push_back(p);
        return static_cast<int>(points_.size()) - 1;
    }
    const V& point(int id) const { return points_[id]; }
    int count() const { return static_cast<int>(points_.size()); }

private:
    std::vector<V> points_;
};

// "" when every edge between two distinct vertices is used exactly once in each direction,
// that is by two faces that agree on which side is out; otherwise the first offenders.
std::string closure_problems(const std::vector<Triangle>& triangles)
{
    VertexIds ids;
    std::map<std::pair<int, int>, int> uses;
    for (const Triangle& t : triangles) {
        if (t.degenerate) {
            continue;
        }
        int id[3];
        for (int c = 0; c < 3; ++c) {
            id[c] = ids.id(t.corner[c]);
        }
        for (int c = 0; c < 3; ++c) {
            ++uses[{id[c], id[(c + 1) % 3]}];
        }
    }
    std::string problems;
    int shown = 0;
    for (const auto& [edge, count] : uses) {
        const auto back = uses.find({edge.second, edge.first});
        const int back_count = back == uses.end() ? 0 : back->second;
        if ((count != 1 || back_count != 1) && shown++ < 5) {
            problems += "edge " + text(ids.point(edge.first)) + " -> " + text(ids.point(edge.second)) +
                        ": expected 1 use each way, got " + std::to_string(count) + " this way and " +
                        std::to_string(back_count) + " back\n";
        }
    }
    return problems;
}

// ---------------------------------------------------------------------------
// Recordings

// Another user of display lists, such as the font: it takes names from glGenLists as the gems
// do and compiles into each a single point, at x = 100 + its name.
std::vector<GLuint> other_lists(GLsizei count)
{
    const GLuint first = glGenLists(count);
    std::vector<GLuint> names;
    for (GLuint name = first; name < first + static_cast<GLuint>(count); ++name) {
        glNewList(name, GL_COMPILE);
        glBegin(GL_POINTS);
        glVertex3f(100.0f + static_cast<float>(name), 0.0f, 0.0f);
        glEnd();
        glEndList();
        names.push_back(name);
    }
    return names;
}

// The gem lists built between two other users' lists, into a fresh recording: the names of the
// other lists, those taken before the gems' first.
std::vector<GLuint> build_among_other_lists()
{
    recording::reset();
    std::vector<GLuint> others = other_lists(2);
    build_gem_lists();
    const std::vector<GLuint> after = other_lists(2);
    others.insert(others.end(), after.begin(), after.end());
    return others;
}

// The nine lists as build_gem_lists records them, built once among other lists, and the
// list_base it chose then (other tests build the lists again).
struct Built {
    Recording recording;
    unsigned list_base;
};

const Built& built_once()
{
    static const Built once = [] {
        build_among_other_lists();
        return Built{recording::recording, list_base};
    }();
    return once;
}

// What calling list_base + slot runs: the list last compiled under that name.
const ListRecord& slot_list(int slot)
{
    const GLuint name = built_once().list_base + static_cast<GLuint>(slot);
    const std::vector<ListRecord>& lists = built_once().recording.lists;
    const auto last = std::find_if(lists.rbegin(), lists.rend(), [name](const ListRecord& list) { return list.name == name; });
    if (last == lists.rend()) {
        static const ListRecord none;
        ADD_FAILURE() << "expected a list named list_base + " << slot << ", got none";
        return none;
    }
    return *last;
}

// One builder's commands, recorded into a list of their own.
template <typename Builder>
ListRecord record(Builder builder)
{
    recording::reset();
    glNewList(1, GL_COMPILE);
    builder();
    glEndList();
    EXPECT_TRUE(recording::recording.errors.empty()) << recording::recording.errors.front();
    return recording::recording.lists.at(0);
}

constexpr const char* slot_names[list_count] = {
    "truncated icosahedron", "bevelled cube", "pyramid",    "icosahedron", "prism",
    "bipyramid",             "sphere",        "point ring", "star",
};

// ---------------------------------------------------------------------------
// build_gem_lists

// The gem lists and the others' lists each keep drawing their own: neither takes a name the
// other was given. Building draws nothing and leaves nothing switched on for what comes next.
TEST(GemLists, KeepToNamesOfTheirOwn)
{
    recording::reset();
    const GLuint alone = other_lists(1).front();
    glCallList(alone);
    const recording::DrawState untouched = recording::recording.draws.at(0).state;

    const std::vector<GLuint> others = build_among_other_lists();
    const Recording& r = recording::recording;
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_TRUE(r.draws.empty()) << "expected nothing drawn while the lists are built, got " << r.draws.size()
                                 << " primitives";
    for (const GLuint name : others) {
        const std::size_t before = r.draws.size();
        glCallList(name);
        ASSERT_EQ(before + 1, r.draws.size()) << "another user's list " << name << ": primitives drawn";
        const recording::Draw& drawn = r.draws.back();
        ASSERT_EQ(1u, drawn.primitive.vertices.size()) << "another user's list " << name;
        EXPECT_EQ(100.0f + static_cast<float>(name), drawn.primitive.vertices[0].position[0])
            << "another user's list " << name << " draws another point";
        EXPECT_EQ(untouched.enabled, drawn.state.enabled) << "another user's list " << name << ": expected "
            << untouched.enabled.size() << " capabilities on as without the gems, got " << drawn.state.enabled.size();
        EXPECT_TRUE(std::equal(untouched.front.diffuse, untouched.front.diffuse + 4, drawn.state.front.diffuse))
            << "another user's list " << name << " drawn in another material";
    }
    for (int slot = 0; slot < list_count; ++slot) {
        const std::size_t before = r.draws.size();
        glCallList(list_base + static_cast<GLuint>(slot));
        ASSERT_LT(before, r.draws.size()) << slot_names[slot] << ": nothing drawn";
        for (std::size_t d = before; d < r.draws.size(); ++d) {
            for (const recording::RecordedVertex& vertex : r.draws[d].primitive.vertices)
                EXPECT_LT(vertex.position[0], 100.0f) << slot_names[slot] << " draws another user's point";
        }
    }
}

TEST(GemLists, HaveTheSolidsFacesAndSizes)
{
    constexpr double unchecked = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        int slot;
        int triangles;             // not degenerate
        double nearest, farthest;  // distance of the vertices from the centre
        double lowest, highest;    // their y
    };
    const Case cases[] = {
        // Circumradius 0.792; 20 hexagons of four triangles, 12 pentagons of three.
        {0, 116, 0.792, 0.792, unchecked, unchecked},
        // Half-width w = 0.75 x 0.88 = 0.66, squares of half side a = 0.6 x 0.88 = 0.528: every
        // vertex (w, a, a) at sqrt(w^2 + 2 a^2); 18 quads and 8 corner triangles.
        {1, 44, 0.996578, 0.996578, -0.66, 0.66},
        // Apex (0, 0.616, 0) over the base corners (+-0.616, -0.616, +-0.616).
        {2, 6, 0.616, 0.616 * std::sqrt(3.0), -0.616, 0.616},
        // Radius 0.88; the top vertex at 0.88 x 0.850650787.
        {3, 20, 0.88, 0.88, -0.748573, 0.748573},
        // Rim radius 0.8 x 0.704 = 0.5632 from y = -0.704 to 0.704; 2 caps of 10 triangles, 12 sides.
        {4, 44, 0.901560, 0.901560, -0.704, 0.704},
        // Apexes at +-0.792, girdle of radius 0.792 at y = 0.396; two fans of nine.
        {5, 18, 0.792, 0.885483, -0.792, 0.792},
        // Radius 0.792; 135 quads, the 30 at the poles a single triangle.
        {6, 240, 0.792, 0.792, -0.792, 0.792},
        // 24 points of radius 0.836 in the x-y and x-z planes.
        {7, 0, 0.836, 0.836, -0.836, 0.836},
        // Outer points at radius 1, inner at 0.7, the centre raised to z = 0.5; 24 triangles.
        {8, 24, 0.5, 1.0, unchecked, unchecked},
    };
    for (const Case& c : cases) {
        int triangles = 0;
        for (const Triangle& t : triangles_of(slot_list(c.slot)))
            triangles += t.degenerate ? 0 : 1;
        double nearest = 1e9, farthest = 0, lowest = 1e9, highest = -1e9;
        for (const Primitive& primitive : slot_list(c.slot).primitives) {
            for (const auto& vertex : primitive.vertices) {
                const V p = from(vertex.position);
                nearest = std::fmin(nearest, length(p));
                farthest = std::fmax(farthest, length(p));
                lowest = std::fmin(lowest, p.y);
                highest = std::fmax(highest, p.y);
            }
        }
        const std::string solid = slot_names[c.slot];
        EXPECT_EQ(c.triangles, triangles) << solid << ": triangles";
        EXPECT_NEAR(c.nearest, nearest, 2e-5) << solid << ": nearest vertex";
        EXPECT_NEAR(c.farthest, farthest, 2e-5) << solid << ": farthest vertex";
        if (!std::isnan(c.lowest)) {
            EXPECT_NEAR(c.lowest, lowest, 2e-5) << solid << ": lowest vertex";
            EXPECT_NEAR(c.highest, highest, 2e-5) << solid << ": highest vertex";
        }
    }
}

// What calling each list leaves behind: every solid normalises its normals, several switch
// texturing off, the star sets its own material, and the point ring is unlit only for its points.
TEST(GemLists, CallingAListDrawsAndLeavesItsState)
{
    struct Case {
        int slot;
        bool normalises;           // checked only when true
        bool disables_texturing;   // likewise
    };
    const Case cases[] = {
        {0, true, true}, {1, true, true}, {2, true, true},  {3, true, false}, {4, true, false},
        {5, true, false}, {6, true, false}, {7, false, false}, {8, true, true},
    };
    for (const Case& c : cases) {
        recording::reset();
        build_gem_lists();
        glEnable(GL_LIGHTING);
        glEnable(GL_TEXTURE_2D);
        set_material(colour_red);
        glCallList(list_base + c.slot);
        const recording::Recording& r = recording::recording;
        const std::string solid = slot_names[c.slot];
        ASSERT_TRUE(r.errors.empty()) << solid << ": " << r.errors.front();
        ASSERT_FALSE(r.draws.empty()) << solid << ": nothing drawn";
        for (const recording::Draw& draw : r.draws) {
            if (c.normalises) {
                EXPECT_TRUE(draw.state.is_enabled(GL_NORMALIZE)) << solid << ": normalising while drawn";
            }
            EXPECT_EQ(GL_FILL, draw.state.front_polygon_mode) << solid << ": front faces filled";
            EXPECT_EQ(c.slot != point_ring_slot, draw.state.is_enabled(GL_LIGHTING)) << solid << ": lit";
            if (c.slot == point_ring_slot) {
                EXPECT_EQ(3.0f, draw.state.point_size) << solid;
            }
        }
        if (c.normalises) {
            EXPECT_TRUE(r.state.is_enabled(GL_NORMALIZE)) << solid << ": normalising afterwards";
        }
        if (c.disables_texturing) {
            EXPECT_FALSE(r.state.is_enabled(GL_TEXTURE_2D)) << solid << ": texturing afterwards";
        }
        EXPECT_TRUE(r.state.is_enabled(GL_LIGHTING)) << solid << ": lighting afterwards";
        const float* expected = c.slot == star_slot ? colour_blue : colour_red;
        EXPECT_TRUE(std::equal(expected, expected + 4, r.state.front.diffuse))
            << solid << ": expected the material " << (c.slot == star_slot ? "blue" : "red") << " afterwards, got "
            << r.state.front.diffuse[0] << " " << r.state.front.diffuse[1] << " " << r.state.front.diffuse[2];
    }
}

TEST(GemLists, SolidsAreClosed)
{
    for (int slot = 0; slot < gem_kinds; ++slot) {
        EXPECT_EQ("", closure_problems(triangles_of(slot_list(slot)))) << slot_names[slot];
    }
}

TEST(GemLists, FacesWindCounterClockwiseFromOutside)
{
    // Every solid is convex round the origin, so an outward face points away from it.
    for (int slot = 0; slot < gem_kinds; ++slot) {
        int inward = 0;
        std::string first;
        for (const Triangle& t : triangles_of(slot_list(slot))) {
            const V centroid = {(t.corner[0].x + t.corner[1].x + t.corner[2].x) / 3,
                                (t.corner[0].y + t.corner[1].y + t.corner[2].y) / 3,
                                (t.corner[0].z + t.corner[1].z + t.corner[2].z) / 3};
            if (!t.degenerate && !(dot(t.facing, centroid) > 0) && inward++ == 0) {
                first = "facing " + text(t.facing) + " at " + text(centroid);
            }
        }
        EXPECT_EQ(0, inward) << slot_names[slot] << ": expected no inward face, first " << first;
    }
}

TEST(GemLists, ProvokingNormalsPointOutOfTheirFaces)
{
    for (int slot = 0; slot < list_count; ++slot) {
        if (slot == point_ring_slot) {
            continue;
        }
        int wrong = 0;
        std::string first;
        for (const Triangle& t : triangles_of(slot_list(slot))) {
            if (!t.degenerate && !(dot(t.normal, t.facing) > 0) && wrong++ == 0) {
                first = "normal " + text(t.normal) + " on a face facing " + text(t.facing);
            }
        }
        EXPECT_EQ(0, wrong) << slot_names[slot] << ": first " << first;
    }
}

// Flat shading shows only the provoking vertex's normal, but a list whose first vertices leave
// the normal to whatever is current when it is called cannot be drawn by Mesa from the vertices
// it stored: it is replayed vertex by vertex on every call.
TEST(GemLists, GiveEveryLitVertexANormalOfTheirOwn)
{
    for (int slot = 0; slot < list_count; ++slot) {
        if (slot == point_ring_slot) {
            continue;
        }
        int without = 0;
        for (const recording::Primitive& primitive : slot_list(slot).primitives)
            for (const recording::RecordedVertex& vertex : primitive.vertices)
                without += std::isnan(vertex.normal[0]) ? 1 : 0;
        EXPECT_EQ(0, without) << slot_names[slot] << ": vertices drawn with the caller's normal";
    }
}

TEST(GemLists, StarFacesPlusZOnly)
{
    const std::vector<Triangle> triangles = triangles_of(slot_list(star_slot));
    for (const Triangle& t : triangles) {
        EXPECT_GT(t.facing.z, 0.0) << "star triangle facing " << text(t.facing);
    }
}

// ---------------------------------------------------------------------------
// The truncated icosahedron

// The solid's own edges are the triangle edges between two faces of different normals; the
// diagonals that split a hexagon or a pentagon lie between triangles of one face.
TEST(TruncatedIcosahedron, HasNinetyEdgesOfOneLength)
{
    constexpr double expected = 0.40355 * 0.792;
    VertexIds ids;
    std::map<std::pair<int, int>, std::vector<V>> normals_by_edge;
    for (const Triangle& t : triangles_of(slot_list(0))) {
        int id[3];
        for (int c = 0; c < 3; ++c) {
            id[c] = ids.id(t.corner[c]);
        }
        for (int c = 0; c < 3; ++c) {
            const int a = id[c], b = id[(c + 1) % 3];
            normals_by_edge[{std::min(a, b), std::max(a, b)}].push_back(t.normal);
        }
    }
    int edges = 0;
    for (const auto& [edge, normals] : normals_by_edge) {
        ASSERT_EQ(2u, normals.size()) << "edge " << text(ids.point(edge.first)) << " - " << text(ids.point(edge.second));
        const double cosine = dot(normals[0], normals[1]) / (length(normals[0]) * length(normals[1]));
        if (cosine > 0.9999) {
            continue;   // inside one face
        }
        ++edges;
        EXPECT_NEAR(expected, length(ids.point(edge.second) - ids.point(edge.first)), 2e-5)
            << "edge " << text(ids.point(edge.first)) << " - " << text(ids.point(edge.second));
    }
    EXPECT_EQ(90, edges);
}

TEST(TruncatedIcosahedron, HasSixtyVerticesOnItsSphereOneOnTheZxMeridian)
{
    constexpr double scale = 0.792;
    VertexIds ids;
    for (const Triangle& t : triangles_of(slot_list(0))) {
        for (const V& corner : t.corner) {
            EXPECT_NEAR(scale, length(corner), 1e-5) << "vertex " << text(corner);
            ids.id(corner);
        }
    }
    EXPECT_EQ(60, ids.count());
    const V expected = {scale * 0.343279, 0.0, scale * 0.939234};
    const int count = ids.count();
    EXPECT_LT(ids.id(expected), count) << "expected a vertex at " << text(expected) << ", got none";
}

// ---------------------------------------------------------------------------
// The icosphere

TEST(Icosphere, DepthZeroEmitsTheTableLastFaceFirst)
{
    constexpr float radius = 0.88f;
    const ListRecord list = record([] { draw_icosphere(0, radius); });
    ASSERT_EQ(1u, list.primitives.size());
    const auto& vertices = list.primitives[0].vertices;
    ASSERT_EQ(60u, vertices.size());
    for (int t = 0; t < 20; ++t) {
        const int face = 19 - t;
        for (int c = 0; c < 3; ++c) {
            const float* corner = icosahedron_corner(face, c);
            const auto& got = vertices[3 * t + c];
            for (int axis = 0; axis < 3; ++axis) {
                EXPECT_EQ(corner[axis] * radius, got.position[axis])
                    << "triangle " << t << " corner " << c << " axis " << axis;
                EXPECT_EQ(corner[axis], got.normal[axis])
                    << "normal of triangle " << t << " corner " << c << " axis " << axis;
            }
        }
    }
}

TEST(Icosphere, EachDepthQuadruplesClosedOutwardTrianglesOnTheUnitSphere)
{
    const struct {
        int depth;
        std::size_t triangles;
    } cases[] = {{0, 20}, {1, 80}, {2, 320}};
    for (const auto& c : cases) {
        const ListRecord list = record([&] { draw_icosphere(c.depth, 1.0f); });
        const std::vector<Triangle> triangles = triangles_of(list);
        EXPECT_EQ(c.triangles, triangles.size()) << "depth " << c.depth;
        double worst = 0;
        int inward = 0;
        for (const Triangle& t : triangles) {
            for (const V& corner : t.corner) {
                worst = std::fmax(worst, std::fabs(length(corner) - 1.0));
            }
            inward += dot(t.facing, t.corner[0] + t.corner[1] + t.corner[2]) > 0 ? 0 : 1;
        }
        EXPECT_LT(worst, 1e-6) << "depth " << c.depth << ": largest distance from the unit sphere";
        EXPECT_EQ(0, inward) << "depth " << c.depth << ": inward triangles";
        EXPECT_EQ("", closure_problems(triangles)) << "depth " << c.depth;
    }
}

TEST(Icosphere, RefusesDepthsItsStackCannotHold)
{
    for (const int depth : {-1, 37, 1000}) {
        const ListRecord list = record([&] { draw_icosphere(depth, 1.0f); });
        EXPECT_TRUE(list.commands.empty()) << "depth " << depth << ": " << list.commands.size() << " commands";
        EXPECT_TRUE(list.primitives.empty()) << "depth " << depth;
    }
}

// ---------------------------------------------------------------------------
// Materials

// A face turned degrees from the viewer about the y axis, lit by OpenGL's default light 0, which
// shines from the viewer's side: the colour the game's material gives it.
test::Colour face_colour(double degrees)
{
    const double angle = degrees * M_PI / 180.0;
    const recording::Recording& r = recording::recording;
    return test::lit_colour(r, r.state, r.state.front, {std::sin(angle), 0.0, std::cos(angle)});
}

void lit_from_the_front()
{
    recording::reset();
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
}

std::string colour_text(const test::Colour& c)
{
    return "(" + std::to_string(c[0]) + ", " + std::to_string(c[1]) + ", " + std::to_string(c[2]) + ")";
}

// How a lit gem looks: a face turned to the light and the eye shines white; away from it the
// white fades within a few degrees (shininess 25: cos 30 degrees to the 25th power is under 3%),
// leaving the gem's own colour, brighter the more the face is turned to the light, with a fifth of
// it where the light does not reach.
TEST(Material, LightsAFaceInItsColourWithANarrowWhiteHighlight)
{
    for (int kind = 0; kind < gem_kinds; ++kind) {
        const float* const colour = gem_colours[kind];
        lit_from_the_front();
        set_material(colour);
        const double highlight_at_30 = std::pow(std::cos(M_PI / 6), 25.0);
        const struct {
            double degrees;
            double share;       // of the gem's colour: ambient 0.2 plus the cosine
            double highlight;   // of white
        } views[] = {
            {0, 1.2, 1.0}, {30, 0.2 + std::cos(M_PI / 6), highlight_at_30}, {60, 0.7, 0.0}, {90, 0.2, 0.0}, {150, 0.2, 0.0},
        };
        for (const auto& view : views) {
            const test::Colour got = face_colour(view.degrees);
            for (int c = 0; c < 3; ++c) {
                const double expected = std::min(1.0, view.share * colour[c] + view.highlight);
                EXPECT_NEAR(got[c], expected, 1e-5) << "kind " << kind << ", a face " << view.degrees
                                                    << " degrees from the light: " << colour_text(got);
            }
        }
        const float untouched[4] = {0.8f, 0.8f, 0.8f, 1.0f};
        EXPECT_TRUE(std::equal(untouched, untouched + 4, recording::recording.state.back.diffuse))
            << "back faces keep OpenGL's own material";
    }
}

// The grey of the vanishing gems dims the colour to the grey's level and keeps the white highlight.
TEST(Material, GreyDimsTheColourAndKeepsTheHighlight)
{
    lit_from_the_front();
    set_material(colour_red);
    set_grey_material(0.5f);
    const double highlight_at_30 = std::pow(std::cos(M_PI / 6), 25.0);
    const struct {
        double degrees;
        double expected;   // every channel alike
    } views[] = {{0, 1.0}, {30, 0.5 * (0.2 + std::cos(M_PI / 6)) + highlight_at_30}, {60, 0.35}, {120, 0.1}};
    for (const auto& view : views) {
        const test::Colour got = face_colour(view.degrees);
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[c], view.expected, 1e-5) << "a face " << view.degrees << " degrees from the light: "
                                                     << colour_text(got);
    }
}

// Seven kinds a player must tell apart at a glance: opaque colours within range, no two alike.
TEST(GemColours, AreOpaqueInRangeAndTellTheKindsApart)
{
    for (int kind = 0; kind < gem_kinds; ++kind) {
        const float* const colour = gem_colours[kind];
        for (int c = 0; c < 3; ++c) {
            EXPECT_GE(colour[c], 0.0f) << "kind " << kind << ", channel " << c;
            EXPECT_LE(colour[c], 1.0f) << "kind " << kind << ", channel " << c;
        }
        EXPECT_EQ(colour[3], 1.0f) << "kind " << kind << ": opaque";
        for (int other = 0; other < kind; ++other) {
            double distance = 0;
            for (int c = 0; c < 3; ++c) distance += (colour[c] - gem_colours[other][c]) * (colour[c] - gem_colours[other][c]);
            EXPECT_GT(std::sqrt(distance), 0.3) << "kinds " << other << " and " << kind << " look alike";
        }
    }
}

}  // namespace
}  // namespace quarzil
