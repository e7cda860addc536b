// Writes a realistic exchange file of a given number of lines: the header
// tables a host writes first, then a floor plan's mix of setting lines, line
// elements, circles and arcs, points, comments and text records with
// Shift_JIS room names, room numbers, dimensions and dates. CR LF line ends;
// the same bytes on every platform for the same line count.
//
//   bench-gen LINES OUT
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

namespace {

// A fixed generator with its own range mapping, so that the file does not
// depend on the standard library's distributions.
std::uint64_t rng_state = 0x9E3779B97F4A7C15u;

std::uint32_t next() {
    rng_state ^= rng_state << 13;
    rng_state ^= rng_state >> 7;
    rng_state ^= rng_state << 17;
    return static_cast<std::uint32_t>(rng_state >> 11);
}
int pick(int n) {
    return static_cast<int>(next() % static_cast<std::uint32_t>(n));
}

// Room and drawing words in Shift_JIS.
const char *const words[] = {
    "\x8b\x8f\x8a\xd4",                 // living room
    "\x90\x51\x8e\xba",                 // bedroom
    "\x98\x61\x8e\xba",                 // tatami room
    "\x97\x6d\x8e\xba",                 // western room
    "\x91\xe4\x8f\x8a",                 // kitchen
    "\x97\x81\x8e\xba",                 // bathroom
    "\x8c\xba\x8a\xd6",                 // entrance
    "\x98\x4c\x89\xba",                 // corridor
    "\x8e\xfb\x94\x5b",                 // storage
    "\x8a\x4b\x92\x69",                 // stairs
    "\x8e\x96\x96\xb1\x8e\xba",         // office
    "\x89\xef\x8b\x63\x8e\xba",         // meeting room
    "\x8b\x40\x8a\x42\x8e\xba",         // machine room
    "\x92\xca\x82\xe8\x90\x63",         // grid line
    "\x90\x7d\x96\xca\x94\xd4\x8d\x86", // drawing number
};
const char *const floor_area = "\x8f\xb0\x96\xca\x90\xcf"; // floor area
const char *const square_m = "\x82\x8d\x82\x51";           // full-width m2
const char *const room_no = "\x8d\x86\x8e\xba";            // room number suffix
const char *const date_word = "\x93\xfa\x95\x74";          // date
const char *const scale_word = "\x8f\x6b\x8e\xda";         // scale

// Parts in a braced list are produced left to right, so every compiler draws
// the random numbers in the same order.
std::string join(std::initializer_list<std::string> parts) {
    std::string s;
    for (const auto &p : parts) s += p;
    return s;
}
std::string num(int v) {
    return std::to_string(v);
}
std::string word() {
    return words[pick(sizeof words / sizeof *words)];
}

std::string coord() {
    const std::string whole = num(pick(30000) - 3000);
    switch (pick(4)) {
    case 0: return join({whole, ".", num(pick(10))});
    case 1: return join({whole, ".", num(10 + pick(90))});
    case 2: return join({whole, ".", num(100000 + pick(900000))});
    default: return whole;
    }
}

std::string text_body() {
    switch (pick(8)) {
    case 0: return join({word(), " ", num(101 + pick(9)), room_no});
    case 1: return join({floor_area, " ", num(5 + pick(60)), ".", num(pick(100)), square_m});
    case 2: return num(455 * (1 + pick(20)));
    case 3:
        return join(
            {date_word, " 20", num(10 + pick(20)), "-", num(1 + pick(12)), "-", num(1 + pick(28))});
    case 4: return join({scale_word, " S=1:", num(50 * (1 + pick(4)))});
    case 5: return join({"W", num(600 + 10 * pick(300)), "xH", num(1800 + 10 * pick(60))});
    case 6:
        return join({word(), "(", std::string(1, static_cast<char>('A' + pick(6))), "-",
                     num(pick(1000)), ")"});
    default:
        return join(
            {word(), " ", num(1 + pick(9)), "F ", num(2 + pick(20)), ".", num(pick(10)), square_m});
    }
}

std::string setting() {
    switch (pick(7)) {
    case 0: return join({"lg", num(pick(10))});
    case 1: return join({"ly", std::string(1, "0123456789abcdef"[pick(16)])});
    case 2: return join({"lt", num(1 + pick(9))});
    case 3: return join({"lc", num(1 + pick(9))});
    case 4: return join({"pn", num(1 + pick(9))});
    case 5: return join({"cn", num(1 + pick(10))});
    default: return join({"cn0 ", num(2 + pick(4)), ".5 3.5 0.5 ", num(pick(9))});
    }
}

std::string body_line() {
    const int r = pick(100);
    if (r < 40) return join({" ", coord(), " ", coord(), " ", coord(), " ", coord()});
    if (r < 45) return join({"ci ", coord(), " ", coord(), " ", num(100 + pick(900))});
    if (r < 48)
        return join({"ci ", coord(), " ", coord(), " ", num(100 + pick(900)), " 0 ",
                     num(90 * (1 + pick(3))), " 1 0"});
    if (r < 51) return join({"pt ", coord(), " ", coord()});
    if (r < 53) return join({"# ", word(), " part"});
    if (r < 60) return setting();
    return join({"ch ", coord(), " ", coord(), " ", num(2 + pick(4)), ".5 0 \"", text_body()});
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench-gen LINES OUT\n");
        return 2;
    }
    const long lines = std::atol(argv[1]);
    std::FILE *out = std::fopen(argv[2], "wb");
    if (!out || lines < 0) {
        std::fprintf(stderr, "bench-gen: cannot write %s\n", argv[2]);
        return 1;
    }
    const char *const head[] = {
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
        "cn0 3.5 3.5 0.5 1",
    };
    long written = 0;
    for (const char *h : head) {
        if (written == lines) break;
        std::fprintf(out, "%s\r\n", h);
        ++written;
    }
    for (; written < lines; ++written) std::fprintf(out, "%s\r\n", body_line().c_str());
    return std::fclose(out) == 0 ? 0 : 1;
}
