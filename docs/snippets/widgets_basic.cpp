#include <egui.h>

// Labels, buttons, check boxes and radios in a group (picture: b-basic).
void BuildBasic(GL_Window* page) {
    new GL_Label(page, "caption", "Reading options", 10, 10, 300, 30, 0);
    auto* wrapped = new GL_Label(page, "note", "A wrapped label breaks its text into lines.", 10, 45, 300, 50, 2);
    wrapped->SetAlign(1); // centred
    new GL_Button(page, "apply", "Apply", 10, 100, 90, 32, 0);
    auto* night = new GL_Check(page, "night", "Night mode", 10, 140, 200, 40, 0);
    night->SetChecked(1);
    auto* size = new GL_Group(page, "size", "Letter size", 320, 10, 200, 160, 0);
    new GL_Radio(size, "small", "Small", 8, 36, 184, 38, 0);
    auto* large = new GL_Radio(size, "large", "Large", 8, 76, 184, 38, 0);
    size->ChooseRadio(large); // checks one radio of the group, unchecks the others
}
