// make_sounds.cpp -- synthesises the game's sound effects as raw 16-bit mono at the game's
// sample rate
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <iterator>
#include <vector>

#include "fft.h"
#include "sound/sound.h"

namespace {

using quarzil::SoundId;

constexpr double rate = quarzil::sample_rate;   // samples per second, the game's device rate
constexpr double nyquist = rate / 2.0;    // no partial may reach this, or it folds back down
constexpr double pi = 3.14159265358979323846;

// No sample of any sound beyond this: four sounds at their peaks together still sum to no
// more than 32000, below the 32767 at which the mixer clips.
constexpr int peak_limit = 8000;
// At each end the samples stay under a ramp from 0 to peak_limit over this many samples
// (2.9 ms): a raised-cosine fade of 5 ms or more keeps under it, since sin^2(x) <= x.
constexpr int edge_samples = 64;
constexpr double min_fade = 0.005;   // seconds, every fade in and out
// Two different sounds must not look alike to a search by cross-correlation: see likeness.
constexpr double likeness_limit = 0.5;

using Wave = std::vector<double>;

int samples_for(double seconds)
{
    return static_cast<int>(std::lround(seconds * rate));
}

double time_of(int sample)
{
    return sample / rate;
}

// A fixed noise source, so that every build writes the same files.
struct Noise {
    uint32_t state;
    double next()   // uniform in [-1, 1)
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state / 2147483648.0 - 1.0;
    }
};

// sin^2 from 0 at x = 0 to 1 at x = 1: a fade without a corner at either end.
double raised_cosine(double x)
{
    if (x <= 0.0)
        return 0.0;
    if (x >= 1.0)
        return 1.0;
    const double s = std::sin(0.5 * pi * x);
    return s * s;
}

// Fades both ends in place, fade_in and fade_out seconds long; the first and last samples
// become exactly 0.
void fade(Wave& wave, double fade_in, double fade_out)
{
    const int count = static_cast<int>(wave.size());
    for (int i = 0; i < count; ++i) {
        wave[i] *= raised_cosine(time_of(i) / fade_in);
        wave[i] *= raised_cosine(time_of(count - 1 - i) / fade_out);
    }
}

// A tone of harmonics at ratio * frequency with the given amplitudes, leaving out any that
// would reach the Nyquist frequency; phase is in cycles of the fundamental.
double partials(double phase, double frequency, const std::vector<std::pair<double, double>>& ratios)
{
    double sum = 0.0;
    for (const auto& [ratio, amplitude] : ratios) {
        if (ratio * frequency < nyquist * 0.9)
            sum += amplitude * std::sin(2.0 * pi * ratio * phase);
    }
    return sum;
}

// A run: two bell strikes a fifth apart, E6 then B6, with inharmonic partials ringing out.
Wave make_row()
{
    Wave wave(samples_for(0.70));
    struct Strike {
        double start, frequency, level;
    };
    const Strike strikes[] = {{0.0, 1318.51, 1.0}, {0.085, 1975.53, 0.9}};
    struct Partial {
        double ratio, amplitude, decay;   // decay: seconds to fall by 1/e
    };
    const Partial bell[] = {{1.0, 1.0, 0.22}, {2.0, 0.45, 0.14}, {3.01, 0.25, 0.09}, {4.17, 0.12, 0.06}};
    for (int i = 0; i < static_cast<int>(wave.size()); ++i) {
        for (const Strike& strike : strikes) {
            const double t = time_of(i) - strike.start;
            if (t < 0.0)
                continue;
            const double attack = raised_cosine(t / 0.004);
            for (const Partial& partial : bell) {
                const double f = strike.frequency * partial.ratio;
                if (f < nyquist * 0.9)
                    wave[i] += strike.level * attack * partial.amplitude * std::exp(-t / partial.decay) *
                               std::sin(2.0 * pi * f * t);
            }
        }
    }
    fade(wave, min_fade, 0.08);
    return wave;
}

