// sound_match.cpp -- finds the game's sound files in a recording of what the game played, by
// normalised cross-correlation, so that a test can tell which sounds were heard and when
//
// Usage: quarzil_sound_match RECORDING BYTES_PER_SECOND SOUND...
//
// RECORDING is headerless PCM as SDL's disk audio driver writes it: the device's own format,
// which need not be the game's 22050 Hz signed 16-bit mono, because SDL converts the game's
// samples to whatever the device was opened with. The layout is worked out like this:
//   - sample format: 32-bit float when every value read as a float is a finite number in
//     -1..1 and some are not zero; otherwise signed 16-bit little-endian;
//   - channels: two when every frame's two samples are equal (SDL spreads a mono stream over
//     both channels alike), otherwise one;
//   - rate: BYTES_PER_SECOND, the rate at which the recording grew by the wall clock, divided
//     by the bytes of a frame and snapped to the nearest standard rate within 4 %. The rate is
//     taken from time, not from the sounds, so that sounds played at the wrong speed are not
//     matched.
// The recording is then mixed down to mono and resampled to 22050 Hz by linear interpolation;
// the game's sounds have nothing above 11025 Hz, so this loses nothing that the match needs.
//
// Each SOUND is a file of the game's format (22050 Hz signed 16-bit little-endian mono). For a
// sound y of m samples and the recording x, the score at lag t is
//     sum(x[t + i] y[i]) / sqrt(sum(y[i]^2) sum(x[t + i]^2)),   i = 0 .. m - 1,
// 1.0 where the recording holds the sound exactly (at any loudness) and less where it holds
// anything else besides. Sums are formed with a fast Fourier transform, the energies of the
// recording's windows with a running sum.
//
// Output, one item a line:
//   layout FORMAT CHANNELS RATE    e.g. "layout s16 2 44100"
//   frames N                       the recording's length in 22050 Hz samples
//   sound NAME LAG:SCORE:GAIN ...  for each SOUND, its matches by falling score: the best lag,
//                                  then the best lag further than the sound's length from
//                                  every one taken before, and so on, while the score is at
//                                  least 0.3, at most 16 of them; lags in 22050 Hz samples;
//                                  GAIN, sum(x[t + i] y[i]) / sum(y[i]^2), is the loudness of
//                                  the recording against the file's, 1.0 for the file's own
// Exit status 0, or 1 with a message on standard error when a file cannot be read or the
// recording's rate is not a standard one.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "sounds/fft.h"

namespace {

constexpr int sound_rate = 22050;          // samples per second of the game's sound files
constexpr double snap_tolerance = 0.04;    // a measured rate this close to a standard one is it
constexpr int standard_rates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 88200, 96000};
constexpr double least_score = 0.3;        // matches reported down to this score
constexpr int most_matches = 16;           // matches reported per sound at most
constexpr double silent_energy = 1e-6;     // a window of less energy than this has no score

using Complex = std::complex<double>;

bool read_file(const char* path, std::vector<unsigned char>& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

std::vector<double> read_s16(const std::vector<unsigned char>& bytes)
{
    std::vector<double> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8) / 32768.0;
    return samples;
}

std::vector<double> read_f32(const std::vector<unsigned char>& bytes)
{
    std::vector<double> samples(bytes.size() / 4);
    for (size_t i = 0; i < samples.size(); ++i) {
        float value;
        std::memcpy(&value, &bytes[4 * i], sizeof value);
        samples[i] = value;
    }
    return samples;
}

bool looks_like_float(const std::vector<double>& samples)
{
    bool sound = false;
    for (const double value : samples) {
        if (!std::isfinite(value) || std::fabs(value) > 1.0)
            return false;
        // A signed 16-bit recording read as floats gives denormals or wild values; a float
        // recording of audible sound has samples above 2^-16.
        sound = sound || std::fabs(value) > 1.0 / 65536;
    }
    return sound;
}

bool channels_alike(const std::vector<double>& samples)
{
    if (samples.size() < 2 || samples.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < samples.size(); i += 2)
        if (samples[i] != samples[i + 1])
            return false;
    return true;
}

// The standard rate within snap_tolerance of rate, or 0 when there is none.
int snap_rate(double rate)
{
    for (const int standard : standard_rates)
        if (std::fabs(rate - standard) <= snap_tolerance * standard)
            return standard;
    return 0;
}

// Mixes frames of channels samples down to one and resamples from rate to sound_rate.
std::vector<double> to_sound_rate(const std::vector<double>& samples, int channels, int rate)
{
    const size_t frames = samples.size() / static_cast<size_t>(channels);
    std::vector<double> mono(frames);
    for (size_t frame = 0; frame < frames; ++frame) {
        double sum = 0;
        for (int channel = 0; channel < channels; ++channel)
            sum += samples[frame * channels + channel];
        mono[frame] = sum / channels;
    }
    if (rate == sound_rate || frames == 0)
        return mono;
    const double step = static_cast<double>(rate) / sound_rate;
    const size_t length = static_cast<size_t>((frames - 1) / step) + 1;
    std::vector<double> resampled(length);
    for (size_t i = 0; i < length; ++i) {
        const double position = i * step;
        const size_t left = static_cast<size_t>(position);
        const double fraction = position - left;
        const double right = left + 1 < frames ? mono[left + 1] : mono[left];
        resampled[i] = mono[left] + (right - mono[left]) * fraction;
    }
    return resampled;
}

