// Drawing primitives on pixmaps and the screen-direct requests.
//
// Every primitive draws on a canvas: one byte of grey per pixel, row stride
// equal to the width. Every pixel write is clipped to the canvas, so no
// argument can make a primitive write outside it. Coordinates are 64-bit so
// that sums of client values never overflow; the request handlers refuse
// values beyond kMaxCoord, which also bounds the work of one request.
#pragma once

#include <cstdint>

#include "protocol/protocol.h"

struct SSPixmap;

// Builds the table of named colours used by the 3D boxes.
void InitColors();

// Grey palette of the 3D boxes, computed once by InitColors.
struct SSPalette {
    uint8_t black, white, shadow, mid, face;
};
extern SSPalette g_palette;

struct SSCanvas {
    uint8_t* pixels;
    int32_t width;
    int32_t height;
};

// The canvas of a pixmap, false when the pixmap cannot be drawn on (no
// pixels, an empty size, or a depth below 8 whose buffer is smaller than
// one byte per pixel).
bool SS_PixmapCanvas(const SSPixmap* pixmap, SSCanvas* canvas);

// Request arguments beyond this magnitude make a drawing request do nothing.
constexpr int64_t kMaxCoord = 32767;

// ---- Colours ------------------------------------------------------------------

struct SSRgb {
    int32_t r, g, b;
};

uint8_t GreyOf(SSRgb c);
// Shade by brightness factor f (HSV value scaled); false when f * 100 <= 0,
// in which case the caller keeps the colour unshaded.
bool ShadeRgb(SSRgb in, double f, SSRgb* out);
// The four shades used by the RGB boxes, as greys.
struct SSShades {
    uint8_t light, bright, dark, base;
};
SSShades ShadesOf(SSRgb c);
// Every gradient colour comes from here. One channel of c1 * a / d + c2 * b / d,
// evaluated in double precision in that order, truncated; negative values
// give 0, values above 255 give 255.
int32_t RampChannel(int32_t c1, int32_t c2, int64_t a, int64_t b, int64_t d);
// The grey of the colour whose channels are RampChannel (c1 when d <= 0).
uint8_t RampMixGrey(SSRgb c1, SSRgb c2, int64_t a, int64_t b, int64_t d);
// Ramp step k of n from c1 to c2: RampMixGrey (c1, c2, n - k, k, n).
uint8_t RampGrey(SSRgb c1, SSRgb c2, int64_t k, int64_t n);

// ---- Points, spans, lines ----------------------------------------------------------

void PrimPoint(const SSCanvas& c, int64_t x, int64_t y, uint8_t v);
void PrimHSpan(const SSCanvas& c, int64_t x1, int64_t x2, int64_t y, uint8_t v);
void PrimVSpan(const SSCanvas& c, int64_t x, int64_t y1, int64_t y2, uint8_t v);
void PrimDashHSpan(const SSCanvas& c, int64_t x1, int64_t x2, int64_t y, uint8_t v);
void PrimDashVSpan(const SSCanvas& c, int64_t x, int64_t y1, int64_t y2, uint8_t v);
// Inclusive box, ends in any order.
void PrimFillBox(const SSCanvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint8_t v);
void PrimFillRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, uint8_t v);
void PrimLine(const SSCanvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint8_t v);
void PrimLineW(const SSCanvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t t, uint8_t v);
void PrimLineWPolygon(const SSCanvas& c, int64_t x1, int64_t y1, int64_t x2, int64_t y2, int64_t t, uint8_t v);
void PrimPolygon(const SSCanvas& c, const int64_t* xs, const int64_t* ys, int64_t n, uint8_t v);
void PrimFillPolygon(const SSCanvas& c, const int64_t* xs, const int64_t* ys, int64_t n, uint8_t v);

// ---- Rectangles and boxes ------------------------------------------------------------

void PrimRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, uint8_t v);
void PrimRectW(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t t, uint8_t v);
void PrimFillRectW(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t t, uint8_t border,
                   uint8_t fill);

