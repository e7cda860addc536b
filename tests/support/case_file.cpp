#include "support/case_file.hpp"

#include <cctype>
#include <fstream>
#include <stdexcept>

namespace e2e {

static int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    throw std::runtime_error(std::string("bad hex digit ") + c);
}

// Decodes escapes; ended is cleared by a closing \!.
static std::string unescape(const std::string &s, bool &ended) {
    std::string out;
    ended = true;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        char c = s[++i];
        if (c == 'x' && i + 2 < s.size()) {
            out += static_cast<char>(hex_value(s[i + 1]) * 16 + hex_value(s[i + 2]));
            i += 2;
        } else if (c == 'r')
            out += '\r';
        else if (c == 'n')
            out += '\n';
        else if (c == 't')
            out += '\t';
        else if (c == '!' && i + 1 == s.size())
            ended = false;
        else
            out += c;
    }
    return out;
}

static std::vector<std::string> split_args(const std::string &s) {
    std::vector<std::string> args;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : s) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) args.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any) args.push_back(cur);
    bool ended;
    for (auto &a : args) a = unescape(a, ended);
    return args;
}

namespace {

struct Section {
    std::string *target = nullptr;
    const char *line_end = "\r\n";
    std::vector<std::string> lines;
};

void flush(Section &s) {
    if (!s.target) {
        s.lines.clear();
        return;
    }
    while (!s.lines.empty() && s.lines.back().empty()) s.lines.pop_back();
    for (const auto &l : s.lines) {
        bool ended;
        *s.target += unescape(l, ended);
        if (ended) *s.target += s.line_end;
    }
    s = Section{};
}

} // namespace

std::vector<Case> load_cases(const std::string &path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    std::vector<Case> cases;
    Section section;
    std::string line;
    int number = 0;
    auto current = [&]() -> Case & {
        if (cases.empty()) throw std::runtime_error(path + ": content before the first case");
        return cases.back();
    };
    while (std::getline(f, line)) {
        ++number;
        if (line.rfind("@@", 0) != 0) {
            if (!section.target && !line.empty())
                throw std::runtime_error(path + ":" + std::to_string(number) + ": stray line");
            section.lines.push_back(line);
            continue;
        }
        flush(section);
        std::string word = line.substr(3, line.find(' ', 3) - 3);
        std::string rest = line.size() > 4 + word.size() ? line.substr(4 + word.size()) : "";
        if (word == "#") continue;
        if (word == "case") {
            cases.push_back(
                Case{rest, path + ":" + std::to_string(number), {}, {}, {}, 0, {}, {}, {}});
        } else if (word == "args") {
            current().args = split_args(rest);
        } else if (word == "file") {
            section.target = &current().inputs[rest];
        } else if (word == "expect") {
            section.target = &current().expected_files[rest];
        } else if (word == "same") {
            auto blank = rest.find(' ');
            current().expected_files[rest.substr(0, blank)] =
                current().inputs.at(rest.substr(blank + 1));
        } else if (word == "names" && (rest == "keep case" || rest == "ignore case")) {
            current().names = rest;
        } else if (word == "status") {
            current().status = std::stoi(rest);
        } else if (word == "stdout" || word == "stderr") {
            section.target = word == "stdout" ? &current().expected_out : &current().expected_err;
            section.line_end = "\n";
        } else {
            throw std::runtime_error(path + ":" + std::to_string(number) + ": unknown " + word);
        }
    }
    flush(section);
    return cases;
}

} // namespace e2e
