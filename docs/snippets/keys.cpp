#include <egui.h>

// Keys from the keypad arrive at the program's top-level window (the one on
// top); it acts on them or hands them to the widget that should take them.
class Reader : public GL_Window {
public:
    Reader() : GL_Window(nullptr, "reader", 0, 0, iDisplayWidth, iDisplayHeight, iWhiteS, 0) {}

    int KeyIn(char* text, int length, unsigned code, unsigned code2, unsigned modifier,
              unsigned char released) override {
        if (released && code == 109) // next page key
            ++page;
        else if (released && code == 104 && page > 0) // previous page key
            --page;
        else if (released && code == 158) // back
            bQuitProgram = 1;             // egui_loop ends the program after this event
        return GL_Window::KeyIn(text, length, code, code2, modifier, released);
    }

    int page = 0;
};
