#include "run/run_transform.hpp"
#include "run/usage.hpp"

int main(int argc, char **argv) {
    if (const auto request = usage::requested(argc, argv); request != usage::Request::none)
        return usage::answer(request);
    return run_transform(argc, argv);
}
