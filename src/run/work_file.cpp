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

// Creates the file under the first of the run's own names that is free.
bool create_own(stream::TextOut &out, OwnName &own, unsigned permissions, bool &all_taken) {
    bool name_taken = true;
    for (unsigned attempt = 0; attempt < attempts && name_taken; ++attempt) {
        make_own_name(own, attempt);
        if (stream::open_new(out, own.text, permissions, name_taken)) break;
    }
    all_taken = name_taken;
    if (!out.file) return false;
    if (os::identify(out.file, own.id)) return true;
    stream::close_out(out); // just created, under a name no other run takes
    os::Patience patience;
    os::remove_own_file(own.text, patience);
    return false;
}

// Removes the run's own file where its name still holds it: whatever was put
// there instead is someone else's.
void remove_own(const OwnName &own, os::Patience &patience) {
    if (os::holds(own.text, own.id)) os::remove_own_file(own.text, patience);
}

} // namespace

// A name taken is a killed run's file, which only a run holding the lock may
// remove: with every name of its own taken, such a run clears them first.
const char *create(stream::TextOut &out, OwnName &own, unsigned permissions, bool locked) {
    os::Patience patience;
    bool all_taken = false;
    bool created = create_own(out, own, permissions, all_taken);
    if (!created && all_taken && locked &&
        os::clear_names(exchange::own_prefix, is_own_suffix, nullptr, patience))
        created = create_own(out, own, permissions, all_taken);
    if (!created) return exchange::work_name;
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

// A complete result that cannot go over the exchange file is kept under the
// work name; that move has a second of patience of its own, so that a hold
// that outlasted the hand-back's leaves it there and not under the run's own
// name.
const char *finish(stream::TextOut &out, const OwnName &own, bool hand_back) {
    // A held file costs the hand-back about a second, whatever the steps after.
    os::Patience patience;
    if (!stream::close_out(out)) {
        remove_own(own, patience);
        return exchange::work_name;
    }
    const char *place = hand_back ? exchange::exchange_name : exchange::work_name;
    if (os::move_own_checked(own.id, own.text, place, patience)) return nullptr;
    os::Patience fallback;
    if (!hand_back || !os::move_own_checked(own.id, own.text, exchange::work_name, fallback))
        remove_own(own, fallback);
    return place;
}

void discard(stream::TextOut &out, const OwnName &own) {
    stream::close_out(out);
    os::Patience patience;
    remove_own(own, patience);
}

} // namespace work_file
