// Fuzz target: the XPM reader on arbitrary bytes.
#include "image/image_decode.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gui_image::Decoded d;
    if (gui_image::DecodeXPM(data, size, &d)) d.Release();
    return 0;
}
