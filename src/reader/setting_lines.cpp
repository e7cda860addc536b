#include "reader/setting_lines.hpp"

#include <string_view>

#include "stream/scan.hpp"
#include "stream/text_out.hpp"

namespace scan = stream::scan;

namespace {

using ScanInt = bool (*)(const char *&, int &);
constexpr ScanInt hex = scan::hex_integer, decimal = scan::integer;

// A start attribute stays open while it holds not_yet_seen, so a record that
// itself carries 20 leaves it open for the next one.
void take_first(int &start, int current) {
    if (start == not_yet_seen) start = current;
}

// The first text size record decides for the whole run; a free size is
// taken whole, with the values its record just scanned.
void take_first_free_size(StartAttributes &start, const FreeSize &current) {
    if (start.text_type != not_yet_seen) return;
    start.text_type = 0;
    start.free_size = current;
}

// The value stands right behind the two-byte head.
void read_setting(RunState &run, RecordLine line, ScanInt scan_value, int DrawingSettings::*setting,
                  int StartAttributes::*start) {
    echo(run, line);
    const char *p = text_from(line, 2);
    scan_value(p, run.current.*setting);
    take_first(run.start.*start, run.current.*setting);
}

// "cn0 w h d c": each value scans only where the one before it did.
void read_free_size(RunState &run, RecordLine line) {
    FreeSize &size = run.current.free_size;
    run.current.text_type = 0;
    const char *p = text_from(line, 3);
    if (scan::real(p, size.width) && scan::real(p, size.height) && scan::real(p, size.spacing))
        scan::integer(p, size.colour);
    take_first_free_size(run.start, size);
}

} // namespace

void echo(RunState &run, RecordLine line) {
    stream::put(run.output, line);
}

void read_layer_group(RunState &run, RecordLine line) {
    read_setting(run, line, hex, &DrawingSettings::layer_group, &StartAttributes::layer_group);
}
void read_layer(RunState &run, RecordLine line) {
    read_setting(run, line, hex, &DrawingSettings::layer, &StartAttributes::layer);
}
void read_line_type(RunState &run, RecordLine line) {
    read_setting(run, line, decimal, &DrawingSettings::line_type, &StartAttributes::line_type);
}
void read_line_colour(RunState &run, RecordLine line) {
    read_setting(run, line, decimal, &DrawingSettings::line_colour, &StartAttributes::line_colour);
}
void read_point_pen(RunState &run, RecordLine line) {
    read_setting(run, line, hex, &DrawingSettings::point_pen, &StartAttributes::point_pen);
}

// "cn0 ..." a free size, "cn\"..." nothing further, anything else a numbered
// text type.
void read_text_size(RunState &run, RecordLine line) {
    const char kind = byte_at(line, 2);
    if (kind == '"') return echo(run, line);
    if (kind == '0') {
        echo(run, line);
        return read_free_size(run, line);
    }
    read_setting(run, line, decimal, &DrawingSettings::text_type, &StartAttributes::text_type);
}
