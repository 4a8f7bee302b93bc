// GL_Scroll: scroll bar with arrows, track and a draggable thumb.
#include "gl_scroll.h"

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

// Grip lines are drawn on thumbs longer than this.
constexpr int kGripThumb = 15;

} // namespace

GL_Scroll::GL_Scroll(GL_Window* parentWin, char const* objectName, int pmin, int pmax, int pvertical)
    : GL_Window(parentWin, objectName, 0) {
    Init(pmin, pmax, pvertical);
}

GL_Scroll::GL_Scroll(GL_Window* parentWin, char const* objectName, int px, int py, int pw, int ph, int pmin, int pmax,
                     int pvertical)
    : GL_Window(parentWin, objectName, px, py, pw, ph, iGreyS, 0) {
    Init(pmin, pmax, pvertical);
}

const char* GL_Scroll::GetClassName() { return "GL_Scroll"; }

void GL_Scroll::Init(int pmin, int pmax, int pvertical) {
    if (pmin > pmax) std::swap(pmin, pmax);
    min = pmin;
    max = pmax;
    // A value outside the range would show the thumb at a value it does not hold.
    value = ClampInt(0, min, max);
    pressed = 0;
    vertical = pvertical != 0;
    pressPosX = pressPosY = 0;
    step = 1;
    page = 10;
    zone = kNone;
    thumbPosAtPress = 0;
    arrowColor = arrowBoxColor = thumbBoxColor = static_cast<unsigned int>(iBlackS);
    CalcBarSize();
    thumbPos = Value2Pixel(value);
}

void GL_Scroll::CalcBarSize() {
    range_geometry::ScrollBar bar = range_geometry::CalcScrollBar(vertical ? h : w, vertical ? w : h, min, max, page);
    arrow = bar.arrow;
    thickness = bar.thickness;
    thumbMin = bar.thumbMin;
    thumbMax = bar.thumbMax;
    thumbLen = bar.thumbLen;
}

int GL_Scroll::Value2Pixel(int v) {
    return range_geometry::ScrollValue2Pixel({arrow, thickness, thumbMin, thumbMax, thumbLen}, min, max, v);
}

int GL_Scroll::Pixel2Value(int p) {
    return range_geometry::ScrollPixel2Value({arrow, thickness, thumbMin, thumbMax, thumbLen}, min, max, p);
}

int GL_Scroll::Store(int v, bool alwaysRedraw) {
    int old = value;
    int oldPos = thumbPos;
    value = v;
    thumbPos = Value2Pixel(value);
    if (alwaysRedraw || thumbPos != oldPos) UpdateWindow(nullptr);
    // Last: a target may delete this widget.
    return gCallback("Value!", IntArg(value), IntArg(old));
}

int GL_Scroll::SetValue(int v, unsigned char) {
    int clamped = ClampInt(v, min, max);
    if (clamped == value) return -1;
    Store(clamped, false);
    return 0;
}

