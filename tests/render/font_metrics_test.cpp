// Font loading and the metric tables published in SysInfo, checked against
// FreeType's own answers for the same face and size.
#include <cmath>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "harness/fonts.h"
#include "render/fonts.h"

using namespace testing_eink;

namespace {

// The process's emulation root must be set before anything resolves a path.
const std::string& g_root = InProcessRoot();

constexpr size_t kSysInfoSize = 99092;
constexpr size_t kTables = 1172, kCharsetStride = 32640, kEntry = 1088;

uint32_t Word(const std::vector<uint8_t>& b, size_t off) {
    return uint32_t(b[off]) | uint32_t(b[off + 1]) << 8 | uint32_t(b[off + 2]) << 16 | uint32_t(b[off + 3]) << 24;
}
size_t EntryAt(int font, int size) { return kTables + size_t(font) * kCharsetStride + size_t(size - 7) * kEntry; }

std::vector<uint8_t> PublishedSysInfo() {
    std::vector<uint8_t> b(kSysInfoSize, 0xAB); // so that unwritten bytes show
    FontsFillSysInfo(b.data());
    return b;
}

void WriteFile(const std::string& fixed, const std::string& content) {
    std::string path = g_root + fixed;
    for (size_t i = 1; i < path.size(); ++i)
        if (path[i] == '/') mkdir(path.substr(0, i).c_str(), 0755);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}
void RemoveFile(const std::string& fixed) { unlink((g_root + fixed).c_str()); }

// FreeType opened by the test itself, independently of the server's code.
struct RefFace {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    RefFace(const char* path, int size) {
        EXPECT_EQ(FT_Init_FreeType(&lib), 0);
        EXPECT_EQ(FT_New_Face(lib, path, 0, &face), 0) << path;
        EXPECT_EQ(FT_Set_Pixel_Sizes(face, FT_UInt(size), 0), 0);
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    }
    ~RefFace() {
        FT_Done_Face(face);
        FT_Done_FreeType(lib);
    }
    static int32_t Ceil(FT_Pos v) { return int32_t(std::ceil(double(v) / 64.0)); }
    int32_t Ascent() const { return Ceil(face->size->metrics.ascender); }
    int32_t Descent() const { return Ceil(-face->size->metrics.descender); }
    int32_t Height() const { return Ceil(face->size->metrics.height); }
    int32_t Advance(char c) const {
        EXPECT_EQ(FT_Load_Char(face, FT_ULong(c), FT_LOAD_NO_BITMAP), 0);
        return Ceil(face->glyph->advance.x);
    }
};

class FontMetrics : public ::testing::Test {
protected:
    void TearDown() override {
        FreeFonts();
        RemoveFile(kFontList);
        RemoveFile(kXftFontList);
    }
};

TEST_F(FontMetrics, PublishedMetricsEqualFreeTypesOwnForEachSize) {
    WriteFontLists(g_root, {kDejaVuSans, kDejaVuSansMono, kWqyMicroHei}, kDejaVuSans);
    InitFonts();
    ASSERT_EQ(g_fontCount, 3);
    std::vector<uint8_t> si = PublishedSysInfo();

    for (int size : {7, 16, 36}) {
        SCOPED_TRACE("DejaVu Sans size " + std::to_string(size));
        RefFace ref(kDejaVuSans, size);
        size_t e = EntryAt(0, size);
        EXPECT_EQ(Word(si, e + 0), 0u);             // font index
        EXPECT_EQ(Word(si, e + 4), uint32_t(size)); // size
        EXPECT_EQ(Word(si, e + 8), uint32_t(size)); // created size
        EXPECT_EQ(Word(si, e + 12), 0u);
        EXPECT_EQ(int32_t(Word(si, e + 32)), ref.Ascent());
        EXPECT_EQ(int32_t(Word(si, e + 36)), ref.Descent());
        EXPECT_EQ(int32_t(Word(si, e + 40)), ref.Ascent() + ref.Descent());
        EXPECT_EQ(int32_t(Word(si, e + 48)), ref.Height());
        EXPECT_EQ(int32_t(Word(si, e + 60 + 4 * 'A')), ref.Advance('A'));
        EXPECT_EQ(int32_t(Word(si, e + 60 + 4 * 'W')), ref.Advance('W'));
        EXPECT_EQ(Word(si, e + 28), 0u); // proportional
        EXPECT_EQ(Word(si, e + 56), 65535u);
        EXPECT_EQ(si[e + 1084], 0);
        // Codes without a glyph (controls) take the maximum advance.
        EXPECT_EQ(Word(si, e + 60 + 4 * 1), Word(si, e + 16));
        EXPECT_EQ(int32_t(Word(si, e + 16)), RefFace::Ceil(ref.face->size->metrics.max_advance));
        EXPECT_EQ(int32_t(Word(si, e + 20)),
                  RefFace::Ceil(FT_MulFix(ref.face->bbox.yMax, ref.face->size->metrics.y_scale)));
    }

    // The second font, DejaVu Sans Mono, at its own offsets: fixed width.
    for (int size : {7, 20, 36}) {
        SCOPED_TRACE("DejaVu Sans Mono size " + std::to_string(size));
        RefFace ref(kDejaVuSansMono, size);
        size_t e = EntryAt(1, size);
        EXPECT_EQ(Word(si, e + 0), 1u);
        EXPECT_EQ(Word(si, e + 4), uint32_t(size));
        EXPECT_EQ(Word(si, e + 28), 1u);
        EXPECT_EQ(int32_t(Word(si, e + 32)), ref.Ascent());
        EXPECT_EQ(Word(si, e + 60 + 4 * 'i'), Word(si, e + 60 + 4 * 'W'));
    }
    // The third, WenQuanYi Micro Hei.
    {
        RefFace ref(kWqyMicroHei, 24);
        size_t e = EntryAt(2, 24);
        EXPECT_EQ(Word(si, e + 0), 2u);
        EXPECT_EQ(Word(si, e + 4), 24u);
        EXPECT_EQ(int32_t(Word(si, e + 32)), ref.Ascent());
        EXPECT_EQ(int32_t(Word(si, e + 60 + 4 * 'A')), ref.Advance('A'));
    }

    // Fixed fields and the default entry at 80: DejaVu Sans at 36 pixels.
    EXPECT_EQ(si[44], 20);
    EXPECT_EQ(si[45], 0);
    EXPECT_EQ(si[68], 10);
    EXPECT_EQ(si[69], 0);
    EXPECT_EQ(si[75], 0);
    EXPECT_EQ(si[92], 1);
    EXPECT_EQ(Word(si, 80), 0u);
    EXPECT_EQ(Word(si, 84), 36u);
    EXPECT_EQ(0, memcmp(&si[100], &si[EntryAt(0, 36) + 20], 1168 - 100));
    // Nothing in the font part is left as it was.
    for (size_t i = 44; i < 1168; i++)
        ASSERT_NE(si[i], 0xAB) << "offset " << i;
    for (size_t i = kTables; i < kSysInfoSize; i++)
        ASSERT_NE(si[i], 0xAB) << "offset " << i;
    // The geometry words and the orientation byte belong to the core.
    EXPECT_EQ(si[8], 0xAB);
    EXPECT_EQ(si[1168], 0xAB);
}

TEST_F(FontMetrics, AbsentFontsLeaveTheirEntriesZero) {
    WriteFontLists(g_root, {kDejaVuSans});
    InitFonts();
    ASSERT_EQ(g_fontCount, 1);
    std::vector<uint8_t> si = PublishedSysInfo();
    EXPECT_EQ(si[92], 1);
    EXPECT_NE(Word(si, EntryAt(0, 7) + 32), 0u);
    for (size_t i = kTables + kCharsetStride; i < kSysInfoSize; i++)
        ASSERT_EQ(si[i], 0) << "offset " << i;
}

TEST_F(FontMetrics, DefaultFontNameComesFromTheFirstLongLineOfTheFirstListFound) {
    char name[kFontNameSize];
    RemoveFile(kFontList);
    ReadDefaultFontName(name);
    EXPECT_STREQ(name, "");

    WriteFile("/Kora/bin/font.lst", "\n/a/b.ttf\n/c/d.ttf\n");
    ReadDefaultFontName(name);
    EXPECT_STREQ(name, "/a/b.ttf");

    // An earlier place in the search order wins; one CR, LF or space goes.
    WriteFile("/Kora/res/font.lst", "\n\n/e/f.ttf ");
    ReadDefaultFontName(name);
    EXPECT_STREQ(name, "/e/f.ttf");
    // The line feed counts: "x" and its line feed are long enough.
    WriteFile("/Kora/res/font.lst", "\nx\n/e/f.ttf\n");
    ReadDefaultFontName(name);
    EXPECT_STREQ(name, "x");
    WriteFile("/mnt/Kora/bin/font.lst", "/g.ttf");
    ReadDefaultFontName(name);
    EXPECT_STREQ(name, "/g.ttf");
    WriteFile(kFontList, "/h.ttf\r\n");
    ReadDefaultFontName(name);
    EXPECT_STREQ(name, "/h.ttf\r");

    // Names are cut to 99 characters; a line longer than a line buffer is
    // passed over whole.
    WriteFile(kFontList, std::string(150, 'n') + "\n");
    ReadDefaultFontName(name);
    EXPECT_EQ(std::string(name), std::string(99, 'n'));
    WriteFile(kFontList, std::string(3000, 'l') + "\n/after.ttf\n");
    ReadDefaultFontName(name);
    EXPECT_STREQ(name, "/after.ttf");

    for (const char* f : {"/Kora/bin/font.lst", "/Kora/res/font.lst", "/mnt/Kora/bin/font.lst"})
        RemoveFile(f);
}

TEST_F(FontMetrics, OnlyTheDefaultFontKeepsItsFaces) {
    // No "font.lst": the first listed font is the default.
    WriteFontLists(g_root, {kDejaVuSans, kDejaVuSansMono});
    InitFonts();
    EXPECT_EQ(g_defaultFontIndex, 0);
    EXPECT_STREQ(g_fontNames[0], kDejaVuSans);
    EXPECT_STREQ(g_fontNames[1], kDejaVuSansMono);
    SSFont* sans = g_fontList;
    ASSERT_TRUE(sans && sans->next);
    SSFont* mono = sans->next;
    for (int i = 0; i < kFontSizes; i++) {
        ASSERT_TRUE(sans->faces[i] && sans->faces[i]->face);
        ASSERT_TRUE(mono->faces[i]);
        EXPECT_EQ(mono->faces[i]->face, nullptr);
    }
    EXPECT_NE(sans->data, nullptr);
    EXPECT_EQ(mono->data, nullptr);
    FreeFonts();

    // "font.lst" names the second.
    WriteFontLists(g_root, {kDejaVuSans, kDejaVuSansMono}, kDejaVuSansMono);
    InitFonts();
    EXPECT_EQ(g_defaultFontIndex, 1);
    EXPECT_EQ(g_fontList->faces[0]->face, nullptr);
    EXPECT_EQ(g_fontList->data, nullptr);
    EXPECT_NE(g_fontList->next->faces[0]->face, nullptr);
    std::vector<uint8_t> si = PublishedSysInfo();
    EXPECT_EQ(Word(si, 80), 1u);                  // the default entry is the mono font's
    EXPECT_EQ(Word(si, 80 + 28), 1u);             // fixed width
    EXPECT_EQ(Word(si, EntryAt(0, 16) + 28), 0u); // the first font is still measured
    EXPECT_NE(Word(si, EntryAt(0, 16) + 32), 0u);
}

TEST_F(FontMetrics, NoFontListMeansNoFontsAndAZeroFlag) {
    InitFonts();
    EXPECT_EQ(g_fontCount, 0);
    std::vector<uint8_t> si = PublishedSysInfo();
    EXPECT_EQ(si[92], 0);
    EXPECT_EQ(si[44], 20);
    EXPECT_EQ(si[68], 10);
    for (size_t i = 80; i < 1168; i++)
        ASSERT_EQ(si[i], 0) << "offset " << i;
    for (size_t i = kTables; i < kSysInfoSize; i++)
        ASSERT_EQ(si[i], 0) << "offset " << i;
    SSFontFace* slot = nullptr;
    EXPECT_EQ(FontsChooseFace(0, 16, &slot), nullptr);
    EXPECT_EQ(slot, nullptr);
}

TEST_F(FontMetrics, BrokenListsAndFilesAreSkippedAndTheRestPublished) {
    // A truncated font, a text file, a missing file, a directory and a good font.
    std::string truncated = g_root + "/truncated.ttf";
    {
        std::ifstream in(kDejaVuSans, std::ios::binary);
        std::string head(2000, '\0');
        in.read(&head[0], std::streamsize(head.size()));
        std::ofstream(truncated, std::ios::binary) << head;
    }
    std::string text = g_root + "/notafont.ttf";
    std::ofstream(text) << "hello\n";
    std::string empty = g_root + "/empty.ttf";
    std::ofstream(empty).close();
    WriteFontLists(g_root, {"/no/such/font.ttf", empty, g_root, truncated, "x", text, kDejaVuSans}, kDejaVuSans);
    InitFonts();
    // Listed and readable: the truncated file, the text file and DejaVu Sans.
    ASSERT_EQ(g_fontCount, 3);
    EXPECT_EQ(g_defaultFontIndex, 2);
    std::vector<uint8_t> si = PublishedSysInfo();
    EXPECT_EQ(si[92], 1);
    for (size_t i = EntryAt(0, 7); i < EntryAt(2, 7); i++)
        ASSERT_EQ(si[i], 0) << "offset " << i;
    EXPECT_EQ(Word(si, EntryAt(2, 16)), 2u);
    EXPECT_EQ(int32_t(Word(si, EntryAt(2, 16) + 32)), RefFace(kDejaVuSans, 16).Ascent());
    SSFontFace* slot = nullptr;
    EXPECT_NE(FontsChooseFace(2, 16, &slot), nullptr);
    // Font 0 has no faces: the request falls back on the default font.
    EXPECT_NE(FontsChooseFace(0, 16, &slot), nullptr);
    FreeFonts();

    // A binary list file.
    std::string binary;
    for (int i = 0; i < 4096; i++)
        binary += char((i * 7919) & 0xFF);
    WriteFile(kXftFontList, binary);
    InitFonts();
    EXPECT_EQ(g_fontCount, 0);
    EXPECT_EQ(PublishedSysInfo()[92], 0);
    FreeFonts();

    // An empty list file.
    WriteFile(kXftFontList, "");
    InitFonts();
    EXPECT_EQ(g_fontCount, 0);
}

TEST_F(FontMetrics, AtMostThreeFontsAreLoaded) {
    WriteFontLists(g_root, {kDejaVuSans, kDejaVuSansMono, kWqyMicroHei, kDejaVuSans});
    InitFonts();
    EXPECT_EQ(g_fontCount, 3);
    int n = 0;
    for (SSFont* f = g_fontList; f; f = f->next)
        n++;
    EXPECT_EQ(n, 3);
}

} // namespace
