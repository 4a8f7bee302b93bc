// Writers of the drawing requests: into a pixmap, and straight onto the screen.
#include "runtime/nc_pack.h"

#define NC_PLAIN(Name, Params, Args)                                                                                   \
    int NC_##Name Params { return nc::Send<proto::OP_##Name> Args; }

using ul = unsigned long;
using Col = _GL_Color;

NC_PLAIN(FillRect, (ul pm, int x, int y, int w, int h, ul pixel), (pm, x, y, w, h, pixel))
NC_PLAIN(DrawPoint, (ul pm, int x, int y, ul pixel), (pm, x, y, pixel))
NC_PLAIN(DrawPointLeftCustom, (ul pm, int x, int y, Col c), (pm, x, y, c))
NC_PLAIN(DrawPointRightCustom, (ul pm, int x, int y, Col c), (pm, x, y, c))
NC_PLAIN(DrawDashHLine, (ul pm, int a, int b, int c, ul pixel), (pm, a, b, c, pixel))
NC_PLAIN(DrawDashVLine, (ul pm, int a, int b, int c, ul pixel), (pm, a, b, c, pixel))
NC_PLAIN(DrawDashRect, (ul pm, int x, int y, int w, int h, ul pixel), (pm, x, y, w, h, pixel))
NC_PLAIN(DrawHLine, (ul pm, int a, int b, int c, ul pixel), (pm, a, b, c, pixel))
NC_PLAIN(DrawVLine, (ul pm, int a, int b, int c, ul pixel), (pm, a, b, c, pixel))
NC_PLAIN(DrawWHLine, (ul pm, int a, int b, int c, int d, ul pixel), (pm, a, b, c, d, pixel))
NC_PLAIN(DrawWVLine, (ul pm, int a, int b, int c, int d, ul pixel), (pm, a, b, c, d, pixel))
NC_PLAIN(DrawHLineW, (ul pm, int a, int b, int c, int d, ul pixel), (pm, a, b, c, d, pixel))
NC_PLAIN(DrawVLineW, (ul pm, int a, int b, int c, int d, ul pixel), (pm, a, b, c, d, pixel))
NC_PLAIN(DrawHLineWGradient, (ul pm, int a, int b, int c, int d, Col c1, Col c2), (pm, a, b, c, d, c1, c2))
NC_PLAIN(DrawVLineWGradient, (ul pm, int a, int b, int c, int d, Col c1, Col c2), (pm, a, b, c, d, c1, c2))
NC_PLAIN(DrawHLineCustom, (ul pm, int a, int b, int c, Col col), (pm, a, b, c, col))
NC_PLAIN(DrawLine, (ul pm, int x1, int y1, int x2, int y2, ul pixel), (pm, x1, y1, x2, y2, pixel))
NC_PLAIN(DrawUpBoxS, (ul pm, int x, int y, int w, int h), (pm, x, y, w, h))
NC_PLAIN(DrawDownBoxS, (ul pm, int x, int y, int w, int h), (pm, x, y, w, h))
NC_PLAIN(DrawUpBox, (ul pm, int x, int y, int w, int h, ul pixel), (pm, x, y, w, h, pixel))
NC_PLAIN(DrawDownBox, (ul pm, int x, int y, int w, int h, ul pixel), (pm, x, y, w, h, pixel))
NC_PLAIN(DrawUpBoxRGB, (ul pm, int x, int y, int w, int h, Col c), (pm, x, y, w, h, c))
NC_PLAIN(DrawDownBoxRGB, (ul pm, int x, int y, int w, int h, Col c), (pm, x, y, w, h, c))
NC_PLAIN(FillUpBoxS, (ul pm, int x, int y, int w, int h, ul pixel), (pm, x, y, w, h, pixel))
NC_PLAIN(FillDownBoxS, (ul pm, int x, int y, int w, int h, ul pixel), (pm, x, y, w, h, pixel))
NC_PLAIN(FillUpBox, (ul pm, int x, int y, int w, int h, ul pixel), (pm, x, y, w, h, pixel))
NC_PLAIN(DrawUpBoxCustom, (ul pm, int x, int y, int w, int h, ul word, unsigned char mask),
         (pm, x, y, w, h, word, mask))
NC_PLAIN(DrawDownBoxCustom, (ul pm, int x, int y, int w, int h, ul word, unsigned char mask),
         (pm, x, y, w, h, word, mask))
NC_PLAIN(DrawUpBoxCustomRGB, (ul pm, int x, int y, int w, int h, Col c, unsigned char mask), (pm, x, y, w, h, c, mask))
NC_PLAIN(DrawDownBoxCustomRGB, (ul pm, int x, int y, int w, int h, Col c, unsigned char mask),
         (pm, x, y, w, h, c, mask))
