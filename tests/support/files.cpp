#include "files.hpp"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace support {

namespace fs = std::filesystem;

std::string read_file(const fs::path &path) {
    std::error_code ec;
    if (fs::is_directory(path, ec)) throw std::runtime_error(path.string() + " is a directory");
    std::ifstream f(path, std::ios::binary);
    std::string bytes{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    if (!f.is_open() || f.bad()) throw std::runtime_error("cannot read " + path.string());
    return bytes;
}

void write_file(const fs::path &path, std::string_view bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.close();
    if (!f) throw std::runtime_error("cannot write " + path.string());
}

std::map<std::string, std::string> read_files(const fs::path &dir) {
    std::map<std::string, std::string> files;
    for (const auto &entry : fs::directory_iterator(dir))
        if (entry.is_regular_file())
            files[entry.path().filename().string()] = read_file(entry.path());
    return files;
}

} // namespace support
