// gl_batch.h -- the layer's draws gathered into few for the page's own shader: corners in eye
// coordinates, each face lit once here as OpenGL lights it, so that a change of material or of the
// lights switched on starts no new draw
#pragma once

#include <vector>

#include "web/gl_lists.h"

namespace quarzil::web {

constexpr int batch_lights = 3;   // GL_LIGHT0 up: the lights the game uses

// One corner as the shader takes it (36 bytes, packed for one vertex buffer).
struct BatchVertex {
    float position[3];   // eye coordinates
    float colour[4];     // lit, unclamped by nothing but OpenGL's own clamp to 0..1
    float texture[2];
};
static_assert(sizeof(BatchVertex) == 36);

// What one draw call draws: the corners and the state they share.
struct Batch {
    Shape shape = SHAPE_TRIANGLES;
    bool textured = false;   // GL_TEXTURE_2D: the bound texture modulates the colour
    float point_size = 1.0f;
    std::vector<BatchVertex> vertices;
};

// OpenGL's lighting of one face (flat shading: all its corners alike) with the normal n in eye
// coordinates, under the current material and lights, as the browser's fixed-function emulation
// computed it per corner: every directional light seen from infinity gives its ambient times the
// material's, its diffuse by the angle to the light, and its specular by the angle to the half
// vector (none where the face turns away from the light); the model's ambient light, OpenGL's
// 0.2 grey, lights the material's ambient colour; the sum is clamped to 0..1 and takes the
// material's diffuse alpha. White where lighting is off.
void lit_colour(float (&colour)[4], const float (&n)[3]);

// Where a batch goes when it is complete: WebGL in the page, a recorder in the tests. Set before
// the first draw.
inline void (*submit_batch)(const Batch& batch) = nullptr;

// The batch being gathered; the state (lights, material, capabilities) is kept across batches.
// Everything here has OpenGL's meaning and its initial state after reset_batch.
void reset_batch();
// Adds the layer's corners, moved by the model-view matrix m (column-major) and lit by the current
// material and lights. Submits the batch first where the shape differs.
void batch_draw(Shape shape, const Vertex* vertices, int count, const float (&m)[16]);
void batch_material(const Material& front);
// Lighting and the lights are carried per corner, texturing submits the batch where it changes,
// and normalising and smoothing are no business of WebGL's: true. Any other capability is WebGL's
// to switch, the batch submitted first by the caller: false.
bool batch_capability(unsigned capability, bool on);
// glLightfv for GL_LIGHT0..2 (others are ignored); the position is moved by m as OpenGL moves it.
// Submits the batch first.
void batch_light(unsigned light, unsigned parameter, const float* values, const float (&m)[16]);
void batch_point_size(float size);
// Hands the batch to submit_batch, if it holds anything, and starts an empty one.
void flush_batch();

}  // namespace quarzil::web
