#include "widget_caption.h"

#include "gl_color.h"
#include "gl_text.h"
#include "gui_util.h"

WidgetTextBox MeasureCaption(GL_Font* font, char const* text) {
    WidgetTextBox box{0, 0, 0};
    if (!text || !*text) return box;
    _GS_Rect r{0, 0, 0, 0};
    box.width = GL_GetTextInfo(font, nullptr, text, 0, &r, nullptr, nullptr);
    box.lineHeight = r.height;
    box.ascent = -r.y;
    return box;
}

int CentredBaseline(int h, WidgetTextBox const& box) {
    int room = h - box.lineHeight;
    return (room > 0 ? room : 0) / 2 + box.ascent;
}

unsigned long CaptionColor(GL_Window* window) { return window->IsEnabled() ? window->foreColor : iDarkGreyS; }

char* CopyCaption(char const* text) { return (text && *text) ? GL_CopyString(text) : nullptr; }

void DrawCaption(unsigned long pixmap, GL_Font* font, int x, int baseline, char const* text, unsigned long pixel) {
    if (text && *text) GL_TextOutUtf82(pixmap, font, nullptr, x, baseline, text, 0, pixel, nullptr);
}
