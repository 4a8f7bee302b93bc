// The basic widgets in their states: labels of every style (hot, pressed,
// disabled, wrapped), buttons (pressed, disabled, arrows, a switch that is
// down), check boxes, radios in groups, panels, separators, and LEDs showing
// every character they know.
#include "gallery.h"

namespace {

// Labels and buttons draw in their window's font; check boxes, radios,
// groups and switches in the default (largest) font.
GL_Font* SmallFont() {
    static GL_Font* font = NC_NewFont("", 16, 0, 0);
    return font;
}

template <typename W> W* Small(W* widget) {
    widget->SetFont(SmallFont());
    return widget;
}

GL_Label* Heading(GL_Window* page, int y, char const* text) {
    auto* l = Small(new GL_Label(page, "heading", text, 10, y, 580, 24, 0));
    l->SetBackColor(iWhiteS);
    return l;
}

void Labels(GL_Window* page, int y) {
    Heading(page, y, "GL_Label: plain, push (normal, hot, pressed), framed, disabled, right, wrapped");
    y += 25;
    Small(new GL_Label(page, "plain", "Plain", 10, y, 100, 30, 0));
    Small(new GL_Label(page, "push", "Push", 120, y, 100, 30, 1));
    auto* hot = Small(new GL_Label(page, "hot", "Hot", 230, y, 100, 30, 1));
    hot->MouseIn(1, 1, 0);
    auto* pressed = Small(new GL_Label(page, "pressed", "Pressed", 340, y, 100, 30, 1));
    pressed->SetAlign(1);
    pressed->SetMouseEnabled(1);
    pressed->MouseDown(1, 1, 0);
    // Style 3 is also the window kind of notice dialogs: framed labels are
    // made plain and then given the framed style.
    auto* framed = Small(new GL_Label(page, "framed", "Framed", 450, y, 140, 30, 0));
    framed->SetLabelStyle(3);
    framed->SetAlign(1);
    framed->SetBorderWidth(2);
    y += 36;
    auto* disabled = Small(new GL_Label(page, "disabled", "Disabled", 10, y, 100, 30, 0));
    disabled->DisableWindow();
    auto* right = Small(new GL_Label(page, "right", "Right", 120, y, 100, 30, 0));
    right->SetLabelStyle(3);
    right->SetAlign(2);
    right->SetBorderWidth(1);
    auto* wrapped =
        Small(new GL_Label(page, "wrapped", "A wrapped label breaks its text into lines that fit its width, centred.",
                           230, y, 360, 50, 2));
    wrapped->SetAlign(1);
}

void Buttons(GL_Window* page, int y) {
    Heading(page, y, "GL_Button, GL_ArrowButton, GL_SwitchButton: normal, pressed, disabled, down");
    y += 25;
    Small(new GL_Button(page, "ok", "OK", 10, y, 90, 32, 0));
    auto* pressed = Small(new GL_Button(page, "pressed", "Pressed", 110, y, 90, 32, 0));
    pressed->MouseDown(1, 1, 0);
    auto* disabled = Small(new GL_Button(page, "disabled", "Disabled", 210, y, 90, 32, 0));
    disabled->DisableWindow();
    for (int t = 0; t < 4; ++t)
        new GL_ArrowButton(page, "arrow", 310 + t * 36, y, 32, 32, t);
    auto* arrowDown = new GL_ArrowButton(page, "arrowpressed", 454, y, 32, 32, 1);
    arrowDown->MouseDown(1, 1, 0);
    auto* sw = new GL_SwitchButton(page, "switch", "On", 496, y, 94, 44, 0);
    sw->SetDown(1);
}

void Checks(GL_Window* page, int y) {
    Heading(page, y, "GL_Check, GL_Radio, GL_Group: checked, disabled, grouped (title left and centred)");
    y += 25;
    new GL_Check(page, "off", "Off", 10, y, 150, 40, 0);
    auto* on = new GL_Check(page, "on", "On", 10, y + 40, 150, 40, 0);
    on->SetChecked(1);
    auto* dis = new GL_Check(page, "dis", "Grey", 10, y + 80, 150, 40, 0);
    dis->SetChecked(1);
    dis->DisableWindow();
    auto* lone = new GL_Radio(page, "lone", "Solo", 10, y + 120, 150, 40, 0);
    lone->SetChecked(1);

    auto* paper = new GL_Group(page, "paper", "Size", 170, y, 200, 160, 0);
    new GL_Radio(paper, "a4", "A4", 8, 36, 184, 38, 0);
    auto* a5 = new GL_Radio(paper, "a5", "A5", 8, 76, 184, 38, 0);
    new GL_Radio(paper, "b5", "B5", 8, 116, 184, 38, 0);
    paper->ChooseRadio(a5);

    auto* mode = new GL_Group(page, "mode", "Mode", 380, y, 210, 160, 0);
    mode->SetAlign(1);
    auto* day = new GL_Radio(mode, "day", "Day", 8, 56, 194, 38, 0);
    new GL_Radio(mode, "night", "Night", 8, 100, 194, 38, 0);
    mode->ChooseRadio(day);
}

void Decoration(GL_Window* page, int y) {
    Heading(page, y, "GL_Panel types 1-5, GL_Seperator types 2, 3 and bar, GL_UserWidget");
    y += 25;
    for (int t = 1; t <= 5; ++t) {
        auto* p = new GL_Panel(page, "panel", 10 + (t - 1) * 70, y, 60, 50, 0);
        p->SetPanelType(t);
        p->SetLineWidth(3);
    }
    int const types[] = {2, 3, 1};
    for (int i = 0; i < 3; ++i) {
        auto* s = new GL_Seperator(page, "hsep", 370, y + i * 18, 120, 14, 0);
        s->SetSeperatorType(types[i]);
        s->SetLineWidth(4);
        auto* v = new GL_Seperator(page, "vsep", 500 + i * 18, y, 14, 50, 0);
        v->SetSeperatorDir(1);
        v->SetSeperatorType(types[i]);
        v->SetLineWidth(4);
    }
    auto* user = new GL_UserWidget(page, "user", 556, y, 34, 50, 0);
    user->SetBackColor(iDarkGreyS);
}

void Leds(GL_Window* page, int y) {
    Heading(page, y, "GL_Led: every digit, '-', '.', ':'; centred and right-aligned");
    y += 25;
    new GL_Led(page, "digits", "0123456789", 10, y, 580, 60, 10, iWhiteS);
    new GL_Led(page, "marks", "-1.5:", 10, y + 70, 200, 40, 5, iLightGreyS);
    auto* centred = new GL_Led(page, "clock", "12:34", 220, y + 70, 200, 40, 7, iWhiteS);
    centred->SetAlign(1);
    auto* right = new GL_Led(page, "right", "-3.5", 430, y + 70, 160, 40, 6, iLightGreyS);
    right->SetAlign(2);
    right->SetLineWidth(4);
}

void Build(GL_Window* page) {
    Labels(page, 4);
    Buttons(page, 126);
    Checks(page, 204);
    Decoration(page, 396);
    Leds(page, 478);
}

} // namespace

GALLERY_SCREEN("b-basic", "Basic widgets", Build);
