// Client fonts, text measurement, fitting, line splitting, the text requests
// and the drawing context, against metric tables of known widths
// (text_tables.h) and a stand-in server that records every request.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "egui.h"
#include "gui/fake_server.h"
#include "gui/text_tables.h"
#include "gui_lang.h"

using namespace text_test;

namespace {

// A heap block of exactly the bytes of s, without a terminating NUL, so that
// the sanitizer reports any read past the end.
struct Exact {
    explicit Exact(const std::string& s) : n(s.size()), p(static_cast<char*>(malloc(s.size() ? s.size() : 1))) {
        memcpy(p, s.data(), s.size());
    }
    ~Exact() { free(p); }
    size_t n;
    char* p;
};

std::string Body(const Msg& m, size_t at, size_t n) {
    return std::string(m.bytes.begin() + long(at), m.bytes.begin() + long(at + n));
}

class Text : public ::testing::Test {
protected:
    void SetUp() override {
        SetTables(true);
        iCharId = 0;
        bHasCharSet = 0;
        bLabelUtf8 = 0;
        InitFont();
    }
    void TearDown() override {
        bHasCharSet = 0;
        bLabelUtf8 = 0;
        strcpy(langinfo_fname, "english");
    }
    FakeServer server;
};

// UCS-2 unit as SL_GetCharInfo takes it: big-endian in memory.
unsigned short Unit(unsigned code) {
    unsigned char be[2] = {uint8_t(code >> 8), uint8_t(code)};
    unsigned short u;
    memcpy(&u, be, 2);
    return u;
}

} // namespace

