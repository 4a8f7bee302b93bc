#include "gl_led.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "gui_util.h"
#include "nc_request.h"

#include <cstring>

const unsigned char kLedDigitSegments[10] = {0x3F, 0x30, 0x6D, 0x79, 0x72, 0x5B, 0x5F, 0x31, 0x7F, 0x7B};

namespace {
char* CopyText(char const* t) { return (t && *t) ? GL_CopyString(t) : nullptr; }
// A segment, cut to the window (narrow cells put thick segments partly outside).
void Fill(unsigned long pixmap, int winW, int winH, int x, int y, int w, int h, unsigned long pixel) {
    if (x < 0) w += x, x = 0;
    if (y < 0) h += y, y = 0;
    if (x + w > winW) w = winW - x;
    if (y + h > winH) h = winH - y;
    if (w > 0 && h > 0) NC_FillRect(pixmap, x, y, w, h, pixel);
}
} // namespace

GL_Led::GL_Led(GL_Window* parent, char const* name, char const* t, int n, int style)
    : GL_Window(parent, name, style), text(CopyText(t)), digits(n < 1 ? 1 : n), divisor(5), align(0) {}

GL_Led::GL_Led(GL_Window* parent, char const* name, char const* t, int x, int y, int w, int h, int n,
               unsigned long back)
    : GL_Window(parent, name, x, y, w, h, back, 0), text(CopyText(t)), digits(n < 1 ? 1 : n), divisor(5), align(0) {}

GL_Led::~GL_Led() { GL_free(text); }

const char* GL_Led::GetClassName() { return "GL_Led"; }

int GL_Led::SetText(char const* t) {
    GL_free(text);
    text = CopyText(t);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Led::SetAlign(unsigned char a) {
    a = (a == 1 || a == 2) ? a : 0;
    if (a == align) return -1;
    align = a;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Led::SetLineWidth(int value) {
    if (value < 1 || value == divisor || (h * 7 / 8) / value < 3) return -1;
    divisor = value;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Led::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    NC_FillRect(pixmap, 0, 0, w, h, backColor);
    int cell = w / digits;
    if (text && cell > 0) {
        int length = int(strlen(text));
        // A text longer than the cells shows its first characters only.
        int shown = length < digits ? length : digits;
        int dh = h * 7 / 8, top = h / 2 - dh / 2, sw = cell * 7 / 8;
        int t = dh / (divisor > 0 ? divisor : 5);
        int x = 0;
        if (digits > length) {
            if (align == 2) x = w - cell * length;
            if (align == 1) x = (w - cell * length) > 0 ? (w - cell * length) / 2 : 0;
        }
        unsigned long ink = foreColor;
        int sq = (sw - t) > 0 ? (sw - t) / 2 : 0; // left of a dot square in its cell
        for (int i = 0; i < shown; ++i, x += cell) {
            char c = text[i];
            if (c >= '0' && c <= '9') {
                unsigned char lit = kLedDigitSegments[c - '0'];
                const int seg[7][4] = {
                    {x, top, sw, t},
                    {x, top, t, dh / 2},
                    {x, h / 2, t, (dh + 1) / 2},
                    {x, top + dh - t, sw, t},
                    {x + sw - t, h / 2, t, (dh + 1) / 2},
                    {x + sw - t, top, t, dh / 2},
                    {x, h / 2 - t / 2, sw, t},
                };
                for (int s = 0; s < 7; ++s)
                    if (lit & (1 << s)) Fill(pixmap, w, h, seg[s][0], seg[s][1], seg[s][2], seg[s][3], ink);
            } else if (c == '-') {
                Fill(pixmap, w, h, x + sw / 8, h / 2 - t / 2, sw * 7 / 8, t, ink);
            } else if (c == '.') {
                Fill(pixmap, w, h, x + sq, top + dh * 3 / 4 - t / 2, t, t, ink);
            } else if (c == ':') {
                Fill(pixmap, w, h, x + sq, top + dh / 4 - t / 2, t, t, ink);
                Fill(pixmap, w, h, x + sq, top + dh * 3 / 4 - t / 2, t, t, ink);
            }
        }
    }
    EndPixmap(pixmap, this);
    return 0;
}
