// scratch.h -- what the unit tests and the fuzzers share for files: a temporary folder that is
// removed again, and whole files written and read back
#pragma once

#include <string>
#include <string_view>

namespace quarzil::testing_support {

// Where a scratch folder is made.
enum class ScratchPlace {
    temporary_directory,   // the system's temporary directory: $TMPDIR, else /tmp
    memory,                // $TMPDIR when it is set, else /dev/shm when there is one, else /tmp:
                           // a fuzzer that writes every input and syncs files costs no disk
};

// A fresh folder, made on construction and removed with everything in it on destruction (for a
// static one, at a normal exit). Aborts the program when it cannot be made.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* prefix, ScratchPlace place = ScratchPlace::temporary_directory);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // The folder's absolute path, without a trailing slash.
    const std::string& path() const { return folder; }
    // path() + "/" + name.
    std::string operator/(std::string_view name) const;

private:
    std::string folder;
};

// Replaces the file's contents with content, creating it (mode 0666 less the umask) if need be.
// Returns whether every byte was written.
bool write_file(const std::string& path, std::string_view content);

// The file's whole contents; empty when it cannot be read.
std::string read_file(const std::string& path);

}  // namespace quarzil::testing_support
