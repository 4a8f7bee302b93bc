// GL_MEdit: the multi-line edit. The characters of all paragraphs live in one
// array with a line feed between paragraphs; the paragraph and row tables
// index into it and are rebuilt by DivideRow after every change.
#include "gl_medit.h"

#include "egui_conn.h"
#include "gl_pixmap.h"
#include "gl_scroll.h"
#include "gl_sedit_impl.h"

#include <cstdint>
#include <vector>

GL_Window* pIRWidget = nullptr;

struct MEditRow {
    int start, end; // character range, end exclusive
};

struct MEditParagraph {
    int start, count; // its characters, without the line feed after it
    int firstRow, rowCount;
};

// The row table grows with the text: a paragraph may take any number of rows.
struct MEditData {
    std::vector<unsigned short> chars;
    std::vector<MEditParagraph> paragraphs;
    std::vector<MEditRow> rows;
    bool quiet = false; // inside a change: the scroll bar's "Value!" does not redraw
};

namespace {

constexpr unsigned short kLineFeed = 10;

} // namespace

GL_MEdit::GL_MEdit(GL_Window* parent, char const* name, char const* initial, int style)
    : GL_Window(parent, name, style) {
    Init(initial, style);
}

GL_MEdit::GL_MEdit(GL_Window* parent, char const* name, char const* initial, int x, int y, int w, int h, int style)
    : GL_Window(parent, name, x, y, w, h, iWhiteS, style) {
    Init(initial, style);
}

void GL_MEdit::Init(char const* initial, int) {
    data = new MEditData;
    textColor = unsigned(iBlackS);
    margin = 4;
    text = nullptr;
    pressed = 0;
    caretShown = 0;
    caretTimer = nullptr;
    selecting = 0;
    editPressX = editPressY = 0;
    pressIndex = 0;
    selStart = selEnd = -1;
    cursor = 0;
    offsetY = 0;
    vscroll = new GL_Scroll(this, "meditvs", w - kScrollWidth, 0, kScrollWidth, h, 0, 0, 1);
    vscroll->AddCallback(this, "Value!", nullptr);
    SetText(initial);
}

GL_MEdit::~GL_MEdit() {
    delete caretTimer;
    GL_free(text);
    delete data;
}

const char* GL_MEdit::GetClassName() { return "GL_MEdit"; }

int GL_MEdit::GetCharCount() { return int(data->chars.size()); }
int GL_MEdit::GetRowCount() { return int(data->rows.size()); }
int GL_MEdit::GetParagraphCount() { return int(data->paragraphs.size()); }

int GL_MEdit::GetRow(int r, int* start, int* end) {
    if (r < 0 || r >= GetRowCount()) return -1;
    if (start) *start = data->rows[size_t(r)].start;
    if (end) *end = data->rows[size_t(r)].end;
    return 0;
}

void GL_MEdit::Clamp() {
    int n = GetCharCount();
    if (cursor < 0) cursor = 0;
    if (cursor > n) cursor = n;
    if (pressIndex < 0 || pressIndex > n) pressIndex = cursor;
    if (selStart < -1 || selStart > n) selStart = -1;
    if (selEnd < -1 || selEnd > n) selEnd = -1;
}

int GL_MEdit::GetSelection(int* lo, int* hi) {
    Clamp();
    if (!selecting || selStart < 0 || selEnd < 0 || selStart == selEnd) return 0;
    if (lo) *lo = selStart < selEnd ? selStart : selEnd;
    if (hi) *hi = selStart < selEnd ? selEnd : selStart;
    return 1;
}

int GL_MEdit::RemoveSelectedText() {
    int lo, hi, r = -1;
    if (GetSelection(&lo, &hi)) {
        data->chars.erase(data->chars.begin() + lo, data->chars.begin() + hi);
        cursor = lo;
        r = 0;
    }
    selecting = 0;
    selStart = selEnd = -1;
    Clamp();
    return r;
}

void GL_MEdit::Insert(unsigned short const* in, int n) {
    Clamp();
    data->chars.insert(data->chars.begin() + cursor, in, in + n);
    cursor += n;
}

