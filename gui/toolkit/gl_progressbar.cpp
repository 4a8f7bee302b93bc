// GL_ProgressBar: a filled bar with optional text, advancing on a timer.
#include "gl_progressbar.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "gl_text.h"
#include "gl_timeout.h"
#include "nc_request.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kTickMicroseconds = 450000;
constexpr unsigned char kModeBar = 1, kModePercent = 2, kModeCustom = 3;

} // namespace

void GL_DefaultProgressDisplayProc(char* out, unsigned long value, unsigned long max) {
    snprintf(out, kProgressTextSize, "Now has %lu%% Done.", GL_ProgressBar::Percent(value, max));
}

GL_ProgressBar::GL_ProgressBar(GL_Window* parentWin, char const* objectName, unsigned long pstep, unsigned long pmax,
                               unsigned long pvalue, int flags)
    : GL_Window(parentWin, objectName, flags) {
    Init(pstep, pmax, pvalue, flags);
}

GL_ProgressBar::GL_ProgressBar(GL_Window* parentWin, char const* objectName, int px, int py, int pw, int ph,
                               unsigned long pstep, unsigned long pmax, unsigned long pvalue, int flags)
    : GL_Window(parentWin, objectName, px, py, pw, ph, iGreenS, flags) {
    Init(pstep, pmax, pvalue, flags);
}

GL_ProgressBar::~GL_ProgressBar() {
    delete timer; // stops it
    timer = nullptr;
}

const char* GL_ProgressBar::GetClassName() { return "GL_ProgressBar"; }

void GL_ProgressBar::Init(unsigned long pstep, unsigned long pmax, unsigned long pvalue, int) {
    step = pstep;
    max = pmax;
    value = std::min(pvalue, pmax);
    fillColor = static_cast<unsigned int>(iBlueS);
    textColor = static_cast<unsigned int>(iWhiteS);
    SetBackColor(iBlackS);
    displayMode = kModePercent;
    loop = 1;
    customProc = nullptr;
    timer = new GL_Timeout(0, kTickMicroseconds, 1);
    timer->AddCallback(this, "Timeout!", nullptr);
    timer->Run();
}

// Products of an unsigned long and a small factor, exact before dividing.
#ifdef __SIZEOF_INT128__
using WideProduct = unsigned __int128;
#else
using WideProduct = unsigned long long;
static_assert(sizeof(unsigned long) <= 4, "an unsigned long times an int fits");
#endif

unsigned long GL_ProgressBar::Percent(unsigned long v, unsigned long m) {
    if (m == 0) return 0;
    return static_cast<unsigned long>(static_cast<WideProduct>(v) * 100 / m);
}

int GL_ProgressBar::FillWidth(unsigned long v, unsigned long m, int width) {
    if (m == 0 || width <= 4) return 0;
    v = std::min(v, m);
    return int(static_cast<WideProduct>(v) * unsigned(width - 4) / m);
}

int GL_ProgressBar::ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) {
    if (sender != timer || !event || strcmp(event, "Timeout!") != 0)
        return GL_Window::ExecCallback(sender, event, a, b, c, d, e);
    if (!(windowFlags & GL_WIN_VIEWABLE)) return 0;
    if (loop && value == max)
        value = 0;
    else
        value = max - value < step ? max : value + step;
    UpdateWindow(nullptr);
    return 0;
}

int GL_ProgressBar::SetValue(unsigned long pvalue) {
    pvalue = std::min(pvalue, max);
    if (pvalue == value) return -1;
    value = pvalue;
    UpdateWindow(nullptr);
    return 0;
}

int GL_ProgressBar::SetMax(unsigned long pmax) {
    if (pmax == max) return -1;
    max = pmax;
    value = std::min(value, max);
    UpdateWindow(nullptr);
    return 0;
}

int GL_ProgressBar::SetStep(unsigned long pstep) {
    if (pstep == step) return -1;
    step = pstep;
    return 0;
}

int GL_ProgressBar::SetFillColor(unsigned long pixel) {
    if (pixel == fillColor) return -1;
    fillColor = static_cast<unsigned int>(pixel);
    UpdateWindow(nullptr);
    return 0;
}

int GL_ProgressBar::SetTextColor(unsigned long pixel) {
    if (pixel == textColor) return -1;
    textColor = static_cast<unsigned int>(pixel);
    UpdateWindow(nullptr);
    return 0;
}

int GL_ProgressBar::SetDisplayMode(unsigned char mode) {
    if (mode > kModeCustom) mode = kModePercent;
    if (mode == displayMode) return -1;
    displayMode = mode;
    UpdateWindow(nullptr);
    return 0;
}

int GL_ProgressBar::SetDisplayCustomProc(GL_ProgressDisplayProc proc) {
    if (!proc) return -1;
    customProc = proc;
    displayMode = kModeCustom;
    UpdateWindow(nullptr);
    return 0;
}

int GL_ProgressBar::SetLoop(unsigned char on) {
    on = on != 0;
    if (on == loop) return -1;
    loop = on;
    if (loop && value == max) {
        value = 0;
        UpdateWindow(nullptr);
    }
    return 0;
}

void GL_ProgressBar::GetDisplayText(char* out) {
    out[0] = '\0';
    if (displayMode == kModePercent) {
        snprintf(out, kProgressTextSize, "%lu%%", Percent(value, max));
    } else if (displayMode == kModeCustom) {
        (customProc ? customProc : GL_DefaultProgressDisplayProc)(out, value, max);
        out[kProgressTextSize - 1] = '\0';
    }
}

int GL_ProgressBar::Draw(_GS_Region*) {
    if (!(windowFlags & GL_WIN_VIEWABLE) || w <= 0 || h <= 0) return -1;
    unsigned long pix = BeginPixmap(w, h, iDepth);
    NC_FillRect(pix, 0, 0, w, h, backColor);
    int fill = FillWidth(value, max, w);
    if (fill > 0 && h > 4) NC_FillRect(pix, 2, 2, fill, h - 4, fillColor);
    char text[kProgressTextSize];
    GetDisplayText(text);
    if (text[0]) {
        _GS_Rect r{};
        int tw = GL_GetTextInfo(font, nullptr, text, 0, &r, nullptr, nullptr);
        if (tw > 0) {
            int tx = std::max(w - tw, 0) / 2;
            int top = std::max(h - r.height, 0) / 2;
            GL_TextOut(pix, font, nullptr, tx, top - r.y, text, 0, textColor, nullptr);
        }
    }
    NC_DrawDownBox(pix, 0, 0, w, h, 0);
    EndPixmap(pix, this);
    return 0;
}
