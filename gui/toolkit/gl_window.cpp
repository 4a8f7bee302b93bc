// GL_Window: client-side mirror of one server window.
#include "gl_window.h"

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_color.h"
#include "gl_image.h"
#include "gl_pixmap.h"
#include "nc_request.h"
#include "protocol/protocol.h"

#include <algorithm>
#include <cstdio>

GL_Window* __pMainW = nullptr;

// Constructed when the library is loaded; the pointers are the exported names.
static ZPSList gTopMoveList(0);
static ZPSList gPopWindowList(0);
ZPSList* pTopMoveList = &gTopMoveList;
ZPSList* pPopWindowList = &gPopWindowList;

namespace {

constexpr int kNoOutline = -9999;

// The identifier the next GetProgramIdBase will hand out. CreateWindow takes
// its identifier itself and answers 0 when the write fails; the window keeps
// the identifier regardless, so it is read before the request.
unsigned long PeekNextId() {
    return uint32_t(proto::GetU32(gSysInfo + proto::sysinfo::kIdBase) +
                    proto::GetU32(gSysInfo + proto::sysinfo::kIdCounter));
}

// Calls fn on every child that is a window, in stacking order. The next node
// is taken first so that fn may change the list.
template <class Fn> void ForEachChildWindow(ZPSList* children, Fn fn) {
    if (!children) return;
    for (ZPCList* node = children->first; node;) {
        ZPCList* next = node->next;
        GL_Object* child = static_cast<GL_Object*>(node->data);
        if (child->objectFlags & GL_OBJ_WINDOW) fn(static_cast<GL_Window*>(child));
        node = next;
    }
}

} // namespace

GL_Window::GL_Window(GL_Window* parentWin, char const* objectName, int objectStyle)
    : GL_Object(parentWin, objectName, objectStyle), transients(0) {
    Init(parentWin, objectName, 0, 0, 70, 25, iGreyS, 0);
}

GL_Window::GL_Window(GL_Window* parentWin, char const* objectName, int px, int py, int pw, int ph, unsigned long back,
                     int objectStyle)
    : GL_Object(parentWin, objectName, objectStyle), transients(0) {
    Init(parentWin, objectName, px, py, pw, ph, back, objectStyle);
}

void GL_Window::Init(GL_Window* parentWin, char const*, int px, int py, int pw, int ph, unsigned long back,
                     int objectStyle) {
    updateLocked = 0;
    wmProperty = 0;
    wmPropertySet = 0;
    x = px;
    y = py;
    w = pw;
    h = ph;
    backColor = static_cast<unsigned int>(back);
    parentWindow = parentWin;
    foreColor = static_cast<unsigned int>(iBlackS);
    font = nullptr;
    backColorRec = _GL_Color{};
    foreColorRec = _GL_Color{};
    GL_SetColorByPixel(&backColorRec, backColor);
    GL_SetColorByPixel(&foreColorRec, foreColor);

    objectFlags |= GL_OBJ_WINDOW;
    backgroundMode = 0;

    absX = parentWindow ? parentWindow->absX + x : x;
    absY = parentWindow ? parentWindow->absY + y : y;
    if (!parentWindow && !__pMainW) __pMainW = this;

    windowFlags = GL_WIN_ENABLED;
    secondImage = 0;
    shownState = 0;
    transientFor = nullptr;
    image1 = image2 = backImage = shapeImage = nullptr;
    borderType = 0;
    borderEdge = 0;
    // A widget added to a window already on screen waits for its own
    // ShowWindow; one added to a hidden window appears with it.
    if (parentWindow && IsAllParentViewable(this)) windowFlags |= GL_WIN_HELD_HIDDEN;

    windowId = static_cast<unsigned int>(PeekNextId());
    NC_CreateWindow(parentWindow ? parentWindow->windowId : 0, x, y, w, h, backColor,
                    static_cast<unsigned char>(objectStyle));
    GL_InsertWidgetHash(windowId, this);

    canMove = 0;
    dragging = 0;
    pressX = pressY = pressWinX = pressWinY = 0;
    outlineX = outlineY = kNoOutline;
    for (unsigned int& slot : wmSlots)
        slot = 0;

    if (__pMainW == this) {
        NC_SetTopWindowFlag(windowId, 1);
        windowFlags |= GL_WIN_TOP;
    }
    windowFlags2 = 0;
    NC_SetWidgetFlag(windowId, 1);
    objectFlags |= GL_OBJ_INITED;
}

