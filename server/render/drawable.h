// The header that window and pixmap records share, so that drawing and copy
// code can take either. Window records (sswindow) and pixmap records
// (sspixmap) both begin with an SSDrawable member named `d`.
#pragma once

#include <cstdint>

enum SSDrawableKind : uint32_t {
    DRAWABLE_ROOT = 0,    // the root window
    DRAWABLE_WINDOW1 = 1, // client windows, by CreateWindow's kind byte
    DRAWABLE_WINDOW2 = 2,
    DRAWABLE_WINDOW3 = 3,
    DRAWABLE_PIXMAP = 5,
};

struct SSDrawable {
    uint8_t* pixels; // windows: the frame buffer image; pixmaps: their own bytes
    uint32_t id;     // client-chosen identifier, never 0 for a client object
    int32_t x, y;    // absolute screen position (0 for pixmaps)
    int32_t width, height;
    uint32_t bitsPerPixel;
    uint32_t bytesPerLine;
    uint32_t kind; // SSDrawableKind
};
