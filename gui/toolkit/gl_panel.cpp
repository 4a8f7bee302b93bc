#include "gl_panel.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "nc_request.h"

namespace {
// Stores a changed value and redraws; -1 when unchanged.
template <typename T, typename V> int StoreAndDraw(GL_Window* window, T* field, V value) {
    if (*field == static_cast<T>(value)) return -1;
    *field = static_cast<T>(value);
    if (window->IsViewable()) window->Draw(nullptr);
    return 0;
}
} // namespace

// ---- GL_Panel ---------------------------------------------------------------------------

GL_Panel::GL_Panel(GL_Window* parent, char const* name, int style)
    : GL_Window(parent, name, style), panelType(5), lineWidth(1), lineColor(unsigned(iBlackS)) {}

GL_Panel::GL_Panel(GL_Window* parent, char const* name, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style), panelType(5), lineWidth(1), lineColor(unsigned(iBlackS)) {}

const char* GL_Panel::GetClassName() { return "GL_Panel"; }

int GL_Panel::SetPanelType(int type) { return StoreAndDraw(this, &panelType, type); }
int GL_Panel::SetLineWidth(int width) { return StoreAndDraw(this, &lineWidth, width); }
int GL_Panel::SetLineColor(unsigned long pixel) { return StoreAndDraw(this, &lineColor, pixel); }

int GL_Panel::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    NC_FillRect(pixmap, 0, 0, w, h, backColor);
    switch (panelType) {
    case 1: NC_DrawWRect(pixmap, 0, 0, w, h, lineWidth, lineColor); break;
    case 2: NC_DrawDownBoxS(pixmap, 0, 0, w, h); break;
    case 3: NC_DrawUpBoxS(pixmap, 0, 0, w, h); break;
    case 4: NC_DrawDownBox(pixmap, 0, 0, w, h, 0); break;
    case 5: NC_DrawUpBox(pixmap, 0, 0, w, h, 0); break;
    default: break;
    }
    EndPixmap(pixmap, this);
    return 0;
}

// ---- GL_Seperator -----------------------------------------------------------------------

GL_Seperator::GL_Seperator(GL_Window* parent, char const* name, int style)
    : GL_Window(parent, name, style), dir(0), sepType(3), lineWidth(1), lineColor(unsigned(iBlackS)) {}

GL_Seperator::GL_Seperator(GL_Window* parent, char const* name, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style), dir(0), sepType(3), lineWidth(1),
      lineColor(unsigned(iBlackS)) {}

const char* GL_Seperator::GetClassName() { return "GL_Seperator"; }

int GL_Seperator::SetSeperatorDir(int d) { return StoreAndDraw(this, &dir, d == 1 ? 1 : 0); }
int GL_Seperator::SetSeperatorType(int type) { return StoreAndDraw(this, &sepType, type); }
int GL_Seperator::SetLineWidth(int width) { return StoreAndDraw(this, &lineWidth, width < 1 ? 1 : width); }
int GL_Seperator::SetLineColor(unsigned long pixel) { return StoreAndDraw(this, &lineColor, pixel); }

int GL_Seperator::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    NC_FillRect(pixmap, 0, 0, w, h, backColor);
    bool vertical = dir == 1;
    if (sepType == 2) {
        if (vertical)
            NC_DrawVSeperator2(pixmap, w / 2, 0, h - 1);
        else
            NC_DrawHSeperator2(pixmap, 0, w - 1, h / 2);
    } else if (sepType == 3) {
        if (vertical)
            NC_DrawVSeperator3D2(pixmap, w / 2, 0, h - 1);
        else
            NC_DrawHSeperator3D2(pixmap, 0, w - 1, h / 2);
    } else if (vertical) {
        NC_FillRect(pixmap, (w - lineWidth) / 2, 0, lineWidth, h, lineColor);
    } else {
        NC_FillRect(pixmap, 0, (h - lineWidth) / 2, w, lineWidth, lineColor);
    }
    EndPixmap(pixmap, this);
    return 0;
}

// ---- GL_UserWidget ----------------------------------------------------------------------

GL_UserWidget::GL_UserWidget(GL_Window* parent, char const* name, int style)
    : GL_Window(parent, name, style), pressed(0) {}

GL_UserWidget::GL_UserWidget(GL_Window* parent, char const* name, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style), pressed(0) {}

const char* GL_UserWidget::GetClassName() { return "GL_UserWidget"; }

int GL_UserWidget::ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) {
    return (event && *event) ? 0 : -1;
}

int GL_UserWidget::MouseDown(int, int, unsigned char) {
    if (!IsEnabled()) return -1;
    pressed = 1;
    return 0;
}

int GL_UserWidget::MouseUp(int, int, unsigned char) {
    if (!pressed || !IsEnabled()) return -1;
    pressed = 0;
    return 0;
}

int GL_UserWidget::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    NC_FillRect(pixmap, 0, 0, w, h, backColor);
    EndPixmap(pixmap, this);
    return 0;
}