GL_Window::~GL_Window() {
    gCallback("Delete3!", this);

    // Transient links in both directions, so that no owner or dialog keeps a
    // pointer to this window.
    for (ZPCList* node = transients.first; node; node = node->next)
        static_cast<GL_Window*>(node->data)->transientFor = nullptr;
    transients.clear();
    if (transientFor) {
        transientFor->transients.RemoveItemByData(this);
        transientFor = nullptr;
    }

    NC_DestroyWindow(windowId);
    GL_RemoveWidgetHash(windowId);
    if (!parentWindow && pWMList && pWMIdList) {
        int index = pWMList->FindIndexByData(this);
        if (index >= 0) {
            pWMList->RemoveItemByIndex(index);
            pWMIdList->RemoveItemByIndex(index);
        }
    }
    // Nothing may keep a destroyed window: the drag followers, the pop-up
    // list and the main-window pointer would otherwise dangle.
    RemoveItemByDataDuplicate(pTopMoveList, this);
    RemoveItemByDataDuplicate(pPopWindowList, this);
    if (__pMainW == this) __pMainW = nullptr;
    // Items that belong to an image list are the list's to free.
    for (GL_ImageListItem** item : {&image1, &image2, &backImage, &shapeImage})
        DropImage(item);
}

const char* GL_Window::GetClassName() { return "GL_Window"; }
int GL_Window::IsWindow() { return 1; }

// ---- Visibility --------------------------------------------------------------------

int IsAllParentViewable(GL_Window* win) {
    if (!win) return 0;
    for (GL_Window* p = win->parentWindow; p; p = p->parentWindow)
        if (!(p->windowFlags & GL_WIN_SHOWN)) return 0;
    return 1;
}

int GL_Window::ShowWindow(unsigned char byParent) {
    if (windowFlags & GL_WIN_VIEWABLE) return -1;
    if (!byParent) windowFlags &= static_cast<unsigned char>(~GL_WIN_HELD_HIDDEN);
    windowFlags |= GL_WIN_SHOWN;
    if (!IsAllParentViewable(this)) return -1;
    windowFlags |= GL_WIN_VIEWABLE;
    shownState = 1;
    ForEachChildWindow(children, [](GL_Window* child) {
        if (!(child->windowFlags & GL_WIN_HELD_HIDDEN)) child->ShowWindow(1);
    });
    if (windowId) NC_MapWindow(windowId, byParent);
    return 0;
}

int GL_Window::HideWindow(unsigned char byParent) {
    if (!byParent) windowFlags |= GL_WIN_HELD_HIDDEN;
    windowFlags &= static_cast<unsigned char>(~(GL_WIN_SHOWN | GL_WIN_VIEWABLE));
    shownState = 0;
    ForEachChildWindow(children, [](GL_Window* child) {
        if (child->windowFlags & GL_WIN_SHOWN) child->HideWindow(1);
    });
    if (windowId) NC_UnmapWindow(windowId, byParent);
    return 0;
}

int GL_Window::RaiseWindow() {
    if (parent && parent->children && parent->children->RemoveItemByData(this) == 0) parent->children->AppendItem(this);
    NC_RaiseWindow(windowId);
    return 0;
}

int GL_Window::LowerWindow() {
    if (parent && parent->children && parent->children->RemoveItemByData(this) == 0)
        parent->children->InsertItem(0, this);
    NC_LowerWindow(windowId);
    return 0;
}

// ---- Geometry --------------------------------------------------------------------------

int GL_Window::MoveWindowInternal(int dx, int dy) {
    absX += dx;
    absY += dy;
    // Screen positions of the whole subtree follow, not only this window's.
    ForEachChildWindow(children, [dx, dy](GL_Window* child) { child->MoveWindowInternal(dx, dy); });
    return 0;
}

int GL_Window::MoveWindow(int dx, int dy, unsigned char flag, unsigned char send) {
    if (send) {
        x += dx;
        y += dy;
    }
    MoveWindowInternal(dx, dy);
    if (send) NC_MoveWindow(windowId, dx, dy, flag);
    return 1;
}

