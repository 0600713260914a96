// matrix_test.cpp -- the matrix library: products, rotations, row operations, elimination, printing
#include "math/matrix.h"
#include "math/view_matrices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace quarzil {
namespace {

using test::at;
using test::frustum;
using test::translation;

Matrix4 scaling(float x, float y, float z)
{
    Matrix4 m;
    matrix_identity(m);
    at(m, 0, 0) = x;
    at(m, 1, 1) = y;
    at(m, 2, 2) = z;
    return m;
}

// Projection x modelview of the 800 x 600 window.
Matrix4 view_800_by_600()
{
    return test::view_product(800, 600);
}

// A matrix whose sixteen elements all differ and which commutes with no rotation.
Matrix4 counting_matrix()
{
    Matrix4 m;
    for (int i = 0; i < 16; ++i)
        m.m[i] = static_cast<float>(i + 1);
    return m;
}

void expect_matrix_near(const Matrix4& expected, const Matrix4& got, float tolerance)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(expected.m[i], got.m[i], tolerance)
            << "element " << i << " (row " << i % 4 << ", column " << i / 4 << "): expected "
            << expected.m[i] << ", got " << got.m[i];
    }
}

void expect_matrix_equal(const Matrix4& expected, const Matrix4& got)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(expected.m[i], got.m[i])
            << "element " << i << " (row " << i % 4 << ", column " << i / 4 << "): expected "
            << expected.m[i] << ", got " << got.m[i];
    }
}

TEST(MatrixMultiply, ComposesRightToLeft)
{
    // Scale first, then translate: (1, 1, 1) -> (2, 3, 4) -> (12, 23, 34).
    Matrix4 product;
    matrix_multiply(product, translation(10.0f, 20.0f, 30.0f), scaling(2.0f, 3.0f, 4.0f));
    Vector4 point = {1.0f, 1.0f, 1.0f, 1.0f};
    matrix_transform(point, product, point);
    EXPECT_EQ(12.0f, point.x);
    EXPECT_EQ(23.0f, point.y);
    EXPECT_EQ(34.0f, point.z);
    EXPECT_EQ(1.0f, point.w);
}

TEST(MatrixMultiply, OutputMayBeEitherInput)
{
    const Matrix4 a = counting_matrix();
    Matrix4 b;
    matrix_rotation(b, 37.0f, 1.0f, -2.0f, 0.5f);
    b.m[12] = 3.0f;

    Matrix4 separate;
    matrix_multiply(separate, a, b);

    Matrix4 into_a = a;
    matrix_multiply(into_a, into_a, b);
    expect_matrix_equal(separate, into_a);

    Matrix4 into_b = b;
    matrix_multiply(into_b, a, into_b);
    expect_matrix_equal(separate, into_b);

    Matrix4 squared;
    matrix_multiply(squared, a, a);
    Matrix4 into_both = a;
    matrix_multiply(into_both, into_both, into_both);
    expect_matrix_equal(squared, into_both);
}

TEST(MatrixRotation, ZeroAxisGivesIdentity)
{
    Matrix4 m = counting_matrix();
    matrix_rotation(m, 30.0f, 0.0f, 0.0f, 0.0f);
    Matrix4 identity;
    matrix_identity(identity);
    expect_matrix_equal(identity, m);
}

TEST(MatrixRotation, ThirtyDegreesAboutUnnormalisedZ)
{
    Matrix4 m = counting_matrix();
    matrix_rotation(m, 30.0f, 0.0f, 0.0f, 2.0f);
    const Matrix4 expected = {{
        0.86603f, 0.5f, 0.0f, 0.0f,
        -0.5f, 0.86603f, 0.0f, 0.0f,
        0.0f, 0.0f, 1.0f, 0.0f,
        0.0f, 0.0f, 0.0f, 1.0f,
    }};
    expect_matrix_near(expected, m, 0.000005f);
}