NC_PLAIN(DrawHSeperator2, (ul pm, int x1, int x2, int y), (pm, x1, x2, y))
NC_PLAIN(DrawHSeperator3D2, (ul pm, int x1, int x2, int y), (pm, x1, x2, y))
NC_PLAIN(DrawVSeperator2, (ul pm, int x, int y1, int y2), (pm, x, y1, y2))
NC_PLAIN(DrawVSeperator3D2, (ul pm, int x, int y1, int y2), (pm, x, y1, y2))
NC_PLAIN(DrawRect, (ul pm, int x, int y, int w, int h, ul pixel), (pm, x, y, w, h, pixel))
NC_PLAIN(DrawWRect, (ul pm, int x, int y, int w, int h, int t, ul pixel), (pm, x, y, w, h, t, pixel))
NC_PLAIN(DrawRectW, (ul pm, int x, int y, int w, int h, int t, ul pixel), (pm, x, y, w, h, t, pixel))
NC_PLAIN(FillRectW, (ul pm, int x, int y, int w, int h, int t, ul pixel, ul pixel2), (pm, x, y, w, h, t, pixel, pixel2))
NC_PLAIN(DrawGradientRect,
         (ul pm, int x, int y, int w, int h, unsigned short v1, unsigned short v2, unsigned short v3, unsigned short v4,
          unsigned short v5, unsigned short v6, unsigned short v7, unsigned short v8, unsigned short v9,
          unsigned char direction, unsigned char mirror),
         (pm, x, y, w, h, v1, v2, v3, v4, v5, v6, v7, v8, v9, direction, mirror))
NC_PLAIN(DrawRectWGradient, (ul pm, int x, int y, int w, int h, int t, Col c1, Col c2), (pm, x, y, w, h, t, c1, c2))
NC_PLAIN(FillRectWGradient,
         (ul pm, int x, int y, int w, int h, int t, Col c1, Col c2, Col c3, Col c4, unsigned char direction,
          unsigned char mirror),
         (pm, x, y, w, h, t, c1, c2, c3, c4, direction, mirror))
NC_PLAIN(DrawSmallArrow, (ul pm, int x, int y, int w, int h, ul pixel, unsigned char dir), (pm, x, y, w, h, pixel, dir))
NC_PLAIN(DrawSmallEndArrow, (ul pm, int x, int y, int w, int h, ul pixel, unsigned char dir),
         (pm, x, y, w, h, pixel, dir))
NC_PLAIN(DrawCheckBox, (ul pm, int x, int y, int w, int h, unsigned char mark, ul pixel, unsigned char noFrame),
         (pm, x, y, w, h, mark, pixel, noFrame))
NC_PLAIN(DrawCircle, (ul pm, int cx, int cy, int r, Col c), (pm, cx, cy, r, c))
NC_PLAIN(FillCircle, (ul pm, int cx, int cy, int r, Col c), (pm, cx, cy, r, c))
NC_PLAIN(FillCircleW, (ul pm, int cx, int cy, int r, int t, Col c), (pm, cx, cy, r, t, c))
NC_PLAIN(FillCircleGradient, (ul pm, int cx, int cy, int r, Col c1, Col c2), (pm, cx, cy, r, c1, c2))
NC_PLAIN(FillCircleGradientW, (ul pm, int cx, int cy, int r, int t, Col c1, Col c2), (pm, cx, cy, r, t, c1, c2))
NC_PLAIN(FillCircleGradientW2, (ul pm, int cx, int cy, int r, int t, Col c1, Col c2, Col c3, Col c4),
         (pm, cx, cy, r, t, c1, c2, c3, c4))
NC_PLAIN(DrawEllipse, (ul pm, int cx, int cy, int a, int b, ul pixel), (pm, cx, cy, a, b, pixel))
NC_PLAIN(FillEllipse, (ul pm, int cx, int cy, int a, int b, ul pixel), (pm, cx, cy, a, b, pixel))
NC_PLAIN(FillEllipseGradient, (ul pm, int cx, int cy, int a, int b, Col c1, Col c2), (pm, cx, cy, a, b, c1, c2))
NC_PLAIN(DrawEllipseW, (ul pm, int cx, int cy, int a, int b, int t, ul pixel), (pm, cx, cy, a, b, t, pixel))
NC_PLAIN(DrawEllipseWGradient, (ul pm, int cx, int cy, int a, int b, int t, Col c1, Col c2),
         (pm, cx, cy, a, b, t, c1, c2))
NC_PLAIN(FillEllipseW, (ul pm, int cx, int cy, int a, int b, int t, ul pixel, ul pixel2),
         (pm, cx, cy, a, b, t, pixel, pixel2))
NC_PLAIN(FillEllipseWGradient, (ul pm, int cx, int cy, int a, int b, int t, Col c1, Col c2, Col c3, Col c4),
         (pm, cx, cy, a, b, t, c1, c2, c3, c4))
NC_PLAIN(DrawRoundRect, (ul pm, int x, int y, int w, int h, int rx, int ry, ul pixel), (pm, x, y, w, h, rx, ry, pixel))
NC_PLAIN(DrawRoundRectW, (ul pm, int x, int y, int w, int h, int rx, int ry, int t, ul pixel),
         (pm, x, y, w, h, rx, ry, t, pixel))
