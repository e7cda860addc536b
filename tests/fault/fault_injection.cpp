// Fails the tool's file-system and descriptor calls one at a time and checks
// what every such run ended with and left behind.
//
// For each selection of the table below the tool first runs once under strace
// to list its calls in order (openat, read, write, close, rename, unlink, the
// stats, lseek, fchmod, flock, fcntl, ...). Then, for every call of that
// listing that the tool itself makes, it runs again with just that call failed
// (the k-th occurrence of its syscall, by strace's -e inject), once with each
// of EIO, ENOSPC, EACCES and EINTR. Every injected run must be one of:
//
//   success  the status and the result of an uninjected run of the selection
//            in a fresh directory: 0 with the result in JWC_TEMP.TXT (at a
//            trace level in JWC_TEMP.$$$, with JWC_TEMP.TXT still holding the
//            selection, and the same stdout); past the line limit 1 with the
//            overflow line in JWC_TEMP.$$$;
//   refusal  another non-zero status, a message on stderr (unless the failed
//            call was the write of that message to fd 2), and the selection
//            byte for byte under one of the four exchange names.
//
// Anything else is a finding: a false success (a status that claims a result,
// 0 or 1, without that result), a lost selection (no exchange name holds it),
// a silent refusal, a hang (the run is killed after a few seconds), or a
// change beside the run's directory (a sentinel file and the entries there).
//
// A failed close of the run's own work file leaves its bytes written, but
// what the file holds is then unknown: there only a refusal will do.
//
// Usage: fault_injection TOOL [--strace PATH] [--show N] [--jobs N] [CASE...]
// Runs N injected runs at once (default 4), each in a directory of its own.
// Prints the counts per selection and in total and the first N findings of
// each selection (default 5); status 0 without findings, 1 with findings, 2
// when it could not do its work.
//
// strace rather than an LD_PRELOAD shim of our own: it fails the system call
// itself, below whatever the C library or a statically linked C++ runtime
// wraps around it (a shim sees only the calls that go through the dynamic
// symbol table, and the tool links libstdc++ in statically), it counts
// occurrences per syscall for us, and its trace of the injected run proves
// that the failure landed on the call the listing named.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "run/exchange_names.hpp"
#include "support/files.hpp"
#include "support/process.hpp"
#include "support/scratch.hpp"
#include "support/selection.hpp"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Every name the exchange file goes by, in the order the take-over uses them.
constexpr const auto &exchange_names = exchange::take_over_names;
using exchange::work_name;

// The calls listed and failed: everything that names a file or takes a
// descriptor, except the memory mappings, which only the loader makes.
constexpr const char *file_calls =
    "openat,open,creat,read,pread64,readv,write,pwrite64,writev,close,rename,renameat,"
    "renameat2,unlink,unlinkat,fstat,newfstatat,statx,stat,lstat,lseek,fchmod,fchmodat,chmod,"
    "flock,fcntl,ftruncate,fsync,fdatasync,mkdir,mkdirat,rmdir,link,linkat,symlink,symlinkat,"
    "readlink,readlinkat,getdents64,access,faccessat,faccessat2,dup,dup2,dup3,ioctl,fchown,"
    "fchownat,utimensat,fallocate,copy_file_range,sendfile";

constexpr const char *injected_errors[] = {"EIO", "ENOSPC", "EACCES", "EINTR"};

// A run that does not end within this is a hang: an uninjected run of the
// largest selection takes well under a second under strace.
constexpr auto run_limit = 5s;

// One selection and what stands beside it in the directory.
struct Case {
    const char *name = "";
    std::size_t lines = 0;
    unsigned seed = 0;
    std::vector<std::string> switches = {};
    bool older_exchange_file = false; // an older JWC_TEMP.TXT beside jwc_temp.txt
    bool stale_work_file = false;     // a JWC_TEMP.$$$ left by an earlier run
    // Long runs of one call on one descriptor (the reads of a large file) are
    // failed only at their first three and last two calls: the over-limit
    // selection reads 5 MB in 64 KiB pieces, and a piece in the middle is
    // failed no differently from its neighbours.
    bool thin_repeats = false;
    // Hand points behind the selection: at /t3 their lines outgrow stdout's
    // buffer, so that a write of them fails before the last flush.
    int hand_points = 0;
};

