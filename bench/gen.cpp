// Writes an exchange file of a given number of lines as hosts write one: the
// tables a host writes first, then a floor plan's mix of setting lines, line
// elements, circles and arcs, points, comments and text records with
// Shift_JIS room names, room numbers, dimensions and dates (the tests'
// selection generator). CR LF line ends; the same bytes on every platform
// for the same line count.
//
//   bench-gen [--mix host|typed|full|short] LINES OUT
//
// host (the default): coordinates as hosts write the doubles they hold. Typed
//   ones are short (3640, 910.5), but every coordinate the program computed
//   (an intersection, a division, a rotation, a scaled copy) comes with the
//   double's full precision: about one in six has 15 to 17 significant
//   digits, one in twenty is in exponent form, some are negative zeros and
//   some beyond 10^6. The benchmark's goals are for this mix.
// typed: every coordinate as typed, the mix the benchmark had before.
// full, short: text records alone, four numbers each, all with 17
//   significant digits (-12345.678901234567) or all short (-12345.67): under
//   callgrind their difference per number is what a full-precision number
//   costs beside a short one.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/selection.hpp"

namespace {

std::string records(long lines, bool full) {
    std::string s = "hq\r\n";
    char line[160];
    for (long i = 1; i < lines; ++i) {
        std::string numbers;
        for (unsigned long long k = 0; k < 4; ++k) {
            const unsigned long long n =
                (static_cast<unsigned long long>(i) * 4 + k) * 0x9E3779B97F4A7C15u;
            const unsigned long long whole = 10000 + n % 90000,
                                     decimals = (n >> 20) % 1000000000000;
            char number[40];
            if (full)
                std::snprintf(number, sizeof number, " -%llu.%012llu", whole, decimals);
            else
                std::snprintf(number, sizeof number, " -%llu.%02llu", whole, decimals % 100);
            numbers += number;
        }
        std::snprintf(line, sizeof line, "ch%s \"\x95\x94\x89\xae %ld\r\n", numbers.c_str(),
                      i % 1000);
        s += line;
    }
    return s;
}

} // namespace

int main(int argc, char **argv) {
    std::string mix = "host";
    if (argc == 5 && std::strcmp(argv[1], "--mix") == 0) {
        mix = argv[2];
        argv += 2;
        argc -= 2;
    }
    const bool known = mix == "host" || mix == "typed" || mix == "full" || mix == "short";
    if (argc != 3 || !known) {
        std::fprintf(stderr, "usage: bench-gen [--mix host|typed|full|short] LINES OUT\n");
        return 2;
    }
    const long lines = std::atol(argv[1]);
    std::FILE *out = std::fopen(argv[2], "wb");
    if (!out || lines < 0) {
        std::fprintf(stderr, "bench-gen: cannot write %s\n", argv[2]);
        return 1;
    }
    const auto numbers = mix == "typed" ? support::Numbers::typed : support::Numbers::host;
    const std::string text =
        mix == "full" || mix == "short"
            ? records(lines, mix == "full")
            : support::selection(static_cast<std::size_t>(lines), 2026, {.numbers = numbers});
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
