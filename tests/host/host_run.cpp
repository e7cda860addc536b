#include "host_run.hpp"

#include <gtest/gtest.h>
#include <sstream>
#include <unistd.h>

namespace host_test {

namespace fs = std::filesystem;

fs::path scratch(const std::string &name) {
    fs::path dir =
        fs::temp_directory_path() / ("digit-tint-host-test-" + std::to_string(getpid())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

std::string read(const fs::path &path) {
    std::string bytes, error;
    EXPECT_TRUE(host::read_file(path, bytes, error)) << error;
    return bytes;
}

void write(const fs::path &path, const std::string &bytes) {
    std::string error;
    ASSERT_TRUE(host::write_file(path, bytes, error)) << error;
}

host::ToolRun run_host(const std::vector<std::string> &args, const fs::path &dir) {
    host::ToolRun run;
    std::string error;
    EXPECT_TRUE(host::run_tool(HOST_BINARY, args, dir, run, error)) << error;
    return run;
}

std::string report_field(const std::string &report, const std::string &label) {
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(label + " ", 0) == 0)
            return line.substr(line.find_first_not_of(' ', label.size()));
    return "(no " + label + ")";
}

} // namespace host_test
