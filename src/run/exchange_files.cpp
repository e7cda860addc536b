#include "run/exchange_files.hpp"

#include <iterator>

#include "os/os.hpp"

namespace exchange {

namespace {

// The first name under which something other than a file stands: a
// directory, a pipe, a link that no host writes. Such an entry is never
// moved, and the take-over goes past it.
const char *first_refused(const bool (&refused)[std::size(take_over_names)]) {
    for (std::size_t i = 0; i < std::size(take_over_names); ++i)
        if (refused[i]) return take_over_names[i];
    return nullptr;
}

} // namespace

// A run killed inside the take-over left the selection under a step name,
// newer than any exchange_name: the steps after it finish that take-over. A
// selection that is there but cannot be moved must not let an older
// exchange_name pass for it; nor may one that another run took on between
// two steps, once this run has moved it. A name where no file stands is left
// out of the steps; where that is exchange_name, nothing can be handed over.
const char *take_over_exchange_file() {
    const auto &names = take_over_names;
    bool refused[std::size(names)] = {};
    for (std::size_t i = 0; i < std::size(names); ++i)
        refused[i] = os::entry_at(names[i]) == os::Entry::other;
    if (refused[std::size(names) - 1]) return first_refused(refused);
    bool moved = false;
    const char *from = nullptr;
    os::Patience patience; // a held selection costs the take-over about a second
    for (std::size_t i = 0; i < std::size(names); ++i) {
        if (refused[i]) continue;
        if (from && os::replace_file(from, names[i], patience))
            moved = true;
        else if (from && (moved || os::name_exists(from)))
            return from;
        from = names[i];
    }
    if (!os::name_exists(exchange_name)) return first_refused(refused);
    return nullptr;
}

} // namespace exchange
