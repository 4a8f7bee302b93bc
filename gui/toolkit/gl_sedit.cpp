// GL_SEdit: the single-line edit. The editing itself is shared with
// GL_PictureSEdit (gl_sedit_impl.h).
#include "gl_sedit.h"

#include "egui_conn.h"
#include "gl_pixmap.h"
#include "gl_sedit_impl.h"

int GL_CalcDCharWidth(GL_Font* font, unsigned short c) {
    if (c < 256) {
        char b = char(c);
        return SL_GetStringInfoSingle(font, &b, 1);
    }
    char pair[2] = {char(c >> 8), char(c & 0xFF)};
    return SL_GetStringInfoDouble(font, pair, 2);
}

GL_SEdit::GL_SEdit(GL_Window* parent, char const* name, char const* text, int style) : GL_Window(parent, name, style) {
    Init(text, style);
}

GL_SEdit::GL_SEdit(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iWhiteS, style) {
    Init(text, style);
}

GL_SEdit::~GL_SEdit() { sedit::Destroy(this); }

void GL_SEdit::Init(char const* initial, int) { sedit::Init(this, initial); }

const char* GL_SEdit::GetClassName() { return "GL_SEdit"; }

int GL_SEdit::ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) {
    return sedit::ExecCallback(this, sender, event);
}

int GL_SEdit::MouseDown(int px, int py, unsigned char) { return sedit::MouseDown(this, px, py); }
int GL_SEdit::MouseMove(int px, int py, unsigned char) { return sedit::MouseMove(this, px, py); }
int GL_SEdit::MouseUp(int px, int py, unsigned char) { return sedit::MouseUp(this, px, py); }
int GL_SEdit::MouseIn(int, int, unsigned char) { return 0; }
int GL_SEdit::MouseOut(int, int, unsigned char) { return 0; }

int GL_SEdit::KeyIn(char* keyText, int textLength, unsigned int, unsigned int code2, unsigned int,
                    unsigned char released) {
    return sedit::KeyIn(this, keyText, textLength, code2, released);
}

int GL_SEdit::GetFocus() { return 0; }
int GL_SEdit::LostFocus() { return sedit::LostFocus(this); }

int GL_SEdit::SetText(char const* newText) { return sedit::SetText(this, newText); }

int GL_SEdit::SetInsertSymbolColor(unsigned long pixel) {
    if (insertSymbolColor == unsigned(pixel)) return -1;
    insertSymbolColor = unsigned(pixel);
    UpdateWindow(nullptr);
    return 0;
}

int GL_SEdit::RemoveSelectedText() { return sedit::RemoveSelectedText(this); }
int GL_SEdit::BackSpaceChar() { return sedit::BackSpaceChar(this); }
int GL_SEdit::DeleteChar() { return sedit::DeleteChar(this); }
int GL_SEdit::GetSelection(int* lo, int* hi) { return sedit::GetSelection(this, lo, hi); }
int GL_SEdit::CharPosX(int i) { return sedit::CharPosX(this, i); }
int GL_SEdit::IndexAtX(int px) { return sedit::IndexAtX(this, px); }

int GL_SEdit::Draw(_GS_Region*) {
    unsigned long pm = BeginPixmap(w, h, iDepth);
    NC_FillRect(pm, 0, 0, w, h, backColor);
    sedit::DrawContent(this, pm);
    NC_DrawDownBox(pm, 0, 0, w, h, backColor);
    EndPixmap(pm, this);
    return 0;
}