struct Match {
    size_t lag;
    double score;
    double gain;
};

// The score and the gain at every lag from 0 to x.size() - y.size().
struct Scores {
    std::vector<double> score;
    std::vector<double> gain;
};

// The scores of y against x, given the transform of x padded to a power of two of at least
// x.size() + y.size() and the running sums of x's squares. Empty when the sound is longer than
// the recording or silent.
Scores scores(const std::vector<Complex>& x_spectrum, const std::vector<double>& prefix_energy,
                           const std::vector<double>& y)
{
    const size_t n = prefix_energy.size() - 1;
    const size_t m = y.size();
    double y_energy = 0;
    for (const double value : y)
        y_energy += value * value;
    if (m == 0 || m > n || y_energy < silent_energy)
        return {};

    std::vector<Complex> product(x_spectrum.size());
    for (size_t i = 0; i < m; ++i)
        product[i] = y[i];
    quarzil::tools::fft(product, false);
    for (size_t i = 0; i < product.size(); ++i)
        product[i] = x_spectrum[i] * std::conj(product[i]);
    quarzil::tools::fft(product, true);

    Scores result{std::vector<double>(n - m + 1), std::vector<double>(n - m + 1)};
    const double scale = 1.0 / static_cast<double>(product.size());
    for (size_t lag = 0; lag < result.score.size(); ++lag) {
        const double x_energy = prefix_energy[lag + m] - prefix_energy[lag];
        const double sum = product[lag].real() * scale;
        result.score[lag] = x_energy < silent_energy ? 0.0 : sum / std::sqrt(y_energy * x_energy);
        result.gain[lag] = sum / y_energy;
    }
    return result;
}

std::vector<Match> best_matches(const Scores& scores, size_t length)
{
    const std::vector<double>& score = scores.score;
    std::vector<size_t> order(score.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return score[a] > score[b]; });
    std::vector<Match> matches;
    for (const size_t lag : order) {
        if (score[lag] < least_score || matches.size() == most_matches)
            break;
        const bool apart = std::all_of(matches.begin(), matches.end(), [&](const Match& taken) {
            return (lag > taken.lag ? lag - taken.lag : taken.lag - lag) > length;
        });
        if (apart)
            matches.push_back({lag, score[lag], scores.gain[lag]});
    }
    return matches;
}

}  // namespace

int main(int argument_count, char** arguments)
{
    if (argument_count < 4) {
        std::fprintf(stderr, "usage: %s RECORDING BYTES_PER_SECOND SOUND...\n", arguments[0]);
        return 1;
    }
    std::vector<unsigned char> bytes;
    if (!read_file(arguments[1], bytes)) {
        std::fprintf(stderr, "cannot read the recording %s\n", arguments[1]);
        return 1;
    }
    const double byte_rate = std::strtod(arguments[2], nullptr);

    std::vector<double> samples = read_f32(bytes);
    const bool is_float = looks_like_float(samples);
    if (!is_float)
        samples = read_s16(bytes);
    const int channels = channels_alike(samples) ? 2 : 1;
    const double measured_rate = byte_rate / (channels * (is_float ? 4 : 2));
    const int rate = snap_rate(measured_rate);
    std::printf("layout %s %d %d\n", is_float ? "f32" : "s16", channels, rate);
    if (rate == 0) {
        std::fprintf(stderr, "the recording grew by %.0f bytes a second, %.0f frames of %s x %d, "
                     "which is no standard rate\n", byte_rate, measured_rate, is_float ? "f32" : "s16", channels);
        return 1;
    }

    const std::vector<double> recording = to_sound_rate(samples, channels, rate);
    std::printf("frames %zu\n", recording.size());
    std::vector<double> prefix_energy(recording.size() + 1);
    for (size_t i = 0; i < recording.size(); ++i)
        prefix_energy[i + 1] = prefix_energy[i] + recording[i] * recording[i];

    std::vector<std::vector<double>> sounds;
    size_t longest = 0;
    for (int i = 3; i < argument_count; ++i) {
        std::vector<unsigned char> sound_bytes;
        if (!read_file(arguments[i], sound_bytes)) {
            std::fprintf(stderr, "cannot read the sound %s\n", arguments[i]);
            return 1;
        }
        sounds.push_back(read_s16(sound_bytes));
        longest = std::max(longest, sounds.back().size());
    }

    size_t size = 1;
    while (size < recording.size() + longest)
        size <<= 1;
    std::vector<Complex> spectrum(size);
    std::copy(recording.begin(), recording.end(), spectrum.begin());
    quarzil::tools::fft(spectrum, false);

    for (size_t i = 0; i < sounds.size(); ++i) {
        const std::string path = arguments[i + 3];
        const size_t slash = path.rfind('/');
        std::printf("sound %s", path.substr(slash == std::string::npos ? 0 : slash + 1).c_str());
        for (const Match& match : best_matches(scores(spectrum, prefix_energy, sounds[i]), sounds[i].size()))
            std::printf(" %zu:%.4f:%.4f", match.lag, match.score, match.gain);
        std::printf("\n");
    }
    return 0;
}