NC_PLAIN(DrawRoundRectWGradient, (ul pm, int x, int y, int w, int h, int rx, int ry, int t, Col c1, Col c2),
         (pm, x, y, w, h, rx, ry, t, c1, c2))
NC_PLAIN(FillRoundRectWGradientBase, (ul pm, int x, int y, int w, int h, int rx, int ry, int t, Col c1, Col c2),
         (pm, x, y, w, h, rx, ry, t, c1, c2))
NC_PLAIN(FillRoundRect, (ul pm, int x, int y, int w, int h, int rx, int ry, ul pixel), (pm, x, y, w, h, rx, ry, pixel))
NC_PLAIN(FillRoundRectWGradient, (ul pm, int x, int y, int w, int h, int rx, int ry, int t, Col c1, Col c2, ul pixel),
         (pm, x, y, w, h, rx, ry, t, c1, c2, pixel))
NC_PLAIN(FillRoundRectWGradient2,
         (ul pm, int x, int y, int w, int h, int rx, int ry, int t, Col c1, Col c2, Col c3, Col c4),
         (pm, x, y, w, h, rx, ry, t, c1, c2, c3, c4))
NC_PLAIN(DrawArcAera, (ul pm, int cx, int cy, int r, int a1, int a2, ul pixel), (pm, cx, cy, r, a1, a2, pixel))
NC_PLAIN(DrawArc, (ul pm, int cx, int cy, int r, int a1, int a2, ul pixel), (pm, cx, cy, r, a1, a2, pixel))
NC_PLAIN(FillArc, (ul pm, int cx, int cy, int r, int a1, int a2, ul pixel), (pm, cx, cy, r, a1, a2, pixel))
NC_PLAIN(DrawArcDouble, (ul pm, int cx, int cy, double r, double a1, double a2, ul pixel),
         (pm, cx, cy, r, a1, a2, pixel))
NC_PLAIN(FillArcDouble, (ul pm, int cx, int cy, double r, double a1, double a2, ul pixel),
         (pm, cx, cy, r, a1, a2, pixel))
NC_PLAIN(DrawLineW, (ul pm, int x1, int y1, int x2, int y2, int t, ul pixel), (pm, x1, y1, x2, y2, t, pixel))
NC_PLAIN(DrawLineWPolygon, (ul pm, int x1, int y1, int x2, int y2, int t, ul pixel), (pm, x1, y1, x2, y2, t, pixel))

NC_PLAIN(DrawPointXorScreen, (int x, int y, ul pixel), (x, y, pixel))
NC_PLAIN(DrawWHLineXorScreen, (int a, int b, int c, int d, ul pixel), (a, b, c, d, pixel))
NC_PLAIN(DrawWVLineXorScreen, (int a, int b, int c, int d, ul pixel), (a, b, c, d, pixel))
NC_PLAIN(DrawWRectXorScreen, (int x, int y, int w, int h, int t, ul pixel), (x, y, w, h, t, pixel))
NC_PLAIN(DrawPointScreen, (int x, int y, ul pixel), (x, y, pixel))
NC_PLAIN(FillRectScreen, (int x, int y, int w, int h, ul pixel), (x, y, w, h, pixel))

// The flag word tells the server whether a colour record follows. It is 1
// for any given record rather than the record's address, which is not a
// value for another process and may even read as 0 once cut to 32 bits.
int NC_DrawTabTitleBox(ul pm, int x, int y, int w, int h, Col* color) {
    Col record = color ? *color : Col{0, 0, 0, 0, 0};
    return nc::Send<proto::OP_DrawTabTitleBox>(pm, x, y, w, h, color ? 1 : 0, record);
}

namespace {

// n x coordinates, then n y coordinates, after the fixed fields.
template <int Op> int SendPolygon(ul pm, int n, const int* xs, const int* ys, ul pixel) {
    const uint32_t fixed = nc::Layout<Op>::length;
    if (n < 0 || (n > 0 && (!xs || !ys))) return 0;
    const uint64_t length = fixed + 8ull * uint64_t(n);
    if (length > proto::kMaxMessage) return 0;
    uint32_t end = nc::Pack<Op>(pm, n, pixel);
    for (int i = 0; i < n; ++i) {
        proto::PutU32(gReqBuffer + end + 4 * i, uint32_t(xs[i]));
        proto::PutU32(gReqBuffer + end + 4 * (n + i), uint32_t(ys[i]));
    }
    return nc::Finish(Op, uint32_t(length));
}

} // namespace

int NC_DrawPolygon(ul pm, int n, const int* xs, const int* ys, ul pixel) {
    return SendPolygon<proto::OP_DrawPolygon>(pm, n, xs, ys, pixel);
}

int NC_FillPolygon(ul pm, int n, const int* xs, const int* ys, ul pixel) {
    return SendPolygon<proto::OP_FillPolygon>(pm, n, xs, ys, pixel);
}
