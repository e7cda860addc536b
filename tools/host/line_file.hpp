// An exchange file read a line at a time, so that a selection of any size
// takes no more memory than its longest line.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace host {

class LineFile {
  public:
    // Opens path; "-" reads standard input.
    explicit LineFile(const std::string &path);
    ~LineFile();
    LineFile(const LineFile &) = delete;
    LineFile &operator=(const LineFile &) = delete;

    // False where it cannot be read, with a message naming it.
    bool opened(std::string &error) const;

    // The next line as read, its LF or CR LF included; false at the end or on
    // a failed read (then error() says why).
    bool next(std::string_view &line);
    // The errno of a failed read, 0 after a clean end.
    int error() const { return error_; }

  private:
    std::string path_;
    std::FILE *file_ = nullptr;
    char *buffer_ = nullptr;
    std::size_t capacity_ = 0;
    int error_ = 0;
};

// A line without its LF or CR LF.
std::string_view without_end(std::string_view line);

} // namespace host
