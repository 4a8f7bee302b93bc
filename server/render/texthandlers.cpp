// The text requests. Text is drawn only into pixmaps; a request that names
// anything else, or for which no face can be had, draws nothing.
#include "core/handlers.h"
#include "core/server.h"
#include "protocol/protocol.h"
#include "render/fonts.h"
#include "render/primitives.h"
#include "render/sspixmap.h"

namespace {

// Body offsets of the text requests.
namespace simple {
constexpr uint32_t kPixmap = 4, kSize = 8, kX = 12, kY = 16, kCount = 28, kPixel = 32, kText = 40;
}
namespace single { // TextOutSingle and TextOutDouble
constexpr uint32_t kPixmap = 4, kFont = 8, kSize = 12, kX = 16, kY = 20, kCount = 24, kPixel = 28, kText = 32;
}

// Text is blended one byte per pixel with the width as stride, as every
// drawing request does: a pixmap that cannot be drawn on takes no text.
SSTextTarget TargetOf(const SSPixmap* pix) {
    SSTextTarget t{};
    SSCanvas c;
    if (!SS_PixmapCanvas(pix, &c)) return t;
    t.pixels = c.pixels;
    t.width = c.width;
    t.height = c.height;
    t.stride = c.width;
    return t;
}

void TextOutUtf8(const uint8_t* msg, uint32_t length) {
    using namespace single;
    SSPixmap* pix = SS_FindPixmap(proto::GetU32(msg + kPixmap));
    if (!pix) return;
    SSFontFace* slot = nullptr;
    if (!FontsChooseFace(proto::GetU32(msg + kFont), proto::GetS32(msg + kSize), &slot)) return;
    uint32_t available = length > kText ? length - kText : 0;
    uint16_t chars[kMaxTextChars];
    int n = DecodeTextUtf8(msg + kText, proto::GetS32(msg + kCount), available, chars);
    DrawTextFace(TargetOf(pix), slot, proto::GetS32(msg + kX), proto::GetS32(msg + kY), chars, n,
                 proto::GetU32(msg + kPixel));
}

} // namespace

void HandleTextOutS(SSClient*, const uint8_t* msg, uint32_t) {
    // Bitmap-font text: this server has no bitmap fonts, so nothing is drawn.
    (void)SS_FindPixmap(proto::GetU32(msg + 4));
}

void HandleTextOutD(SSClient*, const uint8_t* msg, uint32_t) { (void)SS_FindPixmap(proto::GetU32(msg + 4)); }

void HandleTextOutSimple(SSClient*, const uint8_t* msg, uint32_t length) {
    using namespace simple;
    SSPixmap* pix = SS_FindPixmap(proto::GetU32(msg + kPixmap));
    if (!pix) return;
    SSFontFace* slot = nullptr;
    if (!FontsChooseFace(0, proto::GetS32(msg + kSize), &slot)) return;
    int64_t count = proto::GetS32(msg + kCount);
    int64_t available = length > kText ? (length - kText) / 2 : 0;
    if (count > available) count = available; // never past the message
    if (count <= 0) return;
    static uint16_t chars[proto::kMaxMessage / 2];
    for (int64_t i = 0; i < count; i++)
        chars[i] = proto::GetU16(msg + kText + 2 * i);
    DrawTextFace(TargetOf(pix), slot, proto::GetS32(msg + kX), proto::GetS32(msg + kY), chars, int(count),
                 proto::GetU32(msg + kPixel));
}

void HandleTextOutSingle(SSClient*, const uint8_t* msg, uint32_t length) { TextOutUtf8(msg, length); }

void HandleTextOutDouble(SSClient*, const uint8_t* msg, uint32_t length) { TextOutUtf8(msg, length); }
