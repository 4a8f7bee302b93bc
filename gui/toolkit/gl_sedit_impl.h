// The single-line editing shared by GL_SEdit and GL_PictureSEdit. Both
// classes carry the same fields under the same names (each derives from
// GL_Window directly), so the behaviour is written once here as templates
// over the class.
#pragma once

#include "eventloop.h"
#include "gl_color.h"
#include "gl_sedit.h"
#include "gl_text.h"
#include "gl_timeout.h"
#include "gui_conv.h"
#include "gui_util.h"
#include "nc_request.h"

#include <cstdio>
#include <cstring>

namespace sedit {

constexpr int kOrigin = 4;           // originX at rest: text starts 4 pixels in
constexpr int kCaretMicros = 450000; // caret blink period
constexpr int kMoveSlack = 4;        // pointer movement that still selects nothing

// Character widths of one font, each measured once: rows and drawing measure
// the same few characters over and over.
class Widths {
public:
    explicit Widths(GL_Font* f) : font(f) {
        for (int& w : single)
            w = -1;
    }
    int operator()(unsigned short c) {
        if (c < 256) {
            if (single[c] < 0) single[c] = GL_CalcDCharWidth(font, c);
            return single[c];
        }
        if (wide < 0) wide = GL_CalcDCharWidth(font, 0xB0A1);
        return wide;
    }

private:
    GL_Font* font;
    int single[256];
    int wide = -1;
};

// Keeps every index inside the character array: the cursor in 0..charCount,
// each selection end -1 or in 0..charCount.
template <class E> void Clamp(E* e) {
    if (e->charCount < 0) e->charCount = 0;
    if (e->cursor < 0) e->cursor = 0;
    if (e->cursor > e->charCount) e->cursor = e->charCount;
    if (e->selStart < -1 || e->selStart > e->charCount) e->selStart = -1;
    if (e->selEnd < -1 || e->selEnd > e->charCount) e->selEnd = -1;
    if (e->originX > kOrigin) e->originX = kOrigin;
}

template <class E> int CharPosX(E* e, int i) {
    if (i > e->charCount) i = e->charCount;
    int x = e->originX;
    for (int k = 0; k < i; k++)
        x += GL_CalcDCharWidth(e->font, e->chars[k]);
    return x;
}

// The first boundary i for which x is closer to i than to i + 1; the last
// boundary when none is.
template <class E> int IndexAtX(E* e, int x) {
    int b = e->originX;
    for (int i = 0; i < e->charCount; i++) {
        int next = b + GL_CalcDCharWidth(e->font, e->chars[i]);
        if (x - b < next - x) return i;
        b = next;
    }
    return e->charCount;
}

// The multi-byte text again from the characters.
template <class E> void RebuildText(E* e) {
    GL_free(e->text);
    e->text = nullptr;
    if (e->charCount > 0) String2Char(e->chars, e->charCount, &e->text, nullptr);
}

template <class E> void ClearSelection(E* e) {
    e->selecting = 0;
    e->selStart = -1;
    e->selEnd = -1;
}

template <class E> int GetSelection(E* e, int* lo, int* hi) {
    Clamp(e);
    if (!e->selecting || e->selStart < 0 || e->selEnd < 0 || e->selStart == e->selEnd) return 0;
    int a = e->selStart < e->selEnd ? e->selStart : e->selEnd;
    int b = e->selStart < e->selEnd ? e->selEnd : e->selStart;
    if (lo) *lo = a;
    if (hi) *hi = b;
    return 1;
}

template <class E> void ScrollToCaret(E* e, bool insertedAtEnd, int typedWidth);

template <class E> void Init(E* e, char const* text) {
    e->pressed = 0;
    e->text = nullptr;
    e->insertSymbolColor = unsigned(GL_RGB2Pixel(0, 0, 0));
    e->caretShown = 0;
    e->caretTimer = nullptr;
    e->editPressX = e->editPressY = 0;
    e->caretX = kOrigin;
    e->originX = kOrigin;
    e->chars = nullptr;
    e->charCount = 0;
    e->cursor = 0;
    ClearSelection(e);
    if (text && *text) {
        Char2String(text, 0, &e->chars, &e->charCount);
        RebuildText(e);
    }
    // Typing into a new edit appends; a long text shows its end.
    e->cursor = e->charCount;
    ScrollToCaret(e, true, 0);
}

template <class E> void Destroy(E* e) {
    delete e->caretTimer;
    e->caretTimer = nullptr;
    GL_free(e->text);
    e->text = nullptr;
    GL_free(e->chars);
    e->chars = nullptr;
}

template <class E> int SetText(E* e, char const* text) {
    GL_free(e->chars);
    e->chars = nullptr;
    e->charCount = 0;
    if (text && *text) Char2String(text, 0, &e->chars, &e->charCount);
    RebuildText(e);
    ClearSelection(e);
    e->pressed = 0;
    e->cursor = e->charCount;
    e->originX = kOrigin;
    Clamp(e);
    // The caret goes after the text: a long text shows its end.
    ScrollToCaret(e, true, 0);
    e->UpdateWindow(nullptr);
    return 0;
}

// Removes characters lo..hi (hi exclusive) of the array.
template <class E> void Erase(E* e, int lo, int hi) {
    if (lo < 0) lo = 0;
    if (hi > e->charCount) hi = e->charCount;
    if (lo >= hi) return;
    memmove(e->chars + lo, e->chars + hi, sizeof(unsigned short) * size_t(e->charCount - hi));
    e->charCount -= hi - lo;
}

template <class E> int RemoveSelectedText(E* e) {
    int lo, hi, r = -1;
    if (GetSelection(e, &lo, &hi)) {
        Erase(e, lo, hi);
        e->cursor = lo;
        r = 0;
    }
    ClearSelection(e);
    Clamp(e);
    return r;
}

template <class E> int BackSpaceChar(E* e) {
    Clamp(e);
    if (e->cursor <= 0) return -1;
    Erase(e, e->cursor - 1, e->cursor);
    e->cursor--;
    return 0;
}

template <class E> int DeleteChar(E* e) {
    Clamp(e);
    if (e->cursor >= e->charCount) return -1;
    Erase(e, e->cursor, e->cursor + 1);
    return 0;
}

// A new repeating blink timer whose "Timeout!" comes to the edit; caret on.
template <class E> void RestartCaret(E* e) {
    delete e->caretTimer;
    e->caretTimer = new GL_Timeout(0, kCaretMicros, 1);
    e->caretTimer->AddCallback(e, "Timeout!", nullptr);
    e->caretTimer->Run();
    e->caretShown = 1;
}

template <class E> void StopCaret(E* e) {
    delete e->caretTimer;
    e->caretTimer = nullptr;
    e->caretShown = 0;
}

// Inserts n characters at the cursor; the cursor moves past them. Zero
// characters are dropped: the multi-byte text could not carry them.
template <class E> int Insert(E* e, unsigned short const* in, int n) {
    Clamp(e);
    int keep = 0;
    for (int i = 0; i < n; i++)
        if (in[i]) keep++;
    if (keep == 0) return 0;
    auto* grown = static_cast<unsigned short*>(GL_malloc(int(sizeof(unsigned short)) * (e->charCount + keep + 1)));
    if (!grown) return 0;
    if (e->chars) memcpy(grown, e->chars, sizeof(unsigned short) * size_t(e->cursor));
    int o = e->cursor;
    for (int i = 0; i < n; i++)
        if (in[i]) grown[o++] = in[i];
    if (e->chars) memcpy(grown + o, e->chars + e->cursor, sizeof(unsigned short) * size_t(e->charCount - e->cursor));
    grown[e->charCount + keep] = 0;
    GL_free(e->chars);
    e->chars = grown;
    e->charCount += keep;
    e->cursor += keep;
    return keep;
}

// Scrolls so that the caret stays inside the window: past w - 2 the text
// moves left (after typing at the end the caret lands 8 pixels inside the
// right edge, otherwise by the typed width); left of the text margin it moves
// right again.
template <class E> void ScrollToCaret(E* e, bool insertedAtEnd, int typedWidth) {
    e->caretX = CharPosX(e, e->cursor);
    if (e->caretX > e->w - 2) {
        if (insertedAtEnd || typedWidth <= 0)
            e->originX -= e->caretX - (e->w - 8);
        else
            e->originX -= typedWidth;
        e->caretX = CharPosX(e, e->cursor);
        if (e->caretX > e->w - 2) {
            e->originX -= e->caretX - (e->w - 8);
            e->caretX = CharPosX(e, e->cursor);
        }
    }
    if (e->caretX < kOrigin && e->originX < kOrigin) {
        e->originX += kOrigin - e->caretX;
        if (e->originX > kOrigin) e->originX = kOrigin;
        e->caretX = CharPosX(e, e->cursor);
    }
}

template <class E> int KeyIn(E* e, char* text, int textLength, unsigned int code2, unsigned char released) {
    if (released) return -1;
    Clamp(e);
    bool atEnd = false;
    int typedWidth = 0;
    if (text && textLength > 0 && text[0]) {
        if (e->selecting) {
            RemoveSelectedText(e);
            RebuildText(e);
        }
        unsigned short* in = nullptr;
        int n = 0;
        Char2String(text, textLength, &in, &n);
        atEnd = e->cursor == e->charCount;
        int added = in ? Insert(e, in, n) : 0;
        for (int i = 0; in && i < n; i++)
            typedWidth += in[i] ? GL_CalcDCharWidth(e->font, in[i]) : 0;
        GL_free(in);
        if (added == 0) {
            if (e->selecting) {
                ClearSelection(e);
                e->UpdateWindow(nullptr);
            }
            return -1;
        }
    } else if (code2 == GL_KEY_DELETE || code2 == GL_KEY_BACKSPACE) {
        if (GetSelection(e, nullptr, nullptr))
            RemoveSelectedText(e);
        else if (code2 == GL_KEY_DELETE)
            DeleteChar(e);
        else
            BackSpaceChar(e);
        ClearSelection(e);
    } else {
        return -1;
    }
    ScrollToCaret(e, atEnd, typedWidth);
    RestartCaret(e);
    RebuildText(e);
    e->UpdateWindow(nullptr);
    return 0;
}

template <class E> int MouseDown(E* e, int x, int y) {
    if (!e->IsPointInWindow(x, y, 0)) return -1;
    Clamp(e);
    e->pressed = 1;
    e->editPressX = x;
    e->editPressY = y;
    ClearSelection(e);
    e->selStart = IndexAtX(e, x);
    e->cursor = e->selStart;
    e->caretX = CharPosX(e, e->cursor);
    e->UpdateWindow(nullptr);
    return 0;
}

template <class E> int LimitX(E* e, int x) {
    if (x > e->w - 3) x = e->w - 3;
    if (x < 2) x = 2;
    return x;
}

template <class E> int MouseMove(E* e, int x, int y) {
    if (!e->pressed) return -1;
    // One line per motion event, as the event arrives.
    printf("MMove x=%d y=%d\n", x, y);
    Clamp(e);
    x = LimitX(e, x);
    e->selecting = 1;
    int d = x - e->editPressX;
    if (d <= kMoveSlack && d >= -kMoveSlack) {
        e->selStart = -1;
        e->selEnd = -1;
    } else {
        // The press index again: a short move before may have cleared it.
        e->selStart = IndexAtX(e, LimitX(e, e->editPressX));
        e->selEnd = IndexAtX(e, x);
    }
    e->UpdateWindow(nullptr);
    return 0;
}

template <class E> int MouseUp(E* e, int x, int) {
    if (!e->pressed) return -1;
    e->pressed = 0;
    Clamp(e);
    int from = IndexAtX(e, LimitX(e, e->editPressX));
    int to = IndexAtX(e, LimitX(e, x));
    if (from == to) {
        ClearSelection(e);
        e->cursor = from;
    } else {
        e->selecting = 1;
        e->selStart = from;
        e->selEnd = to;
        e->cursor = to;
    }
    Clamp(e);
    e->caretX = CharPosX(e, e->cursor);
    RestartCaret(e);
    e->UpdateWindow(nullptr);
    return 0;
}

template <class E> int LostFocus(E* e) {
    e->pressed = 0;
    e->selecting = 0;
    StopCaret(e);
    e->UpdateWindow(nullptr);
    return 0;
}

template <class E> int ExecCallback(E* e, GL_Object* sender, char const* event) {
    if (!event || !*event) return -1;
    if (strcmp(event, "Timeout!") != 0 || !sender || sender != e->caretTimer) return 0;
    e->caretShown = !e->caretShown;
    e->UpdateWindow(nullptr);
    return 0;
}

// Baseline that centres one text line in height h.
inline int CentredBaseline(GL_Font* font, int h) {
    int ascent = 0, lineHeight = 0;
    SL_GetTextInfo816(font, nullptr, "A", 1, &ascent, nullptr, &lineHeight, nullptr, nullptr);
    int top = (h - lineHeight) / 2;
    if (top < 0) top = 0;
    return top + ascent;
}

// Characters from..to (to exclusive) drawn at x in pixel; returns the x after.
template <class E> int DrawRun(E* e, unsigned long pm, int x, int baseline, int from, int to, unsigned long pixel) {
    int end = x;
    for (int i = from; i < to; i++)
        end += GL_CalcDCharWidth(e->font, e->chars[i]);
    if (to <= from) return end;
    char* s = nullptr;
    String2Char(e->chars + from, to - from, &s, nullptr);
    if (s) GL_TextOut(pm, e->font, nullptr, x, baseline, s, 0, pixel, nullptr);
    GL_free(s);
    return end;
}

// The text, selection and caret into pixmap pm.
template <class E> void DrawContent(E* e, unsigned long pm) {
    Clamp(e);
    int baseline = CentredBaseline(e->font, e->h);
    int lo, hi;
    if (!GetSelection(e, &lo, &hi)) {
        DrawRun(e, pm, e->originX, baseline, 0, e->charCount, e->foreColor);
    } else {
        int x = DrawRun(e, pm, e->originX, baseline, 0, lo, e->foreColor);
        int selW = CharPosX(e, hi) - CharPosX(e, lo);
        int boxW = selW;
        if (x + boxW > e->w - 4) boxW = e->w - 4 - x;
        if (boxW > 0) NC_FillRect(pm, x, 4, boxW, e->h - 8, iBlueS);
        x = DrawRun(e, pm, x, baseline, lo, hi, iWhiteS);
        DrawRun(e, pm, x, baseline, hi, e->charCount, e->foreColor);
    }
    if (e->caretShown) {
        int cx = e->caretX > e->w - 3 ? e->w - 3 : e->caretX;
        NC_DrawLine(pm, cx, 4, cx, e->h - 5, iRedS);
    }
}

} // namespace sedit
