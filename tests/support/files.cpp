#include "files.hpp"

#include <fstream>
#include <stdexcept>

namespace support {

namespace fs = std::filesystem;

namespace {

// What is left to read of an open file: as many bytes as its size says in
// one read, then whatever it grew by meanwhile.
std::string rest_of(std::ifstream &f, const fs::path &path) {
    std::error_code ec;
    std::string bytes(fs::file_size(path, ec) + 1, '\0');
    if (ec) bytes.resize(65536);
    std::size_t got = 0;
    while (f.read(bytes.data() + got, static_cast<std::streamsize>(bytes.size() - got)) ||
           f.gcount() > 0) {
        got += static_cast<std::size_t>(f.gcount());
        if (got == bytes.size()) bytes.resize(2 * got);
    }
    if (f.bad()) throw std::runtime_error("cannot read " + path.string());
    bytes.resize(got);
    return bytes;
}

} // namespace

std::string read_file(const fs::path &path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw std::runtime_error(path.string() + " is a directory");
    std::ifstream f(path, std::ios::binary);
    if (!f.is_open()) throw std::runtime_error("cannot read " + path.string());
    return rest_of(f, path);
}

void write_file(const fs::path &path, std::string_view bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f) throw std::runtime_error("cannot write " + path.string());
}

std::map<std::string, std::string> read_files(const fs::path &dir) {
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::directory_iterator(dir)) {
        if (!entry.is_regular_file()) continue;
        // A name gone between the listing and the open (a run removing its
        // own file) is left out, as a listing a moment later would.
        std::ifstream f(entry.path(), std::ios::binary);
        if (!f.is_open() && !fs::exists(entry.path())) continue;
        files[entry.path().filename().string()] =
            f.is_open() ? rest_of(f, entry.path()) : read_file(entry.path());
    }
    return files;
}

} // namespace support
