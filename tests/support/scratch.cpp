// scratch.cpp -- the unit tests' temporary folders and whole-file helpers
#include "support/scratch.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quarzil::testing_support {

namespace {

std::filesystem::path parent_folder(ScratchPlace place)
{
    const char* const tmpdir = std::getenv("TMPDIR");
    if (place == ScratchPlace::memory && (tmpdir == nullptr || tmpdir[0] == '\0')) {
        std::error_code ignored;
        if (std::filesystem::is_directory("/dev/shm", ignored)) return "/dev/shm";
    }
    return std::filesystem::temp_directory_path();
}

}  // namespace

ScratchFolder::ScratchFolder(const char* prefix, ScratchPlace place)
{
    std::string pattern = (parent_folder(place) / prefix).string() + "_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror(("cannot make a folder like " + pattern).c_str());
        std::abort();
    }
    folder = pattern;
}

ScratchFolder::~ScratchFolder()
{
    // A test may have taken the rights away; give them back so that everything can go.
    std::error_code ignored;
    for (auto it = std::filesystem::recursive_directory_iterator(
             folder, std::filesystem::directory_options::skip_permission_denied, ignored);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(folder, ignored);
}

std::string ScratchFolder::operator/(std::string_view name) const
{
    return folder + "/" + std::string(name);
}

bool write_file(const std::string& path, std::string_view content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    return out.good();
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace quarzil::testing_support
