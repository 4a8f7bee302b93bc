// The decoding half of the image readers: bytes in, grey pixels out, no
// server involved (the fuzz targets and the tests call these directly).
#pragma once

#include <cstddef>
#include <cstdint>

namespace gui_image {

// Decoded picture: width x height grey bytes and, for formats with
// transparency, a depth-1 mask of (width + 7) / 8 bytes per row (1 = opaque).
// Both buffers come from GL_malloc and pass to whoever takes them.
struct Decoded {
    int width = 0;
    int height = 0;
    unsigned char* pixels = nullptr;
    unsigned char* mask = nullptr;
    void Release(); // frees what is still held
};

enum class Format { None, XPM, JPEG, GIF, PNG, BMP };

// The format from the first bytes, in the order XPM, JPEG, GIF, PNG, BMP.
Format Detect(const uint8_t* data, size_t length);

// Each returns true with `out` filled, or false with nothing allocated.
bool DecodeXPM(const uint8_t* data, size_t length, Decoded* out);
bool DecodeJPEG(const uint8_t* data, size_t length, Decoded* out);
bool DecodeGIF(const uint8_t* data, size_t length, Decoded* out); // first image, no mask
bool DecodePNG(const uint8_t* data, size_t length, Decoded* out);
bool DecodeBMP(const uint8_t* data, size_t length, Decoded* out);
bool Decode(const uint8_t* data, size_t length, Decoded* out);

// Sizes without pixels.
bool JPEGSize(const uint8_t* data, size_t length, int* width, int* height);
bool GIFSize(const uint8_t* data, size_t length, int* width, int* height);
bool PNGSize(const uint8_t* data, size_t length, int* width, int* height);
bool BMPSize(const uint8_t* data, size_t length, int* width, int* height);

// The limits of every reader.
inline bool SizeAllowed(long long width, long long height) {
    return width > 0 && height > 0 && width <= 2000 && height <= 1500;
}

// GL_RGB2Pixel for bytes, without the call.
inline unsigned char Grey(unsigned r, unsigned g, unsigned b) {
    return static_cast<unsigned char>(r == g && g == b ? r : (11 * r + 16 * g + 5 * b) / 32);
}

// Bytes per mask row.
inline size_t MaskStride(int width) { return size_t(width + 7) / 8; }

} // namespace gui_image
