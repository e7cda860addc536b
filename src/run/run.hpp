// One transform from the switches to the hand-back; returns the exit status.
#pragma once

int run_transform(int argc, const char *const *argv);
