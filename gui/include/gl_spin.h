// GL_Spin: a number in [min, max] shown in a child single-line edit, with an
// up and a down arrow on the right. Pressing an arrow changes the value by
// one at once; held down, it repeats after 450 ms and then every 50 ms until
// released. Every change is told with "Value!" (a = new value, b = old value,
// as (void*)(intptr_t)int).
#pragma once

#include "gl_window.h"

class GL_SEdit;
class GL_Timeout;

// GL_Spin flags (the last constructor argument, also the window style).
enum {
    GL_SPIN_WIDE_ARROWS = 4, // the arrows take 30 pixels (else 16)
    GL_SPIN_NO_EDIT = 16,    // no child edit: the spin draws the number itself
    GL_SPIN_WRAP = 32,       // past an end the value continues from the other end
};

class GL_Spin : public GL_Window {
public:
    // (parent, name, flags): a 70 x 25 window at (0, 0), range 0..100, value 0.
    GL_Spin(GL_Window* parent, char const* name, int flags);
    GL_Spin(GL_Window* parent, char const* name, int x, int y, int w, int h, int min, int max, int value, int flags);
    ~GL_Spin() override;

    const char* GetClassName() override; // "GL_Spin"
    // "Timeout!" from the repeat timer steps the value.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    int Draw(_GS_Region* region) override;

    // A reversed range is swapped and the value clamped into it; creates the
    // child edit unless GL_SPIN_NO_EDIT is given.
    void Init(int min, int max, int value, int flags);

    // Stores v clamped to [min, max], rewrites the edit and sends "Value!";
    // -1 when the clamped value is the current one.
    int SetValue(int v);
    // A reversed pair is swapped; -1 when unchanged; the value is clamped.
    int SetMinMax(int min, int max);
    int GetValue() { return value; }
    int GetMin() { return min; }
    int GetMax() { return max; }
    GL_SEdit* GetEdit() { return edit; }
    // One step up (+1) or down (-1), wrapping or stopping at the ends; -1
    // when the value stays.
    int Step(int direction);

    // Fields after those of GL_Window, in this order.
    int value;
    int min, max;
    int spinFlags;
    GL_SEdit* edit;           // child window, null with GL_SPIN_NO_EDIT
    GL_Timeout* repeat;       // owned while an arrow is held
    int heldDirection;        // +1 up arrow, -1 down arrow, 0 none
    unsigned char fastRepeat; // the 50 ms period is in force

private:
    int ArrowWidth() { return (spinFlags & GL_SPIN_WIDE_ARROWS) ? 30 : 16; }
    void ShowValue();
    void StopRepeat();
};
