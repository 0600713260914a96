// mesh_test.cpp -- the gem solids as their recorded display lists show them
#include "render/gems.h"
#include "render/recording_gl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

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
// Primitives as OpenGL splits them into triangles

// Indices of a triangle's corners within its primitive, in the order that decides its facing,
// and of its provoking vertex, whose normal lights it under flat shading.
struct TriangleIndices {
    int corner[3];
    int provoking;
};

std::vector<TriangleIndices> decompose(GLenum mode, int count)
{
    std::vector<TriangleIndices> out;
    switch (mode) {
    case GL_TRIANGLES:
        for (int i = 0; i + 2 < count; i += 3) {
            out.push_back({{i, i + 1, i + 2}, i + 2});
        }
        break;
    case GL_TRIANGLE_STRIP:
        for (int i = 0; i + 2 < count; ++i) {
            if (i % 2 == 0) {
                out.push_back({{i, i + 1, i + 2}, i + 2});
            } else {
                out.push_back({{i + 1, i, i + 2}, i + 2});
            }
        }
        break;
    case GL_TRIANGLE_FAN:
        for (int i = 1; i + 1 < count; ++i) {
            out.push_back({{0, i, i + 1}, i + 1});
        }
        break;
    case GL_QUADS:
        for (int i = 0; i + 3 < count; i += 4) {
            out.push_back({{i, i + 1, i + 2}, i + 3});
            out.push_back({{i, i + 2, i + 3}, i + 3});
        }
        break;
    case GL_QUAD_STRIP:
        // Quad k is 2k, 2k + 1, 2k + 3, 2k + 2 around its edge.
        for (int i = 0; i + 3 < count; i += 2) {
            out.push_back({{i, i + 1, i + 3}, i + 3});
            out.push_back({{i, i + 3, i + 2}, i + 3});
        }
        break;
    case GL_POLYGON:
        for (int i = 1; i + 1 < count; ++i) {
            out.push_back({{0, i, i + 1}, 0});
        }
        break;
    default:
        break;
    }
    return out;
}

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
        const int count = static_cast<int>(primitive.vertices.size());
        for (const TriangleIndices& indices : decompose(primitive.mode, count)) {
            Triangle t;
            for (int c = 0; c < 3; ++c) {
                t.corner[c] = from(primitive.vertices[indices.corner[c]].position);
            }
            t.normal = from(primitive.vertices[indices.provoking].normal);
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

constexpr GLuint first_test_name = 41;   // not 1, to show that list_base comes from glGenLists

// The nine lists as build_gem_lists records them, built once.
const Recording& built()
{
    static const Recording lists = [] {
        recording::reset(first_test_name);
        build_gem_lists();
        return recording::recording;
    }();
    return lists;
}

const ListRecord& slot_list(int slot)
{
    return built().lists.at(slot);
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

// The list's commands in order, repeats collapsed: "glEnable(GL_NORMALIZE); glBegin(GL_QUADS) x2".
std::string call_trace(const std::vector<recording::Call>& calls)
{
    std::string out;
    for (std::size_t i = 0; i < calls.size();) {
        std::size_t end = i + 1;
        while (end < calls.size() && calls[end].text == calls[i].text) {
            ++end;
        }
        out += (out.empty() ? "" : "; ") + calls[i].text;
        if (end - i > 1) {
            out += " x" + std::to_string(end - i);
        }
        i = end;
    }
    return out;
}

// Runs of equal primitives with their vertex counts: "20 GL_POLYGON/6, 12 GL_TRIANGLE_STRIP/5".
std::string primitive_shape(const ListRecord& list)
{
    std::string out;
    const auto& primitives = list.primitives;
    for (std::size_t i = 0; i < primitives.size();) {
        std::size_t end = i + 1;
        while (end < primitives.size() && primitives[end].mode == primitives[i].mode &&
               primitives[end].vertices.size() == primitives[i].vertices.size()) {
            ++end;
        }
        out += (out.empty() ? "" : ", ") + std::to_string(end - i) + " " +
               recording::enum_name(primitives[i].mode) + "/" +
               std::to_string(primitives[i].vertices.size());
        i = end;
    }
    return out;
}

constexpr const char* slot_names[list_count] = {
    "truncated icosahedron", "bevelled cube", "pyramid",    "icosahedron", "prism",
    "bipyramid",             "sphere",        "point ring", "star",
};

// ---------------------------------------------------------------------------
// The decomposition the other tests rest on

TEST(Decompose, SplitsEveryPrimitiveAsOpenGlDoes)
{
    struct Case {
        GLenum mode;
        int vertices;
        const char* triangles;   // corners, then the provoking vertex
    };
    const Case cases[] = {
        {GL_TRIANGLES, 6, "012:2 345:5"},
        {GL_TRIANGLE_STRIP, 5, "012:2 213:3 234:4"},
        {GL_TRIANGLE_FAN, 5, "012:2 023:3 034:4"},
        {GL_QUADS, 8, "012:3 023:3 456:7 467:7"},
        {GL_QUAD_STRIP, 6, "013:3 032:3 235:5 254:5"},
        {GL_POLYGON, 5, "012:0 023:0 034:0"},
        {GL_POINTS, 3, ""},
    };
    for (const Case& c : cases) {
        std::string got;
        for (const TriangleIndices& t : decompose(c.mode, c.vertices)) {
            got += (got.empty() ? "" : " ") + std::to_string(t.corner[0]) + std::to_string(t.corner[1]) +
                   std::to_string(t.corner[2]) + ":" + std::to_string(t.provoking);
        }
        EXPECT_EQ(c.triangles, got) << recording::enum_name(c.mode) << " of " << c.vertices;
    }
}

// ---------------------------------------------------------------------------
// build_gem_lists

TEST(GemLists, AsksForNineNamesOnceAndFillsThemInSlotOrder)
{
    const Recording& r = built();
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    ASSERT_EQ(std::vector<GLsizei>{list_count}, r.name_requests);
    EXPECT_EQ(first_test_name, list_base);
    ASSERT_EQ(static_cast<std::size_t>(list_count), r.lists.size());
    for (int slot = 0; slot < list_count; ++slot) {
        EXPECT_EQ(list_base + slot, r.lists[slot].name) << "list of slot " << slot;
        EXPECT_EQ(recording::enum_name(GL_COMPILE), recording::enum_name(r.lists[slot].mode))
            << "slot " << slot;
    }
    EXPECT_TRUE(r.outside.calls.empty() && r.outside.primitives.empty())
        << "expected every command inside a list, got " << call_trace(r.outside.calls);
}

std::string hexagon_calls()
{
    return "glPolygonMode(GL_FRONT, GL_FILL); glBegin(GL_POLYGON) x20";
}

TEST(GemLists, HoldTheirStateChangesAndPrimitivesInOrder)
{
    struct Case {
        int slot;
        std::string calls;       // collapsed as call_trace writes them
        std::string shape;       // as primitive_shape writes it
        std::size_t triangles;   // after splitting, degenerate ones included
    };
    const std::string star_material =
        "glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, 0.2 0.2 1 1); "
        "glMaterialfv(GL_FRONT, GL_SPECULAR, 1 1 1 1); glMaterialfv(GL_FRONT, GL_SHININESS, 25)";
    const Case cases[] = {
        // 20 hexagons, 12 pentagons of three triangles
        {0, "glEnable(GL_NORMALIZE); glDisable(GL_TEXTURE_2D); " + hexagon_calls() + "; glBegin(GL_TRIANGLE_STRIP) x12",
         "20 GL_POLYGON/6, 12 GL_TRIANGLE_STRIP/5", 20 * 4 + 12 * 3},
        // 6 squares and 12 bevels, 8 corners
        {1, "glDisable(GL_TEXTURE_2D); glEnable(GL_NORMALIZE); glBegin(GL_QUADS); glBegin(GL_TRIANGLES)",
         "1 GL_QUADS/72, 1 GL_TRIANGLES/24", 18 * 2 + 8},
        {2, "glEnable(GL_NORMALIZE); glDisable(GL_TEXTURE_2D); glBegin(GL_QUADS); glBegin(GL_TRIANGLE_FAN)",
         "1 GL_QUADS/4, 1 GL_TRIANGLE_FAN/6", 2 + 4},
        {3, "glEnable(GL_NORMALIZE); glBegin(GL_TRIANGLES)", "1 GL_TRIANGLES/60", 20},
        // two caps, 12 side quads
        {4, "glEnable(GL_NORMALIZE); glBegin(GL_POLYGON) x2; glBegin(GL_QUAD_STRIP)",
         "2 GL_POLYGON/12, 1 GL_QUAD_STRIP/26", 2 * 10 + 12 * 2},
        // two fans of 9 triangles
        {5, "glEnable(GL_NORMALIZE); glBegin(GL_TRIANGLE_FAN) x2", "2 GL_TRIANGLE_FAN/11", 18},
        // 9 bands of 15 quads
        {6, "glEnable(GL_NORMALIZE); glBegin(GL_QUAD_STRIP) x9", "9 GL_QUAD_STRIP/32", 135 * 2},
        {7, "glPointSize(3); glDisable(GL_LIGHTING); glBegin(GL_POINTS); glEnable(GL_LIGHTING)",
         "1 GL_POINTS/24", 0},
        {8, "glDisable(GL_TEXTURE_2D); glEnable(GL_NORMALIZE); " + star_material + "; glBegin(GL_TRIANGLE_FAN)",
         "1 GL_TRIANGLE_FAN/26", 24},
    };
    for (const Case& c : cases) {
        const ListRecord& list = slot_list(c.slot);
        EXPECT_EQ(c.calls, call_trace(list.calls)) << slot_names[c.slot];
        EXPECT_EQ(c.shape, primitive_shape(list)) << slot_names[c.slot];
        EXPECT_EQ(c.triangles, triangles_of(list).size()) << slot_names[c.slot];
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

TEST(GemLists, StarFacesPlusZOnly)
{
    const std::vector<Triangle> triangles = triangles_of(slot_list(star_slot));
    for (const Triangle& t : triangles) {
        EXPECT_GT(t.facing.z, 0.0) << "star triangle facing " << text(t.facing);
    }
}

// ---------------------------------------------------------------------------
// The truncated icosahedron

// The corners of each face once round its edge: a polygon in order; the pentagon strip
// q0 q1 q4 q2 q3 as q0 q1 q2 q3 q4, that is strip positions 0 1 3 4 2.
std::vector<std::vector<V>> face_outlines(const ListRecord& list)
{
    std::vector<std::vector<V>> faces;
    for (const Primitive& primitive : list.primitives) {
        std::vector<V> outline;
        if (primitive.mode == GL_TRIANGLE_STRIP && primitive.vertices.size() == 5) {
            for (const int position : {0, 1, 3, 4, 2}) {
                outline.push_back(from(primitive.vertices[position].position));
            }
        } else {
            for (const auto& v : primitive.vertices) {
                outline.push_back(from(v.position));
            }
        }
        faces.push_back(outline);
    }
    return faces;
}

TEST(TruncatedIcosahedron, EveryFaceEdgeHasOneLength)
{
    constexpr double expected = 0.40355 * 0.792;
    const auto faces = face_outlines(slot_list(0));
    ASSERT_EQ(32u, faces.size());
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const auto& outline = faces[f];
        for (std::size_t i = 0; i < outline.size(); ++i) {
            const V& a = outline[i];
            const V& b = outline[(i + 1) % outline.size()];
            EXPECT_NEAR(expected, length(b - a), 2e-5)
                << "face " << f << " (" << outline.size() << " corners), edge " << text(a) << " - " << text(b);
        }
    }
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
            const float* corner = icosahedron_vertices[icosahedron_faces[face][c]];
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
        EXPECT_EQ("", call_trace(list.calls)) << "depth " << depth;
        EXPECT_TRUE(list.primitives.empty()) << "depth " << depth;
    }
}

// ---------------------------------------------------------------------------
// Materials

TEST(Material, SetMaterialSetsColourThenWhiteSpecularThenShininess)
{
    recording::reset();
    set_material(colour_red);
    EXPECT_EQ("glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, 0.8 0.1 0 1); "
              "glMaterialfv(GL_FRONT, GL_SPECULAR, 1 1 1 1); "
              "glMaterialfv(GL_FRONT, GL_SHININESS, 25)",
              call_trace(recording::recording.outside.calls));
}

TEST(Material, GreySetsOnlyAmbientAndDiffuse)
{
    recording::reset();
    set_grey_material(0.5f);
    EXPECT_EQ("glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, 0.5 0.5 0.5 0.5)",
              call_trace(recording::recording.outside.calls));
}

}  // namespace
}  // namespace quarzil
