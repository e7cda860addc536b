// Writing side of the stream layer: every newline written goes to disk as
// CR LF, every other byte as it is, whatever the platform.
#pragma once

#include <cstddef>
#include <string_view>

namespace stream {

struct TextOut;

// Creates or truncates name; null when that fails.
TextOut *open_out(const char *name);

void put(TextOut *out, std::string_view bytes);

// Ends the output line when the last bytes written left it open, so that
// nothing written next is glued onto it.
void end_open_line(TextOut *out);

// Flushes and closes; false when any write, the flush or the close failed.
bool close_out(TextOut *out);

} // namespace stream
