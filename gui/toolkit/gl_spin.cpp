// GL_Spin: a number with up and down arrows and auto-repeat.
#include "gl_spin.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "gl_sedit.h"
#include "gl_text.h"
#include "gl_timeout.h"
#include "nc_request.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// First repeat after 450 ms, then every 50 ms.
constexpr int kFirstRepeatUs = 450000, kRepeatUs = 50000;

void* IntArg(int v) { return reinterpret_cast<void*>(static_cast<intptr_t>(v)); }

int ClampInt(int64_t v, int lo, int hi) { return int(std::min<int64_t>(std::max<int64_t>(v, lo), hi)); }

} // namespace

GL_Spin::GL_Spin(GL_Window* parentWin, char const* objectName, int flags) : GL_Window(parentWin, objectName, flags) {
    Init(0, 100, 0, flags);
}

GL_Spin::GL_Spin(GL_Window* parentWin, char const* objectName, int px, int py, int pw, int ph, int pmin, int pmax,
                 int pvalue, int flags)
    : GL_Window(parentWin, objectName, px, py, pw, ph, iGreyS, flags) {
    Init(pmin, pmax, pvalue, flags);
}

GL_Spin::~GL_Spin() { StopRepeat(); }

const char* GL_Spin::GetClassName() { return "GL_Spin"; }

void GL_Spin::Init(int pmin, int pmax, int pvalue, int flags) {
    if (pmin > pmax) std::swap(pmin, pmax);
    min = pmin;
    max = pmax;
    value = ClampInt(pvalue, min, max);
    spinFlags = flags;
    repeat = nullptr;
    heldDirection = 0;
    fastRepeat = 0;
    edit = nullptr;
    if (!(flags & GL_SPIN_NO_EDIT)) {
        char text[16];
        snprintf(text, sizeof text, "%d", value);
        edit = new GL_SEdit(this, "pinedit", text, 0, 0, std::max(w - ArrowWidth(), 0), h, 0);
        edit->SetForeColor(GL_RGB2Pixel(0, 0, 145));
        edit->SetBackColor(GL_RGB2Pixel(0, 145, 0));
    }
}

void GL_Spin::ShowValue() {
    if (edit) {
        char text[16];
        snprintf(text, sizeof text, "%d", value);
        edit->SetText(text);
    } else {
        UpdateWindow(nullptr);
    }
}

int GL_Spin::SetValue(int v) {
    int clamped = ClampInt(v, min, max);
    if (clamped == value) return -1;
    int old = value;
    value = clamped;
    ShowValue();
    gCallback("Value!", IntArg(value), IntArg(old));
    return 0;
}

int GL_Spin::SetMinMax(int pmin, int pmax) {
    if (pmin > pmax) std::swap(pmin, pmax);
    if (pmin == min && pmax == max) return -1;
    min = pmin;
    max = pmax;
    SetValue(value);
    return 0;
}

int GL_Spin::Step(int direction) {
    int64_t next = int64_t(value) + (direction > 0 ? 1 : -1);
    if (next > max) next = (spinFlags & GL_SPIN_WRAP) ? min : max;
    if (next < min) next = (spinFlags & GL_SPIN_WRAP) ? max : min;
    return SetValue(int(next));
}

void GL_Spin::StopRepeat() {
    delete repeat; // stops it
    repeat = nullptr;
    fastRepeat = 0;
}

int GL_Spin::ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) {
    if (!repeat || sender != repeat || !event || strcmp(event, "Timeout!") != 0)
        return GL_Window::ExecCallback(sender, event, a, b, c, d, e);
    if (!fastRepeat) {
        // From the second repeat on, the short period.
        fastRepeat = 1;
        repeat->SetTime(0, kRepeatUs);
    }
    if (heldDirection) Step(heldDirection);
    return 0;
}

int GL_Spin::MouseDown(int px, int py, unsigned char) {
    int x0 = w - ArrowWidth();
    if (!IsPointInWindow(px, py, 0) || px < x0) return -1;
    heldDirection = py < h / 2 ? 1 : -1;
    StopRepeat();
    repeat = new GL_Timeout(0, kFirstRepeatUs, 1);
    repeat->AddCallback(this, "Timeout!", nullptr);
    repeat->Run();
    UpdateWindow(nullptr); // the arrow shows pressed
    // A click changes the value at once; holding repeats it.
    Step(heldDirection);
    return 0;
}

int GL_Spin::MouseUp(int, int, unsigned char) {
    if (!heldDirection) return -1;
    heldDirection = 0;
    StopRepeat();
    UpdateWindow(nullptr);
    return 0;
}

int GL_Spin::Draw(_GS_Region*) {
    if (!(windowFlags & GL_WIN_VIEWABLE) || w <= 0 || h <= 0) return -1;
    unsigned long pix = BeginPixmap(w, h, iDepth);
    NC_FillRect(pix, 0, 0, w, h, backColor);
    const int aw = std::min(ArrowWidth(), w), x0 = w - aw, half = h / 2;
    if (!edit) {
        char text[16];
        snprintf(text, sizeof text, "%d", value);
        _GS_Rect r{};
        if (GL_GetTextInfo(font, nullptr, text, 0, &r, nullptr, nullptr) > 0)
            GL_TextOut(pix, font, nullptr, 4, std::max(h - r.height, 0) / 2 - r.y, text, 0, foreColor, nullptr);
        NC_DrawDownBox(pix, 0, 0, x0, h, 0);
    }
    struct Arrow {
        int y, height, direction;
        unsigned char shape;
    } const arrows[2] = {{0, half, 1, 1}, {half, h - half, -1, 2}};
    for (const Arrow& a : arrows) {
        if (heldDirection == a.direction)
            NC_DrawDownBox(pix, x0, a.y, aw, a.height, 0);
        else
            NC_DrawUpBox(pix, x0, a.y, aw, a.height, 0);
        NC_DrawSmallArrow(pix, x0, a.y, aw, a.height, iBlackS, a.shape);
    }
    EndPixmap(pix, this);
    return 0;
}
