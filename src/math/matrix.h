// matrix.h -- 4 x 4 single-precision matrices in OpenGL's memory order, and the picking elimination
#pragma once

namespace quarzil {

constexpr int matrix_rows = 4;                               // rows, and columns, of a Matrix4
constexpr int matrix_elements = matrix_rows * matrix_rows;   // floats in a Matrix4

// Column-major, as glGetFloatv returns OpenGL's matrices: the element in row r, column n
// (both 0..3) is m[4 * n + r]. Columns 0..2 are the basis vectors, column 3 the translation,
// row 3 the projective row. A "row" below is the four elements r, r + 4, r + 8, r + 12.
struct Matrix4 {
    float m[matrix_elements];
};

// A column vector.
struct Vector4 {
    float x, y, z, w;
};

// None of these allocates, keeps state or reports an error. Angles are in degrees; an angle
// becomes radians as (double) angle * 0.017453292222222222 (3.1415926 / 180, not pi / 180)
// rounded to float, and its sine and cosine are taken in double of that float, each rounded
// to float.

// m := the identity.
void matrix_identity(Matrix4& m);
// Every element of m := 0.
void matrix_zero(Matrix4& m);
// out := a x b, so out x v = a x (b x v). Each element is summed in float from 0 over
// k = 0, 1, 2, 3 in that order. out may be a or b: every input is read before out is written.
void matrix_multiply(Matrix4& out, const Matrix4& a, const Matrix4& b);
// out := m x v, each component summed like an element of matrix_multiply. out may be v.
void matrix_transform(Vector4& out, const Matrix4& m, const Vector4& v);
// m := the rotation by angle degrees about the axis (x, y, z), replacing m's contents; the same
// matrix that glRotatef multiplies in. An axis of length 0 gives the identity.
void matrix_rotation(Matrix4& m, float angle, float x, float y, float z);
// m := Rx(angle) x m. The rotation multiplies in on the left, so it applies after m's own
// transformation (glRotatef multiplies on the right). Right-handed: a positive angle turns
// counter-clockwise seen from the positive axis, as glRotatef does.
void matrix_rotate_x(Matrix4& m, float angle);
// m := Ry(angle) x m, on the left like matrix_rotate_x.
void matrix_rotate_y(Matrix4& m, float angle);
// m := Rz(angle) x m, on the left like matrix_rotate_x.
void matrix_rotate_z(Matrix4& m, float angle);
// The larger of -x and x.
float float_abs(float x);
// Exchanges rows a and b of m (all four columns). Rows 0..3 are taken on trust, here and below.
void matrix_swap_rows(Matrix4& m, int a, int b);
// Row a of m := row a x f.
void matrix_scale_row(Matrix4& m, int a, float f);
// Row a of m := row a + f x row b, each element as m(b, n) * f + m(a, n).
void matrix_add_row(Matrix4& m, int a, int b, float f);
// out := the three-pass elimination of in; in is left unchanged. out must not be in: out is
// set to the identity before in is read.
//
// This is not a general inverse. Each of the passes i = 0, 1, 2 picks the row of largest
// |T(p, i)| among rows i..3 (float_abs; a later row wins only if strictly larger), exchanges it
// into row i, scales row i by 1 / T(i, i) without testing for 0, and subtracts g = T(r, i)
// times row i from each row r below it whose g is not 0. Row 3 is never divided by its own
// pivot. Back substitution, for j = 3, 2, 1 and rows k = 0..j - 1, subtracts T(k, j) times
// row j from row k, again only where that factor is not 0, and without dividing by T(j, j).
//
// Every step applies the same row operation to the working copy T of in and to out, so
// out x in = T at the end. T is then the identity in its first three columns, and its last
// column is (u0, u1, u2, T(3, 3)), whatever the elimination left there; hence
// out = U x in^-1 with U that same matrix. When in's bottom row is (0, 0, 0, 1) -- any mix of
// rotation, scale and translation -- T(3, 3) stays 1, the u's come out 0 and out is the inverse
// within float rounding. For the projection x modelview product that picking inverts, T(3, 3)
// ends near 9.23: out's row 3 is 9.23 times the true inverse's, and rows 0..2 carry multiples
// of the true inverse's row 3. The picking arithmetic divides by that row's result and its
// scale constants were fitted to it, so it hits the right squares only with this matrix; a
// textbook inverse in its place makes picking miss the board.
//
// A singular in (a zero pivot) leaves infinities or NaNs in out; the call still completes.
void matrix_invert(Matrix4& out, const Matrix4& in);
// Writes "---" and a newline, then the four rows of m, each as four " %7.3f" fields and a
// newline, to standard output.
void matrix_print(const Matrix4& m);
// Writes the four rows of m to standard output, each as "%f %f %f %f\n".
void matrix_dump(const Matrix4& m);

}  // namespace quarzil
