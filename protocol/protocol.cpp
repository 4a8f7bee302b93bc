#include "protocol.h"

namespace proto {

namespace {

struct Table {
    RequestInfo info[256];
    constexpr Table() : info{} {
        for (int i = 0; i < 256; ++i)
            info[i] = RequestInfo{uint8_t(i), nullptr, 0, FIXED, ""};
#define REQ(op, nm, len, kd, sig) info[op] = RequestInfo{op, #nm, len, kd, sig};
#include "requests.def"
#undef REQ
    }
};

constexpr Table kTable;

uint32_t Zeroed(uint8_t* out, uint32_t length) {
    std::memset(out, 0, length);
    return length;
}

} // namespace

const RequestInfo& Request(uint32_t opcode) { return kTable.info[opcode & 0xFF]; }

uint32_t SignatureSize(const char* sig) {
    uint32_t off = 4;
    for (const char* s = sig; *s; ++s) {
        switch (*s) {
        case 'I':
        case 'i':
        case 'p':
        case 'b':
        case 'x': off += 4; break;
        case 'c': off += kColorSize; break;
        case 'd': off = ((off + 7) & ~7u) + 8; break;
        case 'h': off += 2; break;
        case 'B':
        case '_': off += 1; break;
        case 'N': off += kNameSize; break;
        case 'P': off += kPathSize; break;
        default: break; // '*': the tail
        }
    }
    return off - 4;
}

uint32_t BuildMouseEvent(uint8_t* out, uint8_t type, uint32_t window, int32_t x, int32_t y, uint32_t button) {
    Zeroed(out, kMouseEventLength);
    PutU32(out, PackHeader(type, kMouseEventLength));
    PutU32(out + 4, window);
    PutU32(out + 8, uint32_t(x));
    PutU32(out + 12, uint32_t(y));
    out[16] = uint8_t(button);
    return kMouseEventLength;
}

uint32_t BuildKeyIn(uint8_t* out, uint32_t window, uint32_t code, uint32_t code2, uint32_t modifier, uint8_t released,
                    const char* text) {
    uint32_t n = text ? uint32_t(strnlen(text, kMaxMessage - kKeyInLength - 2)) : 0;
    uint32_t length = n ? kKeyInLength + n + 1 : kKeyInLength;
    Zeroed(out, length);
    PutU32(out, PackHeader(EV_KeyIn, length));
    PutU32(out + keyin::kWindow, window);
    PutU32(out + keyin::kLength, length);
    PutU32(out + keyin::kCode, code);
    PutU32(out + keyin::kCode2, code2);
    PutU32(out + keyin::kModifier, modifier);
    out[keyin::kReleased] = released;
    if (n) std::memcpy(out + keyin::kText, text, n);
    return length;
}

uint32_t BuildWindowEvent(uint8_t* out, uint8_t type, uint32_t window) {
    uint32_t length = type == EV_Draw ? kDrawEventLength : kFocusEventLength;
    Zeroed(out, length);
    PutU32(out, PackHeader(type, length));
    PutU32(out + 4, window);
    return length;
}

uint32_t BuildScreenSizeChange(uint8_t* out, uint32_t window, int32_t width, int32_t height, uint32_t rotation) {
    Zeroed(out, kScreenSizeLength);
    PutU32(out, PackHeader(EV_ScreenSizeChange, kScreenSizeLength));
    PutU32(out + 4, window);
    PutU32(out + 8, uint32_t(width));
    PutU32(out + 12, uint32_t(height));
    PutU32(out + 16, rotation);
    return kScreenSizeLength;
}

uint32_t BuildCharsetChange(uint8_t* out, uint32_t window, uint32_t mode) {
    Zeroed(out, kCharsetLength);
    PutU32(out, PackHeader(EV_CharsetChange, kCharsetLength));
    PutU32(out + 4, window);
    PutU32(out + 8, mode);
    return kCharsetLength;
}

uint32_t BuildQueryReply(uint8_t* out, bool found) {
    Zeroed(out, kQueryReplyLength);
    PutU32(out, PackHeader(EV_QueryReply, kQueryReplyLength));
    PutU32(out + kQueryReplyFound, found ? 1 : 0);
    return kQueryReplyLength;
}

uint32_t BuildClose(uint8_t* out) {
    Zeroed(out, kCloseLength);
    PutU32(out, PackHeader(EV_Close, kCloseLength));
    return kCloseLength;
}

} // namespace proto
