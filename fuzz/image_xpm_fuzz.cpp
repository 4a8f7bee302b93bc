// Fuzz target: the XPM reader on arbitrary bytes.
#include "fuzz_target.h"
#include "image/image_decode.h"

#include <cstdint>

EINK_FUZZ_TARGET(image_xpm) {
    gui_image::Decoded d;
    if (gui_image::DecodeXPM(data, size, &d)) d.Release();
    return 0;
}
