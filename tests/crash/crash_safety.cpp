// Kills the tool with SIGKILL at random moments of a run on a large selection
// and checks what every kill left: the exchange file, under whichever of its
// names the kill caught it, holds exactly the whole input or exactly the whole
// output, and one more run in the same directory still gives the right result.
//
// Usage: crash_safety TOOL [TRIALS] [SEED] [LATEST_KILL_US]; prints the outcome
// counts and exits non-zero on the first trial that breaks the promise. Kill
// moments spread over an unkilled run, or over its first LATEST_KILL_US
// microseconds, where the take-over renames the exchange file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <signal.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "support/selection.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Every name the exchange file goes by, in the order the take-over uses them.
constexpr const char *exchange_names[] = {"jwc_temp.txt", "JWC_x2x2.$$", "JWC_x2x2.$$$",
                                          "JWC_TEMP.TXT"};

std::string read_file(const fs::path &p) {
    std::ifstream f(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

void write_file(const fs::path &p, const std::string &bytes) {
    std::ofstream f(p, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + p.string());
}

[[noreturn]] void fail(const std::string &why) {
    std::fprintf(stderr, "crash_safety: %s\n", why.c_str());
    std::exit(1);
}

// A run to be killed keeps quiet on stderr too: a sanitizer runtime caught at its
// exit by the kill complains there, which is no finding.
pid_t start_tool(const fs::path &tool, const fs::path &dir, bool to_be_killed = false) {
    std::fflush(stdout); // the child must not write out what the parent holds
    const pid_t pid = fork();
    if (pid < 0) fail("fork failed");
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(121);
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, 1) < 0) _exit(123);
        if (to_be_killed && dup2(null, 2) < 0) _exit(123);
        execl(tool.c_str(), tool.c_str(), static_cast<char *>(nullptr));
        _exit(122);
    }
    return pid;
}

int finish(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) fail("waitpid failed");
    return status;
}

// Runs the tool to its end in dir and checks that it handed back `expected`.
void run_to_end(const fs::path &tool, const fs::path &dir, const std::string &expected,
                const std::string &when) {
    const int status = finish(start_tool(tool, dir));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fail(when + ": the run did not end with status 0");
    for (const auto &entry : fs::directory_iterator(dir))
        if (entry.path().filename() != "JWC_TEMP.TXT")
            fail(when + ": " + entry.path().filename().string() + " was left behind");
    if (read_file(dir / "JWC_TEMP.TXT") != expected)
        fail(when + ": JWC_TEMP.TXT is not the expected output");
}

// An unkilled run on input in a fresh dir; took is set to the run's own length.
std::string fresh_run(const fs::path &tool, const fs::path &dir, const std::string &input,
                      Clock::duration &took) {
    fs::remove_all(dir);
    fs::create_directories(dir);
    write_file(dir / "jwc_temp.txt", input);
    const auto t0 = Clock::now();
    const int status = finish(start_tool(tool, dir));
    took = Clock::now() - t0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail("an unkilled run failed");
    return read_file(dir / "JWC_TEMP.TXT");
}

struct Expected {
    std::string input, output, output_of_output;
};

// What one kill left, as "input under <name>" or "output under <name>".
std::string inspect(const fs::path &dir, const Expected &e, bool &is_output) {
    std::string found;
    for (const char *name : exchange_names) {
        if (!fs::exists(dir / name)) continue;
        if (!found.empty()) fail("the exchange file exists as " + found + " and as " + name);
        found = name;
    }
    if (found.empty()) fail("the exchange file is gone under every name");
    const std::string bytes = read_file(dir / found);
    if (bytes == e.input) {
        is_output = false;
        return "input under " + found;
    }
    if (bytes == e.output && found == "JWC_TEMP.TXT") {
        is_output = true;
        return "output under " + found;
    }
    fail(found + " holds neither the whole input nor the whole output (" +
         std::to_string(bytes.size()) + " bytes)");
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) fail("usage: crash_safety TOOL [TRIALS] [SEED] [LATEST_KILL_US]");
    const fs::path tool = fs::absolute(argv[1]);
    const int trials = argc > 2 ? std::atoi(argv[2]) : 200;
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 20261208u;
    const char *tmp = std::getenv("TMPDIR");
    const fs::path root =
        fs::path(tmp && *tmp ? tmp : "/tmp") / ("digit-tint-crash-" + std::to_string(getpid()));
    const fs::path dir = root / "run";

    Expected e;
    e.input = support::selection(120000, seed, {.long_lines = true});
    Clock::duration took{}, run_time = Clock::duration::max();
    e.output = fresh_run(tool, dir, e.input, took);
    e.output_of_output = fresh_run(tool, dir, e.output, took);
    // The quickest of a few runs, as the first one may wait for the disk.
    for (int i = 0; i < 3; ++i) {
        if (fresh_run(tool, dir, e.input, took) != e.output) fail("two unkilled runs differ");
        run_time = std::min(run_time, took);
    }
    std::printf("selection: %zu bytes in, %zu bytes out; an unkilled run takes %lld ms\n",
                e.input.size(), e.output.size(),
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(run_time).count()));

    // Kill moments spread over the length of an unkilled run and a fifth beyond,
    // so that some kills find the result handed back.
    std::mt19937 rng(seed);
    const long long latest =
        argc > 4 ? std::atoll(argv[4])
                 : std::chrono::duration_cast<std::chrono::microseconds>(run_time).count() * 6 / 5;
    std::uniform_int_distribution<long long> delay_us(0, latest);
    std::map<std::string, int> outcomes;
    int ended_before_kill = 0;
    for (int t = 0; t < trials; ++t) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        write_file(dir / "jwc_temp.txt", e.input);
        const pid_t pid = start_tool(tool, dir, true);
        std::this_thread::sleep_for(std::chrono::microseconds(delay_us(rng)));
        kill(pid, SIGKILL);
        const int status = finish(pid);
        if (!WIFSIGNALED(status)) ++ended_before_kill;
        bool is_output = false;
        const std::string what = "trial " + std::to_string(t) + ", " + inspect(dir, e, is_output);
        ++outcomes[what.substr(what.find(", ") + 2)];
        run_to_end(tool, dir, is_output ? e.output_of_output : e.output, what + ", second run");
    }

    std::printf("%d trials, %d of them ended before the kill came:\n", trials, ended_before_kill);
    for (const auto &[what, count] : outcomes) std::printf("  %5d  %s\n", count, what.c_str());
    fs::remove_all(root);
    return 0;
}
