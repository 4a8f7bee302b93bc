// Placeholders until this module lands: every request here is read in
// full by the dispatcher and then does nothing. Delete this file when
// the real module defines these functions.
#include "core/handlers.h"
#include "render/fonts.h"

void InitFonts() {}
void FreeFonts() {}
void FontsFillSysInfo(uint8_t*) {}
uint32_t FontsCharInfo(const uint8_t** data) {
    *data = nullptr;
    return 0;
}

void HandleTextOutS(SSClient*, const uint8_t*, uint32_t) {}
void HandleTextOutD(SSClient*, const uint8_t*, uint32_t) {}
void HandleTextOutSimple(SSClient*, const uint8_t*, uint32_t) {}
void HandleTextOutSingle(SSClient*, const uint8_t*, uint32_t) {}
void HandleTextOutDouble(SSClient*, const uint8_t*, uint32_t) {}
void HandleSetCharsetMode(SSClient*, const uint8_t*, uint32_t) {}
