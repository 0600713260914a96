// matrix_bench.cpp -- speed of the picking elimination and of the matrix product
#include "math/matrix.h"

#include <benchmark/benchmark.h>

namespace {

using quarzil::Matrix4;

// Projection x modelview of the 800 x 600 window: glFrustum(-4/3, 4/3, -1, 1, 5, 60), then
// the scene moved 40 units away from the camera.
Matrix4 view_800_by_600()
{
    const double aspect = 800.0f / 600.0f;
    Matrix4 projection = {};
    projection.m[0] = static_cast<float>(10.0 / (2.0 * aspect));
    projection.m[5] = 5.0f;
    projection.m[10] = static_cast<float>(-65.0 / 55.0);
    projection.m[11] = -1.0f;
    projection.m[14] = static_cast<float>(-600.0 / 55.0);
    Matrix4 modelview;
    quarzil::matrix_identity(modelview);
    modelview.m[14] = -40.0f;
    Matrix4 product;
    quarzil::matrix_multiply(product, projection, modelview);
    return product;
}

void BM_matrix_invert(benchmark::State& state)
{
    Matrix4 in = view_800_by_600();
    Matrix4 out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(in);
        quarzil::matrix_invert(out, in);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_matrix_invert);

void BM_matrix_multiply(benchmark::State& state)
{
    Matrix4 a = view_800_by_600();
    Matrix4 b;
    quarzil::matrix_rotation(b, 30.0f, 1.0f, 2.0f, 3.0f);
    Matrix4 out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
        quarzil::matrix_multiply(out, a, b);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(BM_matrix_multiply);

}  // namespace