// Gems landing: a short, soft wooden knock. Its three modes stand in the inharmonic ratios of
// a struck bar (1, 2.32, 4.25), so it does not match the pitched tones of the other sounds,
// its body sags from 195 Hz to 130 Hz, and a breath of muffled noise marks the blow.
Wave make_drop()
{
    Wave wave(samples_for(0.13));
    Noise noise{0x1234567u};
    double phase = 0.0;
    double muffled = 0.0;
    for (int i = 0; i < static_cast<int>(wave.size()); ++i) {
        const double t = time_of(i);
        const double frequency = 130.0 * (1.0 + 0.5 * std::exp(-t / 0.015));
        phase += frequency / rate;
        muffled += 0.15 * (noise.next() - muffled);   // one-pole low-pass, about 550 Hz
        wave[i] = std::exp(-t / 0.03) * std::sin(2.0 * pi * phase) +
                  0.8 * std::exp(-t / 0.012) * std::sin(2.0 * pi * 2.32 * phase) +
                  0.4 * std::exp(-t / 0.006) * std::sin(2.0 * pi * 4.25 * phase) +
                  0.8 * std::exp(-t / 0.008) * muffled;
    }
    fade(wave, min_fade, 0.04);
    return wave;
}

// The whole board dropping: a deep rumble of low-passed noise over a sliding low tone,
// trembling at 9 Hz and dying away.
Wave make_bigdrop()
{
    Wave wave(samples_for(1.30));
    Noise noise{0x9e3779b9u};
    double phase = 0.0;
    double low1 = 0.0, low2 = 0.0;
    for (int i = 0; i < static_cast<int>(wave.size()); ++i) {
        const double t = time_of(i);
        // Two one-pole low-passes near 120 Hz; each keeps about 3.4 % of the new input.
        low1 += 0.034 * (noise.next() - low1);
        low2 += 0.034 * (low1 - low2);
        const double frequency = 40.0 + 55.0 * std::exp(-t / 0.35);
        phase += frequency / rate;
        const double tremble = 0.75 + 0.25 * std::sin(2.0 * pi * 9.0 * t);
        const double body = 0.8 * std::sin(2.0 * pi * phase) + 0.3 * std::sin(4.0 * pi * phase);
        wave[i] = tremble * std::exp(-t / 0.45) * (body + 9.0 * low2);
    }
    fade(wave, 0.03, 0.25);
    return wave;
}

// A swap: a quick whoosh, noise through a band-pass whose centre sweeps from 500 Hz to
// 3.5 kHz, swelling and fading.
Wave make_swap()
{
    Wave wave(samples_for(0.24));
    Noise noise{0xdeadbeefu};
    const double length = time_of(static_cast<int>(wave.size()));
    double low = 0.0, band = 0.0;   // state of a state-variable filter
    constexpr double damping = 0.7;   // 1 / Q: a broad band, so it hisses rather than whistles
    for (int i = 0; i < static_cast<int>(wave.size()); ++i) {
        const double progress = time_of(i) / length;
        const double centre = 500.0 * std::pow(7.0, progress);
        const double f = 2.0 * std::sin(pi * centre / rate);
        const double high = noise.next() - low - damping * band;
        band += f * high;
        low += f * band;
        const double swell = std::sin(pi * progress);
        wave[i] = swell * swell * band;
    }
    fade(wave, min_fade, min_fade);
    return wave;
}

// Game over: a falling phrase of four notes, G4, E-flat 4, C4, then a long G3 that sags a
// semitone, in a soft hollow tone of odd harmonics.
Wave make_gameover()
{
    struct Note {
        double start, length, frequency;
    };
    const Note phrase[] = {
        {0.00, 0.30, 392.00},
        {0.32, 0.30, 311.13},
        {0.64, 0.30, 261.63},
        {0.96, 1.14, 196.00},
    };
    const std::vector<std::pair<double, double>> hollow = {{1.0, 1.0}, {3.0, 0.30}, {5.0, 0.12}, {7.0, 0.05}};
    Wave wave(samples_for(2.10));
    for (const Note& note : phrase) {
        const bool last = &note == &phrase[3];
        double phase = 0.0;
        const int first = samples_for(note.start);
        const int count = samples_for(note.length);
        for (int i = 0; i < count && first + i < static_cast<int>(wave.size()); ++i) {
            const double t = time_of(i);
            double frequency = note.frequency;
            if (last)
                frequency *= std::pow(2.0, -t / note.length / 12.0) * (1.0 + 0.004 * std::sin(2.0 * pi * 5.0 * t));
            phase += frequency / rate;
            const double envelope = raised_cosine(t / 0.012) * raised_cosine((note.length - t) / (last ? 0.6 : 0.05));
            wave[first + i] += envelope * partials(phase, frequency, hollow);
        }
    }
    fade(wave, min_fade, 0.05);
    return wave;
}