TEST_F(Text, WidthsComeFromTheDefaultEntryTheFontEntryOrTheBitmapTables) {
    GL_Font* f = NC_NewFont("any", kFontSize, 0, 0);
    const int ab = Adv('A') + Adv('b');
    struct Case {
        const char* what;
        int got, want;
    } cases[] = {
        {"char A", SL_GetCharInfo(nullptr, Unit('A')), Adv('A')},
        {"char 0xE9", SL_GetCharInfo2(nullptr, Unit(0xE9)), Adv(0xE9)},
        {"wide char", SL_GetCharInfo(nullptr, Unit(0x4E2D)), kWide},
        {"char A, font", SL_GetCharInfo(f, Unit('A')), Adv20('A')},
        {"wide char, font", SL_GetCharInfo2(f, Unit(0x4E2D)), kFontWide},
        {"8 whole", SL_GetStringInfo8("Ab", 0), ab},
        {"8 first byte", SL_GetStringInfo8("Ab", 1), Adv('A')},
        {"8 count past the NUL", SL_GetStringInfo8("Ab", 50), ab},
        {"16", SL_GetStringInfo16("\xD6\xD0\xCE\xC4", 0), 2 * kWide},
        {"16 odd count", SL_GetStringInfo16("\xD6\xD0\xCE", 0), 3 * kWide / 2},
        {"single, font", SL_GetStringInfoSingle(f, "Ab", 0), Adv20('A') + Adv20('b')},
        {"single, no font", SL_GetStringInfoSingle(nullptr, "Ab", 0), ab},
        {"double, font", SL_GetStringInfoDouble(f, "\xD6\xD0", 0), kFontWide},
        {"utf-8",
         CalcStringWidth(nullptr, const_cast<char*>("A\xE4\xB8\xAD"
                                                    "b")),
         ab + kWide},
        {"utf-8, font", CalcStringWidth(f, const_cast<char*>("A\xE4\xB8\xAD")), Adv20('A') + kFontWide},
        {"utf-8 first 4 bytes",
         CalcStringWidth2(nullptr,
                          const_cast<char*>("A\xE4\xB8\xAD"
                                            "b"),
                          4, nullptr),
         Adv('A') + kWide},
        {"utf-8 n < 1", CalcStringWidth2(nullptr, const_cast<char*>("Ab"), 0, nullptr), ab},
        // Runs: "Ab" single, D6 D0 wide, "z" and the final lead byte B0 single.
        {"runs", SL_GetStringInfo816("Ab\xD6\xD0z\xB0", 0, nullptr, nullptr, nullptr, nullptr, nullptr),
         ab + kWide + Adv('z') + Adv(0xB0)},
        {"null text", SL_GetStringInfo8(nullptr, 3) + CalcStringWidth(f, nullptr), 0},
    };
    for (auto& c : cases)
        EXPECT_EQ(c.got, c.want) << c.what;

    int count = 0;
    EXPECT_EQ(CalcStringWidth2(nullptr,
                               const_cast<char*>("A\xE4\xB8\xAD"
                                                 "b"),
                               -1, &count),
              ab + kWide);
    EXPECT_EQ(count, 3);

    // Text info of the font, or of the default font.
    int a = -1, m9 = -1, line = -1, w = -1, n = -1;
    EXPECT_EQ(SL_GetTextInfo816(nullptr, nullptr, "A\xE4\xB8\xAD", 0, &a, &m9, &line, &w, &n), Adv('A') + kWide);
    EXPECT_EQ(std::vector<int>({a, m9, line, w, n}), std::vector<int>({kAscent, kMetric9, kLine, Adv('A') + kWide, 2}));
    _GS_Rect r1{}, r2{};
    unsigned long chars = 0;
    EXPECT_EQ(GL_GetTextInfo(f, nullptr, "Ab", 0, &r1, &r2, &chars), Adv20('A') + Adv20('b'));
    EXPECT_EQ(std::vector<int>({r1.x, r1.y, r1.width, r1.height}),
              std::vector<int>({0, -kFontAscent, Adv20('A') + Adv20('b'), kFontLine}));
    EXPECT_EQ(memcmp(&r1, &r2, sizeof r1), 0);
    EXPECT_EQ(chars, 2u);
    _GS_Rect untouched{7, 7, 7, 7};
    EXPECT_EQ(GL_GetTextInfo(f, nullptr, "", 0, &untouched, nullptr, nullptr), 0);
    EXPECT_EQ(untouched.x + untouched.y + untouched.width + untouched.height, 28);
    EXPECT_EQ(GL_GetStringInfo(nullptr, nullptr, "Ab\xD6\xD0", 0, &r1, nullptr, &chars), ab + kWide);
    EXPECT_EQ(std::vector<int>({r1.y, r1.width, r1.height}), std::vector<int>({-kAscent, ab + kWide, kLine}));
    EXPECT_EQ(chars, 3u);

    int wide = 0, fa = 0, fd = 0;
    EXPECT_EQ(SL_GetFontInfo(f, &wide, &line, &fa, &fd), 0);
    EXPECT_EQ(std::vector<int>({wide, line, fa}), std::vector<int>({kFontWide, kFontLine, kFontAscent}));

    // Bitmap-font mode: single-byte widths from iDataInfo, one width for
    // every wide character, no metrics, and SL_GetFontInfo writes nothing.
    SetTables(false);
    EXPECT_EQ(SL_GetCharInfo(f, Unit('A')), AdvBitmap('A'));
    EXPECT_EQ(SL_GetCharInfo(nullptr, Unit(0x4E2D)), kBitmapWide);
    EXPECT_EQ(SL_GetStringInfo8("Ab", 0), AdvBitmap('A') + AdvBitmap('b'));
    EXPECT_EQ(SL_GetStringInfo16("\xD6\xD0", 0), kBitmapWide);
    a = line = -1;
    EXPECT_EQ(SL_GetStringInfo816("A\xD6\xD0", 0, &a, nullptr, &line, nullptr, nullptr), AdvBitmap('A') + kBitmapWide);
    EXPECT_EQ(a + line, 0);
    wide = -5;
    SL_GetFontInfo(f, &wide, nullptr, nullptr, nullptr);
    EXPECT_EQ(wide, -5);
    // A first code above the character's own: index 0, never before the table.
    PutWord(gSysInfo + 80, 0, 0xFFFFFFF0u);
    EXPECT_EQ(SL_GetCharInfo(nullptr, Unit('A')), AdvBitmap(0));
    delete f;
    EXPECT_TRUE(server.Take().empty());
}

