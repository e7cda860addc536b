#include "line_file.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace host {

namespace fs = std::filesystem;

LineFile::LineFile(const std::string &path) : path_(path) {
    std::error_code ec;
    if (path == "-")
        file_ = stdin;
    else if (fs::is_directory(path, ec))
        error_ = EISDIR;
    else if (!(file_ = std::fopen(path.c_str(), "rb")))
        error_ = errno;
}

LineFile::~LineFile() {
    std::free(buffer_);
    if (file_ && file_ != stdin) std::fclose(file_);
}

bool LineFile::opened(std::string &error) const {
    if (file_) return true;
    error = path_ + ": " + (error_ == EISDIR ? "is a directory" : std::strerror(error_));
    return false;
}

bool LineFile::next(std::string_view &line) {
    if (!file_) return false;
    errno = 0;
    const ssize_t got = getline(&buffer_, &capacity_, file_);
    if (got < 0) {
        error_ = std::ferror(file_) ? (errno ? errno : EIO) : 0;
        return false;
    }
    line = std::string_view(buffer_, static_cast<std::size_t>(got));
    return true;
}

std::string_view without_end(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

} // namespace host
