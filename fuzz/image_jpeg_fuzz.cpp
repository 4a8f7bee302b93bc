// Fuzz target: the JPEG reader on arbitrary bytes.
#include "fuzz_target.h"
#include "image/image_decode.h"

#include <cstdint>

EINK_FUZZ_TARGET(image_jpeg) {
    gui_image::Decoded d;
    if (gui_image::DecodeJPEG(data, size, &d)) d.Release();
    int w = 0, h = 0;
    gui_image::JPEGSize(data, size, &w, &h);
    return 0;
}
