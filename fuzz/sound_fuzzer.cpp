// sound_fuzzer.cpp -- any bytes as one of the sound files, loaded as the sound bank loads
// them: whole blocks holding the file's samples, then zeros
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "fuzz_check.h"
#include "sound/sound.h"

namespace quarzil {
namespace {

std::string sound_dir;     // sound_dirs points here, the only entry
std::string last_file;     // the file the previous input was written to, removed before the next

// The loaded sound holds the file's whole samples (a final odd byte left out), then zeros up
// to the end of its last block of 1024 samples.
void check_loaded(const SoundSample& sound, const uint8_t* bytes, std::size_t size)
{
    const int expected_blocks = static_cast<int>((size / 2 + block_samples - 1) / block_samples);
    FUZZ_REQUIRE(sound.blocks == expected_blocks, "%d blocks for %zu bytes, got %d", expected_blocks, size,
                 sound.blocks);
    if (expected_blocks == 0) {
        FUZZ_REQUIRE(sound.pcm == nullptr, "no buffer for %zu bytes", size);
        return;
    }
    FUZZ_REQUIRE(sound.pcm != nullptr, "a buffer for %zu bytes", size);
    const auto* loaded = reinterpret_cast<const uint8_t*>(sound.pcm);
    const std::size_t whole = size & ~std::size_t{1};
    FUZZ_REQUIRE(std::memcmp(loaded, bytes, whole) == 0, "the first %zu bytes to be the file's", whole);
    const std::size_t total = static_cast<std::size_t>(sound.blocks) * block_bytes;
    for (std::size_t i = whole; i < total; ++i)
        FUZZ_REQUIRE(loaded[i] == 0, "byte %zu of %zu after %zu bytes of samples to be 0, got %d", i, total,
                     whole, loaded[i]);
}

}  // namespace
}  // namespace quarzil

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    using namespace quarzil;
    sound_dir = fuzz::scratch_folder("quarzil_sound_fuzz").path();
    sound_dirs = sound_dir.c_str();
    return 0;
}

// The first byte picks the file (its value modulo sound_count is the SoundId); the rest is its contents.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    using namespace quarzil;
    if (size == 0)
        return 0;
    const int chosen = data[0] % sound_count;
    if (!last_file.empty())
        unlink(last_file.c_str());
    last_file = sound_dir + "/" + sound_files[chosen];
    fuzz::write_input(last_file, data + 1, size - 1);

    SoundSample loaded = load_sound(sound_files[chosen]);
    check_loaded(loaded, data + 1, size - 1);
    std::free(loaded.pcm);
    const SoundSample other = load_sound(sound_files[(chosen + 1) % sound_count]);
    FUZZ_REQUIRE(other.blocks == -1 && other.pcm == nullptr, "another sound missing, got %d blocks", other.blocks);
    return 0;
}
