// Text measurement, fitting and line splitting, and the text output that
// widgets call. The widths are the server's own metric tables (SysInfo), so
// text measured here ends where the server's drawing of it ends.
#include "gl_text.h"

#include <climits>
#include <cstring>

#include "egui_conn.h"
#include "gl_color.h"
#include "gl_list.h"
#include "gui_conv.h"
#include "gui_lang.h"
#include "gui_util.h"

unsigned char bLabelUtf8 = 0;

namespace {

// No glyph of 7 to 36 pixels is wider; a wider value can only be garbage in
// the record, and cutting it keeps every sum far from overflow.
constexpr int kMaxGlyphWidth = 1023;
// SysInfo byte with the width of every wide character in bitmap-font mode
// (the last byte of the first font's description).
constexpr int kBitmapWideWidth = 51;
constexpr size_t kMaxText = 510; // characters a text request carries

int Sane(long long w) { return w < 0 ? 0 : w > kMaxGlyphWidth ? kMaxGlyphWidth : int(w); }

int ToInt(long long v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v); }

// Bytes of text to use: n, or up to the NUL when n is 0; never past a NUL.
size_t Len(const char* text, unsigned long n) { return n == 0 ? strlen(text) : strnlen(text, n); }

int SingleWidth(GL_Font* font, unsigned code) {
    if (GL_ScalableFonts()) return Sane(GL_FontWord(font, GL_FONT_ADVANCES + int(code)));
    long long index = (long long)code - (long long)(unsigned)GL_FontWord(nullptr, GL_FONT_INDEX);
    return iDataInfo[index < 0 ? 0 : index];
}

int WideWidth(GL_Font* font) {
    return GL_ScalableFonts() ? Sane(GL_FontWord(font, GL_FONT_WIDE)) : gSysInfo[kBitmapWideWidth];
}

// The widths one measurement needs, read from the record once.
struct Widths {
    int single[256];
    int wide;
    explicit Widths(GL_Font* font) {
        for (unsigned c = 0; c < 256; ++c)
            single[c] = SingleWidth(font, c);
        wide = WideWidth(font);
    }
    int Of(unsigned code) const { return code <= 255 ? single[code] : wide; }
};

long long SumSingle(const Widths& w, const unsigned char* p, size_t n) {
    long long sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += w.single[p[i]];
    return sum;
}

long long SumWide(const Widths& w, size_t n) { return (long long)w.wide * (long long)n / 2; }

// Width and character count of len bytes of UTF-8, through UCS-2.
int Utf8Width(GL_Font* font, const char* text, size_t len, int* count) {
    if (count) *count = 0;
    if (!text || len == 0 || len > 0x10000000) return 0;
    int units = 0;
    unsigned short* u = Utf82UConvert(text, len, &units);
    if (!u) return 0;
    Widths w(font);
    const unsigned char* be = reinterpret_cast<const unsigned char*>(u);
    long long sum = 0;
    for (int i = 0; i < units; ++i)
        sum += w.Of(unsigned(be[2 * i]) << 8 | be[2 * i + 1]);
    GL_free(u);
    if (count) *count = units;
    return ToInt(sum);
}

// Calls f(start, length, wide, characters) for each maximal run of
// single-byte and of two-byte characters; a lead byte in the last place is a
// single-byte character. Stops when f returns false.
template <class F> void ForEachGbRun(const unsigned char* p, size_t len, F f) {
    size_t i = 0;
    while (i < len) {
        bool wide = p[i] >= 0x80 && i + 1 < len;
        size_t start = i, chars = 0;
        while (i < len && (p[i] >= 0x80 && i + 1 < len) == wide) {
            i += wide ? 2 : 1;
            ++chars;
        }
        if (!f(start, i - start, wide, chars)) return;
    }
}

// Bitmap-mode output: each run with TextOutS or TextOutD where the last ended.
int GbRunsOut(unsigned long pm, int x, int y, const char* text, size_t len, unsigned long pixel) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    int cx = x;
    ForEachGbRun(p, len, [&](size_t start, size_t n, bool wide, size_t) {
        int next =
            wide ? SL_TextOutD(pm, cx, y, text + start, n, pixel) : SL_TextOutS(pm, cx, y, text + start, n, pixel);
        cx = next;
        // A failed write, or a run cut at the request limit, ends the text.
        return next != 0 && n <= kMaxText;
    });
    return cx;
}

void SetRects(_GS_Rect* a, _GS_Rect* b, int ascent, int width, int lineHeight) {
    GL_SetRect(a, 0, -ascent, width, lineHeight);
    GL_SetRect(b, 0, -ascent, width, lineHeight);
}

} // namespace

// ---- Widths -------------------------------------------------------------------------

int SL_GetCharInfo(GL_Font* font, unsigned short unit) {
    unsigned code = unsigned((unit >> 8) | (unit & 0xFF) << 8);
    return code <= 255 ? SingleWidth(font, code) : WideWidth(font);
}

int SL_GetCharInfo2(GL_Font* font, unsigned short unit) { return SL_GetCharInfo(font, unit); }

