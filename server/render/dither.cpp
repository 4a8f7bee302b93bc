#include "render/dither.h"

#include <algorithm>
#include <vector>

const uint8_t kDitherLevels[8] = {0, 37, 73, 110, 146, 183, 219, 255};

const uint8_t kDitherMatrix[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},    {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},   {63, 31, 55, 23, 61, 29, 53, 21},
};

namespace {

// For each grey: the level at or below it and the threshold (0..63) above
// which the matrix entry keeps that level. The levels are not exactly 37
// apart, so the interval is looked up rather than taken as v / 37: white
// stays white and every grey lands on one of its two neighbouring levels.
struct DitherTable {
    uint8_t low[256], high[256], threshold[256];
    DitherTable() {
        for (int v = 0; v < 256; ++v) {
            int q = 0;
            while (q < 7 && kDitherLevels[q + 1] <= v)
                ++q;
            low[v] = kDitherLevels[q];
            high[v] = q < 7 ? kDitherLevels[q + 1] : kDitherLevels[7];
            threshold[v] = q < 7 ? uint8_t((v - kDitherLevels[q]) * 64 / (kDitherLevels[q + 1] - kDitherLevels[q])) : 0;
        }
    }
};
const DitherTable g_table;

} // namespace

uint8_t DitherPixel(uint8_t v, int64_t i, int64_t j) {
    return kDitherMatrix[j & 7][i & 7] < g_table.threshold[v] ? g_table.high[v] : g_table.low[v];
}

void DitherImage(uint8_t* pixels, int32_t width, int32_t height, int64_t stride) {
    for (int32_t j = 0; j < height; ++j) {
        uint8_t* row = pixels + j * stride;
        const uint8_t* m = kDitherMatrix[j & 7];
        for (int32_t i = 0; i < width; ++i) {
            uint8_t v = row[i];
            row[i] = m[i & 7] < g_table.threshold[v] ? g_table.high[v] : g_table.low[v];
        }
    }
}

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
