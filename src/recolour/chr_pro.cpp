#include "recolour/chr_pro.hpp"

#include "recolour/digit_tint.hpp"
#include "state/state.hpp"

int CHR_PRO(std::uint32_t jd_x) {
    constexpr int cut_at = ChSTR_size - 1; // 231 bytes
    int n = 0;
    while (n < cut_at) {
        const char c = ChSTR0[n];
        if (c == '\0' || c == '\r' || c == '\n') break;
        ChSTR[n++] = static_cast<unsigned char>(c);
    }
    ChSTR[n] = 0;
    return DIGIT_TINT(jd_x);
}