// Time running short: an urgent double beep, a reedy A6, twice in a fifth of a second.
Wave make_alert()
{
    const std::vector<std::pair<double, double>> reedy = {{1.0, 1.0}, {3.0, 0.33}, {5.0, 0.2}};
    constexpr double beep = 0.07;                 // seconds each beep sounds
    constexpr double starts[] = {0.0, 0.115};     // seconds
    constexpr double frequency = 1760.0;
    Wave wave(samples_for(starts[1] + beep));
    for (const double start : starts) {
        const int first = samples_for(start);
        for (int i = 0; i < samples_for(beep) && first + i < static_cast<int>(wave.size()); ++i) {
            const double t = time_of(i);
            wave[first + i] += raised_cosine(t / min_fade) * raised_cosine((beep - t) / min_fade) *
                               partials(t * frequency, frequency, reedy);
        }
    }
    fade(wave, min_fade, min_fade);
    return wave;
}

// A swap that makes no run: a dull buzz, two sawtooths near G2 beating against each other,
// their upper harmonics rolled off.
Wave make_illegal()
{
    std::vector<std::pair<double, double>> dull;
    for (int harmonic = 1; harmonic <= 14; ++harmonic)
        dull.push_back({harmonic, 1.0 / (harmonic * (1.0 + harmonic * harmonic / 40.0))});
    Wave wave(samples_for(0.30));
    for (int i = 0; i < static_cast<int>(wave.size()); ++i) {
        const double t = time_of(i);
        wave[i] = partials(t * 98.0, 98.0, dull) + 0.8 * partials(t * 103.0, 103.0, dull);
    }
    fade(wave, 0.01, 0.06);
    return wave;
}

struct SoundMaker {
    SoundId sound;          // the game's code for it, which names its file
    Wave (*make)();
    double level;           // peak, as a fraction of peak_limit
    double max_seconds;     // the check's upper bound on its length
};

// One row per sound of src/sound/sounds.list, in its order.
constexpr SoundMaker sound_makers[] = {
    {quarzil::SND_ROW, make_row, 0.95, 1.0},
    {quarzil::SND_DROP, make_drop, 0.75, 0.25},
    {quarzil::SND_BIGDROP, make_bigdrop, 1.0, 1.5},
    {quarzil::SND_SWAP, make_swap, 0.8, 0.3},
    {quarzil::SND_GAMEOVER, make_gameover, 0.85, 3.0},
    {quarzil::SND_ALERT, make_alert, 0.75, 0.3},
    {quarzil::SND_ILLEGAL, make_illegal, 0.85, 0.5},
};
constexpr int sound_count = quarzil::sound_count;
static_assert(std::size(sound_makers) == sound_count, "a maker for every sound of src/sound/sounds.list");

constexpr bool rows_in_game_order()
{
    for (int sound = 0; sound < sound_count; ++sound) {
        if (sound_makers[sound].sound != sound)
            return false;
    }
    return true;
}
static_assert(rows_in_game_order(), "row i of sound_makers makes sound i");

const char* file_name(const SoundMaker& maker)
{
    return quarzil::sound_file_names[maker.sound];
}

// Scales a wave to the given peak and rounds it to 16-bit samples.
std::vector<int16_t> quantise(const Wave& wave, double peak)
{
    double largest = 0.0;
    for (double value : wave)
        largest = std::max(largest, std::fabs(value));
    std::vector<int16_t> samples(wave.size());
    for (size_t i = 0; i < wave.size(); ++i)
        samples[i] = static_cast<int16_t>(std::lround(wave[i] * peak / largest));
    return samples;
}

