// fft.h -- the radix-2 Fourier transform that the sound tool's checks and the sound tests share
#pragma once

#include <cmath>
#include <complex>
#include <numbers>
#include <utility>
#include <vector>

namespace quarzil::tools {

// Transforms data in place; data.size() is a power of two. The inverse is left unscaled,
// data.size() times too large.
inline void fft(std::vector<std::complex<double>>& data, bool inverse)
{
    const size_t n = data.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(data[i], data[j]);
    }
    for (size_t length = 2; length <= n; length <<= 1) {
        const double angle = (inverse ? 2.0 : -2.0) * std::numbers::pi / static_cast<double>(length);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t start = 0; start < n; start += length) {
            std::complex<double> turn(1.0, 0.0);
            for (size_t k = 0; k < length / 2; ++k) {
                const std::complex<double> even = data[start + k];
                const std::complex<double> odd = data[start + k + length / 2] * turn;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
                turn *= step;
            }
        }
    }
}

}  // namespace quarzil::tools
