#include "gui_conv.h"
#include "gui_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iconv.h>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes B(std::initializer_list<int> v) {
    Bytes b;
    for (int x : v)
        b.push_back((unsigned char)x);
    return b;
}

// Runs one of the (in, out, len) converters on a copy of `in`, with an output
// buffer of outSize bytes.
Bytes Convert(char* (*f)(char*, char*, int*), Bytes in, size_t outSize, int* lenOut = nullptr) {
    std::vector<char> out(outSize + 1, char(0x5A));
    int len = int(in.size());
    char* r = f(reinterpret_cast<char*>(in.data()), out.data(), &len);
    EXPECT_EQ(r, out.data());
    EXPECT_GE(len, 0);
    EXPECT_LE(size_t(len), outSize);
    EXPECT_EQ(out[outSize], char(0x5A)) << "wrote past the output size";
    if (lenOut) *lenOut = len;
    return Bytes(out.begin(), out.begin() + len);
}

// One character through the system's iconv to a code point; -1 on failure.
long IconvDecode(const char* from, const unsigned char* bytes, size_t n) {
    iconv_t cd = iconv_open("UTF-32BE", from);
    if (cd == iconv_t(-1)) return -2;
    char in[8];
    memcpy(in, bytes, n);
    unsigned char out[8];
    char* ip = in;
    char* op = reinterpret_cast<char*>(out);
    size_t il = n, ol = sizeof out;
    size_t r = iconv(cd, &ip, &il, &op, &ol);
    iconv_close(cd);
    if (r == size_t(-1) || il != 0 || sizeof out - ol != 4) return -1;
    return long(out[0]) << 24 | long(out[1]) << 16 | long(out[2]) << 8 | long(out[3]);
}

TEST(Utf8ToUcs2, DecodesAndReplacesMalformedBytes) {
    EXPECT_EQ(Convert(MU82U, B({0xE4, 0xB8, 0xAD}), 6), B({0x4E, 0x2D}));
    EXPECT_EQ(Convert(MU82U, B({0x80}), 2), B({0x00, 0x80}));
    EXPECT_EQ(Convert(MU82U, B({'A', 0xC3, 0xA9, 'z'}), 8), B({0x00, 'A', 0x00, 0xE9, 0x00, 'z'}));
    EXPECT_EQ(Convert(MU82U, B({0xDF, 0xBF}), 4), B({0x07, 0xFF}));
    EXPECT_EQ(Convert(MU82U, B({0xEF, 0xBF, 0xBF}), 6), B({0xFF, 0xFF}));
    // Truncated final sequences are dropped.
    EXPECT_EQ(Convert(MU82U, B({'A', 0xE4, 0xB8}), 6), B({0x00, 'A'}));
    EXPECT_EQ(Convert(MU82U, B({'A', 0xC3}), 4), B({0x00, 'A'}));
    // A two-byte lead with a bad follower consumes both.
    EXPECT_EQ(Convert(MU82U, B({0xC3, 'A', 'B'}), 6), B({0x00, 0x80, 0x00, 'B'}));
    // Three-byte lead: bad second byte consumes two, bad third consumes three.
    EXPECT_EQ(Convert(MU82U, B({0xE4, 'A', 'B'}), 6), B({0x00, 0x80, 0x00, 'B'}));
    EXPECT_EQ(Convert(MU82U, B({0xE4, 0xB8, 'A', 'B'}), 8), B({0x00, 0x80, 0x00, 'B'}));
    // Four-byte forms are outside UCS-2: one replacement for four bytes.
    EXPECT_EQ(Convert(MU82U, B({0xF0, 0x9F, 0x98, 0x80, 'A'}), 10), B({0x00, 0x80, 0x00, 'A'}));
    EXPECT_EQ(Convert(MU82U, B({'A', 0xF0}), 4), B({0x00, 'A', 0x00, 0x80}));
    EXPECT_EQ(Convert(MU82U, B({0xFF, 0xFE, 'A', 'B', 'C'}), 10), B({0x00, 0x80, 0x00, 'C'}));

    char in[] = "x";
    char out[4];
    int len = 0;
    EXPECT_EQ(MU82U(in, out, &len), in);
    len = -3;
    EXPECT_EQ(MU82U(in, out, &len), out);
    EXPECT_EQ(len, 0);
}

