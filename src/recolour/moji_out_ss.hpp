// Writes one text record line to the work file.
#pragma once

#include <string_view>

// "%s %.9f %.9f %.9f %.9f \"%s\n": no closing quote, as the host reads it.
void MojiOutSS(const char *head, double x, double y, double dx, double dy, std::string_view text);
