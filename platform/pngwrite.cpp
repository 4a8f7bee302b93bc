#include "platform/pngwrite.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <unistd.h>

namespace eink {

namespace {

// libpng reports errors by longjmp; keep everything that needs cleaning up
// outside the frame that setjmp saved.
bool WriteRows(FILE* f, const uint8_t* pixels, int width, int height, size_t stride) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, f);
    // Panel pictures are mostly flat areas: fast compression is plenty.
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
        png_write_row(png, pixels + size_t(y) * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WriteGreyPng(const std::string& path, const uint8_t* pixels, int width, int height, size_t stride) {
    if (!pixels || width <= 0 || height <= 0 || stride < size_t(width)) return false;
    std::string tmp = path + ".tmp" + std::to_string(getpid());
    FILE* f = fopen(tmp.c_str(), "wb");
    if (!f) return false;
    bool ok = WriteRows(f, pixels, width, height, stride);
    if (fclose(f) != 0) ok = false;
    if (ok && rename(tmp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) unlink(tmp.c_str());
    return ok;
}

} // namespace eink