// Each rotation by 90 degrees turns one basis vector into the next, counter-clockwise seen
// from the positive axis, and leaves the axis itself alone.
TEST(MatrixRotation, RightHandedAboutEachAxis)
{
    struct Case {
        const char* name;
        void (*rotate)(Matrix4& m, float angle);
        float axis_x, axis_y, axis_z;
        Vector4 from;
        Vector4 to;
    };
    const Case cases[] = {
        {"x", matrix_rotate_x, 1.0f, 0.0f, 0.0f, {0, 1, 0, 1}, {0, 0, 1, 1}},
        {"y", matrix_rotate_y, 0.0f, 1.0f, 0.0f, {0, 0, 1, 1}, {1, 0, 0, 1}},
        {"z", matrix_rotate_z, 0.0f, 0.0f, 1.0f, {1, 0, 0, 1}, {0, 1, 0, 1}},
    };
    const Vector4 on_axis_of[] = {{2, 0, 0, 1}, {0, 2, 0, 1}, {0, 0, 2, 1}};
    constexpr float tolerance = 0.000001f;

    for (int c = 0; c < 3; ++c) {
        const Case& test = cases[c];
        SCOPED_TRACE(std::string("about ") + test.name);

        Matrix4 rotated;
        matrix_identity(rotated);
        test.rotate(rotated, 90.0f);
        Matrix4 general;
        matrix_rotation(general, 90.0f, test.axis_x, test.axis_y, test.axis_z);
        expect_matrix_near(general, rotated, tolerance);

        Vector4 moved;
        matrix_transform(moved, rotated, test.from);
        EXPECT_NEAR(test.to.x, moved.x, tolerance);
        EXPECT_NEAR(test.to.y, moved.y, tolerance);
        EXPECT_NEAR(test.to.z, moved.z, tolerance);
        EXPECT_EQ(1.0f, moved.w);

        Vector4 kept;
        matrix_transform(kept, rotated, on_axis_of[c]);
        EXPECT_EQ(on_axis_of[c].x, kept.x);
        EXPECT_EQ(on_axis_of[c].y, kept.y);
        EXPECT_EQ(on_axis_of[c].z, kept.z);
    }
}

TEST(MatrixRotation, RotateMultipliesOnTheLeft)
{
    const Matrix4 m = translation(1.0f, 2.0f, 3.0f);
    Matrix4 rz;
    matrix_rotation(rz, 30.0f, 0.0f, 0.0f, 1.0f);
    Matrix4 left;
    matrix_multiply(left, rz, m);
    Matrix4 right;
    matrix_multiply(right, m, rz);

    Matrix4 rotated = m;
    matrix_rotate_z(rotated, 30.0f);

    expect_matrix_near(left, rotated, 0.000001f);
    // The translation is turned too: x = 1 cos 30 - 2 sin 30, where m x Rz keeps it at 1.
    EXPECT_NEAR(-0.13397f, rotated.m[12], 0.000005f);
    EXPECT_EQ(1.0f, right.m[12]);
}

TEST(MatrixTransform, OutputMayBeTheInput)
{
    const Matrix4 m = counting_matrix();
    const Vector4 v = {1.0f, -1.0f, 2.0f, 0.5f};
    // Row r of the counting matrix is (r + 1, r + 5, r + 9, r + 13).
    const Vector4 expected = {1 - 5 + 18 + 6.5f, 2 - 6 + 20 + 7.0f, 3 - 7 + 22 + 7.5f,
                              4 - 8 + 24 + 8.0f};
    Vector4 separate;
    matrix_transform(separate, m, v);
    Vector4 in_place = v;
    matrix_transform(in_place, m, in_place);
    for (const Vector4& got : {separate, in_place}) {
        EXPECT_EQ(expected.x, got.x);
        EXPECT_EQ(expected.y, got.y);
        EXPECT_EQ(expected.z, got.z);
        EXPECT_EQ(expected.w, got.w);
    }
}

TEST(MatrixRows, OperateOnRowsNotColumns)
{
    // Row r of the counting matrix is (r + 1, r + 5, r + 9, r + 13).
    Matrix4 m = counting_matrix();
    matrix_swap_rows(m, 0, 2);
    matrix_scale_row(m, 1, -2.0f);
    matrix_add_row(m, 3, 0, 0.5f);
    const Matrix4 expected = {{
        3, -4, 1, 4 + 1.5f,
        7, -12, 5, 8 + 3.5f,
        11, -20, 9, 12 + 5.5f,
        15, -28, 13, 16 + 7.5f,
    }};
    expect_matrix_equal(expected, m);
}

TEST(FloatAbs, LargerOfValueAndNegation)
{
    const float cases[][2] = {{-2.5f, 2.5f}, {3.0f, 3.0f}, {0.0f, 0.0f}, {-INFINITY, INFINITY}};
    for (const auto& c : cases)
        EXPECT_EQ(c[1], float_abs(c[0])) << "float_abs(" << c[0] << ")";
}

TEST(MatrixInvert, TranslationGivesOppositeTranslation)
{
    const Matrix4 in = translation(1.0f, 2.0f, 3.0f);
    Matrix4 out;
    matrix_invert(out, in);
    expect_matrix_equal(translation(-1.0f, -2.0f, -3.0f), out);
}