int GL_Scroll::SetMinMax(int pmin, int pmax) {
    if (pmin > pmax) std::swap(pmin, pmax);
    if (pmin == min && pmax == max) return -1;
    min = pmin;
    max = pmax;
    CalcBarSize();
    int clamped = ClampInt(value, min, max);
    if (clamped != value) {
        Store(clamped, true);
        return 0;
    }
    // The same value sits elsewhere on a new range.
    thumbPos = Value2Pixel(value);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Scroll::SetStepPage(int pstep, int ppage) {
    if (pstep == step && ppage == page) return -1;
    step = pstep;
    page = ppage;
    // The page sets the thumb length, and with it the thumb's travel.
    CalcBarSize();
    thumbPos = Value2Pixel(value);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Scroll::SetDir(int pvertical) {
    vertical = pvertical == 1;
    CalcBarSize();
    thumbPos = Value2Pixel(value);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Scroll::SetArrowColor(unsigned long parrow, unsigned long box) {
    if (parrow == arrowColor && box == arrowBoxColor) return -1;
    arrowColor = static_cast<unsigned int>(parrow);
    arrowBoxColor = static_cast<unsigned int>(box);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Scroll::SetBarColor(unsigned long box) {
    if (box == thumbBoxColor) return -1;
    thumbBoxColor = static_cast<unsigned int>(box);
    UpdateWindow(nullptr);
    return 0;
}

void GL_Scroll::GetMinMax(int* pmin, int* pmax) {
    if (pmin) *pmin = min;
    if (pmax) *pmax = max;
}

void GL_Scroll::GetStepPage(int* pstep, int* ppage) {
    if (pstep) *pstep = step;
    if (ppage) *ppage = page;
}

void GL_Scroll::GetAllSettings(int* pmin, int* pmax, int* pstep, int* ppage) {
    GetMinMax(pmin, pmax);
    GetStepPage(pstep, ppage);
}

int GL_Scroll::IncStep() { return ChangeValue(1); }
int GL_Scroll::DecStep() { return ChangeValue(5); }
int GL_Scroll::IncPage() { return ChangeValue(2); }
int GL_Scroll::DecPage() { return ChangeValue(4); }

int GL_Scroll::ChangeValue(unsigned char kind) {
    int64_t v = value;
    switch (kind) {
    case 1: v -= step; break;
    case 2: v -= page; break;
    case 4: v += page; break;
    case 5: v += step; break;
    default: return -1;
    }
    int clamped = ClampInt(v, min, max);
    if (clamped == value) return -1;
    Store(clamped, false);
    return 0;
}

int GL_Scroll::ZoneAt(int pos) {
    if (pos < thumbMin) return kFirstArrow;
    if (pos < thumbPos) return kTrackBefore;
    if (int64_t(pos) < int64_t(thumbPos) + thumbLen) return kThumb;
    if (int64_t(pos) < int64_t(thumbMax) + thumbLen) return kTrackAfter;
    return kSecondArrow;
}

int GL_Scroll::MouseDown(int px, int py, unsigned char) {
    zone = kNone;
    thumbPosAtPress = thumbPos;
    pressed = 0;
    pressPosX = px;
    pressPosY = py;
    if (min == max || !IsPointInWindow(px, py, 0)) return -1;
    pressed = 1;
    zone = ZoneAt(vertical ? py : px);
    // The arrow button shows pressed at once.
    if (zone == kFirstArrow || zone == kSecondArrow) UpdateWindow(nullptr);
    return 0;
}

int GL_Scroll::MouseMove(int px, int py, unsigned char) {
    if (!pressed || zone != kThumb) return -1;
    int64_t moved = vertical ? int64_t(py) - pressPosY : int64_t(px) - pressPosX;
    int pos = ClampInt(thumbPosAtPress + moved, thumbMin, std::max(thumbMin, thumbMax));
    if (pos == thumbPos) return 0;
    int old = value;
    thumbPos = pos;
    value = Pixel2Value(pos);
    UpdateWindow(nullptr);
    if (value != old) gCallback("Value!", IntArg(value), IntArg(old));
    return 0;
}

int GL_Scroll::MouseUp(int px, int py, unsigned char) {
    if (!pressed || zone == kThumb || zone == kNone) {
        // A drag ends here with no further change.
        zone = kNone;
        pressed = 0;
        return -1;
    }
    pressed = 0;
    unsigned int pressZone = zone;
    bool arrowShownPressed = pressZone == kFirstArrow || pressZone == kSecondArrow;
    if (min == max) {
        zone = kNone;
        if (arrowShownPressed) UpdateWindow(nullptr);
        return -1;
    }
    int releaseZone = ZoneAt(vertical ? py : px);
    int64_t candidate = value;
    switch (releaseZone) {
    case kFirstArrow: candidate -= step; break;
    case kTrackBefore: candidate -= page; break;
    case kTrackAfter: candidate += page; break;
    case kSecondArrow: candidate += step; break;
    default: break;
    }
    int clamped = ClampInt(candidate, min, max);
    zone = kNone;
    if (clamped != value && unsigned(releaseZone) == pressZone) {
        Store(clamped, true);
    } else if (arrowShownPressed) {
        UpdateWindow(nullptr); // release the arrow button
    }
    return 0;
}

int GL_Scroll::Draw(_GS_Region*) {
    if ((windowFlags & GL_WIN_REDRAW) || !(windowFlags & GL_WIN_VIEWABLE) || w <= 0 || h <= 0) return -1;
    unsigned long pix = BeginPixmap(w, h, iDepth);
    NC_FillRect(pix, 0, 0, w, h, backColor);
    // The window may have been resized since the bar was laid out: the thumb
    // follows the value, except under a drag, where it follows the pointer.
    int oldMin = thumbMin, oldMax = thumbMax;
    CalcBarSize();
    bool dragging = pressed && zone == kThumb;
    if (!dragging && (thumbMin != oldMin || thumbMax != oldMax)) thumbPos = Value2Pixel(value);
    thumbPos = ClampInt(thumbPos, thumbMin, std::max(thumbMin, thumbMax));

    const int T = thickness, L = vertical ? h : w;
    const int track = L - 2 * arrow;
    // Rectangles along the bar: (start, length) become (x, y, w, h).
    auto rectAlong = [&](int start, int length, int across, int size, int* rx, int* ry, int* rw, int* rh) {
        if (vertical) {
            *rx = across, *ry = start, *rw = size, *rh = length;
        } else {
            *rx = start, *ry = across, *rw = length, *rh = size;
        }
    };
    int rx, ry, rw, rh;
    rectAlong(arrow, track, 0, T, &rx, &ry, &rw, &rh);
    if (track > 0) NC_FillRect(pix, rx, ry, rw, rh, iLightGreyS);

    // Arrow buttons, square, centred across the bar.
    const int across = std::max(T - arrow, 0) / 2;
    const int starts[2] = {0, L - arrow};
    const unsigned char dirs[2] = {static_cast<unsigned char>(vertical ? 1 : 0),
                                   static_cast<unsigned char>(vertical ? 2 : 3)};
    const unsigned int pressedZone[2] = {kFirstArrow, kSecondArrow};
    for (int i = 0; i < 2; ++i) {
        rectAlong(starts[i], arrow, across, arrow, &rx, &ry, &rw, &rh);
        if (pressed && zone == pressedZone[i])
            NC_DrawDownBox(pix, rx, ry, rw, rh, arrowBoxColor);
        else
            NC_DrawUpBox(pix, rx, ry, rw, rh, arrowBoxColor);
        NC_DrawSmallArrow(pix, rx, ry, rw, rh, arrowColor, dirs[i]);
    }

    // The thumb, with two grip lines 5 pixels apart across its middle.
    if (thumbLen > 0) {
        rectAlong(thumbPos, thumbLen, 0, T, &rx, &ry, &rw, &rh);
        NC_FillRect(pix, rx, ry, rw, rh, backColor);
        NC_DrawUpBox(pix, rx, ry, rw, rh, thumbBoxColor);
        if (thumbLen > kGripThumb) {
            int first = thumbPos + (thumbLen - 8) / 2;
            for (int at : {first, first + 5}) {
                if (vertical)
                    NC_DrawHSeperator3D2(pix, 3, T - 4, at);
                else
                    NC_DrawVSeperator3D2(pix, at, 3, T - 4);
            }
        }
    }
    EndPixmap(pix, this);
    return 0;
}
