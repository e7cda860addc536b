#include "run/exchange_files.hpp"

#include "stream/console.hpp"
#include "stream/files.hpp"
#include "stream/format.hpp"

namespace exchange {

// A run killed inside the take-over left the selection under a step name,
// newer than any exchange_name: the steps after the first finish that
// take-over. A selection that is there but cannot be moved must not let an
// older exchange_name pass for it.
bool take_over_exchange_file() {
    if (!stream::replace_file(host_name, step_name1) && stream::name_exists(host_name)) {
        report_cannot_open(host_name);
        return false;
    }
    stream::replace_file(step_name1, step_name2);
    stream::replace_file(step_name2, exchange_name);
    return true;
}

void report_cannot_open(const char *name) {
    console::err(stream::view(stream::line_of("Cannot open file: ", name, " \n")));
}

} // namespace exchange
