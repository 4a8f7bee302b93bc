// Reduction of 8-bit grey images to the panel's eight grey levels by an 8 x 8
// ordered dither, and the area-averaging scaler of the fit-and-dither copy.
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

// Resamples a srcW x srcH image into a dstW x dstH one by area averaging with
// 12-bit fixed-point weights (rows first, then columns). Strides in bytes.
void ScaleImage(const uint8_t* src, int32_t srcW, int32_t srcH, int64_t srcStride, uint8_t* dst, int32_t dstW,
                int32_t dstH, int64_t dstStride);
