// The inputs the guard runs both tools on, family by family.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace guard {

struct Input {
    std::string name;                         // where it came from, for the report
    std::map<std::string, std::string> files; // put into the empty directory before the run
    std::vector<std::string> args;
};

using Visit = std::function<void(const Input &)>;

// Every file of the fuzz corpus, read as the fuzz target reads it; returns
// how many were too short to hold an input.
int corpus_inputs(const std::filesystem::path &dir, const Visit &visit);

// Every case of every ".case" file, with its input files and switches.
void case_inputs(const std::filesystem::path &dir, const Visit &visit);

// count generated selections with every oddity, each under every trace level
// from /t0 up with switches spread over the pen, the trace-only values and
// refused ones.
void generated_inputs(int count, unsigned seed, const Visit &visit);

// A few large selections (up to and past the line limit), each under every
// trace level.
void large_inputs(unsigned seed, const Visit &visit);

} // namespace guard
