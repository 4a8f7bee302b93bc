// Fuzz target: the PNG reader on arbitrary bytes.
#include "fuzz_target.h"
#include "image/image_decode.h"

#include <cstdint>

EINK_FUZZ_TARGET(image_png) {
    gui_image::Decoded d;
    if (gui_image::DecodePNG(data, size, &d)) d.Release();
    int w = 0, h = 0;
    gui_image::PNGSize(data, size, &w, &h);
    return 0;
}
