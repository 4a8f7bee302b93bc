#include <egui.h>

// Scroll bars, sliders, spin boxes and progress bars hold a value in a range;
// the first three send "Value!" on every change (picture: c-range).
void BuildRange(GL_Window* page) {
    auto* scroll = new GL_Scroll(page, "pages", 10, 10, 300, 24, 0, 200, 0); // horizontal, 0..200
    scroll->SetStepPage(1, 20);
    auto* brightness = new GL_Slider(page, "light", 10, 50, 300, 30, 0, 10, 0);
    brightness->SetDrawMark(1, 11);
    brightness->SetValue(7);
    new GL_Spin(page, "copies", 10, 100, 100, 30, 1, 99, 2, 0);
    // step 0: the bar moves only when the program sets its value.
    auto* copy = new GL_ProgressBar(page, "copy", 10, 150, 300, 30, 0, 100, 40, 0);
    copy->SetDisplayMode(2); // the percentage in the middle
}
