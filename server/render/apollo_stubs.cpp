// Placeholder screen until the frame-buffer module lands: a 600 x 800 grey
// image in memory, no device, no refresh. Delete when apollo.cpp exists.
#include <cstdlib>
#include <cstring>

#include "core/server.h"
#include "render/apollo.h"

SSScreen* g_screen = nullptr;
uint8_t g_refreshFileValue = 0;

bool InitScreen() {
    static SSScreen screen;
    screen.width = 600;
    screen.height = 800;
    screen.depth = 8;
    screen.screenBuffer = static_cast<uint8_t*>(malloc(600 * 800));
    screen.frontBuffer = static_cast<uint8_t*>(malloc(600 * 800));
    if (!screen.screenBuffer || !screen.frontBuffer) return false;
    memset(screen.screenBuffer, 192, 600 * 800);
    g_screen = &screen;
    return true;
}

void CloseScreen() {}

int32_t SS_ScreenWidth() { return g_rotateMode & 1 ? g_screen->height : g_screen->width; }
int32_t SS_ScreenHeight() { return g_rotateMode & 1 ? g_screen->width : g_screen->height; }

uint8_t* ScreenPixelAddress(int32_t x, int32_t y) {
    int32_t w = g_screen->width, h = g_screen->height, px = x, py = y;
    switch (g_rotateMode) {
    case 1: px = y; py = h - 1 - x; break;
    case 2: px = w - 1 - x; py = h - 1 - y; break;
    case 3: px = w - 1 - y; py = x; break;
    default: break;
    }
    return g_screen->screenBuffer + py * w + px;
}

void MarkDirty(int32_t, int32_t, int32_t, int32_t) {}
void InitRefreshState() {}
void CheckScreenUpdate() {}
void SS_RserverMessage() {}
