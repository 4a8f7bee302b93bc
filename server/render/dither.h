// The ordered dither (shared with libgui) and the area-averaging scaler of
// the fit-and-dither copy.
#pragma once

#include <cstdint>

#include "protocol/dither.h"

// Resamples a srcW x srcH image into a dstW x dstH one by area averaging with
// 12-bit fixed-point weights (rows first, then columns). Strides in bytes.
void ScaleImage(const uint8_t* src, int32_t srcW, int32_t srcH, int64_t srcStride, uint8_t* dst, int32_t dstW,
                int32_t dstH, int64_t dstStride);
