// Writers of the text and font requests, and the text output of the
// measuring layer, which returns where the drawn text ends.
#include "runtime/nc_pack.h"

#include "gl_text.h"

namespace {

// Bytes of text a request carries: the count (0 meaning the whole string),
// cut to the longest text a request holds and never past the string's end.
uint32_t TextCount(const char* text, unsigned long count) {
    size_t limit = count == 0 || count > proto::kMaxText ? proto::kMaxText : size_t(count);
    return uint32_t(strnlen(text, limit));
}

// A request whose tail is the text; the whole request or 0.
int SendText(int op, uint32_t end, const char* text, uint32_t n) {
    std::memcpy(gReqBuffer + end, text, n);
    int length = int(end + n);
    return nc::Finish(op, uint32_t(length)) == length ? length : 0;
}

template <int Op>
int SimpleText(unsigned long pm, int x, int y, const char* text, unsigned long count, unsigned long pixel) {
    if (pm == 0 || !text || !*text) return 0;
    uint32_t n = TextCount(text, count);
    return SendText(Op, nc::Pack<Op>(pm, x, y, int(n), pixel), text, n);
}

template <int Op>
int FontText(unsigned long pm, int font, int size, int x, int y, const char* text, unsigned long count,
             unsigned long pixel) {
    if (pm == 0 || !text || !*text) return 0;
    uint32_t n = TextCount(text, count);
    return SendText(Op, nc::Pack<Op>(pm, font, size, x, y, int(n), pixel), text, n);
}

} // namespace

int NC_TextOutS(unsigned long pm, int x, int y, const char* text, unsigned long count, unsigned long pixel) {
    return SimpleText<proto::OP_TextOutS>(pm, x, y, text, count, pixel);
}

int NC_TextOutD(unsigned long pm, int x, int y, const char* text, unsigned long count, unsigned long pixel) {
    return SimpleText<proto::OP_TextOutD>(pm, x, y, text, count, pixel);
}

int NC_TextOutSingle(unsigned long pm, int font, int size, int x, int y, const char* text, unsigned long count,
                     unsigned long pixel) {
    return FontText<proto::OP_TextOutSingle>(pm, font, size, x, y, text, count, pixel);
}

int NC_TextOutDouble(unsigned long pm, int font, int size, int x, int y, const char* text, unsigned long count,
                     unsigned long pixel) {
    return FontText<proto::OP_TextOutDouble>(pm, font, size, x, y, text, count, pixel);
}

int NC_TextOutSimple(unsigned long pm, int size, int x, int y, const unsigned short* text, int count,
                     unsigned long pixel) {
    if (pm == 0 || !text || count < 1) return 0;
    int n = count > int(proto::kMaxText) ? int(proto::kMaxText) : count;
    uint32_t end = nc::Pack<proto::OP_TextOutSimple>(pm, size, x, y, n, pixel);
    for (int i = 0; i < n; ++i)
        proto::PutU16(gReqBuffer + end + 2 * i, text[i]);
    nc::Finish(proto::OP_TextOutSimple, end + 2 * uint32_t(n));
    return 0;
}

int NC_TextOutDemo(unsigned long pm, int a, int b, int c, int d, int e, const char* text, unsigned long count,
                   unsigned long pixel) {
    if (pm == 0 || !text || !*text) return 0;
    uint32_t n = TextCount(text, count);
    return SendText(proto::OP_TextOutDemo, nc::Pack<proto::OP_TextOutDemo>(pm, a, b, c, d, e, int(n), pixel), text, n);
}

unsigned long NC_CreateFont(const char* name, unsigned short size, unsigned char a, unsigned char b) {
    unsigned long id = GetProgramIdBase();
    int n = nc::Send<proto::OP_CreateFont>(id, id, name, size, a, b);
    return n == int(nc::Layout<proto::OP_CreateFont>::length) ? id : 0;
}