int SL_GetStringInfoSingle(GL_Font* font, char const* text, unsigned long n) {
    if (!text) return 0;
    Widths w(font);
    return ToInt(SumSingle(w, reinterpret_cast<const unsigned char*>(text), Len(text, n)));
}

int SL_GetStringInfoDouble(GL_Font* font, char const* text, unsigned long n) {
    if (!text) return 0;
    return ToInt((long long)WideWidth(font) * (long long)Len(text, n) / 2);
}

int SL_GetStringInfo8(char const* text, unsigned long n) { return SL_GetStringInfoSingle(nullptr, text, n); }

int SL_GetStringInfo16(char const* text, unsigned long n) { return SL_GetStringInfoDouble(nullptr, text, n); }

int CalcStringWidth(GL_Font* font, char* text) { return text ? Utf8Width(font, text, strlen(text), nullptr) : 0; }

int CalcStringWidth2(GL_Font* font, char* text, int n, int* count) {
    if (count) *count = 0;
    if (!text) return 0;
    return Utf8Width(font, text, n < 1 ? strlen(text) : strnlen(text, size_t(n)), count);
}

int SL_GetTextInfo816(GL_Font* font, GL_Font*, char const* text, unsigned long n, int* ascent, int* metric9,
                      int* lineHeight, int* width, int* count) {
    int chars = 0;
    int w = text ? Utf8Width(font, text, Len(text, n), &chars) : 0;
    if (ascent) *ascent = GL_FontWord(font, GL_FONT_ASCENT);
    if (metric9) *metric9 = GL_FontWord(font, GL_FONT_METRIC9);
    if (lineHeight) *lineHeight = GL_FontWord(font, GL_FONT_LINE);
    if (width) *width = w;
    if (count) *count = chars;
    return w;
}

int GL_GetTextInfo(GL_Font* font, GL_Font* font2, char const* text, unsigned long n, _GS_Rect* rect, _GS_Rect* rect2,
                   unsigned long* count) {
    int ascent = 0, lineHeight = 0, width = 0, chars = 0;
    SL_GetTextInfo816(font, font2, text, n, &ascent, nullptr, &lineHeight, &width, &chars);
    if (count) *count = (unsigned long)chars;
    if (width <= 0) return 0;
    SetRects(rect, rect2, ascent, width, lineHeight);
    return width;
}

int SL_GetStringInfo816(char const* text, unsigned long n, int* ascent, int* metric9, int* lineHeight, int* width,
                        int* count) {
    long long sum = 0;
    size_t chars = 0;
    if (text) {
        Widths w(nullptr);
        const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
        // Each run is measured from its own first byte.
        ForEachGbRun(p, Len(text, n), [&](size_t start, size_t len, bool wide, size_t runChars) {
            sum += wide ? SumWide(w, len) : SumSingle(w, p + start, len);
            chars += runChars;
            return true;
        });
    }
    bool scalable = GL_ScalableFonts();
    if (ascent) *ascent = scalable ? GL_FontWord(nullptr, GL_FONT_ASCENT) : 0;
    if (metric9) *metric9 = scalable ? GL_FontWord(nullptr, GL_FONT_METRIC9) : 0;
    if (lineHeight) *lineHeight = scalable ? GL_FontWord(nullptr, GL_FONT_LINE) : 0;
    if (width) *width = ToInt(sum);
    if (count) *count = ToInt((long long)chars);
    return ToInt(sum);
}

int GL_GetStringInfo(_SL_Font*, _SL_Font*, char const* text, unsigned long n, _GS_Rect* rect, _GS_Rect* rect2,
                     unsigned long* count) {
    int ascent = 0, lineHeight = 0, width = 0, chars = 0;
    SL_GetStringInfo816(text, n, &ascent, nullptr, &lineHeight, &width, &chars);
    if (count) *count = (unsigned long)chars;
    if (width <= 0) return 0;
    SetRects(rect, rect2, ascent, width, lineHeight);
    return width;
}

// ---- Fitting text into a width --------------------------------------------------------

char* CalcShortString(GL_Font* font, char* text, int maxWidth, char* suffix) {
    if (!text) return nullptr;
    if (!*text || maxWidth <= 0) return GL_CopyString(text);
    if (!suffix) suffix = const_cast<char*>("");
    int room = maxWidth - CalcStringWidth(font, suffix);
    if (room < 1) return *suffix ? GL_CopyString(suffix) : nullptr;

    int units = 0;
    unsigned short* u = Utf82UConvert(text, 0, &units);
    if (!u) return nullptr;
    Widths w(font);
    const unsigned char* be = reinterpret_cast<const unsigned char*>(u);
    long long total = 0;
    int fit = -1; // characters within room, once the running width passed it
    for (int i = 0; i < units; ++i) {
        total += w.Of(unsigned(be[2 * i]) << 8 | be[2 * i + 1]);
        if (fit < 0 && total > room) fit = i;
    }
    // The whole text when it fits the full width: a suffix would only hide
    // text that has room.
    if (fit < 0 || total <= maxWidth) {
        GL_free(u);
        return GL_CopyString(text);
    }
    int len = 0;
    char* head = U2Utf8Convert(u, fit, &len);
    GL_free(u);
    if (!head) return nullptr;
    size_t sl = strlen(suffix);
    char* out = static_cast<char*>(GL_malloc(int(size_t(len) + sl + 1)));
    if (out) {
        memcpy(out, head, size_t(len));
        memcpy(out + len, suffix, sl + 1);
    }
    GL_free(head);
    return out;
}