TEST_F(Text, NoFunctionReadsPastALastLeadByteInAnExactSizeBlock) {
    // Each input ends in a lead byte (GB or UTF-8) and is passed with its
    // byte count, in a block without a NUL.
    for (const std::string s : {"A\xB0", "\xB0", "Ab\xD6\xD0\xE4", "\xE4\xB8", "z\xF0\x9F"}) {
        Exact e(s);
        int chars = 0;
        int gb = GbWidth(reinterpret_cast<const unsigned char*>(s.data()), s.size(), &chars);
        int sum8 = 0;
        for (unsigned char c : s)
            sum8 += Adv(c);
        EXPECT_EQ(SL_GetStringInfo8(e.p, e.n), sum8);
        EXPECT_EQ(SL_GetStringInfoSingle(nullptr, e.p, e.n), sum8);
        EXPECT_EQ(SL_GetStringInfo16(e.p, e.n), int(kWide * e.n / 2));
        EXPECT_EQ(SL_GetStringInfoDouble(nullptr, e.p, e.n), int(kWide * e.n / 2));
        int n816 = 0;
        EXPECT_EQ(SL_GetStringInfo816(e.p, e.n, nullptr, nullptr, nullptr, nullptr, &n816), gb) << s;
        EXPECT_EQ(n816, chars);
        EXPECT_EQ(GL_GetStringInfo(nullptr, nullptr, e.p, e.n, nullptr, nullptr, nullptr), gb);
        CalcStringWidth2(nullptr, e.p, int(e.n), nullptr);
        SL_GetTextInfo816(nullptr, nullptr, e.p, e.n, nullptr, nullptr, nullptr, nullptr, nullptr);
        GL_GetTextInfo(nullptr, nullptr, e.p, e.n, nullptr, nullptr, nullptr);
        GL_TextOut(0x200001, nullptr, nullptr, 0, 20, e.p, e.n, 0, nullptr);
    }
    // A truncated UTF-8 sequence at the end is not a character.
    Exact t("A\xE4\xB8");
    int count = -1;
    EXPECT_EQ(CalcStringWidth2(nullptr, t.p, int(t.n), &count), Adv('A'));
    EXPECT_EQ(count, 1);
    // In bitmap mode GL_TextOut draws the final lead byte as a single-byte character.
    SetTables(false);
    server.Take();
    Exact b("a\xD6\xD0\xB0");
    int end = GL_TextOut(0x200001, nullptr, nullptr, 5, 20, b.p, b.n, 0, nullptr);
    std::vector<Msg> m = server.Take();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(std::vector<unsigned>({m[0].type(), m[1].type(), m[2].type()}), std::vector<unsigned>({102, 103, 102}));
    EXPECT_EQ(Body(m[2], 28, m[2].word(20)), "\xB0");
    EXPECT_EQ(int(m[2].word(12)), 5 + AdvBitmap('a') + kBitmapWide);
    EXPECT_EQ(end, 5 + AdvBitmap('a') + kBitmapWide + AdvBitmap(0xB0));
}

TEST_F(Text, ShortStringsNeverExceedTheRoom) {
    // Default-font widths: a 9, b 3, c 4, d 5, e 6, f 7 (abcdef 34), '.' 7 ("..." 21),
    // a wide character 16.
    struct Case {
        const char* text;
        int max;
        const char* suffix;
        const char* want; // null: none
    } cases[] = {
        {"abcdef", 34, "...", "abcdef"}, // fits whole: no suffix
        {"abcdef", 33, "...", "ab..."},  // room 12
        {"abcdef", 29, "...", "..."},    // room 8: not even 'a'
        {"abcdef", 21, "...", "..."},    // room 0
        {"abcdef", 20, "...", "..."},    // suffix alone wider than the maximum
        {"abcdef", 10, nullptr, "a"},    // no suffix
        {"abcdef", 5, nullptr, ""},      // the first character is wider than the room
        {"abcdef", 0, "...", "abcdef"},  // no maximum
        {"abcdef", -3, "...", "abcdef"}, //
        {"", 10, "...", ""},             //
        {nullptr, 10, "...", nullptr},   //
        {"\xE4\xB8\xAD\xE6\x96\x87"
         "ab",
         40, "...", "\xE4\xB8\xAD..."}, // room 19: one wide character
        {"\xE4\xB8\xAD"
         "a",
         15, "", ""}, // a wide character wider than the whole room
    };
    for (auto& c : cases) {
        char* got = CalcShortString(nullptr, const_cast<char*>(c.text), c.max, const_cast<char*>(c.suffix));
        std::string label = std::string(c.text ? c.text : "(null)") + " / " + std::to_string(c.max);
        if (!c.want) {
            EXPECT_EQ(got, nullptr) << label;
            continue;
        }
        ASSERT_NE(got, nullptr) << label;
        EXPECT_STREQ(got, c.want) << label;
        bool suffixOnly = c.suffix && strcmp(got, c.suffix) == 0;
        if (c.max > 0 && !suffixOnly) {
            EXPECT_LE(CalcStringWidth(nullptr, got), c.max) << label;
        }
        free(got);
    }
}

