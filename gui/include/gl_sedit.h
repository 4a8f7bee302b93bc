// GL_SEdit: a single-line text edit with a blinking caret, pointer placement
// and selection, typing, backspace and delete, and horizontal scrolling.
//
// The text is kept twice: as a multi-byte string (GetText) and as an array of
// 16-bit characters (a byte, or lead << 8 | trail) on which the cursor, the
// selection and editing work. Every index (cursor, selection ends) stays in
// 0..charCount whatever arrives: keys, pointer events or SetText.
//
// Keys act on press only (released byte 0): key text is inserted at the
// cursor; without text the second code 0xFF08 deletes backward and 0xFFFF
// forward (a selection is removed instead).
#pragma once

#include "gl_window.h"

class GL_Timeout;

// Editing keys, as second codes of key events.
enum {
    GL_KEY_BACKSPACE = 0xFF08,
    GL_KEY_RETURN = 0xFF0D,
    GL_KEY_DELETE = 0xFFFF,
};

// Width of one edit character: below 256 a single-byte character, otherwise a
// two-byte one (lead byte high). A null font means the default font.
int GL_CalcDCharWidth(GL_Font* font, unsigned short c);

class GL_SEdit : public GL_Window {
public:
    // (parent, name, text, style): a 70 x 25 window at (0, 0).
    GL_SEdit(GL_Window* parent, char const* name, char const* text, int style);
    GL_SEdit(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int style);
    ~GL_SEdit() override;

    const char* GetClassName() override; // "GL_SEdit"
    // "Timeout!" from the caret timer toggles the caret; -1 for an absent or
    // empty event name, 0 for others.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    int MouseMove(int x, int y, unsigned char button) override;
    int MouseIn(int x, int y, unsigned char button) override;  // 0
    int MouseOut(int x, int y, unsigned char button) override; // 0
    int KeyIn(char* text, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
              unsigned char released) override;
    int GetFocus() override;
    // Stops the caret, ends a press and a selection, redraws.
    int LostFocus() override;
    int Draw(_GS_Region* region) override;

    // Copies the text and resets the state: no caret, no selection, origin 4.
    void Init(char const* text, int style);
    // Replaces the text (an empty one leaves none), cursor at the end; 0.
    int SetText(char const* text);
    // The multi-byte text, null when empty.
    char* GetText() { return text; }
    // -1 when unchanged.
    int SetInsertSymbolColor(unsigned long pixel);

    // Editing primitives: each returns 0 when it changed the text, else -1.
    int RemoveSelectedText();
    int BackSpaceChar();
    int DeleteChar();

    int GetCursor() { return cursor; }
    int GetCharCount() { return charCount; }
    unsigned short* GetChars() { return chars; }
    // The selected range lo..hi (hi exclusive); 0 when nothing is selected.
    int GetSelection(int* lo, int* hi);
    // Pixel x of character boundary i (originX plus the widths before it).
    int CharPosX(int i);
    // The boundary closest to window x.
    int IndexAtX(int x);

    // Fields after those of GL_Window, in this order.
    unsigned char pressed;
    char* text; // owned; null when empty
    unsigned int insertSymbolColor;
    unsigned char caretShown;
    GL_Timeout* caretTimer; // owned
    unsigned char selecting;
    int editPressX, editPressY; // press point
    int selStart, selEnd;       // character indexes, -1 = none
    int caretX;
    int originX;           // x of the first character; never above 4
    unsigned short* chars; // owned
    int charCount;
    int cursor; // 0..charCount
};
