#include "inputs.hpp"

#include <algorithm>
#include <random>

#include "run/exchange_names.hpp"
#include "support/case_file.hpp"
#include "support/files.hpp"
#include "support/fuzz_input.hpp"
#include "support/selection.hpp"

namespace guard {

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> sorted_files(const fs::path &dir, const std::string &extension) {
    std::vector<fs::path> files;
    for (const auto &entry : fs::directory_iterator(dir))
        if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

template <std::size_t N> const std::string &pick(std::mt19937 &r, const std::string (&from)[N]) {
    return from[r() % N];
}

// Pen switches in range, out of range, empty, upper case and with a tail.
const std::string pens[] = {"",    "",    "/k0", "/k1",  "/k2",  "/k3", "/k4", "/k5", "/k6",
                            "/k7", "/k8", "/k9", "/k12", "/k-1", "/k",  "-K3", "/k3x"};

// Switches that only traces show, accepted ones without effect, refused ones, plain words.
const std::string others[] = {"/m4",
                              "/M9",
                              "/m",
                              "/l7",
                              "/L0",
                              "/p-359.5",
                              "/p360",
                              "/p1.5",
                              "/pnan",
                              "/s word",
                              "/s  two words",
                              "/s" + std::string(300, 'w'),
                              "/x",
                              "/",
                              "-",
                              "plain",
                              "-a",
                              "/u9",
                              "/B",
                              "/f",
                              "/t"};

std::string trace_switch(std::mt19937 &r, int level) {
    const std::string digit = std::to_string(level);
    switch (r() % 5) {
    case 0: return "-T" + digit;
    case 1: return level == 0 ? "" : "/t" + digit;
    case 2: return level == 1 ? "/t12" : "/t" + digit; // read as atoi reads it
    default: return "/t" + digit;
    }
}

// The switches of one run at a trace level, in a random order.
std::vector<std::string> spread_switches(std::mt19937 &r, int level) {
    std::vector<std::string> args{trace_switch(r, level), pick(r, pens)};
    for (unsigned n = r() % 3; n > 0; --n) args.push_back(pick(r, others));
    args.erase(std::remove(args.begin(), args.end(), std::string()), args.end());
    std::shuffle(args.begin(), args.end(), r);
    return args;
}

// Mostly a handful of lines, now and then none or some hundreds.
std::size_t line_count(std::mt19937 &r) {
    const unsigned kind = r() % 100;
    if (kind < 3) return 0;
    if (kind < 60) return 1 + r() % 12;
    if (kind < 97) return 13 + r() % 50;
    return 100 + r() % 300;
}

// Mostly under the host's name; now and then under the exchange name, or
// beside what a killed or traced run left.
std::map<std::string, std::string> placed(std::mt19937 &r, const std::string &selection) {
    const unsigned where = r() % 100;
    if (where < 5) return {{"JWC_TEMP.TXT", selection}};
    if (where < 8) return {{"JWC_x2x2.$$", selection}};
    if (where < 12) return {{"jwc_temp.txt", selection}, {"JWC_TEMP.$$$", "#stale work\r\n"}};
    if (where < 14) return {{"jwc_temp.txt", selection}, {"JWC_TEMP.TXT", "#stale\r\n"}};
    return {{"jwc_temp.txt", selection}};
}

// Every trace level once, each with its own spread of switches.
void every_level(std::mt19937 &r, const std::string &name,
                 const std::map<std::string, std::string> &files, const Visit &visit) {
    for (int level = 0; level <= exchange::highest_trace_level; ++level)
        visit(Input{name, files, spread_switches(r, level)});
}

std::string repeat(const std::string &line, int n) {
    std::string s;
    s.reserve(line.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) s += line;
    return s;
}

} // namespace

int corpus_inputs(const fs::path &dir, const Visit &visit) {
    int too_short = 0;
    for (const fs::path &file : sorted_files(dir, "")) {
        const std::string bytes = support::read_file(file);
        if (bytes.size() < fuzz_input::header_size) {
            ++too_short;
            continue;
        }
        visit(Input{"corpus " + file.filename().string(),
                    {{"jwc_temp.txt", std::string(fuzz_input::exchange_file(bytes))}},
                    fuzz_input::switches(bytes)});
    }
    return too_short;
}

void case_inputs(const fs::path &dir, const Visit &visit) {
    for (const fs::path &file : sorted_files(dir, ".case"))
        for (const e2e::Case &c : e2e::load_cases(file.string()))
            visit(Input{"case " + c.source + " (" + c.title + ")", c.inputs, c.args});
}

void generated_inputs(int count, unsigned seed, const Visit &visit) {
    for (int i = 0; i < count; ++i) {
        const unsigned selection_seed = seed * 1000003u + static_cast<unsigned>(i);
        std::mt19937 r(selection_seed);
        const auto numbers = i % 2 ? support::Numbers::host : support::Numbers::typed;
        const std::string selection = support::selection(
            line_count(r), selection_seed, {.long_lines = false, .odd = true, .numbers = numbers});
        every_level(r, "generated #" + std::to_string(i) + " (seed " + std::to_string(seed) + ")",
                    placed(r, selection), visit);
    }
}

void large_inputs(unsigned seed, const Visit &visit) {
    std::mt19937 r(seed);
    std::string worst_text;
    for (int i = 0; i < 115; ++i) worst_text += "1a";
    const std::pair<std::string, std::string> large[] = {
        {"150000 realistic lines", support::selection(150000, seed)},
        {"150000 realistic lines, numbers as hosts write them",
         support::selection(150000, seed, {.numbers = support::Numbers::host})},
        {"120000 lines, some longer than one read",
         support::selection(120000, seed, {.long_lines = true, .odd = false})},
        {"20000 odd lines", support::selection(20000, seed, {.long_lines = false, .odd = true})},
        {"150001 lines, one past the limit", repeat("#\r\n", 150001)},
        {"20000 texts of 231 bytes with 116 digit runs",
         repeat("ch 1 2 3 4 \"" + worst_text + "1\r\n", 20000)}};
    for (const auto &[name, selection] : large)
        every_level(r, "large: " + name, {{"jwc_temp.txt", selection}}, visit);
}

} // namespace guard
