// GL_Slider: a thumb on a groove.
#include "gl_slider.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "nc_request.h"
#include "toolkit/range_geometry.h"

#include <algorithm>
#include <cstdint>

namespace {

void* IntArg(int v) { return reinterpret_cast<void*>(static_cast<intptr_t>(v)); }

int ClampInt(int64_t v, int lo, int hi) { return int(std::min<int64_t>(std::max<int64_t>(v, lo), hi)); }

// The thumb: 9 pixels along the groove (position .. position + 8), 13 across;
// marks take 4 more pixels across.
constexpr int kThumbAlong = 9, kThumbAcross = 13, kMarkRoom = 4;

} // namespace

GL_Slider::GL_Slider(GL_Window* parentWin, char const* objectName, int pmin, int pmax, int pvertical)
    : GL_Window(parentWin, objectName, 0) {
    Init(pmin, pmax, pvertical);
}

GL_Slider::GL_Slider(GL_Window* parentWin, char const* objectName, int px, int py, int pw, int ph, int pmin, int pmax,
                     int pvertical)
    : GL_Window(parentWin, objectName, px, py, pw, ph, iGreyS, 0) {
    Init(pmin, pmax, pvertical);
}

const char* GL_Slider::GetClassName() { return "GL_Slider"; }

void GL_Slider::Init(int pmin, int pmax, int pvertical) {
    if (pmin > pmax) std::swap(pmin, pmax);
    min = pmin;
    max = pmax;
    vertical = pvertical != 0;
    value = ClampInt(0, min, max);
    thumbPos = Value2Pixel(value);
    pressed = 0;
    pressPosX = pressPosY = 0;
    thumbPosAtPress = 0;
    showMarks = 0;
    markCount = 6;
}

int GL_Slider::Value2Pixel(int v) { return range_geometry::SliderValue2Pixel(Length(), min, max, v); }
int GL_Slider::Pixel2Value(int p) { return range_geometry::SliderPixel2Value(Length(), min, max, p); }

int GL_Slider::ThumbAcross() {
    int T = vertical ? w : h;
    return std::max(T - kThumbAcross - (showMarks ? kMarkRoom : 0), 0) / 2;
}

void GL_Slider::Store(int v) {
    int old = value;
    value = v;
    thumbPos = Value2Pixel(value);
    UpdateWindow(nullptr);
    gCallback("Value!", IntArg(value), IntArg(old)); // last: a target may delete this widget
}

int GL_Slider::SetValue(int v, unsigned char) {
    int clamped = ClampInt(v, min, max);
    if (clamped == value) return -1;
    Store(clamped);
    return 0;
}

int GL_Slider::SetMinMax(int pmin, int pmax) {
    if (pmin > pmax) std::swap(pmin, pmax);
    if (pmin == min && pmax == max) return -1;
    min = pmin;
    max = pmax;
    int clamped = ClampInt(value, min, max);
    if (clamped != value) {
        Store(clamped);
    } else {
        thumbPos = Value2Pixel(value);
        UpdateWindow(nullptr);
    }
    return 0;
}

int GL_Slider::SetDrawMark(unsigned char show, unsigned char count) {
    showMarks = show;
    markCount = count;
    UpdateWindow(nullptr);
    return 0;
}

void GL_Slider::GetMinMax(int* pmin, int* pmax) {
    if (pmin) *pmin = min;
    if (pmax) *pmax = max;
}

int GL_Slider::MouseDown(int px, int py, unsigned char) {
    pressed = 0;
    pressPosX = px;
    pressPosY = py;
    thumbPosAtPress = thumbPos;
    int along = vertical ? py : px, across = vertical ? px : py;
    int a0 = ThumbAcross();
    if (along < thumbPos || int64_t(along) > int64_t(thumbPos) + kThumbAlong - 1 || across < a0 ||
        across >= a0 + kThumbAcross)
        return -1;
    pressed = 1;
    return 0;
}

int GL_Slider::MouseMove(int px, int py, unsigned char) {
    if (!pressed) return -1;
    int64_t moved = vertical ? int64_t(py) - pressPosY : int64_t(px) - pressPosX;
    int pos = ClampInt(thumbPosAtPress + moved, 0, std::max(Length() - kThumbAlong, 0));
    if (pos == thumbPos) return 0;
    int old = value;
    thumbPos = pos;
    value = Pixel2Value(pos);
    UpdateWindow(nullptr);
    if (value != old) gCallback("Value!", IntArg(value), IntArg(old));
    return 0;
}

int GL_Slider::MouseUp(int, int, unsigned char) {
    if (!pressed) return -1;
    pressed = 0;
    return 0;
}

int GL_Slider::Draw(_GS_Region*) {
    if ((windowFlags & GL_WIN_REDRAW) || !(windowFlags & GL_WIN_VIEWABLE) || w <= 0 || h <= 0) return -1;
    unsigned long pix = BeginPixmap(w, h, iDepth);
    NC_FillRect(pix, 0, 0, w, h, backColor);
    const int L = Length(), a0 = ThumbAcross();
    // Along/across to x/y.
    auto box = [&](int along, int across, int alongLen, int acrossLen, int* r) {
        if (vertical) {
            r[0] = across, r[1] = along, r[2] = acrossLen, r[3] = alongLen;
        } else {
            r[0] = along, r[1] = across, r[2] = alongLen, r[3] = acrossLen;
        }
    };
    int r[4];
    // The groove, sunken, under the middle of the thumb.
    box(0, a0 + kThumbAcross / 2 - 2, L, 5, r);
    NC_DrawDownBox(pix, r[0], r[1], r[2], r[3], 0);
    if (showMarks) {
        // Ticks under the thumb's centre at evenly spaced positions.
        int n = std::max<int>(markCount, 2), travel = std::max(L - kThumbAlong, 0);
        for (int i = 0; i < n; ++i) {
            int at = kThumbAlong / 2 + int(int64_t(i) * travel / (n - 1));
            int from = a0 + kThumbAcross + 1, to = from + kMarkRoom - 2;
            if (vertical)
                NC_DrawHLine(pix, from, to, at, foreColor);
            else
                NC_DrawVLine(pix, at, from, to, foreColor);
        }
    }
    box(thumbPos, a0, kThumbAlong, kThumbAcross, r);
    NC_FillRect(pix, r[0], r[1], r[2], r[3], iLightGreyS);
    NC_DrawUpBox(pix, r[0], r[1], r[2], r[3], 0);
    EndPixmap(pix, this);
    return 0;
}
