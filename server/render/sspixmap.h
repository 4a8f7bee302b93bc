// Pixmaps: off-screen grey images that clients draw into and copy to windows.
//
// The pixmap table has 100 buckets (identifier modulo 100), each a doubly
// linked list with the newest entry first, so that a pixmap created under an
// identifier already in use hides the older one until it is freed. The last
// identifier looked up or entered is remembered with its record.
#pragma once

#include <cstdint>

#include "render/drawable.h"

struct SSClient;
struct SSRegion;

struct SSPixmap {
    SSDrawable d;         // pixels, id, width, height, bits per pixel, bytes per row, kind 5
    int32_t depth;        // bits per pixel as created (8 when the request gave 0 or less)
    int32_t refCount;     // 1 at creation (the table's reference)
    SSRegion* maskRegion; // shape computed from this pixmap as a 1-bit mask, kept once made
    SSClient* owner;      // the connection that created it
};

// Limits of one pixmap, so that no request can make the server allocate
// without bound: larger requests create nothing.
constexpr int32_t kMaxPixmapSide = 16384;
constexpr int64_t kMaxPixmapBytes = 64ll << 20;
constexpr int32_t kMaxPixmapDepth = 32;

// The pixmap with this identifier, or null (0 is never found).
SSPixmap* SS_FindPixmap(uint32_t id);

// Creates and enters a pixmap (zero-filled); null when the size, depth or
// identifier is refused or memory is short. Depth 0 or less means 8.
SSPixmap* SS_CreatePixmap(uint32_t id, int32_t width, int32_t height, int32_t depth, SSClient* owner);

// Removes the entry of `id` from the table and drops the table's reference.
void SS_FreePixmap(uint32_t id);

// Drops a reference; the record and its pixels go with the last one
// (windows are told through SS_ForgetPixmap).
void SS_ReleasePixmap(SSPixmap* pixmap);

// Removes every pixmap that the connection created.
void SS_FreeClientPixmaps(SSClient* client);

// Frees every pixmap (server shutdown, tests).
void SS_FreeAllPixmaps();

// The pixmap's pixels read as a 1-bit mask, as a region; built on first use
// and kept for the pixmap's lifetime. Null when the pixmap has no pixels.
const SSRegion* SS_PixmapMaskRegion(SSPixmap* pixmap);

// Number of pixmaps in the table (tests).
int SS_PixmapCount();
