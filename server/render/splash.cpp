// The start-up picture: a JPEG decoded as grey, cut to the screen, centred.
#include <sys/stat.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "render/apollo.h"

namespace {

struct SplashError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void OnJpegError(j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    fprintf(stderr, "%s\n", text);
    longjmp(reinterpret_cast<SplashError*>(cinfo->err)->jump, 1);
}

// Everything the decoder may leave behind when it jumps out lives here, not
// in the frame that setjmp saved.
struct Decode {
    jpeg_decompress_struct cinfo;
    SplashError err;
    std::vector<uint8_t> row;
    std::vector<uint8_t> visible;
    int32_t vw = 0, vh = 0;
};

bool DecodeVisible(Decode& d, FILE* f, int32_t width, int32_t height) {
    d.cinfo.err = jpeg_std_error(&d.err.mgr);
    d.err.mgr.error_exit = OnJpegError;
    if (setjmp(d.err.jump)) {
        jpeg_destroy_decompress(&d.cinfo);
        return false;
    }
    jpeg_create_decompress(&d.cinfo);
    // A hostile picture must not take the server's memory: large progressive
    // images need whole-image buffers, refused above this.
    d.cinfo.mem->max_memory_to_use = 64L * 1024 * 1024;
    jpeg_stdio_src(&d.cinfo, f);
    jpeg_read_header(&d.cinfo, TRUE);
    d.cinfo.out_color_space = JCS_GRAYSCALE;
    jpeg_start_decompress(&d.cinfo);

    int32_t iw = int32_t(d.cinfo.output_width), ih = int32_t(d.cinfo.output_height);
    d.vw = iw < width ? iw : width;
    d.vh = ih < height ? ih : height;
    // One scan line at a time: only the visible rows are kept.
    d.row.resize(size_t(iw) * size_t(d.cinfo.output_components));
    d.visible.resize(size_t(d.vw) * size_t(d.vh));
    for (int32_t y = 0; y < d.vh; ++y) {
        JSAMPROW rows[1] = {d.row.data()};
        if (jpeg_read_scanlines(&d.cinfo, rows, 1) != 1) {
            jpeg_destroy_decompress(&d.cinfo);
            return false;
        }
        memcpy(d.visible.data() + size_t(y) * size_t(d.vw), d.row.data(), size_t(d.vw));
    }
    // The rows below the screen are not needed.
    jpeg_destroy_decompress(&d.cinfo);
    return true;
}

} // namespace

bool SS_DrawSplash(const char* path, uint8_t* screen, int32_t width, int32_t height) {
    if (!path || !screen || width <= 0 || height <= 0) return false;
    struct stat st;
    if (stat(path, &st) != 0) return false; // no picture: nothing to say
    FILE* f = fopen(path, "rb");
    if (!f) {
        perror(path);
        return false;
    }
    Decode d;
    bool ok = DecodeVisible(d, f, width, height);
    fclose(f);
    if (!ok || d.vw <= 0 || d.vh <= 0) return false;

    int32_t x0 = (width - d.vw) / 2, y0 = (height - d.vh) / 2;
    for (int32_t y = 0; y < d.vh; ++y)
        memcpy(screen + size_t(y0 + y) * size_t(width) + x0, d.visible.data() + size_t(y) * size_t(d.vw), size_t(d.vw));
    return true;
}
