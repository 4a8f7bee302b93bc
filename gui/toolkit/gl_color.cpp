// Named colours, colour records and the pixmap helpers of every Draw.
#include "gl_color.h"

#include "egui_conn.h"
#include "gl_pixmap.h"
#include "gl_window.h"
#include "nc_request.h"

unsigned long iBlackS, iWhiteS, iDarkGreyS, iGreyS, iLightGreyS, iRedS, iGreenS, iBlueS, iYellowS, iDeskBlue, iMidRedS,
    iMidGreenS, iMidBlueS;
_GL_Color stTmpColor;

void InitColorS() {
    iBlackS = GL_RGB2Pixel(0, 0, 0);
    iWhiteS = GL_RGB2Pixel(255, 255, 255);
    iDarkGreyS = GL_RGB2Pixel(127, 127, 127);
    iGreyS = GL_RGB2Pixel(191, 191, 191);
    iLightGreyS = GL_RGB2Pixel(223, 223, 223);
    iRedS = GL_RGB2Pixel(255, 0, 0);
    iGreenS = GL_RGB2Pixel(0, 255, 0);
    iBlueS = GL_RGB2Pixel(0, 0, 255);
    iYellowS = GL_RGB2Pixel(255, 255, 0);
    iDeskBlue = GL_RGB2Pixel(100, 100, 200);
    iMidRedS = GL_RGB2Pixel(145, 0, 0);
    iMidGreenS = GL_RGB2Pixel(0, 145, 0);
    iMidBlueS = GL_RGB2Pixel(0, 0, 145);
}

unsigned long GL_RGB2Pixel(unsigned short r, unsigned short g, unsigned short b) {
    if (r == g && g == b) return r;
    return (11ul * r + 16ul * g + 5ul * b) / 32;
}

int GL_Pixel2RGB(unsigned long pixel, unsigned short* r, unsigned short* g, unsigned short* b) {
    if (r) *r = static_cast<unsigned short>(((pixel & 0xFFFF) >> 11) << 3);
    if (g) *g = static_cast<unsigned short>((pixel & 0x7E0) >> 3);
    if (b) *b = static_cast<unsigned short>((pixel & 0x1F) << 3);
    return 0;
}

void GL_SetColor(_GL_Color* color, unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
    if (!color) return;
    color->r = r;
    color->g = g;
    color->b = b;
    color->a = a;
    color->pixel = static_cast<unsigned int>(GL_RGB2Pixel(r, g, b));
}

void GL_SetColorByPixel(_GL_Color* color, unsigned long pixel) {
    if (!color) return;
    unsigned short r, g, b;
    GL_Pixel2RGB(pixel, &r, &g, &b);
    color->pixel = static_cast<unsigned int>(pixel);
    color->r = static_cast<unsigned char>(r);
    color->g = static_cast<unsigned char>(g);
    color->b = static_cast<unsigned char>(b);
}

_GL_Color NewColor(unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
    GL_SetColor(&stTmpColor, r, g, b, a);
    return stTmpColor;
}

void GL_SetRect(_GS_Rect* rect, int x, int y, int w, int h) {
    if (!rect) return;
    rect->x = x;
    rect->y = y;
    rect->width = w;
    rect->height = h;
}

// ---- Off-screen drawing -----------------------------------------------------------

unsigned long BeginPixmap(int w, int h, int depth) {
    unsigned long id = GetProgramIdBase();
    NC_CreatePixmap(id, w, h, depth);
    return id;
}

static void CopyToWindow(unsigned long pixmap, void* window, unsigned long mask) {
    GL_Window* win = static_cast<GL_Window*>(window);
    NC_CopyAreaP2W(pixmap, win->windowId, mask, 0, 0, win->w, win->h, 0, 0);
}

void EndPixmap(unsigned long pixmap, void* window) {
    if (!window) return;
    CopyToWindow(pixmap, window, 0);
    NC_FreePixmap(pixmap);
}

void EndPixmapLeave(unsigned long pixmap, void* window) {
    if (window) CopyToWindow(pixmap, window, 0);
}

void EndPixmapM(unsigned long pixmap, void* window, unsigned long mask) {
    if (window) CopyToWindow(pixmap, window, mask);
}

void FreePixmap(unsigned long pixmap) { NC_FreePixmap(pixmap); }

int GL_CopyAreaP2P(unsigned long src, unsigned long dst, unsigned long mask, int sx, int sy, int w, int h, int dx,
                   int dy) {
    NC_CopyAreaP2P(src, dst, mask, sx, sy, w, h, dx, dy);
    return 1;
}

int GL_CopyAreaP2P2(unsigned long src, unsigned long dst, unsigned long mask, int sx, int sy, int w, int h, int dx,
                    int dy) {
    NC_CopyAreaP2P2(src, dst, mask, sx, sy, w, h, dx, dy);
    return 1;
}

int GL_CopyAreaP2P3(unsigned long src, unsigned long dst, unsigned long mask, int sx, int sy, int w, int h, int dx,
                    int dy) {
    NC_CopyAreaP2P3(src, dst, mask, sx, sy, w, h, dx, dy);
    return 1;
}
