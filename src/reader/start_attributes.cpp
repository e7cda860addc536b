#include "reader/start_attributes.hpp"

#include "state/state.hpp"
#include "stream/format.hpp"
#include "stream/text_out.hpp"

// A field stays open while it holds the not-yet-seen value, so a record that
// itself carries 20 leaves it open for the next one.
static void take_first(int &field, int current) {
    if (field == not_yet_seen) field = current;
}

void first_seen_group() {
    take_first(startAttr.GROUPi, GROUP);
}
void first_seen_layer() {
    take_first(startAttr.LAYERi, LAYER);
}
void first_seen_type() {
    take_first(startAttr.TYPEi, TYPE);
}
void first_seen_color() {
    take_first(startAttr.COLORi, COLOR);
}
void first_seen_tens() {
    take_first(startAttr.TENSi, TENS);
}
void first_seen_mojik() {
    take_first(startAttr.MOJIKi, MOJIK);
}
void first_seen_text_type() {
    take_first(startAttr.MOJISi, MOJIS);
}

// The first cn record decides the text size for the whole run.
void first_seen_free_size() {
    if (startAttr.MOJISi != not_yet_seen) return;
    startAttr.MOJISi = 0;
    startAttr.MOJIWi = MOJI_W[0];
    startAttr.MOJIHi = MOJI_H[0];
    startAttr.MOJIDi = MOJI_D[0];
    startAttr.MOJICi = MOJI_C[0];
}

static void write_text_size(stream::LineBuf &b) {
    if (startAttr.MOJIWi > 0) {
        stream::add(b, "cn0 ");
        stream::add_fixed(b, startAttr.MOJIWi, 2);
        stream::add(b, " ");
        stream::add_fixed(b, startAttr.MOJIHi, 2);
        stream::add(b, " ");
        stream::add_fixed(b, startAttr.MOJIDi, 2);
        stream::add(b, " ");
        stream::add_int(b, startAttr.MOJICi);
        stream::add(b, "\n");
    }
    if (startAttr.MOJISi != 0 && startAttr.MOJISi <= 10) {
        stream::add(b, "cn");
        stream::add_int(b, startAttr.MOJISi);
        stream::add(b, "\n");
    }
}

void IniZokusei() {
    stream::LineBuf b;
    write_text_size(b);
    stream::add(b, "lg");
    stream::add_hex(b, static_cast<std::uint32_t>(startAttr.GROUPi));
    stream::add(b, "\nly");
    stream::add_hex(b, static_cast<std::uint32_t>(startAttr.LAYERi));
    stream::add(b, "\nlt");
    stream::add_int(b, startAttr.TYPEi);
    stream::add(b, "\nlc");
    stream::add_int(b, startAttr.COLORi);
    stream::add(b, "\n");
    if (startAttr.TENSi <= 9) {
        stream::add(b, "pn");
        stream::add_int(b, startAttr.TENSi);
        stream::add(b, "\n");
    }
    stream::end_open_line(fpw);
    stream::put(fpw, stream::view(b));
}
