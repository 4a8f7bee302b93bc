// Glyph rendering, the blend rule, UTF-8 decoding and the choice of face, on
// plain byte buffers, compared with FreeType's own bitmaps.
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "harness/fonts.h"
#include "harness/ref_text.h"
#include "render/fonts.h"

using namespace testing_eink;

namespace {

const std::string& g_root = InProcessRoot();

// The expected images, with a view of their pixels for the font module.
struct Image : RefImage {
    using RefImage::RefImage;
    SSTextTarget target() { return SSTextTarget{px.data(), w, h, w}; }
};

int DiffCount(const Image& a, const Image& b) {
    int n = 0;
    for (size_t i = 0; i < a.px.size(); i++)
        n += a.px[i] != b.px[i];
    return n;
}
int ChangedCount(const Image& a, uint8_t fill) {
    int n = 0;
    for (uint8_t p : a.px)
        n += p != fill;
    return n;
}

std::vector<uint16_t> Chars(const char* ascii) {
    std::vector<uint16_t> v;
    for (const char* p = ascii; *p; p++)
        v.push_back(uint8_t(*p));
    return v;
}

class TextRender : public ::testing::Test {
protected:
    void TearDown() override {
        FreeFonts();
        unlink((g_root + kFontList).c_str());
        unlink((g_root + kXftFontList).c_str());
    }
    SSFontFace* Face(int64_t font, int64_t size) {
        SSFontFace* slot = nullptr;
        FontsChooseFace(font, size, &slot);
        return slot;
    }
    // The server's drawing of `text` from the pen (x, y); the pen's end.
    int64_t Draw(Image& img, int64_t font, int64_t size, int64_t x, int64_t y, const std::vector<uint16_t>& text,
                 uint32_t ink) {
        return DrawTextFace(img.target(), Face(font, size), x, y, text.data(), int(text.size()), ink);
    }
    // FreeType's own drawing of the same; the pen's end.
    // With `cell`, characters above 255 sit centred in cells that wide.
    static int RefDraw(RefFace& ref, Image& img, const std::vector<uint16_t>& text, int x, int y, int ink,
                       int cell = 0) {
        for (uint16_t c : text) {
            if (c > 255 && cell > 0) {
                RefImage probe(1, 1, 255);
                ref.Draw(img, c, x + (cell - ref.Draw(probe, c, 0, 0, 0)) / 2, y, ink);
                x += cell;
            } else {
                x += ref.Draw(img, c, x, y, ink);
            }
        }
        return x;
    }
};

TEST(TextBlend, NewIsOldPlusTheFloorOfTheWeightedDifference) {
    EXPECT_EQ(BlendCoverage(0, 255, 255), 254);   // white text on black never quite reaches white
    EXPECT_EQ(BlendCoverage(255, 0, 255), 0);     // black on white does reach black
    EXPECT_EQ(BlendCoverage(100, 200, 128), 150); // 100 + 100*128/256
    EXPECT_EQ(BlendCoverage(200, 100, 128), 150); // 200 - 50
    EXPECT_EQ(BlendCoverage(200, 101, 3), 198);   // 200 + floor(-297/256) = 200 - 2
    EXPECT_EQ(BlendCoverage(10, 20, 1), 10);      // 10 + floor(10/256)
    EXPECT_EQ(BlendCoverage(20, 10, 1), 19);      // 20 + floor(-10/256) = 20 - 1
    EXPECT_EQ(BlendCoverage(77, 77, 200), 77);
}

TEST(TextDecode, Utf8IsCutTo16BitsAndOnlyPrintableCodesAreKept) {
    uint16_t out[kMaxTextChars];
    auto decode = [&](const std::string& s, int64_t count) {
        int n = DecodeTextUtf8(reinterpret_cast<const uint8_t*>(s.data()), count, uint32_t(s.size()), out);
        return std::vector<uint16_t>(out, out + n);
    };
    using V = std::vector<uint16_t>;
    EXPECT_EQ(decode("A\xC3\xA9\xC2\x85", 5), V({'A', 0xE9}));      // Latin-1 letters stay, C1 controls go
    EXPECT_EQ(decode("\xE4\xB8\xAD", 3), V({0x4E2D}));              // three bytes
    EXPECT_EQ(decode("\xC4\x80", 2), V({0x100}));                   // two bytes, above 255
    EXPECT_EQ(decode("\xF0\x9F\x98\x80", 4), V({0xF600}));          // U+1F600 cut to 16 bits
    EXPECT_EQ(decode("a\tb\x7F\x01", 5), V({'a', 'b', 0x7F}));      // controls below 32 go
    EXPECT_EQ(decode(std::string("ab\0cd", 5), 0), V({'a', 'b'}));  // count 0: up to the NUL
    EXPECT_EQ(decode(std::string("ab\0cd", 5), -3), V({'a', 'b'})); // negative count too
    EXPECT_EQ(decode("abc", 2), V({'a', 'b'}));
    EXPECT_EQ(decode("abc", 100), V({'a', 'b', 'c'})); // never past what is there
    EXPECT_EQ(decode("\xE4\xB8", 2), V());             // cut short at the end
    EXPECT_EQ(decode("\xE4"
                     "A",
                     2),
              V({'A'}));                                 // cut short by a new character
    EXPECT_EQ(decode("\x80\xBFZ\xF8\xFF", 5), V({'Z'})); // stray bytes start nothing
    EXPECT_EQ(decode("\xC0\xA0", 2), V({' '}));          // overlong forms decode as given
    std::string many(600, 'A');
    EXPECT_EQ(decode(many, 600).size(), 512u); // 512 bytes at most
    std::string wide;
    for (int i = 0; i < 300; i++)
        wide += "\xE4\xB8\xAD";
    EXPECT_EQ(decode(wide, int64_t(wide.size())).size(), 170u); // 512 bytes hold 170 whole characters
}

TEST_F(TextRender, GlyphsAreFreeTypesBitmapsBlendedIntoThePixels) {
    WriteFontLists(g_root, {kDejaVuSans, kWqyMicroHei});
    InitFonts();
    for (int size : {7, 16, 24, 36}) {
        SCOPED_TRACE("size " + std::to_string(size));
        Image got(200, 60, 255), want(200, 60, 255);
        RefFace ref(kDejaVuSans, size);
        EXPECT_EQ(Draw(got, 0, size, 5, 40, Chars("AgW,j"), 0), RefDraw(ref, want, Chars("AgW,j"), 5, 40, 0));
        EXPECT_GT(ChangedCount(got, 255), 10);
        EXPECT_EQ(DiffCount(got, want), 0);
    }
    // Grey text over a grey ramp: every blend goes through the rule; drawn
    // twice, the second time from the cached glyphs.
    RefFace ref(kDejaVuSans, 30);
    Image want(120, 50, 0);
    for (size_t i = 0; i < want.px.size(); i++)
        want.px[i] = uint8_t(i * 7);
    Image ramp = want;
    RefDraw(ref, want, Chars("#@%"), 2, 35, 0x87);
    for (int pass = 0; pass < 2; pass++) {
        Image got = ramp;
        Draw(got, 0, 30, 2, 35, Chars("#@%"), 0x1234587);
        EXPECT_EQ(DiffCount(got, want), 0) << "pass " << pass;
    }
    // Full coverage (the stem of a 36-pixel "I"): white on black gives 254,
    // never 255; black on white gives 0.
    Image black(60, 60, 0), white(60, 60, 255);
    Draw(black, 0, 36, 10, 45, Chars("I"), 255);
    Draw(white, 0, 36, 10, 45, Chars("I"), 0);
    int full = 0;
    for (size_t i = 0; i < black.px.size(); i++) {
        EXPECT_NE(black.px[i], 255);
        if (black.px[i] == 254) {
            full++;
            EXPECT_EQ(white.px[i], 0);
        }
    }
    EXPECT_GT(full, 50);
}

TEST_F(TextRender, DrawnWidthIsTheSumOfThePublishedAdvances) {
    WriteFontLists(g_root, {kDejaVuSans, kDejaVuSansMono});
    InitFonts();
    std::vector<uint8_t> si(99092, 0);
    FontsFillSysInfo(si.data());
    const char* s = "The quick brown fox, 1234567890!";
    for (int size = 7; size <= 36; size++) {
        size_t e = 1172 + size_t(size - 7) * 1088;
        int64_t sum = 0;
        for (const char* p = s; *p; p++) {
            size_t o = e + 60 + 4 * size_t(uint8_t(*p));
            sum += int32_t(si[o] | si[o + 1] << 8 | si[o + 2] << 16 | si[o + 3] << 24);
        }
        Image img(10, 10, 255);
        EXPECT_EQ(Draw(img, 0, size, 0, 0, Chars(s), 0), sum) << "size " << size;
    }
}

TEST_F(TextRender, CjkTextIsDrawnWithTheCjkFontAndMissingGlyphsFallBack) {
    WriteFontLists(g_root, {kDejaVuSans, kWqyMicroHei}, kWqyMicroHei);
    InitFonts();
    ASSERT_EQ(g_defaultFontIndex, 1);
    RefFace ref(kWqyMicroHei, 24);
    // U+4E2D U+6587 ("Chinese"), a narrower character above 255 and a Latin
    // letter: above 255 each character is centred in a cell of the published
    // wide advance, which for this font is the ideographs' own.
    std::vector<uint16_t> text = {0x4E2D, 0x6587, 0x0101, 'x'};
    Image got(120, 40, 255), want(120, 40, 255);
    EXPECT_EQ(Draw(got, 1, 24, 3, 30, text, 0), RefDraw(ref, want, text, 3, 30, 0, 24));
    EXPECT_GT(ChangedCount(got, 255), 50);
    EXPECT_EQ(DiffCount(got, want), 0);

    // A character the face lacks draws as U+56D7.
    uint16_t missing = 0xFFFF;
    ASSERT_EQ(FT_Get_Char_Index(ref.face, missing), 0u);
    Image fallback(40, 40, 255), expected(40, 40, 255);
    EXPECT_EQ(Draw(fallback, 1, 24, 3, 30, {missing}, 0), 3 + ref.Draw(expected, 0x56D7, 3, 30, 0));
    EXPECT_EQ(DiffCount(fallback, expected), 0);
}

TEST_F(TextRender, AFaceWithoutTheCharacterOrItsFallbackDrawsAnEmptyCell) {
    WriteFontLists(g_root, {kDejaVuSans});
    InitFonts();
    Image a(60, 40, 255), b(60, 40, 255);
    RefFace ref(kDejaVuSans, 20);
    int cell = int((ref.face->size->metrics.max_advance + 63) / 64); // no ideograph: the widest glyph
    EXPECT_EQ(Draw(a, 0, 20, 4, 30, {0x4E2D, 'A', 0x4E2D}, 0), Draw(b, 0, 20, 4 + cell, 30, {'A'}, 0) + cell)
        << "empty cells, as clients measure them";
    EXPECT_EQ(DiffCount(a, b), 0);
}

TEST_F(TextRender, GlyphsAreClippedToTheImage) {
    WriteFontLists(g_root, {kDejaVuSans});
    InitFonts();
    RefFace ref(kDejaVuSans, 36);
    std::vector<uint16_t> text = Chars("WMW");
    for (auto [x, y] : std::vector<std::pair<int, int>>{{-20, 10}, {15, 50}, {-40, -5}, {25, 75}, {0, 30}}) {
        SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
        Image got(40, 30, 200), want(40, 30, 200);
        Draw(got, 0, 36, x, y, text, 0);
        RefDraw(ref, want, text, x, y, 0);
        EXPECT_EQ(DiffCount(got, want), 0);
    }
    // Far outside, on every side, with extreme pens: nothing changes.
    for (auto [x, y] : std::vector<std::pair<int64_t, int64_t>>{
             {INT32_MIN, 10}, {INT32_MAX, 10}, {10, INT32_MIN}, {10, INT32_MAX}, {-1000, -1000}}) {
        Image img(40, 30, 200);
        Draw(img, 0, 36, x, y, text, 0);
        EXPECT_EQ(ChangedCount(img, 200), 0);
    }
}

TEST_F(TextRender, FaceChoiceClampsTheSizeAndTakesTheFirstFontPastTheEnd) {
    WriteFontLists(g_root, {kDejaVuSans, kDejaVuSansMono});
    InitFonts();
    // Sizes clamp into 7..36.
    for (auto [asked, got] : {std::pair{3, 7}, {-100, 7}, {254, 36}, {20, 20}})
        EXPECT_EQ(Face(0, asked), g_fontList->faces[got - 7]) << asked;
    // Indexes past the end take the first font; the second font has no
    // faces, so its requests draw with the default.
    for (int64_t font : {5LL, -1LL, 0xFFFFFFFFLL, 1LL})
        EXPECT_EQ(Face(font, 16), g_fontList->faces[16 - 7]) << font;
}

TEST_F(TextRender, AChangedFontListSwitchesTheDefaultFont) {
    WriteFontLists(g_root, {kDejaVuSans, kDejaVuSansMono}, kDejaVuSans);
    InitFonts();
    SSFont* sans = g_fontList;
    SSFont* mono = sans->next;
    EXPECT_EQ(Face(1, 16), sans->faces[9]);

    // "font.lst" now names the second font: the next request that misses a
    // face makes it the default.
    std::ofstream(g_root + kFontList, std::ios::trunc) << kDejaVuSansMono << "\n";
    SSFontFace* slot = Face(1, 16);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot, mono->faces[9]);
    EXPECT_EQ(g_defaultFontIndex, 1);
    EXPECT_STREQ(g_defaultFontName, kDejaVuSansMono);
    EXPECT_EQ(sans->data, nullptr);
    EXPECT_NE(mono->data, nullptr);
    for (int i = 0; i < kFontSizes; i++) {
        EXPECT_TRUE(sans->faces[i] == nullptr || sans->faces[i]->face == nullptr);
        ASSERT_NE(mono->faces[i], nullptr);
        EXPECT_NE(mono->faces[i]->face, nullptr);
    }
    // Mono draws like FreeType's mono.
    RefFace ref(kDejaVuSansMono, 16);
    Image got(60, 30, 255), want(60, 30, 255);
    Draw(got, 1, 16, 2, 20, Chars("il"), 0);
    RefDraw(ref, want, Chars("il"), 2, 20, 0);
    EXPECT_EQ(DiffCount(got, want), 0);
    // The first font now falls back on the new default.
    EXPECT_EQ(Face(0, 16), mono->faces[9]);
}

