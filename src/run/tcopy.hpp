// The line count of the exchange file.
#pragma once

#include <cstdint>
#include <optional>

// Counts the line reads of source, stopping at one past the line limit, and
// creates or truncates destination as a line-by-line copy into it would;
// the copy itself is not kept, because the work file is opened afresh next.
// On failure the message names the file, and the result is empty.
std::optional<std::uint32_t> Tcopy(const char *source, const char *destination);

// The "Cannot open file: %s \n" message.
void report_cannot_open(const char *name);
