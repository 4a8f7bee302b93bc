#include "gl_check.h"

#include <vector>

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "gui_util.h"
#include "nc_request.h"
#include "widget_caption.h"

namespace {

constexpr int kCaptionX = 17;

void HLine(unsigned long pixmap, int x1, int x2, int y, unsigned long pixel) {
    if (x2 >= x1) NC_FillRect(pixmap, x1, y, x2 - x1 + 1, 1, pixel);
}
void VLine(unsigned long pixmap, int x, int y1, int y2, unsigned long pixel) {
    if (y2 >= y1) NC_FillRect(pixmap, x, y1, 1, y2 - y1 + 1, pixel);
}

int CentredTop(int h, int size) {
    int room = h - size;
    return room > 0 ? room / 2 : 0;
}

void DrawSideCaption(unsigned long pixmap, GL_Window* window, int h, char const* text) {
    WidgetTextBox box = MeasureCaption(nullptr, text);
    DrawCaption(pixmap, nullptr, kCaptionX, CentredBaseline(h, box), text, CaptionColor(window));
}

// The tick of a checked box: seven vertical lines, column x from top+a to top+b.
constexpr int kTick[7][3] = {{5, 5, 7}, {6, 6, 8}, {7, 7, 9}, {8, 6, 8}, {9, 5, 7}, {10, 4, 6}, {11, 3, 5}};

// The 12 x 12 radio button: outer ring dark grey above and white below, inner
// ring black above and light grey below, white inside.
constexpr char const* kRadio[12] = {
    "....DDDD....", "..DDKKKKDD..", ".DKKWWWWKKW.", ".DKWWWWWWLW.", "DKWWWWWWWWLW", "DKWWWWWWWWLW",
    "DKWWWWWWWWLW", "DKWWWWWWWWLW", ".DKWWWWWWLW.", ".DLLWWWWLLW.", "..WWLLLLWW..", "....WWWW....",
};

unsigned long RadioPixel(char c) {
    switch (c) {
    case 'D': return iDarkGreyS;
    case 'K': return iBlackS;
    case 'L': return iLightGreyS;
    default: return iWhiteS;
    }
}

} // namespace

// ---- GL_Check ---------------------------------------------------------------------------

GL_Check::GL_Check(GL_Window* parent, char const* name, char const* t, int style)
    : GL_Window(parent, name, style), pressed(0), checked(0), checkColor(unsigned(iBlackS)), text(CopyCaption(t)) {}

GL_Check::GL_Check(GL_Window* parent, char const* name, char const* t, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style), pressed(0), checked(0), checkColor(unsigned(iBlackS)),
      text(CopyCaption(t)) {}

GL_Check::~GL_Check() { GL_free(text); }

const char* GL_Check::GetClassName() { return "GL_Check"; }

int GL_Check::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    NC_FillRect(pixmap, 0, 0, w, h, backColor);
    int top = CentredTop(h, 13);
    NC_FillRect(pixmap, 2, top, 13, 13, iWhiteS);
    NC_DrawDownBoxS(pixmap, 2, top, 13, 13);
    if (checked) {
        for (auto const& t : kTick)
            VLine(pixmap, t[0], top + t[1], top + t[2], checkColor);
    }
    DrawSideCaption(pixmap, this, h, text);
    EndPixmap(pixmap, this);
    return 0;
}

int GL_Check::MouseDown(int, int, unsigned char) {
    pressed = 1;
    if (IsViewable()) Draw(nullptr);
    return 0;
}

int GL_Check::MouseUp(int px, int py, unsigned char) {
    if (!pressed) return -1;
    pressed = 0;
    if (!IsPointInWindow(px, py, 0)) return 0;
    checked = !checked;
    UpdateWindow(nullptr);
    gCallback("Clicked!", &checked); // last: a target may delete the box
    return 0;
}

int GL_Check::SetChecked(unsigned char on) {
    if ((on != 0) == (checked != 0)) return -1;
    checked = on;
    UpdateWindow(nullptr);
    gCallback("Checked!", &checked);
    return 0;
}

int GL_Check::SetCheckColor(unsigned long pixel) {
    if (pixel == checkColor) return -1;
    checkColor = unsigned(pixel);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Check::SetText(char const* t) {
    GL_free(text);
    text = CopyCaption(t);
    UpdateWindow(nullptr);
    return 0;
}

// ---- GL_Radio ---------------------------------------------------------------------------

GL_Radio::GL_Radio(GL_Window* parent, char const* name, char const* t, int style)
    : GL_Window(parent, name, style), pressed(0), checked(0), checkColor(unsigned(iBlackS)), text(CopyCaption(t)),
      grouped(0), group(nullptr) {
    JoinGroup();
}

GL_Radio::GL_Radio(GL_Window* parent, char const* name, char const* t, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style), pressed(0), checked(0), checkColor(unsigned(iBlackS)),
      text(CopyCaption(t)), grouped(0), group(nullptr) {
    JoinGroup();
}

void GL_Radio::JoinGroup() {
    if (parentWindow && (parentWindow->windowFlags & GL_WIN_GROUP)) {
        group = static_cast<GL_Group*>(parentWindow);
        grouped = group->AddRadio(this) == 0;
        if (!grouped) group = nullptr;
    }
}

GL_Radio::~GL_Radio() {
    if (group) group->RemoveRadio(this);
    GL_free(text);
}

const char* GL_Radio::GetClassName() { return "GL_Radio"; }

int GL_Radio::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    NC_FillRect(pixmap, 0, 0, w, h, backColor);
    int top = CentredTop(h, 12);
    for (int row = 0; row < 12; ++row) {
        char const* r = kRadio[row];
        for (int col = 0; col < 12;) {
            int end = col;
            while (end < 12 && r[end] == r[col])
                ++end;
            if (r[col] != '.') HLine(pixmap, 2 + col, 2 + end - 1, top + row, RadioPixel(r[col]));
            col = end;
        }
    }
    if (checked) {
        HLine(pixmap, 7, 8, top + 4, checkColor);
        HLine(pixmap, 6, 9, top + 5, checkColor);
        HLine(pixmap, 6, 9, top + 6, checkColor);
        HLine(pixmap, 7, 8, top + 7, checkColor);
    }
    DrawSideCaption(pixmap, this, h, text);
    EndPixmap(pixmap, this);
    return 0;
}

