// gl_batch.cpp -- gathers the layer's draws into batches: corners moved into eye coordinates and
// faces lit, submitted when the state they share changes
#include "web/gl_batch.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "web/gl_colour.h"

namespace quarzil::web {

namespace {

Batch batch;

// A light as OpenGL keeps it: colours and the position in eye coordinates (moved by the model-view
// matrix of the time it was set).
struct BatchLight {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float position[4];
};

// The state a corner added now is drawn in.
Material material_now{};
bool lighting_on = false;
bool light_on[batch_lights] = {};
bool texture_on = false;
BatchLight lights[batch_lights];
// Each light's direction (its position normalised as a four-vector) and half vector, normalised.
float light_direction[batch_lights][3];
float light_half[batch_lights][3];

void normalise(float (&v)[3])
{
    const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0.0f)
        for (float& c : v)
            c /= length;
}

void place_light(int i)
{
    const float* p = lights[i].position;
    const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2] + p[3] * p[3]);
    for (int c = 0; c < 3; ++c)
        light_direction[i][c] = length > 0.0f ? p[c] / length : 0.0f;
    float half[3] = {light_direction[i][0], light_direction[i][1], light_direction[i][2] + 1.0f};
    normalise(half);
    std::memcpy(light_half[i], half, sizeof half);
}

// OpenGL's initial state: light 0 white, the others black, all from (0, 0, 1) at infinity.
void initial_lights()
{
    for (int i = 0; i < batch_lights; ++i) {
        const float colour = i == 0 ? 1.0f : 0.0f;
        lights[i] = {{0, 0, 0, 1}, {colour, colour, colour, 1}, {colour, colour, colour, 1}, {0, 0, 1, 0}};
        place_light(i);
    }
}

// Where a normal goes under the model-view matrix m (column-major): the inverse transpose of its
// upper 3 × 3, which is its cofactor matrix over its determinant. The shader normalises it.
void normal_matrix(float (&n)[9], const float (&m)[16])
{
    const float a = m[0], b = m[4], c = m[8];
    const float d = m[1], e = m[5], f = m[9];
    const float g = m[2], h = m[6], i = m[10];
    const float cofactors[9] = {e * i - f * h, -(d * i - f * g), d * h - e * g,
                                -(b * i - c * h), a * i - c * g, -(a * h - b * g),
                                b * f - c * e, -(a * f - c * d), a * e - b * d};
    const float determinant = a * cofactors[0] + b * cofactors[1] + c * cofactors[2];
    const float scale = determinant != 0.0f ? 1.0f / determinant : 1.0f;
    // n as rows: n[3 * row + column].
    for (int k = 0; k < 9; ++k)
        n[k] = cofactors[k] * scale;
}

}  // namespace

void lit_colour(float (&colour)[4], const float (&n)[3])
{
    if (!lighting_on) {
        colour[0] = colour[1] = colour[2] = colour[3] = 1.0f;
        return;
    }
    float normal[3] = {n[0], n[1], n[2]};
    normalise(normal);
    const Material& m = material_now;
    float sum[3];
    for (int c = 0; c < 3; ++c)
        sum[c] = 0.2f * m.ambient[c];
    for (int i = 0; i < batch_lights; ++i) {
        if (!light_on[i])
            continue;
        const float* d = light_direction[i];
        const float* h = light_half[i];
        const float diffuse = std::max(normal[0] * d[0] + normal[1] * d[1] + normal[2] * d[2], 0.0f);
        float specular = std::max(normal[0] * h[0] + normal[1] * h[1] + normal[2] * h[2], 0.0f);
        specular = diffuse > 0.0f && specular > 0.0f ? std::exp(m.shininess * std::log(specular)) : 0.0f;
        for (int c = 0; c < 3; ++c)
            sum[c] += lights[i].ambient[c] * m.ambient[c] + diffuse * lights[i].diffuse[c] * m.diffuse[c] +
                      specular * lights[i].specular[c] * m.specular[c];
    }
    for (int c = 0; c < 3; ++c)
        colour[c] = std::clamp(sum[c], 0.0f, 1.0f);
    colour[3] = std::clamp(m.diffuse[3], 0.0f, 1.0f);
}

void reset_batch()
{
    batch = Batch{};
    initial_lights();
    material_now = initial_material;
    lighting_on = false;
    for (bool& on : light_on)
        on = false;
    texture_on = false;
}

void batch_draw(Shape shape, const Vertex* vertices, int count, const float (&m)[16])
{
    if (count <= 0)
        return;
    if (shape != batch.shape)
        flush_batch();
    batch.shape = shape;
    batch.textured = texture_on;
    float n[9];
    normal_matrix(n, m);
    // A triangle's corners all carry its provoking vertex's normal (gl_lists.h): it is lit once.
    const int face = shape == SHAPE_TRIANGLES ? 3 : 1;
    BatchVertex corner{};
    for (int k = 0; k < count; ++k) {
        const Vertex& from = vertices[k];
        if (k % face == 0) {
            const float nx = from.normal[0], ny = from.normal[1], nz = from.normal[2];
            float normal[3];
            for (int row = 0; row < 3; ++row)
                normal[row] = n[3 * row] * nx + n[3 * row + 1] * ny + n[3 * row + 2] * nz;
            lit_colour(corner.colour, normal);
        }
        const float x = from.position[0], y = from.position[1], z = from.position[2];
        for (int row = 0; row < 3; ++row)
            corner.position[row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
        corner.texture[0] = from.texture[0];
        corner.texture[1] = from.texture[1];
        batch.vertices.push_back(corner);
    }
}

void batch_material(const Material& front)
{
    material_now = front;
}

bool batch_capability(unsigned capability, bool on)
{
    if (capability == GL_LIGHTING) {
        lighting_on = on;
        return true;
    }
    if (capability >= GL_LIGHT0 && capability < GL_LIGHT0 + batch_lights) {
        light_on[capability - GL_LIGHT0] = on;
        return true;
    }
    if (capability >= GL_LIGHT0 && capability <= GL_LIGHT7)
        return true;   // a light the game never uses: not drawn
    if (capability == GL_TEXTURE_2D) {
        if (on != texture_on)
            flush_batch();
        texture_on = on;
        return true;
    }
    // The shader always normalises, and WebGL knows neither smoothing: asking WebGL for them would
    // only log an error in the console.
    return capability == GL_NORMALIZE || capability == GL_LINE_SMOOTH || capability == GL_POINT_SMOOTH;
}

void batch_light(unsigned light, unsigned parameter, const float* values, const float (&m)[16])
{
    if (light < GL_LIGHT0 || light >= GL_LIGHT0 + batch_lights)
        return;
    flush_batch();
    BatchLight& target = lights[light - GL_LIGHT0];
    if (parameter != GL_POSITION) {
        set_colour(target, parameter, values);   // attenuation and spots: the game's lights have none
        return;
    }
    // In double precision, as the browser's OpenGL emulation moved it.
    for (int row = 0; row < 4; ++row)
        target.position[row] = static_cast<float>(
            static_cast<double>(m[row]) * values[0] + static_cast<double>(m[4 + row]) * values[1] +
            static_cast<double>(m[8 + row]) * values[2] + static_cast<double>(m[12 + row]) * values[3]);
    place_light(static_cast<int>(light - GL_LIGHT0));
}

void batch_point_size(float size)
{
    if (size == batch.point_size)
        return;
    flush_batch();
    batch.point_size = size;
}

void flush_batch()
{
    if (!batch.vertices.empty() && submit_batch)
        submit_batch(batch);
    batch.vertices.clear();
}

}  // namespace quarzil::web
