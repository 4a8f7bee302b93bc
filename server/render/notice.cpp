// The two notice boxes, unpacked once from the generated run-length data.
#include <cstddef>
#include <cstdint>

#include "render/apollo.h"

extern const uint8_t kMessageNoticeRle[];
extern const size_t kMessageNoticeRleSize;
extern const uint8_t kStorageCardNoticeRle[];
extern const size_t kStorageCardNoticeRleSize;

namespace {

constexpr size_t kNoticeBytes = size_t(kNoticeWidth) * kNoticeHeight;

// Unpacks (count, value) runs; a short or long stream leaves the rest white
// rather than reading or writing past either end.
void Unpack(const uint8_t* rle, size_t size, uint8_t* out) {
    size_t o = 0;
    for (size_t i = 0; i + 1 < size && o < kNoticeBytes; i += 2)
        for (unsigned n = rle[i]; n > 0 && o < kNoticeBytes; --n)
            out[o++] = rle[i + 1];
    while (o < kNoticeBytes)
        out[o++] = 255;
}

struct Notices {
    uint8_t message[kNoticeBytes];
    uint8_t storageCard[kNoticeBytes];
    Notices() {
        Unpack(kMessageNoticeRle, kMessageNoticeRleSize, message);
        Unpack(kStorageCardNoticeRle, kStorageCardNoticeRleSize, storageCard);
    }
};

const Notices& Get() {
    static const Notices notices;
    return notices;
}

} // namespace

const uint8_t* SS_MessageNotice() { return Get().message; }
const uint8_t* SS_StorageCardNotice() { return Get().storageCard; }
