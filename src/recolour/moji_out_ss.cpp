#include "recolour/moji_out_ss.hpp"

#include <initializer_list>

#include "state/state.hpp"
#include "stream/format.hpp"
#include "stream/text_out.hpp"

void MojiOutSS(const char *head, double x, double y, double dx, double dy, std::string_view text) {
    stream::LineBuf b;
    stream::add(b, head);
    for (double v : {x, y, dx, dy}) {
        stream::add(b, " ");
        stream::add_fixed(b, v, 9);
    }
    stream::add(b, " \"");
    stream::add(b, text);
    stream::add(b, "\n");
    stream::put(fpw, stream::view(b));
}
