// ASCII bytes as the C locale classes them, and the powers of ten that
// decimal digits scale by; the same on every platform.
#pragma once

#include <cstdint>

namespace stream {

constexpr bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}

constexpr char to_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// 10^0 to 10^9: the scales of up to nine decimals.
constexpr std::uint64_t powers_of_ten[] = {1,      10,      100,      1000,      10000,
                                           100000, 1000000, 10000000, 100000000, 1000000000};

} // namespace stream