TEST_F(Text, SplitStringBreaksAtLineFeedsAndAtTheWidth) {
    struct Line {
        std::string text;
        long width;
    };
    auto split = [](const char* text, int max, int* result) {
        GL_List list;
        *result = SplitString(nullptr, const_cast<char*>(text), max, 1, &list);
        std::vector<Line> lines;
        for (GL_ListData* n = list.head; n; n = n->next) {
            lines.push_back({static_cast<char*>(n->data), n->value});
            free(n->data);
        }
        return lines;
    };
    struct Case {
        const char* text;
        int max;
        std::vector<Line> want;
    } cases[] = {
        {"abcdef", 12, {}}, // a maximum of 12 or less adds nothing
        {"", 100, {}},
        {"a\n\nb", 100, {{"a", 9}, {"", 0}, {"b", 3}}},
        {"\nab\n", 100, {{"ab", 12}}},
        {"abcdef", 13, {{"ab", 12}, {"cd", 9}, {"ef", 13}}},
        {"\xD6\xD0\xCE\xC4"
         "a",
         20,
         {{"\xD6\xD0", 16}, {"\xCE\xC4", 16}, {"a", 9}}},
        // A wide character wider than the maximum fits on no line.
        {"a\xD6\xD0"
         "b",
         15,
         {{"ab", 12}}},
        // A final lead byte is a single-byte character (0xB0 is 4 wide).
        {"ab\xB0", 100, {{"ab\xB0", 16}}},
    };
    for (auto& c : cases) {
        int result = -1;
        std::vector<Line> got = split(c.text, c.max, &result);
        ASSERT_EQ(got.size(), c.want.size()) << c.text << " / " << c.max;
        EXPECT_EQ(result, int(c.want.size()));
        for (size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].text, c.want[i].text) << c.text << " line " << i;
            EXPECT_EQ(got[i].width, c.want[i].width) << c.text << " line " << i;
        }
    }
    int result = -1;
    EXPECT_EQ(SplitString(nullptr, const_cast<char*>("abc"), 100, 0, nullptr), 0);
    EXPECT_TRUE(split(nullptr, 100, &result).empty());
}