// About 35 bytes a line: 6000 lines are some 210 KiB, four 64 KiB read-aheads
// a pass.
const Case cases[] = {
    {.name = "small", .lines = 12, .seed = 1},
    {.name = "small-older-exchange", .lines = 12, .seed = 2, .older_exchange_file = true},
    {.name = "small-stale-work", .lines = 12, .seed = 3, .stale_work_file = true},
    {.name = "200KiB", .lines = 6000, .seed = 4},
    {.name = "200KiB-older-exchange", .lines = 6000, .seed = 5, .older_exchange_file = true},
    {.name = "trace2-stale-work",
     .lines = 12,
     .seed = 6,
     .switches = {"/t2"},
     .stale_work_file = true},
    {.name = "trace1-older-exchange",
     .lines = 12,
     .seed = 7,
     .switches = {"/t1"},
     .older_exchange_file = true},
    {.name = "over-limit", .lines = 150001, .seed = 8, .thin_repeats = true},
    {.name = "trace3-hand-points", .lines = 12, .seed = 9, .switches = {"/t3"}, .hand_points = 400},
};

// One call of a listing.
struct Call {
    std::string name, args, result;
    int occurrence = 0; // 1 for the first call of its name
    int fd = -1;        // the first argument, where it is a descriptor
};

// Where the result of a line of strace begins: behind the last ")", padding
// and "= ".
std::size_t result_at(const std::string &line) {
    for (std::size_t at = line.rfind("= "); at != std::string::npos && at > 0;
         at = line.rfind("= ", at - 1)) {
        std::size_t before = at;
        while (before > 0 && line[before - 1] == ' ') --before;
        if (before < at && before > 0 && line[before - 1] == ')') return at;
    }
    return std::string::npos;
}

// "PID name(args) = result": a line of strace -f. Other lines (signals,
// exits) give nothing.
bool parse_line(const std::string &line, Call &call) {
    const std::size_t space = line.find(' ');
    const std::size_t open = line.find('(');
    const std::size_t result = result_at(line);
    if (space == std::string::npos || open == std::string::npos || result == std::string::npos ||
        open < space || result < open)
        return false;
    const std::size_t name_at = line.find_first_not_of(' ', space);
    call.name = line.substr(name_at, open - name_at);
    call.args = line.substr(open + 1, line.rfind(')', result) - open - 1);
    call.result = line.substr(result + 2);
    call.fd = -1;
    if (!call.args.empty() && std::isdigit(static_cast<unsigned char>(call.args[0])))
        call.fd = std::atoi(call.args.c_str());
    return true;
}

std::vector<Call> read_trace(const fs::path &file) {
    std::vector<Call> calls;
    std::map<std::string, int> seen;
    const std::string text = support::read_file(file);
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        Call call;
        if (parse_line(text.substr(from, end - from), call)) {
            call.occurrence = ++seen[call.name];
            calls.push_back(call);
        }
        from = end + 1;
    }
    return calls;
}

// The call's first argument, with the process id in the name of a run's own
// work file left out, since every run has another.
std::string first_argument(const std::string &args) {
    std::string first = args.substr(0, args.find(", "));
    const std::string own = "JWC_TEMP.$$$.~digit-tint~";
    if (const auto at = first.find(own); at != std::string::npos) {
        auto end = at + own.size();
        while (end < first.size() && std::isdigit(static_cast<unsigned char>(first[end]))) ++end;
        first.erase(at + own.size(), end - at - own.size());
    }
    return first;
}

