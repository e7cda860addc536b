// Shift_JIS (code page 932) <-> UTF-8 for the host stand-in, through iconv.
#pragma once

#include <string>
#include <string_view>

namespace host {

// Turns a UTF-8 file into an exchange file as a host writes it: Shift_JIS,
// every line ended with CR LF, a leading byte order mark dropped. On failure
// returns false with a one-line message that names the line and byte.
bool utf8_to_exchange(std::string_view utf8, std::string &exchange, std::string &error);

// Both conversions, open while it lives: one for each pass over a file, so
// that a line costs no iconv_open.
class Codec {
  public:
    Codec();
    ~Codec();
    Codec(const Codec &) = delete;
    Codec &operator=(const Codec &) = delete;

    // utf8_to_exchange for one line (its LF excluded, a CR before it
    // dropped), appended to exchange; line is its number for the message.
    bool utf8_line_to_exchange(std::string_view text, std::size_t line, std::string &exchange,
                               std::string &error);

    // Decodes Shift_JIS for the terminal; a byte that does not decode shows as \xNN.
    std::string sjis_to_utf8(std::string_view sjis);

    // Whether every byte of bytes decodes as Shift_JIS (code page 932).
    bool is_shift_jis(std::string_view bytes);

  private:
    void *to_sjis_, *to_utf8_; // iconv descriptors
};

// Codec::sjis_to_utf8 for a one-off text.
std::string sjis_to_utf8(std::string_view sjis);

// Whether bytes is all valid UTF-8: a selection that is not Shift_JIS but is
// UTF-8 was most likely saved as UTF-8.
bool is_utf8(std::string_view bytes);

// Length of the Shift_JIS character starting at bytes[at]: 2 for a lead byte
// with a byte after it, otherwise 1.
std::size_t sjis_char_length(std::string_view bytes, std::size_t at);

} // namespace host
