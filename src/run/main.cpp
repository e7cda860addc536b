#include "run/run_transform.hpp"

int main(int argc, char **argv) {
    return run_transform(argc, argv);
}
