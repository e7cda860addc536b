#include "difference.hpp"

#include <algorithm>
#include <cstdio>

namespace support {

std::string escape(std::string_view bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\\')
            out += "\\\\";
        else if (c >= 0x20 && c < 0x7F)
            out += static_cast<char>(c);
        else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

namespace {

// The bytes from..from+length of s, escaped, with "..." where s goes on.
std::string excerpt(std::string_view s, std::size_t from, std::size_t length) {
    from = std::min(from, s.size());
    const std::size_t to = std::min(s.size(), from + length);
    std::string out = from > 0 ? "..." : "";
    out += escape(s.substr(from, to - from));
    if (to < s.size()) out += "...";
    if (from == s.size()) out += "(end)";
    return out;
}

} // namespace

std::string first_difference(std::string_view got, std::string_view want, std::size_t context,
                             std::string_view got_label, std::string_view want_label) {
    const auto parted = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    const auto at = static_cast<std::size_t>(parted.first - got.begin());
    if (at == got.size() && at == want.size()) return "";
    const std::size_t from = at > context ? at - context : 0;
    const std::size_t width = std::max(got_label.size(), want_label.size()) + 2;
    auto line = [&](std::string_view label, std::string_view side) {
        std::string text = "\n    " + std::string(label) + ":";
        text.append(width - label.size() - 1, ' ');
        return text + excerpt(side, from, at - from + context);
    };
    return "sizes " + std::to_string(got.size()) + " and " + std::to_string(want.size()) +
           "; first difference at byte " + std::to_string(at) + line(got_label, got) +
           line(want_label, want);
}

} // namespace support
