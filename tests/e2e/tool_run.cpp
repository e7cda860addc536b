#include "tool_run.hpp"

#include <cctype>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace e2e {

namespace fs = std::filesystem;

static std::string env_or(const char *name, const char *fallback) {
    const char *v = std::getenv(name);
    return v && *v ? v : fallback;
}

fs::path scratch_dir(const std::string &name) {
    fs::path root = env_or("DIGIT_TINT_SCRATCH", fs::temp_directory_path().c_str());
    fs::path dir = root / ("digit-tint-e2e-" + std::to_string(getpid())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void discard(const fs::path &dir) {
    fs::remove_all(dir);
    fs::remove(dir.string() + ".stdout");
    fs::remove(dir.string() + ".stderr");
}

void write_file(const fs::path &path, const std::string &bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path.string());
}

std::string read_file(const fs::path &path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

int reported_status(int status) {
    return status & 0xFF;
}

bool tool_ignores_case() {
    std::string tool = env_or("DIGIT_TINT", "");
    for (char &c : tool) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tool.size() >= 4 && tool.compare(tool.size() - 4, 4, ".exe") == 0;
}

static std::vector<std::string> command(const std::vector<std::string> &args) {
    std::vector<std::string> cmd;
    std::istringstream emulator(env_or("DIGIT_TINT_EMULATOR", ""));
    for (std::string word; emulator >> word;) cmd.push_back(word);
    const char *tool = std::getenv("DIGIT_TINT");
    if (!tool) throw std::runtime_error("DIGIT_TINT names no tool");
    cmd.push_back(fs::absolute(tool).string());
    cmd.insert(cmd.end(), args.begin(), args.end());
    return cmd;
}

Outcome run_tool(const fs::path &dir, const std::vector<std::string> &args, unsigned as_user) {
    // stdout and stderr go to files beside the directory, not into it
    const fs::path out_path = dir.string() + ".stdout", err_path = dir.string() + ".stderr";
    std::vector<std::string> cmd = command(args);
    std::vector<char *> argv;
    for (auto &a : cmd) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(dir.c_str()) != 0) _exit(121);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (as_user != 0 &&
            (setgroups(0, nullptr) != 0 || setgid(as_user) != 0 || setuid(as_user) != 0))
            _exit(not_started);
        execvp(argv[0], argv.data());
        _exit(not_started);
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    Outcome o;
    o.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    o.out = read_file(out_path);
    o.err = read_file(err_path);
    for (const auto &entry : fs::directory_iterator(dir))
        if (entry.is_regular_file())
            o.files[entry.path().filename().string()] = read_file(entry.path());
    return o;
}

} // namespace e2e
