// Small value types shared by the libgui toolkit and its request writers.
#pragma once

// _GL_Color, the 8-byte colour record (r, g, b, a, pixel), comes with the
// request writers that carry it.
#include "nc_request.h"

// A rectangle: position and size.
struct _GS_Rect {
    int x;
    int y;
    int width;
    int height;
};

// A region handed to Draw; the toolkit always passes none and ignores it.
struct _GS_Region;

// Screen rotation: 0 normal, 1 left, 2 bottom, 3 right.
enum _ROATE_MODE { ROATE_NORMAL = 0, ROATE_LEFT = 1, ROATE_BOTTOM = 2, ROATE_RIGHT = 3 };
