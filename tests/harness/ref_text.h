// Expected text images worked out by the tests themselves: FreeType opened
// here renders each glyph, and the blend onto the background is written out
// by hand, independently of the server's font module. Header-only so that
// the harness library needs no FreeType of its own.
#pragma once

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace testing_eink {

// An 8-bit grey image, rows one after another.
struct RefImage {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
    RefImage() = default;
    RefImage(int w_, int h_, uint8_t fill) : w(w_), h(h_), px(size_t(w_) * size_t(h_), fill) {}
    uint8_t at(int x, int y) const { return px[size_t(y) * size_t(w) + size_t(x)]; }
    bool operator==(const RefImage& o) const { return w == o.w && h == o.h && px == o.px; }
};

struct RefFace {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    RefFace(const char* path, int size) {
        EXPECT_EQ(FT_Init_FreeType(&lib), 0);
        EXPECT_EQ(FT_New_Face(lib, path, 0, &face), 0);
        EXPECT_EQ(FT_Set_Pixel_Sizes(face, FT_UInt(size), 0), 0);
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    }
    ~RefFace() {
        FT_Done_Face(face);
        FT_Done_FreeType(lib);
    }
    RefFace(const RefFace&) = delete;
    RefFace& operator=(const RefFace&) = delete;

    // Expected image of one character drawn with its pen at (x, y) in
    // `pixel`, blended over what `img` holds; returns the advance.
    int Draw(RefImage& img, uint32_t code, int x, int y, int pixel) {
        FT_UInt index = FT_Get_Char_Index(face, code);
        EXPECT_NE(index, 0u) << "no glyph for " << code;
        EXPECT_EQ(FT_Load_Glyph(face, index, FT_LOAD_RENDER | FT_LOAD_NO_BITMAP), 0);
        const FT_Bitmap& bm = face->glyph->bitmap;
        EXPECT_EQ(bm.pixel_mode, FT_PIXEL_MODE_GRAY);
        for (unsigned i = 0; i < bm.rows; i++) {
            for (unsigned j = 0; j < bm.width; j++) {
                int a = bm.buffer[int(i) * bm.pitch + int(j)];
                int px = x + face->glyph->bitmap_left + int(j), py = y - face->glyph->bitmap_top + int(i);
                if (a == 0 || px < 0 || py < 0 || px >= img.w || py >= img.h) continue;
                int old = img.px[size_t(py) * size_t(img.w) + size_t(px)];
                int d = (pixel - old) * a;
                int q = d >= 0 ? d / 256 : -((-d + 255) / 256); // floor
                img.px[size_t(py) * size_t(img.w) + size_t(px)] = uint8_t(old + q);
            }
        }
        return int(face->glyph->advance.x / 64);
    }

    // A string on a `w` x `h` image filled with `fill`, the pen moving by
    // FreeType's own advances.
    RefImage Text(int w, int h, uint8_t fill, const std::vector<uint32_t>& codes, int x, int y, int pixel) {
        RefImage img(w, h, fill);
        for (uint32_t c : codes)
            x += Draw(img, c, x, y, pixel);
        return img;
    }
};

} // namespace testing_eink
