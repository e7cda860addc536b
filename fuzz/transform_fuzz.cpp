// libFuzzer target: one whole transform per input, switches included; an
// input is read as fuzz_input.hpp says.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "run/exchange_names.hpp"
#include "run/run_transform.hpp"
#include "support/fuzz_input.hpp"

namespace {

namespace fs = std::filesystem;

constexpr const char *names[] = {exchange::take_over_names[0], exchange::take_over_names[1],
                                 exchange::take_over_names[2], exchange::take_over_names[3],
                                 exchange::work_name};

// The trace level that byte 0 sets: the run hands its result back at 0 only.
int trace_level(char c) {
    if (c >= '1' && c <= '0' + exchange::highest_trace_level) return c - '0';
    return c == 'T' ? 2 : 0;
}

std::string read_all(const char *name) {
    std::ifstream f(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

bool exists(const char *name) {
    return access(name, F_OK) == 0;
}

[[noreturn]] void fail(const char *what, const std::string &bytes) {
    std::fprintf(stderr, "\n*** %s\n--- file (%zu bytes) ends with:\n", what, bytes.size());
    const std::size_t from = bytes.size() > 200 ? bytes.size() - 200 : 0;
    std::fwrite(bytes.data() + from, 1, bytes.size() - from, stderr);
    std::fputc('\n', stderr);
    std::abort();
}

// Takes the last CR LF line off tail and returns it without its line end.
bool pop_line(std::string_view &tail, std::string_view &line) {
    if (tail.size() < 2 || tail.substr(tail.size() - 2) != "\r\n") return false;
    tail.remove_suffix(2);
    const std::size_t start = tail.rfind("\r\n");
    const std::size_t from = start == std::string_view::npos ? 0 : start + 2;
    line = tail.substr(from);
    tail = tail.substr(0, from);
    return true;
}

bool all_of(std::string_view s, bool (*pred)(char)) {
    if (s.empty()) return false;
    for (char c : s)
        if (!pred(c)) return false;
    return true;
}

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}
bool is_dec(char c) {
    return c >= '0' && c <= '9';
}

bool is_int(std::string_view s) {
    if (!s.empty() && s[0] == '-') s.remove_prefix(1);
    return all_of(s, is_dec);
}

bool setting_line(std::string_view line, std::string_view head, bool hex) {
    if (line.substr(0, 2) != head) return false;
    line.remove_prefix(2);
    return hex ? all_of(line, is_hex) : is_int(line);
}

// The output must end with the closing block: lg, ly, lt, lc and perhaps pn.
void check_closing_block(const std::string &out) {
    std::string_view tail = out, line;
    if (!pop_line(tail, line)) fail("output does not end with CR LF", out);
    if (line.substr(0, 2) == "pn") {
        if (!is_int(line.substr(2))) fail("bad pn line in the closing block", out);
        if (!pop_line(tail, line)) fail("closing block cut short", out);
    }
    if (!setting_line(line, "lc", false)) fail("closing block lacks its lc line", out);
    if (!pop_line(tail, line) || !setting_line(line, "lt", false))
        fail("closing block lacks its lt line", out);
    if (!pop_line(tail, line) || !setting_line(line, "ly", true))
        fail("closing block lacks its ly line", out);
    if (!pop_line(tail, line) || !setting_line(line, "lg", true))
        fail("closing block lacks its lg line", out);
}

void clear_directory() {
    for (const char *name : names) std::remove(name);
}

std::string working_directory;

// At the fuzzer's exit: the files of the last run, then the directory itself.
void remove_working_directory() {
    clear_directory();
    std::remove(working_directory.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // A private working directory, entered once; trace output is not wanted.
    working_directory = (fs::temp_directory_path() / "digit-tint-fuzz-XXXXXX").string();
    if (!mkdtemp(working_directory.data()) || chdir(working_directory.c_str()) != 0) {
        std::perror("digit-tint fuzz: working directory");
        std::abort();
    }
    std::atexit(remove_working_directory);
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < fuzz_input::header_size) return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::vector<std::string> args = fuzz_input::switches(bytes);
    std::vector<const char *> argv{"digit-tint"};
    for (const std::string &a : args) argv.push_back(a.c_str());
    const std::string input(fuzz_input::exchange_file(bytes));

    clear_directory();
    {
        std::ofstream f(exchange::host_name, std::ios::binary);
        f.write(input.data(), static_cast<std::streamsize>(input.size()));
        if (!f) std::abort();
    }
    const int status = run_transform(static_cast<int>(argv.size()), argv.data());

    // Only an input of more than 150000 lines may be refused, and it cannot be shorter.
    if (status == 1 && input.size() > 150000) return 0;
    if (status != 0) fail("the run failed", input);
    if (exists(names[0]) || exists(names[1]) || exists(names[2]))
        fail("the exchange file was left under a name of the take-over", input);
    if (trace_level(static_cast<char>(data[0])) == 0) {
        if (exists(exchange::work_name)) fail("the work file was left behind", input);
        check_closing_block(read_all(exchange::exchange_name));
    } else {
        // A trace run keeps its hands off the exchange file.
        if (read_all(exchange::exchange_name) != input)
            fail("a trace run changed the input", input);
        check_closing_block(read_all(exchange::work_name));
    }
    return 0;
}
