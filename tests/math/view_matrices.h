// view_matrices.h -- the matrices the game's view is built from, made without OpenGL for tests
#pragma once

#include "math/matrix.h"

namespace quarzil::test {

// Element (row, column) of a matrix, as the library stores it.
inline float& at(Matrix4& m, int row, int column)
{
    return m.m[4 * column + row];
}

inline Matrix4 translation(float x, float y, float z)
{
    Matrix4 m;
    matrix_identity(m);
    at(m, 0, 3) = x;
    at(m, 1, 3) = y;
    at(m, 2, 3) = z;
    return m;
}

// The matrix glFrustum multiplies in.
inline Matrix4 frustum(double left, double right, double bottom, double top, double near, double far)
{
    Matrix4 m;
    matrix_zero(m);
    at(m, 0, 0) = static_cast<float>(2.0 * near / (right - left));
    at(m, 0, 2) = static_cast<float>((right + left) / (right - left));
    at(m, 1, 1) = static_cast<float>(2.0 * near / (top - bottom));
    at(m, 1, 2) = static_cast<float>((top + bottom) / (top - bottom));
    at(m, 2, 2) = static_cast<float>(-(far + near) / (far - near));
    at(m, 2, 3) = static_cast<float>(-2.0 * far * near / (far - near));
    at(m, 3, 2) = -1.0f;
    return m;
}

// Projection × modelview of a view width × height pixels, never taller than wide: the frustum
// one unit high and as wide as the view's ratio (computed in single precision), then the scene
// moved 40 units away from the camera.
inline Matrix4 view_product(int width, int height)
{
    const double ratio = static_cast<float>(width) / static_cast<float>(height);
    const Matrix4 projection = frustum(-ratio, ratio, -1.0, 1.0, 5.0, 60.0);
    Matrix4 product;
    matrix_multiply(product, projection, translation(0.0f, 0.0f, -40.0f));
    return product;
}

}  // namespace quarzil::test
