#include "run/work_file.hpp"

#include <string_view>

#include "run/exchange_files.hpp"
#include "stream/ascii.hpp"
#include "stream/files.hpp"
#include "stream/format.hpp"

namespace work_file {

namespace {

constexpr std::string_view own_prefix = "JWC_TEMP.$$$."; // the work name and a dot

// What follows own_prefix in a name of a run's own: digits and dashes.
bool is_own_suffix(std::string_view rest) {
    if (rest.empty()) return false;
    for (const char c : rest)
        if (!stream::is_digit(static_cast<unsigned char>(c)) && c != '-') return false;
    return true;
}

void make_own_name(OwnName &own, unsigned attempt) {
    auto b = stream::line_of(own_prefix, stream::process_id());
    if (attempt > 0) stream::append(b, "-", attempt);
    // at most 13 + 20 + 1 + 10 bytes: the name and its terminator fit
    own.text[stream::view(b).copy(own.text, sizeof own.text - 1)] = '\0';
}

} // namespace

const char *create(stream::TextOut &out, OwnName &own, const stream::TextIn &exchange_file,
                   bool locked) {
    // A name taken is a killed run's file, which only a run holding the lock may remove.
    bool name_taken = true;
    for (unsigned attempt = 0; attempt < 100 && name_taken; ++attempt) {
        make_own_name(own, attempt);
        if (stream::open_new(out, own.text, exchange_file.permissions, name_taken)) break;
    }
    if (!out.file) return exchange::work_name;
    if (locked) stream::clear_names(own_prefix, is_own_suffix, own.text);
    if (!stream::clear_name(exchange::work_name, own.text)) {
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
        stream::remove_own_file(own.text);
        return exchange::work_name;
    }
    const char *place = hand_back ? exchange::exchange_name : exchange::work_name;
    if (stream::replace_file(own.text, place)) return nullptr;
    if (!hand_back || !stream::replace_file(own.text, exchange::work_name))
        stream::remove_own_file(own.text);
    return place;
}

void discard(stream::TextOut &out, const OwnName &own) {
    stream::close_out(out);
    stream::remove_own_file(own.text);
}

} // namespace work_file
