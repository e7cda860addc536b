#include "sjis.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iconv.h>

namespace host {

namespace {

iconv_t open_iconv(const char *to, const char *from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "digit-tint-host: iconv cannot convert %s to %s\n", from, to);
        std::exit(1);
    }
    return cd;
}

// Converts as much of in as it can and appends it to out. Returns the number
// of input bytes consumed; less than in.size() means the byte there failed.
std::size_t convert(void *descriptor, std::string_view in, std::string &out) {
    const auto cd = static_cast<iconv_t>(descriptor);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *src = const_cast<char *>(in.data());
    std::size_t src_left = in.size();
    char chunk[256];
    while (src_left > 0) {
        char *dst = chunk;
        std::size_t dst_left = sizeof chunk;
        std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
        out.append(chunk, static_cast<std::size_t>(dst - chunk));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    return in.size() - src_left;
}

// Length of the valid UTF-8 sequence at s[at] and its code point, or 0 where
// the bytes there are not valid UTF-8 (overlong forms and surrogates included).
std::size_t utf8_sequence(std::string_view s, std::size_t at, char32_t &cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b = byte(at);
    std::size_t len = b < 0x80             ? 1
                      : (b & 0xE0) == 0xC0 ? 2
                      : (b & 0xF0) == 0xE0 ? 3
                      : (b & 0xF8) == 0xF0 ? 4
                                           : 0;
    if (len == 0 || at + len > s.size()) return 0;
    cp = len == 1 ? b : b & (0x7F >> len);
    for (std::size_t i = 1; i < len; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (byte(at + i) & 0x3F);
    }
    static const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return len;
}

std::string line_error(std::size_t line, std::size_t byte, const std::string &what) {
    return "line " + std::to_string(line) + ", byte " + std::to_string(byte) + ": " + what;
}

// The reason the line cannot be encoded, given where iconv stopped.
std::string why_not_encoded(std::string_view text, std::size_t at, std::size_t line) {
    char32_t cp = 0;
    std::size_t len = utf8_sequence(text, at, cp);
    char what[96];
    if (len == 0)
        std::snprintf(what, sizeof what, "not valid UTF-8 (byte 0x%02X)",
                      static_cast<unsigned char>(text[at]));
    else
        std::snprintf(what, sizeof what, "U+%04X \"%.*s\" has no Shift_JIS form",
                      static_cast<unsigned>(cp), static_cast<int>(len), text.data() + at);
    return line_error(line, at + 1, what);
}

} // namespace

Codec::Codec() : to_sjis_(open_iconv("CP932", "UTF-8")), to_utf8_(open_iconv("UTF-8", "CP932")) {}

Codec::~Codec() {
    iconv_close(static_cast<iconv_t>(to_sjis_));
    iconv_close(static_cast<iconv_t>(to_utf8_));
}

bool Codec::utf8_line_to_exchange(std::string_view text, std::size_t line, std::string &exchange,
                                  std::string &error) {
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    const std::size_t done = convert(to_sjis_, text, exchange);
    if (done < text.size()) {
        error = why_not_encoded(text, done, line);
        return false;
    }
    exchange += "\r\n";
    return true;
}

bool utf8_to_exchange(std::string_view utf8, std::string &exchange, std::string &error) {
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    exchange.clear();
    Codec codec;
    for (std::size_t line = 1; !utf8.empty(); ++line) {
        const std::size_t end = utf8.find('\n');
        const std::string_view text = utf8.substr(0, end);
        utf8.remove_prefix(end == std::string_view::npos ? utf8.size() : end + 1);
        if (!codec.utf8_line_to_exchange(text, line, exchange, error)) return false;
    }
    return true;
}

namespace {

// Control bytes would steer the terminal (or break the drawing's XML): show
// them as \xNN. UTF-8 never uses bytes below 0x80 inside a character.
std::string escape_controls(const std::string &text) {
    std::string out;
    for (char c : text) {
        const unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 0x20 && b != 0x7F) || b == '\t' || b >= 0x80) {
            out += c;
            continue;
        }
        char shown[8];
        std::snprintf(shown, sizeof shown, "\\x%02X", b);
        out += shown;
    }
    return out;
}

} // namespace

std::string Codec::sjis_to_utf8(std::string_view sjis) {
    std::string out;
    while (!sjis.empty()) {
        std::size_t done = convert(to_utf8_, sjis, out);
        if (done == sjis.size()) break;
        char shown[8];
        std::snprintf(shown, sizeof shown, "\\x%02X", static_cast<unsigned char>(sjis[done]));
        out += shown;
        sjis.remove_prefix(done + 1);
    }
    return escape_controls(out);
}

bool Codec::is_shift_jis(std::string_view bytes) {
    std::string decoded;
    return convert(to_utf8_, bytes, decoded) == bytes.size();
}

std::string sjis_to_utf8(std::string_view sjis) {
    return Codec().sjis_to_utf8(sjis);
}

bool is_utf8(std::string_view bytes) {
    char32_t cp = 0;
    for (std::size_t at = 0, len = 0; at < bytes.size(); at += len)
        if ((len = utf8_sequence(bytes, at, cp)) == 0) return false;
    return true;
}

std::size_t sjis_char_length(std::string_view bytes, std::size_t at) {
    const unsigned char b = static_cast<unsigned char>(bytes[at]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return lead && at + 1 < bytes.size() ? 2 : 1;
}

} // namespace host
