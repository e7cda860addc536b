// How the stand-in shows each pen: a terminal colour, and a drawing colour
// that reads on a white page and stands apart from the plain text and from
// every other pen (CIEDE2000 of 25 or more between any two of them).
#pragma once

namespace host {

struct PenColour {
    const char *name; // one word for both, as the README lists them
    const char *ansi; // SGR parameters
    const char *rgb;  // for the drawing
};

// The drawing's plain text; no pen colour comes close to it.
inline constexpr const char *text_rgb = "#202020";

inline constexpr int pen_count = 10;

inline const PenColour &pen_colour(int pen) {
    static const PenColour pens[pen_count] = {
        {"purple", "38;5;91", "#46047d"},  {"teal", "38;5;30", "#116773"},
        {"orange", "38;5;208", "#a66500"}, {"green", "32", "#00864f"},
        {"olive", "38;5;100", "#4b4e00"},  {"magenta", "35", "#c811da"},
        {"blue", "34", "#2f6bf2"},         {"crimson", "38;5;161", "#9e0049"},
        {"red", "31", "#e90211"},          {"grey", "90", "#726e72"}};
    return pens[pen >= 0 && pen < pen_count ? pen : 0];
}

} // namespace host
