#include "run/exchange_files.hpp"

#include <iterator>

#include "os/os.hpp"

namespace exchange {

// A run killed inside the take-over left the selection under a step name,
// newer than any exchange_name: the steps after it finish that take-over. A
// selection that is there but cannot be moved must not let an older
// exchange_name pass for it; nor may one that another run took on between
// two steps, once this run has moved it.
const char *take_over_exchange_file() {
    const auto &names = take_over_names;
    bool moved = false;
    for (std::size_t i = 0; i + 1 < std::size(names); ++i) {
        if (os::replace_file(names[i], names[i + 1]))
            moved = true;
        else if (moved || os::name_exists(names[i]))
            return names[i];
    }
    return nullptr;
}

} // namespace exchange
