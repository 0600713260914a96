// gl_lists.cpp -- display lists, the primitives WebGL lacks and flat shading, made of triangles,
// lines and points handed to a backend
#include "web/gl_lists.h"

#include <GL/gl.h>

#include <cstring>
#include <vector>

namespace quarzil::web {

Backend backend{};

namespace {

// OpenGL's initial front material.
constexpr Material initial_material = {
    {0.2f, 0.2f, 0.2f, 1.0f}, {0.8f, 0.8f, 0.8f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 0.0f};

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

struct List {
    bool compiled = false;
    Store store;
};

// The names gen_lists handed out: name n is lists[n - 1].
std::vector<List> lists;

// The state outside lists, as the last call run left it.
float current_normal[3] = {0.0f, 0.0f, 1.0f};
float current_texture[2] = {0.0f, 0.0f};
Material front = initial_material;

// The list being compiled, if any, with the normal and texture coordinate given in it so far: a
// vertex before the list's first normal takes the one current when the list runs.
List* compiling = nullptr;
unsigned compiling_name = 0;
bool list_normal_given = false;
float list_normal[3];
float list_texture[2];

// The primitive between begin and end.
struct PendingVertex {
    Vertex vertex;
    bool inherits_normal;
    int material_changes;   // changes of material made before this vertex
};

struct MaterialChange {
    unsigned parameter;
    float values[4];
};

bool inside_begin = false;
unsigned primitive_mode = 0;
std::vector<PendingVertex> pending;
std::vector<MaterialChange> pending_materials;
bool pending_normal_given = false;   // a normal given between begin and end

// Primitives drawn outside a list are made in this store and run at once.
Store immediate;
std::vector<Vertex> scratch;

void apply_material(unsigned parameter, const float* values)
{
    switch (parameter) {
    case GL_AMBIENT:
        std::memcpy(front.ambient, values, sizeof front.ambient);
        break;
    case GL_DIFFUSE:
        std::memcpy(front.diffuse, values, sizeof front.diffuse);
        break;
    case GL_AMBIENT_AND_DIFFUSE:
        std::memcpy(front.ambient, values, sizeof front.ambient);
        std::memcpy(front.diffuse, values, sizeof front.diffuse);
        break;
    case GL_SPECULAR:
        std::memcpy(front.specular, values, sizeof front.specular);
        break;
    case GL_SHININESS:
        front.shininess = values[0];
        break;
    default:
        return;   // emission and colour indexes: the game sets none
    }
    backend.material(front);
}

int material_width(unsigned parameter)
{
    return parameter == GL_SHININESS ? 1 : 4;
}

void run(const Store& store);

void run_op(const Store& store, const Op& op)
{
    switch (op.kind) {
    case OP_DRAW:
        if (op.inherits_normal) {
            scratch.assign(store.vertices.begin() + op.first, store.vertices.begin() + op.first + op.count);
            for (Vertex& vertex : scratch)
                std::memcpy(vertex.normal, current_normal, sizeof current_normal);
            backend.draw(op.shape, scratch.data(), op.count);
        } else {
            backend.draw(op.shape, store.vertices.data() + op.first, op.count);
        }
        break;
    case OP_MATERIAL:
        apply_material(op.value, op.values);
        break;
    case OP_ENABLE:
    case OP_DISABLE:
        backend.enable(op.value, op.kind == OP_ENABLE);
        break;
    case OP_TRANSLATE:
        backend.translate(op.values[0], op.values[1], op.values[2]);
        break;
    case OP_ROTATE:
        backend.rotate(op.values[0], op.values[1], op.values[2], op.values[3]);
        break;
    case OP_SCALE:
        backend.scale(op.values[0], op.values[1], op.values[2]);
        break;
    case OP_POINT_SIZE:
        backend.point_size(op.values[0]);
        break;
    case OP_LINE_WIDTH:
        backend.line_width(op.values[0]);
        break;
    case OP_NORMAL:
        std::memcpy(current_normal, op.values, sizeof current_normal);
        break;
    case OP_TEXTURE:
        std::memcpy(current_texture, op.values, sizeof current_texture);
        break;
    case OP_CALL:
        call_list(op.value);
        break;
    }
}

void run(const Store& store)
{
    for (const Op& op : store.ops)
        run_op(store, op);
}

// Where a call made now goes: the list being compiled, or nowhere (it acts at once).
bool recording() { return compiling != nullptr; }

void record(OpKind kind, unsigned value, float a = 0, float b = 0, float c = 0, float d = 0)
{
    Op op{};
    op.kind = kind;
    op.value = value;
    op.values[0] = a;
    op.values[1] = b;
    op.values[2] = c;
    op.values[3] = d;
    compiling->store.ops.push_back(op);
}

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

// Turns the pending primitive into draws and material changes in the store: runs of pieces lit
// alike become one draw, each corner carrying its piece's provoking normal.
void make_primitive(Store& store)
{
    const std::vector<Piece> pieces = split(primitive_mode, static_cast<int>(pending.size()));
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

}  // namespace

void reset()
{
    lists.clear();
    compiling = nullptr;
    inside_begin = false;
    pending.clear();
    pending_materials.clear();
    immediate = Store{};
    current_normal[0] = current_normal[1] = 0.0f;
    current_normal[2] = 1.0f;
    current_texture[0] = current_texture[1] = 0.0f;
    front = initial_material;
}

unsigned gen_lists(int range)
{
    if (range <= 0)
        return 0;
    const unsigned first = static_cast<unsigned>(lists.size()) + 1;
    lists.resize(lists.size() + static_cast<std::size_t>(range));
    return first;
}

bool is_list(unsigned name)
{
    return name >= 1 && name <= lists.size() && lists[name - 1].compiled;
}

void delete_lists(unsigned name, int range)
{
    for (int i = 0; i < range; ++i)
        if (name + i >= 1 && name + i <= lists.size())
            lists[name + i - 1] = List{};
}

void new_list(unsigned name, unsigned)
{
    if (compiling || inside_begin || name == 0)
        return;
    // A name gen_lists did not hand out still makes a list, as in OpenGL.
    if (name > lists.size())
        lists.resize(name);
    compiling = &lists[name - 1];
    compiling_name = name;
    compiling->store = Store{};
    list_normal_given = false;
    std::memcpy(list_texture, current_texture, sizeof list_texture);
}

void end_list()
{
    if (!compiling || inside_begin)
        return;
    compiling->compiled = true;
    compiling = nullptr;
}

void call_list(unsigned name)
{
    if (recording()) {
        record(OP_CALL, name);
        return;
    }
    // A list may not run itself: OpenGL bounds the nesting, and the game never nests.
    if (!is_list(name) || (compiling && compiling_name == name))
        return;
    run(lists[name - 1].store);
}

void begin(unsigned mode)
{
    if (inside_begin)
        return;
    inside_begin = true;
    primitive_mode = mode;
    pending.clear();
    pending_materials.clear();
    pending_normal_given = false;
}

void end()
{
    if (!inside_begin)
        return;
    inside_begin = false;
    if (recording()) {
        make_primitive(compiling->store);
        if (pending_normal_given)
            record(OP_NORMAL, 0, list_normal[0], list_normal[1], list_normal[2]);
        record(OP_TEXTURE, 0, list_texture[0], list_texture[1]);
        return;
    }
    immediate.vertices.clear();
    immediate.ops.clear();
    make_primitive(immediate);
    run(immediate);
}

void vertex(float x, float y, float z)
{
    if (!inside_begin)
        return;
    PendingVertex added{};
    added.vertex.position[0] = x;
    added.vertex.position[1] = y;
    added.vertex.position[2] = z;
    const float* normal_now = recording() ? list_normal : current_normal;
    added.inherits_normal = recording() && !list_normal_given;
    if (!added.inherits_normal)
        std::memcpy(added.vertex.normal, normal_now, sizeof added.vertex.normal);
    std::memcpy(added.vertex.texture, recording() ? list_texture : current_texture, sizeof added.vertex.texture);
    added.material_changes = static_cast<int>(pending_materials.size());
    pending.push_back(added);
}

void normal(float x, float y, float z)
{
    if (recording()) {
        list_normal[0] = x;
        list_normal[1] = y;
        list_normal[2] = z;
        list_normal_given = true;
        if (inside_begin)
            pending_normal_given = true;
        else
            record(OP_NORMAL, 0, x, y, z);
        return;
    }
    current_normal[0] = x;
    current_normal[1] = y;
    current_normal[2] = z;
}

void texture_coordinate(float s, float t)
{
    float* const target = recording() ? list_texture : current_texture;
    target[0] = s;
    target[1] = t;
    if (recording() && !inside_begin)
        record(OP_TEXTURE, 0, s, t);
}

void material(unsigned face, unsigned parameter, const float* values)
{
    if (face != GL_FRONT && face != GL_FRONT_AND_BACK)
        return;   // the back is never lit: back faces are culled
    if (inside_begin) {
        MaterialChange change{parameter, {0, 0, 0, 0}};
        std::memcpy(change.values, values, sizeof(float) * material_width(parameter));
        pending_materials.push_back(change);
        return;
    }
    if (recording()) {
        const int width = material_width(parameter);
        record(OP_MATERIAL, parameter, values[0], width > 1 ? values[1] : 0, width > 2 ? values[2] : 0,
               width > 3 ? values[3] : 0);
        return;
    }
    apply_material(parameter, values);
}

void enable(unsigned capability)
{
    if (recording())
        record(OP_ENABLE, capability);
    else
        backend.enable(capability, true);
}

void disable(unsigned capability)
{
    if (recording())
        record(OP_DISABLE, capability);
    else
        backend.enable(capability, false);
}

void translate(float x, float y, float z)
{
    if (recording())
        record(OP_TRANSLATE, 0, x, y, z);
    else
        backend.translate(x, y, z);
}

void rotate(float angle, float x, float y, float z)
{
    if (recording())
        record(OP_ROTATE, 0, angle, x, y, z);
    else
        backend.rotate(angle, x, y, z);
}

void scale(float x, float y, float z)
{
    if (recording())
        record(OP_SCALE, 0, x, y, z);
    else
        backend.scale(x, y, z);
}

void point_size(float size)
{
    if (recording())
        record(OP_POINT_SIZE, 0, size);
    else
        backend.point_size(size);
}

void line_width(float width)
{
    if (recording())
        record(OP_LINE_WIDTH, 0, width);
    else
        backend.line_width(width);
}

const Material& current_material()
{
    return front;
}

}  // namespace quarzil::web
