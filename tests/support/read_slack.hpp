// A field as a record line holds it: followed by the slack that every read
// has, which the word-at-a-time scans may load.
#pragma once

#include <string>

#include "stream/text_in.hpp"

namespace support {

inline std::string with_read_slack(const std::string &text) {
    return text + std::string(stream::read_slack, '\0');
}

} // namespace support
