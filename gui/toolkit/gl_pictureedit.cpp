// GL_PictureSEdit: GL_SEdit's editing (gl_sedit_impl.h) with its own drawing.
#include "gl_pictureedit.h"

#include "egui_conn.h"
#include "gl_pixmap.h"
#include "gl_sedit_impl.h"

GL_PictureSEdit::GL_PictureSEdit(GL_Window* parent, char const* name, char const* initial, GL_ImageList* images,
                                 int style)
    : GL_Window(parent, name, style), imageList(images) {
    Init(initial, style);
}

GL_PictureSEdit::GL_PictureSEdit(GL_Window* parent, char const* name, char const* initial, int x, int y, int w, int h,
                                 GL_ImageList* images, int style)
    : GL_Window(parent, name, x, y, w, h, iWhiteS, style), imageList(images) {
    Init(initial, style);
}

GL_PictureSEdit::~GL_PictureSEdit() { sedit::Destroy(this); }

void GL_PictureSEdit::Init(char const* initial, int) { sedit::Init(this, initial); }

const char* GL_PictureSEdit::GetClassName() { return "GL_PictureSEdit"; }

int GL_PictureSEdit::ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) {
    return sedit::ExecCallback(this, sender, event);
}

int GL_PictureSEdit::MouseDown(int px, int py, unsigned char) { return sedit::MouseDown(this, px, py); }
int GL_PictureSEdit::MouseMove(int px, int py, unsigned char) { return sedit::MouseMove(this, px, py); }
int GL_PictureSEdit::MouseUp(int px, int py, unsigned char) { return sedit::MouseUp(this, px, py); }
int GL_PictureSEdit::MouseIn(int, int, unsigned char) { return 0; }
int GL_PictureSEdit::MouseOut(int, int, unsigned char) { return 0; }

int GL_PictureSEdit::KeyIn(char* keyText, int textLength, unsigned int, unsigned int code2, unsigned int,
                           unsigned char released) {
    return sedit::KeyIn(this, keyText, textLength, code2, released);
}

int GL_PictureSEdit::GetFocus() { return 0; }
int GL_PictureSEdit::LostFocus() { return sedit::LostFocus(this); }
int GL_PictureSEdit::SetText(char const* newText) { return sedit::SetText(this, newText); }

int GL_PictureSEdit::SetInsertSymbolColor(unsigned long pixel) {
    if (insertSymbolColor == unsigned(pixel)) return -1;
    insertSymbolColor = unsigned(pixel);
    UpdateWindow(nullptr);
    return 0;
}

int GL_PictureSEdit::RemoveSelectedText() { return sedit::RemoveSelectedText(this); }
int GL_PictureSEdit::BackSpaceChar() { return sedit::BackSpaceChar(this); }
int GL_PictureSEdit::DeleteChar() { return sedit::DeleteChar(this); }
int GL_PictureSEdit::GetSelection(int* lo, int* hi) { return sedit::GetSelection(this, lo, hi); }
int GL_PictureSEdit::CharPosX(int i) { return sedit::CharPosX(this, i); }
int GL_PictureSEdit::IndexAtX(int px) { return sedit::IndexAtX(this, px); }

// The window's background (colour, or its background image through
// DrawBackground) stands for the picture; the text, selection and caret go on
// it as in GL_SEdit, without the sunken frame.
int GL_PictureSEdit::Draw(_GS_Region*) {
    unsigned long pm = BeginPixmap(w, h, iDepth);
    DrawBackground(pm);
    sedit::DrawContent(this, pm);
    EndPixmap(pm, this);
    return 0;
}
