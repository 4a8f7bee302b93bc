#include "gl_marquee.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "gl_text.h"
#include "gl_timeout.h"
#include "gui_util.h"
#include "nc_request.h"
#include "widget_caption.h"

#include <cstring>

namespace {

constexpr unsigned long kMinDelay = 100;
// A day: longer periods would not fit the timer's whole seconds.
constexpr unsigned long kMaxDelay = 86400000;
// Steps beyond any panel's size scroll no differently and keep the
// position arithmetic far from overflow.
constexpr unsigned long kMaxStep = 100000;

unsigned long ClampDelay(unsigned long delay) {
    return delay < kMinDelay ? kMinDelay : (delay > kMaxDelay ? kMaxDelay : delay);
}

int ClampInt(long long v) { return v < -0x7FFFFFF ? -0x7FFFFFF : (v > 0x7FFFFFF ? 0x7FFFFFF : int(v)); }

} // namespace

GL_Marquee::GL_Marquee(GL_Window* parent, char const* name, char const* newText, unsigned long newStep,
                       unsigned long newDelay, unsigned char newDirection, int style)
    : GL_Window(parent, name, style) {
    InitMarquee(newText, newStep, newDelay, newDirection);
}

GL_Marquee::GL_Marquee(GL_Window* parent, char const* name, int x, int y, int w, int h, char const* newText,
                       unsigned long newStep, unsigned long newDelay, unsigned char newDirection, int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style) {
    InitMarquee(newText, newStep, newDelay, newDirection);
}

void GL_Marquee::InitMarquee(char const* newText, unsigned long newStep, unsigned long newDelay,
                             unsigned char newDirection) {
    text = CopyCaption(newText);
    step = newStep;
    delay = ClampDelay(newDelay);
    direction = newDirection >= GL_MARQUEE_DOWN && newDirection <= GL_MARQUEE_LEFT
                    ? newDirection
                    : static_cast<unsigned char>(GL_MARQUEE_LEFT);
    posX = posY = kUnset;
    textWidth = textHeight = 0;
    relayout = 1;
    pressed = 0;
    SetForeColor(iBlackS);
    timer = new GL_Timeout(int(delay / 1000), int(delay % 1000) * 1000, 1);
    timer->AddCallback(this, "Timeout!", nullptr);
    timer->Run();
}

GL_Marquee::~GL_Marquee() {
    delete timer; // stops it
    timer = nullptr;
    GL_free(text);
}

const char* GL_Marquee::GetClassName() { return "GL_Marquee"; }

int GL_Marquee::StepPixels() const { return int(step < kMaxStep ? step : kMaxStep); }

void GL_Marquee::Layout() {
    relayout = 0;
    lines.ClearAll();
    WidgetTextBox box = MeasureCaption(font, text);
    if (!Vertical()) {
        textWidth = box.width;
        textHeight = text ? kLineHeight : 0;
        return;
    }
    GL_List split;
    SplitString(font, text, w - 2 * kMargin, 0, &split);
    textWidth = 0;
    for (GL_ListData* node = split.head; node; node = node->next) {
        lines.AddTail(static_cast<char*>(node->data), nullptr, node->value);
        if (node->value > textWidth) textWidth = int(node->value);
        GL_free(node->data);
    }
    textHeight = ClampInt((long long)lines.GetCount() * kLineHeight);
}

void GL_Marquee::StartPosition() {
    int const s = StepPixels();
    switch (direction) {
    case GL_MARQUEE_RIGHT: posX = ClampInt((long long)s + kMargin - textWidth); break;
    case GL_MARQUEE_LEFT: posX = ClampInt((long long)w - kMargin - s); break;
    case GL_MARQUEE_DOWN: posY = ClampInt((long long)kMargin + s + kLineHeight - textHeight); break;
    default: posY = ClampInt((long long)h - kMargin - kLineHeight); break;
    }
    // The other coordinate does not move.
    if (Vertical())
        posX = kMargin;
    else
        posY = 0;
}

void GL_Marquee::Step() {
    if (pressed || !IsViewable() || posX == kUnset || posY == kUnset) return;
    if (relayout) Layout();
    long long const s = StepPixels();
    long long x = posX, y = posY;
    switch (direction) {
    case GL_MARQUEE_RIGHT:
        x += s;
        if (x >= w - kMargin - s) x = s + kMargin - textWidth;
        break;
    case GL_MARQUEE_LEFT:
        x -= s;
        if (x + textWidth <= kMargin) x = w - kMargin - s;
        break;
    case GL_MARQUEE_DOWN:
        y += s;
        if (y >= h - kMargin - s) y = kMargin + s + kLineHeight - textHeight;
        break;
    default:
        y -= s;
        if (y + textHeight <= kMargin + kLineHeight) y = h - kMargin - kLineHeight;
        break;
    }
    posX = ClampInt(x);
    posY = ClampInt(y);
    UpdateWindow(nullptr);
}

int GL_Marquee::ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void* d, void* e) {
    if (sender != timer || !event || strcmp(event, "Timeout!") != 0)
        return GL_Window::ExecCallback(sender, event, a, b, c, d, e);
    Step();
    return 0;
}

int GL_Marquee::MouseDown(int, int, unsigned char) {
    pressed = 1;
    return 0;
}

int GL_Marquee::MouseUp(int, int, unsigned char) {
    pressed = 0;
    return 0;
}

int GL_Marquee::WindowSizeChange(int nw, int nh) {
    GL_Window::WindowSizeChange(nw, nh);
    relayout = 1; // vertical lines follow the width
    return 0;
}

int GL_Marquee::SetScrollDelay(unsigned long newDelay) {
    newDelay = ClampDelay(newDelay);
    if (newDelay == delay) return -1;
    delay = newDelay;
    timer->SetTime(int(delay / 1000), int(delay % 1000) * 1000);
    return 0;
}

int GL_Marquee::SetScrollAmount(unsigned long newStep) {
    if (newStep == step) return -1;
    step = newStep;
    relayout = 1;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Marquee::SetText(char const* newText) {
    GL_free(text);
    text = CopyCaption(newText);
    relayout = 1;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Marquee::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    if (relayout) Layout();
    if (posX == kUnset || posY == kUnset) StartPosition();
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    DrawBackground(pixmap);
    if (!Vertical()) {
        DrawCaption(pixmap, font, posX, CentredBaseline(h, MeasureCaption(font, text)), text, foreColor);
    } else if (lines.GetCount() > 0) {
        WidgetTextBox box = MeasureCaption(font, "Ag");
        int const baseline = CentredBaseline(kLineHeight, box);
        long long top = posY;
        for (GL_DListData* line = lines.head; line && top < h; line = line->next, top += kLineHeight)
            if (top + kLineHeight > 0) DrawCaption(pixmap, font, posX, int(top) + baseline, line->name, foreColor);
    }
    // The text enters and leaves under the margins of its direction (the
    // others would cut descenders of a line that fits).
    if (backgroundMode == 0) {
        if (Vertical()) {
            NC_FillRect(pixmap, 0, 0, w, kMargin, backColor);
            NC_FillRect(pixmap, 0, h - kMargin, w, kMargin, backColor);
        } else {
            NC_FillRect(pixmap, 0, 0, kMargin, h, backColor);
            NC_FillRect(pixmap, w - kMargin, 0, kMargin, h, backColor);
        }
    }
    EndPixmap(pixmap, this);
    return 0;
}
