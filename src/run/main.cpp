#include "run/run.hpp"

int main(int argc, char **argv) {
    return run_transform(argc, argv);
}
