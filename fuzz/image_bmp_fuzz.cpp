// Fuzz target: the BMP reader on arbitrary bytes.
#include "fuzz_target.h"
#include "image/image_decode.h"

#include <cstdint>

EINK_FUZZ_TARGET(image_bmp) {
    gui_image::Decoded d;
    if (gui_image::DecodeBMP(data, size, &d)) d.Release();
    int w = 0, h = 0;
    gui_image::BMPSize(data, size, &w, &h);
    return 0;
}
