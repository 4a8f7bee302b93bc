// GL_Scroll: a scroll bar with an arrow button at each end, a track and a
// thumb that can be dragged. It holds a value in [min, max] and tells its
// targets of every change with "Value!" (a = new value, b = old value, both
// as (void*)(intptr_t)int).
//
// The first arrow and the track before the thumb lower the value (by step and
// by page), the second arrow and the track after the thumb raise it. A click
// acts on release, and only when released over the same part of the bar
// where it was pressed. IncStep and IncPage lower the value (they move the
// thumb towards the first arrow), DecStep and DecPage raise it.
#pragma once

#include "gl_window.h"

class GL_Scroll : public GL_Window {
public:
    // (parent, name, min, max, vertical): a 70 x 25 window at (0, 0).
    GL_Scroll(GL_Window* parent, char const* name, int min, int max, int vertical);
    GL_Scroll(GL_Window* parent, char const* name, int x, int y, int w, int h, int min, int max, int vertical);

    const char* GetClassName() override; // "GL_Scroll"
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    int MouseMove(int x, int y, unsigned char button) override;
    int Draw(_GS_Region* region) override;

    // Value 0 clamped into the range (a reversed range is swapped), step 1,
    // page 10, all colours iBlackS; lays the bar out.
    void Init(int min, int max, int vertical);

    // Stores v clamped to [min, max] and sends "Value!". -1 when the clamped
    // value is the current one. The second argument is not used.
    int SetValue(int v, unsigned char flag = 0);
    // A reversed pair is swapped. -1 when the range is unchanged; otherwise
    // the value is clamped into it ("Value!" when it changes) and the bar
    // redrawn.
    int SetMinMax(int min, int max);
    // -1 when both are unchanged, else stores them and redraws.
    int SetStepPage(int step, int page);
    // 1 (vertical) or anything else (horizontal); the value is kept.
    int SetDir(int vertical);
    // Arrow colour and arrow-button box colour / thumb box colour; -1 when
    // unchanged. A box colour of iBlackS (0) gives the standard grey boxes.
    int SetArrowColor(unsigned long arrow, unsigned long arrowBox);
    int SetBarColor(unsigned long thumbBox);

    int GetValue() { return value; }
    int GetMin() { return min; }
    int GetMax() { return max; }
    int GetStep() { return step; }
    int GetPage() { return page; }
    // Null outputs are skipped.
    void GetMinMax(int* pmin, int* pmax);
    void GetStepPage(int* pstep, int* ppage);
    void GetAllSettings(int* pmin, int* pmax, int* pstep, int* ppage);
    int IsMin() { return value == min; }
    int IsMax() { return value == max; }

    // value - step, value + step, value - page, value + page.
    int IncStep();
    int DecStep();
    int IncPage();
    int DecPage();
    // kind 1: -step, 2: -page, 4: +page, 5: +step; others change nothing.
    // The result is clamped; -1 when the value stays, else 0 and "Value!".
    int ChangeValue(unsigned char kind);

    // Thumb position along the bar for a value, and the value for a position.
    int Value2Pixel(int v);
    int Pixel2Value(int p);
    // Lays the bar out for the window's size, range and page.
    void CalcBarSize();

    // Parts of the bar under a press.
    enum Zone { kFirstArrow = 1, kTrackBefore = 2, kThumb = 3, kTrackAfter = 4, kSecondArrow = 5, kNone = 6 };

    // Fields after those of GL_Window, in this order.
    unsigned char pressed;
    int value;
    int thumbPos; // leading edge of the thumb along the bar
    int vertical;
    int pressPosX, pressPosY;
    int max, min;
    int thumbMin, thumbMax;
    int thumbLen;
    int thickness;
    int arrow;
    unsigned int zone;
    int thumbPosAtPress;
    int step;
    int page;
    unsigned int arrowColor;
    unsigned int arrowBoxColor;
    unsigned int thumbBoxColor;

private:
    int ZoneAt(int pos);
    // Stores a new value, moves the thumb, redraws when it moved and sends
    // "Value!". Returns 1 when a callback target deleted this widget.
    int Store(int v, bool alwaysRedraw);
};
