#include "run/opt.hpp"

#include <cmath>

#include "state/state.hpp"
#include "stream/console.hpp"
#include "stream/format.hpp"
#include "stream/scan.hpp"

namespace {

// Integer settings take 0..9; a negative value is out of range as well.
void set_digit(int &target, const char *value) {
    if (*value == '\0') return;
    const int v = scan::to_int(value);
    if (static_cast<unsigned>(v) <= 9) target = v;
}

void set_pen(const char *value) {
    set_digit(iMode3, value);
}
void set_mode(const char *value) {
    set_digit(iMode, value);
}
void set_mode2(const char *value) {
    set_digit(iMode2, value);
}

void set_angle(const char *value) {
    if (*value == '\0') return;
    const double v = scan::to_double(value);
    if (std::fabs(v) < 360.0) ANGLE = v;
}

// The value's first word, cut to what ChS001 holds.
void set_word(const char *value) {
    scan::skip_space(value);
    if (*value == '\0') return;
    int n = 0;
    while (n < ChS001_size - 1 && value[n] != '\0' && !scan::is_space(value[n])) {
        ChS001[n] = value[n];
        ++n;
    }
    ChS001[n] = '\0';
}

// Only the first character counts; anything but 1..6 turns tracing off.
void set_trace(const char *value) {
    isTest = 0;
    if (*value >= '1' && *value <= '6') isTest = *value - '0';
}

struct Switch {
    char letter;
    void (*apply)(const char *value); // null: accepted without effect
    int echo_from;                    // where the trace echo starts showing the argument
};

constexpr Switch switches[] = {
    {'k', set_pen, 2},  {'m', set_mode, 2},  {'l', set_mode2, 2}, {'p', set_angle, 2},
    {'s', set_word, 1}, {'t', set_trace, 2}, {'a', nullptr, 2},   {'b', nullptr, 2},
    {'c', nullptr, 2},  {'d', nullptr, 2},   {'e', nullptr, 2},   {'g', nullptr, 2},
    {'h', nullptr, 2},  {'n', nullptr, 2},   {'o', nullptr, 2},   {'u', nullptr, 1},
    {'w', nullptr, 2},
};

const Switch *find_switch(char letter) {
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter + 32);
    for (const Switch &s : switches)
        if (s.letter == letter) return &s;
    return nullptr;
}

void echo(const char *shown) {
    stream::LineBuf b;
    stream::add(b, "# --- command line option ---------------\n# --- (/");
    stream::add(b, shown);
    stream::add(b, ")\n#      iMode(");
    stream::add_int(b, iMode);
    stream::add(b, ") iMode2(");
    stream::add_int(b, iMode2);
    stream::add(b, ") iMode3(");
    stream::add_int(b, iMode3);
    stream::add(b, ")\n");
    console::out(b);
}

} // namespace

void opt(const char *arg) {
    const Switch *s = arg[0] != '\0' ? find_switch(arg[1]) : nullptr;
    if (s && s->apply) s->apply(arg + 2);
    if (!s) console::err("\n illegal Option.\n");
    if (isTest > 2) echo(arg + (s ? s->echo_from : 1));
}