TEST_F(Text, TextRequestsCarryFontAndPositionAndReturnWhereTheTextEnds) {
    const unsigned long pm = 0x100009;
    GL_Font* f = NC_NewFont(nullptr, kFontSize, 0, 0);

    // 600 single-byte characters: one request of 510 bytes, x advanced by those 510.
    std::string many(600, 'a');
    EXPECT_EQ(SL_TextOutS(pm, 10, 30, many.c_str(), 0, 0), 10 + 510 * Adv('a'));
    std::vector<Msg> m = server.Take();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].type(), 102u);
    EXPECT_EQ(m[0].bytes.size(), 538u);
    EXPECT_EQ(m[0].word(20), 510u);
    EXPECT_EQ(GL_TextOut(pm, f, nullptr, 10, 30, many.c_str(), 0, 0, nullptr), 10 + 510 * Adv20('a'));
    m = server.Take();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].bytes.size(), 32u + 510u);

    // Scalable fonts: ASCII runs as single-byte text, UTF-8 runs as
    // double-byte text, each where the previous ended, with the font's index
    // and size.
    const char* mixed = "Ab\xE4\xB8\xAD"
                        "c";
    int x1 = 10 + Adv20('A') + Adv20('b'), x2 = x1 + kFontWide;
    EXPECT_EQ(GL_TextOut(pm, f, nullptr, 10, 30, mixed, 0, 0x55, nullptr), x2 + Adv20('c'));
    m = server.Take();
    ASSERT_EQ(m.size(), 3u);
    struct Want {
        unsigned op;
        int x;
        std::string text;
    } want[] = {{119, 10, "Ab"}, {120, x1, "\xE4\xB8\xAD"}, {119, x2, "c"}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(m[i].type(), want[i].op);
        EXPECT_EQ(m[i].word(4), pm);
        EXPECT_EQ(m[i].word(8), uint32_t(kFontIndex));
        EXPECT_EQ(m[i].word(12), uint32_t(kFontSize));
        EXPECT_EQ(int(m[i].word(16)), want[i].x);
        EXPECT_EQ(m[i].word(20), 30u);
        EXPECT_EQ(m[i].word(28), 0x55u);
        EXPECT_EQ(Body(m[i], 32, m[i].word(24)), want[i].text);
    }
    // Without a font: the charset number and size code 254.
    iCharId = 1;
    SL_TextOutSingle(pm, nullptr, 0, 0, "x", 0, 0);
    m = server.Take();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(std::vector<uint32_t>({m[0].word(8), m[0].word(12)}), std::vector<uint32_t>({1, 254}));
    // With the charset set, the whole text goes as one double-byte request and 0 comes back.
    bHasCharSet = 1;
    EXPECT_EQ(GL_TextOut(pm, f, nullptr, 10, 30, mixed, 0, 0, nullptr), 0);
    m = server.Take();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].type(), 120u);
    EXPECT_EQ(Body(m[0], 32, m[0].word(24)), mixed);
    bHasCharSet = 0;

    // The 510-byte cut never splits a UTF-8 character: "é" then 200 x U+4E2D.
    std::string utf8 = "\xC3\xA9";
    for (int i = 0; i < 200; ++i)
        utf8 += "\xE4\xB8\xAD";
    int end = SL_TextOutDouble(pm, f, 0, 0, utf8.c_str(), 0, 0);
    m = server.Take();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m[0].word(24), 509u);
    EXPECT_EQ(end, Adv20(0xE9) + 169 * kFontWide);

    // Bitmap fonts: size codes 8 and 16, the charset number, two-byte advances.
    SetTables(false);
    EXPECT_EQ(SL_TextOutDouble(pm, f, 4, 0, "\xD6\xD0\xCE\xC4", 0, 0), 4 + 2 * kBitmapWide);
    EXPECT_EQ(SL_TextOutSingle(pm, f, 4, 0, "ab", 0, 0), 4 + AdvBitmap('a') + AdvBitmap('b'));
    m = server.Take();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(std::vector<uint32_t>({m[0].word(8), m[0].word(12), m[1].word(8), m[1].word(12)}),
              std::vector<uint32_t>({1, 16, 1, 8}));
    EXPECT_EQ(GL_TextOutString(pm, nullptr, nullptr, 0, 0, "a\xD6\xD0", 0, 0, nullptr), AdvBitmap('a') + kBitmapWide);
    EXPECT_EQ(server.Types(), std::vector<unsigned>({102, 103}));
    iCharId = 0;
    SetTables(true);

    // Unicode text: at most 510 units; a negative count stops at the 0 unit.
    unsigned short units[600];
    for (auto& u : units)
        u = 0x4E2D;
    units[3] = 0;
    EXPECT_EQ(GL_TextOutSimple(pm, f, nullptr, 1, 2, units, (unsigned long)-1, 0, nullptr), 0);
    units[3] = 0x4E2D;
    GL_TextOutSimple(pm, nullptr, nullptr, 1, 2, units, 600, 0, nullptr);
    m = server.Take();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(std::vector<uint32_t>({m[0].word(8), m[0].word(28), m[1].word(8), m[1].word(28)}),
              std::vector<uint32_t>({uint32_t(kFontSize), 3, 254, 510}));
    EXPECT_EQ(m[1].bytes.size(), 40u + 2 * 510);

    // Nothing goes out for no target or no text.
    EXPECT_EQ(SL_TextOutS(0, 0, 0, "a", 0, 0), 0);
    EXPECT_EQ(GL_TextOut(pm, f, nullptr, 0, 0, "", 0, 0, nullptr), -1);
    EXPECT_EQ(GL_TextOut(pm, f, nullptr, 0, 0, nullptr, 0, 0, nullptr), -1);
    EXPECT_EQ(GL_TextOutSimple(pm, f, nullptr, 0, 0, units, 0, 0, nullptr), 0);
    EXPECT_TRUE(server.Take().empty());

    // Label text in the device encoding becomes UTF-8 when bLabelUtf8 is set.
    bLabelUtf8 = 1;
    EXPECT_EQ(GL_TextOutUtf82(pm, f, nullptr, 0, 0, "\xD6\xD0", 0, 0, nullptr), 0); // GB18030
    strcpy(langinfo_fname, "tradit");
    GL_TextOutUtf82(pm, f, nullptr, 0, 0, "\xA4\xA4", 0, 0, nullptr); // Big5
    m = server.Take();
    ASSERT_EQ(m.size(), 2u);
    for (auto& r : m)
        EXPECT_EQ(Body(r, 32, r.word(24)), "\xE4\xB8\xAD");
    bLabelUtf8 = 0;
    EXPECT_EQ(GL_TextOutUtf82(pm, f, nullptr, 3, 0, "a", 0, 0, nullptr), 3 + Adv20('a'));
    delete f;
}

