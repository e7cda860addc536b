#include "big_selection.hpp"

#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace big {

namespace {

struct Random {
    std::uint64_t state;
    unsigned next(unsigned bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>((state >> 33) % bound);
    }
};

// Appends the parts one after the other (GCC 12 misjudges "literal" + string).
void add(std::string &s, std::initializer_list<std::string_view> parts) {
    for (std::string_view p : parts) s += p;
}

void add_number(std::string &s, Random &r, unsigned bound) {
    s += std::to_string(r.next(bound));
}

void add_coordinates(std::string &s, Random &r, int count) {
    for (int i = 0; i < count; ++i) {
        s += ' ';
        add_number(s, r, 20000);
        s += '.';
        add_number(s, r, 1000);
    }
}

// Shift_JIS words: room, stair, full-width digits, a trail byte that is "@".
constexpr std::string_view sjis_words[] = {"\x95\x94\x89\xae", "\x8a\x4b\x92\x69",
                                           "\x82\x50\x82\x51", "\x83\x40", "\x8e\xba"};

void add_text(std::string &s, Random &r) {
    const unsigned parts = 1 + r.next(5);
    for (unsigned i = 0; i < parts; ++i) {
        switch (r.next(4)) {
        case 0: s += sjis_words[r.next(5)]; break;
        case 1: add_number(s, r, 100000); break;
        case 2: s += "W-"; break;
        default: s += ' '; break;
        }
    }
}

void add_head_number(std::string &s, Random &r, std::string_view head, unsigned bound) {
    s += head;
    add_number(s, r, bound);
}

void add_setting(std::string &s, Random &r) {
    switch (r.next(7)) {
    case 0: add(s, {"lg", std::string_view("0123456789abcdef").substr(r.next(16), 1)}); break;
    case 1: add(s, {"ly", std::string_view("0123456789ABCDEF").substr(r.next(16), 1)}); break;
    case 2: add_head_number(s, r, "lt", 10); break;
    case 3: add_head_number(s, r, "lc", 10); break;
    case 4: add_head_number(s, r, "pn", 10); break;
    case 5: add_head_number(s, r, "cn", 11); break;
    default: // a free text size
        add_head_number(s, r, "cn0 ", 10);
        add_head_number(s, r, ".5 ", 10);
        add_head_number(s, r, " 0.5 ", 10);
        break;
    }
}

// A text record: head, two coordinates, size, angle, quote and text.
void add_text_record(std::string &s, Random &r) {
    s += "ch";
    add_coordinates(s, r, 2);
    s += " 3.5 0 \"";
    add_text(s, r);
}

void add_circle(std::string &s, Random &r) {
    s += "ci";
    add_coordinates(s, r, 2);
    add_head_number(s, r, " ", 500);
}

void add_line(std::string &s, Random &r, bool long_lines) {
    if (long_lines && r.next(500) == 0) {
        s += '#';
        s.append(299, 'L');
        return;
    }
    const unsigned kind = r.next(100);
    if (kind < 35) {
        add_coordinates(s, r, 4); // a line element
    } else if (kind < 65) {
        add_text_record(s, r);
    } else if (kind < 75) {
        add_circle(s, r);
    } else if (kind < 85) {
        add_setting(s, r);
    } else if (kind < 90) {
        s += "pt";
        add_coordinates(s, r, 2);
    } else if (kind < 93) {
        add_head_number(s, r, "hp", 4);
        add_coordinates(s, r, 2);
    } else if (kind < 96) {
        s += "# ";
        add_text(s, r);
    } else if (kind < 98) {
        s += "pl";
    } else {
        add_head_number(s, r, "z", 9);
    }
}

} // namespace

std::string selection(std::size_t lines, unsigned seed, bool long_lines) {
    Random r{seed};
    std::string s;
    s.reserve(lines * 40);
    for (std::size_t i = 0; i < lines; ++i) {
        if (i == 0)
            s += "hq";
        else
            add_line(s, r, long_lines);
        s += "\r\n";
    }
    return s;
}

} // namespace big
