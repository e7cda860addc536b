// Times whole runs of the tool against a plain copy of the same file and
// against the protocol floor.
//
//   bench-drive --tool PATH --gen PATH --floor PATH [--mix NAME] [--sizes 10,1000,...] [--runs N]
//               [--callgrind]
//
// For every size it generates an exchange file, then runs rounds: `cp` of the
// file, the protocol floor (bench-floor: the tool's renames and one plain
// copy, no per-line work) on a fresh copy of it, then the tool on another,
// each as its own process, so the ratios compare like with like on whatever
// load the machine has at that moment. Medians over the pairs are reported, with peak resident
// memory of the tool and, with --callgrind, instructions per input line on the largest size (a
// figure that does not move with the load). The machine and its load come first, the goals last, so
// that one run gives the whole table.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/process.hpp"
#include "support/scratch.hpp"

namespace fs = std::filesystem;

namespace {

struct Options {
    std::string tool, gen, floor;
    std::string mix = "host"; // bench-gen's --mix
    std::vector<long> sizes{10, 1000, 10000, 150000};
    int runs = 9;
    bool callgrind = false;
};

// Runs argv in dir with stdout and stderr sent to /dev/null.
support::Exit spawn(const std::vector<std::string> &args, const fs::path &dir) {
    support::Command c;
    c.argv = args;
    c.cwd = dir;
    c.output = support::Output::discard;
    return support::run(c);
}

// The value a fraction f of the sorted values lie below, between neighbours
// where it falls between them; f = 0.5 is the median.
double quantile(std::vector<double> v, double f) {
    std::sort(v.begin(), v.end());
    const double at = f * static_cast<double>(v.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, v.size() - 1);
    return v[below] + (v[above] - v[below]) * (at - static_cast<double>(below));
}

double median(const std::vector<double> &v) {
    return quantile(v, 0.5);
}

// Ends the program through main, so that the scratch directory goes too.
[[noreturn]] void fail(const std::string &what) {
    throw std::runtime_error(what);
}

struct Row {
    long lines = 0;
    std::uintmax_t bytes = 0;
    double tool_s = 0, cp_s = 0, floor_s = 0, ratio = 0, tool_cpu_s = 0, cp_cpu_s = 0;
    double ratio_q1 = 0, ratio_q3 = 0; // the middle half of the pairs' ratios
    double floor_ratio = 0;            // the median of the tool's ratios to the floor
    long rss_kib = 0;
};

Row measure(const Options &o, const fs::path &work, long lines) {
    const fs::path input = work / ("input-" + std::to_string(lines) + ".txt");
    if (spawn({o.gen, "--mix", o.mix, std::to_string(lines), input.string()}, work).status != 0)
        fail("generator failed");
    const fs::path run_dir = work / "run";
    fs::create_directories(run_dir);
    std::vector<double> tool_s, cp_s, floor_s, ratios, floor_ratios, tool_cpu, cp_cpu;
    Row row;
    row.lines = lines;
    row.bytes = fs::file_size(input);
    for (int i = 0; i <= o.runs; ++i) { // run 0 warms the caches and is not counted
        const support::Exit c = spawn({"cp", input.string(), (work / "copy.txt").string()}, work);
        fs::copy_file(input, run_dir / "jwc_temp.txt", fs::copy_options::overwrite_existing);
        const support::Exit f = spawn({o.floor}, run_dir);
        fs::copy_file(input, run_dir / "jwc_temp.txt", fs::copy_options::overwrite_existing);
        const support::Exit t = spawn({o.tool}, run_dir);
        if (c.status != 0 || f.status != 0 || t.status != 0)
            fail("a run failed at " + std::to_string(lines));
        if (!fs::exists(run_dir / "JWC_TEMP.TXT")) fail("no result handed back");
        if (i == 0) continue;
        cp_s.push_back(c.seconds);
        floor_s.push_back(f.seconds);
        floor_ratios.push_back(t.seconds / f.seconds);
        tool_s.push_back(t.seconds);
        ratios.push_back(t.seconds / c.seconds);
        tool_cpu.push_back(t.cpu_seconds);
        cp_cpu.push_back(c.cpu_seconds);
        row.rss_kib = std::max(row.rss_kib, t.max_rss_kib);
    }
    row.tool_s = median(tool_s);
    row.cp_s = median(cp_s);
    row.floor_s = median(floor_s);
    row.floor_ratio = median(floor_ratios);
    row.ratio = median(ratios);
    row.ratio_q1 = quantile(ratios, 0.25);
    row.ratio_q3 = quantile(ratios, 0.75);
    row.tool_cpu_s = median(tool_cpu);
    row.cp_cpu_s = median(cp_cpu);
    return row;
}

// Instructions the tool executes on the file of lines, per input line.
double instructions_per_line(const Options &o, const fs::path &work, long lines) {
    const fs::path run_dir = work / "run";
    fs::copy_file(work / ("input-" + std::to_string(lines) + ".txt"), run_dir / "jwc_temp.txt",
                  fs::copy_options::overwrite_existing);
    const fs::path out = work / "callgrind.out";
    const support::Exit s = spawn(
        {"valgrind", "--tool=callgrind", "--callgrind-out-file=" + out.string(), o.tool}, run_dir);
    if (s.status != 0) fail("valgrind failed");
    std::ifstream in(out);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("summary:", 0) == 0 || line.rfind("totals:", 0) == 0)
            return std::strtod(line.c_str() + line.find(':') + 1, nullptr) /
                   static_cast<double>(lines);
    fail("no instruction count in " + out.string());
}

