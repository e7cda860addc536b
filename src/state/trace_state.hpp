// The trace level, what each level shows, and what only the trace lines read.
// Level 0 is a normal run; every other level leaves the exchange file alone
// and the result in the work file.
#pragma once

namespace trace {

constexpr bool hands_result_back(int level) {
    return level == 0;
}
// The "Cmd-Option read" and "copyed" lines, and every text record's rewrite.
constexpr bool shows_recolouring(int level) {
    return level == 2;
}
constexpr bool shows_hand_points(int level) {
    return level == 3;
}
constexpr bool prints_run_summary(int level) {
    return level == 3;
}
constexpr bool writes_run_summary(int level) {
    return level == 1;
}
// Every record line as read.
constexpr bool shows_every_line(int level) {
    return level == 5;
}
// Each switch from the one that raised the level past 2 on.
constexpr bool echoes_switches(int level) {
    return level > 2;
}
// The phase marker shows only in the run summary; at other levels line
// elements and hand points decide nothing written and need no scan.
constexpr bool shows_phase(int level) {
    return prints_run_summary(level) || writes_run_summary(level);
}

// Numbered hand points, shown by the level-3 trace.
struct HandPoints {
    static constexpr int slots = 4; // indexes 0..3 have a slot
    static constexpr bool has_slot(int index) { return index >= 0 && index < slots; }
    int index = 0; // from the last hand-point record that scanned one
    double x[slots] = {};
    double y[slots] = {};
};

// The phase marker that the run summary shows: 1 after "hq", 2 after a hand
// point of the "ln" or "ch" form, 3 after a line element whose ends differ.
struct Phase {
    int marker = 0;
    // Ends of the last line element (x1, y1, x2, y2): a line element that
    // scans none of its numbers compares these again.
    double line_ends[4] = {};
};

// "/l" not given: the value the trace lines show for it.
constexpr int no_second_mode = 20;

struct TraceState {
    int level = 0;                    // /t, up to highest_trace_level; 0 hands the result back
    int mode = 1;                     // /m, shown as "iMode"
    int second_mode = no_second_mode; // /l, shown as "iMode2"
    double angle = 10.0;              // /p
    char word[128] = {};              // first word of /s, at most 127 bytes
    HandPoints hand_points;           // at level 3
    Phase phase;                      // at levels 1 and 3
    bool cut = false; // a trace line was cut to fit its buffer: stdout did not get it whole
};

} // namespace trace
