// GIF read with giflib from a memory buffer, one image at a time: the still
// reader takes the first image, the animator one image per frame.
#pragma once

#include "image/image_decode.h"

#include <cstddef>
#include <cstdint>

struct GifFileType;

namespace gui_image {

class GifStream {
public:
    GifStream() = default;
    ~GifStream() { Close(); }
    GifStream(const GifStream&) = delete;
    GifStream& operator=(const GifStream&) = delete;

    // Reads the header and the global colour map. False (and closed) for data
    // giflib refuses or a logical screen outside the readers' limits.
    bool Open(const uint8_t* data, size_t length);
    void Close();
    bool IsOpen() const { return gif_ != nullptr; }
    int ScreenWidth() const { return screenWidth_; }
    int ScreenHeight() const { return screenHeight_; }

    // What the last graphic control extension said.
    int delay = 0;    // hundredths of a second
    int disposal = 0; // (flags >> 2) & 7, recorded only
    bool transparent = false;
    int transparentIndex = 0;

    // Reads blocks up to the next image and composes it into `frame` (screen
    // size, one grey byte per pixel) and `mask` (depth 1; may be null).
    // `first` selects how transparent pixels treat the mask: cleared in the
    // first image of a pass, set (keeping the frame's pixel) in later ones.
    // An image whose rectangle leaves the logical screen is read past
    // without being composed. True when an image was read; false at the
    // trailer, at the end of the data or on broken data.
    bool NextImage(unsigned char* frame, unsigned char* mask, bool first);

private:
    GifFileType* gif_ = nullptr;
    const uint8_t* data_ = nullptr;
    size_t length_ = 0;
    size_t pos_ = 0;
    int screenWidth_ = 0, screenHeight_ = 0;
    static int Read(GifFileType* gif, uint8_t* buf, int n);
};

} // namespace gui_image
