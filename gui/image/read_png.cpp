// PNG through libpng's progressive reader, fed the whole buffer in pieces.
// libpng reports errors by longjmp back to the reader; the functions that
// set the jump point hold no C++ objects with destructors.
#include "gl_image.h"

#include "gui_util.h"
#include "image/image_decode.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <png.h>

namespace gui_image {
namespace {

struct PngState {
    int width = 0, height = 0;
    bool sizeOnly = false;
    bool haveInfo = false;
    bool done = false;
    int channels = 0;             // after the transformations: 3 (RGB) or 4 (RGBA)
    unsigned char* rgb = nullptr; // whole image in RGB(A) rows, for interlaced merging
    size_t rowBytes = 0;
};

void Warning(png_structp, png_const_charp) {}
void Error(png_structp png, png_const_charp) { png_longjmp(png, 1); }

void InfoCallback(png_structp png, png_infop info) {
    auto* s = static_cast<PngState*>(png_get_progressive_ptr(png));
    png_uint_32 w = 0, h = 0;
    int bitDepth = 0, colorType = 0, interlace = 0;
    png_get_IHDR(png, info, &w, &h, &bitDepth, &colorType, &interlace, nullptr, nullptr);
    if (!SizeAllowed(w, h)) png_error(png, "size");
    s->width = int(w);
    s->height = int(h);
    s->haveInfo = true;
    if (s->sizeOnly) png_error(png, "size only"); // stops reading; the size is kept

    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    double gamma = 0;
    if (png_get_gAMA(png, info, &gamma)) png_set_gamma(png, 2.2, gamma);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    s->channels = png_get_channels(png, info);
    if (s->channels != 3 && s->channels != 4) png_error(png, "channels");
    s->rowBytes = png_get_rowbytes(png, info);
    if (s->rowBytes != size_t(s->width) * size_t(s->channels)) png_error(png, "row size");
    // Zero-filled: rows of an interlaced image are merged into what the
    // earlier passes left.
    s->rgb = static_cast<unsigned char*>(GL_cmalloc(int(s->rowBytes * size_t(s->height))));
    if (!s->rgb) png_error(png, "memory");
}

void RowCallback(png_structp png, png_bytep row, png_uint_32 index, int) {
    auto* s = static_cast<PngState*>(png_get_progressive_ptr(png));
    if (!row || !s->rgb || index >= png_uint_32(s->height)) return;
    png_progressive_combine_row(png, s->rgb + size_t(index) * s->rowBytes, row);
}

void EndCallback(png_structp png, png_infop) { static_cast<PngState*>(png_get_progressive_ptr(png))->done = true; }

// Reads the buffer through the progressive reader; true when the image (or
// with sizeOnly, its header) was read completely.
bool Run(const uint8_t* data, size_t length, PngState* s) {
    if (!data || length < 8) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Error, Warning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_user_limits(png, 2000, 1500);
        // Text and other ancillary chunks are not needed: bound what they may take.
        png_set_chunk_malloc_max(png, 8u << 20);
        png_set_progressive_read_fn(png, s, InfoCallback, RowCallback, EndCallback);
        // Pieces like those of a file read in blocks.
        size_t pos = 0;
        while (pos < length && !s->done) {
            size_t n = length - pos < 65536 ? length - pos : 65536;
            png_process_data(png, info, const_cast<png_bytep>(data + pos), n);
            pos += n;
        }
        ok = s->done;
    } else {
        ok = s->sizeOnly && s->haveInfo;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

} // namespace

bool DecodePNG(const uint8_t* data, size_t length, Decoded* out) {
    PngState s;
    if (!Run(data, length, &s)) {
        GL_free(s.rgb);
        return false;
    }
    const size_t n = size_t(s.width) * size_t(s.height);
    unsigned char* pixels = static_cast<unsigned char*>(GL_malloc(int(n)));
    if (!pixels) {
        GL_free(s.rgb);
        return false;
    }
    if (s.channels == 4) {
        // Over a white background: v' = (255 (255 - a) + v a + 128) / 255,
        // the division done as ((x >> 8) + x) >> 8.
        for (size_t i = 0; i < n; ++i) {
            unsigned char* p = s.rgb + 4 * i;
            const unsigned a = p[3];
            for (int c = 0; c < 3; ++c) {
                unsigned x = 255 * (255 - a) + p[c] * a + 128;
                p[c] = static_cast<unsigned char>(((x >> 8) + x) >> 8);
            }
            pixels[i] = Grey(p[0], p[1], p[2]);
        }
    } else {
        unsigned char* converted = pixels;
        ConvertRGB2RGB565(s.rgb, &converted, s.width, s.height);
    }
    GL_free(s.rgb);
    out->width = s.width;
    out->height = s.height;
    out->pixels = pixels;
    out->mask = nullptr;
    return true;
}

bool PNGSize(const uint8_t* data, size_t length, int* width, int* height) {
    PngState s;
    s.sizeOnly = true;
    if (!Run(data, length, &s)) return false;
    if (width) *width = s.width;
    if (height) *height = s.height;
    return true;
}

} // namespace gui_image
