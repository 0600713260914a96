// matrix.cpp -- the 4 x 4 matrix library: products, rotations, row operations, elimination, printing
#include "math/matrix.h"

#include <cmath>
#include <cstdio>

namespace quarzil {

namespace {

constexpr Matrix4 identity_matrix = {{
    1.0f, 0.0f, 0.0f, 0.0f,
    0.0f, 1.0f, 0.0f, 0.0f,
    0.0f, 0.0f, 1.0f, 0.0f,
    0.0f, 0.0f, 0.0f, 1.0f,
}};

constexpr Matrix4 zero_matrix = {};

// 3.1415926 / 180 as written, a little short of pi / 180; kept so angles match to the last bit.
constexpr double radians_per_degree = 0.017453292222222222;

constexpr int element(int row, int column)
{
    return matrix_rows * column + row;
}

struct CosineSine {
    float cosine;
    float sine;
};

CosineSine cosine_sine(float angle)
{
    const float radians = static_cast<float>(static_cast<double>(angle) * radians_per_degree);
    return {static_cast<float>(std::cos(static_cast<double>(radians))),
            static_cast<float>(std::sin(static_cast<double>(radians)))};
}

// The rotation in the plane of axes first and second (x = 0, y = 1, z = 2), turning first
// towards second for a positive angle, multiplied in on the left of m.
void rotate_plane(Matrix4& m, float angle, int first, int second)
{
    const CosineSine turn = cosine_sine(angle);
    Matrix4 rotation = identity_matrix;
    rotation.m[element(first, first)] = turn.cosine;
    rotation.m[element(first, second)] = -turn.sine;
    rotation.m[element(second, first)] = turn.sine;
    rotation.m[element(second, second)] = turn.cosine;
    matrix_multiply(m, rotation, m);
}

}  // namespace

void matrix_identity(Matrix4& m)
{
    m = identity_matrix;
}

void matrix_zero(Matrix4& m)
{
    m = zero_matrix;
}

void matrix_multiply(Matrix4& out, const Matrix4& a, const Matrix4& b)
{
    Matrix4 product;
    for (int column = 0; column < matrix_rows; ++column) {
        for (int row = 0; row < matrix_rows; ++row) {
            float sum = 0.0f;
            for (int k = 0; k < matrix_rows; ++k)
                sum += a.m[element(row, k)] * b.m[element(k, column)];
            product.m[element(row, column)] = sum;
        }
    }
    out = product;
}

void matrix_transform(Vector4& out, const Matrix4& m, const Vector4& v)
{
    const float in[matrix_rows] = {v.x, v.y, v.z, v.w};
    float result[matrix_rows];
    for (int row = 0; row < matrix_rows; ++row) {
        float sum = 0.0f;
        for (int k = 0; k < matrix_rows; ++k)
            sum += m.m[element(row, k)] * in[k];
        result[row] = sum;
    }
    out = {result[0], result[1], result[2], result[3]};
}

void matrix_rotation(Matrix4& m, float angle, float x, float y, float z)
{
    const float length = std::sqrt(z * z + (x * x + y * y));
    if (length == 0.0f) {
        m = identity_matrix;
        return;
    }
    x = x / length;
    y = y / length;
    z = z / length;
    const CosineSine turn = cosine_sine(angle);
    const float c = turn.cosine;
    const float s = turn.sine;
    const float t = 1.0f - c;

    m = {{
        x * x * t + c,     x * y * t + z * s, x * z * t - y * s, 0.0f,
        x * y * t - z * s, y * y * t + c,     y * z * t + x * s, 0.0f,
        x * z * t + y * s, y * z * t - x * s, z * z * t + c,     0.0f,
        0.0f,              0.0f,              0.0f,              1.0f,
    }};
}

void matrix_rotate_x(Matrix4& m, float angle)
{
    rotate_plane(m, angle, 1, 2);
}

void matrix_rotate_y(Matrix4& m, float angle)
{
    rotate_plane(m, angle, 2, 0);
}

void matrix_rotate_z(Matrix4& m, float angle)
{
    rotate_plane(m, angle, 0, 1);
}

float float_abs(float x)
{
    return -x > x ? -x : x;
}

void matrix_swap_rows(Matrix4& m, int a, int b)
{
    for (int column = 0; column < matrix_rows; ++column) {
        const float kept = m.m[element(a, column)];
        m.m[element(a, column)] = m.m[element(b, column)];
        m.m[element(b, column)] = kept;
    }
}

void matrix_scale_row(Matrix4& m, int a, float f)
{
    for (int column = 0; column < matrix_rows; ++column)
        m.m[element(a, column)] = m.m[element(a, column)] * f;
}

void matrix_add_row(Matrix4& m, int a, int b, float f)
{
    for (int column = 0; column < matrix_rows; ++column)
        m.m[element(a, column)] = m.m[element(b, column)] * f + m.m[element(a, column)];
}

void matrix_invert(Matrix4& out, const Matrix4& in)
{
    out = identity_matrix;
    Matrix4 work = in;

    // Row r := row r - g x row i, as element(r) - element(i) * g. Adding (-g) x row i is the
    // same to the bit: negation is exact and x - y is defined as x + (-y).
    const auto subtract_row = [&](int r, int i, float g) {
        matrix_add_row(work, r, i, -g);
        matrix_add_row(out, r, i, -g);
    };

    for (int i = 0; i < matrix_rows - 1; ++i) {
        int pivot = i;
        for (int p = i + 1; p < matrix_rows; ++p) {
            if (float_abs(work.m[element(p, i)]) > float_abs(work.m[element(pivot, i)]))
                pivot = p;
        }
        if (pivot != i) {
            matrix_swap_rows(work, i, pivot);
            matrix_swap_rows(out, i, pivot);
        }
        const float f = 1.0f / work.m[element(i, i)];
        matrix_scale_row(work, i, f);
        matrix_scale_row(out, i, f);
        for (int r = i + 1; r < matrix_rows; ++r) {
            const float g = work.m[element(r, i)];
            if (g != 0.0f)
                subtract_row(r, i, g);
        }
    }

    for (int j = matrix_rows - 1; j >= 1; --j) {
        for (int k = 0; k < j; ++k) {
            const float g = work.m[element(k, j)];
            if (g != 0.0f)
                subtract_row(k, j, g);
        }
    }
}

void matrix_print(const Matrix4& m)
{
    std::puts("---");
    for (int row = 0; row < matrix_rows; ++row) {
        for (int column = 0; column < matrix_rows; ++column)
            std::printf(" %7.3f", static_cast<double>(m.m[element(row, column)]));
        std::putchar('\n');
    }
}

void matrix_dump(const Matrix4& m)
{
    for (int row = 0; row < matrix_rows; ++row) {
        std::printf("%f %f %f %f\n",
                    static_cast<double>(m.m[element(row, 0)]),
                    static_cast<double>(m.m[element(row, 1)]),
                    static_cast<double>(m.m[element(row, 2)]),
                    static_cast<double>(m.m[element(row, 3)]));
    }
}

}  // namespace quarzil