TEST(MatrixInvert, AffineMatricesGiveTheirInverse)
{
    // Rotation x scale x translation, and an axis permutation with translation whose zero
    // diagonal cannot be eliminated without row exchanges.
    Matrix4 rotated_scaled_moved;
    matrix_rotation(rotated_scaled_moved, 40.0f, 1.0f, 2.0f, -3.0f);
    matrix_multiply(rotated_scaled_moved, rotated_scaled_moved, scaling(2.0f, 0.5f, 3.0f));
    matrix_multiply(rotated_scaled_moved, rotated_scaled_moved, translation(-4.0f, 5.0f, 6.0f));
    const Matrix4 permutation = {{
        0, 0, 2, 0,
        3, 0, 0, 0,
        0, -1, 0, 0,
        7, 8, 9, 1,
    }};
    const Matrix4 cases[] = {rotated_scaled_moved, permutation};

    Matrix4 identity;
    matrix_identity(identity);
    for (const Matrix4& in : cases) {
        const Matrix4 kept = in;
        Matrix4 out;
        matrix_invert(out, in);
        expect_matrix_equal(kept, in);
        Matrix4 product;
        matrix_multiply(product, out, in);
        expect_matrix_near(identity, product, 0.00001f);
        matrix_multiply(product, in, out);
        expect_matrix_near(identity, product, 0.00001f);
    }
}

TEST(MatrixInvert, ViewProductGivesThePickingMatrix)
{
    const Matrix4 in = view_800_by_600();
    Matrix4 out;
    matrix_invert(out, in);
    // The true inverse would end in -3.66667, -0.09167, 3.33333, 0.10833: with row 3 never
    // divided by its pivot, row 3 comes out about 9.23 times too large.
    const Matrix4 expected = {{
        0.26667f, 0, 0, 0,
        0, 0.2f, 0, 0,
        0, 0, -26.88165f, -0.84615f,
        0, 0, 30.76923f, 1.0f,
    }};
    expect_matrix_near(expected, out, 0.000005f);
}

TEST(MatrixInvert, ZeroMatrixCompletesWithNaNs)
{
    // Each pass scales its row by 1 / 0, which makes that row of the working copy NaN; the
    // NaN factors then spread through rows 0..2 in back substitution. Every pivot search ties
    // at 0, so no row is exchanged and row 3 is never touched.
    Matrix4 zero;
    matrix_zero(zero);
    Matrix4 out;
    matrix_invert(out, zero);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            EXPECT_TRUE(std::isnan(at(out, row, column)))
                << "row " << row << ", column " << column << ": expected NaN, got "
                << at(out, row, column);
    }
    EXPECT_EQ(0.0f, at(out, 3, 0));
    EXPECT_EQ(0.0f, at(out, 3, 1));
    EXPECT_EQ(0.0f, at(out, 3, 2));
    EXPECT_EQ(1.0f, at(out, 3, 3));
}

// What a reader of the printout needs: the matrix's four rows, each across its four columns
// (not the storage order), with the precision of the format.
TEST(MatrixPrint, WritesTheFourRowsAcrossTheColumns)
{
    const struct {
        const char* name;
        void (*print)(const Matrix4&);
        const char* heading;   // the line before the rows, if any
        double precision;
    } printers[] = {
        {"matrix_print", matrix_print, "---", 0.0005},
        {"matrix_dump", matrix_dump, nullptr, 0.0000005},
    };
    Matrix4 m = counting_matrix();
    at(m, 0, 3) = -123.4567f;
    for (const auto& printer : printers) {
        testing::internal::CaptureStdout();
        printer.print(m);
        std::istringstream printed(testing::internal::GetCapturedStdout());
        std::string line;
        if (printer.heading) {
            std::getline(printed, line);
            EXPECT_EQ(line, printer.heading) << printer.name;
        }
        for (int row = 0; row < 4; ++row) {
            ASSERT_TRUE(std::getline(printed, line)) << printer.name << ": expected row " << row << ", got the end";
            std::istringstream fields(line);
            for (int column = 0; column < 4; ++column) {
                double value = 0;
                ASSERT_TRUE(fields >> value) << printer.name << ", row " << row << ": \"" << line << "\"";
                EXPECT_NEAR(value, at(m, row, column), printer.precision)
                    << printer.name << ", row " << row << ", column " << column << ": \"" << line << "\"";
            }
            EXPECT_FALSE(fields >> line) << printer.name << ", row " << row << ": more than four values";
        }
        EXPECT_FALSE(std::getline(printed, line)) << printer.name << ": a line after the rows: \"" << line << "\"";
    }
}

}  // namespace
}  // namespace quarzil
