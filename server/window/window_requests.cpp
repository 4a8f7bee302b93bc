// The window requests: each reads its fields in table order, looks its
// windows up and does nothing when one is missing.
#include "core/handlers.h"
#include "protocol/protocol.h"
#include "render/sspixmap.h"
#include "window/sswindow.h"

namespace {

// The window named by the first field, or null.
SSWindow* TargetWindow(proto::ArgReader& args) { return SS_FindWindow(args.u32()); }

void SetFlag(const uint8_t* msg, uint32_t length, uint32_t flag) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    if (!w) return;
    if (args.u32() & 1)
        w->flags |= flag;
    else
        w->flags &= ~flag;
}

} // namespace

void HandleCreateWindow(SSClient* client, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    uint32_t id = args.u32();
    uint32_t parentId = args.u32();
    int32_t x = args.s32(), y = args.s32(), width = args.s32(), height = args.s32();
    uint32_t colour = args.u32();
    uint8_t kind = args.byte();
    SS_CreateWindow(client, id, parentId, x, y, width, height, colour, kind);
}

void HandleDestroyWindow(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    if (SSWindow* w = TargetWindow(args)) SS_DestroyWindow(w);
}

void HandleRaiseWindow(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    if (SSWindow* w = TargetWindow(args)) SS_RaiseWindow(w);
}

// Looks the window up and leaves the stacking order alone.
void HandleLowerWindow(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    (void)TargetWindow(args);
}

void HandleMapWindow(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    uint8_t noExpose = args.byte();
    if (w) SS_MapWindow(w, noExpose != 0);
}

void HandleUnmapWindow(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    uint8_t noExpose = args.byte();
    if (w) SS_UnmapWindow(w, noExpose != 0);
}

void HandleResizeWindow(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    int32_t width = args.s32(), height = args.s32();
    if (w) SS_ResizeWindow(w, width, height);
}

void HandleMoveWindow(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    int32_t dx = args.s32(), dy = args.s32();
    uint8_t noExpose = args.byte();
    if (w) SS_MoveWindow(w, dx, dy, noExpose != 0);
}

void HandleMoveResizeWindow(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    int32_t x = args.s32(), y = args.s32(), width = args.s32(), height = args.s32();
    uint8_t noExpose = args.byte();
    if (w) SS_MoveResizeWindow(w, x, y, width, height, noExpose != 0);
}

void HandleSetWidgetPopFlag(SSClient*, const uint8_t* msg, uint32_t length) { SetFlag(msg, length, WIN_WIDGETPOP); }
void HandleSetWidgetFlag(SSClient*, const uint8_t* msg, uint32_t length) { SetFlag(msg, length, WIN_WIDGET); }
void HandleSetClientExposed(SSClient*, const uint8_t* msg, uint32_t length) { SetFlag(msg, length, WIN_CLIENTEXPOSED); }
void HandleSetTopWindowFlag(SSClient*, const uint8_t* msg, uint32_t length) { SetFlag(msg, length, WIN_TOPWINDOW); }

void HandleSetTransientFlag(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    SSWindow* owner = TargetWindow(args);
    if (w && owner) SS_SetTransient(w, owner);
}

void HandleSetWinShapeSizeOffset(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    SSPixmap* mask = SS_FindPixmap(args.u32());
    int32_t x = args.s32(), y = args.s32();
    if (w && mask) SS_SetShape(w, mask, x, y);
}

void HandleSetDesktopFlag(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    int32_t x = args.s32(), y = args.s32(), width = args.s32(), height = args.s32();
    if (w) SS_SetDesktop(w, x, y, width, height);
}

void HandleSetBackColor(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    SSWindow* w = TargetWindow(args);
    uint32_t colour = args.u32();
    if (w) SS_SetBackColor(w, colour);
}

void HandleSetBackPixmap(SSClient*, const uint8_t* msg, uint32_t length) {
    proto::ArgReader args(msg, length);
    uint32_t id = args.u32();
    SSWindow* w = id == 0 ? g_rootWindow : SS_FindWindow(id);
    SSPixmap* pixmap = SS_FindPixmap(args.u32());
    if (w && pixmap) SS_SetBackPixmap(w, pixmap);
}
