// BMP by hand: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, RLE8,
// RLE4 and bit fields, bottom-up and top-down. Every field is checked against
// the buffer before use and every size in 64 bits before any allocation.
#include "gl_image.h"

#include "gui_util.h"
#include "image/image_decode.h"

#include <cstring>

namespace gui_image {
namespace {

uint32_t U16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t U32(const uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

// One colour channel given by a bit mask, scaled to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
    void Set(uint32_t m) {
        mask = m;
        shift = bits = 0;
        if (!m) return;
        while (!(m & 1))
            m >>= 1, ++shift;
        while (m & 1)
            m >>= 1, ++bits;
    }
    unsigned Get(uint32_t px) const {
        if (!bits) return 0;
        uint32_t v = (px & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        const uint32_t top = (1u << bits) - 1;
        return (v * 255 + top / 2) / top;
    }
};

struct Header {
    int64_t width = 0, height = 0; // height made positive
    bool topDown = false;
    int bpp = 0;
    uint32_t compression = 0;
    size_t dataOffset = 0;
    size_t paletteOffset = 0;
    int paletteEntry = 4; // bytes per palette entry (3 for the old core header)
    int colours = 0;      // palette entries present in the file
    Channel r, g, b;
};

enum { kRGB = 0, kRLE8 = 1, kRLE4 = 2, kBitFields = 3 };

bool ReadHeader(const uint8_t* data, size_t length, Header* h) {
    if (!data || length < 26 || (data[0] | 0x20) != 'b' || (data[1] | 0x20) != 'm') return false;
    const uint32_t infoSize = U32(data + 14);
    if (infoSize != 12 && (infoSize < 40 || infoSize > 124)) return false;
    if (14 + size_t(infoSize) > length) return false;
    const uint8_t* info = data + 14;
    h->dataOffset = U32(data + 10);
    if (infoSize == 12) {
        h->width = U16(info + 4);
        h->height = U16(info + 6);
        h->bpp = int(U16(info + 10));
        h->paletteEntry = 3;
    } else {
        h->width = int32_t(U32(info + 4));
        int64_t height = int32_t(U32(info + 8));
        h->topDown = height < 0;
        h->height = height < 0 ? -height : height;
        h->bpp = int(U16(info + 14));
        h->compression = U32(info + 16);
        uint32_t used = U32(info + 32);
        if (h->bpp <= 8) h->colours = int(used && used < 256 ? used : 256);
    }
    if (!SizeAllowed(h->width, h->height)) return false;
    switch (h->bpp) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: return false;
    }
    if (h->bpp <= 8) {
        const int most = 1 << h->bpp;
        if (h->colours == 0 || h->colours > most) h->colours = most;
    }
    switch (h->compression) {
    case kRGB: break;
    case kRLE8:
        if (h->bpp != 8 || h->topDown) return false;
        break;
    case kRLE4:
        if (h->bpp != 4 || h->topDown) return false;
        break;
    case kBitFields:
        if (h->bpp != 16 && h->bpp != 32) return false;
        break;
    default: return false;
    }
    size_t afterHeader = 14 + size_t(infoSize);
    if (h->compression == kBitFields) {
        // The masks follow a 40-byte header and are part of longer ones.
        const uint8_t* m = data + 14 + 40;
        if (14 + 40 + 12 > length) return false;
        if (infoSize < 52) afterHeader = 14 + 40 + 12;
        h->r.Set(U32(m));
        h->g.Set(U32(m + 4));
        h->b.Set(U32(m + 8));
    } else if (h->bpp == 16) {
        h->r.Set(0x7C00), h->g.Set(0x03E0), h->b.Set(0x001F);
    } else if (h->bpp == 32) {
        h->r.Set(0xFF0000), h->g.Set(0xFF00), h->b.Set(0xFF);
    }
    h->paletteOffset = afterHeader;
    if (h->bpp <= 8) {
        // A palette cut short by the pixel data or the file keeps the
        // entries that are there; none at all is a broken file.
        size_t end = h->dataOffset > afterHeader ? h->dataOffset : length;
        if (end > length) end = length;
        size_t room = end > afterHeader ? (end - afterHeader) / size_t(h->paletteEntry) : 0;
        if (room < size_t(h->colours)) h->colours = int(room);
        if (h->colours == 0) return false;
    }
    if (h->dataOffset < afterHeader || h->dataOffset >= length) return false;
    return true;
}

struct Image {
    const Header& h;
    unsigned char* pixels;
    unsigned char palette[256];

