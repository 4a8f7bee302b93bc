#include "render/dither.h"

#include <algorithm>
#include <vector>

namespace {

// One line of n values into m by area averaging: each source value covers
// `frac` = m * 4096 / n units of output, an output takes 4096 units, and its
// accumulator starts at 2048 so that the division rounds.
void Resample(const uint8_t* in, int64_t inStep, int32_t n, uint8_t* out, int64_t outStep, int32_t m, int64_t frac) {
    int64_t acc = 2048, room = 4096;
    int32_t o = 0;
    for (int32_t s = 0; s < n && o < m; ++s) {
        int64_t v = in[s * inStep], left = frac;
        while (left > 0 && o < m) {
            int64_t take = std::min(left, room);
            acc += v * take;
            left -= take;
            room -= take;
            if (room == 0) {
                out[o++ * outStep] = uint8_t(std::min<int64_t>(acc / 4096, 255));
                acc = 2048, room = 4096;
            }
        }
    }
    // Truncated weights can leave the last outputs short: the partial one is
    // averaged over what it got, any empty one repeats its neighbour.
    if (o < m && room < 4096) {
        int64_t got = 4096 - room;
        out[o++ * outStep] = uint8_t(std::min<int64_t>((acc - 2048 + got / 2) / got, 255));
    }
    for (; o < m; ++o)
        out[o * outStep] = o > 0 ? out[(o - 1) * outStep] : 0;
}

} // namespace

void ScaleImage(const uint8_t* src, int32_t srcW, int32_t srcH, int64_t srcStride, uint8_t* dst, int32_t dstW,
                int32_t dstH, int64_t dstStride) {
    if (srcW <= 0 || srcH <= 0 || dstW <= 0 || dstH <= 0) return;
    // Rows first: srcW columns of srcH values become dstH values.
    std::vector<uint8_t> mid(size_t(srcW) * size_t(dstH));
    if (dstH == srcH) {
        for (int32_t y = 0; y < srcH; ++y)
            std::copy(src + y * srcStride, src + y * srcStride + srcW, &mid[size_t(y) * srcW]);
    } else {
        int64_t frac = int64_t(dstH) * 4096 / srcH;
        for (int32_t x = 0; x < srcW; ++x)
            Resample(src + x, srcStride, srcH, &mid[size_t(x)], srcW, dstH, frac);
    }
    if (dstW == srcW) {
        for (int32_t y = 0; y < dstH; ++y)
            std::copy(&mid[size_t(y) * srcW], &mid[size_t(y) * srcW] + srcW, dst + y * dstStride);
    } else {
        int64_t frac = int64_t(dstW) * 4096 / srcW;
        for (int32_t y = 0; y < dstH; ++y)
            Resample(&mid[size_t(y) * srcW], 1, srcW, dst + y * dstStride, 1, dstW, frac);
    }
}