TEST(Ucs2ToUtf8, EncodesWholeUnitsOnly) {
    int len = 0;
    EXPECT_EQ(Convert(MU2U8, B({0x00, 'A', 0x00, 0xE9, 0x4E, 0x2D, 0x07, 0xFF}), 12, &len),
              B({'A', 0xC3, 0xA9, 0xE4, 0xB8, 0xAD, 0xDF, 0xBF}));
    EXPECT_EQ(len, 8);
    EXPECT_EQ(Convert(MU2U8, B({0x00, 'A', 0x4E}), 3), B({'A'}));
    EXPECT_EQ(Convert(MU2U8, B({0x4E}), 0), B({}));
    EXPECT_EQ(Convert(MU2U8, B({0xFF, 0xFF}), 3), B({0xEF, 0xBF, 0xBF}));
}

TEST(GbAndUcs2, SingleAndDoubleByteText) {
    // "A中" and a lone final lead byte.
    EXPECT_EQ(Convert(MG2U, B({'A', 0xD6, 0xD0, 0xB0}), 8), B({0x00, 'A', 0x4E, 0x2D}));
    EXPECT_EQ(Convert(MU2G, B({0x00, 'A', 0x4E, 0x2D, 0x00}), 5), B({'A', 0xD6, 0xD0}));
    // Not in GB2312: two question marks.
    EXPECT_EQ(Convert(MU2G, B({0x00, 0xFF, 0x4E, 0x02}), 4), B({'?', '?', '?', '?'}));

    char gb[] = "\xD6\xD0\xCE\xC4"
                "A";
    int len = 5;
    char* utf8 = MG2U8(gb, &len);
    ASSERT_NE(utf8, nullptr);
    EXPECT_EQ(len, 7);
    EXPECT_STREQ(utf8, "\xE4\xB8\xAD\xE6\x96\x87"
                       "A");
    len = 7;
    char* back = MU82G(utf8, &len);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(len, 5);
    EXPECT_STREQ(back, gb);
    GL_free(utf8);
    GL_free(back);
    len = 0;
    EXPECT_EQ(MG2U8(gb, &len), nullptr);
    len = 3;
    EXPECT_EQ(MU82G(nullptr, &len), nullptr);
}

