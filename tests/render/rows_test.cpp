// The row copy and fill kernels at every vector width this processor has,
// against byte-by-byte expectations, with guard bytes around every row.
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <vector>

#include "platform/rows.h"

namespace {

constexpr int kLevels[] = {0, 256, 512};
constexpr size_t kWidths[] = {1,  3,  4,  5,  7,   8,   9,   15,  16,  17,  24,  31, 32,
                              33, 63, 64, 65, 127, 128, 129, 255, 256, 257, 300, 500};
constexpr size_t kStride = 560, kRows = 5, kMargin = 3;

uint8_t Pattern(size_t i) { return uint8_t(i * 37 + (i >> 7) + 1); }

TEST(Rows, CopiesExactlyTheRectangleForwardAndBackward) {
    int ran = 0;
    for (int level : kLevels)
        for (size_t w : kWidths)
            for (size_t shift : {0, 1, 5})
                for (bool backward : {false, true}) {
                    std::vector<uint8_t> src(kStride * (kRows + 2)), dst(kStride * (kRows + 2), 0xEE);
                    for (size_t i = 0; i < src.size(); ++i)
                        src[i] = Pattern(i);
                    std::vector<uint8_t> want = dst;
                    const size_t sx = kMargin + shift, dx = kMargin + 2 * shift;
                    for (size_t r = 0; r < kRows; ++r)
                        for (size_t i = 0; i < w; ++i)
                            want[(r + 1) * kStride + dx + i] = src[(r + 1) * kStride + sx + i];
                    const ptrdiff_t stride = ptrdiff_t(kStride);
                    bool done = backward ? eink::CopyRowsAt(level, &dst[kRows * kStride + dx], -stride,
                                                            &src[kRows * kStride + sx], -stride, w, kRows)
                                         : eink::CopyRowsAt(level, &dst[kStride + dx], stride, &src[kStride + sx],
                                                            stride, w, kRows);
                    if (!done) continue;
                    ++ran;
                    ASSERT_EQ(dst, want) << "level " << level << ", width " << w << ", shift " << shift
                                         << (backward ? ", backward" : "");
                }
    EXPECT_GE(ran, int(std::size(kWidths)) * 3 * 2); // at least the plain form for every case
}

TEST(Rows, FillsExactlyTheRectangle) {
    for (int level : kLevels)
        for (size_t w : kWidths)
            for (size_t shift : {0, 1, 5}) {
                std::vector<uint8_t> dst(kStride * (kRows + 2));
                for (size_t i = 0; i < dst.size(); ++i)
                    dst[i] = Pattern(i);
                std::vector<uint8_t> want = dst;
                const size_t x = kMargin + shift;
                for (size_t r = 0; r < kRows; ++r)
                    for (size_t i = 0; i < w; ++i)
                        want[(r + 1) * kStride + x + i] = 0x5C;
                if (!eink::FillRowsAt(level, &dst[kStride + x], ptrdiff_t(kStride), w, kRows, 0x5C)) continue;
                ASSERT_EQ(dst, want) << "level " << level << ", width " << w << ", shift " << shift;
            }
}

TEST(Rows, EmptyRectanglesTouchNothingAndUnknownWidthsAreRefused) {
    std::vector<uint8_t> a(64, 1), b(64, 2);
    for (int level : kLevels) {
        eink::CopyRowsAt(level, a.data(), 8, b.data(), 8, 0, 4);
        eink::CopyRowsAt(level, a.data(), 8, b.data(), 8, 8, 0);
        eink::FillRowsAt(level, a.data(), 8, 0, 4, 9);
        eink::FillRowsAt(level, a.data(), 8, 8, 0, 9);
    }
    EXPECT_EQ(a, std::vector<uint8_t>(64, 1));
    EXPECT_FALSE(eink::CopyRowsAt(4096, a.data(), 8, b.data(), 8, 8, 1));
    EXPECT_FALSE(eink::FillRowsAt(128, a.data(), 8, 8, 1, 9));
    EXPECT_TRUE(eink::CopyRowsAt(0, a.data(), 8, b.data(), 8, 8, 1));
    EXPECT_EQ(a[7], 2);
}

} // namespace
