#include "records.hpp"

#include <cstdlib>

#include "sjis.hpp"

namespace host {

// The words of the README's table of what happens to each line.
const char *kind_name(Kind kind) {
    static const char *const names[] = {"header",       "comment",      "setting", "text",
                                        "line element", "circle/arc",   "point",   "poly-line mark",
                                        "hand point",   "header table", "z line",  "other"};
    return names[static_cast<std::size_t>(kind)];
}

namespace {

Kind kind_of_c(char second) {
    switch (second) {
    case 'i': return Kind::circle;
    case 'c':
    case 'n': return Kind::setting;
    default: return Kind::text;
    }
}

Kind kind_of_h(char second) {
    switch (second) {
    case 'q':
    case 'd': return Kind::header;
    case 'p': return Kind::hand_point;
    case 's':
    case 'c': return Kind::table;
    default: return Kind::other;
    }
}

Kind kind_of_p(char second) {
    switch (second) {
    case 'n': return Kind::setting;
    case 't': return Kind::point;
    case 'l': return Kind::poly_line;
    default: return Kind::other;
    }
}

} // namespace

Kind kind_of(std::string_view line) {
    const char first = line.empty() ? '\0' : line[0];
    const char second = line.size() > 1 ? line[1] : '\0';
    switch (first) {
    case '#': return Kind::comment;
    case ' ': return Kind::line;
    case 'l': return Kind::setting;
    case 'b': return second == 'z' ? Kind::setting : Kind::other;
    case 'c': return kind_of_c(second);
    case 'h': return kind_of_h(second);
    case 'p': return kind_of_p(second);
    case 'z': return Kind::attribute;
    default: return Kind::other;
    }
}

void Tally::add(std::string_view line, bool count_runs) {
    ++lines;
    const Kind kind = kind_of(line);
    ++kinds[static_cast<std::size_t>(kind)];
    TextRecord record;
    if (!count_runs || kind != Kind::text || !parse_text_record(line, record)) return;
    for (const Piece &piece : split_marks(record.text))
        if (piece.pen >= 0) ++runs_by_pen[static_cast<std::size_t>(piece.pen)], ++runs;
}

std::vector<std::string> split_lines(std::string_view file) {
    std::vector<std::string> lines;
    while (!file.empty()) {
        std::size_t end = file.find('\n');
        std::string_view line = file.substr(0, end);
        file.remove_prefix(end == std::string_view::npos ? file.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

std::size_t scan_numbers(std::string_view text, double *numbers, std::size_t n) {
    std::string copy(text); // strtod needs a terminator
    const char *at = copy.c_str();
    std::size_t got = 0;
    for (; got < n; ++got) {
        char *end = nullptr;
        double value = std::strtod(at, &end);
        if (end == at) break;
        numbers[got] = value;
        at = end;
    }
    return got;
}

bool parse_text_record(std::string_view line, TextRecord &record) {
    std::size_t quote = line.find('"');
    if (quote == std::string_view::npos || line.size() < 2) return false;
    record.head = std::string(line.substr(0, 2));
    record.text = std::string(line.substr(quote + 1));
    std::string_view fields = line.substr(2, quote - 2);
    for (std::size_t i = 0; i < 4; ++i) {
        std::size_t start = fields.find_first_not_of(' ');
        if (start == std::string_view::npos) return false;
        fields.remove_prefix(start);
        std::size_t end = fields.find(' ');
        record.raw[i] = std::string(fields.substr(0, end));
        fields.remove_prefix(end == std::string_view::npos ? fields.size() : end);
        if (scan_numbers(record.raw[i], &record.number[i], 1) != 1) return false;
    }
    return true;
}

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// The run starting at text[at], right behind "^$" and the pen digit.
std::size_t digits_from(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && is_digit(text[end])) ++end;
    return end;
}

} // namespace

std::vector<Piece> split_marks(std::string_view text) {
    std::vector<Piece> pieces;
    Piece plain;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text.substr(at, 2) == "^$" && at + 2 < text.size() && is_digit(text[at + 2])) {
            if (!plain.bytes.empty()) pieces.push_back(plain);
            plain = Piece{};
            std::size_t end = digits_from(text, at + 3);
            Piece run{text[at + 2] - '0', std::string(text.substr(at, 3)),
                      std::string(text.substr(at + 3, end - at - 3)), ""};
            if (text.substr(end, 2) == "^%") {
                run.close = "^%";
                end += 2;
            }
            pieces.push_back(run);
            at = end;
            continue;
        }
        std::size_t len = sjis_char_length(text, at);
        plain.bytes += text.substr(at, len);
        at += len;
    }
    if (!plain.bytes.empty()) pieces.push_back(plain);
    return pieces;
}

} // namespace host
