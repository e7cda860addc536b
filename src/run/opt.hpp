// One command-line switch ("-" or "/", a letter, a value) into the settings.
#pragma once

void opt(const char *arg);
