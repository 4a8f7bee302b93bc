// GL_Button: a push button with a caption; GL_ArrowButton shows a small
// arrow instead, GL_SwitchButton stays down after one click and comes up
// after the next.
#pragma once

#include "gl_window.h"

class GL_Button : public GL_Window {
public:
    // The last argument is both the window style and the button type.
    GL_Button(GL_Window* parent, char const* name, char const* text, int type);
    // Background iGreyS.
    GL_Button(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int type);

    const char* GetClassName() override; // "GL_Button"
    ~GL_Button() override;
    // While enabled: "MouseDown!", then the button sinks (or moves, see
    // SetPressMoved). -1 when disabled or already pressed.
    int MouseDown(int x, int y, unsigned char button) override;
    // While enabled and pressed: "MouseUp!", the button comes up, and when
    // released over it "Clicked!" (no arguments) as the very last action: a
    // target may delete the button.
    int MouseUp(int x, int y, unsigned char button) override;
    // The caption centred in the foreground colour (grey when disabled) in a
    // raised or, while pressed, sunken frame.
    int Draw(_GS_Region* region) override;

    // Copies the caption and stores the type (the constructors call it).
    void Init(char const* text, int type);
    // A copy is kept (none for an empty text); redraws, returns 0.
    int SetText(char const* text);
    char* GetText() { return text; }
    // Stores the type and redraws; returns 0.
    int SetButtonType(unsigned char type);
    unsigned char GetButtonType() { return buttonType; }
    // A press-moved button moves by a small offset while pressed instead of
    // sinking; direction picks the offset. Returns -1 when nothing changes.
    int SetPressMoved(unsigned char on, unsigned char direction);
    unsigned char GetPressMoved() { return pressMoved; }

    // Fields after those of GL_Window, in this order (binary contract).
    unsigned char pressed;
    char* text; // owned, null for an empty text
    unsigned char buttonType;
    unsigned char pressMoved;
    unsigned char pressDirection;
    int pressDX, pressDY;

protected:
    // Raised or sunken frame over the whole pixmap, by the pressed state.
    void DrawFrame(unsigned long pixmap);
};

class GL_ArrowButton : public GL_Button {
public:
    // The last argument is the arrow type 0..3 (others give 3).
    GL_ArrowButton(GL_Window* parent, char const* name, int type);
    GL_ArrowButton(GL_Window* parent, char const* name, int x, int y, int w, int h, int type);

    const char* GetClassName() override; // "GL_ArrowButton"
    int Draw(_GS_Region* region) override;

    // -1 when unchanged, else stored, redrawn, 0. Types above 3 give 0.
    int SetArrowType(unsigned char type);
    // -1 when unchanged, else stored and redrawn, 0.
    int SetArrowColor(unsigned long pixel);

    unsigned char arrowType;
    unsigned int arrowColor;
};

class GL_SwitchButton : public GL_Button {
public:
    // A button that stays down after a click and comes up after the next.
    GL_SwitchButton(GL_Window* parent, char const* name, char const* text, int type);
    GL_SwitchButton(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int type);

    const char* GetClassName() override; // "GL_SwitchButton"
    int MouseDown(int x, int y, unsigned char button) override;
    // A click toggles the down state and sends "Clicked!" with its address.
    int MouseUp(int x, int y, unsigned char button) override;
    int Draw(_GS_Region* region) override;

    // -1 when unchanged (zero / nonzero); else stored, redrawn, "Clicked!".
    int SetDown(unsigned char on);
    unsigned char IsDown() { return down; }

    unsigned char down;
};
