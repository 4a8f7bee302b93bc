// GL_Marquee: a text that scrolls through its window on a timer, in one of
// four directions. Horizontal marquees move one line; vertical ones move the
// text broken into lines of height 22.
#pragma once

#include "gl_list.h"
#include "gl_window.h"

class GL_Timeout;

enum { GL_MARQUEE_DOWN = 1, GL_MARQUEE_UP = 2, GL_MARQUEE_RIGHT = 3, GL_MARQUEE_LEFT = 4 };

class GL_Marquee : public GL_Window {
public:
    // parent, name, text, step (pixels), delay (milliseconds, at least 100),
    // direction (anything but 1..4 is 4), style.
    GL_Marquee(GL_Window* parent, char const* name, char const* text, unsigned long step, unsigned long delay,
               unsigned char direction, int style);
    GL_Marquee(GL_Window* parent, char const* name, int x, int y, int w, int h, char const* text, unsigned long step,
               unsigned long delay, unsigned char direction, int style);
    ~GL_Marquee() override;
    const char* GetClassName() override; // "GL_Marquee"
    // "Timeout!" of its own timer moves the text one step.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int MouseDown(int x, int y, unsigned char button) override; // pauses
    int MouseUp(int x, int y, unsigned char button) override;   // resumes
    int Draw(_GS_Region* region) override;
    int WindowSizeChange(int w, int h) override;

    // -1 when the period is unchanged; otherwise the timer runs every
    // delay milliseconds (at least 100), 0.
    int SetScrollDelay(unsigned long delay);
    // -1 for an unchanged step; otherwise stored, laid out again and redrawn, 0.
    int SetScrollAmount(unsigned long step);
    // Replaces the text (none for an empty one), lays it out again and redraws; 0.
    int SetText(char const* text);
    char* GetText() { return text; }
    unsigned char GetDirection() { return direction; }
    // One scrolling step, as on each "Timeout!" (public for tests and programs
    // that drive the marquee themselves).
    void Step();

    static constexpr int kMargin = 4, kLineHeight = 22, kUnset = -999999;

    // Fields after those of GL_Window, in this order.
    char* text; // owned, null when empty
    unsigned long step;
    unsigned long delay; // the timer's period in milliseconds
    unsigned char direction;
    GL_Timeout* timer;
    GL_DList lines; // vertical marquees: one node per line (name: the line, value: its width)
    int posX, posY; // kUnset until the first draw
    int textWidth, textHeight;
    unsigned char relayout;
    unsigned char pressed;

private:
    void InitMarquee(char const* text, unsigned long step, unsigned long delay, unsigned char direction);
    void Layout();
    void StartPosition();
    bool Vertical() const { return direction == GL_MARQUEE_DOWN || direction == GL_MARQUEE_UP; }
    // The step as a pixel count the positions can take (huge steps are cut).
    int StepPixels() const;
};
