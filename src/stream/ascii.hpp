// ASCII bytes as the C locale classes them, the same on every platform.
#pragma once

namespace stream {

constexpr bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}

constexpr char to_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

} // namespace stream
