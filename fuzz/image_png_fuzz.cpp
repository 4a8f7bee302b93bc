// Fuzz target: the PNG reader on arbitrary bytes.
#include "image/image_decode.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gui_image::Decoded d;
    if (gui_image::DecodePNG(data, size, &d)) d.Release();
    int w = 0, h = 0;
    gui_image::PNGSize(data, size, &w, &h);
    return 0;
}
