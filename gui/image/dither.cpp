// Dithering of grey buffers offered to client programs: ordered dithering to
// the panel's eight levels (the same matrix and levels as the server's) and
// error diffusion to a number of bits.
#include "gl_image.h"

#include <cstddef>
#include <vector>

namespace {

const unsigned char kLevels[8] = {0, 37, 73, 110, 146, 183, 219, 255};
const unsigned char kMatrix[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},    {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},    {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},   {63, 31, 55, 23, 61, 29, 53, 21},
};

} // namespace

void smgDither8Gto8C(unsigned char* buffer, int width, int height) {
    if (!buffer || width <= 0 || height <= 0) return;
    for (int j = 0; j < height; ++j) {
        unsigned char* row = buffer + size_t(j) * size_t(width);
        for (int i = 0; i < width; ++i) {
            const int v = row[i];
            int q = v / 37;
            if (q < 7 && kMatrix[j % 8][i % 8] < (v % 37) * 64 / 37) ++q;
            row[i] = kLevels[q];
        }
    }
}

void DitherRawImage(unsigned char* buffer, int width, int height, int bits, int) {
    if (!buffer || width <= 0 || height <= 0 || bits < 1 || bits > 8) return;
    const unsigned keep = (255u << (8 - bits)) & 255u;
    // Sums of this row and the next, wide enough for the spread errors.
    std::vector<int> cur(size_t(width) + 2), next(size_t(width) + 2);
    for (int x = 0; x < width; ++x)
        cur[size_t(x) + 1] = buffer[x];
    for (int y = 0; y < height; ++y) {
        unsigned char* row = buffer + size_t(y) * size_t(width);
        if (y + 1 < height)
            for (int x = 0; x < width; ++x)
                next[size_t(x) + 1] = row[size_t(width) + size_t(x)];
        const bool forward = y % 2 == 0;
        const int dir = forward ? 1 : -1;
        for (int k = 0; k < width; ++k) {
            const int x = forward ? k : width - 1 - k;
            const size_t i = size_t(x) + 1;
            const int v = cur[i] > 255 ? 255 : cur[i];
            const int out = int(unsigned(v) & keep);
            row[x] = static_cast<unsigned char>(out);
            const int err = v - out;
            auto add = [](int& s, int e) { s = s + e > 255 ? 255 : s + e; };
            add(cur[i + size_t(dir)], err * 7 / 16);
            add(next[i - size_t(dir)], err * 3 / 16);
            add(next[i], err * 5 / 16);
            add(next[i + size_t(dir)], err / 16);
        }
        cur.swap(next);
    }
}