TEST_F(Text, DrawingContextRequests) {
    GL_HDC dc;
    EXPECT_EQ(std::vector<unsigned long>({dc.get_back_color(), dc.get_text_color(), dc.getPixmap()}),
              std::vector<unsigned long>({iWhiteS, iBlackS, 0}));
    EXPECT_EQ(dc.get_text_align(), 1);
    // Without a pixmap nothing is drawn.
    dc.fill_rect(GL_HRECT{0, 0, 5, 6}, 1);
    dc.draw_line(GL_HPOINT{0, 0}, GL_HPOINT{3, 4});
    EXPECT_TRUE(server.Take().empty());

    uint32_t pm = server.NextId();
    EXPECT_EQ(dc.createPixmap(50, 40, 8), pm);
    dc.set_back_color(200);
    dc.set_text_color(9);
    server.Take();
    auto P = [](int x, int y) { return GL_HPOINT{x, y}; };
    auto R = [](int x, int y, int w, int h) { return GL_HRECT{x, y, w, h}; };
    struct Case {
        std::function<void()> draw;
        std::vector<uint32_t> want; // type, then the words from offset 8
    } cases[] = {
        {[&] { dc.fill_rect(P(10, 10), P(5, 5), 77); }, {20, 5, 5, 6, 6, 77}},
        {[&] { dc.fill_rect(P(5, 5), P(10, 12)); }, {20, 5, 5, 6, 8, 200}},
        {[&] { dc.fill_rect(P(10, 5), P(5, 10), 77); }, {}},
        {[&] { dc.fill_rect(P(3, 4), P(3, 9), 77); }, {34, 3, 4, 9, 77}},
        {[&] { dc.fill_rect(P(3, 4), P(8, 4), 77); }, {33, 3, 8, 4, 77}},
        {[&] { dc.fill_rect(P(3, 4), P(3, 4), 77); }, {27, 3, 4, 77}},
        {[&] { dc.fill_rect(R(1, 2, 5, 5), 7); }, {27, 1, 2, 7}},
        {[&] { dc.fill_rect(R(1, 2, 1, 7), 7); }, {34, 1, 2, 8, 7}},
        {[&] { dc.fill_rect(R(1, 2, 7, 1), 7); }, {33, 1, 7, 2, 7}},
        {[&] { dc.fill_rect(R(1, 2, 7, 3), 7); }, {20, 1, 2, 7, 3, 7}},
        {[&] { dc.fill_rect(R(1, 2, -3, 4), 7); }, {}},
        {[&] { dc.draw_rect(P(9, 8), P(2, 3)); }, {60, 2, 3, 8, 6, 9}},
        {[&] { dc.draw_line(P(1, 2), P(30, 40)); }, {42, 1, 2, 30, 40, 9}},
        {[&] { dc.draw_line(P(1, 2), P(1, 40)); }, {34, 1, 2, 40, 9}},
        {[&] { dc.fill_ellipse(20, 20, 5, 4); }, {82, 20, 20, 5, 4, 200}},
        {[&] { dc.draw_ellipse(20, 20, 5, 4); }, {81, 20, 20, 5, 4, 9}},
        {[&] { dc.draw_ellipse(P(1, 1), P(9, 9)); }, {}},
        {[&] { dc.draw_polygon(3, nullptr, nullptr); }, {}},
        {[&] { kpx_fill_rect(&dc, R(1, 2, 7, 3), 7); }, {20, 1, 2, 7, 3, 7}},
        {[&] { kpx_draw_line(nullptr, P(1, 2), P(3, 4)); }, {}},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        cases[i].draw();
        std::vector<Msg> m = server.Take();
        if (cases[i].want.empty()) {
            EXPECT_TRUE(m.empty()) << "case " << i;
            continue;
        }
        ASSERT_EQ(m.size(), 1u) << "case " << i;
        std::vector<uint32_t> got = {m[0].type()};
        EXPECT_EQ(m[0].word(4), pm);
        for (size_t k = 1; k < cases[i].want.size(); ++k)
            got.push_back(m[0].word(4 + 4 * k));
        EXPECT_EQ(got, cases[i].want) << "case " << i;
    }

    // Copies between contexts; rop is not used.
    GL_HDC other;
    EXPECT_EQ(dc.bitblt(1, 2, 3, 4, &other, 5, 6, 0), 0);
    other.setPixmap(0x300003);
    EXPECT_EQ(kpx_bitblt(&dc, 1, 2, 3, 4, &other, 5, 6, 0), 1);
    std::vector<Msg> m = server.Take();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(
        std::vector<uint32_t>({m[0].type(), m[0].word(4), m[0].word(8), m[0].word(12), m[0].word(16), m[0].word(36)}),
        std::vector<uint32_t>({14, pm, 0x300003, 0, 1, 6}));

    // UTF-16 text goes out as UTF-8 (scalable fonts) through GL_TextOut.
    GL_Font* f = dc.createFont("x", kFontSize, 0);
    unsigned short text[] = {'A', 0x4E2D};
    EXPECT_EQ(dc.draw_text(3, 20, text, 2), 3 + Adv20('A') + kFontWide);
    m = server.Take();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(Body(m[1], 32, m[1].word(24)), "\xE4\xB8\xAD");
    EXPECT_EQ(m[1].word(28), 9u);
    // Attaching another font deletes the owned one (the sanitizer would see a leak otherwise).
    GL_Font mine(nullptr, 0, 0);
    EXPECT_EQ(dc.set_logFont(&mine), nullptr);
    EXPECT_EQ(kpx_set_logFont(&dc, nullptr), &mine);
    (void)f;

    // Images: hdc_image_test.
    EXPECT_EQ(kpx_get_back_color(nullptr), 0u);
    EXPECT_EQ(kpx_set_text_color(&dc, 4), 9u);

    // The owned pixmap is freed with the context; an attached one is not.
    dc.~GL_HDC();
    new (&dc) GL_HDC();
    other.setPixmap(0);
    EXPECT_EQ(server.Types(), std::vector<unsigned>({11}));
}

