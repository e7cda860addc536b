#include "compare_runs.hpp"

#include <map>
#include <stdexcept>

#include "support/difference.hpp"
#include "support/files.hpp"
#include "support/process.hpp"

namespace guard {

namespace fs = std::filesystem;

namespace {

// What a run left: every directory entry by name, files with their bytes.
std::map<std::string, std::string> entries(const fs::path &dir) {
    std::map<std::string, std::string> left;
    for (const auto &entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file())
            left[name] = support::read_file(entry.path());
        else
            left[name] = entry.is_directory() ? "(a directory)" : "(neither file nor directory)";
    }
    return left;
}

void put_inputs(const support::ScratchDir &dir, const Input &input) {
    dir.clear();
    for (const auto &[name, bytes] : input.files) support::write_file(dir / name, bytes);
}

support::Command command(const fs::path &tool, const fs::path &dir, const Input &input,
                         std::chrono::milliseconds limit) {
    support::Command c;
    c.argv = {tool.string()};
    c.argv.insert(c.argv.end(), input.args.begin(), input.args.end());
    c.cwd = dir;
    c.timeout = limit;
    return c;
}

std::string status_text(const support::Exit &e) {
    return e.timed_out ? "timed out" : std::to_string(e.status);
}

void compare_bytes(const std::string &what, const std::string &old_bytes,
                   const std::string &new_bytes, std::vector<std::string> &differences) {
    const std::string d = support::first_difference(old_bytes, new_bytes, 24, "old", "new");
    if (!d.empty()) differences.push_back(what + ": " + d);
}

void compare_entries(const std::map<std::string, std::string> &old_left,
                     const std::map<std::string, std::string> &new_left,
                     std::vector<std::string> &differences) {
    for (const auto &[name, bytes] : old_left) {
        const auto it = new_left.find(name);
        if (it == new_left.end())
            differences.push_back(name + ": left by the old tool only");
        else
            compare_bytes(name, bytes, it->second, differences);
    }
    for (const auto &[name, bytes] : new_left)
        if (!old_left.count(name)) differences.push_back(name + ": left by the new tool only");
}

} // namespace

RunPair::RunPair(fs::path old_tool, fs::path new_tool, std::chrono::milliseconds limit)
    : old_tool_(std::move(old_tool)), new_tool_(std::move(new_tool)), limit_(limit) {}

Comparison RunPair::compare(const Input &input) {
    put_inputs(old_dir_, input);
    put_inputs(new_dir_, input);
    support::Process old_run(command(old_tool_, old_dir_.path(), input, limit_));
    support::Process new_run(command(new_tool_, new_dir_.path(), input, limit_));
    const support::Exit o = old_run.wait(), n = new_run.wait();
    for (const support::Exit *e : {&o, &n})
        if (e->status == support::not_started)
            throw std::runtime_error("a tool could not be started: " + e->not_started_why);
    Comparison c;
    c.timed_out = o.timed_out || n.timed_out;
    if (status_text(o) != status_text(n))
        c.differences.push_back("exit status: old " + status_text(o) + ", new " + status_text(n));
    compare_bytes("stdout", o.out, n.out, c.differences);
    compare_bytes("stderr", o.err, n.err, c.differences);
    compare_entries(entries(old_dir_.path()), entries(new_dir_.path()), c.differences);
    return c;
}

} // namespace guard
