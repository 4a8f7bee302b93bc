#include "gl_statusbar.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_image.h"
#include "gl_pixmap.h"
#include "gui_util.h"
#include "nc_request.h"
#include "widget_caption.h"

namespace {

// SetPaneText addresses panes with one byte.
constexpr int kMaxPanes = 256;

} // namespace

GL_Statusbar::GL_Statusbar(GL_Window* parent, char const* name, GL_ImageList* images, int style)
    : GL_Window(parent, name, style) {
    InitBar(images);
}

GL_Statusbar::GL_Statusbar(GL_Window* parent, char const* name, int x, int y, int w, int h, GL_ImageList* images,
                           int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style) {
    InitBar(images);
}

void GL_Statusbar::InitBar(GL_ImageList* images) {
    imageList = images;
    panes = nullptr;
    paneCount = 0;
    paneCapacity = 0;
    firstWidth = 0;
    pressed = 0;
    pressedPane = -1;
    SetForeColor(iBlackS);
}

GL_Statusbar::~GL_Statusbar() {
    for (int i = 0; i < paneCount; ++i)
        GL_free(panes[i].text);
    GL_free(panes);
}

const char* GL_Statusbar::GetClassName() { return "GL_Statusbar"; }

void GL_Statusbar::FitFirstPane() {
    if (paneCount == 0) return;
    if (paneCount == 1) {
        panes[0].width = firstWidth;
        return;
    }
    // Wide enough not to overflow whatever widths were given.
    long long room = (long long)w - 4;
    for (int i = 1; i < paneCount; ++i)
        room -= (long long)panes[i].width + 2;
    panes[0].width = room > 0 ? int(room < 0x7FFFFFFF ? room : 0x7FFFFFFF) : 0;
}

int GL_Statusbar::AddPane(int width, int icon, unsigned char paneAlign, unsigned char flag) {
    if (width < 1 || paneCount >= kMaxPanes) return -1;
    if (paneCount == paneCapacity) {
        int grown = paneCapacity ? paneCapacity * 2 : 4;
        void* p = GL_realloc(panes, grown * int(sizeof(GL_StatusPane)));
        if (!p) return -1;
        panes = static_cast<GL_StatusPane*>(p);
        paneCapacity = grown;
    }
    panes[paneCount] = GL_StatusPane{width, nullptr, icon, paneAlign, flag, -1};
    if (paneCount == 0) firstWidth = width;
    ++paneCount;
    FitFirstPane();
    return 0;
}

int GL_Statusbar::SetPaneText(unsigned char index, char* newText) {
    if (index >= paneCount) {
        if (paneCount == 0) UpdateWindow(nullptr);
        return -1;
    }
    GL_StatusPane& pane = panes[index];
    GL_free(pane.text);
    pane.text = CopyCaption(newText);
    pane.textWidth = -1;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Statusbar::WindowSizeChange(int nw, int nh) {
    GL_Window::WindowSizeChange(nw, nh);
    FitFirstPane();
    return 0;
}

int GL_Statusbar::PaneAt(int px) {
    long long x = 2;
    for (int i = 0; i < paneCount; ++i) {
        if (px >= x && px < x + panes[i].width) return i;
        x += (long long)panes[i].width + 2;
    }
    return -1;
}

int GL_Statusbar::MouseDown(int px, int, unsigned char) {
    pressed = 1;
    // The pane under the pointer: the release completes a press on it.
    pressedPane = PaneAt(px);
    return 0;
}

int GL_Statusbar::MouseUp(int, int, unsigned char) {
    if (!pressed) return -1;
    pressed = 0;
    if (pressedPane < 0) return -1;
    pressedPane = -1;
    return 0;
}

int GL_Statusbar::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    DrawBackground(pixmap);
    int const boxH = h - 4 > 0 ? h - 4 : 0;
    long long x = 2;
    for (int i = 0; i < paneCount && x < w; ++i) {
        GL_StatusPane& pane = panes[i];
        int const px = int(x);
        NC_DrawDownBoxS(pixmap, px, 2, pane.width, boxH);
        GL_ImageListItem* icon =
            imageList && pane.icon >= 0 ? imageList->FindPixmapByIndex(static_cast<unsigned long>(pane.icon)) : nullptr;
        if (icon && !icon->IsGood()) icon = nullptr;
        WidgetTextBox box = MeasureCaption(font, pane.text);
        if (pane.textWidth < 0) pane.textWidth = box.width;
        int const iconW = icon ? icon->width : 0;
        int const content = iconW + 2 + pane.textWidth;
        int offset = 2;
        if (pane.align == 1)
            offset = (pane.width - content) / 2;
        else if (pane.align == 2)
            offset = pane.width - 2 - content;
        if (offset < 2) offset = 2; // too wide: it starts at the left like alignment 0
        if (icon) {
            int const iy = (h - icon->height) / 2;
            int const cw = icon->width < pane.width ? icon->width : pane.width;
            GL_CopyAreaP2P(icon->GetPixmapId(), pixmap, icon->GetMaskId(), 0, 0, cw, icon->height, px + offset,
                           iy > 0 ? iy : 0);
        }
        DrawCaption(pixmap, font, px + offset + iconW + 2, CentredBaseline(h, box), pane.text, foreColor);
        x += (long long)pane.width + 2;
    }
    NC_DrawUpBoxS(pixmap, 0, 0, w, h);
    EndPixmap(pixmap, this);
    return 0;
}
