#include "scratch.hpp"

#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <random>
#include <stdexcept>

namespace support {

namespace fs = std::filesystem;

namespace {

fs::path scratch_root() {
    const char *root = std::getenv("DIGIT_TINT_SCRATCH");
    return root && *root ? fs::path(root) : fs::temp_directory_path();
}

// Test names carry '/' and other bytes a file name should not.
std::string file_name_part(const std::string &name) {
    std::string part = name;
    for (char &c : part)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.')
            c = '_';
    return part;
}

bool keep_wanted() {
    const char *keep = std::getenv("KEEP");
    return keep && *keep;
}

} // namespace

ScratchDir::ScratchDir(const std::string &name) {
    const fs::path root = scratch_root();
    fs::create_directories(root);
    std::random_device device;
    std::mt19937_64 random(
        device() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x", static_cast<unsigned>(random()));
        path_ = root / ("digit-tint-" + file_name_part(name) + suffix);
        if (fs::create_directory(path_)) return; // false: the name was taken
    }
    throw std::runtime_error("cannot make a scratch directory under " + root.string());
}

ScratchDir::~ScratchDir() {
    if (keep_wanted()) {
        std::cerr << "kept: " << path_.string() << std::endl;
        return;
    }
    make_removable(path_);
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void ScratchDir::clear() const {
    make_removable(path_);
    for (const auto &entry : fs::directory_iterator(path_)) fs::remove_all(entry.path());
}

void make_removable(const fs::path &path) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || fs::is_symlink(status)) return;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    if (!fs::is_directory(status)) return;
    for (const auto &entry : fs::directory_iterator(path, ec)) make_removable(entry.path());
}

} // namespace support