// The first call the tool itself makes. The dynamic loader opens
// ld.so.cache and the C library's .so files before main; failing one of
// those tests the loader, not the tool (it prints its error and ends with
// 127, which says nothing of the exchange file), so the calls up to the close
// of the last library opened are left alone. A static build has none.
std::size_t first_own_call(const std::vector<Call> &calls) {
    std::size_t first = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        const Call &c = calls[i];
        const bool library =
            (c.name == "openat" || c.name == "open") &&
            (c.args.find(".so\"") != std::string::npos || c.args.find(".so.") != std::string::npos);
        if (!library) continue;
        const int fd = std::atoi(c.result.c_str());
        std::size_t j = i + 1;
        while (j < calls.size() && !(calls[j].name == "close" && calls[j].fd == fd)) ++j;
        first = std::min(j + 1, calls.size());
    }
    return first;
}

// The indexes of the listing to fail.
std::vector<std::size_t> calls_to_fail(const std::vector<Call> &calls, bool thin_repeats) {
    std::vector<std::size_t> chosen;
    for (std::size_t i = first_own_call(calls); i < calls.size();) {
        std::size_t end = i + 1;
        while (end < calls.size() && calls[end].name == calls[i].name &&
               calls[end].fd == calls[i].fd && calls[i].fd >= 0)
            ++end;
        for (std::size_t j = i; j < end; ++j)
            if (!thin_repeats || j < i + 3 || j + 2 >= end) chosen.push_back(j);
        i = end;
    }
    return chosen;
}

enum Verdict { success, refusal, false_success, lost_selection, silent, hang, outside, verdicts };
constexpr const char *verdict_names[] = {"successes",       "refusals",        "false successes",
                                         "lost selections", "silent refusals", "hangs",
                                         "changes outside"};

struct Counts {
    std::size_t calls = 0, injectable = 0, runs = 0;
    std::size_t of[verdicts] = {};
    void add(const Counts &o) {
        calls += o.calls;
        injectable += o.injectable;
        runs += o.runs;
        for (int v = 0; v < verdicts; ++v) of[v] += o.of[v];
    }
    std::size_t findings() const { return runs - of[success] - of[refusal]; }
};

// What an uninjected run of the selection in a fresh directory gives.
struct Expected {
    std::string selection, older, stale;
    int status = 0;
    std::string result_name; // JWC_TEMP.TXT, or JWC_TEMP.$$$ at a trace level or past the limit
    std::string result, out;
    bool keeps_selection = false; // JWC_TEMP.TXT holds the selection at the end
};

// Whether file holds bytes, compared a block at a time: no copy of a large
// file is made for it.
bool file_holds(const fs::path &file, const std::string &bytes) {
    std::ifstream f(file, std::ios::binary);
    char block[65536];
    std::size_t at = 0;
    while (f.read(block, sizeof block) || f.gcount() > 0) {
        const auto n = static_cast<std::size_t>(f.gcount());
        if (at + n > bytes.size() || bytes.compare(at, n, block, n) != 0) return false;
        at += n;
    }
    return f.is_open() && !f.bad() && at == bytes.size();
}

// What a run left in its directory: the size of every regular file (links
// not followed) and the names of everything else.
struct Left {
    fs::path dir;
    std::map<std::string, std::uintmax_t> sizes;
    std::vector<std::string> others;
    bool holds(const std::string &name, const std::string &bytes) const {
        const auto f = sizes.find(name);
        return f != sizes.end() && f->second == bytes.size() && file_holds(dir / name, bytes);
    }
};

Left left_in(const fs::path &dir) {
    Left left{dir, {}, {}};
    for (const auto &entry : fs::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (!entry.is_regular_file() || entry.is_symlink())
            left.others.push_back(name);
        else
            left.sizes[name] = entry.file_size();
    }
    return left;
}

// Where one run takes place: its directory, a sentinel beside it that no run
// may touch, and strace's output. Injected runs go on in several places at
// once, each started after the one before it in that place was judged.
struct Place {
    fs::path base, dir, sentinel, trace;
    std::unique_ptr<support::Process> run;
    std::size_t job = 0;
};

