// GL_Label: a caption in one of four styles (plain, push-label that rises
// when the pointer is over it and sinks while pressed, wrapped multi-line
// text, framed), optionally clickable. Also the base of the message box and
// navigation classes.
#pragma once

#include "gl_list.h"
#include "gl_window.h"

// labelFlags bits.
enum {
    GL_LABEL_PRESSED = 1,
    GL_LABEL_MOUSE = 2, // SetMouseEnabled
    GL_LABEL_HOT = 4,   // the pointer is inside
};

class GL_Label : public GL_Window {
public:
    // The last argument is both the window style and the label style
    // (0 plain, 1 push-label, 2 wrapped, 3 framed; above 3 means 0).
    GL_Label(GL_Window* parent, char const* name, char const* text, int style);
    // Background iGreyS.
    GL_Label(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int style);

    const char* GetClassName() override; // "GL_Label"
    ~GL_Label() override;
    // Every handler first sends its event with the addresses of the screen x,
    // the screen y and the button byte.
    int MouseDown(int x, int y, unsigned char button) override;
    // With SetMouseEnabled(1): "Clicked!" (no arguments) when released inside
    // after a press on it, as the last thing the label does.
    int MouseUp(int x, int y, unsigned char button) override;
    int MouseMove(int x, int y, unsigned char button) override;
    int MouseIn(int x, int y, unsigned char button) override;
    int MouseOut(int x, int y, unsigned char button) override;
    // The caption in the foreground colour (grey when disabled), by style and
    // alignment, off-screen and copied in one request.
    int Draw(_GS_Region* region) override;
    // Wrapped labels break their lines again at the next Draw.
    int WindowSizeChange(int w, int h) override;

    // Copies the text, sets the style, left alignment, border width 4, no
    // mouse reaction (the constructors call it).
    void Init(char const* text, int style);
    // A copy is kept (none for an empty text); redrawn. Returns 0.
    int SetText(char const* text);
    char* GetText() { return text; }
    // 1 centred, 2 right, anything else left; -1 when unchanged.
    int SetAlign(unsigned char align);
    unsigned char GetAlign() { return align; }
    // 0 plain, 1 push-label, 2 wrapped, 3 framed (above 3 means 0); redraws, 0.
    int SetLabelStyle(unsigned char style);
    unsigned char GetLabelStyle() { return labelStyle; }
    // Frame of the framed style: width and pixel; each redraws and returns 0.
    int SetBorderWidth(unsigned long width);
    int SetBorderColor(unsigned long pixel);
    // 1: the label reacts to the pointer (push-label look, "Clicked!"); -1
    // when unchanged.
    int SetMouseEnabled(unsigned char on);
    unsigned char GetMouseEnabled() { return (labelFlags & GL_LABEL_MOUSE) ? 1 : 0; }

    // Fields after those of GL_Window, in this order (binary contract).
    unsigned char labelFlags;
    unsigned char labelStyle;
    unsigned int borderColor;
    unsigned int borderWidth;
    unsigned char align;
    char* text; // owned, null for an empty text
    unsigned char relayout;
    GL_List lines; // style 2: one node per line (string, pixel width)

private:
    void ClearLines();
    // Sends a pointer event with the screen position; 1 when a target deleted the label.
    int PointerEvent(char const* event, int x, int y, unsigned char button);
};