TEST_F(TextRender, WithoutAnyFaceTextIsNotDrawnAndTheServerGoesOn) {
    // "font.lst" names the first font, which FreeType cannot open; the other
    // font contributes metrics only. The text is dropped, nothing ends.
    std::string bad = g_root + "/bad.ttf";
    std::ofstream(bad) << "not a font at all\n";
    WriteFontLists(g_root, {bad, kDejaVuSans}, bad);
    InitFonts();
    ASSERT_EQ(g_fontCount, 2);
    EXPECT_EQ(Face(0, 16), nullptr);
    EXPECT_EQ(Face(1, 16), nullptr);
    EXPECT_EQ(Face(7, 16), nullptr);
}

TEST_F(TextRender, ADefaultNameThatNamesNoListedFontLeavesTheFirstFontDrawing) {
    WriteFontLists(g_root, {kDejaVuSans, kDejaVuSansMono}, "/not/listed.ttf");
    InitFonts();
    EXPECT_EQ(g_defaultFontIndex, 0);
    SSFontFace* slot = Face(0, 16);
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot, g_fontList->faces[9]);
    EXPECT_EQ(Face(1, 16), slot);
    EXPECT_EQ(g_fontList->next->data, nullptr);
}

TEST(TextDecode, RandomBytesNeverReadPastTheTextNorGiveUnprintableCodes) {
    std::mt19937 rng(12345);
    uint16_t out[kMaxTextChars];
    for (int round = 0; round < 3000; round++) {
        size_t n = rng() % 700;
        // Exactly n bytes on the heap, so that reading one more is caught.
        std::unique_ptr<uint8_t[]> text(new uint8_t[n + 1]);
        for (size_t i = 0; i < n; i++)
            text[i] = uint8_t(rng() % 4 == 0 ? 0x80 | (rng() & 0x7F) : rng());
        int64_t count = int64_t(rng() % 900) - 100;
        if (round % 3 == 0) {
            // No NUL anywhere, count 0: the decoder must stop at the end.
            for (size_t i = 0; i < n; i++)
                text[i] |= 1;
            count = 0;
        }
        int k = DecodeTextUtf8(text.get(), count, uint32_t(n), out);
        ASSERT_GE(k, 0);
        ASSERT_LE(k, kMaxTextChars);
        for (int i = 0; i < k; i++)
            ASSERT_TRUE((out[i] >= 32 && out[i] <= 127) || out[i] >= 160) << out[i];
    }
}

TEST_F(TextRender, AGlyphCacheOverItsBudgetStartsAgainAndDrawsTheSame) {
    WriteFontLists(g_root, {kWqyMicroHei});
    InitFonts();
    size_t old = SetGlyphCacheBudget(24 * 1024);
    RefFace ref(kWqyMicroHei, 36);
    std::vector<uint16_t> text;
    for (uint16_t c = 0x4E00; c < 0x4E00 + 64; c++)
        if (FT_Get_Char_Index(ref.face, c)) text.push_back(c);
    ASSERT_GT(text.size(), 40u);
    int width = int(text.size()) * 40 + 20;
    Image want(width, 50, 255);
    RefDraw(ref, want, text, 4, 40, 0);
    for (int pass = 0; pass < 2; pass++) {
        Image got(width, 50, 255);
        Draw(got, 0, 36, 4, 40, text, 0);
        EXPECT_EQ(DiffCount(got, want), 0) << "pass " << pass;
        EXPECT_LE(GlyphCacheBytes(), 24u * 1024 + 36u * 40 + 8192) << "pass " << pass;
    }
    SetGlyphCacheBudget(old);
    FreeFonts();
    EXPECT_EQ(GlyphCacheBytes(), 0u);
}

} // namespace
