// A scratch directory that cleans up after itself.
#pragma once

#include <filesystem>
#include <string>

namespace support {

// A fresh, empty directory "digit-tint-<name>.<random>" under
// $DIGIT_TINT_SCRATCH or the system's temporary directory. It is removed with
// everything in it when the object goes, also when the test that made it
// failed; with the environment variable KEEP set it stays and its path is
// printed on stderr instead.
class ScratchDir {
  public:
    explicit ScratchDir(const std::string &name);
    ~ScratchDir();
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path &name) const {
        return path_ / name;
    }

    // Removes everything in it, permission bits notwithstanding.
    void clear() const;

  private:
    std::filesystem::path path_;
};

// Gives the owner every permission on path and, for a directory, on all
// below it, so that a run that took permissions away can be cleaned up.
void make_removable(const std::filesystem::path &path);

} // namespace support
