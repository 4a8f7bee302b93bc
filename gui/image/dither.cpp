// Dithering of grey buffers offered to client programs: the server's ordered
// dither to the panel's eight levels, and error diffusion to a number of bits.
#include "gl_image.h"

#include "protocol/dither.h"

#include <cstddef>
#include <vector>

void smgDither8Gto8C(unsigned char* buffer, int width, int height) {
    if (!buffer || width <= 0 || height <= 0) return;
    DitherImage(buffer, width, height, width);
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
