// One input through both tools, each in a fresh directory of its own, and
// every difference in what they left: exit status, stdout, stderr, and every
// entry of the directory (names, and the bytes of the files).
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "inputs.hpp"
#include "support/scratch.hpp"

namespace guard {

struct Comparison {
    std::vector<std::string> differences; // one short description each; none when alike
    bool timed_out = false;               // either run hit the time limit
};

class RunPair {
  public:
    RunPair(std::filesystem::path old_tool, std::filesystem::path new_tool,
            std::chrono::milliseconds limit);

    // Runs both at once (so two cores are used); throws std::runtime_error
    // where a tool could not be started at all.
    Comparison compare(const Input &input);

  private:
    std::filesystem::path old_tool_, new_tool_;
    std::chrono::milliseconds limit_;
    support::ScratchDir old_dir_{"guard-old"}, new_dir_{"guard-new"};
};

} // namespace guard