class Runner {
  public:
    Runner(fs::path tool, fs::path strace, const Case &c, const support::ScratchDir &scratch,
           std::size_t places)
        : tool_(std::move(tool)), strace_(std::move(strace)), case_(c),
          selection_file_(scratch / "selection"), places_(places) {
        for (Place &place : places_) {
            place.base = scratch / ("place" + std::to_string(&place - places_.data()));
            place.dir = place.base / "run";
            place.sentinel = place.base / "sentinel.txt";
            place.trace = place.base / "calls.trace";
        }
    }

    Counts check(std::size_t show);

  private:
    void prepare(const Place &place, bool fresh) const;
    void start(Place &place, const std::vector<std::string> &strace_options) const;
    support::Exit finish(Place &place) const;
    support::Exit run_tool(Place &place, const std::vector<std::string> &strace_options) const {
        start(place, strace_options);
        return finish(place);
    }
    Verdict judge(const Place &place, const support::Exit &e, bool message_write_failed,
                  Left &left) const;
    std::string what_is_left(const Left &left) const;

    fs::path tool_, strace_;
    const Case &case_;
    fs::path selection_file_;
    std::vector<Place> places_;
    Expected x_;
};

const std::string sentinel_bytes = "beside the run's directory; no run may touch it\r\n";

void fail(const std::string &why) {
    throw std::runtime_error(why);
}

// The run's directory afresh: the selection, and what the case puts beside it.
void Runner::prepare(const Place &place, bool fresh) const {
    support::make_removable(place.dir);
    fs::remove_all(place.dir);
    fs::create_directory(place.dir);
    fs::copy_file(selection_file_, place.dir / exchange::host_name);
    if (fresh) return;
    if (case_.older_exchange_file)
        support::write_file(place.dir / exchange::exchange_name, x_.older);
    if (case_.stale_work_file) support::write_file(place.dir / work_name, x_.stale);
}

void Runner::start(Place &place, const std::vector<std::string> &strace_options) const {
    support::Command c;
    c.cwd = place.dir;
    c.timeout = run_limit;
    if (!strace_options.empty()) {
        c.argv = {strace_.string(), "-f", "-qq", "-e", "signal=none", "-o", place.trace.string()};
        c.argv.insert(c.argv.end(), strace_options.begin(), strace_options.end());
    }
    c.argv.push_back(tool_.string());
    c.argv.insert(c.argv.end(), case_.switches.begin(), case_.switches.end());
    place.run = std::make_unique<support::Process>(c);
}

support::Exit Runner::finish(Place &place) const {
    support::Exit e = place.run->wait();
    place.run.reset();
    if (e.timed_out) {
        // Killing strace detaches the tool and lets it run on: it is ended
        // here by the pid strace wrote at its execve.
        Call first;
        const std::string text = fs::exists(place.trace) ? support::read_file(place.trace) : "";
        const int pid = std::atoi(text.c_str());
        if (pid > 1 && parse_line(text.substr(0, text.find('\n')), first) && first.name == "execve")
            ::kill(pid, SIGKILL);
    }
    return e;
}

// The files of the run's directory, each named with its size and, where it
// is one of them, what it holds.
std::string Runner::what_is_left(const Left &left) const {
    std::string names;
    for (const std::string &name : left.others)
        names += (names.empty() ? "" : ", ") + name + " (not a file)";
    for (const auto &[name, size] : left.sizes) {
        std::string what = std::to_string(size) + " bytes";
        if (left.holds(name, x_.selection))
            what = "the selection";
        else if (left.holds(name, x_.result))
            what = "the result";
        else if (case_.older_exchange_file && left.holds(name, x_.older))
            what = "the older exchange file";
        else if (case_.stale_work_file && left.holds(name, x_.stale))
            what = "the stale work file";
        names += (names.empty() ? "" : ", ") + name + " (" + what + ")";
    }
    return names.empty() ? "nothing" : names;
}

