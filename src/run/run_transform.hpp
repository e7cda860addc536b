// One transform from the switches to the hand-back.
#pragma once

// Returns the exit status.
int run_transform(int argc, const char *const *argv);
