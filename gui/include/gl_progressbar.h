// GL_ProgressBar: a bar filled in proportion to value / max, with an optional
// text in its middle, that advances by itself by `step` every 450 ms while it
// is on screen (and, with loop on, starts again from 0 after reaching max).
#pragma once

#include "gl_window.h"

class GL_Timeout;

// Writes the text of display mode 3 into out (kProgressTextSize bytes, the
// last one is forced to 0) for value of max.
typedef void (*GL_ProgressDisplayProc)(char* out, unsigned long value, unsigned long max);
constexpr int kProgressTextSize = 128;

// The text used in mode 3 when no procedure was given: "Now has N% Done.".
void GL_DefaultProgressDisplayProc(char* out, unsigned long value, unsigned long max);

class GL_ProgressBar : public GL_Window {
public:
    // (parent, name, step, max, value, flags); the long form places the bar.
    // flags is the window style.
    GL_ProgressBar(GL_Window* parent, char const* name, unsigned long step, unsigned long max, unsigned long value,
                   int flags);
    GL_ProgressBar(GL_Window* parent, char const* name, int x, int y, int w, int h, unsigned long step,
                   unsigned long max, unsigned long value, int flags);
    ~GL_ProgressBar() override;

    const char* GetClassName() override; // "GL_ProgressBar"
    // "Timeout!" from the bar's own timer advances it while viewable.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int Draw(_GS_Region* region) override;

    // value clamped to max; fill iBlueS, background iBlackS, text iWhiteS,
    // mode 2 (percent), loop on; starts the 450 ms timer.
    void Init(unsigned long step, unsigned long max, unsigned long value, int flags);

    // Setters return -1 when nothing changes, else 0 and redraw.
    int SetValue(unsigned long value); // clamped to max
    int SetMax(unsigned long max);     // the value is clamped down
    int SetStep(unsigned long step);
    int SetFillColor(unsigned long pixel);
    int SetTextColor(unsigned long pixel);
    // 1: bar only, 2: percent, 3: the custom text; above 3 means 2.
    int SetDisplayMode(unsigned char mode);
    // Stores the procedure and sets mode 3; -1 for none.
    int SetDisplayCustomProc(GL_ProgressDisplayProc proc);
    // Turning loop on while at max starts again from 0.
    int SetLoop(unsigned char on);

    // Field access.
    unsigned long GetValue() { return value; }
    unsigned long GetMax() { return max; }
    unsigned long GetStep() { return step; }
    unsigned char GetDisplayMode() { return displayMode; }
    unsigned char GetLoop() { return loop; }
    GL_Timeout* GetTimer() { return timer; }
    int IsMin() { return value == 0; }
    int IsMax() { return value == max; }
    // The text the bar shows in its mode (empty in mode 1), into out of
    // kProgressTextSize bytes.
    void GetDisplayText(char* out);
    // Percent shown for value of max: value * 100 / max, 0 when max is 0.
    static unsigned long Percent(unsigned long value, unsigned long max);
    // The fill width inside a bar w wide: value * (w - 4) / max, 0 when max is 0.
    static int FillWidth(unsigned long value, unsigned long max, int w);

    // Fields after those of GL_Window, in this order.
    unsigned long step;
    unsigned long max;
    unsigned long value;
    unsigned int fillColor;
    unsigned int textColor;
    unsigned char displayMode;
    unsigned char loop;
    GL_Timeout* timer; // owned
    GL_ProgressDisplayProc customProc;
};
