// Dialogs: a book's page with a GL_Confirm over it asking whether to delete
// the book (question icon, wrapped message, "OK" and "Cancel"), and a
// GL_MsgBox with its default texts at the bottom of the page. The confirm is
// modal: until it is answered (with the pointer), the page keys reach only it.
#include "gallery.h"

#include <string>

namespace {

// Deletes the dialog with the page when the gallery moves to another screen
// before the dialog was answered.
class DialogOwner : public GL_Object {
public:
    DialogOwner(GL_Object* page, GL_Dialog* d) : GL_Object(page, "dialogowner", 0), dialog(d) {
        dialog->AddCallback(this, "DialogData!", nullptr);
    }
    ~DialogOwner() override { delete dialog; }
    int ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) override {
        if (event && std::string(event) == "DialogData!") dialog = nullptr; // it is going
        return 0;
    }

private:
    GL_Dialog* dialog;
};

GL_Label* Text(GL_Window* page, char const* text, int y, int h, GL_Font* font) {
    auto* label = new GL_Label(page, "text", text, 24, y, page->GetWidth() - 48, h, 2);
    label->SetBackColor(iWhiteS);
    label->SetFont(font);
    return label;
}

void Build(GL_Window* page) {
    // The message box's default texts are stored in the device's GB2312.
    bLabelUtf8 = 1;
    static GL_Font* heading = NC_NewFont("", 26, 0, 0);
    static GL_Font* body = NC_NewFont("", 18, 0, 0);
    Text(page, "Pride and Prejudice", 16, 40, heading)->SetAlign(1);
    Text(page,
         "It is a truth universally acknowledged, that a single man in possession of a good fortune, must be in "
         "want of a wife. However little known the feelings or views of such a man may be on his first entering a "
         "neighbourhood, this truth is so well fixed in the minds of the surrounding families, that he is "
         "considered the rightful property of some one or other of their daughters.",
         72, 200, body);
    Text(page,
         "\"My dear Mr. Bennet,\" said his lady to him one day, \"have you heard that Netherfield Park is let at "
         "last?\" Mr. Bennet replied that he had not.",
         280, 110, body);
    (new GL_Button(page, "delete", "Delete book", 24, 410, 160, 40, 0))->SetFont(body);
    (new GL_Button(page, "close", "Close", page->GetWidth() - 184, 410, 160, 40, 0))->SetFont(body);

    // The confirm is a top-level window of its own, over the page.
    auto* confirm = new GL_Confirm(
        nullptr, "confirm", "Delete \"Pride and Prejudice\" and its bookmarks from the library?", 90, 250, 420, 160, 0);
    confirm->SetBorderType(1);
    for (GL_Window* w : {static_cast<GL_Window*>(confirm->label), static_cast<GL_Window*>(confirm->okButton),
                         static_cast<GL_Window*>(confirm->cancelButton)})
        w->SetFont(body);
    new DialogOwner(page, confirm);

    auto* box = new GL_MsgBox(page, "", "", "", 0, 0);
    box->MoveResizeWindow(0, page->GetHeight() - 170, page->GetWidth(), 150, 0);
    confirm->ShowWindow(0);
}

} // namespace

GALLERY_SCREEN("g-dialogs", "Dialogs", Build);
