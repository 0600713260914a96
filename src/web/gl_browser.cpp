// gl_browser.cpp -- the layer's backend in the page: the draws gathered into batches (gl_batch.h)
// and drawn by a lighting shader of the page's own, one WebGL draw call a batch
#include <GL/gl.h>

#include <emscripten.h>

#include "web/gl_batch.h"
#include "web/gl_lists.h"
#include "web/page.h"

namespace quarzil::web {

// Every draw call costs the browser's software renderer dearly, and Emscripten's fixed-function
// emulation makes one per material, with a shader that lights every corner and a dozen uniforms
// each. So the faces are lit once each in the batch (shading is flat), and the page draws each
// batch with a shader of its own that only places the corners and, where texturing is on, lets the
// texture modulate their colour. The matrices, the viewport, blending, the depth test, culling and
// the texture stay the emulation's and WebGL's.
namespace {

// Compiles the two programs (untextured and textured) and the vertex buffer once per WebGL context.
// The corners' layout is BatchVertex's.
EM_JS(void, draw_batch_js,
      (int mode, const void* corners, int count, int textured, const float* projection, float point_size),
{
    var gl = GLctx;
    var page = Module.quarzilBatches;
    if (!page || page.context !== gl) {
        var vertexSource = [
            'attribute vec3 a_position;', 'attribute vec4 a_colour;', 'attribute vec2 a_texture;',
            'uniform mat4 u_projection;', 'uniform float u_point_size;',
            'varying vec4 v_colour;', 'varying vec2 v_texture;',
            'void main() {',
            '  gl_Position = u_projection * vec4(a_position, 1.0);',
            '  gl_PointSize = u_point_size;',
            '  v_colour = a_colour;',
            '  v_texture = a_texture;',
            '}'].join('\n');
        var compile = function(textured) {
            var fragmentSource = [
                'precision mediump float;', 'varying vec4 v_colour;', 'varying vec2 v_texture;',
                'uniform sampler2D u_texture;', 'void main() {',
                textured ? '  gl_FragColor = v_colour * texture2D(u_texture, v_texture);' : '  gl_FragColor = v_colour;',
                '}'].join('\n');
            var program = gl.createProgram();
            [[gl.VERTEX_SHADER, vertexSource], [gl.FRAGMENT_SHADER, fragmentSource]].forEach(function(part) {
                var shader = gl.createShader(part[0]);
                gl.shaderSource(shader, part[1]);
                gl.compileShader(shader);
                gl.attachShader(program, shader);
            });
            ['a_position', 'a_colour', 'a_texture'].forEach(function(name, index) {
                gl.bindAttribLocation(program, index, name);
            });
            gl.linkProgram(program);
            return {
                program: program,
                projection: gl.getUniformLocation(program, 'u_projection'),
                pointSize: gl.getUniformLocation(program, 'u_point_size'),
                texture: gl.getUniformLocation(program, 'u_texture')
            };
        };
        page = Module.quarzilBatches = {
            context: gl, plain: compile(false), textured: compile(true), buffer: gl.createBuffer()
        };
    }
    var shader = textured ? page.textured : page.plain;
    gl.useProgram(shader.program);
    gl.bindBuffer(gl.ARRAY_BUFFER, page.buffer);
    gl.bufferData(gl.ARRAY_BUFFER, HEAPU8.subarray(corners, corners + 36 * count), gl.STREAM_DRAW);
    var layout = [[3, 0], [4, 12], [2, 28]];
    for (var index = 0; index < layout.length; ++index) {
        gl.enableVertexAttribArray(index);
        gl.vertexAttribPointer(index, layout[index][0], gl.FLOAT, false, 36, layout[index][1]);
    }
    gl.uniformMatrix4fv(shader.projection, false, HEAPF32.subarray(projection >> 2, (projection >> 2) + 16));
    gl.uniform1f(shader.pointSize, point_size);
    if (textured) gl.uniform1i(shader.texture, 0);
    gl.drawArrays(mode, 0, count);
    // The emulation keeps its own record of the bound buffer and program: leave WebGL's as it found them.
    gl.bindBuffer(gl.ARRAY_BUFFER, null);
    gl.useProgram(null);
});

void submit_to_webgl(const Batch& batch)
{
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    const int mode = batch.shape == SHAPE_TRIANGLES ? GL_TRIANGLES : batch.shape == SHAPE_LINES ? GL_LINES : GL_POINTS;
    draw_batch_js(mode, batch.vertices.data(), static_cast<int>(batch.vertices.size()), batch.textured ? 1 : 0,
                  projection, batch.point_size);
}

void modelview(float (&m)[16])
{
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
}

void webgl_draw(Shape shape, const Vertex* vertices, int count)
{
    float m[16];
    modelview(m);
    batch_draw(shape, vertices, count, m);
}

void webgl_enable(unsigned capability, bool on)
{
    if (batch_capability(capability, on))
        return;
    flush_batch();
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void webgl_light(unsigned light, unsigned parameter, const float* values)
{
    float m[16];
    modelview(m);
    batch_light(light, parameter, values, m);
}

void webgl_translate(float x, float y, float z) { glTranslatef(x, y, z); }
void webgl_rotate(float angle, float x, float y, float z) { glRotatef(angle, x, y, z); }
void webgl_scale(float x, float y, float z) { glScalef(x, y, z); }

void webgl_line_width(float width)
{
    flush_batch();
    glLineWidth(width);
}

}  // namespace

void use_browser_gl()
{
    reset_batch();
    submit_batch = submit_to_webgl;
    backend = Backend{webgl_draw,     batch_material,   webgl_enable,     webgl_translate, webgl_rotate,
                      webgl_scale,    batch_point_size, webgl_line_width, webgl_light,     flush_batch};
}

void texture_image(unsigned target, int level, int internal_format, int width, int height, int border,
                   unsigned format, unsigned type, const void* pixels)
{
    flush_batch();
    // OpenGL 1.0's component counts: 4 is RGBA, 3 RGB.
    if (internal_format == 4)
        internal_format = GL_RGBA;
    else if (internal_format == 3)
        internal_format = GL_RGB;
    glTexImage2D(target, level, internal_format, width, height, border, format, type, pixels);
}

}  // namespace quarzil::web
