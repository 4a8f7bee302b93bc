#include <egui.h>

// A single-line and a multi-line edit (picture: d-edit). Both take keys while
// they have the focus and the pointer for placing the caret and selecting.
void BuildEdits(GL_Window* page) {
    new GL_SEdit(page, "title", "Moby-Dick", 10, 10, 300, 30, 0);
    new GL_MEdit(page, "notes", "Call me Ishmael.\nSome years ago...", 10, 50, 300, 160, 0);
}

// Their text, in the toolkit's multi-byte form; null when empty.
char const* TitleOf(GL_SEdit* edit) { return edit->GetText() ? edit->GetText() : ""; }
