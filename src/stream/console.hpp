// The standard streams, written as bytes: the same output on every platform,
// and stdout flushed before stderr so a shared console keeps the order.
#pragma once

#include <string_view>

#include "stream/format.hpp"

namespace stream::console {

// Binary mode for both streams where the platform has a text mode; standard
// streams that are closed are opened on the null device.
void init();
void out(std::string_view text);
// False when the line was cut to fit its buffer: stdout did not get it
// whole, which the caller must count as output lost.
[[nodiscard]] inline bool out(const stream::LineBuf &b) {
    out(stream::view(b));
    return !b.cut;
}
void err(std::string_view text);

// Flushes stdout; false when anything written there was lost.
bool flush_out();

} // namespace stream::console
