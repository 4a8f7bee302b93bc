#include "gl_label.h"

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_pixmap.h"
#include "gl_text.h"
#include "gui_util.h"
#include "nc_font.h"
#include "nc_request.h"
#include "widget_caption.h"

namespace {
unsigned char ValidStyle(int style) { return (style >= 0 && style <= 3) ? static_cast<unsigned char>(style) : 0; }
unsigned char ValidAlign(int align) { return (align == 1 || align == 2) ? static_cast<unsigned char>(align) : 0; }
// Left edge of a run of `width` pixels aligned in `room` pixels (pad from the
// left or right edge).
int AlignedX(unsigned char align, int room, int width, int pad) {
    if (align == 2) {
        int x = room - width - pad;
        return x > 0 ? x : 0;
    }
    if (align == 1) {
        int x = room - width;
        return (x > 0 ? x : 0) / 2;
    }
    return pad;
}
} // namespace

GL_Label::GL_Label(GL_Window* parent, char const* name, char const* text, int style) : GL_Window(parent, name, style) {
    Init(text, style);
}

GL_Label::GL_Label(GL_Window* parent, char const* name, char const* text, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iGreyS, style) {
    Init(text, style);
}

void GL_Label::Init(char const* newText, int newStyle) {
    labelFlags = 0;
    relayout = 1;
    align = 0;
    text = CopyCaption(newText);
    labelStyle = ValidStyle(newStyle);
    borderWidth = 4;
    borderColor = 0;
}

GL_Label::~GL_Label() {
    ClearLines();
    GL_free(text);
}

const char* GL_Label::GetClassName() { return "GL_Label"; }

void GL_Label::ClearLines() {
    for (GL_ListData* node = lines.head; node; node = node->next)
        GL_free(node->data);
    lines.ClearAll();
}

int GL_Label::SetText(char const* newText) {
    GL_free(text);
    text = CopyCaption(newText);
    relayout = 1;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Label::SetAlign(unsigned char a) {
    a = ValidAlign(a);
    if (a == align) return -1;
    align = a;
    UpdateWindow(nullptr);
    return 0;
}

int GL_Label::SetLabelStyle(unsigned char s) {
    labelStyle = ValidStyle(s);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Label::SetBorderWidth(unsigned long width) {
    borderWidth = static_cast<unsigned int>(width);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Label::SetBorderColor(unsigned long pixel) {
    borderColor = static_cast<unsigned int>(pixel);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Label::SetMouseEnabled(unsigned char on) {
    unsigned char bit = on ? GL_LABEL_MOUSE : 0;
    if ((labelFlags & GL_LABEL_MOUSE) == bit) return -1;
    labelFlags = static_cast<unsigned char>((labelFlags & ~GL_LABEL_MOUSE) | bit);
    UpdateWindow(nullptr);
    return 0;
}

int GL_Label::WindowSizeChange(int, int) {
    relayout = 1;
    return 0;
}

int GL_Label::Draw(_GS_Region*) {
    if (!IsViewable() || w <= 0 || h <= 0) return -1;
    unsigned long pixmap = BeginPixmap(w, h, iDepth);
    DrawBackground(pixmap);
    unsigned long pixel = CaptionColor(this);
    if (labelStyle == 2) {
        if (text) {
            // The lines follow the current width and text on every draw.
            ClearLines();
            SplitString(font, text, w, 1, &lines);
            relayout = 0;
            int lineHeight = 0, ascent = 0;
            if (GL_ScalableFonts()) {
                SL_GetFontInfo(font, nullptr, &lineHeight, &ascent, nullptr);
            } else {
                lineHeight = GetFontHeight();
                ascent = GetFontAscent();
            }
            int room = h - lineHeight * lines.GetCount();
            int top = (room > 0 ? room : 0) / 2;
            if (top > lineHeight) top = 2;
            int i = 0;
            for (GL_ListData* node = lines.head; node; node = node->next, ++i) {
                int x = AlignedX(align, w, int(node->value), 0);
                DrawCaption(pixmap, font, x, top + i * lineHeight + ascent, static_cast<char*>(node->data), pixel);
            }
        }
    } else {
        // Images are not drawn yet: the label is laid out as without one.
        WidgetTextBox box = MeasureCaption(font, text);
        int x = AlignedX(align, w, box.width, labelStyle == 1 ? 2 : 0);
        DrawCaption(pixmap, font, x, CentredBaseline(h, box), text, pixel);
        if (labelStyle == 1) {
            if (labelFlags & GL_LABEL_PRESSED)
                NC_DrawDownBox(pixmap, 0, 0, w, h, 0);
            else if (labelFlags & GL_LABEL_HOT)
                NC_DrawUpBox(pixmap, 0, 0, w, h, 0);
        } else if (labelStyle == 3) {
            NC_DrawWRect(pixmap, 0, 0, w, h, int(borderWidth), borderColor);
        }
    }
    EndPixmap(pixmap, this);
    return 0;
}

// ---- Pointer ----------------------------------------------------------------------------

int GL_Label::PointerEvent(char const* event, int px, int py, unsigned char button) {
    int sx = absX + px, sy = absY + py;
    unsigned char b = button;
    return gCallback(event, &sx, &sy, &b);
}

int GL_Label::MouseDown(int px, int py, unsigned char button) {
    if (PointerEvent("MouseDown!", px, py, button)) return 0; // a target deleted the label
    if (!IsEnabled() || !(labelFlags & GL_LABEL_MOUSE)) return -1;
    labelFlags |= GL_LABEL_PRESSED;
    if (labelStyle == 1) UpdateWindow(nullptr);
    return 0;
}

int GL_Label::MouseUp(int px, int py, unsigned char button) {
    if (PointerEvent("MouseUp!", px, py, button)) return 0;
    if (!(labelFlags & GL_LABEL_PRESSED) || !IsEnabled() || !(labelFlags & GL_LABEL_MOUSE)) return -1;
    labelFlags &= static_cast<unsigned char>(~GL_LABEL_PRESSED);
    if (labelStyle == 1) UpdateWindow(nullptr);
    // Last: a target may delete the label.
    if (IsPointInWindow(px, py, 0)) gCallback("Clicked!");
    return 0;
}

int GL_Label::MouseMove(int px, int py, unsigned char button) {
    PointerEvent("MouseMove!", px, py, button);
    return 0;
}

int GL_Label::MouseIn(int px, int py, unsigned char button) {
    if (PointerEvent("MouseIn!", px, py, button)) return 0;
    if (labelStyle == 1) {
        labelFlags |= GL_LABEL_HOT;
        UpdateWindow(nullptr);
    }
    return 0;
}

int GL_Label::MouseOut(int px, int py, unsigned char button) {
    if (PointerEvent("MouseOut!", px, py, button)) return 0;
    if (labelStyle == 1) {
        labelFlags &= static_cast<unsigned char>(~GL_LABEL_HOT);
        UpdateWindow(nullptr);
    }
    return 0;
}
