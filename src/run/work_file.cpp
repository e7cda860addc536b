#include "run/work_file.hpp"

#include <string_view>

#include "os/os.hpp"
#include "stream/ascii.hpp"
#include "stream/format.hpp"

namespace work_file {

namespace {

// What follows own_prefix in a name of a run's own: digits and dashes.
bool is_own_suffix(std::string_view rest) {
    if (rest.empty()) return false;
    for (const char c : rest)
        if (!stream::is_digit(static_cast<unsigned char>(c)) && c != '-') return false;
    return true;
}

// The work name and a dot, which every name of a run's own begins with.
stream::LineBuf own_prefix() {
    return stream::line_of(exchange::work_name, ".");
}

void make_own_name(OwnName &own, unsigned attempt) {
    auto b = stream::line_of(stream::view(own_prefix()), os::process_id());
    if (attempt > 0) stream::append(b, "-", attempt);
    const std::string_view name = stream::view(b);
    own.text[name.copy(own.text, sizeof own.text - 1)] = '\0';
}

} // namespace

const char *create(stream::TextOut &out, OwnName &own, unsigned permissions, bool locked) {
    // A name taken is a killed run's file, which only a run holding the lock may remove.
    bool name_taken = true;
    for (unsigned attempt = 0; attempt < 100 && name_taken; ++attempt) {
        make_own_name(own, attempt);
        if (stream::open_new(out, own.text, permissions, name_taken)) break;
    }
    if (!out.file) return exchange::work_name;
    if (locked) os::clear_names(stream::view(own_prefix()), is_own_suffix, own.text);
    if (!os::clear_name(exchange::work_name, own.text)) {
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
    if (!stream::close_out(out)) {
        os::remove_own_file(own.text);
        return exchange::work_name;
    }
    const char *place = hand_back ? exchange::exchange_name : exchange::work_name;
    if (os::replace_file(own.text, place)) return nullptr;
    if (!hand_back || !os::replace_file(own.text, exchange::work_name))
        os::remove_own_file(own.text);
    return place;
}

void discard(stream::TextOut &out, const OwnName &own) {
    stream::close_out(out);
    os::remove_own_file(own.text);
}

} // namespace work_file