int GL_Window::MoveResizeWindow(int nx, int ny, int nw, int nh, unsigned char flag) {
    int dx = nx - x, dy = ny - y;
    bool resized = nw != w || nh != h;
    x = nx;
    y = ny;
    w = nw;
    h = nh;
    MoveWindowInternal(dx, dy);
    NC_MoveWindow(windowId, dx, dy, flag);
    if (resized) {
        NC_ResizeWindow(windowId, w, h);
        ResizeWindowNotify();
        WindowSizeChange(w, h);
    }
    return 1;
}

int GL_Window::ResizeWindow(int nw, int nh) {
    if (nw == w && nh == h) return -1;
    w = nw;
    h = nh;
    NC_ResizeWindow(windowId, w, h);
    WindowSizeChange(w, h);
    ResizeWindowNotify();
    return 0;
}

// ---- Colours, background, border ------------------------------------------------------

void GL_Window::SendRedraw() {
    if (windowFlags & GL_WIN_VIEWABLE) UpdateWindow(nullptr);
}

int GL_Window::SetForeColor(unsigned long pixel) {
    if (pixel == foreColor) return -1;
    foreColor = static_cast<unsigned int>(pixel);
    GL_SetColorByPixel(&foreColorRec, foreColor);
    SendRedraw();
    return 0;
}

int GL_Window::SetBackColor(unsigned long pixel) {
    bool droppedImage = backgroundMode != 0 || backImage;
    DropImage(&backImage);
    backgroundMode = 0;
    if (pixel != backColor) {
        windowFlags2 &= static_cast<unsigned char>(~GL_WIN2_RGBA_BACK);
        backColor = static_cast<unsigned int>(pixel);
        GL_SetColorByPixel(&backColorRec, backColor);
        NC_SetBackColor(windowId, backColor);
        SendRedraw();
        return 0;
    }
    if (droppedImage) SendRedraw();
    return -1;
}

int GL_Window::SetBackColorByRGBA(unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
    GL_SetColor(&backColorRec, r, g, b, a);
    windowFlags2 |= GL_WIN2_RGBA_BACK;
    backColor = backColorRec.pixel;
    backgroundMode = 0;
    NC_SetBackColor(windowId, backColor);
    SendRedraw();
    return 0;
}

// ---- Images -----------------------------------------------------------------------------

void GL_Window::DropImage(GL_ImageListItem** item) {
    if (*item && !(*item)->inList) delete *item;
    *item = nullptr;
}

int GL_Window::SetImageFile(char* file, unsigned char second) {
    if (!file || !*file) return -1;
    auto* item = new GL_ImageListItem(nullptr, file);
    if (!item->IsGood()) {
        delete item;
        return -1;
    }
    GL_ImageListItem** slot = second ? &image2 : &image1;
    DropImage(slot);
    *slot = item;
    SendRedraw();
    return 0;
}

int GL_Window::SetBackImageFile(char* file) {
    if (!file || !*file) return -1;
    auto* item = new GL_ImageListItem(nullptr, file);
    if (!item->IsGood()) {
        delete item;
        return 0; // the previous background stays
    }
    DropImage(&backImage);
    backImage = item;
    backgroundMode = 1;
    fprintf(stderr, "fname=%s id=%lx pid=%lx\n", file, (unsigned long)windowId, item->GetPixmapId());
    if (item->pixmap) NC_SetBackPixmap(windowId, item->pixmap->id);
    SendRedraw();
    return 0;
}

int GL_Window::SetShapeImageFile(char* file) {
    if (!file || !*file) return -1;
    DropImage(&shapeImage);
    auto* item = new GL_ImageListItem(nullptr, file);
    if (!item->IsGood()) {
        delete item;
        return -1;
    }
    shapeImage = item;
    if (item->mask)
        NC_SetWinShapeSizeOffset(windowId, item->mask->id, std::max(0, w - item->width) / 2,
                                 std::max(0, h - item->height) / 2);
    SendRedraw();
    return 0;
}
int GL_Window::SetImageData(char*, int) { return 0; }
int GL_Window::SetShapeImageData(char*, int) { return 0; }
int GL_Window::SetBackImageData(char*, int) { return 0; }

int GL_Window::SwitchToSecondImage(unsigned char second) {
    if (second == secondImage) return -1;
    secondImage = second;
    SendRedraw();
    return 0;
}

int GL_Window::SetBorderType(unsigned char type) {
    if (type > 4 || type == borderType) return -1;
    borderType = type;
    SendRedraw();
    return 0;
}

int GL_Window::SetBorderEdgeState(unsigned char edge) {
    if (edge == borderEdge) return -1;
    borderEdge = edge;
    SendRedraw();
    return 0;
}