// The eight lines of a 3D box: outer top, left, bottom, right, then inner
// top, left, bottom, right. `skip` leaves sides out (bit 0 top lines, 1
// bottom, 2 left, 3 right); `leftFrom`/`innerLeftFrom`/`innerRightFrom`
// lengthen the vertical lines upward to start at y + that value (-1 keeps
// the usual start).
struct SSBoxColors {
    uint8_t top, left, bottom, right, innerTop, innerLeft, innerBottom, innerRight;
};
void PrimBox3D(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, const SSBoxColors& k, uint32_t skip = 0,
               int64_t leftFrom = -1, int64_t innerLeftFrom = -1, int64_t innerRightFrom = -1);
SSBoxColors UpBoxPalette();
SSBoxColors DownBoxPalette();
SSBoxColors UpBoxShaded(SSRgb c);
SSBoxColors DownBoxShaded(SSRgb c);

void PrimSmallArrow(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, uint8_t v, uint32_t dir, bool end);
void PrimCheckBox(const SSCanvas& c, int64_t x, int64_t y, bool mark, uint8_t v, bool noFrame);
void PrimTabTitleBox(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, uint32_t flag,
                     const proto::Color& col);

// ---- Gradients --------------------------------------------------------------------------

void PrimGradientRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, SSRgb c1, SSRgb c2,
                      bool horizontal, bool mirror);
void PrimRectWGradient(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t t, const proto::Color& c1,
                       const proto::Color& c2);

// ---- Circles, ellipses, rounded rectangles, arcs ------------------------------------------

void PrimCircle(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, uint8_t v, bool fillMode);
void PrimFillCircle(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, uint8_t v);
void PrimFillCircleW(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t t, uint8_t v);
void PrimFillCircleGradient(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, const proto::Color& c1,
                            const proto::Color& c2);
void PrimFillCircleGradientW(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t t, const proto::Color& c1,
                             const proto::Color& c2);

enum SSEllipseMode { ELLIPSE_OUTLINE, ELLIPSE_FILL };
void PrimEllipse(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, uint8_t v, SSEllipseMode mode);
// One quadrant (0 upper right, 1 upper left, 2 lower left, 3 lower right).
void PrimQuarterEllipse(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, int quadrant, uint8_t v,
                        bool fill);
void PrimEllipseW(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, int64_t t, uint8_t v);
void PrimFillEllipseW(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, int64_t t, uint8_t border,
                      uint8_t fill);
void PrimEllipseWGradient(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, int64_t t,
                          const proto::Color& c1, const proto::Color& c2);
void PrimFillEllipseGradient(const SSCanvas& c, int64_t cx, int64_t cy, int64_t a, int64_t b, const proto::Color& c1,
                             const proto::Color& c2);

void PrimRoundRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw, int64_t ch, uint8_t v);
void PrimRoundRectW(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw, int64_t ch, int64_t t,
                    uint8_t v);
void PrimFillRoundRect(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw, int64_t ch,
                       uint8_t v);
void PrimRoundRectWGradient(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw, int64_t ch,
                            int64_t t, const proto::Color& c1, const proto::Color& c2);
void PrimFillRoundRectWGradientBase(const SSCanvas& c, int64_t x, int64_t y, int64_t w, int64_t h, int64_t cw,
                                    int64_t ch, const proto::Color& c1, const proto::Color& c2, int64_t t);

// Angle tables: 1024 sin and cos of a / 16 degrees, a = 0 ... 1440.
extern uint16_t g_arcSin[1441];
extern uint16_t g_arcCos[1441];
void PrimArc(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t start, int64_t extent, uint8_t v);
void PrimArcPiece(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t a0, int64_t a1, uint8_t v);
void PrimFillArc(const SSCanvas& c, int64_t cx, int64_t cy, int64_t r, int64_t start, int64_t extent, uint8_t v);
