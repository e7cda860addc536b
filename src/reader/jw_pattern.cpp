#include "reader/jw_pattern.hpp"

#include <array>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "reader/hand_point.hpp"
#include "reader/start_attributes.hpp"
#include "recolour/chr_pro.hpp"
#include "state/state.hpp"
#include "stream/console.hpp"
#include "stream/scan.hpp"
#include "stream/text_in.hpp"
#include "stream/text_out.hpp"

namespace {

// One record line as read: its bytes (NULs included) and its index.
struct Record {
    const char *text;
    std::size_t len;
    std::uint32_t jd_x;
};

// The line from offset k on, or its terminator where k lies beyond its end,
// so that a scan there converts nothing.
const char *from(const Record &r, std::size_t k) {
    return r.text + (k <= r.len ? k : r.len);
}

void echo(const Record &r) {
    stream::put(fpw, std::string_view(r.text, r.len));
}

// Scans "%lf %lf ..." into targets from left to right, stopping at the first
// field that does not convert.
void scan_doubles(const char *p, std::initializer_list<double *> targets) {
    for (double *t : targets)
        if (!scan::lf(p, *t)) return;
}

void scan_table(const char *p, double (&table)[MOJI_entries]) {
    for (int i = 1; i < MOJI_entries; ++i)
        if (!scan::lf(p, table[i])) return;
}

void comment(const Record &r) {
    echo(r);
    PLreset();
}

void drawing_mark(const Record &r) {
    echo(r);
    isZUSUN = 1;
}

void line_element(const Record &r) {
    scan_doubles(from(r, 1), {&ILINEx1, &ILINEy1, &ILINEx2, &ILINEy2});
    if (ILINEx1 == ILINEx2 && ILINEy1 == ILINEy2) return;
    ++iLine_cnt;
    stepcnt = 3;
}

void text_kind(const Record &r) {
    echo(r);
    const char *p = from(r, 2);
    scan::d(p, MOJIK);
    first_seen_mojik();
}

void text_size(const Record &r) {
    echo(r);
    const char kind = r.len > 2 ? r.text[2] : '\0';
    if (kind == '"') return;
    if (kind == '0') {
        MOJIS = 0;
        const char *p = from(r, 3);
        if (scan::lf(p, MOJI_W[0]) && scan::lf(p, MOJI_H[0]) && scan::lf(p, MOJI_D[0]))
            scan::d(p, MOJI_C[0]);
        first_seen_free_size();
        return;
    }
    const char *p = from(r, 2);
    scan::d(p, MOJIS);
    first_seen_text_type();
}

void circle(const Record &r) {
    SK = 0.0;
    EK = 360.0;
    HP = -2.0;
    JK = 0.0;
    scan_doubles(from(r, 2), {&CX, &CY, &CR, &SK, &EK, &HP, &JK});
    ++iCi_cnt;
}

// "%lf %lf %lf %lf \"%260c": the four numbers, then everything after the
// opening quote to the line's end; nothing of an earlier text stays behind.
void scan_text_fields(const char *p) {
    for (double *t : {&ChX, &ChY, &ChDX, &ChDY})
        if (!scan::lf(p, *t)) return;
    scan::skip_space(p);
    if (*p != '"') return;
    std::size_t n = std::strlen(++p);
    if (n > ChSTR0_size - 1) n = ChSTR0_size - 1;
    std::memcpy(ChSTR0, p, n);
    ChSTR0[n] = '\0';
}

void text_record(const Record &r) {
    for (std::size_t i = 0; i < 2 && r.text[i] != '\0'; ++i) MOJI_head[i] = r.text[i]; // "%2c"
    scan_text_fields(from(r, 2));
    CHR_PRO(r.jd_x);
}

void header(const Record &) {
    stream::put(fpw, "hd\n");
    stepcnt = 1;
}

void hand_point(const Record &r) {
    HandPoint(r.text, r.len);
}

void scales(const Record &r) {
    const char *p = from(r, 3);
    for (double &s : G_SCALE)
        if (!scan::lf(p, s)) return;
}

void widths(const Record &r) {
    scan_table(from(r, 4), MOJI_W);
}
void heights(const Record &r) {
    scan_table(from(r, 4), MOJI_H);
}
void spacings(const Record &r) {
    scan_table(from(r, 4), MOJI_D);
}

void colours(const Record &r) {
    const char *p = from(r, 4);
    for (int i = 1; i < MOJI_entries; ++i)
        if (!scan::d(p, MOJI_C[i])) return;
}

// A setting line: echoed, its value scanned, its start attribute filled.
template <bool (*Scan)(const char *&, int &), int *Current, void (*FirstSeen)()>
void setting(const Record &r) {
    echo(r);
    const char *p = from(r, 2);
    Scan(p, *Current);
    FirstSeen();
}

void point(const Record &r) {
    scan_doubles(from(r, 2), {&KX[1], &KY[1]});
}

void polyline_mark(const Record &) {
    PLreset();
    iPL = 1;
    iPLcounter = 0;
    ++iPLcnt;
}

void attribute(const Record &r) {
    const char *p = from(r, 1);
    scan::d(p, ZOKU);
}

struct Head {
    std::string_view head;
    void (*handle)(const Record &);
};

// The first head that the record line begins with decides; a line whose head
// is not here is dropped. Longer heads stand before the shorter ones they extend.
constexpr Head heads[] = {
    {"#", comment},
    {"bz", drawing_mark},
    {" ", line_element},
    {"cc", text_kind},
    {"cn", text_size},
    {"ci", circle},
    {"c", text_record},
    {"hq", header},
    {"hp", hand_point},
    {"hs", scales},
    {"hcw", widths},
    {"hch", heights},
    {"hcd", spacings},
    {"hcc", colours},
    {"lg", setting<scan::x, &GROUP, first_seen_group>},
    {"ly", setting<scan::x, &LAYER, first_seen_layer>},
    {"lt", setting<scan::d, &TYPE, first_seen_type>},
    {"lc", setting<scan::d, &COLOR, first_seen_color>},
    {"l", echo},
    {"pn", setting<scan::x, &TENS, first_seen_tens>},
    {"pt", point},
    {"pl", polyline_mark},
    {"z", attribute},
};

constexpr std::size_t head_count = std::size(heads);

// The heads of one first byte stand together, so that a line is compared
// with those few only.
constexpr bool heads_grouped() {
    for (std::size_t i = 0; i < head_count; ++i)
        for (std::size_t j = i + 2; j < head_count; ++j)
            if (heads[j].head[0] == heads[i].head[0] && heads[j - 1].head[0] != heads[i].head[0])
                return false;
    return true;
}
static_assert(heads_grouped(), "heads of one first byte must stand together");

// Index of the first head of each first byte; head_count where none begins so.
constexpr auto first_head = [] {
    std::array<std::uint8_t, 256> at{};
    at.fill(head_count);
    for (std::size_t i = head_count; i-- > 0;)
        at[static_cast<unsigned char>(heads[i].head[0])] = static_cast<std::uint8_t>(i);
    return at;
}();

// Heads are one to three bytes: compared in place rather than by a call.
bool begins_with(std::string_view line, std::string_view head) {
    if (line.size() < head.size()) return false;
    for (std::size_t i = 0; i < head.size(); ++i)
        if (line[i] != head[i]) return false;
    return true;
}

void dispatch(const Record &r) {
    if (r.len == 0) return;
    const std::string_view line(r.text, r.len);
    for (std::size_t i = first_head[static_cast<unsigned char>(line[0])];
         i < head_count && heads[i].head[0] == line[0]; ++i) {
        if (begins_with(line, heads[i].head)) {
            heads[i].handle(r);
            return;
        }
    }
}

void trace_line_read(const Record &r, std::uint32_t jd_xmax, std::uint32_t jd_limit) {
    stream::LineBuf b;
    stream::add(b, "## ---- JW_PATTERN()  jwc_temp.txt processing --------\n##  jd_x=");
    stream::add_int(b, r.jd_x);
    stream::add(b, "/");
    stream::add_int(b, jd_xmax);
    stream::add(b, " : jd_x/jd_xmax  jd_limit=");
    stream::add_int(b, jd_limit);
    stream::add(b, "\n##  buf=(");
    stream::add(b, std::string_view(r.text, std::strlen(r.text)));
    stream::add(b, ")\n");
    console::out(b);
}

} // namespace

void PLreset() {
    iPL = 0;
    iPLcounter = 0;
    iKtensu = 0;
    KYleng = 0.0;
}

int JW_PATTERN(std::uint32_t jd_xmax, std::uint32_t jd_limit) {
    char buf[stream::line_buffer_size];
    bool continues_line = false; // the last read stopped inside a physical line
    for (std::uint32_t jd_x = 0; jd_x != jd_limit; ++jd_x) {
        std::size_t len = stream::read_line(fp, buf, sizeof buf);
        if (len == 0) break;
        // An echoed piece without its line end must not take on a later line.
        if (!continues_line) stream::end_open_line(fpw);
        continues_line = len == sizeof buf - 1 && buf[len - 1] != '\n';
        Record r{buf, len, jd_x};
        if (isTest == 5) trace_line_read(r, jd_xmax, jd_limit);
        dispatch(r);
    }
    return 0;
}