int GL_Window::SetFont(GL_Font* f) {
    font = f;
    return 0;
}

int GL_Window::EnableWindow() {
    if (windowFlags & GL_WIN_ENABLED) return -1;
    windowFlags |= GL_WIN_ENABLED;
    SendRedraw();
    return 0;
}

int GL_Window::DisableWindow() {
    if (!(windowFlags & GL_WIN_ENABLED)) return -1;
    windowFlags &= static_cast<unsigned char>(~GL_WIN_ENABLED);
    SendRedraw();
    return 0;
}

int GL_Window::SetRedraw(unsigned char on) {
    bool want = on != 0;
    if (want == ((windowFlags & GL_WIN_REDRAW) != 0)) return -1;
    if (want)
        windowFlags |= GL_WIN_REDRAW;
    else
        windowFlags &= static_cast<unsigned char>(~GL_WIN_REDRAW);
    if (want && (windowFlags & GL_WIN_VIEWABLE)) UpdateWindow(nullptr);
    return 0;
}

int GL_Window::UpdateLock() {
    updateLocked = 1;
    return 0;
}

int GL_Window::UpdateUnLock() {
    updateLocked = 0;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Window::SetCanMoved(unsigned char on) {
    if (on == canMove) return -1;
    if (on && parentWindow) return -1; // only a top-level window can be dragged
    canMove = on;
    return 0;
}

int GL_Window::SetTopWindowFlag(unsigned char on) {
    if (on)
        windowFlags |= GL_WIN_TOP;
    else
        windowFlags &= static_cast<unsigned char>(~GL_WIN_TOP);
    NC_SetTopWindowFlag(windowId, on ? 255 : 0);
    return 0;
}

int GL_Window::SetTransientFlag(GL_Window* owner) {
    if (!owner || owner == this || !(owner->windowFlags & GL_WIN_TOP) || !(windowFlags & GL_WIN_DIALOG)) return -1;
    if (transientFor && transientFor != owner) transientFor->transients.RemoveItemByData(this);
    transientFor = owner;
    owner->transients.AppendItem(this);
    NC_SetTransientFlag(windowId, owner->windowId);
    return 0;
}

int GL_Window::SetWMProperty(int property, char*) {
    for (int i = 0; i < 5; ++i)
        if (wmSlots[i]) return -1;
    wmPropertySet = 1;
    wmProperty = static_cast<unsigned char>(property);
    GL_InitWidgetHash(); // creates the WM lists
    if (pWMList->AppendItem(this) == 0)
        pWMIdList->AppendItem(reinterpret_cast<void*>(static_cast<unsigned long>(windowId)));
    return 0;
}

GL_Window* GL_Window::GetTopWindow() {
    GL_Window* top = this;
    while (top->parentWindow)
        top = top->parentWindow;
    return top;
}

// ---- Default event handlers ---------------------------------------------------------------

void GL_Window::EraseOutline() {
    if (outlineX != kNoOutline) NC_DrawWRectXorScreen(outlineX, outlineY, w, h, 1, iYellowS);
    outlineX = outlineY = kNoOutline;
}

int GL_Window::MouseDown(int px, int py, unsigned char) {
    if (!(windowFlags & GL_WIN_ENABLED)) return -1;
    if (gCallback("MouseDown!")) return 0; // a target deleted this window
    outlineX = outlineY = kNoOutline;
    dragging = 1;
    pressX = px;
    pressY = py;
    pressWinX = x;
    pressWinY = y;
    return 0;
}

int GL_Window::MouseMove(int px, int py, unsigned char) {
    if (!dragging || !canMove) return 0;
    int dx = px - pressX, dy = py - pressY;
    if (dx == 0 && dy == 0) return -1;
    int nx = absX + dx, ny = absY + dy;
    // Redraw the outline only when it actually moves; a purely horizontal or
    // vertical drag still moves it.
    if (nx == outlineX && ny == outlineY) return 0;
    EraseOutline();
    outlineX = nx;
    outlineY = ny;
    NC_DrawWRectXorScreen(outlineX, outlineY, w, h, 1, iYellowS);
    return 0;
}

int GL_Window::MouseUp(int px, int py, unsigned char) {
    if (!(windowFlags & GL_WIN_ENABLED)) return -1;
    if (gCallback("MouseUp!")) return 0; // a target deleted this window
    if (!dragging || !canMove) {
        dragging = 0;
        return 0;
    }
    int dx = px - pressX, dy = py - pressY;
    EraseOutline();
    dragging = 0;
    if (dx == 0 && dy == 0) return -1;
    MoveResizeWindow(pressWinX + dx, pressWinY + dy, w, h, 0);
    for (ZPCList* node = pTopMoveList->first; node;) {
        ZPCList* next = node->next;
        GL_Window* follower = static_cast<GL_Window*>(node->data);
        if (follower != this)
            follower->MoveResizeWindow(follower->x + dx, follower->y + dy, follower->w, follower->h, 0);
        node = next;
    }
    return 0;
}

int GL_Window::MouseIn(int, int, unsigned char) {
    if (!(windowFlags & GL_WIN_ENABLED)) return -1;
    if (gCallback("MouseIn!")) return 0; // a target deleted this window
    return 0;
}

int GL_Window::MouseOut(int, int, unsigned char) {
    if (!(windowFlags & GL_WIN_ENABLED)) return -1;
    if (gCallback("MouseOut!")) return 0; // a target deleted this window
    return 0;
}

int GL_Window::KeyIn(char* text, int, unsigned int, unsigned int, unsigned int, unsigned char) {
    return (text && text[0]) ? 0 : -1;
}

int GL_Window::UpdateWindow(_GS_Rect*) {
    if (windowFlags & GL_WIN_VIEWABLE) Draw(nullptr);
    return 0;
}

int GL_Window::IsPointInWindow(int px, int py, unsigned char needViewable) {
    if (needViewable && !(windowFlags & GL_WIN_VIEWABLE)) return 0;
    return px >= 0 && px < w && py >= 0 && py < h;
}

int GL_Window::ActiveWindow(GL_Window*, unsigned char) { return 0; }
int GL_Window::DeactiveWindow(GL_Window*) { return 0; }
int GL_Window::GetFocus() { return 0; }
int GL_Window::LostFocus() { return 0; }
int GL_Window::CalcSize(int*, int*) { return 0; }
int GL_Window::ScreenSizeChange(int, int, _ROATE_MODE) { return 0; }
int GL_Window::WindowSizeChange(int, int) { return 0; }
int GL_Window::DefaultFontChange(int, int) { return 0; }
int GL_Window::CharsetChange(int) { return 0; }
int GL_Window::GotUserMessage(char const*, unsigned long, unsigned long, unsigned long, char*, unsigned long) {
    return 0;
}
int GL_Window::ResizeWindowNotify() { return 0; }
int GL_Window::ResetPopWindow(void*) { return 0; }

int GL_Window::DrawBackground(unsigned long pixmap) {
    if (!pixmap) return -1;
    GL_ImageListItem* image = backgroundMode ? backImage : nullptr;
    if (!image || !image->pixmap) {
        NC_FillRect(pixmap, 0, 0, w, h, backColor);
        return 0;
    }
    // An opaque image that covers the window needs no fill below it.
    if (image->width < w || image->height < h || image->mask) NC_FillRect(pixmap, 0, 0, w, h, backColor);
    // A shaped window shows its shape already: the copy is then unmasked.
    unsigned long mask = image->GetMaskId();
    if (shapeImage && shapeImage->mask) mask = 0;
    GL_CopyAreaP2P(image->pixmap->id, pixmap, mask, 0, 0, std::min(image->width, w), std::min(image->height, h),
                   std::max(0, w - image->width) / 2, std::max(0, h - image->height) / 2);
    return 0;
}

int GL_Window::Draw(_GS_Region*) {
    // Nothing reaches the screen from a window that is not viewable, and the
    // server refuses empty pixmaps.
    if (!(windowFlags & GL_WIN_VIEWABLE) || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    DrawBackground(pixmap);
    if (borderType == 1) {
        if (borderEdge)
            NC_DrawUpBoxCustomRGB(pixmap, 0, 0, w, h, backColorRec, borderEdge);
        else
            NC_DrawUpBoxRGB(pixmap, 0, 0, w, h, backColorRec);
    } else if (borderType == 2) {
        if (borderEdge)
            NC_DrawDownBoxCustomRGB(pixmap, 0, 0, w, h, backColorRec, borderEdge);
        else
            NC_DrawDownBoxRGB(pixmap, 0, 0, w, h, backColorRec);
    }
    EndPixmap(pixmap, this);
    return 0;
}
