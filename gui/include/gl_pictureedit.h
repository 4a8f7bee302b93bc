// GL_PictureSEdit: a single-line edit constructed with an image list. It
// edits exactly as GL_SEdit (same keys, caret, pointer selection and
// scrolling); it draws without the sunken frame, so that a picture behind it
// shows as its frame, and keeps the image list (not owned) for that picture.
#pragma once

#include "gl_window.h"

class GL_ImageList;
class GL_Timeout;

class GL_PictureSEdit : public GL_Window {
public:
    // Every operation below behaves as the GL_SEdit operation of the same
    // name (see gl_sedit.h); images is kept, not owned, and may be null.
    GL_PictureSEdit(GL_Window* parent, char const* name, char const* text, GL_ImageList* images, int style);
    GL_PictureSEdit(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h,
                    GL_ImageList* images, int style);
    ~GL_PictureSEdit() override;

    const char* GetClassName() override; // "GL_PictureSEdit"
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    int MouseMove(int x, int y, unsigned char button) override;
    int MouseIn(int x, int y, unsigned char button) override;
    int MouseOut(int x, int y, unsigned char button) override;
    int KeyIn(char* text, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
              unsigned char released) override;
    int GetFocus() override;
    int LostFocus() override;
    int Draw(_GS_Region* region) override;

    void Init(char const* text, int style);
    int SetText(char const* text);
    char* GetText() { return text; }
    int SetInsertSymbolColor(unsigned long pixel);
    int RemoveSelectedText();
    int BackSpaceChar();
    int DeleteChar();
    int GetCursor() { return cursor; }
    int GetCharCount() { return charCount; }
    int GetSelection(int* lo, int* hi);
    int CharPosX(int i);
    int IndexAtX(int x);
    GL_ImageList* GetImageList() { return imageList; }

    // The fields of GL_SEdit, then the image list.
    unsigned char pressed;
    char* text;
    unsigned int insertSymbolColor;
    unsigned char caretShown;
    GL_Timeout* caretTimer;
    unsigned char selecting;
    int editPressX, editPressY;
    int selStart, selEnd;
    int caretX;
    int originX;
    unsigned short* chars;
    int charCount;
    int cursor;
    GL_ImageList* imageList; // not owned
};
