// GIF through giflib. giflib does the LZW decoding and block structure; the
// rules of this library (signature in any letter case, size limits, frame
// composition, interlaced row order, transparency, delays) are kept here.
#include "image/gif_stream.h"

#include "gl_image.h"
#include "gui_util.h"

#include <cstring>
#include <vector>

#include <gif_lib.h>

namespace gui_image {

int GifStream::Read(GifFileType* gif, uint8_t* buf, int n) {
    auto* self = static_cast<GifStream*>(gif->UserData);
    if (n <= 0) return 0;
    size_t left = self->length_ - self->pos_;
    size_t k = size_t(n) < left ? size_t(n) : left;
    memcpy(buf, self->data_ + self->pos_, k);
    // The signature is recognised in any letter case; giflib wants "GIF".
    for (size_t i = 0; i < k; ++i)
        if (self->pos_ + i < 3) buf[i] = static_cast<uint8_t>(buf[i] & ~0x20);
    self->pos_ += k;
    return int(k);
}

bool GifStream::Open(const uint8_t* data, size_t length) {
    Close();
    if (!data || length < 13) return false;
    data_ = data;
    length_ = length;
    pos_ = 0;
    delay = disposal = transparentIndex = 0;
    transparent = false;
    int err = 0;
    gif_ = DGifOpen(this, Read, &err);
    if (!gif_) return false;
    screenWidth_ = gif_->SWidth;
    screenHeight_ = gif_->SHeight;
    if (!SizeAllowed(screenWidth_, screenHeight_)) {
        Close();
        return false;
    }
    return true;
}

void GifStream::Close() {
    if (gif_) {
        int err = 0;
        DGifCloseFile(gif_, &err);
        gif_ = nullptr;
    }
}

bool GifStream::NextImage(unsigned char* frame, unsigned char* mask, bool first) {
    if (!gif_) return false;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif_, &type) != GIF_OK) return false;
        if (type == TERMINATE_RECORD_TYPE) return false;
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif_, &code, &block) != GIF_OK) return false;
            if (code == GRAPHICS_EXT_FUNC_CODE && block) {
                // block[0] is the length of the block that follows.
                const int n = block[0];
                const int flags = n >= 1 ? block[1] : 0;
                delay = n >= 3 ? block[2] | block[3] << 8 : 0;
                disposal = (flags >> 2) & 7;
                transparent = (flags & 1) != 0;
                if (transparent && n >= 4) transparentIndex = block[4];
            }
            while (block)
                if (DGifGetExtensionNext(gif_, &block) != GIF_OK) return false;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) return false;
        if (DGifGetImageDesc(gif_) != GIF_OK) return false;
        const GifImageDesc& d = gif_->Image;
        const long long left = d.Left, top = d.Top, w = d.Width, h = d.Height;
        const bool inside = w > 0 && h > 0 && left + w <= screenWidth_ && top + h <= screenHeight_;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif_->SColorMap;
        if (!inside || !map) {
            // Read past the pixels without decoding them.
            int codeSize = 0;
            GifByteType* block = nullptr;
            if (DGifGetCode(gif_, &codeSize, &block) != GIF_OK) return false;
            while (block)
                if (DGifGetCodeNext(gif_, &block) != GIF_OK) return false;
            return true;
        }
        unsigned char grey[256];
        for (int i = 0; i < 256; ++i)
            grey[i] = i < map->ColorCount ? Grey(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue) : 0;
        std::vector<GifPixelType> row(size_t(w), 0);
        const size_t stride = MaskStride(screenWidth_);
        // Interlaced images arrive in four passes of rows.
        static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        const int passes = d.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const long long start = d.Interlace ? kStart[pass] : 0, step = d.Interlace ? kStep[pass] : 1;
            for (long long r = start; r < h; r += step) {
                if (DGifGetLine(gif_, row.data(), int(w)) != GIF_OK) return false;
                const size_t y = size_t(top + r);
                unsigned char* out = frame + y * size_t(screenWidth_);
                for (long long i = 0; i < w; ++i) {
                    const size_t x = size_t(left + i);
                    const unsigned index = row[size_t(i)];
                    unsigned char* bits = mask ? mask + y * stride + x / 8 : nullptr;
                    const unsigned char bit = static_cast<unsigned char>(1u << (x % 8));
                    if (transparent && int(index) == transparentIndex) {
                        if (bits) *bits = first ? *bits & static_cast<unsigned char>(~bit) : *bits | bit;
                        continue;
                    }
                    out[x] = grey[index];
                    if (bits) *bits |= bit;
                }
            }
        }
        return true;
    }
}

bool GIFSize(const uint8_t* data, size_t length, int* width, int* height) {
    GifStream s;
    if (!s.Open(data, length)) return false;
    *width = s.ScreenWidth();
    *height = s.ScreenHeight();
    return true;
}

// The first image on a white screen of the logical screen's size; its
// transparent pixels are not written.
bool DecodeGIF(const uint8_t* data, size_t length, Decoded* out) {
    GifStream s;
    if (!s.Open(data, length)) return false;
    const size_t n = size_t(s.ScreenWidth()) * size_t(s.ScreenHeight());
    unsigned char* pixels = static_cast<unsigned char*>(GL_malloc(int(n)));
    if (!pixels) return false;
    memset(pixels, 255, n);
    if (!s.NextImage(pixels, nullptr, true)) {
        GL_free(pixels);
        return false;
    }
    out->width = s.ScreenWidth();
    out->height = s.ScreenHeight();
    out->pixels = pixels;
    out->mask = nullptr;
    return true;
}

} // namespace gui_image