bool write_sound(const std::string& path, const std::vector<int16_t>& samples)
{
    std::vector<unsigned char> bytes;
    for (int16_t sample : samples) {
        const auto bits = static_cast<uint16_t>(sample);
        bytes.push_back(static_cast<unsigned char>(bits & 0xff));   // little-endian
        bytes.push_back(static_cast<unsigned char>(bits >> 8));
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "make_sounds: cannot write %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool read_sound(const std::string& path, std::vector<int16_t>& samples)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    std::vector<unsigned char> bytes;
    unsigned char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    if (bytes.size() % 2 != 0)
        return false;
    samples.resize(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return true;
}

// How much of `found` looks like `sought`: the largest normalised cross-correlation of sought
// against any stretch of found as long as itself (found taken as silent outside its samples),
// |<sought, stretch>| / (|sought| |stretch|). A search that slides a sound's samples over a
// recording finds 1 where that sound is. Stretches with less than a quarter of sought's
// energy are not counted: a faint tail can look like anything once scaled up, and a search
// would not take it for a sound played at full level.
double likeness(const std::vector<int16_t>& sought, const std::vector<int16_t>& found)
{
    const size_t m = sought.size(), n = found.size();
    size_t size = 1;
    while (size < n + m)
        size <<= 1;
    std::vector<std::complex<double>> a(size), b(size);
    for (size_t i = 0; i < m; ++i)
        a[i] = sought[i];
    for (size_t i = 0; i < n; ++i)
        b[i] = found[i];
    quarzil::tools::fft(a, false);
    quarzil::tools::fft(b, false);
    for (size_t i = 0; i < size; ++i)
        b[i] *= std::conj(a[i]);
    quarzil::tools::fft(b, true);   // b[lag] * size = sum over i of sought[i] * found[i + lag], lag taken mod size

    std::vector<double> energy(n + 1, 0.0);   // energy[k]: of found[0..k-1]
    for (size_t i = 0; i < n; ++i)
        energy[i + 1] = energy[i] + static_cast<double>(found[i]) * found[i];
    double sought_energy = 0.0;
    for (int16_t sample : sought)
        sought_energy += static_cast<double>(sample) * sample;

    double best = 0.0;
    for (long lag = -static_cast<long>(m) + 1; lag < static_cast<long>(n); ++lag) {
        const long begin = std::max(lag, 0L), end = std::min(lag + static_cast<long>(m), static_cast<long>(n));
        const double stretch = energy[end] - energy[begin];
        if (stretch < 0.25 * sought_energy)
            continue;
        const double product = b[static_cast<size_t>(lag < 0 ? lag + static_cast<long>(size) : lag)].real() / size;
        best = std::max(best, std::fabs(product) / std::sqrt(sought_energy * stretch));
    }
    return best;
}

// Checks one sound as the game and the player meet it; prints what is wrong.
bool check_sound(const SoundMaker& maker, const std::vector<int16_t>& samples)
{
    bool good = true;
    auto fail = [&](const char* what, double got) {
        std::fprintf(stderr, "make_sounds: %s: %s (%g)\n", file_name(maker), what, got);
        good = false;
    };
    const double seconds = samples.size() / rate;
    if (seconds < 0.05 || seconds > maker.max_seconds)
        fail("length out of bounds, seconds", seconds);
    int peak = 0;
    for (int16_t sample : samples)
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    if (peak > peak_limit)
        fail("peak above the headroom limit", peak);
    if (peak < peak_limit / 2)
        fail("too quiet, peak", peak);
    if (samples.empty() || samples.front() != 0 || samples.back() != 0) {
        fail("does not begin and end at 0", 0);
        return false;
    }
    const int count = static_cast<int>(samples.size());
    for (int d = 0; d < edge_samples && d < count; ++d) {
        const double bound = static_cast<double>(peak_limit) * d / edge_samples;
        if (std::abs(samples[d]) > bound || std::abs(samples[count - 1 - d]) > bound) {
            fail("an end jumps instead of fading, sample", d);
            break;
        }
    }
    return good;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sounds OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string directory = argv[1];

    bool good = true;
    std::vector<std::vector<int16_t>> written(sound_count);
    for (int sound = 0; sound < sound_count; ++sound) {
        const SoundMaker& maker = sound_makers[sound];
        const std::string path = directory + "/" + file_name(maker);
        if (!write_sound(path, quantise(maker.make(), maker.level * peak_limit)))
            return 1;
        if (!read_sound(path, written[sound])) {
            std::fprintf(stderr, "make_sounds: cannot read back %s\n", path.c_str());
            return 1;
        }
        good = check_sound(maker, written[sound]) && good;
    }
    for (int sought = 0; sought < sound_count; ++sought) {
        for (int found = 0; found < sound_count; ++found) {
            if (sought == found)
                continue;
            const double alike = likeness(written[sought], written[found]);
            if (alike >= likeness_limit) {
                std::fprintf(stderr, "make_sounds: %s looks like part of %s (%.3f)\n",
                             file_name(sound_makers[sought]), file_name(sound_makers[found]), alike);
                good = false;
            }
        }
    }
    return good ? 0 : 1;
}