TEST_F(Text, ShadesFontsAndCharsets) {
    int r = -1, g = -1, b = -1;
    struct Case {
        int r, g, b;
        double factor;
        int ret, wr, wg, wb;
    } cases[] = {
        {100, 50, 0, 2.0, 1, 200, 100, 0},      // value doubled
        {200, 100, 0, 2.0, 1, 255, 128, 0},     // value capped at 255
        {10, 20, 30, 1.0, 1, 10, 20, 30},       // unchanged
        {200, 200, 200, 0.5, 1, 100, 100, 100}, // grey stays grey
        {200, 100, 0, 0.505, 1, 100, 50, 0},    // whole hundredths: 0.50
        {1, 2, 3, 0.005, 0, -1, -1, -1},        // factor below 0.01
    };
    for (auto& c : cases) {
        r = g = b = -1;
        EXPECT_EQ(GetRelativeColor(c.r, c.g, c.b, &r, &g, &b, c.factor), c.ret);
        EXPECT_EQ(std::vector<int>({r, g, b}), std::vector<int>({c.wr, c.wg, c.wb})) << c.r << " x " << c.factor;
    }
    EXPECT_EQ(GetRelativeColor(1, 2, 3, nullptr, &g, &b, 1.0), 0);
    double h, s, v;
    RGB2HSV(0, 0, 255, &h, &s, &v);
    EXPECT_EQ(std::vector<double>({h, s, v}), std::vector<double>({240, 1, 255}));

    ASSERT_NE(pMFont, nullptr);
    EXPECT_EQ(std::vector<int>({GetFontAscent(), GetFontDescent(), GetFontHeight()}), std::vector<int>({14, 2, 16}));
    EXPECT_EQ(std::vector<int>(
                  {XGetFontAscent(nullptr), XGetFontHeight(nullptr), XGetFontAscent(pEFont), XGetFontDescent(pMFont)}),
              std::vector<int>({14, 16, 0, 0}));

    for (auto [arg, want] : std::vector<std::pair<int, int>>{{5, 2}, {-1, 0}, {1, 1}}) {
        bHasCharSet = 0;
        SetCharset(arg);
        EXPECT_EQ(iCharId, want);
        EXPECT_EQ(bHasCharSet, 1);
    }
    iCharId = 0;
}
