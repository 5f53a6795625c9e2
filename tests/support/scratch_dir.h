// Files for tests: a scratch directory of a test's own, and reading, writing
// and listing what is in it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orrery::testing {

// A fresh directory under the system's temporary directory, named after tag,
// removed with everything in it when the object goes (write permission is
// given back first, in case a test took it away).
class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The names in the directory, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path path_;
};

// The whole content of a file, as bytes; "" when it cannot be read. Only for
// regular files (a device such as /dev/full would never end).
std::string read_file(const std::filesystem::path& path);

// Creates or replaces the file with text; throws std::runtime_error when it
// cannot be written.
void write_file(const std::filesystem::path& path, const std::string& text);

// The names in a directory, sorted.
std::vector<std::string> list_dir(const std::filesystem::path& dir);

}  // namespace orrery::testing