    // Grey of palette entry i; entries the file does not have are black.
    unsigned char Index(unsigned i) const { return i < unsigned(h.colours) ? palette[i] : 0; }
    // Image row of the n-th row stored in the file.
    unsigned char* Row(int64_t n) const {
        int64_t y = h.topDown ? n : h.height - 1 - n;
        return pixels + size_t(y) * size_t(h.width);
    }
};

bool DecodeRows(const uint8_t* data, size_t length, const Image& img) {
    const Header& h = img.h;
    const size_t stride = size_t((h.width * h.bpp + 31) / 32 * 4);
    if (stride * size_t(h.height) > length - h.dataOffset) return false; // truncated
    const int bytes = h.bpp / 8;
    for (int64_t n = 0; n < h.height; ++n) {
        const uint8_t* src = data + h.dataOffset + size_t(n) * stride;
        unsigned char* out = img.Row(n);
        for (int64_t x = 0; x < h.width; ++x) {
            switch (h.bpp) {
            case 1: out[x] = img.Index((src[x / 8] >> (7 - x % 8)) & 1); break;
            case 4: out[x] = img.Index((src[x / 2] >> (x % 2 ? 0 : 4)) & 15); break;
            case 8: out[x] = img.Index(src[x]); break;
            case 24: out[x] = Grey(src[3 * x + 2], src[3 * x + 1], src[3 * x]); break;
            default: {
                const uint8_t* p = src + x * bytes;
                uint32_t px = bytes == 2 ? U16(p) : U32(p);
                out[x] = Grey(h.r.Get(px), h.g.Get(px), h.b.Get(px));
            }
            }
        }
    }
    return true;
}

// RLE8 and RLE4, always bottom-up. Pixels that runs place beyond the right
// edge are dropped; pixels that no run reaches keep palette entry 0.
bool DecodeRLE(const uint8_t* data, size_t length, const Image& img) {
    const Header& h = img.h;
    const bool four = h.compression == kRLE4;
    memset(img.pixels, img.Index(0), size_t(h.width) * size_t(h.height));
    size_t pos = h.dataOffset;
    int64_t x = 0, y = 0;
    auto put = [&](unsigned index) {
        if (x < h.width && y < h.height) img.Row(y)[x] = img.Index(index);
        ++x;
    };
    while (y < h.height) {
        if (pos + 2 > length) return false; // ended without end of bitmap
        const unsigned count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i)
                put(four ? (i % 2 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            return true;
        } else if (value == 2) { // delta
            if (pos + 2 > length) return false;
            x += data[pos];
            y += data[pos + 1];
            pos += 2;
        } else { // absolute run, padded to a 16-bit boundary
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (pos + bytes > length) return false;
            for (unsigned i = 0; i < value; ++i)
                put(four ? (i % 2 ? data[pos + i / 2] & 15 : data[pos + i / 2] >> 4) : data[pos + i]);
            pos += (bytes + 1) & ~size_t(1);
        }
    }
    return true;
}

} // namespace

bool BMPSize(const uint8_t* data, size_t length, int* width, int* height) {
    Header h;
    if (!ReadHeader(data, length, &h)) return false;
    *width = int(h.width);
    *height = int(h.height);
    return true;
}

bool DecodeBMP(const uint8_t* data, size_t length, Decoded* out) {
    Header h;
    if (!ReadHeader(data, length, &h)) return false;
    Image img{h, nullptr, {}};
    for (int i = 0; i < h.colours; ++i) {
        const uint8_t* e = data + h.paletteOffset + size_t(i) * size_t(h.paletteEntry);
        img.palette[i] = Grey(e[2], e[1], e[0]);
    }
    img.pixels = static_cast<unsigned char*>(GL_malloc(int(h.width * h.height)));
    if (!img.pixels) return false;
    bool ok =
        h.compression == kRLE8 || h.compression == kRLE4 ? DecodeRLE(data, length, img) : DecodeRows(data, length, img);
    if (!ok) {
        GL_free(img.pixels);
        return false;
    }
    out->width = int(h.width);
    out->height = int(h.height);
    out->pixels = img.pixels;
    out->mask = nullptr;
    return true;
}

} // namespace gui_image

using namespace gui_image;

unsigned char* ParseBMPFile(char* path, int* width, int* height) {
    char* data = nullptr;
    int length = 0;
    if (GL_ReadFile(path, &data, &length) != 0) return nullptr;
    Decoded d;
    bool ok = DecodeBMP(reinterpret_cast<const uint8_t*>(data), size_t(length), &d);
    GL_free(data);
    if (!ok) return nullptr;
    if (width) *width = d.width;
    if (height) *height = d.height;
    return d.pixels;
}

int CheckBMPFile(char* path, int* width, int* height) {
    char* data = nullptr;
    int length = 0;
    if (GL_ReadFile(path, &data, &length) != 0) return 0;
    int w = 0, h = 0;
    bool ok = BMPSize(reinterpret_cast<const uint8_t*>(data), size_t(length), &w, &h);
    GL_free(data);
    if (!ok) return 0;
    if (width) *width = w;
    if (height) *height = h;
    return 1;
}
