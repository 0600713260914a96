// fuzz_check.h -- the check that stops a fuzzing run when a reader breaks its contract, and the
// input written as a file for the reader
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "support/scratch.h"

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

// The folder of this fuzzer's files, in memory where the machine offers it; made at the first
// call, removed at a normal exit.
inline const testing_support::ScratchFolder& scratch_folder(const char* prefix)
{
    static const testing_support::ScratchFolder folder(prefix, testing_support::ScratchPlace::memory);
    return folder;
}

// Replaces the contents of the file at path with size bytes of data; gives up on the whole run
// when it cannot, the fuzzer being unable to work without its files.
inline void write_input(const std::string& path, const uint8_t* data, std::size_t size)
{
    if (!testing_support::write_file(path, std::string_view(reinterpret_cast<const char*>(data), size))) {
        std::perror(("cannot write " + path).c_str());
        std::exit(1);
    }
}

}  // namespace quarzil::fuzz
