#include "run/messages.hpp"

#include "stream/console.hpp"
#include "stream/format.hpp"

namespace messages {

ExitStatus cannot_open(const char *name) {
    stream::console::err(stream::view(stream::line_of("Cannot open file: ", name, " \n")));
    return ExitStatus::failed;
}

ExitStatus busy_directory() {
    stream::console::err("Another run is working in this directory\n");
    return ExitStatus::failed;
}

void illegal_option() {
    stream::console::err("\n illegal Option.\n");
}

} // namespace messages
