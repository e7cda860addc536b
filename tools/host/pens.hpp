// How the stand-in shows each pen: a terminal colour, and a drawing colour
// that reads on a white page and stands apart from the plain text.
#pragma once

namespace host {

struct PenColour {
    const char *ansi; // SGR parameters
    const char *rgb;  // for the drawing
};

// The drawing's plain text; no pen colour comes close to it.
inline constexpr const char *text_rgb = "#202020";

inline const PenColour &pen_colour(int pen) {
    static const PenColour pens[10] = {
        {"38;5;91", "#7b3294"}, {"36", "#0072b2"}, {"38;5;208", "#b35300"}, {"32", "#2e7d32"},
        {"33", "#7d7000"},      {"35", "#c000c0"}, {"34", "#2233dd"},       {"96", "#007d72"},
        {"31", "#d00000"},      {"90", "#6b6b6b"}};
    return pens[pen >= 0 && pen <= 9 ? pen : 0];
}

} // namespace host