int SplitString(GL_Font* font, char* text, int maxWidth, unsigned char, GL_List* list) {
    if (!text || !*text || maxWidth <= 12 || !list) return 0;
    size_t n = strlen(text);
    if (n > 0x10000000) return 0;
    // Characters are read as Char2String reads them (a byte of 128 or more
    // that is not the last pairs with the next one) and lines are the bytes
    // String2Char would give back, built here without the round trip.
    char* line = static_cast<char*>(GL_malloc(int(n + 1)));
    if (!line) return 0;
    Widths w(font);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t len = 0;
    int width = 0;
    bool afterBreak = false;
    auto add = [&](size_t bytes, int lineWidth) {
        char* s = static_cast<char*>(GL_malloc(int(bytes + 1)));
        if (!s) return;
        memcpy(s, line, bytes);
        s[bytes] = '\0';
        if (!list->AddTail(s, lineWidth)) GL_free(s);
    };
    for (size_t i = 0; i < n;) {
        bool wide = p[i] >= 0x80 && i + 1 < n;
        if (!wide && p[i] == '\n') {
            if (len > 0)
                add(len, width);
            else if (afterBreak)
                add(0, 0);
            len = 0;
            width = 0;
            afterBreak = true;
            ++i;
            continue;
        }
        int cw = wide ? w.wide : w.single[p[i]];
        if (cw <= maxWidth) { // a wider character fits on no line
            if (width + cw > maxWidth) {
                add(len, width);
                len = 0;
                width = 0;
            }
            line[len++] = char(p[i]);
            if (wide) line[len++] = char(p[i + 1]);
            width += cw;
            afterBreak = false;
        }
        i += wide ? 2 : 1;
    }
    if (len > 0) add(len, width);
    GL_free(line);
    return list->GetCount();
}

// ---- Text output ------------------------------------------------------------------------

int GL_TextOut(unsigned long pm, GL_Font* font, GL_Font*, int x, int y, char const* text, unsigned long n,
               unsigned long pixel, void*) {
    if (!text || !*text) return -1;
    size_t len = Len(text, n);
    if (!GL_ScalableFonts()) return GbRunsOut(pm, x, y, text, len, pixel);
    if (bHasCharSet) {
        SL_TextOutDouble(pm, font, x, y, text, len, pixel);
        return 0;
    }
    // The server reads the text as UTF-8 and draws every character above 255
    // in a cell of the wide advance this side measures with: ASCII runs go as
    // single-byte text, the runs between them as double-byte text.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    int cx = x;
    size_t i = 0;
    while (i < len) {
        size_t start = i;
        bool ascii = p[i] < 0x80;
        while (i < len && (p[i] < 0x80) == ascii)
            ++i;
        size_t run = i - start;
        cx = ascii ? SL_TextOutSingle(pm, font, cx, y, text + start, run, pixel)
                   : SL_TextOutDouble(pm, font, cx, y, text + start, run, pixel);
        if (cx == 0 || run > kMaxText) break; // failed, or cut by the request: the rest is not drawn
    }
    return cx;
}

int GL_TextOutString(unsigned long pm, _SL_Font*, _SL_Font*, int x, int y, char const* text, unsigned long n,
                     unsigned long pixel, void*) {
    if (!text || !*text) return -1;
    return GbRunsOut(pm, x, y, text, Len(text, n), pixel);
}

int GL_TextOutUtf82(unsigned long pm, GL_Font* font, GL_Font* font2, int x, int y, char const* text, unsigned long n,
                    unsigned long pixel, void* reserved) {
    if (!bLabelUtf8) return GL_TextOut(pm, font, font2, x, y, text, n, pixel, reserved);
    if (!text || !*text) return -1;
    size_t len = Len(text, n);
    if (len > 0x10000000) return 0;
    const char* from = strcmp(langinfo_fname, "tradit") == 0 ? "BIG5" : "GB18030";
    // Two bytes out per byte in covers every character of both encodings.
    unsigned outSize = unsigned(2 * len);
    char* utf8 = static_cast<char*>(GL_cmalloc(int(outSize + 1)));
    if (!utf8) return 0;
    int made = my_iconv2("UTF-8", from, utf8, outSize, const_cast<char*>(text), unsigned(len));
    if (made > 0) {
        utf8[made] = '\0';
        GL_TextOut(pm, font, font2, x, y, utf8, unsigned(made), pixel, reserved);
    }
    GL_free(utf8);
    return 0;
}

int MyIconV(char const* to, char const* from, char* out, unsigned int outsize, char* in, unsigned int inlen) {
    return my_iconv2(to, from, out, outsize, in, inlen);
}
