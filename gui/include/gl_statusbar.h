// GL_Statusbar: a bar of sunken panes, each an optional icon from an image
// list followed by a text. The first pane takes whatever width the others
// leave.
#pragma once

#include "gl_window.h"

class GL_ImageList;

// One pane of a status bar.
struct GL_StatusPane {
    int width;
    char* text;          // owned, null when empty
    int icon;            // index in the bar's image list, negative for none
    unsigned char align; // 0 left, 1 centred, 2 right
    unsigned char flag;
    int textWidth; // cached measurement, -1 until measured
};

class GL_Statusbar : public GL_Window {
public:
    // parent, name, image list (not owned, may be null), style.
    GL_Statusbar(GL_Window* parent, char const* name, GL_ImageList* images, int style);
    GL_Statusbar(GL_Window* parent, char const* name, int x, int y, int w, int h, GL_ImageList* images, int style);
    ~GL_Statusbar() override;
    const char* GetClassName() override; // "GL_Statusbar"
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    int Draw(_GS_Region* region) override;
    int WindowSizeChange(int w, int h) override;

    // width, icon index, alignment, flag. -1 for a width below 1 (or past the
    // 256 panes an index can reach); 0 when appended.
    int AddPane(int width, int icon, unsigned char align, unsigned char flag);
    // -1 for an index outside the panes; otherwise the text (a copy, none for
    // an empty one) replaces the pane's, the bar redraws, 0.
    int SetPaneText(unsigned char index, char* text);
    int GetPaneCount() { return paneCount; }
    GL_StatusPane* GetPane(int index) { return index >= 0 && index < paneCount ? &panes[index] : nullptr; }
    // The pane at window x, or -1.
    int PaneAt(int x);

    // Fields after those of GL_Window, in this order.
    GL_ImageList* imageList;
    GL_StatusPane* panes;
    int paneCount;
    int paneCapacity;
    int firstWidth; // the width the first pane was given
    unsigned char pressed;
    int pressedPane; // -1 for none

private:
    void InitBar(GL_ImageList* images);
    void FitFirstPane();
};
