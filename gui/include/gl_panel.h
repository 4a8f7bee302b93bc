// Decorative widgets: GL_Panel (a box), GL_Seperator (a line) and
// GL_UserWidget (an empty widget for client programs to draw on).
#pragma once

#include "gl_window.h"

class GL_Panel : public GL_Window {
public:
    // Type 5 (raised box), line width 1, line colour iBlackS.
    GL_Panel(GL_Window* parent, char const* name, int style);
    GL_Panel(GL_Window* parent, char const* name, int x, int y, int w, int h, int style);

    const char* GetClassName() override; // "GL_Panel"
    int Draw(_GS_Region* region) override;

    // 1 frame of the line width and colour, 2 sunken, 3 raised (simple
    // shades), 4 sunken, 5 raised, others nothing. Each setter returns -1
    // when unchanged.
    int SetPanelType(int type);
    int SetLineWidth(int width);
    int SetLineColor(unsigned long pixel);

    int panelType;
    int lineWidth;
    unsigned int lineColor;
};

class GL_Seperator : public GL_Window {
public:
    // Horizontal, type 3 (etched), line width 1, colour iBlackS.
    GL_Seperator(GL_Window* parent, char const* name, int style);
    GL_Seperator(GL_Window* parent, char const* name, int x, int y, int w, int h, int style);

    const char* GetClassName() override; // "GL_Seperator"
    int Draw(_GS_Region* region) override;

    // 1 vertical, anything else horizontal.
    int SetSeperatorDir(int dir);
    // 2 plain line, 3 etched line, others a bar of the line width and colour.
    int SetSeperatorType(int type);
    // Below 1 gives 1.
    int SetLineWidth(int width);
    int SetLineColor(unsigned long pixel);

    int dir;
    int sepType;
    int lineWidth;
    unsigned int lineColor;
};

class GL_UserWidget : public GL_Window {
public:
    GL_UserWidget(GL_Window* parent, char const* name, int style);
    // Background iGreyS.
    GL_UserWidget(GL_Window* parent, char const* name, int x, int y, int w, int h, int style);

    const char* GetClassName() override; // "GL_UserWidget"
    // 0 for a non-empty event name, -1 otherwise.
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) override;
    int MouseDown(int x, int y, unsigned char button) override;
    int MouseUp(int x, int y, unsigned char button) override;
    int Draw(_GS_Region* region) override;

    unsigned char pressed;
};
