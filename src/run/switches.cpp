#include "run/switches.hpp"

#include <cmath>

#include "stream/ascii.hpp"
#include "stream/console.hpp"
#include "stream/scan.hpp"
#include "trace/trace.hpp"

namespace {

// Integer settings take 0..9; a negative value is out of range as well.
void set_digit(int &target, const char *value) {
    if (*value == '\0') return;
    const int v = stream::scan::to_int(value);
    if (static_cast<unsigned>(v) <= 9) target = v;
}

void set_pen(RunState &run, const char *value) {
    set_digit(run.pen_switch, value);
}
void set_mode(RunState &run, const char *value) {
    set_digit(run.trace.mode, value);
}
void set_second_mode(RunState &run, const char *value) {
    set_digit(run.trace.second_mode, value);
}

void set_angle(RunState &run, const char *value) {
    if (*value == '\0') return;
    const double v = stream::scan::to_double(value);
    if (std::fabs(v) < 360.0) run.trace.angle = v;
}

// The value's first word, cut to what the setting holds.
void set_word(RunState &run, const char *value) {
    auto &word = run.trace.word;
    stream::scan::skip_space(value);
    if (*value == '\0') return;
    std::size_t n = 0;
    while (n < sizeof word - 1 && value[n] != '\0' && !stream::scan::is_space(value[n])) {
        word[n] = value[n];
        ++n;
    }
    word[n] = '\0';
}

// Only the first character counts; anything but 1..6 turns tracing off.
void set_trace(RunState &run, const char *value) {
    run.trace.level = 0;
    if (*value >= '1' && *value <= '6') run.trace.level = *value - '0';
}

struct Switch {
    char letter;
    void (*apply)(RunState &, const char *value); // null: accepted without effect
    int echo_from; // where the trace echo starts showing the argument
};

constexpr Switch switch_table[] = {
    {'k', set_pen, 2},  {'m', set_mode, 2},  {'l', set_second_mode, 2}, {'p', set_angle, 2},
    {'s', set_word, 1}, {'t', set_trace, 2}, {'a', nullptr, 2},         {'b', nullptr, 2},
    {'c', nullptr, 2},  {'d', nullptr, 2},   {'e', nullptr, 2},         {'g', nullptr, 2},
    {'h', nullptr, 2},  {'n', nullptr, 2},   {'o', nullptr, 2},         {'u', nullptr, 1},
    {'w', nullptr, 2},
};

const Switch *find_switch(char letter) {
    letter = stream::to_lower(letter);
    for (const Switch &s : switch_table)
        if (s.letter == letter) return &s;
    return nullptr;
}

} // namespace

void apply_switch(RunState &run, const char *arg) {
    const Switch *s = arg[0] != '\0' ? find_switch(arg[1]) : nullptr;
    if (s && s->apply) s->apply(run, arg + 2);
    if (!s) stream::console::err("\n illegal Option.\n");
    trace::switch_applied(run, arg, s ? s->echo_from : 1);
}

void read_switches(RunState &run, int argc, const char *const *argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-' || argv[i][0] == '/') apply_switch(run, argv[i]);
    trace::switches_read(run.trace);
}
