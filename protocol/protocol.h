// The wire protocol between winserver and libgui: framing, the request table,
// the event records and the SysInfo layout. Both deliverables include this
// header; nothing else in the tree spells out an opcode or an offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace proto {

// ---- Framing ---------------------------------------------------------------

// One little-endian word: bits 0-7 the type, bits 8-31 the total length.
constexpr uint32_t kHeaderSize = 4;
constexpr uint32_t kMaxMessage = 131072;

constexpr uint32_t PackHeader(uint32_t type, uint32_t length) { return (length << 8) | (type & 0xFF); }
constexpr uint32_t HeaderType(uint32_t header) { return header & 0xFF; }
constexpr uint32_t HeaderLength(uint32_t header) { return header >> 8; }

inline uint32_t GetU32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline int32_t GetS32(const uint8_t* p) { return int32_t(GetU32(p)); }
inline uint16_t GetU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline void PutU32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void PutU16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline double GetF64(const uint8_t* p) {
    uint64_t bits = uint64_t(GetU32(p)) | uint64_t(GetU32(p + 4)) << 32;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}
inline void PutF64(uint8_t* p, double d) {
    uint64_t bits;
    std::memcpy(&bits, &d, sizeof d);
    PutU32(p, uint32_t(bits));
    PutU32(p + 4, uint32_t(bits >> 32));
}

// ---- Colour record ----------------------------------------------------------

// 8 bytes on the wire: red, green, blue, a fourth byte, then the pixel word.
struct Color {
    uint8_t r, g, b, a;
    uint32_t pixel;
};
constexpr uint32_t kColorSize = 8;

inline Color GetColor(const uint8_t* p) { return Color{p[0], p[1], p[2], p[3], GetU32(p + 4)}; }
inline void PutColor(uint8_t* p, const Color& c) {
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = c.a;
    PutU32(p + 4, c.pixel);
}

// Grey level of an RGB colour, the same rule in both deliverables.
constexpr uint32_t RgbToGrey(uint32_t r, uint32_t g, uint32_t b) {
    return (r == g && g == b) ? r : (11 * r + 16 * g + 5 * b) / 32;
}

// ---- Requests ---------------------------------------------------------------

enum RequestKind : uint8_t { FIXED, VARIABLE, CLIENT_ONLY };

enum Opcode : uint8_t {
#define REQ(op, name, len, kind, sig) OP_##name = op,
#include "requests.def"
#undef REQ
};

struct RequestInfo {
    uint8_t opcode;
    const char* name; // null for opcodes outside the protocol
    uint32_t length;  // fixed length, or length of the fixed part
    RequestKind kind;
    const char* signature; // see requests.def
};

// Indexed by opcode; entries with a null name are not part of the protocol.
const RequestInfo& Request(uint32_t opcode);

// Size in bytes of the body fields that a signature describes (offset 4 on),
// with doubles aligned to 8; the tail '*' counts 0.
uint32_t SignatureSize(const char* signature);

constexpr uint32_t kNameSize = 32;  // program names, font names
constexpr uint32_t kPathSize = 128; // UpdateBigPixmap path field
constexpr uint32_t kMaxText = 510;  // text requests carry at most this many characters

// UserMessage (request 122 and event 122) field offsets.
namespace usermsg {
constexpr uint32_t kSender = 4, kTarget = 36, kWord1 = 68, kWord2 = 72, kType = 76, kDataLength = 80, kData = 84,
                   kMinLength = 89;
}

// Reads the fields of a request body in table order: words, byte slots,
// colour records and doubles at 8-aligned offsets. Reads past `end` give 0,
// which is how a request shorter than its layout is executed.
class ArgReader {
public:
    ArgReader(const uint8_t* msg, uint32_t length, uint32_t offset = 4) : msg_(msg), len_(length), off_(offset) {}
    uint32_t u32() { return word(); }
    int32_t s32() { return int32_t(word()); }
    uint8_t byte() { return uint8_t(word()); }
    uint16_t u16() {
        uint16_t v = fits(2) ? GetU16(msg_ + off_) : 0;
        off_ += 2;
        return v;
    }
    uint8_t raw8() {
        uint8_t v = fits(1) ? msg_[off_] : 0;
        off_ += 1;
        return v;
    }
    Color color() {
        Color c = fits(8) ? GetColor(msg_ + off_) : Color{0, 0, 0, 0, 0};
        off_ += 8;
        return c;
    }
    double f64() {
        off_ = (off_ + 7) & ~7u;
        double d = fits(8) ? GetF64(msg_ + off_) : 0.0;
        off_ += 8;
        return d;
    }
    void skip(uint32_t n) { off_ += n; }
    uint32_t offset() const { return off_; }

private:
    bool fits(uint32_t n) const { return off_ + n <= len_; }
    uint32_t word() {
        uint32_t v = fits(4) ? GetU32(msg_ + off_) : 0;
        off_ += 4;
        return v;
    }
    const uint8_t* msg_;
    uint32_t len_;
    uint32_t off_;
};