int GL_MEdit::SetText(char const* newText) {
    data->chars.clear();
    unsigned short* in = nullptr;
    int n = 0;
    if (newText && *newText) Char2String(newText, 0, &in, &n);
    for (int i = 0; i < n; i++)
        if (in[i] != 0 && in[i] != '\r') data->chars.push_back(in[i]);
    GL_free(in);
    pressed = 0;
    selecting = 0;
    selStart = selEnd = -1;
    cursor = GetCharCount();
    Clamp();
    GL_free(text);
    text = nullptr;
    if (!data->chars.empty()) String2Char(data->chars.data(), GetCharCount(), &text, nullptr);
    data->quiet = true;
    DivideRow();
    data->quiet = false;
    UpdateWindow(nullptr);
    return 0;
}

void GL_MEdit::DivideRow() {
    data->paragraphs.clear();
    data->rows.clear();
    int avail = w - 24;
    if (avail < 0) avail = 0;
    const int n = GetCharCount();
    sedit::Widths width(font);
    int p = 0;
    for (;;) {
        int e = p;
        while (e < n && data->chars[size_t(e)] != kLineFeed)
            e++;
        MEditParagraph para{p, e - p, int(data->rows.size()), 0};
        int rowStart = p, sum = 0;
        for (int i = p; i < e; i++) {
            int cw = width(data->chars[size_t(i)]);
            if (sum + cw > avail && i > rowStart) {
                // Passed the width: this character starts the next row.
                data->rows.push_back({rowStart, i});
                rowStart = i;
                sum = 0;
            }
            sum += cw;
            if (sum >= avail) {
                // Reached the width exactly, or one character alone is wider.
                data->rows.push_back({rowStart, i + 1});
                rowStart = i + 1;
                sum = 0;
            }
        }
        if (rowStart < e || int(data->rows.size()) == para.firstRow) data->rows.push_back({rowStart, e});
        para.rowCount = int(data->rows.size()) - para.firstRow;
        data->paragraphs.push_back(para);
        if (e >= n) break;
        p = e + 1;
    }
    SetScrollMaxValue();
}

void GL_MEdit::SetScrollMaxValue() {
    long long total = (long long)GetRowCount() * kRowHeight - h + 4;
    if (total > 0) {
        if (total > INT32_MAX) total = INT32_MAX;
        vscroll->SetStepPage(kRowHeight, h - 4 > 1 ? h - 4 : 1);
        vscroll->SetMinMax(0, int(total));
    } else {
        vscroll->SetMinMax(0, 0);
        offsetY = 0;
    }
}

// The row that shows index: the row containing it, or the row it ends when
// it is the end of its paragraph.
int GL_MEdit::RowOf(int index) {
    int best = 0;
    for (const MEditParagraph& para : data->paragraphs) {
        if (index < para.start) break;
        if (index > para.start + para.count) continue;
        for (int r = para.firstRow; r < para.firstRow + para.rowCount; r++) {
            best = r;
            const MEditRow& row = data->rows[size_t(r)];
            if (index >= row.start && index < row.end) return r;
        }
        return best;
    }
    return best;
}

int GL_MEdit::RowX(int row, int index) {
    int x = margin;
    const MEditRow& rw = data->rows[size_t(row)];
    sedit::Widths width(font);
    for (int i = rw.start; i < index && i < rw.end; i++)
        x += width(data->chars[size_t(i)]);
    return x;
}

int GL_MEdit::PixelToCharPos2(int px, int py) {
    if (data->rows.empty()) return 0;
    int r = (py - offsetY - 2) / kRowHeight;
    if (py - offsetY - 2 < 0) r = 0;
    if (r >= GetRowCount()) r = GetRowCount() - 1;
    const MEditRow& row = data->rows[size_t(r)];
    int b = margin;
    sedit::Widths width(font);
    for (int i = row.start; i < row.end; i++) {
        int next = b + width(data->chars[size_t(i)]);
        if (px - b < next - px) return i;
        b = next;
    }
    return row.end;
}

void GL_MEdit::ScrollToCursor() {
    int top = RowOf(cursor) * kRowHeight;
    int view = h - 4;
    int value = -offsetY;
    if (top < value)
        value = top;
    else if (top + kRowHeight > value + view)
        value = top + kRowHeight - view;
    if (value != -offsetY) vscroll->SetValue(value);
}

