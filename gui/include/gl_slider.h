// GL_Slider: a thumb on a groove, optionally with tick marks, holding a value
// in [min, max]. Only a press on the thumb starts a drag; every value change
// is told with "Value!" (a = new value, b = old value, as (void*)(intptr_t)int).
// The thumb is 9 pixels along the groove and 13 across, and travels over
// 0 .. L - 9 (L: the length along the groove).
#pragma once

#include "gl_window.h"

class GL_Slider : public GL_Window {
public:
    // (parent, name, min, max, vertical): a 70 x 25 window at (0, 0).
    GL_Slider(GL_Window* parent, char const* name, int min, int max, int vertical);
    GL_Slider(GL_Window* parent, char const* name, int x, int y, int w, int h, int min, int max, int vertical);

    const char* GetClassName() override; // "GL_Slider"
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    int MouseMove(int x, int y, unsigned char button) override;
    int Draw(_GS_Region* region) override;

    // A reversed range is swapped; value 0 clamped into the range; marks off.
    void Init(int min, int max, int vertical);

    // Stores v clamped to [min, max], moves the thumb, redraws and sends
    // "Value!"; -1 when the clamped value is the current one. The second
    // argument is not used.
    int SetValue(int v, unsigned char flag = 0);
    // A reversed pair is swapped; -1 when unchanged. The value is clamped
    // into the new range ("Value!" when it changes).
    int SetMinMax(int min, int max);
    // show: tick marks beside the groove when non-zero; count: how many (at
    // least 2 are drawn). Defaults 0 and 6. Redraws.
    int SetDrawMark(unsigned char show, unsigned char count);

    int GetValue() { return value; }
    int GetMin() { return min; }
    int GetMax() { return max; }
    void GetMinMax(int* pmin, int* pmax);
    int IsMin() { return value == min; }
    int IsMax() { return value == max; }

    // Thumb position along the groove for a value, and the value for a position.
    int Value2Pixel(int v);
    int Pixel2Value(int p);

    // Fields after those of GL_Window, in this order.
    unsigned char pressed;
    int value;
    int thumbPos;
    int vertical;
    int pressPosX, pressPosY;
    int max, min;
    int thumbPosAtPress;
    unsigned char showMarks;
    unsigned char markCount;

private:
    int Length() { return vertical ? h : w; }
    // Where the thumb starts across the groove.
    int ThumbAcross();
    // Stores v and the thumb, redraws, then sends "Value!".
    void Store(int v);
};
