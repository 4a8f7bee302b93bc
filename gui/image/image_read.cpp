// Recognising image data by its first bytes and turning the decoded pixels
// into uploaded pixmaps.
#include "gl_image.h"

#include "egui_conn.h"
#include "gui_util.h"
#include "image/image_decode.h"

#include <cstdio>
#include <cstring>
#include <strings.h>

namespace gui_image {

void Decoded::Release() {
    GL_free(pixels);
    GL_free(mask);
    pixels = mask = nullptr;
}

Format Detect(const uint8_t* data, size_t length) {
    static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const char* text = reinterpret_cast<const char*>(data);
    if (!data) return Format::None;
    if (length >= 9 && strncasecmp(text, "/* XPM */", 9) == 0) return Format::XPM;
    if (length >= 2 && data[0] == 0xFF && data[1] == 0xD8) return Format::JPEG;
    if (length >= 4 && strncasecmp(text, "GIF8", 4) == 0) return Format::GIF;
    if (length >= 8 && memcmp(data, kPng, 8) == 0) return Format::PNG;
    if (length >= 2 && strncasecmp(text, "BM", 2) == 0) return Format::BMP;
    return Format::None;
}

bool Decode(const uint8_t* data, size_t length, Decoded* out) {
    switch (Detect(data, length)) {
    case Format::XPM: return DecodeXPM(data, length, out);
    case Format::JPEG: return DecodeJPEG(data, length, out);
    case Format::GIF: return DecodeGIF(data, length, out);
    case Format::PNG: return DecodePNG(data, length, out);
    case Format::BMP: return DecodeBMP(data, length, out);
    case Format::None: break;
    }
    return false;
}

} // namespace gui_image

using namespace gui_image;

namespace {

using Decoder = bool (*)(const uint8_t*, size_t, Decoded*);

void Clear(int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask) {
    if (width) *width = 0;
    if (height) *height = 0;
    if (pixmap) *pixmap = nullptr;
    if (mask) *mask = nullptr;
}

// Decodes with one decoder and uploads the result. JPEG and PNG pixmaps keep
// no client copy (keepData false): nothing on the client reads them again.
int ReadWith(Decoder decode, bool keepData, char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap,
             GL_ImagePixmap** mask) {
    Clear(width, height, pixmap, mask);
    if (!data || length <= 0) return 0;
    Decoded d;
    if (!decode(reinterpret_cast<const uint8_t*>(data), size_t(length), &d)) return 0;
    auto* pix = new GL_ImagePixmap(reinterpret_cast<char*>(d.pixels), d.width, d.height, 8);
    d.pixels = nullptr;
    pix->UpdatePixmap();
    if (!keepData) pix->FreeData();
    GL_ImagePixmap* bits = nullptr;
    if (d.mask) {
        bits = new GL_ImagePixmap(reinterpret_cast<char*>(d.mask), d.width, d.height, 1);
        d.mask = nullptr;
        bits->UpdatePixmap();
    }
    if (width) *width = d.width;
    if (height) *height = d.height;
    if (pixmap)
        *pixmap = pix;
    else
        delete pix;
    if (mask)
        *mask = bits;
    else
        delete bits;
    return 1;
}

} // namespace

int SL_ReadXPMData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask) {
    return ReadWith(DecodeXPM, true, data, length, width, height, pixmap, mask);
}
int SL_ReadJPEGData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask) {
    return ReadWith(DecodeJPEG, false, data, length, width, height, pixmap, mask);
}
int parseGIFData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask) {
    return ReadWith(DecodeGIF, true, data, length, width, height, pixmap, mask);
}
int parsePNGData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask) {
    return ReadWith(DecodePNG, false, data, length, width, height, pixmap, mask);
}
int parseBMPData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask) {
    return ReadWith(DecodeBMP, true, data, length, width, height, pixmap, mask);
}

int GL_ReadImageData(char* data, int length, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask) {
    Clear(width, height, pixmap, mask);
    if (!data || length <= 0) return 0;
    switch (Detect(reinterpret_cast<const uint8_t*>(data), size_t(length))) {
    case Format::XPM: return SL_ReadXPMData(data, length, width, height, pixmap, mask);
    case Format::JPEG: return SL_ReadJPEGData(data, length, width, height, pixmap, mask);
    case Format::GIF: return parseGIFData(data, length, width, height, pixmap, mask);
    case Format::PNG: return parsePNGData(data, length, width, height, pixmap, mask);
    case Format::BMP: return parseBMPData(data, length, width, height, pixmap, mask);
    case Format::None: break;
    }
    return 0;
}

