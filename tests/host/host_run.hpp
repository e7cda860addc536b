// Runs digit-tint-host as a user would and collects what it printed.
#pragma once

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exchange.hpp"
#include "support/process.hpp"

namespace host_test {

// A fresh, empty directory for one test.
std::filesystem::path scratch(const std::string &name);

std::string read(const std::filesystem::path &path);
void write(const std::filesystem::path &path, const std::string &bytes);

// How the host is started beyond its arguments.
struct HostCall {
    std::optional<std::string> input; // standard input; else /dev/null
    bool stdout_closed = false;       // standard output a pipe nobody reads
    bool sigpipe_ignored = false;     // started with SIGPIPE ignored
    std::filesystem::path tmpdir;     // its TMPDIR; empty: the test program's scratch root
};

// Runs the host with args from dir.
host::ToolRun run_host(const std::vector<std::string> &args, const std::filesystem::path &dir,
                       const HostCall &call = {});

// Starts the host with args from dir, for a test to signal it while it runs.
std::unique_ptr<support::Process> start_host(const std::vector<std::string> &args,
                                             const std::filesystem::path &dir,
                                             const HostCall &call = {});

// How a started host ended, as run_host has it.
host::ToolRun ended(support::Process &host);

// The value after a report's label, as in "records in     29: ...".
std::string report_field(const std::string &report, const std::string &label);

// Names a parametrised case by its title.
template <class Param> std::string by_title(const testing::TestParamInfo<Param> &param) {
    return param.param.title;
}

} // namespace host_test
