// How the stand-in draws each pen: a terminal colour and a drawing colour.
#pragma once

namespace host {

struct PenColour {
    const char *ansi; // SGR parameters
    const char *rgb;  // for the drawing
};

inline const PenColour &pen_colour(int pen) {
    static const PenColour pens[10] = {{"39", "#000000"}, {"36", "#0090c0"}, {"1", "#000000"},
                                       {"32", "#00a000"}, {"33", "#c09000"}, {"35", "#c000c0"},
                                       {"34", "#0000e0"}, {"96", "#00c0c0"}, {"31", "#e00000"},
                                       {"90", "#808080"}};
    return pens[pen >= 0 && pen <= 9 ? pen : 0];
}

} // namespace host
