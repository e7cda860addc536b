// Everything one transform run keeps between record lines, in one object
// that the run creates and hands to whatever needs it. Nothing is kept that
// no output shows.
#pragma once

#include <cstddef>

#include "os/os.hpp"
#include "recolour/text_record.hpp"
#include "state/trace_state.hpp"
#include "stream/text_in.hpp"
#include "stream/text_out.hpp"

// A free text size, as a "cn0" record carries it.
struct FreeSize {
    double width = 0.0;
    double height = 0.0;
    double spacing = 0.0;
    int colour = 0;
};

// The last value read of each setting. A record whose value does not scan
// leaves the one before it.
struct DrawingSettings {
    int layer_group = 0; // "lg", hexadecimal
    int layer = 0;       // "ly", hexadecimal
    int line_type = 1;   // "lt"
    int line_colour = 1; // "lc"
    int point_pen = 1;   // "pn", hexadecimal
    int text_type = 1;   // "cn"; 0 for a free size
    FreeSize free_size;  // the last "cn0"
};

// A start attribute holding this value is still open: the next record of its
// kind fills it, even one that itself carries 20.
constexpr int not_yet_seen = 20;

// The first value of each setting, which the closing block sets again.
struct StartAttributes {
    int layer_group = not_yet_seen;
    int layer = not_yet_seen;
    int line_type = not_yet_seen;
    int line_colour = not_yet_seen;
    int point_pen = not_yet_seen;
    int text_type = not_yet_seen; // 0 when the first text size was a free one
    // Taken only when the first text size is a free one; the negative width
    // keeps the free-size line out of the closing block until then.
    FreeSize free_size{-20.0, 20.0, 20.0, not_yet_seen};
};

// The name of the run's own that the work file is open under until it is
// moved into place or removed. run/work_file.hpp makes it from names this
// layer does not see, and checks there that its longest form fits.
struct OwnName {
    static constexpr std::size_t room = 64;
    char text[room];
    os::FileId id; // the file created under text, which alone is ever moved or removed
};

// "/k" not given: the pen switch then chooses the default pen.
constexpr int no_pen_switch = 20;

struct RunState {
    int pen_switch = no_pen_switch; // 0..9 from /k
    trace::TraceState trace;        // the trace level, and what only trace lines read
    DrawingSettings current;
    StartAttributes start;
    TextRecord text;
    stream::TextIn input;   // the exchange file, read twice: counted, then read
    stream::TextOut output; // the work file the result is built in,
    OwnName own_name;       // under this name
};
