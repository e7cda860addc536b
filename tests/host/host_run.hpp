// Runs digit-tint-host as a user would and collects what it printed.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "exchange.hpp"

namespace host_test {

// A fresh, empty directory for one test.
std::filesystem::path scratch(const std::string &name);

std::string read(const std::filesystem::path &path);
void write(const std::filesystem::path &path, const std::string &bytes);

// Runs the host with args from dir.
host::ToolRun run_host(const std::vector<std::string> &args, const std::filesystem::path &dir);

// The value after a report's label, as in "records in     29: ...".
std::string report_field(const std::string &report, const std::string &label);

// Names a parametrised case by its title.
template <class Param> std::string by_title(const testing::TestParamInfo<Param> &param) {
    return param.param.title;
}

} // namespace host_test
