#include "run/work_file.hpp"

#include <limits>
#include <string_view>

#include "os/os.hpp"
#include "stream/ascii.hpp"
#include "stream/format.hpp"

namespace work_file {

namespace {

// The length of the number at the start of text, written as the tool writes
// one: digits, no leading zero. Zero where there is none.
std::size_t number_length(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && stream::is_digit(static_cast<unsigned char>(text[n]))) ++n;
    return n > 1 && text[0] == '0' ? 0 : n;
}

// Whether rest, what follows own_prefix, is what make_own_name writes there:
// a process id, and "-<attempt>" for an attempt after the first. Nothing
// wider: any other name is someone else's file.
bool is_own_suffix(std::string_view rest) {
    const std::size_t id = number_length(rest);
    if (id == 0 || id > decimal_digits(std::numeric_limits<unsigned long>::max())) return false;
    if (id == rest.size()) return true;
    const std::string_view attempt = rest.substr(id + 1);
    const std::size_t n = number_length(attempt);
    return rest[id] == '-' && n == attempt.size() && n > 0 && n <= max_attempt_digits &&
           attempt != "0";
}

void make_own_name(OwnName &own, unsigned attempt) {
    auto b = stream::line_of(exchange::own_prefix, os::process_id());
    if (attempt > 0) stream::append(b, "-", attempt);
    const std::string_view name = stream::view(b);
    own.text[name.copy(own.text, sizeof own.text - 1)] = '\0';
}

} // namespace

const char *create(stream::TextOut &out, OwnName &own, unsigned permissions, bool locked) {
    // A name taken is a killed run's file, which only a run holding the lock may remove.
    bool name_taken = true;
    for (unsigned attempt = 0; attempt < attempts && name_taken; ++attempt) {
        make_own_name(own, attempt);
        if (stream::open_new(out, own.text, permissions, name_taken)) break;
    }
    if (!out.file) return exchange::work_name;
    os::Patience patience;
    if ((locked && !os::clear_names(exchange::own_prefix, is_own_suffix, own.text, patience)) ||
        !os::clear_name(exchange::work_name, own.text, patience)) {
        discard(out, own);
        return exchange::work_name;
    }
    return nullptr;
}

void write_overflow_line(stream::TextOut &out, std::uint32_t limit) {
    // "he", two blanks, the count-exceeded notice in Shift_JIS, four blanks
    const auto line = stream::line_of(
        "he  \x97\x76\x91\x66\x90\x94\x83\x49\x81\x5B\x83\x6F\x81\x5B    MAX=", limit, "\n");
    stream::put(out, line);
}

const char *finish(stream::TextOut &out, const OwnName &own, bool hand_back) {
    // A held file costs the hand-back about a second, whatever the steps after.
    os::Patience patience;
    if (!stream::close_out(out)) {
        os::remove_own_file(own.text, patience);
        return exchange::work_name;
    }
    const char *place = hand_back ? exchange::exchange_name : exchange::work_name;
    if (os::replace_file(own.text, place, patience)) return nullptr;
    if (!hand_back || !os::replace_file(own.text, exchange::work_name, patience))
        os::remove_own_file(own.text, patience);
    return place;
}

void discard(stream::TextOut &out, const OwnName &own) {
    stream::close_out(out);
    os::Patience patience;
    os::remove_own_file(own.text, patience);
}

} // namespace work_file
