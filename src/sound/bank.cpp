// bank.cpp -- the audio device, and the sound files loaded into whole blocks of samples
#include <fcntl.h>
#include <unistd.h>

#include <SDL.h>

#include <bit>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "storage/files.h"
#include "sound/sound_local.h"

namespace quarzil {

SoundSample sound_bank[sound_count];   // every entry null / 0 until open_sound loads it

// The names of sound_file_names, by SoundId.
const char* sound_files[sound_count] = {
#include "sound/sound_files.inc"
};

const char* sound_dirs = QUARZIL_DATA_DIR;

namespace {

// The files' bytes go into pcm as they are, so the host must share their byte order.
static_assert(std::endian::native == std::endian::little);

constexpr int path_size = 256;          // bytes of a search path, its terminating NUL included
constexpr int not_found = -1;           // blocks of a sound that has no usable file

bool device_open = false;   // SDL_OpenAudio succeeded; only then is there a callback to stop

// SDL_OpenAudio with the sound libraries' own complaints silenced: trying drivers on a machine
// without a sound card makes some of them (ALSA's, for one) write lines of their own to
// standard error, and the game's only word on a missing device is its one failure line.
// Standard error is pointed at /dev/null for the call; no thread of the game writes meanwhile.
int open_audio_quietly(SDL_AudioSpec* wanted)
{
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    const int null_device = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && null_device >= 0)
        dup2(null_device, STDERR_FILENO);
    const int result = SDL_OpenAudio(wanted, nullptr);
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
    if (null_device >= 0)
        close(null_device);
    return result;
}

// Builds entry + '/' (unless the entry is empty or ends in one) + name into path.
// Returns false, leaving path undefined, when that would not fit in path_size bytes.
bool build_path(char (&path)[path_size], const char* entry, size_t entry_length, const char* name)
{
    const bool slash = entry_length > 0 && entry[entry_length - 1] != '/';
    const size_t name_length = std::strlen(name);
    if (entry_length + (slash ? 1 : 0) + name_length >= path_size)
        return false;
    std::memcpy(path, entry, entry_length);
    size_t length = entry_length;
    if (slash)
        path[length++] = '/';
    std::memcpy(path + length, name, name_length + 1);
    return true;
}

// Opens the first regular file named name in the directories of sound_dirs, status filled from
// it; -1 if none. A path that opens but is not a regular file is passed over as if it had not
// opened.
int open_sound_file(const char* name, struct stat& status)
{
    const char* entry = sound_dirs;
    for (;;) {
        const char* comma = std::strchr(entry, ',');
        const size_t entry_length = comma ? static_cast<size_t>(comma - entry) : std::strlen(entry);
        char path[path_size];
        if (build_path(path, entry, entry_length, name)) {
            const int fd = open_regular_file(path, status);
            if (fd >= 0)
                return fd;
        }
        // The end of the string, or a ',' with nothing after it, ends the list.
        if (comma == nullptr || comma[1] == '\0')
            return -1;
        entry = comma + 1;
    }
}

}  // namespace

// Loads one sound file into whole blocks of samples, zero-padded; see SoundSample.
SoundSample load_sound(const char* name)
{
    struct stat status;
    const int fd = open_sound_file(name, status);
    if (fd < 0)
        return {nullptr, not_found};

    // Sizes are signed 32-bit numbers of bytes: a file larger than INT_MAX bytes, or one whose
    // whole blocks would take more than INT_MAX bytes, cannot be held and is treated like a
    // missing one. The second happens from 2^31 - 2046 bytes on: half of that, rounded down,
    // is 2^30 - 1023 samples, which round up to 2^20 blocks of 2048 bytes, 2^31 bytes.
    // Truncating the 64-bit size instead would load a file of 4 GiB + 2048 bytes as one block.
    const off_t end = status.st_size;
    if (end < 0 || end > INT_MAX) {
        close(fd);
        return {nullptr, not_found};
    }
    const int size = static_cast<int>(end);
    const int blocks = (size / 2 + block_samples - 1) / block_samples;
    if (static_cast<long long>(blocks) * block_bytes > INT_MAX) {
        close(fd);
        return {nullptr, not_found};
    }

    SoundSample sound{nullptr, blocks};
    if (blocks > 0) {
        // An allocation that fails leaves pcm null with the blocks kept: the mixer then plays
        // silence for the sound's length.
        sound.pcm = static_cast<int16_t*>(std::calloc(static_cast<size_t>(blocks), block_bytes));
        if (sound.pcm != nullptr) {
            // One read, its count not examined: whatever is not read stays zero, silence.
            // A final odd byte is left out.
            const ssize_t ignored = read(fd, sound.pcm, static_cast<size_t>(size & ~1));
            (void)ignored;
        }
    }
    close(fd);
    return sound;
}

int open_sound()
{
    device_open = false;
    sound_head.store(0, std::memory_order_relaxed);
    sound_tail.store(0, std::memory_order_relaxed);
    for (int voice = 0; voice < voice_count; ++voice) {
        voice_block[voice] = 0;
        voice_sound[voice] = 0;
    }

    mix_buffer = static_cast<int*>(std::malloc(sizeof(int) * block_samples));
    if (mix_buffer == nullptr)
        return -2;

    // A null obtained spec makes SDL convert to whatever the hardware takes, so the callback
    // always sees this format and 2048-byte buffers.
    SDL_AudioSpec wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.freq = sample_rate;
    wanted.format = AUDIO_S16LSB;
    wanted.channels = 1;
    wanted.samples = block_samples;
    wanted.callback = mix_audio;
    wanted.userdata = nullptr;
    if (open_audio_quietly(&wanted) < 0) {
        std::fprintf(stderr, "Couldn't open audio: %s\n", SDL_GetError());
        return -1;
    }
    device_open = true;

    // The device opens paused, so the callback does not run while the bank is loaded. SDL
    // switches the pause under the device lock that every callback runs under, so all that is
    // written before SDL_PauseAudio(0) is seen by the audio thread.
    for (int sound = 0; sound < sound_count; ++sound)
        sound_bank[sound] = load_sound(sound_files[sound]);

    SDL_PauseAudio(0);
    return 0;
}

void close_sound()
{
    if (device_open) {
        // Pausing only keeps SDL from starting further calls; a call already running holds the
        // device lock until it returns, so taking the lock waits it out. The callback itself
        // never takes this lock, and no later call comes while the device stays paused.
        SDL_PauseAudio(1);
        SDL_LockAudio();
        SDL_UnlockAudio();
    }
    std::free(mix_buffer);
    mix_buffer = nullptr;
}

}  // namespace quarzil
