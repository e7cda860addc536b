// guard-compare OLD_TOOL NEW_TOOL [options]
//
// The differential guard for refactors: runs two builds of the tool on the
// same inputs, each in a fresh scratch directory of its own, and compares
// exit status, stdout, stderr and every file left in the directory, names
// and bytes. The inputs: every file of the fuzz corpus (read as the fuzz
// target reads it), every end-to-end case, generated selections with every
// oddity under every trace level and a spread of switches, and a few large
// selections up to and past the line limit. Prints the counts per family and
// the first differences with a little context; exits 1 on any difference, 2
// where it cannot do its work.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>

#include "compare_runs.hpp"
#include "inputs.hpp"
#include "support/difference.hpp"
#include "support/files.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char usage[] =
    "usage: guard-compare OLD_TOOL NEW_TOOL [options]\n"
    "  --count N      generated selections, each run at all 7 trace levels (default 2000)\n"
    "  --seed S       seed of the generated and large selections (default 20261208)\n"
    "  --quick        --count 20 and no large selections: a check for CI\n"
    "  --no-large     leave out the large selections\n"
    "  --only LIST    only these families, comma-separated: corpus,cases,generated,large\n"
    "  --corpus DIR   the fuzz corpus (default: the source tree's fuzz/corpus)\n"
    "  --cases DIR    the end-to-end cases (default: the source tree's tests/e2e/cases)\n"
    "  --timeout S    seconds a run may take before it is killed (default 60)\n"
    "  --show N       differences shown in full (default 5)\n"
    "  --save DIR     writes the inputs and switches of the differences shown into DIR\n";

struct Options {
    fs::path old_tool, new_tool;
    int count = 2000;
    unsigned seed = 20261208u;
    std::set<std::string> families{"corpus", "cases", "generated", "large"};
    fs::path corpus = GUARD_CORPUS_DIR, cases = GUARD_CASES_DIR;
    std::chrono::seconds timeout{60};
    int show = 5;
    fs::path save;
};

[[noreturn]] void bad_usage(const std::string &why) {
    throw std::invalid_argument(why + "\n" + usage);
}

long number(const std::string &option, const char *text) {
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end || !*text || value < 0) bad_usage(option + " needs a number");
    return value;
}

std::set<std::string> family_list(const std::string &list) {
    std::set<std::string> families;
    for (std::size_t from = 0; from <= list.size();) {
        const std::size_t comma = std::min(list.find(',', from), list.size());
        const std::string name = list.substr(from, comma - from);
        if (name != "corpus" && name != "cases" && name != "generated" && name != "large")
            bad_usage("no family " + name);
        families.insert(name);
        from = comma + 1;
    }
    return families;
}

struct Flag {
    const char *name;
    bool takes_value;
    void (*set)(Options &, const char *value);
};

const Flag flags[] = {
    {"--count", true, [](Options &o, const char *v) { o.count = int(number("--count", v)); }},
    {"--seed", true, [](Options &o, const char *v) { o.seed = unsigned(number("--seed", v)); }},
    {"--quick", false, [](Options &o, const char *) { o.count = 20, o.families.erase("large"); }},
    {"--no-large", false, [](Options &o, const char *) { o.families.erase("large"); }},
    {"--only", true, [](Options &o, const char *v) { o.families = family_list(v); }},
    {"--corpus", true, [](Options &o, const char *v) { o.corpus = v; }},
    {"--cases", true, [](Options &o, const char *v) { o.cases = v; }},
    {"--timeout", true,
     [](Options &o, const char *v) { o.timeout = std::chrono::seconds(number("--timeout", v)); }},
    {"--show", true, [](Options &o, const char *v) { o.show = int(number("--show", v)); }},
    {"--save", true, [](Options &o, const char *v) { o.save = v; }},
};

// Applies the option at argv[i], stepping over its value.
void apply(Options &o, int argc, char **argv, int &i) {
    const std::string name = argv[i];
    if (name == "--help") {
        std::printf("%s", usage);
        std::exit(0);
    }
    for (const Flag &f : flags) {
        if (name != f.name) continue;
        if (f.takes_value && i + 1 >= argc) bad_usage(name + " needs a value");
        f.set(o, f.takes_value ? argv[++i] : nullptr);
        return;
    }
    bad_usage("unknown option " + name);
}

Options parse(int argc, char **argv) {
    Options o;
    std::vector<fs::path> tools;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]).rfind("--", 0) == 0)
            apply(o, argc, argv, i);
        else
            tools.push_back(fs::absolute(argv[i]));
    }
    if (tools.size() != 2) bad_usage("two tools are needed, the old and the new");
    for (const fs::path &tool : tools)
        if (!fs::is_regular_file(tool)) bad_usage(tool.string() + " is no file");
    o.old_tool = tools[0];
    o.new_tool = tools[1];
    return o;
}

