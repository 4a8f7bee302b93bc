// GL_Led: a number on a row of seven-segment cells. Digits, '-', '.' and ':'
// are shown; any other character leaves its cell empty.
#pragma once

#include "gl_window.h"

// Lit segments of each digit, bit n for segment n: 0 top, 1 upper left,
// 2 lower left, 3 bottom, 4 lower right, 5 upper right, 6 middle.
extern const unsigned char kLedDigitSegments[10];

class GL_Led : public GL_Window {
public:
    // digits is the number of cells (below 1 gives 1).
    GL_Led(GL_Window* parent, char const* name, char const* text, int digits, int style);
    GL_Led(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int digits,
           unsigned long backColor);

    const char* GetClassName() override; // "GL_Led"
    ~GL_Led() override;
    int Draw(_GS_Region* region) override;

    // A copy is kept; redraws, returns 0.
    int SetText(char const* text);
    char* GetText() { return text; }
    // 1 centred, 2 right, anything else left; -1 when unchanged.
    int SetAlign(unsigned char align);
    // The segment thickness is the digit height divided by this value. -1 for
    // values below 1, an unchanged value, or segments thinner than 3 parts.
    int SetLineWidth(int divisor);

    char* text;
    int digits;
    int divisor;
    unsigned char align;
};