int GL_Radio::MouseDown(int, int, unsigned char) {
    pressed = 1;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Radio::MouseUp(int px, int py, unsigned char) {
    if (!pressed) return -1;
    pressed = 0;
    if (!IsPointInWindow(px, py, 0)) {
        UpdateWindow(nullptr);
        return 0;
    }
    if (group) {
        // "Checked!" targets may delete this radio: its destructor leaves the
        // chain, so a radio that is still there is still alive.
        GL_Group* g = group;
        g->ChooseRadio(this);
        if (!g->radios.FindItemByData(this)) return 0;
    } else {
        checked = !checked;
        UpdateWindow(nullptr);
    }
    gCallback("Clicked!", &checked); // last: a target may delete the radio
    return 0;
}

int GL_Radio::SetChecked(unsigned char on) {
    if ((on != 0) == (checked != 0)) return -1;
    checked = on;
    UpdateWindow(nullptr);
    gCallback("Checked!", &checked);
    return 0;
}

int GL_Radio::SetCheckColor(unsigned long pixel) {
    if (pixel == checkColor) return -1;
    checkColor = unsigned(pixel);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Radio::SetText(char const* t) {
    GL_free(text);
    text = CopyCaption(t);
    UpdateWindow(nullptr);
    return 0;
}

// ---- GL_Group ---------------------------------------------------------------------------

GL_Group::GL_Group(GL_Window* parent, char const* name, char const* title, int style)
    : GL_Window(parent, name, style), text(CopyCaption(title)), align(0) {
    windowFlags |= GL_WIN_GROUP;
}

GL_Group::GL_Group(GL_Window* parent, char const* name, char const* title, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style), text(CopyCaption(title)), align(0) {
    windowFlags |= GL_WIN_GROUP;
}

GL_Group::~GL_Group() {
    // The radios are children, deleted after this part of the group: they
    // must not reach back into a chain that is gone.
    for (ZPCList* node = radios.first; node; node = node->next)
        static_cast<GL_Radio*>(node->data)->group = nullptr;
    radios.clear();
    GL_free(text);
}

const char* GL_Group::GetClassName() { return "GL_Group"; }

int GL_Group::AddRadio(GL_Window* radio) {
    if (!radio) return -1;
    return radios.InsertItem(0, radio);
}

int GL_Group::RemoveRadio(GL_Window* radio) { return radios.RemoveItemByData(radio); }

int GL_Group::ChooseRadio(GL_Window* chosen) {
    // Each "Checked!" may change the chain: walk a snapshot and skip radios
    // that left it meanwhile.
    std::vector<GL_Window*> snapshot;
    for (ZPCList* node = radios.first; node; node = node->next)
        snapshot.push_back(static_cast<GL_Window*>(node->data));
    for (GL_Window* r : snapshot)
        if (r != chosen && radios.FindItemByData(r)) static_cast<GL_Radio*>(r)->SetChecked(0);
    if (chosen && radios.FindItemByData(chosen)) static_cast<GL_Radio*>(chosen)->SetChecked(1);
    return 0;
}

int GL_Group::SetAlign(unsigned char a) {
    align = (a == 1 || a == 2) ? a : 0;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Group::SetText(char const* title) {
    GL_free(text);
    text = CopyCaption(title);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Group::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    NC_FillRect(pixmap, 0, 0, w, h, backColor);
    // Etched frame: a dark line with a white line one pixel inside.
    int top = text ? 10 : 0;
    WidgetTextBox box = MeasureCaption(nullptr, text);
    // The top edge runs [0, gapStart) and [gapEnd, w); no gap without title.
    int gapStart = w, gapEnd = w, titleX = 0;
    if (text) {
        int side = (w - box.width - 4) / 2;
        if (align == 1 && side > 8) {
            gapStart = side;
            gapEnd = side + box.width + 4;
            titleX = side + 2;
        } else {
            gapStart = 9;
            gapEnd = box.width + 12;
            titleX = 11;
        }
    }
    for (int k = 0; k < 2; ++k) {
        unsigned long pixel = k ? iWhiteS : iDarkGreyS;
        HLine(pixmap, k, gapStart - 1, top + k, pixel);
        HLine(pixmap, gapEnd, w - 2 + k, top + k, pixel);
        VLine(pixmap, k, top + k, h - 2 + k, pixel);
        VLine(pixmap, w - 2 + k, top + k, h - 2 + k, pixel);
        HLine(pixmap, k, w - 2 + k, h - 2 + k, pixel);
    }
    if (text) {
        int room = 22 - box.lineHeight;
        DrawCaption(pixmap, nullptr, titleX, (room > 0 ? room : 0) / 2 + box.ascent, text, CaptionColor(this));
    }
    EndPixmap(pixmap, this);
    return 0;
}
