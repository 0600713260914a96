// lighting.h -- what fixed-function OpenGL makes of a lit face: the colour that the recorded
// lights and a material give a face of a given normal, by OpenGL 1.x's lighting equation
#pragma once

#include <algorithm>
#include <array>
#include <cmath>

#include "recording_gl.h"

namespace quarzil::test {

using Colour = std::array<double, 3>;
using Direction = std::array<double, 3>;

// The colour (R, G, B, each clamped to 0..1) that OpenGL gives a face whose unit normal, in eye
// coordinates, is normal, drawn in material under the lights enabled in state with the lights of
// recording: the scene's ambient light, 0.2 of the material's ambient colour; then for each
// enabled light, with L the unit vector towards it: max(n.L, 0) times the light's and the
// material's diffuse colours and, where n.L > 0, max(n.H, 0) to the shininess times their
// specular colours, H being the unit vector half-way between L and the viewer's direction
// (0, 0, 1). A directional light (w = 0) lies along its position; any other stands at its
// position divided by w, and L points there from the face's eye position at (no attenuation).
// The lights' own ambient colour is OpenGL's default, 0; there is no emission.
inline Colour lit_colour(const recording::Recording& recording, const recording::DrawState& state,
                         const recording::Material& material, const Direction& normal, const Direction& at = {0, 0, 0})
{
    constexpr double scene_ambient = 0.2;
    Colour colour;
    for (int c = 0; c < 3; ++c) colour[c] = scene_ambient * material.ambient[c];
    for (int light = 0; light < 8; ++light) {
        if (!state.is_enabled(GL_LIGHT0 + light)) continue;
        const recording::Light& source = recording.lights[light];
        Direction to_light = {source.position[0], source.position[1], source.position[2]};
        if (source.position[3] != 0.0f)
            for (int axis = 0; axis < 3; ++axis) to_light[axis] = to_light[axis] / source.position[3] - at[axis];
        const double length = std::sqrt(to_light[0] * to_light[0] + to_light[1] * to_light[1] + to_light[2] * to_light[2]);
        for (double& component : to_light) component /= length;
        const double facing = normal[0] * to_light[0] + normal[1] * to_light[1] + normal[2] * to_light[2];
        if (facing <= 0.0) continue;
        Direction half = {to_light[0], to_light[1], to_light[2] + 1.0};
        const double half_length = std::sqrt(half[0] * half[0] + half[1] * half[1] + half[2] * half[2]);
        const double highlight =
            std::pow(std::max(0.0, (normal[0] * half[0] + normal[1] * half[1] + normal[2] * half[2]) / half_length),
                     material.shininess);
        for (int c = 0; c < 3; ++c)
            colour[c] += facing * source.diffuse[c] * material.diffuse[c] + highlight * source.specular[c] * material.specular[c];
    }
    for (double& component : colour) component = std::clamp(component, 0.0, 1.0);
    return colour;
}

}  // namespace quarzil::test
