// Fuzz target: the BMP reader on arbitrary bytes.
#include "image/image_decode.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gui_image::Decoded d;
    if (gui_image::DecodeBMP(data, size, &d)) d.Release();
    int w = 0, h = 0;
    gui_image::BMPSize(data, size, &w, &h);
    return 0;
}