// Where the pixel row of an UpdatePixmap message begins.
constexpr uint32_t kUpdatePixmapRow = 28;
// How many UpdatePixmap row messages a client gathers into one write (two
// pieces a row, within IOV_MAX), and the most bytes such a write carries.
constexpr int kRowsPerWrite = 512;
constexpr long long kBytesPerWrite = 1 << 20;

// ---- Events (server to client) -------------------------------------------------

enum EventType : uint8_t {
    EV_SysInfo = 1,
    EV_MouseDown = 2,
    EV_MouseUp = 3,
    EV_MouseMove = 4,
    EV_MouseIn = 5,
    EV_MouseOut = 6,
    EV_KeyIn = 9,
    EV_GetFocus = 13,
    EV_LostFocus = 14,
    EV_Draw = 16,
    EV_ScreenSizeChange = 21,
    EV_CharsetChange = 23,
    EV_UserMessage = 122,
    EV_QueryReply = 124,
    EV_Close = 255,
};

constexpr uint32_t kMouseEventLength = 28; // 4 window, 8 x, 12 y, 16 button/state
constexpr uint32_t kKeyInLength = 40;      // 41 + n with text
constexpr uint32_t kFocusEventLength = 8;  // 4 window
constexpr uint32_t kDrawEventLength = 32;  // 4 window
constexpr uint32_t kScreenSizeLength = 24; // 4 window, 8 w, 12 h, 16 rotation, 20 designated
constexpr uint32_t kCharsetLength = 12;    // 4 window, 8 mode
constexpr uint32_t kQueryReplyLength = 40; // 36 found
constexpr uint32_t kCloseLength = 8;

namespace keyin {
constexpr uint32_t kWindow = 4, kLength = 8, kCode = 12, kCode2 = 16, kModifier = 20, kReleased = 24, kText = 40;
}
constexpr uint32_t kQueryReplyFound = 36;

// Event builders: write the message into `out` (zero-filled where the layout
// leaves bytes unset) and return its length. `out` must hold kMaxMessage.
uint32_t BuildMouseEvent(uint8_t* out, uint8_t type, uint32_t window, int32_t x, int32_t y, uint32_t button);
uint32_t BuildKeyIn(uint8_t* out, uint32_t window, uint32_t code, uint32_t code2, uint32_t modifier, uint8_t released,
                    const char* text /* may be null */);
uint32_t BuildWindowEvent(uint8_t* out, uint8_t type, uint32_t window); // GetFocus, LostFocus, Draw
uint32_t BuildScreenSizeChange(uint8_t* out, uint32_t window, int32_t width, int32_t height, uint32_t rotation);
uint32_t BuildCharsetChange(uint8_t* out, uint32_t window, uint32_t mode);
uint32_t BuildQueryReply(uint8_t* out, bool found);
uint32_t BuildClose(uint8_t* out);

// ---- SysInfo ------------------------------------------------------------------

namespace sysinfo {
constexpr uint32_t kFixedSize = 99092;
constexpr uint32_t kLogicalWidth = 8, kLogicalHeight = 12, kPhysicalWidth = 16, kPhysicalHeight = 20, kDepth = 24,
                   kRotation = 28, kIdBase = 32, kIdMask = 36, kIdCounter = 40;
constexpr uint32_t kConst20 = 44, kConst10 = 68, kFontOption = 75, kScalableFonts = 92;
constexpr uint32_t kDefaultMetrics = 80; // a metric entry as the client reads its default font
constexpr uint32_t kOrientation = 1168;  // 1 - vertical-screen flag
constexpr uint32_t kFontTables = 1172;
constexpr uint32_t kCharsets = 3, kSizes = 30, kMinSize = 7, kMaxSize = 36;
constexpr uint32_t kMetricEntrySize = 1088;
constexpr uint32_t kCharsetStride = kSizes * kMetricEntrySize; // 32640
constexpr uint32_t kMaxCharInfo = 131072;
constexpr uint32_t kIdMaskValue = 0xFFFFF;
constexpr uint32_t kIdShift = 20;

constexpr uint32_t MetricOffset(uint32_t charset, int32_t size) {
    return kFontTables + charset * kCharsetStride +
           uint32_t((size < int32_t(kMinSize)   ? int32_t(kMinSize)
                     : size > int32_t(kMaxSize) ? int32_t(kMaxSize)
                                                : size) -
                    int32_t(kMinSize)) *
               kMetricEntrySize;
}
static_assert(kFontTables + kCharsets * kCharsetStride == kFixedSize, "SysInfo size");
} // namespace sysinfo

} // namespace proto
