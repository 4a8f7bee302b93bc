// The panel's ordered dither: 8-bit greys reduced to eight levels by an
// 8 x 8 threshold matrix. The server dithers pictures with it and libgui
// offers the same rule to programs, so both give the same pixels.
#pragma once

#include <cstdint>

// The eight levels the dither produces.
extern const uint8_t kDitherLevels[8];
// The ordered-dither threshold matrix.
extern const uint8_t kDitherMatrix[8][8];

// The dithered value of grey `v` at column `i`, row `j`: one of the two
// levels around v (v itself when it is a level).
uint8_t DitherPixel(uint8_t v, int64_t i, int64_t j);

// Dithers width x height bytes in place, rows `stride` bytes apart.
void DitherImage(uint8_t* pixels, int32_t width, int32_t height, int64_t stride);