Verdict Runner::judge(const Place &place, const support::Exit &e, bool message_write_failed,
                      Left &left) const {
    left = left_in(place.dir);
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(place.sentinel, ec)) ||
        support::read_file(place.sentinel) != sentinel_bytes)
        return outside;
    std::set<std::string> beside;
    for (const auto &entry : fs::directory_iterator(place.base))
        beside.insert(entry.path().filename().string());
    if (beside != std::set<std::string>{"run", "sentinel.txt", "calls.trace"}) return outside;
    if (e.timed_out) return hang;
    const bool has_selection =
        std::any_of(std::begin(exchange_names), std::end(exchange_names),
                    [&](const char *n) { return left.holds(n, x_.selection); });
    // 0 says "handed back" (or left at a trace level), 1 says "past the line
    // limit, the overflow line is in the work file": either claims a result.
    if (e.status == 0 || e.status == 1) {
        const bool whole =
            e.status == x_.status && e.out == x_.out && left.holds(x_.result_name, x_.result) &&
            (!x_.keeps_selection || left.holds(exchange::exchange_name, x_.selection));
        return whole ? success : false_success;
    }
    if (!has_selection) return lost_selection;
    if (e.err.empty() && !message_write_failed) return silent;
    return refusal;
}

// Whether calls[i] closes or flushes the run's own work file. Where that
// fails, what the file holds is unknown whatever its bytes look like
// afterwards: the run must refuse.
bool ends_the_result(const std::vector<Call> &calls, std::size_t i) {
    const Call &c = calls[i];
    if (c.name != "close" && c.name != "fsync" && c.name != "fdatasync") return false;
    for (std::size_t j = i; j-- > 0;)
        if ((calls[j].name == "openat" || calls[j].name == "open") &&
            std::atoi(calls[j].result.c_str()) == c.fd)
            return calls[j].args.find("\"JWC_TEMP.$$$.") != std::string::npos;
    return false;
}

Counts Runner::check(std::size_t show) {
    x_.selection = support::selection(case_.lines, case_.seed);
    for (int i = 0; i < case_.hand_points; ++i) x_.selection += "hp1 10 20\r\n";
    x_.older = support::selection(5, case_.seed + 100);
    x_.stale = "a work file an earlier run left\r\n";
    // copied into each run's directory by the kernel, not through this process
    support::write_file(selection_file_, x_.selection);
    for (const Place &place : places_) {
        fs::create_directory(place.base);
        support::write_file(place.sentinel, sentinel_bytes);
        support::write_file(place.trace, "");
    }
    Place &first = places_.front();

    // What the run should give: an uninjected run in a fresh directory.
    prepare(first, true);
    const support::Exit plain = run_tool(first, {});
    x_.status = plain.status;
    if (plain.status != 0 && plain.status != 1)
        fail(std::string(case_.name) + ": an uninjected run ended with status " +
             std::to_string(plain.status) + " " + plain.not_started_why + plain.err);
    const bool traced = std::any_of(case_.switches.begin(), case_.switches.end(),
                                    [](const std::string &s) { return s.rfind("/t", 0) == 0; });
    x_.keeps_selection = traced || plain.status == 1;
    x_.result_name = x_.keeps_selection ? work_name : exchange::exchange_name;
    x_.result = support::read_file(first.dir / x_.result_name);
    x_.out = plain.out;

    // The listing, with the case's files beside the selection.
    prepare(first, false);
    const support::Exit listed = run_tool(first, {"-e", std::string("trace=") + file_calls});
    Left left;
    if (judge(first, listed, false, left) != success)
        fail(std::string(case_.name) + ": the run under strace did not succeed (status " +
             std::to_string(listed.status) + ", " + listed.not_started_why + listed.err +
             "; left " + what_is_left(left) + ")");
    const std::vector<Call> calls = read_trace(first.trace);
    const std::vector<std::size_t> chosen = calls_to_fail(calls, case_.thin_repeats);

    Counts counts;
    counts.calls = calls.size();
    counts.injectable = chosen.size();
    std::size_t shown = 0;
    const std::size_t errors = std::size(injected_errors), jobs = chosen.size() * errors;
    // Job k fails call chosen[k / errors] with injected_errors[k % errors].
    const auto start_job = [&](Place &place, std::size_t job) {
        const Call &call = calls[chosen[job / errors]];
        place.job = job;
        prepare(place, false);
        start(place, {"-e", "trace=execve," + call.name, "-e",
                      "inject=" + call.name + ":error=" + injected_errors[job % errors] +
                          ":when=" + std::to_string(call.occurrence)});
    };
    std::size_t next = 0;
    for (; next < std::min(jobs, places_.size()); ++next) start_job(places_[next], next);
    for (std::size_t done = 0; done < jobs; ++done) {
        Place &place = places_[done % places_.size()];
        const std::size_t i = chosen[place.job / errors];
        const Call &call = calls[i];
        const char *error = injected_errors[place.job % errors];
        const support::Exit e = finish(place);
        // The injected run's trace must show the failure on the listed call:
        // the same first argument (what a failed call leaves in its
        // output arguments is printed differently).
        const std::vector<Call> got = read_trace(place.trace);
        const auto hit = std::find_if(got.begin(), got.end(), [&](const Call &c) {
            return c.name == call.name && c.occurrence == call.occurrence;
        });
        const std::string when = std::to_string(call.occurrence);
        if (!e.timed_out &&
            (hit == got.end() || first_argument(hit->args) != first_argument(call.args) ||
             hit->result.find("(INJECTED)") == std::string::npos))
            fail(std::string(case_.name) + ": " + call.name + " #" + when + " (" + call.args +
                 ") was not failed as listed; is the run repeatable?");
        const bool message_write = (call.name == "write" || call.name == "writev") && call.fd == 2;
        Verdict v = judge(place, e, message_write, left);
        if (v == success && ends_the_result(calls, i)) v = false_success;
        if (next < jobs) start_job(place, next++);
        ++counts.runs;
        ++counts.of[v];
        if (v == success || v == refusal || shown++ >= show) continue;
        std::printf("  %s: %s #%s (%s) failed with %s: status %d%s, stderr \"%s\"; left %s\n",
                    verdict_names[v], call.name.c_str(), when.c_str(),
                    call.args.substr(0, 48).c_str(), error, e.status,
                    e.timed_out ? " (killed at the time limit)" : "",
                    e.err.substr(0, e.err.find('\n')).c_str(), what_is_left(left).c_str());
    }
    return counts;
}

