// Placeholders until this module lands: every request here is read in
// full by the dispatcher and then does nothing. Delete this file when
// the real module defines these functions.
#include "core/handlers.h"
#include "window/sswindow.h"

void SS_InitWindows() {}
void SS_DestroyClientWindows(SSClient*) {}
void SS_WindowsRotated() {}

void HandleCreateWindow(SSClient*, const uint8_t*, uint32_t) {}
void HandleDestroyWindow(SSClient*, const uint8_t*, uint32_t) {}
void HandleRaiseWindow(SSClient*, const uint8_t*, uint32_t) {}
void HandleLowerWindow(SSClient*, const uint8_t*, uint32_t) {}
void HandleMapWindow(SSClient*, const uint8_t*, uint32_t) {}
void HandleUnmapWindow(SSClient*, const uint8_t*, uint32_t) {}
void HandleResizeWindow(SSClient*, const uint8_t*, uint32_t) {}
void HandleMoveWindow(SSClient*, const uint8_t*, uint32_t) {}
void HandleMoveResizeWindow(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetWidgetPopFlag(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetWidgetFlag(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetClientExposed(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetTopWindowFlag(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetTransientFlag(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetWinShapeSizeOffset(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetDesktopFlag(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetBackColor(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetBackPixmap(SSClient*, const uint8_t*, uint32_t) {}
