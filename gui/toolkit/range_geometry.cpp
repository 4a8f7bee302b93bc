// Scroll bar and slider geometry, in 64-bit arithmetic.
#include "toolkit/range_geometry.h"

#include <algorithm>
#include <cstdint>

namespace range_geometry {

namespace {

// Shortest thumb, and the track length at or below which the thumb fills it.
constexpr int64_t kMinThumb = 10, kProportionalTrack = 30;

int64_t Clamp(int64_t v, int64_t lo, int64_t hi) { return v < lo ? lo : (v > hi ? hi : v); }

} // namespace

ScrollBar CalcScrollBar(int length, int thickness, int min, int max, int page) {
    int64_t L = std::max(length, 0), T = std::max(thickness, 0);
    ScrollBar bar{};
    int64_t arrow = L <= 2 * T ? L / 2 : T;
    int64_t track = L - 2 * arrow;
    int64_t total = int64_t(max) + page;
    int64_t len = track;
    if (min != max && track > kProportionalTrack && total > 0) len = int64_t(page) * track / total;
    len = std::min(std::max(len, kMinThumb), track);
    bar.arrow = int(arrow);
    bar.thickness = int(T);
    bar.thumbMin = int(arrow);
    bar.thumbLen = int(len);
    bar.thumbMax = int(arrow + track - len);
    return bar;
}

int ScrollValue2Pixel(const ScrollBar& bar, int min, int max, int v) {
    if (v <= min) return bar.thumbMin;
    if (v >= max) return bar.thumbMax;
    int64_t span = int64_t(bar.thumbMax) - bar.thumbMin;
    if (span < 1) return bar.thumbMin;
    // (v - min) < 2^32 and span < 2^31: the product fits in 63 bits.
    return int(bar.thumbMin + (int64_t(v) - min) * span / (int64_t(max) - min));
}

int ScrollPixel2Value(const ScrollBar& bar, int min, int max, int p) {
    if (p <= bar.thumbMin) return min;
    if (p >= bar.thumbMax) return max;
    int64_t span = int64_t(bar.thumbMax) - bar.thumbMin;
    return int(min + (int64_t(max) - min) * (int64_t(p) - bar.thumbMin) / span);
}

int SliderValue2Pixel(int length, int min, int max, int v) {
    int64_t S = int64_t(length) - 9;
    if (S < 1 || v <= min) return 0;
    if (v >= max) return int(S - 1);
    int64_t range = int64_t(max) - min + 1;
    return int(Clamp((int64_t(v) - min + 1) * S / range - 1, 0, S - 1));
}

int SliderPixel2Value(int length, int min, int max, int p) {
    int64_t S = int64_t(length) - 8;
    if (S < 1 || p <= 0) return min;
    if (p >= S - 1) return max;
    int64_t range = int64_t(max) - min + 1;
    return int(Clamp(min + (int64_t(p) + 1) * range / S, min, max));
}

} // namespace range_geometry
