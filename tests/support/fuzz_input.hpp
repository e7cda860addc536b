// How a fuzz input is read: three switch bytes, then the exchange file.
//   byte 0  trace:  '0' up to the highest level's digit give /t0 up to it, 't' gives
//                   /t alone, 'T' gives /T2
//   byte 1  pen:    '0'..'9' give /k0../k9, 'k' gives /k12, 'n' gives /k-1
//   byte 2  other:  see other_switch(); anything unlisted adds no switch
// so "___" in front of a file runs it without switches. The fuzz target and
// the refactor guard (tools/guard) both read the corpus this way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "run/exchange_names.hpp"

namespace fuzz_input {

inline std::string trace_switch(char c) {
    if (c >= '0' && c <= '0' + exchange::highest_trace_level) return std::string("/t") + c;
    if (c == 't') return "/t";
    if (c == 'T') return "/T2";
    return "";
}

inline std::string pen_switch(char c) {
    if (c >= '0' && c <= '9') return std::string("/k") + c;
    if (c == 'k') return "/k12";
    if (c == 'n') return "/k-1";
    return "";
}

inline std::string other_switch(char c) {
    switch (c) {
    case 'm': return "/m4";
    case 'l': return "/L9";
    case 'p': return "/p-359.5";
    case 'P': return "/p360";
    case 's': return "/s  word rest";
    case 'S': return "/s" + std::string(300, 'w'); // longer than the setting holds
    case 'a': return "-a";
    case 'x': return "/x"; // refused: one message on stderr, the run goes on
    case '/': return "/";
    case 'q': return "plain"; // not a switch at all
    default: return "";
    }
}

// Bytes this short hold no input.
constexpr std::size_t header_size = 3;

// The switches of an input of at least header_size bytes, in order.
inline std::vector<std::string> switches(std::string_view input) {
    std::vector<std::string> args;
    for (const std::string &a :
         {trace_switch(input[0]), pen_switch(input[1]), other_switch(input[2])})
        if (!a.empty()) args.push_back(a);
    return args;
}

// The exchange file of an input of at least header_size bytes.
inline std::string_view exchange_file(std::string_view input) {
    return input.substr(header_size);
}

} // namespace fuzz_input
