// scratch.h -- what the unit tests share for files: a temporary folder that is removed again,
// and whole files written and read back
#pragma once

#include <string>
#include <string_view>

namespace quarzil::testing_support {

// A fresh folder under the system's temporary directory, made on construction and removed with
// everything in it on destruction. Aborts the test program when it cannot be made.
class ScratchFolder {
public:
    explicit ScratchFolder(const char* prefix);
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
