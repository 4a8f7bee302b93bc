#include "protocol/dither.h"

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
