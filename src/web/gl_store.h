// gl_store.h -- what a display list holds (its steps and its corners), and the primitive between
// begin and end made into them; shared by the lists (gl_lists.cpp) and the shapes (gl_shapes.cpp)
#pragma once

#include <vector>

#include "web/gl_lists.h"

namespace quarzil::web {

enum OpKind : int {
    OP_DRAW,
    OP_MATERIAL,
    OP_ENABLE,
    OP_DISABLE,
    OP_TRANSLATE,
    OP_ROTATE,
    OP_SCALE,
    OP_POINT_SIZE,
    OP_LINE_WIDTH,
    OP_NORMAL,
    OP_TEXTURE,
    OP_CALL,
};

// One step of a list, or of a primitive drawn outside one.
struct Op {
    OpKind kind;
    Shape shape;            // OP_DRAW
    int first, count;       // OP_DRAW: the vertices in the store
    bool inherits_normal;   // OP_DRAW: lit by the normal current when the list runs
    unsigned value;         // capability, material parameter or list name
    float values[4];
};

struct Store {
    std::vector<Vertex> vertices;
    std::vector<Op> ops;
};

// A vertex given between begin and end.
struct PendingVertex {
    Vertex vertex;
    bool inherits_normal;
    int material_changes;   // changes of material made before this vertex
};

// A material set between begin and end.
struct MaterialChange {
    unsigned parameter;
    float values[4];
};

// Turns the primitive of OpenGL mode `mode` given by `vertices`, with the material changes made
// between them, into draws and material changes appended to the store: split as OpenGL splits
// it, keeping its winding, runs of pieces lit alike made one draw, each triangle's corners
// carrying its provoking vertex's normal.
void make_primitive(Store& store, unsigned mode, const std::vector<PendingVertex>& vertices,
                    const std::vector<MaterialChange>& materials);

}  // namespace quarzil::web