int GL_ReadImageFile(char* path, int* width, int* height, GL_ImagePixmap** pixmap, GL_ImagePixmap** mask) {
    Clear(width, height, pixmap, mask);
    printf("Read Image File:%s\n", path ? path : "");
    char* data = nullptr;
    int length = 0;
    if (GL_ReadFile(path, &data, &length) != 0) {
        printf("Read Image File:%s %d\n", path ? path : "", __LINE__);
        return 0;
    }
    int ok = GL_ReadImageData(data, length, width, height, pixmap, mask);
    if (!ok) printf("Read Image File:%s %d\n", path, __LINE__);
    GL_free(data);
    return ok;
}

int GL_DecodeImageData(char const* data, int length, int* width, int* height, unsigned char** pixels,
                       unsigned char** maskBits) {
    if (pixels) *pixels = nullptr;
    if (maskBits) *maskBits = nullptr;
    if (!data || length <= 0) return 0;
    Decoded d;
    if (!Decode(reinterpret_cast<const uint8_t*>(data), size_t(length), &d)) return 0;
    if (width) *width = d.width;
    if (height) *height = d.height;
    if (pixels) {
        *pixels = d.pixels;
        d.pixels = nullptr;
    }
    if (maskBits) {
        *maskBits = d.mask;
        d.mask = nullptr;
    }
    d.Release();
    return 1;
}

int CheckFileInfo(char* path, char*, int* width, int* height) {
    char* data = nullptr;
    int length = 0;
    if (GL_ReadFile(path, &data, &length) != 0) return 0;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(data);
    int w = 0, h = 0;
    bool found = false;
    switch (Detect(bytes, size_t(length))) {
    case Format::BMP: found = BMPSize(bytes, size_t(length), &w, &h); break;
    case Format::JPEG: found = JPEGSize(bytes, size_t(length), &w, &h); break;
    case Format::GIF: found = GIFSize(bytes, size_t(length), &w, &h); break;
    case Format::PNG: found = PNGSize(bytes, size_t(length), &w, &h); break;
    default: break;
    }
    GL_free(data);
    if (!found) return 0;
    if (width) *width = w;
    if (height) *height = h;
    return 1;
}

int CheckJPEGFileInfo(char* data, int length, int* width, int* height) {
    return length > 0 && JPEGSize(reinterpret_cast<const uint8_t*>(data), size_t(length), width, height);
}
int parseGIFDataInfo(char* data, int length, int* width, int* height) {
    return length > 0 && GIFSize(reinterpret_cast<const uint8_t*>(data), size_t(length), width, height);
}
int CheckPNGInfo(char* data, int length, int* width, int* height) {
    return length > 0 && PNGSize(reinterpret_cast<const uint8_t*>(data), size_t(length), width, height);
}

void ConvertRGB2RGB565(unsigned char* rgb, unsigned char** out, int width, int height) {
    if (!rgb || !out || width <= 0 || height <= 0) return;
    const size_t n = size_t(width) * size_t(height);
    if (!*out) *out = static_cast<unsigned char*>(GL_malloc(int(n)));
    if (!*out) return;
    for (size_t i = 0; i < n; ++i)
        (*out)[i] = Grey(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
}

void ConvertRGB32RGB565(unsigned char* rgb, unsigned char** out, int width, int height) {
    if (!rgb || !out || width <= 0 || height <= 0) return;
    const size_t n = size_t(width) * size_t(height);
    const size_t bytes = iDepth == 16 ? 2 : 1;
    if (!*out) *out = static_cast<unsigned char*>(GL_malloc(int(n * bytes)));
    if (!*out) return;
    for (size_t i = 0; i < n; ++i) {
        unsigned char g = Grey(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
        if (bytes == 2) {
            (*out)[2 * i] = g;
            (*out)[2 * i + 1] = 0;
        } else {
            (*out)[i] = g;
        }
    }
}