void GL_MEdit::RestartCaret() {
    delete caretTimer;
    caretTimer = new GL_Timeout(0, sedit::kCaretMicros, 1);
    caretTimer->AddCallback(this, "Timeout!", nullptr);
    caretTimer->Run();
    caretShown = 1;
}

void GL_MEdit::Changed() {
    Clamp();
    GL_free(text);
    text = nullptr;
    if (!data->chars.empty()) String2Char(data->chars.data(), GetCharCount(), &text, nullptr);
    data->quiet = true;
    DivideRow();
    ScrollToCursor();
    data->quiet = false;
    RestartCaret();
    UpdateWindow(nullptr);
}

int GL_MEdit::KeyIn(char* keyText, int textLength, unsigned int code, unsigned int code2, unsigned int modifier,
                    unsigned char released) {
    if (pIRWidget && pIRWidget != this) return pIRWidget->KeyIn(keyText, textLength, code, code2, modifier, released);
    return KeyInInternal(keyText, textLength, code, code2, modifier, released);
}

int GL_MEdit::KeyInInternal(char* keyText, int textLength, unsigned int, unsigned int code2, unsigned int,
                            unsigned char released) {
    if (released) return -1;
    Clamp();
    if (keyText && textLength > 0 && keyText[0]) {
        unsigned short* in = nullptr;
        int n = 0;
        Char2String(keyText, textLength, &in, &n);
        int keep = 0;
        for (int i = 0; i < n; i++) {
            unsigned short c = in[i];
            if (c == '\t') c = ' ';
            if (c == '\r') c = kLineFeed;
            if (c) in[keep++] = c;
        }
        if (keep == 0) {
            GL_free(in);
            return -1;
        }
        RemoveSelectedText();
        Insert(in, keep);
        GL_free(in);
    } else if (code2 == GL_KEY_RETURN) {
        RemoveSelectedText();
        Insert(&kLineFeed, 1);
    } else if (code2 == GL_KEY_DELETE || code2 == GL_KEY_BACKSPACE) {
        if (RemoveSelectedText() != 0) {
            if (code2 == GL_KEY_DELETE && cursor < GetCharCount()) {
                data->chars.erase(data->chars.begin() + cursor);
            } else if (code2 == GL_KEY_BACKSPACE && cursor > 0) {
                data->chars.erase(data->chars.begin() + cursor - 1);
                cursor--;
            }
        }
    } else {
        return -1;
    }
    Changed();
    return 0;
}

int GL_MEdit::MouseDown(int px, int py, unsigned char) {
    if (px < 0 || px >= w - 18 || py <= 1 || py >= h - 2) return -1;
    pressed = 1;
    editPressX = px;
    editPressY = py;
    pressIndex = PixelToCharPos2(px, py);
    selecting = 0;
    selStart = pressIndex;
    selEnd = -1;
    cursor = pressIndex;
    Clamp();
    UpdateWindow(nullptr);
    return 0;
}

int GL_MEdit::MouseMove(int px, int py, unsigned char) {
    if (!pressed) return -1;
    // One line per motion event, as the event arrives.
    printf("MMove x=%d y=%d\n", px, py);
    Clamp();
    px = px > w - 19 ? w - 19 : (px < 2 ? 2 : px);
    py = py > h - 3 ? h - 3 : (py < 2 ? 2 : py);
    selecting = 1;
    int dx = px - editPressX, dy = py - editPressY;
    if (dx >= -4 && dx <= 4 && dy >= -4 && dy <= 4) {
        selStart = selEnd = -1;
    } else {
        selStart = pressIndex;
        selEnd = PixelToCharPos2(px, py);
    }
    UpdateWindow(nullptr);
    return 0;
}

int GL_MEdit::MouseUp(int px, int py, unsigned char) {
    if (!pressed) return -1;
    pressed = 0;
    Clamp();
    px = px > w - 19 ? w - 19 : (px < 2 ? 2 : px);
    py = py > h - 3 ? h - 3 : (py < 2 ? 2 : py);
    int to = PixelToCharPos2(px, py);
    if (to == pressIndex) {
        selecting = 0;
        selStart = selEnd = -1;
    } else {
        selecting = 1;
        selStart = pressIndex;
        selEnd = to;
    }
    cursor = to;
    Clamp();
    RestartCaret();
    UpdateWindow(nullptr);
    return 0;
}

