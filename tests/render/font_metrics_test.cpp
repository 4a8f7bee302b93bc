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
// The words at the given offsets from `at`, as signed numbers.
std::vector<int64_t> Words(const std::vector<uint8_t>& b, size_t at, std::initializer_list<size_t> offsets) {
    std::vector<int64_t> out;
    for (size_t o : offsets)
        out.push_back(int32_t(Word(b, at + o)));
    return out;
}

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
        // Font index, size, created size, 0, maximum advance, top of the
        // box, proportional (0), ascent, descent, their sum, height, 65535,
        // the advances of 'A' and 'W', and of a control code (no glyph: the
        // maximum advance).
        const int32_t maxAdvance = RefFace::Ceil(ref.face->size->metrics.max_advance);
        EXPECT_EQ(
            Words(si, EntryAt(0, size), {0, 4, 8, 12, 16, 20, 28, 32, 36, 40, 48, 56, 60 + 4 * 'A', 60 + 4 * 'W', 64}),
            (std::vector<int64_t>{0, size, size, 0, maxAdvance,
                                  RefFace::Ceil(FT_MulFix(ref.face->bbox.yMax, ref.face->size->metrics.y_scale)), 0,
                                  ref.Ascent(), ref.Descent(), ref.Ascent() + ref.Descent(), ref.Height(), 65535,
                                  ref.Advance('A'), ref.Advance('W'), maxAdvance}));
        EXPECT_EQ(si[EntryAt(0, size) + 1084], 0);
    }

    // The second font, DejaVu Sans Mono, at its own offsets: fixed width.
    for (int size : {7, 20, 36}) {
        SCOPED_TRACE("DejaVu Sans Mono size " + std::to_string(size));
        RefFace ref(kDejaVuSansMono, size);
        EXPECT_EQ(Words(si, EntryAt(1, size), {0, 4, 28, 32, 60 + 4 * 'i'}),
                  (std::vector<int64_t>{1, size, 1, ref.Ascent(), int32_t(Word(si, EntryAt(1, size) + 60 + 4 * 'W'))}));
    }
    // The third, WenQuanYi Micro Hei.
    {
        RefFace ref(kWqyMicroHei, 24);
        EXPECT_EQ(Words(si, EntryAt(2, 24), {0, 4, 32, 60 + 4 * 'A'}),
                  (std::vector<int64_t>{2, 24, ref.Ascent(), ref.Advance('A')}));
    }

    // Fixed fields and the default entry at 80: DejaVu Sans at 36 pixels.
    EXPECT_EQ((std::vector<int>{si[44], si[45], si[68], si[69], si[75], si[92]}),
              (std::vector<int>{20, 0, 10, 0, 0, 1}));
    EXPECT_EQ(Words(si, 80, {0, 4}), (std::vector<int64_t>{0, 36}));
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
    // Each step writes one list, earlier places in the search order winning;
    // one CR, LF or space goes, the line feed counts toward the length;
    // names are cut to 99 characters; a line longer than a line buffer is
    // passed over whole.
    const struct {
        const char* file;
        std::string content, want;
    } steps[] = {
        {"/Kora/bin/font.lst", "\n/a/b.ttf\n/c/d.ttf\n", "/a/b.ttf"},
        {"/Kora/res/font.lst", "\n\n/e/f.ttf ", "/e/f.ttf"},
        {"/Kora/res/font.lst", "\nx\n/e/f.ttf\n", "x"},
        {"/mnt/Kora/bin/font.lst", "/g.ttf", "/g.ttf"},
        {kFontList, "/h.ttf\r\n", "/h.ttf\r"},
        {kFontList, std::string(150, 'n') + "\n", std::string(99, 'n')},
        {kFontList, std::string(3000, 'l') + "\n/after.ttf\n", "/after.ttf"},
    };
    for (const auto& step : steps) {
        WriteFile(step.file, step.content);
        ReadDefaultFontName(name);
        EXPECT_EQ(std::string(name), step.want) << step.file;
    }
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
    EXPECT_EQ(Words(si, 80, {0, 28}), (std::vector<int64_t>{1, 1})); // the default entry is the mono font's
    EXPECT_EQ(Word(si, EntryAt(0, 16) + 28), 0u);                    // the first font is still measured
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
