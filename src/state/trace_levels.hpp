// What each trace level shows. Level 0 is a normal run; every other level
// leaves the exchange file alone and the result in the work file.
#pragma once

namespace trace {

constexpr bool hands_result_back(int level) {
    return level == 0;
}
// The "Cmd-Option read" and "copyed" lines, and every text record's rewrite.
constexpr bool shows_recolouring(int level) {
    return level == 2;
}
// Every switch as it is read, from the one that raised the level on.
constexpr bool echoes_switches(int level) {
    return level > 2;
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
constexpr bool shows_every_read(int level) {
    return level == 5;
}
// The phase marker shows only in the run summary; at other levels line
// elements and hand points decide nothing written and need no scan.
constexpr bool shows_phase(int level) {
    return prints_run_summary(level) || writes_run_summary(level);
}

} // namespace trace
