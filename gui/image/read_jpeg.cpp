// JPEG through libjpeg from a memory buffer. libjpeg reports errors by
// calling error_exit, which must not return: it jumps back to the reader,
// which then fails. The functions that set the jump point hold no C++
// objects with destructors, so nothing is skipped by the jump.
#include "gl_image.h"

#include "gui_util.h"
#include "image/image_decode.h"

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace gui_image {
namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1); }

// Warnings are quiet, except that data ending before the image does is an
// error: libjpeg would otherwise pad the picture with grey and succeed.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) ErrorExit(cinfo);
}

// A progressive file can hold any number of scans, each a pass over the
// whole image: a few hundred is far beyond real files.
void LimitScans(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->is_decompressor && d->input_scan_number > 500) ErrorExit(cinfo);
}

struct Options {
    bool limitSize;  // refuse pictures over the readers' limits
    bool greyOutput; // let libjpeg produce grey instead of converting RGB here
};

// Decodes into a new buffer of width x height grey bytes; null on failure.
// `sizeOnly` stops after the header.
unsigned char* DecodeGrey(const uint8_t* data, size_t length, Options options, bool sizeOnly, int* width, int* height) {
    if (!data || length < 2 || length > 0x7fffffff) return nullptr;
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    unsigned char* volatile pixels = nullptr;
    unsigned char* volatile row = nullptr;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        GL_free(pixels);
        GL_free(row);
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = LimitScans;
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(length));
    jpeg_read_header(&cinfo, TRUE);
    const long long w = cinfo.image_width, h = cinfo.image_height;
    if (w <= 0 || h <= 0 || (options.limitSize && !SizeAllowed(w, h)) || w * h > 0x7fffffff)
        ErrorExit((j_common_ptr)&cinfo);
    if (sizeOnly) {
        *width = int(w);
        *height = int(h);
        jpeg_destroy_decompress(&cinfo);
        return reinterpret_cast<unsigned char*>(1);
    }
    if (options.greyOutput || cinfo.num_components == 1)
        cinfo.out_color_space = JCS_GRAYSCALE;
    else if (cinfo.num_components == 3)
        cinfo.out_color_space = JCS_RGB;
    // Four components (CMYK, YCCK) come out as they are: the first three are taken.
    jpeg_start_decompress(&cinfo);
    const int comps = cinfo.output_components;
    if (comps != 1 && comps != 3 && comps != 4) ErrorExit((j_common_ptr)&cinfo);
    pixels = static_cast<unsigned char*>(GL_malloc(int(w * h)));
    row = static_cast<unsigned char*>(GL_malloc(int(w * comps)));
    if (!pixels || !row) ErrorExit((j_common_ptr)&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        unsigned char* out = pixels + size_t(cinfo.output_scanline) * size_t(w);
        JSAMPROW rows[1] = {comps == 1 ? out : row};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) ErrorExit((j_common_ptr)&cinfo);
        if (comps != 1)
            for (long long x = 0; x < w; ++x)
                out[x] = Grey(row[x * comps], row[x * comps + 1], row[x * comps + 2]);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    GL_free(row);
    *width = int(w);
    *height = int(h);
    return pixels;
}

} // namespace

bool DecodeJPEG(const uint8_t* data, size_t length, Decoded* out) {
    int w = 0, h = 0;
    unsigned char* pixels = DecodeGrey(data, length, Options{true, false}, false, &w, &h);
    if (!pixels) return false;
    out->width = w;
    out->height = h;
    out->pixels = pixels;
    out->mask = nullptr;
    return true;
}

bool JPEGSize(const uint8_t* data, size_t length, int* width, int* height) {
    int w = 0, h = 0;
    if (!DecodeGrey(data, length, Options{false, false}, true, &w, &h)) return false;
    if (width) *width = w;
    if (height) *height = h;
    return true;
}

} // namespace gui_image

using namespace gui_image;

unsigned char* GetRawImageFromJPEGData(char* data, int length, int* width, int* height) {
    if (!data || length < 1) return nullptr;
    int w = 0, h = 0;
    unsigned char* pixels =
        DecodeGrey(reinterpret_cast<const uint8_t*>(data), size_t(length), Options{false, true}, false, &w, &h);
    if (pixels) {
        if (width) *width = w;
        if (height) *height = h;
    }
    return pixels;
}

unsigned char* GetRawImageFromJPEG(char* path, int* width, int* height) {
    char* data = nullptr;
    int length = 0;
    if (GL_ReadFile(path, &data, &length) != 0) return nullptr;
    unsigned char* pixels = GetRawImageFromJPEGData(data, length, width, height);
    GL_free(data);
    return pixels;
}

unsigned char* decode_jpeg_gray(void* data, int length, int* width, int* height) {
    return GetRawImageFromJPEGData(static_cast<char*>(data), length, width, height);
}
