// Fuzz target: the GIF reader, as a still picture and as an animation
// (every image composed into a frame with its mask, several passes).
#include "image/gif_stream.h"
#include "image/image_decode.h"

#include "gui_util.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gui_image::Decoded d;
    if (gui_image::DecodeGIF(data, size, &d)) d.Release();
    int w = 0, h = 0;
    gui_image::GIFSize(data, size, &w, &h);

    gui_image::GifStream s;
    if (!s.Open(data, size)) return 0;
    std::vector<unsigned char> frame(size_t(s.ScreenWidth()) * size_t(s.ScreenHeight()), 255);
    std::vector<unsigned char> mask(gui_image::MaskStride(s.ScreenWidth()) * size_t(s.ScreenHeight()), 0);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 64 && s.NextImage(frame.data(), mask.data(), i == 0); ++i) {
        }
        if (!s.Open(data, size)) break;
    }
    return 0;
}
