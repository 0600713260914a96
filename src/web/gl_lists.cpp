// gl_lists.cpp -- display lists recorded and replayed, and the OpenGL calls that are recorded into
// a list or act at once through the backend
#include "web/gl_lists.h"

#include <GL/gl.h>

#include <cstring>
#include <vector>

#include "web/gl_colour.h"
#include "web/gl_store.h"

namespace quarzil::web {

Backend backend{};

namespace {

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
    if (parameter == GL_SHININESS) {
        front.shininess = values[0];
    } else if (parameter == GL_AMBIENT_AND_DIFFUSE) {
        set_colour(front, GL_AMBIENT, values);
        set_colour(front, GL_DIFFUSE, values);
    } else if (!set_colour(front, parameter, values)) {
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
        make_primitive(compiling->store, primitive_mode, pending, pending_materials);
        if (pending_normal_given)
            record(OP_NORMAL, 0, list_normal[0], list_normal[1], list_normal[2]);
        record(OP_TEXTURE, 0, list_texture[0], list_texture[1]);
        return;
    }
    immediate.vertices.clear();
    immediate.ops.clear();
    make_primitive(immediate, primitive_mode, pending, pending_materials);
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