TEST(Utf8AndUcs2Buffers, AllocatingConverters) {
    int count = -1;
    unsigned short* u = Utf82UConvert("A\xE4\xB8\xAD", 0, &count);
    ASSERT_NE(u, nullptr);
    EXPECT_EQ(count, 2);
    const unsigned char* ub = reinterpret_cast<const unsigned char*>(u);
    EXPECT_EQ(Bytes(ub, ub + 10), B({0x00, 'A', 0x4E, 0x2D, 0, 0, 0, 0, 0, 0})); // zero-filled 2n+2
    int len = -1;
    char* s = U2Utf8Convert(u, count, &len);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(len, 4);
    EXPECT_STREQ(s, "A\xE4\xB8\xAD");
    GL_free(u);
    GL_free(s);
    // An explicit length stops early.
    u = Utf82UConvert("AB", 1, &count);
    EXPECT_EQ(count, 1);
    GL_free(u);
    EXPECT_EQ(Utf82UConvert("", 0, &count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(Utf82UConvert(nullptr, 3, &count), nullptr);
}

TEST(Gb18030, DecodesPairsUserAreasAndInvalidBytes) {
    struct Case {
        int b1, b2;
        unsigned short want;
        int used;
    } cases[] = {
        {0x81, 0x40, 0x4E02, 2}, {0xA1, 0xA1, 0x3000, 2}, {0xB0, 0xA1, 0x554A, 2},        {0xD6, 0xD0, 0x4E2D, 2},
        {0xFE, 0x50, 0x2E81, 2}, {0xAA, 0xA1, 0xE000, 2}, {0xAF, 0xFE, 0xE233, 2},        {0xF8, 0xA1, 0xE234, 2},
        {0xFE, 0xFE, 0xE4C5, 2}, {0xA1, 0x40, 0xE4C6, 2}, {0xA1, 0x80, 0xE4C6 + 0x3F, 2}, {0xA7, 0xA0, 0xE765, 2},
        {0x81, 0x7F, 0x20, 1},   {0x80, 0x41, 0x20, 1},   {0xFF, 0xA1, 0x20, 1},          {0x81, 0xFF, 0x20, 1},
        {0x81, 0x3F, 0x20, 1},   {'A', 'B', 'A', 1},
    };
    for (const Case& c : cases) {
        unsigned char p[2] = {(unsigned char)c.b1, (unsigned char)c.b2};
        int len = 2;
        EXPECT_EQ(Gb180302Unicode(p, &len), c.want) << std::hex << c.b1 << " " << c.b2;
        EXPECT_EQ(len, c.used) << std::hex << c.b1 << " " << c.b2;
    }
    unsigned char lead[1] = {0xD6};
    int len = 1;
    EXPECT_EQ(Gb180302Unicode(lead, &len), 0x20);
    EXPECT_EQ(len, 1);
    len = 0;
    EXPECT_EQ(Gb180302Unicode(lead, &len), 0);
    EXPECT_EQ(len, 0);
}

bool UserDefined(int b1, int b2) {
    return (b1 >= 0xAA && b1 <= 0xAF && b2 >= 0xA1) || (b1 >= 0xF8 && b2 >= 0xA1) ||
           (b1 >= 0xA1 && b1 <= 0xA7 && b2 <= 0xA0);
}

TEST(Gb18030, EveryTwoByteCharacterMatchesIconv) {
    // Six codes that iconv maps outside the BMP keep the private-use values
    // of GB18030-2005 in the 16-bit table.
    const struct {
        int code;
        unsigned short pua;
    } outside[] = {{0xFE51, 0xE816}, {0xFE52, 0xE817}, {0xFE53, 0xE818},
                   {0xFE6C, 0xE831}, {0xFE76, 0xE83B}, {0xFE91, 0xE855}};
    int checked = 0;
    for (int b1 = 0x81; b1 <= 0xFE; b1++) {
        for (int b2 = 0x40; b2 <= 0xFE; b2++) {
            if (b2 == 0x7F || UserDefined(b1, b2)) continue;
            unsigned char p[2] = {(unsigned char)b1, (unsigned char)b2};
            long want = IconvDecode("GB18030", p, 2);
            ASSERT_GE(want, 0) << std::hex << b1 << " " << b2;
            if (want > 0xFFFF)
                for (const auto& o : outside)
                    if (o.code == (b1 << 8 | b2)) want = o.pua;
            int len = 2;
            ASSERT_EQ(Gb180302Unicode(p, &len), want) << std::hex << b1 << " " << b2;
            ASSERT_EQ(len, 2);
            checked++;
        }
    }
    EXPECT_EQ(checked, 22046);
}

TEST(Gb2312, EveryCharacterRoundTripsThroughTheTables) {
    int checked = 0;
    for (int hi = 0xA1; hi <= 0xF7; hi++) {
        for (int lo = 0xA1; lo <= 0xFE; lo++) {
            unsigned char p[2] = {(unsigned char)hi, (unsigned char)lo};
            long u = IconvDecode("GB2312", p, 2);
            if (hi >= 0xA7) {
                unsigned short got = 0xFFFF;
                EXPECT_EQ(GB2UnicodeWord(p[0], p[1], &got), u < 0 ? 0 : u) << std::hex << hi << " " << lo;
                EXPECT_EQ(got, u < 0 ? 0 : u);
                int i = (hi - 0xA7) * 94 + (lo - 0xA1);
                EXPECT_EQ(GtoU[2 * i] << 8 | GtoU[2 * i + 1], u < 0 ? 0 : u);
            }
            if (u < 0) continue;
            char be[2] = {char(u >> 8), char(u & 0xFF)}, le[2] = {be[1], be[0]};
            char out[2] = {0, 0}, out2[2] = {0, 0};
            EXPECT_EQ(U2G(be, out), out);
            EXPECT_EQ(U2G2(le, out2), out2);
            ASSERT_EQ((unsigned char)out[0], hi) << std::hex << u;
            ASSERT_EQ((unsigned char)out[1], lo) << std::hex << u;
            ASSERT_EQ(Bytes(out, out + 2), Bytes(out2, out2 + 2));
            ASSERT_EQ(UtoG[2 * u], hi);
            checked++;
        }
    }
    EXPECT_EQ(checked, 7445); // 682 symbols and 6763 hanzi
    // Outside the table: zero.
    char ascii[2] = {0, 'A'}, out[2] = {1, 1};
    U2G(ascii, out);
    EXPECT_EQ(Bytes(out, out + 2), B({0, 0}));
    EXPECT_EQ(GB2UnicodeWord(0xA1, 0xA1, nullptr), 0);
    EXPECT_EQ(GB2UnicodeWord(0xB0, 0xA0, nullptr), 0);
    EXPECT_EQ(GB2UnicodeWord(0xF8, 0xA1, nullptr), 0);
    EXPECT_EQ(GB2UnicodeWord(0xB0, 0xA1, nullptr), 0x554A);
}

TEST(GbToUnicode, UnitsAreStoredLowByteFirst) {
    char s[] = "A\xD6\xD0\x81\x7F"
               "B\xD6";
    unsigned short out[8];
    memset(out, 0xEE, sizeof out);
    EXPECT_EQ(GB2UnicodeByLen(s, 7, out), 4);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(out);
    EXPECT_EQ(Bytes(b, b + 10), B({'A', 0, 0x2D, 0x4E, 0x20, 0, 'B', 0, 0xEE, 0xEE}));
    EXPECT_EQ(GB2Unicode(s, out), 4);
    EXPECT_EQ(GB2Unicode(const_cast<char*>(""), out), 0);
    EXPECT_EQ(GB2Unicode(nullptr, out), 0);
    EXPECT_EQ(GB2UnicodeByLen(s, 0, out), 0);
}

TEST(WideStrings, CharToStringAndBack) {
    const char* s = "A\xD6\xD0"
                    "B\xD6";
    unsigned short* w = nullptr;
    int count = -1;
    EXPECT_EQ(Char2String(s, 0, &w, &count), 4);
    EXPECT_EQ(count, 4);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(std::vector<unsigned short>(w, w + 4), (std::vector<unsigned short>{0x41, 0xD6D0, 0x42, 0xD6}));

    char* back = nullptr;
    int len = -1;
    EXPECT_EQ(String2Char(w, 3, &back, &len), 4);
    EXPECT_EQ(len, 4);
    EXPECT_STREQ(back, "A\xD6\xD0"
                       "B");
    GL_free(back);
    GL_free(w);

    // Into a caller's buffer, with the terminator and the single-byte flag.
    unsigned short buf[6];
    memset(buf, 0xEE, sizeof buf);
    unsigned short* pb = buf;
    unsigned char single = 7;
    EXPECT_EQ(AChar2String("ab", 0, &pb, &count, &single), 2);
    EXPECT_EQ(std::vector<unsigned short>(buf, buf + 4), (std::vector<unsigned short>{'a', 'b', 0, 0xEEEE}));
    EXPECT_EQ(single, 1);
    EXPECT_EQ(AChar2String("\xB0\xA1x", 3, &pb, &count, &single), 2);
    EXPECT_EQ(std::vector<unsigned short>(buf, buf + 3), (std::vector<unsigned short>{0xB0A1, 'x', 0}));
    EXPECT_EQ(single, 0);

    // Nothing for an empty input; nothing allocated for a leading zero unit.
    w = nullptr;
    EXPECT_EQ(Char2String("", 0, &w, &count), 0);
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(Char2String(nullptr, 4, &w, &count), 0);
    unsigned short zero[2] = {0, 'a'};
    back = nullptr;
    EXPECT_EQ(String2Char(zero, 2, &back, &len), 0);
    EXPECT_EQ(back, nullptr);
    EXPECT_EQ(String2Char(nullptr, 2, &back, &len), 0);
}

TEST(Iconv, ConvertsBig5AndGb18030ToUtf8) {
    char out[32];
    char big5[] = "\xA4\xA4\xA4\xE5"; // 中文
    memset(out, 0, sizeof out);
    EXPECT_EQ(my_iconv2("UTF-8", "BIG5", out, sizeof out, big5, 4), 6);
    EXPECT_STREQ(out, "\xE4\xB8\xAD\xE6\x96\x87");
    char gb[] = "\xD6\xD0\x81\x30\x81\x30"; // 中, then U+0080 in four bytes
    memset(out, 0, sizeof out);
    EXPECT_EQ(my_iconv2("UTF-8", "GB18030", out, sizeof out, gb, 6), 5);
    EXPECT_STREQ(out, "\xE4\xB8\xAD\xC2\x80");
    // A short output keeps what fitted; an unknown encoding gives 0.
    memset(out, 0, sizeof out);
    EXPECT_EQ(my_iconv2("UTF-8", "BIG5", out, 4, big5, 4), 3);
    EXPECT_STREQ(out, "\xE4\xB8\xAD");
    EXPECT_EQ(my_iconv2("UTF-8", "NO-SUCH-CODE", out, sizeof out, big5, 4), 0);
}

} // namespace
