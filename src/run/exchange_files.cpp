#include "run/exchange_files.hpp"

#include <iterator>

#include "os/os.hpp"

namespace exchange {

namespace {

constexpr std::size_t name_count = std::size(take_over_names);
using Entries = os::Entry[name_count];

// The first name under which an entry of a kind stands, or name_count.
std::size_t first_of(const Entries &entries, os::Entry kind) {
    std::size_t i = 0;
    while (i < name_count && entries[i] != kind) ++i;
    return i;
}

// The first name under which something other than a file stands: a
// directory, a pipe, a link that no host writes. Such an entry is never
// moved, and the take-over goes past it.
const char *first_refused(const Entries &entries) {
    const std::size_t i = first_of(entries, os::Entry::other);
    return i < name_count ? take_over_names[i] : nullptr;
}

// Where the take-over must stop before it moves anything: null, or the
// name to report. An entry that is no file under the host's name, with no
// selection stranded under a step name, means the host could not write its
// selection there: an older exchange_name is no selection.
const char *refused_at_once(const Entries &entries) {
    const std::size_t last = name_count - 1, first_file = first_of(entries, os::Entry::file);
    if (entries[last] == os::Entry::other) return first_refused(entries);
    if (entries[0] == os::Entry::other && first_file >= last) return take_over_names[0];
    if (first_file < name_count) return nullptr;
    const char *refused = first_refused(entries);
    return refused ? refused : exchange_name;
}

} // namespace

// A run killed inside the take-over left the selection under a step name,
// newer than any exchange_name: the steps after it finish that take-over. The
// first regular file found is opened and held; each move is checked against
// it, so that nothing put under a name between the look and the move is
// moved on or read. A selection that is there but cannot be moved must not
// let an older exchange_name pass for it.
const char *take_over_exchange_file(stream::TextIn &input) {
    Entries entries;
    for (std::size_t i = 0; i < name_count; ++i) entries[i] = os::entry_at(take_over_names[i]);
    if (const char *refused = refused_at_once(entries)) return refused;
    std::size_t at = first_of(entries, os::Entry::file);
    const char *from = take_over_names[at];
    os::Patience patience; // a held selection costs the take-over about a second
    unsigned permissions = 0;
    os::FileId id;
    std::FILE *file = os::open_held_file(from, permissions, patience);
    if (!stream::adopt_in(input, file, permissions) || !os::identify(input.file, id)) return from;
    while (++at < name_count) {
        if (entries[at] == os::Entry::other) continue;
        if (!os::move_checked(id, from, take_over_names[at], patience)) return from;
        from = take_over_names[at];
    }
    return nullptr;
}

} // namespace exchange
