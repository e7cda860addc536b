// Hand-point records ("hp"): the point's index and coordinates.
#pragma once

#include <cstddef>

void HandPoint(const char *line, std::size_t len);
