// Placeholders until this module lands: every request here is read in
// full by the dispatcher and then does nothing. Delete this file when
// the real module defines these functions.
#include "core/handlers.h"
#include "render/sspixmap.h"

void SS_FreeClientPixmaps(SSClient*) {}
SSPixmap* SS_FindPixmap(uint32_t) { return nullptr; }

void HandleCreatePixmap(SSClient*, const uint8_t*, uint32_t) {}
void HandleFreePixmap(SSClient*, const uint8_t*, uint32_t) {}
void HandleUpdatePixmap(SSClient*, const uint8_t*, uint32_t) {}
void HandleCopyAreaP2W(SSClient*, const uint8_t*, uint32_t) {}
void HandleCopyAreaP2P(SSClient*, const uint8_t*, uint32_t) {}
void HandleUpdateBigPixmap(SSClient*, const uint8_t*, uint32_t) {}
void HandleInvertPixmap(SSClient*, const uint8_t*, uint32_t) {}
void HandleCopyAreaP2P2(SSClient*, const uint8_t*, uint32_t) {}
void HandleCopyAreaP2WNormal(SSClient*, const uint8_t*, uint32_t) {}
void HandleCopyAreaP2WLeft(SSClient*, const uint8_t*, uint32_t) {}
void HandleCopyAreaP2P3(SSClient*, const uint8_t*, uint32_t) {}
void HandleSavePixmap(SSClient*, const uint8_t*, uint32_t) {}
