// Recolouring of one text record, handed over by the reader.
#pragma once

#include <cstdint>

// Cuts ChSTR0 into ChSTR at its line end and at 231 bytes, then recolours
// and writes the record; jd_x, the record line's index, is not used.
int CHR_PRO(std::uint32_t jd_x);