int GL_MEdit::MouseIn(int, int, unsigned char) { return 0; }
int GL_MEdit::MouseOut(int, int, unsigned char) { return 0; }
int GL_MEdit::GetFocus() { return 0; }

int GL_MEdit::LostFocus() {
    pressed = 0;
    selecting = 0;
    delete caretTimer;
    caretTimer = nullptr;
    caretShown = 0;
    UpdateWindow(nullptr);
    return 0;
}

int GL_MEdit::ExecCallback(GL_Object* sender, char const* event, void* a, void*, void*, void*, void*) {
    if (!event || !*event) return -1;
    if (sender && sender == caretTimer && strcmp(event, "Timeout!") == 0) {
        caretShown = !caretShown;
        UpdateWindow(nullptr);
    } else if (sender && sender == vscroll && strcmp(event, "Value!") == 0) {
        offsetY = -int(intptr_t(a));
        if (!data->quiet) UpdateWindow(nullptr);
    }
    return 0;
}

int GL_MEdit::WindowSizeChange(int, int) {
    vscroll->MoveResizeWindow(w - kScrollWidth, 0, kScrollWidth, h, 0);
    DivideRow();
    UpdateWindow(nullptr);
    return 0;
}

namespace {

// Characters from..to of chars drawn at x on baseline y; returns the x after.
int DrawChars(unsigned long pm, GL_Font* font, sedit::Widths& width, const unsigned short* chars, int from, int to,
              int x, int y, unsigned long pixel) {
    int end = x;
    for (int i = from; i < to; i++)
        end += width(chars[i]);
    if (to <= from) return end;
    char* s = nullptr;
    String2Char(const_cast<unsigned short*>(chars) + from, to - from, &s, nullptr);
    if (s) GL_TextOut(pm, font, nullptr, x, y, s, 0, pixel, nullptr);
    GL_free(s);
    return end;
}

} // namespace

int GL_MEdit::Draw(_GS_Region*) {
    Clamp();
    unsigned long pm = BeginPixmap(w, h, iDepth);
    NC_FillRect(pm, 0, 0, w, h, backColor);
    const int textW = w - kScrollWidth;
    const int baseline = sedit::CentredBaseline(font, kRowHeight);
    int lo = 0, hi = 0;
    bool sel = GetSelection(&lo, &hi) != 0;
    const unsigned short* c = data->chars.data();
    sedit::Widths width(font);
    int first = (-offsetY - 2) / kRowHeight;
    if (first < 0) first = 0;
    for (int r = first; r < GetRowCount(); r++) {
        int top = offsetY + 2 + r * kRowHeight;
        if (top >= h) break;
        const MEditRow& row = data->rows[size_t(r)];
        int y = top + baseline;
        if (!sel || hi <= row.start || lo >= row.end) {
            DrawChars(pm, font, width, c, row.start, row.end, margin, y, textColor);
            continue;
        }
        int a = lo > row.start ? lo : row.start;
        int b = hi < row.end ? hi : row.end;
        int x = DrawChars(pm, font, width, c, row.start, a, margin, y, textColor);
        int selW = RowX(r, b) - RowX(r, a);
        if (x + selW > textW - 4) selW = textW - 4 - x;
        if (selW > 0) NC_FillRect(pm, x, top + 2, selW, kRowHeight - 4, iBlueS);
        x = DrawChars(pm, font, width, c, a, b, x, y, iWhiteS);
        DrawChars(pm, font, width, c, b, row.end, x, y, textColor);
    }
    if (caretShown && GetRowCount() > 0) {
        int r = RowOf(cursor);
        int top = offsetY + 2 + r * kRowHeight;
        int cx = RowX(r, cursor);
        if (cx > textW - 3) cx = textW - 3;
        if (top + kRowHeight > 0 && top < h) NC_DrawLine(pm, cx, top + 2, cx, top + kRowHeight - 3, iRedS);
    }
    NC_DrawDownBox(pm, 0, 0, textW, h, backColor);
    EndPixmap(pm, this);
    return 0;
}
