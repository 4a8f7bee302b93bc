// Pixmaps: off-screen grey images that clients draw into and copy to windows.
#pragma once

#include <cstdint>

#include "render/drawable.h"

struct SSClient;
struct SSRegion;

struct SSPixmap {
    SSDrawable d;          // pixels, id, width, height, bits per pixel, bytes per row, kind 5
    int32_t depth;         // bits per pixel as created (8 when the request gave 0 or less)
    int32_t refCount;      // 1 at creation
    SSRegion* maskRegion;  // shape computed from this pixmap as a 1-bit mask, kept once made
    SSClient* owner;       // the connection that created it
};

// The pixmap with this identifier, or null (0 is never found).
SSPixmap* SS_FindPixmap(uint32_t id);

// Frees every pixmap that the connection created.
void SS_FreeClientPixmaps(SSClient* client);