Options parse(int argc, char **argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has_value = i + 1 < argc;
        if (a == "--tool" && has_value) {
            o.tool = fs::absolute(argv[++i]).string();
        } else if (a == "--floor" && has_value) {
            o.floor = fs::absolute(argv[++i]).string();
        } else if (a == "--gen" && has_value) {
            o.gen = fs::absolute(argv[++i]).string();
        } else if (a == "--mix" && has_value) {
            o.mix = argv[++i];
        } else if (a == "--runs" && has_value) {
            o.runs = std::max(1, std::atoi(argv[++i]));
        } else if (a == "--sizes" && has_value) {
            o.sizes.clear();
            for (const char *p = argv[++i]; *p;) {
                char *end = nullptr;
                o.sizes.push_back(std::strtol(p, &end, 10));
                p = *end == ',' ? end + 1 : end;
                if (end == p && *p) fail("bad --sizes");
            }
        } else if (a == "--callgrind") {
            o.callgrind = true;
        } else {
            fail("usage: bench-drive --tool PATH --gen PATH --floor PATH [--mix NAME] "
                 "[--sizes A,B,..] [--runs N] [--callgrind]");
        }
    }
    if (o.tool.empty() || o.gen.empty() || o.floor.empty())
        fail("--tool, --gen and --floor are needed");
    return o;
}

std::string cpu_model() {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("model name", 0) == 0 && line.find(':') != std::string::npos)
            return line.substr(line.find(':') + 2);
    return "unknown CPU";
}

std::string load_average() {
    double load[3];
    if (getloadavg(load, 3) != 3) return "unknown";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %.2f %.2f", load[0], load[1], load[2]);
    return text;
}

// The goals hold for a selection of this many lines, the most a run takes.
constexpr long goal_lines = 150000;

// A goal is met at or below its limit.
struct Goal {
    const char *what;
    double value, limit;
    const char *unit;
};

void print_goals(long lines, const std::vector<Goal> &goals) {
    std::printf("\ngoals at %ld lines:\n", lines);
    for (const Goal &g : goals)
        std::printf("  %-28s %8.2f %-6s (goal at most %g: %s)\n", g.what, g.value, g.unit, g.limit,
                    g.value <= g.limit ? "met" : "MISSED");
}

void measure_all(const Options &o, const fs::path &work) {
    std::printf("machine: %ld CPUs, %s; load average %s at the start; bench-gen mix %s\n\n",
                sysconf(_SC_NPROCESSORS_ONLN), cpu_model().c_str(), load_average().c_str(),
                o.mix.c_str());
    std::printf(
        "| lines | MB | digit-tint ms | lines/s | MB/s | cp ms | ratio to cp | floor ms | ratio to "
        "floor | CPU ms digit-tint / cp | peak RSS KiB |\n"
        "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    long min_rss = 0, max_rss = 0;
    Row largest;
    for (long lines : o.sizes) {
        const Row r = measure(o, work, lines);
        if (r.lines >= largest.lines) largest = r;
        const double mb = static_cast<double>(r.bytes) / 1e6;
        std::printf(
            "| %ld | %.2f | %.2f | %.0f | %.1f | %.2f | %.2f | %.2f | %.2f | %.1f / %.1f | %ld |\n",
            r.lines, mb, r.tool_s * 1e3, static_cast<double>(r.lines) / r.tool_s, mb / r.tool_s,
            r.cp_s * 1e3, r.ratio, r.floor_s * 1e3, r.floor_ratio, r.tool_cpu_s * 1e3,
            r.cp_cpu_s * 1e3, r.rss_kib);
        std::fflush(stdout);
        min_rss = min_rss ? std::min(min_rss, r.rss_kib) : r.rss_kib;
        max_rss = std::max(max_rss, r.rss_kib);
    }
    std::printf("\npeak RSS spread over the sizes: %ld KiB (%d runs per size, medians)\n",
                max_rss - min_rss, o.runs);
    std::printf("ratio to cp at %ld lines, middle half of the pairs: %.2f to %.2f\n", largest.lines,
                largest.ratio_q1, largest.ratio_q3);
    std::vector<Goal> goals = {
        {"peak RSS spread", static_cast<double>(max_rss - min_rss), 1024, "KiB"}};
    // the mix hosts write, where numbers cost most
    if (o.mix == "host")
        goals.push_back({"median ratio to the floor", largest.floor_ratio, 1.6, ""});
    if (o.callgrind) {
        const double per_line = instructions_per_line(o, work, largest.lines);
        std::printf("callgrind: %.0f instructions per input line at %ld lines\n", per_line,
                    largest.lines);
        // the limit of the typed mix, where a line costs least
        if (o.mix == "typed") goals.push_back({"instructions per line", per_line, 438, ""});
    }
    std::printf("load average %s at the end\n", load_average().c_str());
    if (largest.lines == goal_lines) print_goals(largest.lines, goals);
}

} // namespace

int main(int argc, char **argv) {
    try {
        const Options o = parse(argc, argv);
        const support::ScratchDir scratch("bench");
        measure_all(o, scratch.path());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "bench-drive: %s\n", e.what());
        return 1;
    }
    return 0;
}
