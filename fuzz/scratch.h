// scratch.h -- the fuzzers' scratch directory, made once per process, files written into it,
// and the check that stops a run when a reader breaks its contract
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace quarzil::fuzz {

// Prints what was expected and aborts, so that libFuzzer reports the input as a crash and
// saves it. A broken invariant is as much a finding as a bad memory access.
#define FUZZ_REQUIRE(condition, ...)                                                        \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "%s:%d: expected %s: ", __FILE__, __LINE__, #condition);  \
            std::fprintf(stderr, __VA_ARGS__);                                              \
            std::fputc('\n', stderr);                                                       \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

// Gives up on the whole run: the fuzzer cannot work without its files.
[[noreturn]] inline void scratch_failure(const char* what, const std::string& path)
{
    std::perror((std::string(what) + " " + path).c_str());
    std::exit(1);
}

// Makes a fresh directory for this process, removed again at a normal exit. It goes into
// $TMPDIR when that is set, else into /dev/shm when there is one (memory: writing every input
// and syncing the score file cost no disk), else into /tmp.
inline std::string make_scratch_dir(const char* prefix)
{
    static std::string made;
    const char* parent = std::getenv("TMPDIR");
    struct stat status;
    if (parent == nullptr || parent[0] == '\0')
        parent = stat("/dev/shm", &status) == 0 && S_ISDIR(status.st_mode) ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(parent) + "/" + prefix + "_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        scratch_failure("cannot make a directory like", pattern);
    made = pattern;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(made, ignored);
    });
    return made;
}

// Replaces the contents of the file at path with size bytes of data.
inline void write_file(const std::string& path, const uint8_t* data, std::size_t size)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        scratch_failure("cannot write", path);
    for (std::size_t done = 0; done < size;) {
        const ssize_t written = write(fd, data + done, size - done);
        if (written <= 0)
            scratch_failure("cannot write", path);
        done += static_cast<std::size_t>(written);
    }
    close(fd);
}

}  // namespace quarzil::fuzz