// A switch as it would be typed, long ones shortened. (Built by appending:
// g++ 12 misreads "literal" + string as an overlapping copy.)
std::string shown_arg(const std::string &arg) {
    std::string shown = support::escape(arg.size() > 40 ? arg.substr(0, 20) : arg);
    if (arg.size() > 40) shown.append("...(").append(std::to_string(arg.size())).append(" bytes)");
    if (arg.empty() || arg.find(' ') != std::string::npos) shown = '"' + shown + '"';
    return shown;
}

std::string shown_args(const std::vector<std::string> &args) {
    std::string text;
    for (const std::string &a : args) text.append(" ").append(shown_arg(a));
    return text.empty() ? " (none)" : text;
}

struct Tally {
    long runs = 0, differing = 0, timed_out = 0;
};

class Guard {
  public:
    explicit Guard(const Options &o) : options_(o), pair_(o.old_tool, o.new_tool, o.timeout) {}

    // Runs one family of inputs and prints its line of counts.
    template <class Produce> Tally family(const char *name, Produce produce) {
        Tally tally;
        const std::string note = produce([&](const guard::Input &input) { check(input, tally); });
        std::printf("%-10s %7ld runs %5ld differ", name, tally.runs, tally.differing);
        if (tally.timed_out) std::printf(" %5ld timed out", tally.timed_out);
        std::printf("%s\n", note.c_str());
        std::fflush(stdout);
        return tally;
    }

  private:
    void check(const guard::Input &input, Tally &tally) {
        const guard::Comparison c = pair_.compare(input);
        ++tally.runs;
        tally.timed_out += c.timed_out;
        if (c.differences.empty()) return;
        ++tally.differing;
        if (++differing_ <= options_.show) report(input, c);
    }

    void report(const guard::Input &input, const guard::Comparison &c) {
        std::printf("\ndifference %d: %s\n  switches:%s\n  input:", differing_, input.name.c_str(),
                    shown_args(input.args).c_str());
        for (const auto &[name, bytes] : input.files)
            std::printf(" %s (%zu bytes)", name.c_str(), bytes.size());
        std::printf("\n");
        for (const std::string &d : c.differences) std::printf("  %s\n", d.c_str());
        if (!options_.save.empty()) save(input);
    }

    void save(const guard::Input &input) {
        const fs::path dir = options_.save / ("difference-" + std::to_string(differing_));
        fs::create_directories(dir);
        for (const auto &[name, bytes] : input.files) support::write_file(dir / name, bytes);
        std::string args;
        for (const std::string &a : input.args) args += a + "\n";
        support::write_file(dir / "switches", args);
        std::printf("  saved in %s (the input files and \"switches\", one a line)\n",
                    dir.string().c_str());
    }

    const Options &options_;
    guard::RunPair pair_;
    int differing_ = 0;
};

Tally add(Tally a, const Tally &b) {
    a.runs += b.runs;
    a.differing += b.differing;
    a.timed_out += b.timed_out;
    return a;
}

// A family's inputs, given to visit; returns a note for its line of counts.
using Producer = std::function<std::string(const Options &, const guard::Visit &)>;

const std::pair<const char *, Producer> families[] = {
    {"corpus",
     [](const Options &o, const guard::Visit &visit) {
         const int too_short = guard::corpus_inputs(o.corpus, visit);
         return too_short ? "  (" + std::to_string(too_short) + " files too short)" : "";
     }},
    {"cases",
     [](const Options &o, const guard::Visit &visit) {
         guard::case_inputs(o.cases, visit);
         return std::string();
     }},
    {"generated",
     [](const Options &o, const guard::Visit &visit) {
         guard::generated_inputs(o.count, o.seed, visit);
         return "  (" + std::to_string(o.count) + " selections x 7 trace levels)";
     }},
    {"large",
     [](const Options &o, const guard::Visit &visit) {
         guard::large_inputs(o.seed, visit);
         return std::string("  (6 selections x 7 trace levels)");
     }},
};

Tally run_families(const Options &o) {
    Guard g(o);
    Tally total;
    for (const auto &[name, produce] : families) {
        if (!o.families.count(name)) continue;
        const Producer &inputs = produce; // clang 14 cannot capture a structured binding
        total = add(total, g.family(name, [&](const guard::Visit &v) { return inputs(o, v); }));
    }
    return total;
}

} // namespace

int main(int argc, char **argv) {
    try {
        const Options o = parse(argc, argv);
        std::printf("guard-compare\n  old %s\n  new %s\n", o.old_tool.c_str(), o.new_tool.c_str());
        const auto start = Clock::now();
        const Tally total = run_families(o);
        std::printf("%-10s %7ld runs %5ld differ in %.1f s\n", "total", total.runs, total.differing,
                    std::chrono::duration<double>(Clock::now() - start).count());
        return total.differing == 0 ? 0 : 1;
    } catch (const std::invalid_argument &e) {
        std::fprintf(stderr, "guard-compare: %s", e.what());
    } catch (const std::exception &e) {
        std::fprintf(stderr, "guard-compare: %s\n", e.what());
    }
    return 2;
}