void print_counts(const char *name, const Counts &c, double seconds) {
    std::printf("%-22s %5zu calls listed, %4zu failed in turn, %5zu runs:", name, c.calls,
                c.injectable, c.runs);
    for (int v = 0; v < verdicts; ++v)
        if (v < silent || c.of[v] > 0) std::printf(" %zu %s,", c.of[v], verdict_names[v]);
    std::printf(" %.1f s\n", seconds);
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: fault_injection TOOL [--strace PATH] [--show N] [--jobs N] [CASE...]\n");
        return 2;
    }
    const fs::path tool = fs::absolute(argv[1]);
    fs::path strace = "strace";
    std::size_t show = 5, places = 4;
    std::set<std::string> only;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--strace" && i + 1 < argc)
            strace = argv[++i];
        else if (a == "--show" && i + 1 < argc)
            show = static_cast<std::size_t>(std::atoi(argv[++i]));
        else if (a == "--jobs" && i + 1 < argc)
            places = static_cast<std::size_t>(std::max(1, std::atoi(argv[++i])));
        else
            only.insert(a);
    }
    try {
        Counts total;
        const auto started = std::chrono::steady_clock::now();
        for (const Case &c : cases) {
            if (!only.empty() && !only.count(c.name)) continue;
            const auto t0 = std::chrono::steady_clock::now();
            const support::ScratchDir scratch(std::string("fault-") + c.name);
            const Counts counts = Runner(tool, strace, c, scratch, places).check(show);
            print_counts(
                c.name, counts,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            std::fflush(stdout);
            total.add(counts);
        }
        print_counts(
            "total", total,
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        return total.findings() == 0 ? 0 : 1;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "fault_injection: %s\n", e.what());
        return 2;
    }
}
