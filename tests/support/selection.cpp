#include "selection.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string_view>

namespace support {

namespace {

using namespace std::string_view_literals;

struct Random {
    std::uint64_t state;
    unsigned next(unsigned bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<unsigned>((state >> 33) % bound);
    }
    template <std::size_t N> std::string_view pick(const std::string_view (&from)[N]) {
        return from[next(N)];
    }
};

// Appends the parts one after the other (GCC 12 misjudges "literal" + string).
void add(std::string &s, std::initializer_list<std::string_view> parts) {
    for (std::string_view p : parts) s += p;
}

void add_number(std::string &s, Random &r, unsigned bound) {
    s += std::to_string(r.next(bound));
}

void add_head_number(std::string &s, Random &r, std::string_view head, unsigned bound) {
    s += head;
    add_number(s, r, bound);
}

// A number as typed: whole, or with one, two or six decimals.
void add_typed(std::string &s, Random &r) {
    s += std::to_string(static_cast<int>(r.next(30000)) - 3000);
    switch (r.next(4)) {
    case 0: add_head_number(s, r, ".", 10); break;
    case 1: add(s, {".", std::to_string(10 + r.next(90))}); break;
    case 2: add(s, {".", std::to_string(100000 + r.next(900000))}); break;
    default: break;
    }
}

// Appends v as a host writes a double it holds: the shortest text that reads
// back as it, or with four significant digits in exponent form.
void add_double(std::string &s, double v, bool exponent) {
    char text[64];
    const auto end =
        exponent ? std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, 3)
                 : std::to_chars(text, text + sizeof text, v);
    s.append(text, end.ptr);
}

// A coordinate the host computed: a division, a rotation or a scaled copy of
// typed ones, carrying 15 to 17 significant digits.
double computed(Random &r) {
    const double typed = static_cast<double>(static_cast<int>(r.next(3000000)) - 300000) / 100;
    switch (r.next(3)) {
    case 0: return typed / (3 + r.next(11));
    case 1: return typed * 0.7071067811865476 + r.next(1000);
    default: return typed * 1.0000000001 / 0.9144;
    }
}

void add_coordinate(std::string &s, Random &r, Numbers numbers) {
    const unsigned kind = numbers == Numbers::host ? r.next(100) : 99;
    if (kind < 17) {
        add_double(s, computed(r), false);
    } else if (kind < 22) {
        add_double(s, computed(r) / std::pow(10.0, r.next(8)), true);
    } else if (kind < 24) {
        s += r.next(2) ? "-0" : "-0.0";
    } else if (kind < 27) {
        add_double(s, computed(r) * 1e5, r.next(2));
    } else {
        add_typed(s, r);
    }
}

void add_coordinates(std::string &s, Random &r, int count, Numbers numbers) {
    for (int i = 0; i < count; ++i) {
        s += ' ';
        add_coordinate(s, r, numbers);
    }
}

// Shift_JIS words: rooms and drawing words, full-width digits, a trail byte
// that is "@".
constexpr std::string_view sjis_words[] = {"\x95\x94\x89\xae",
                                           "\x8a\x4b\x92\x69",
                                           "\x82\x50\x82\x51",
                                           "\x83\x40",
                                           "\x8e\xba",
                                           "\x8b\x8f\x8a\xd4",
                                           "\x90\x51\x8e\xba",
                                           "\x98\x61\x8e\xba",
                                           "\x97\x6d\x8e\xba",
                                           "\x91\xe4\x8f\x8a",
                                           "\x97\x81\x8e\xba",
                                           "\x8c\xba\x8a\xd6",
                                           "\x98\x4c\x89\xba",
                                           "\x8e\xfb\x94\x5b",
                                           "\x8e\x96\x96\xb1\x8e\xba",
                                           "\x89\xef\x8b\x63\x8e\xba",
                                           "\x92\xca\x82\xe8\x90\x63",
                                           "\x90\x7d\x96\xca\x94\xd4\x8d\x86"};
constexpr std::string_view floor_area = "\x8f\xb0\x96\xca\x90\xcf";
constexpr std::string_view square_m = "\x82\x8d\x82\x51"; // full-width m2
constexpr std::string_view room_no = "\x8d\x86\x8e\xba";
constexpr std::string_view date_word = "\x93\xfa\x95\x74";
constexpr std::string_view scale_word = "\x8f\x6b\x8e\xda";

// What a drawing's texts say: room names and numbers, areas, dimensions,
// dates, scales, grid labels; or a few random words, numbers and blanks.
void add_text(std::string &s, Random &r) {
    switch (r.next(9)) {
    case 0: add(s, {r.pick(sjis_words), " ", std::to_string(101 + r.next(9)), room_no}); break;
    case 1:
        add(s, {floor_area, " ", std::to_string(5 + r.next(60)), ".", std::to_string(r.next(100)),
                square_m});
        break;
    case 2: add_number(s, r, 100000); break;
    case 3:
        add(s, {date_word, " 20", std::to_string(10 + r.next(20)), "-",
                std::to_string(1 + r.next(12)), "-", std::to_string(1 + r.next(28))});
        break;
    case 4: add(s, {scale_word, " S=1:", std::to_string(50 * (1 + r.next(4)))}); break;
    case 5:
        add(s, {"W", std::to_string(600 + 10 * r.next(300)), "xH",
                std::to_string(1800 + 10 * r.next(60))});
        break;
    case 6:
        add(s, {r.pick(sjis_words), "(", std::string(1, static_cast<char>('A' + r.next(6))), "-",
                std::to_string(r.next(1000)), ")"});
        break;
    default:
        for (unsigned i = 0, parts = 1 + r.next(5); i < parts; ++i) {
            switch (r.next(4)) {
            case 0: s += r.pick(sjis_words); break;
            case 1: add_number(s, r, 100000); break;
            case 2: s += "W-"; break;
            default: s += ' '; break;
            }
        }
    }
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
void add_text_record(std::string &s, Random &r, Numbers numbers) {
    s += "ch";
    add_coordinates(s, r, 2, numbers);
    add_head_number(s, r, " ", 5);
    s += ".5 0 \"";
    add_text(s, r);
}

// A circle, or now and then an arc of it.
void add_circle(std::string &s, Random &r, Numbers numbers) {
    s += "ci";
    add_coordinates(s, r, 2, numbers);
    add_head_number(s, r, " ", 1000);
    if (r.next(3) == 0) add(s, {" 0 ", std::to_string(90 * (1 + r.next(3))), " 1 0"});
}

// A floor plan's mix of record kinds.
void add_realistic_line(std::string &s, Random &r, Numbers numbers) {
    const unsigned kind = r.next(100);
    if (kind < 38) {
        add_coordinates(s, r, 4, numbers); // a line element
    } else if (kind < 73) {
        add_text_record(s, r, numbers);
    } else if (kind < 81) {
        add_circle(s, r, numbers);
    } else if (kind < 89) {
        add_setting(s, r);
    } else if (kind < 92) {
        s += "pt";
        add_coordinates(s, r, 2, numbers);
    } else if (kind < 94) {
        add_head_number(s, r, "hp", 4);
        add_coordinates(s, r, 2, numbers);
    } else if (kind < 97) {
        s += "# ";
        add_text(s, r);
    } else if (kind < 98) {
        s += "pl";
    } else {
        add_head_number(s, r, "z", 9);
    }
}

// ---- odd lines -------------------------------------------------------------------

// Whole lines that sit on the bounds of what the reader and the closing block take.
constexpr std::string_view odd_records[] = {"lt"sv,
                                            "ltx"sv,
                                            "lt-2"sv,
                                            "lt20"sv,
                                            "lc20"sv,
                                            "lcx"sv,
                                            "lc\0"
                                            "7"sv,
                                            "ly-1"sv,
                                            "lgz"sv,
                                            "lyA"sv,
                                            "lg10"sv,
                                            "pna"sv,
                                            "pn9"sv,
                                            "pnf"sv,
                                            "pn-1"sv,
                                            "pn"sv,
                                            "cn10"sv,
                                            "cn11"sv,
                                            "cn"sv,
                                            "cn-1"sv,
                                            "cn0 0 2 2 2"sv,
                                            "cn0 3 x"sv,
                                            "cn0 2.5 2.5 0.5 1"sv,
                                            "cn\"free"sv,
                                            "cc3"sv,
                                            "hq"sv,
                                            "hs 1 1 1"sv,
                                            "hcw 1 2 3"sv,
                                            "hch 1 2 3"sv,
                                            "hcd 1 2 3"sv,
                                            "hcc 1 2 3"sv,
                                            "bz"sv,
                                            "b1 x"sv,
                                            "z3"sv,
                                            "lx anything"sv,
                                            "s1"sv,
                                            "XLINE"sv,
                                            "9"sv,
                                            "#"sv,
                                            "#a\rb\x1A"
                                            "c\0d\x82\xA0"sv,
                                            " 5 5 5 5"sv,
                                            " 0 0 10 0"sv,
                                            " "sv,
                                            ""sv,
                                            "\r"sv,
                                            "ci 0 0 5"sv,
                                            "pt 1 2"sv,
                                            "pl"sv,
                                            "hp1 10 20"sv,
                                            "hp1ln 5 6"sv,
                                            "hp1ch 5 6"sv,
                                            "hp2+ 5 6"sv,
                                            "hp3/ 1.5 2"sv,
                                            "hp0- 1 1"sv,
                                            "hp7 10 20"sv,
                                            "hp9ch 1 1"sv,
                                            "hpx"sv,
                                            "ch 1e 5 1.5.3 \"t"sv,
                                            "ch inf -nan 0x1p3 1e400 \"t"sv,
                                            "ch -1e-400 +7 . 3 \"t"sv,
                                            "ch 7 8 9 10"sv,
                                            "ch 1 2 3 4 \""sv,
                                            "ch 9 9 9 9 no quote"sv,
                                            "ch 1 2 3 4   \"  a\"1"sv,
                                            "ch 1 2 3 4 \"12\r34"sv,
                                            "ch 1 2 3 4 \"A1\0"
                                            "2B"sv,
                                            "ch 1 2 3 4 \"\x1A"
                                            "1\x1A"sv,
                                            "cx 1 2 3 4 \"9"sv,
                                            "c\x82 1 2 3 4 \"x"sv,
                                            "c\0 5 6 7 8 \"9"sv,
                                            "c\xFF 1 2 3 4 \"\x81"sv,
                                            "Ch 1 2 3 4 \"5"sv,
                                            "\xFF\xFE\0\x80\x01garbage"sv,
                                            "\x81\x40\x31\x32"sv};

// Texts that already hold escapes, lone lead bytes and digit runs of every shape.
constexpr std::string_view odd_texts[] = {"^$512"sv,
                                          "^%"sv,
                                          "^$"sv,
                                          "^$9"sv,
                                          "A^"sv,
                                          "^$5101^%-B"sv,
                                          "12\x82"sv,
                                          "\x81"
                                          "123"sv,
                                          "1\xB1"
                                          "2"sv,
                                          "\x82\x4F\x82\x58 7"sv,
                                          "\xE0\x31\xFC\x39"
                                          "7"sv,
                                          "\x81\x81"
                                          "1"sv,
                                          "1 2\x01"
                                          "3"sv,
                                          "-1.5"sv,
                                          "50%"sv,
                                          "0"sv,
                                          "0000000000"sv,
                                          "\x82\x60\x82\x60"sv};

// Heads that a piece after a 254-byte boundary may begin with.
constexpr std::string_view hidden_heads[] = {"lc7"sv,
                                             "pn9"sv,
                                             "hq"sv,
                                             "#c"sv,
                                             "ch 5 6 7 8 \"12"sv,
                                             "cn10"sv,
                                             "lt"sv,
                                             "ltx"sv,
                                             "hp1ch 1 2"sv,
                                             " 0 0 10 0"sv,
                                             "lg3"sv,
                                             "ly0"sv,
                                             "cn0 2 2 2 2"sv,
                                             "a"sv,
                                             "\r"sv,
                                             "\x82\xA0lc5"sv,
                                             "c\x82 1 2 3 4 \"9"sv,
                                             "z1"sv,
                                             "1"sv};

// First pieces that a long line may begin with.
constexpr std::string_view long_heads[] = {"#",  "ch 1 2 3 4 \"", "lc3", "xx",
                                           "lx", "cx 1 2 \"",     "hq"};

// Filler up to a length: letters, digits, Shift_JIS pairs or lead bytes.
void fill_to(std::string &s, std::size_t length, Random &r) {
    constexpr std::string_view fillers[] = {"a", "7", "A1", "\x82\xA0", "\x82", " ", "1\x82"};
    const std::string_view filler = r.pick(fillers);
    while (s.size() < length) s += filler.substr(0, length - s.size());
}

// 255 to 600 bytes, with a head at the 254-byte piece boundaries.
void add_long_line(std::string &s, Random &r) {
    std::string line(r.pick(long_heads));
    const std::size_t length = 255 + r.next(346);
    for (std::size_t boundary = 254; boundary < length; boundary += 254) {
        const std::size_t at = boundary - r.next(3) * r.next(2); // now and then cut by the boundary
        fill_to(line, at, r);
        line.resize(at);
        line += r.pick(hidden_heads);
    }
    fill_to(line, length, r);
    line.resize(length);
    s += line;
}

// A text record whose text ends around the 231-byte cut, perhaps with a lead byte there.
void add_cut_text(std::string &s, Random &r) {
    std::string text;
    fill_to(text, 228 + r.next(5), r);
    if (r.next(2)) text += "\x82";
    add(s, {"ch 1 2 3 4 \"", text});
}

void add_odd_line(std::string &s, Random &r) {
    switch (r.next(10)) {
    case 0: add_long_line(s, r); break;
    case 1: add_cut_text(s, r); break;
    case 2:
    case 3: add(s, {"ch 1 2 3 4 \"", r.pick(odd_texts), r.pick(odd_texts)}); break;
    default: s += r.pick(odd_records); break;
    }
}

constexpr std::string_view odd_line_ends[] = {"\r\n", "\r\n", "\r\n", "\r\n",  "\r\n",
                                              "\r\n", "\r\n", "\n",   "\r\r\n"};

void add_line(std::string &s, Random &r, Mix mix) {
    if (mix.long_lines && r.next(500) == 0) {
        s += '#';
        s.append(299, 'L');
    } else if (mix.odd && r.next(3) == 0) {
        add_odd_line(s, r);
    } else {
        add_realistic_line(s, r, mix.numbers);
    }
}

} // namespace

std::string selection(std::size_t lines, unsigned seed, Mix mix) {
    // What a host writes first: the tables of settings, then the current ones.
    constexpr std::string_view head[] = {
        "hq",
        "hs 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100 100",
        "hcw 2 2.5 3 3.5 4 5 6 7 8 10",
        "hch 2 2.5 3 3.5 4 5 6 7 8 10",
        "hcd 0 0 0.5 0.5 0.5 1 1 1 1 2",
        "hcc 1 1 1 2 2 2 3 3 3 4",
        "lg0",
        "ly0",
        "lt1",
        "lc1",
        "pn1",
        "cn0 3.5 3.5 0.5 1"};
    Random r{seed};
    std::string s;
    s.reserve(lines * 40);
    for (std::size_t i = 0; i < lines; ++i) {
        if (i == 0 && !(mix.odd && r.next(4) == 0))
            s += "hq";
        else if (i > 0 && i < std::size(head) && !mix.odd)
            s += head[i];
        else
            add_line(s, r, mix);
        const bool unended = mix.odd && i + 1 == lines && r.next(3) == 0;
        if (!unended) s += mix.odd ? r.pick(odd_line_ends) : "\r\n";
    }
    return s;
}

} // namespace support
