#include "run/switches.hpp"

#include <cmath>
#include <iterator>
#include <string_view>

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

// The usage lists the table's letters in its order, those that share an
// effect on one line.
constexpr const char *trace_only = "shown in the trace only";
constexpr const char *no_effect = "accepted, no effect";

struct Switch {
    char letter;
    void (*apply)(Switches &, const char *value); // null: accepted without effect
    int echo_from;      // where the trace echo starts showing the argument
    const char *form;   // the switch as the usage shows it
    const char *effect; // what the usage says it does
};

constexpr Switch switch_table[] = {
    {'k', set_pen, 2, "/k0../k9", "pen digit written after ^$; /k0 or no /k: pen 5"},
    {'t', set_trace, 2, "/t1../t6", "trial run: the result is left in JWC_TEMP.$$$"},
    {'m', set_m, 2, "/m0../m9", trace_only},
    {'l', set_l, 2, "/l0../l9", trace_only},
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
