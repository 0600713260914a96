// gl_colour.h -- a material's or a light's colour set by its OpenGL parameter, one piece of code for
// the lists' materials and the batches' lights
#pragma once

#include <GL/gl.h>

#include <cstring>

namespace quarzil::web {

// Sets the RGBA colour that parameter names (GL_AMBIENT, GL_DIFFUSE or GL_SPECULAR) in anything
// that keeps those three, a material or a light, from values. False, and nothing set, for any other
// parameter.
template <typename Lit>
bool set_colour(Lit& lit, unsigned parameter, const float* values)
{
    float* const target = parameter == GL_AMBIENT    ? lit.ambient
                          : parameter == GL_DIFFUSE  ? lit.diffuse
                          : parameter == GL_SPECULAR ? lit.specular
                                                     : nullptr;
    if (!target)
        return false;
    std::memcpy(target, values, sizeof lit.ambient);
    return true;
}

}  // namespace quarzil::web
