// Metric tables of known values for the text tests, written straight into
// the SysInfo record as the server lays it out: the default font's entry at
// offset 80, the per-size entries from 1172, the bitmap-mode tables in byte
// 51 and iDataInfo. Widths here are chosen by the tests, so every expected
// width is worked out from these few rules, not by the code under test.
#pragma once

#include <cstdint>
#include <cstring>

#include "egui_conn.h"

namespace text_test {

constexpr int kWide = 16, kAscent = 13, kDescent = 4, kMetric9 = 2, kLine = 19;                 // default font
constexpr int kFontIndex = 2, kFontSize = 20, kFontWide = 20, kFontAscent = 17, kFontLine = 25; // 20-px entry
constexpr int kBitmapWide = 12;

// Advance of single-byte code c: default font, the 20-px entry, bitmap mode.
constexpr int Adv(int c) { return 3 + c % 7; }
constexpr int Adv20(int c) { return 4 + c % 3; }
constexpr int AdvBitmap(int c) { return 1 + c % 5; }

inline void PutWord(unsigned char* entry, int word, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        entry[4 * word + i] = uint8_t(v >> (8 * i));
}

// Fills the tables; scalable selects the font mode (SysInfo byte 92).
inline void SetTables(bool scalable) {
    unsigned char* d = gSysInfo + 80;
    std::memset(d, 0, 1088);
    PutWord(d, 1, 36);
    PutWord(d, 4, kWide);
    PutWord(d, 5, kAscent);
    PutWord(d, 6, kDescent);
    PutWord(d, 9, kMetric9);
    PutWord(d, 10, kLine);
    for (int c = 0; c < 256; ++c)
        PutWord(d, 15 + c, uint32_t(Adv(c)));
    gSysInfo[92] = scalable ? 1 : 0;

    unsigned char* e = gSysInfo + 1172 + (kFontSize - 7) * 1088; // charset 0
    std::memset(e, 0, 1088);
    PutWord(e, 0, kFontIndex);
    PutWord(e, 1, kFontSize);
    PutWord(e, 4, kFontWide);
    PutWord(e, 5, kFontAscent);
    PutWord(e, 10, kFontLine);
    for (int c = 0; c < 256; ++c)
        PutWord(e, 15 + c, uint32_t(Adv20(c)));

    gSysInfo[51] = kBitmapWide;
    for (int c = 0; c < 256; ++c)
        iDataInfo[c] = uint8_t(AdvBitmap(c));
}

// Width of multi-byte text by the two-byte rule with the default font's
// scalable widths: a byte of 128 or more that is not the last one pairs with
// the next byte into one wide character.
inline int GbWidth(const unsigned char* p, size_t n, int* chars = nullptr) {
    int w = 0, c = 0;
    for (size_t i = 0; i < n; ++c) {
        if (p[i] >= 0x80 && i + 1 < n) {
            w += kWide;
            i += 2;
        } else {
            w += Adv(p[i]);
            i += 1;
        }
    }
    if (chars) *chars = c;
    return w;
}

} // namespace text_test
