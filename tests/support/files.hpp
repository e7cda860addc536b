// Whole files in and out, as bytes: what every test and tool here needs.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace support {

// The file's bytes; throws std::runtime_error where it cannot be read.
std::string read_file(const std::filesystem::path &path);

// Replaces the file with bytes; throws std::runtime_error where that fails.
void write_file(const std::filesystem::path &path, std::string_view bytes);

// Every regular file directly in dir, by name, with its bytes.
std::map<std::string, std::string> read_files(const std::filesystem::path &dir);

} // namespace support
