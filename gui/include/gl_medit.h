// GL_MEdit: a multi-line text edit. The text is a list of paragraphs (split
// at line feeds), each divided into rows that fit the width left of the
// vertical scroll bar; rows are 20 pixels apart and the child GL_Scroll
// "meditvs" scrolls them. Keys go to the widget in pIRWidget when one is set,
// otherwise to KeyInInternal. Pointer selection may span rows and paragraphs.
//
// Positions are character indexes over the whole text, where each line feed
// between two paragraphs counts as one character; every index stays in
// 0..GetCharCount() whatever arrives.
#pragma once

#include "gl_window.h"

class GL_Scroll;
class GL_Timeout;
struct MEditData;

// When set, every GL_MEdit hands its key events to this widget (an input
// method, for example) instead of editing itself.
extern GL_Window* pIRWidget;

class GL_MEdit : public GL_Window {
public:
    // A copy of text (line feeds separate paragraphs); the short form is
    // 70 x 25 at (0, 0). The edit owns its scroll bar and caret timer.
    GL_MEdit(GL_Window* parent, char const* name, char const* text, int style);
    GL_MEdit(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int style);
    ~GL_MEdit() override;

    const char* GetClassName() override; // "GL_MEdit"
    // "Timeout!" from the caret timer toggles the caret; "Value!" from the
    // scroll bar scrolls. -1 for an absent or empty event name.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    int MouseMove(int x, int y, unsigned char button) override;
    int MouseIn(int x, int y, unsigned char button) override;  // 0
    int MouseOut(int x, int y, unsigned char button) override; // 0
    int KeyIn(char* text, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
              unsigned char released) override;
    int GetFocus() override;
    int LostFocus() override;
    int Draw(_GS_Region* region) override;
    int WindowSizeChange(int w, int h) override;

    // Copies the text and resets the state (the constructors call it).
    void Init(char const* text, int style);
    // Replaces the text, divides it, cursor at the end; 0.
    int SetText(char const* text);
    // The multi-byte text, paragraphs joined by line feeds; null when empty.
    char* GetText() { return text; }
    // Key press handling without pIRWidget: key text (tab as a space),
    // 0xFF0D a new paragraph, 0xFFFF / 0xFF08 delete forward / backward.
    int KeyInInternal(char* text, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
                      unsigned char released);
    // Divides every paragraph into rows and updates the scroll range.
    void DivideRow();
    // The scroll range for the current number of rows.
    void SetScrollMaxValue();
    // Character index under a window point (row, then nearest boundary).
    int PixelToCharPos2(int x, int y);
    int RemoveSelectedText();

    // Cursor index, number of characters (line feeds between paragraphs
    // count one each) and number of rows as laid out now.
    int GetCursor() { return cursor; }
    int GetCharCount();
    int GetRowCount();
    // Row r's character range start..end (end exclusive); -1 when no such row.
    int GetRow(int r, int* start, int* end);
    int GetParagraphCount();
    // The selected range lo..hi (hi exclusive); 0 when nothing is selected.
    int GetSelection(int* lo, int* hi);
    GL_Scroll* GetScroll() { return vscroll; }
    int GetOffsetY() { return offsetY; }

    static constexpr int kRowHeight = 20;
    static constexpr int kScrollWidth = 16;

    // Fields after those of GL_Window.
    MEditData* data;    // owned
    GL_Scroll* vscroll; // child "meditvs"
    unsigned int textColor;
    int margin;
    char* text; // owned; null when empty
    unsigned char pressed;
    unsigned char caretShown;
    GL_Timeout* caretTimer; // owned
    unsigned char selecting;
    int editPressX, editPressY;
    int pressIndex;
    int selStart, selEnd; // -1 = none
    int cursor;
    int offsetY; // vertical offset of row 0 (0 or negative)

private:
    void Changed(); // text rebuilt, rows divided, caret restarted, redrawn
    void Clamp();
    void RestartCaret();
    void Insert(unsigned short const* in, int n);
    void ScrollToCursor();
    int RowOf(int index);
    int RowX(int row, int index);
};
