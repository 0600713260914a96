// gl_shapes.cpp -- a primitive between begin and end made into triangles, lines and points: quads,
// quad strips and polygons split as OpenGL splits them, flat shaded by the provoking vertex
#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "web/gl_store.h"

namespace quarzil::web {

namespace {

// One triangle, line or point of the primitive: its corners and the vertex whose normal and
// material light it.
struct Piece {
    int corner[3];
    int corners;
    int provoking;
};

// How OpenGL splits a primitive, keeping its winding: the provoking vertex is the last of each
// triangle, quad and segment, and the first of a polygon.
std::vector<Piece> split(unsigned mode, int count)
{
    std::vector<Piece> pieces;
    switch (mode) {
    case GL_POINTS:
        for (int i = 0; i < count; ++i)
            pieces.push_back({{i, 0, 0}, 1, i});
        break;
    case GL_LINES:
        for (int i = 0; i + 1 < count; i += 2)
            pieces.push_back({{i, i + 1, 0}, 2, i + 1});
        break;
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        for (int i = 0; i + 1 < count; ++i)
            pieces.push_back({{i, i + 1, 0}, 2, i + 1});
        if (mode == GL_LINE_LOOP && count > 2)
            pieces.push_back({{count - 1, 0, 0}, 2, 0});
        break;
    case GL_TRIANGLES:
        for (int i = 0; i + 2 < count; i += 3)
            pieces.push_back({{i, i + 1, i + 2}, 3, i + 2});
        break;
    case GL_TRIANGLE_STRIP:
        // Every other triangle of a strip swaps its first two corners, so all wind alike.
        for (int i = 0; i + 2 < count; ++i)
            pieces.push_back(i % 2 == 0 ? Piece{{i, i + 1, i + 2}, 3, i + 2} : Piece{{i + 1, i, i + 2}, 3, i + 2});
        break;
    case GL_TRIANGLE_FAN:
        for (int i = 1; i + 1 < count; ++i)
            pieces.push_back({{0, i, i + 1}, 3, i + 1});
        break;
    case GL_QUADS:
        for (int i = 0; i + 3 < count; i += 4) {
            pieces.push_back({{i, i + 1, i + 2}, 3, i + 3});
            pieces.push_back({{i, i + 2, i + 3}, 3, i + 3});
        }
        break;
    case GL_QUAD_STRIP:
        // Quad j runs round vertices 2j, 2j + 1, 2j + 3, 2j + 2.
        for (int i = 0; i + 3 < count; i += 2) {
            pieces.push_back({{i, i + 1, i + 3}, 3, i + 3});
            pieces.push_back({{i, i + 3, i + 2}, 3, i + 3});
        }
        break;
    case GL_POLYGON:
        for (int i = 1; i + 1 < count; ++i)
            pieces.push_back({{0, i, i + 1}, 3, 0});
        break;
    default:
        break;
    }
    return pieces;
}

Shape shape_of(int corners)
{
    return corners == 3 ? SHAPE_TRIANGLES : corners == 2 ? SHAPE_LINES : SHAPE_POINTS;
}

void push_material_op(Store& store, const MaterialChange& change)
{
    Op op{};
    op.kind = OP_MATERIAL;
    op.value = change.parameter;
    std::memcpy(op.values, change.values, sizeof op.values);
    store.ops.push_back(op);
}

}  // namespace

void make_primitive(Store& store, unsigned mode, const std::vector<PendingVertex>& pending,
                    const std::vector<MaterialChange>& pending_materials)
{
    const std::vector<Piece> pieces = split(mode, static_cast<int>(pending.size()));
    int applied = 0;   // material changes placed in the store so far
    Op* draw = nullptr;
    for (const Piece& piece : pieces) {
        const PendingVertex& provoking = pending[piece.provoking];
        // The pieces' provoking vertices come in order (a polygon's is always the first), so the
        // changes before each are placed once, in order.
        if (provoking.material_changes > applied) {
            for (; applied < provoking.material_changes; ++applied)
                push_material_op(store, pending_materials[applied]);
            draw = nullptr;
        }
        const Shape shape = shape_of(piece.corners);
        if (!draw || draw->shape != shape || draw->inherits_normal != provoking.inherits_normal) {
            Op op{};
            op.kind = OP_DRAW;
            op.shape = shape;
            op.first = static_cast<int>(store.vertices.size());
            op.count = 0;
            op.inherits_normal = provoking.inherits_normal;
            store.ops.push_back(op);
            draw = &store.ops.back();
        }
        for (int k = 0; k < piece.corners; ++k) {
            Vertex vertex = pending[piece.corner[k]].vertex;
            if (shape == SHAPE_TRIANGLES)
                std::memcpy(vertex.normal, provoking.vertex.normal, sizeof vertex.normal);
            store.vertices.push_back(vertex);
        }
        draw->count += piece.corners;
    }
    // Changes after the last provoking vertex still hold once the primitive is done.
    for (; applied < static_cast<int>(pending_materials.size()); ++applied)
        push_material_op(store, pending_materials[applied]);
}

}  // namespace quarzil::web
