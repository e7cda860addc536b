#include "run/switches.hpp"

#include <cmath>

#include "state/trace_levels.hpp"
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

void set_pen(Switches &s, const char *value) {
    set_digit(s.pen_switch, value);
}
void set_m(Switches &s, const char *value) {
    set_digit(s.m_value, value);
}
void set_l(Switches &s, const char *value) {
    set_digit(s.l_value, value);
}

void set_angle(Switches &s, const char *value) {
    if (*value == '\0') return;
    const double v = scan::to_double(value);
    if (std::fabs(v) < 360.0) s.angle = v;
}

// The value's first word, cut to what the setting holds.
void set_word(Switches &s, const char *value) {
    scan::skip_space(value);
    if (*value == '\0') return;
    std::size_t n = 0;
    while (n < sizeof s.word - 1 && value[n] != '\0' && !scan::is_space(value[n])) {
        s.word[n] = value[n];
        ++n;
    }
    s.word[n] = '\0';
}

// Only the first character counts; anything but 1..6 turns tracing off.
void set_trace(Switches &s, const char *value) {
    s.trace_level = 0;
    if (*value >= '1' && *value <= '6') s.trace_level = *value - '0';
}

struct Switch {
    char letter;
    void (*apply)(Switches &, const char *value); // null: accepted without effect
    int echo_from; // where the trace echo starts showing the argument
};

constexpr Switch switch_table[] = {
    {'k', set_pen, 2},  {'m', set_m, 2},     {'l', set_l, 2},   {'p', set_angle, 2},
    {'s', set_word, 1}, {'t', set_trace, 2}, {'a', nullptr, 2}, {'b', nullptr, 2},
    {'c', nullptr, 2},  {'d', nullptr, 2},   {'e', nullptr, 2}, {'g', nullptr, 2},
    {'h', nullptr, 2},  {'n', nullptr, 2},   {'o', nullptr, 2}, {'u', nullptr, 1},
    {'w', nullptr, 2},
};

const Switch *find_switch(char letter) {
    if (letter >= 'A' && letter <= 'Z') letter = static_cast<char>(letter + 32);
    for (const Switch &s : switch_table)
        if (s.letter == letter) return &s;
    return nullptr;
}

void echo_switch(const Switches &s, const char *shown) {
    console::out(stream::line_of("# --- command line option ---------------\n# --- (/", shown,
                                 ")\n#      iMode(", s.m_value, ") iMode2(", s.l_value, ") iMode3(",
                                 s.pen_switch, ")\n"));
}

} // namespace

void apply_switch(Switches &switches, const char *arg) {
    const Switch *s = arg[0] != '\0' ? find_switch(arg[1]) : nullptr;
    if (s && s->apply) s->apply(switches, arg + 2);
    if (!s) console::err("\n illegal Option.\n");
    if (trace::echoes_switches(switches.trace_level))
        echo_switch(switches, arg + (s ? s->echo_from : 1));
}

void read_switches(Switches &switches, int argc, const char *const *argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-' || argv[i][0] == '/') apply_switch(switches, argv[i]);
}
