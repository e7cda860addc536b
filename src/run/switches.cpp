#include "run/switches.hpp"

#include <cmath>
#include <initializer_list>
#include <iterator>
#include <string_view>

#include "recolour/digit_runs.hpp"
#include "run/exchange_names.hpp"
#include "run/messages.hpp"
#include "stream/ascii.hpp"
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

constexpr char highest_trace_digit = static_cast<char>('0' + exchange::highest_trace_level);

// Only the first character counts; anything but a level from 1 up turns
// tracing off.
void set_trace(RunState &run, const char *value) {
    run.trace.level = 0;
    if (*value >= '1' && *value <= highest_trace_digit) run.trace.level = *value - '0';
}

// Text joined at compile time, so that the usage names the constants the
// run uses.
template <std::size_t length> struct Joined {
    char text[length + 1] = {};
    constexpr Joined(std::initializer_list<std::string_view> parts) {
        std::size_t n = 0;
        for (const std::string_view part : parts)
            for (const char c : part) text[n++] = c;
    }
};

constexpr std::string_view trace_form_start = "/t1../t";
constexpr Joined<trace_form_start.size() + 1> trace_form{trace_form_start,
                                                         {&highest_trace_digit, 1}};
constexpr std::string_view pen_effect_start = "pen digit written after ";
constexpr std::string_view pen_effect_end = "; /k0 or no /k: pen 5";
constexpr Joined<pen_effect_start.size() + pen_escape.size() + pen_effect_end.size()> pen_effect{
    pen_effect_start, pen_escape, pen_effect_end};
constexpr std::string_view trace_effect_start = "trace level: the result is left in ";
constexpr Joined<trace_effect_start.size() + std::string_view(exchange::work_name).size()>
    trace_effect{trace_effect_start, exchange::work_name};

// The usage lists the table's letters in its order, those that share an
// effect on one line.
constexpr const char *trace_only = "shown in the trace only";
constexpr const char *no_effect = "accepted, no effect";

struct Switch {
    char letter;
    void (*apply)(RunState &, const char *value); // null: accepted without effect
    int echo_from;      // where the trace echo starts showing the argument
    const char *form;   // the switch as the usage shows it
    const char *effect; // what the usage says it does
};

constexpr Switch switch_table[] = {
    {'k', set_pen, 2, "/k0../k9", pen_effect.text},
    {'t', set_trace, 2, trace_form.text, trace_effect.text},
    {'m', set_mode, 2, "/m0../m9", trace_only},
    {'l', set_second_mode, 2, "/l0../l9", trace_only},
    {'p', set_angle, 2, "/pANGLE", trace_only},
    {'s', set_word, 1, "/sWORD", trace_only},
    {'a', nullptr, 2, "/a", no_effect},
    {'b', nullptr, 2, "/b", no_effect},
    {'c', nullptr, 2, "/c", no_effect},
    {'d', nullptr, 2, "/d", no_effect},
    {'e', nullptr, 2, "/e", no_effect},
    {'g', nullptr, 2, "/g", no_effect},
    {'h', nullptr, 2, "/h", no_effect},
    {'n', nullptr, 2, "/n", no_effect},
    {'o', nullptr, 2, "/o", no_effect},
    {'u', nullptr, 1, "/u", no_effect},
    {'w', nullptr, 2, "/w", no_effect},
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
    if (!s) messages::illegal_option();
    trace::switch_applied(run, arg, s ? s->echo_from : 1);
}

void read_switches(RunState &run, int argc, const char *const *argv) {
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-' || argv[i][0] == '/') apply_switch(run, argv[i]);
    trace::switches_read(run.trace);
}

void add_switch_usage(stream::LineBuf &b) {
    constexpr std::string_view indent = "  ", column = "                ";
    for (std::size_t i = 0; i < std::size(switch_table);) {
        const std::string_view effect = switch_table[i].effect;
        stream::LineBuf forms;
        for (; i < std::size(switch_table) && switch_table[i].effect == effect; ++i)
            stream::append(forms, forms.len ? " " : "", switch_table[i].form);
        stream::append(b, indent, stream::view(forms));
        const std::size_t used = indent.size() + forms.len;
        // A group too long for the column gets its effect on a line of its own.
        if (used < column.size())
            stream::append(b, column.substr(used));
        else
            stream::append(b, "\n", column);
        stream::append(b, effect, "\n");
    }
}
