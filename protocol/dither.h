// The panel's ordered dither: 8-bit greys reduced to eight levels by an
// 8 x 8 threshold matrix. The server dithers pictures with it and libgui
// offers the same rule to programs, so both give the same pixels.
#pragma once

#include <cstdint>

// The eight levels the dither produces, and the threshold matrix. Inline, so
// that a program holding both the server's code and libgui has one copy.
inline constexpr uint8_t kDitherLevels[8] = {0, 37, 73, 110, 146, 183, 219, 255};

inline constexpr uint8_t kDitherMatrix[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},    {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},   {63, 31, 55, 23, 61, 29, 53, 21},
};

// The dithered value of grey `v` at column `i`, row `j`: one of the two
// levels around v (v itself when it is a level).
uint8_t DitherPixel(uint8_t v, int64_t i, int64_t j);

// Dithers width x height bytes in place, rows `stride` bytes apart.
void DitherImage(uint8_t* pixels, int32_t width, int32_t height, int64_t stride);