int NC_SetCharsetMode(int mode) {
    if (iCharset == mode) return int(nc::Layout<proto::OP_SetCharsetMode>::length);
    iCharset = mode;
    return nc::Send<proto::OP_SetCharsetMode>(0, mode);
}

// ---- Text output that knows its width -------------------------------------------

namespace {

// Bytes of text for a font request: at most 510, and with scalable fonts
// (UTF-8 on the server) never a cut through a multi-byte character.
uint32_t FontTextCount(const char* text, unsigned long count) {
    size_t full = count == 0 ? strlen(text) : strnlen(text, count);
    if (full <= proto::kMaxText) return uint32_t(full);
    size_t cut = proto::kMaxText;
    if (GL_ScalableFonts()) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
        // p[cut] is the first byte left out: back off to the start of its character.
        size_t k = cut;
        while (k > cut - 3 && (p[k] & 0xC0) == 0x80)
            --k;
        if ((p[k] & 0xC0) != 0x80) cut = k;
    }
    return uint32_t(cut);
}

int FontIndex(GL_Font* font) { return GL_ScalableFonts() && font ? font->Word(GL_FONT_INDEX) : iCharId; }

int SizeCode(GL_Font* font, int bitmapSize) {
    if (!GL_ScalableFonts()) return bitmapSize;
    return font ? font->Word(GL_FONT_SIZE) : 254;
}

} // namespace

int SL_TextOutS(unsigned long pm, int x, int y, const char* text, unsigned long count, unsigned long pixel) {
    if (pm == 0 || !text || !*text) return 0;
    uint32_t n = TextCount(text, count);
    if (NC_TextOutS(pm, x, y, text, n, pixel) == 0) return 0;
    return x + SL_GetStringInfo8(text, n);
}

int SL_TextOutD(unsigned long pm, int x, int y, const char* text, unsigned long count, unsigned long pixel) {
    if (pm == 0 || !text || !*text) return 0;
    uint32_t n = TextCount(text, count);
    if (NC_TextOutD(pm, x, y, text, n, pixel) == 0) return 0;
    return x + SL_GetStringInfo16(text, n);
}

int SL_TextOutSingle(unsigned long pm, GL_Font* font, int x, int y, const char* text, unsigned long count,
                     unsigned long pixel) {
    if (pm == 0 || !text || !*text) return 0;
    uint32_t n = FontTextCount(text, count);
    if (NC_TextOutSingle(pm, FontIndex(font), SizeCode(font, 8), x, y, text, n, pixel) == 0) return 0;
    return x + SL_GetStringInfoSingle(font, text, n);
}

int SL_TextOutDouble(unsigned long pm, GL_Font* font, int x, int y, const char* text, unsigned long count,
                     unsigned long pixel) {
    if (pm == 0 || !text || !*text) return 0;
    uint32_t n = FontTextCount(text, count);
    if (NC_TextOutDouble(pm, FontIndex(font), SizeCode(font, 16), x, y, text, n, pixel) == 0) return 0;
    // With scalable fonts the server draws the bytes as UTF-8 characters,
    // which are not two bytes each.
    int width = GL_ScalableFonts() ? CalcStringWidth2(font, const_cast<char*>(text), int(n), nullptr)
                                   : SL_GetStringInfoDouble(font, text, n);
    return x + width;
}

int GL_TextOutSimple(unsigned long pm, GL_Font* font, GL_Font*, int x, int y, unsigned short* text, unsigned long count,
                     unsigned long pixel, void*) {
    if (pm == 0 || !text || count == 0) return 0;
    int n = 0;
    if (long(count) < 0) {
        // A "negative" count: the text up to its 0 unit, never past it.
        while (n < int(proto::kMaxText) && text[n])
            ++n;
    } else {
        n = count > proto::kMaxText ? int(proto::kMaxText) : int(count);
    }
    if (n > 0) NC_TextOutSimple(pm, SizeCode(font, 16), x, y, text, n, pixel);
    return 0;
}
