// Writers of the text and font requests.
#include "runtime/nc_pack.h"

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
