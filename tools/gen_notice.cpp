// Draws the two notice boxes of winserver (370 x 200 grey pictures shown
// while a client reports a long operation) with a CJK font and writes them
// as run-length encoded data into a C++ source file.
//
//   gen_notice [font.ttc] [out.cpp] [preview-prefix]
//
// The result is kept in the repository (server/render/notice_data.cpp); run
// this again only to change the boxes. With a preview prefix, each box is
// also written as <prefix>message.png and <prefix>sdcard.png.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/pngwrite.h"

namespace {

constexpr int kWidth = 370, kHeight = 200;
constexpr int kBorder = 2;      // black frame around the box
constexpr int kBandHeight = 40; // black title band
constexpr int kTitleSize = 22, kTextSize = 20;

std::vector<uint32_t> DecodeUtf8(const char* s) {
    std::vector<uint32_t> out;
    const auto* p = reinterpret_cast<const unsigned char*>(s);
    while (*p) {
        uint32_t c = *p++;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra) c &= 0x3F >> extra;
        for (int i = 0; i < extra && (*p & 0xC0) == 0x80; ++i)
            c = (c << 6) | (*p++ & 0x3F);
        out.push_back(c);
    }
    return out;
}

struct Picture {
    std::vector<uint8_t> px = std::vector<uint8_t>(size_t(kWidth) * kHeight, 255);
    void Fill(int x, int y, int w, int h, uint8_t v) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                if (i >= 0 && j >= 0 && i < kWidth && j < kHeight) px[size_t(j) * kWidth + i] = v;
    }
    // Coverage `a` of colour `fg` over what is there.
    void Blend(int x, int y, uint8_t fg, uint8_t a) {
        if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) return;
        uint8_t& d = px[size_t(y) * kWidth + x];
        d = uint8_t((d * (255 - a) + fg * a + 127) / 255);
    }
};

// Advance width of a text in pixels.
int Measure(FT_Face face, const std::vector<uint32_t>& text) {
    int w = 0;
    for (uint32_t c : text)
        if (FT_Load_Char(face, c, FT_LOAD_DEFAULT) == 0) w += int(face->glyph->advance.x >> 6);
    return w;
}

// Draws the text with its baseline at `baseline`, starting at x.
void Draw(FT_Face face, Picture& pic, const std::vector<uint32_t>& text, int x, int baseline, uint8_t fg) {
    for (uint32_t c : text) {
        if (FT_Load_Char(face, c, FT_LOAD_RENDER) != 0) continue;
        FT_GlyphSlot g = face->glyph;
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
            for (unsigned col = 0; col < g->bitmap.width; ++col)
                pic.Blend(x + g->bitmap_left + int(col), baseline - g->bitmap_top + int(r), fg,
                          g->bitmap.buffer[r * unsigned(g->bitmap.pitch) + col]);
        x += int(g->advance.x >> 6);
    }
}

// Vertical position of the baseline that centres a line of the face's
// current size between top and bottom.
int CentredBaseline(FT_Face face, int top, int bottom) {
    int ascent = int(face->size->metrics.ascender >> 6), descent = int(-face->size->metrics.descender >> 6);
    return top + (bottom - top - (ascent + descent)) / 2 + ascent;
}

Picture MakeBox(FT_Face face, const char* message) {
    Picture pic;
    pic.Fill(0, 0, kWidth, kHeight, 0);
    pic.Fill(kBorder, kBandHeight, kWidth - 2 * kBorder, kHeight - kBandHeight - kBorder, 255);

    FT_Set_Pixel_Sizes(face, 0, kTitleSize);
    std::vector<uint32_t> title = DecodeUtf8("提示");
    Draw(face, pic, title, 14, CentredBaseline(face, 0, kBandHeight), 255);

    FT_Set_Pixel_Sizes(face, 0, kTextSize);
    std::vector<uint32_t> text = DecodeUtf8(message);
    int w = Measure(face, text);
    Draw(face, pic, text, (kWidth - w) / 2, CentredBaseline(face, kBandHeight, kHeight - kBorder), 0);
    return pic;
}

// Runs of (count 1..255, value).
std::vector<uint8_t> Encode(const std::vector<uint8_t>& px) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < px.size();) {
        size_t n = 1;
        while (i + n < px.size() && n < 255 && px[i + n] == px[i])
            ++n;
        out.push_back(uint8_t(n));
        out.push_back(px[i]);
        i += n;
    }
    return out;
}

void WriteArray(FILE* f, const char* name, const std::vector<uint8_t>& data) {
    fprintf(f, "extern const uint8_t %s[] = {\n", name);
    for (size_t i = 0; i < data.size(); ++i)
        fprintf(f, "%s%u,%s", i % 20 == 0 ? "    " : "", data[i], (i % 20 == 19 || i + 1 == data.size()) ? "\n" : " ");
    fprintf(f, "};\nextern const size_t %sSize = sizeof %s;\n\n", name, name);
}

} // namespace

int main(int argc, char** argv) {
    const char* fontPath = argc > 1 ? argv[1] : "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc";
    const char* outPath = argc > 2 ? argv[2] : "notice_data.cpp";
    const char* preview = argc > 3 ? argv[3] : nullptr;

    FT_Library lib;
    FT_Face face;
    if (FT_Init_FreeType(&lib) != 0 || FT_New_Face(lib, fontPath, 0, &face) != 0) {
        fprintf(stderr, "gen_notice: cannot load the font %s\n", fontPath);
        return 1;
    }
    Picture message = MakeBox(face, "正在处理,请等待...");
    Picture sdcard = MakeBox(face, "正在读取Sd卡信息,请等待...");
    FT_Done_Face(face);
    FT_Done_FreeType(lib);

    if (preview) {
        eink::WriteGreyPng(std::string(preview) + "message.png", message.px.data(), kWidth, kHeight, kWidth);
        eink::WriteGreyPng(std::string(preview) + "sdcard.png", sdcard.px.data(), kWidth, kHeight, kWidth);
    }

    FILE* f = fopen(outPath, "w");
    if (!f) {
        perror(outPath);
        return 1;
    }
    fprintf(f, "// Generated by tools/gen_notice.cpp from the texts of the two notice boxes,\n"
               "// drawn with WenQuanYi Micro Hei. Runs of (count, grey level), row by row.\n"
               "#include <cstddef>\n#include <cstdint>\n\n// clang-format off\n");
    WriteArray(f, "kMessageNoticeRle", Encode(message.px));
    WriteArray(f, "kStorageCardNoticeRle", Encode(sdcard.px));
    fprintf(f, "// clang-format on\n");
    if (fclose(f) != 0) {
        perror(outPath);
        return 1;
    }
    return 0;
}
