// Every decoder over random and truncated byte strings, each in a heap block
// of exactly its documented size: under AddressSanitizer a read or write one
// byte out of bounds fails the test.
#include "gui_conv.h"
#include "gui_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A heap copy of exactly n bytes (malloc(0) avoided: one guard-less byte).
struct Block {
    char* p;
    explicit Block(size_t n) : p(static_cast<char*>(malloc(n ? n : 1))) {}
    Block(const std::string& s) : Block(s.size()) { memcpy(p, s.data(), s.size()); }
    ~Block() { free(p); }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
};

// Runs every decoder on s; the checks are on lengths and on agreement
// between decoders that must agree.
void Exercise(const std::string& s) {
    const int n = int(s.size());
    SCOPED_TRACE(::testing::PrintToString(s));
    {
        Block in(s), out(2 * s.size());
        int len = n;
        MU82U(in.p, out.p, &len);
        if (n > 0) {
            ASSERT_GE(len, 0);
            ASSERT_LE(len, 2 * n);
            ASSERT_EQ(len % 2, 0);
        }
    }
    {
        Block in(s), out(3 * (s.size() / 2));
        int len = n;
        MU2U8(in.p, out.p, &len);
        ASSERT_LE(len, 3 * (n / 2));
        // Every UCS-2 unit survives a trip through UTF-8 and back.
        Block back(2 * size_t(len));
        int blen = len;
        MU82U(out.p, back.p, &blen);
        if (len > 0) {
            ASSERT_EQ(blen, n / 2 * 2);
            ASSERT_EQ(memcmp(back.p, s.data(), size_t(blen)), 0);
        }
    }
    {
        Block in(s), out(2 * s.size());
        int len = n;
        MG2U(in.p, out.p, &len);
        ASSERT_LE(len, 2 * n);
    }
    {
        Block in(s), out(s.size());
        int len = n;
        MU2G(in.p, out.p, &len);
        ASSERT_LE(len, n);
    }
    {
        Block in(s);
        int len = n;
        char* r = MG2U8(in.p, &len);
        if (r) {
            ASSERT_LE(len, 3 * n);
        }
        GL_free(r);
        len = n;
        r = MU82G(in.p, &len);
        if (r) {
            ASSERT_LE(len, 2 * n);
        }
        GL_free(r);
    }
    if (n > 0 && s[0] != 0) {
        Block in(s);
        int count = -1;
        unsigned short* u = Utf82UConvert(in.p, (unsigned long)n, &count);
        ASSERT_NE(u, nullptr);
        ASSERT_LE(count, n);
        GL_free(u);
    }
    {
        Block in(s);
        int len = -1;
        char* r = U2Utf8Convert(reinterpret_cast<unsigned short*>(in.p), n / 2, &len);
        ASSERT_NE(r, nullptr);
        ASSERT_LE(len, 3 * (n / 2));
        GL_free(r);
    }
    {
        Block in(s);
        for (int i = 0; i < n;) {
            int len = n - i;
            Gb180302Unicode(reinterpret_cast<unsigned char*>(in.p + i), &len);
            ASSERT_GE(len, 1);
            ASSERT_LE(len, std::min(2, n - i));
            i += len;
        }
    }
    {
        Block in(s), out(2 * s.size());
        int units = GB2UnicodeByLen(in.p, n, reinterpret_cast<unsigned short*>(out.p));
        ASSERT_LE(units, n);
    }
    if (n > 0) { // a length of 0 means a terminated string, which a Block is not
        Block in(s);
        unsigned short* w = nullptr;
        int count = -1;
        int units = Char2String(in.p, n, &w, &count);
        ASSERT_LE(units, n);
        if (units > 0) {
            // Back to bytes: the same text, up to the first zero byte.
            char* back = nullptr;
            int len = -1;
            int l = String2Char(w, units, &back, &len);
            if (w[0] != 0) {
                ASSERT_NE(back, nullptr);
                ASSERT_EQ(std::string(back, size_t(l)), std::string(s.c_str()).substr(0, size_t(l)));
            }
            GL_free(back);
        }
        GL_free(w);
        Block exact(2 * s.size() + 2);
        unsigned short* pw = reinterpret_cast<unsigned short*>(exact.p);
        unsigned char single = 9;
        ASSERT_EQ(AChar2String(in.p, n, &pw, &count, &single), units);
        ASSERT_EQ(pw[units], 0);
    }
}

// An independent UTF-8 encoder of one BMP code point.
void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += {char(0xC0 | cp >> 6), char(0x80 | (cp & 0x3F))};
    } else {
        out += {char(0xE0 | cp >> 12), char(0x80 | (cp >> 6 & 0x3F)), char(0x80 | (cp & 0x3F))};
    }
}

std::string RandomBytes(std::mt19937& rng, int maxLen, bool highBiased) {
    int n = int(rng() % unsigned(maxLen + 1));
    std::string s(size_t(n), '\0');
    for (char& c : s) {
        unsigned v = rng() & 0xFF;
        if (highBiased && (rng() & 1)) v |= 0x80;
        c = char(v);
    }
    return s;
}

TEST(DecoderFuzz, RandomBytesStayInBounds) {
    std::mt19937 rng(12345);
    for (int i = 0; i < 4000; i++) {
        ASSERT_NO_FATAL_FAILURE(Exercise(RandomBytes(rng, 24, i & 1)));
        if (HasFatalFailure()) return;
    }
    for (int i = 0; i < 200; i++)
        ASSERT_NO_FATAL_FAILURE(Exercise(RandomBytes(rng, 600, true)));
}

// Valid text of each encoding, cut at every position.
TEST(DecoderFuzz, TruncatedValidTextStaysInBounds) {
    std::mt19937 rng(777);
    for (int round = 0; round < 60; round++) {
        std::string utf8, gb;
        for (int k = 0; k < 12; k++) {
            unsigned cp = rng() % 0x10000;
            if (cp >= 0xD800 && cp < 0xE000) cp = 'x';
            AppendUtf8(utf8, cp);
            if (rng() % 3 == 0) {
                gb += char('a' + rng() % 26);
            } else {
                gb += char(0x81 + rng() % 126);
                gb += char(0x40 + rng() % 191);
            }
        }
        for (size_t cut = 0; cut <= utf8.size(); cut++)
            ASSERT_NO_FATAL_FAILURE(Exercise(utf8.substr(0, cut)));
        for (size_t cut = 0; cut <= gb.size(); cut++)
            ASSERT_NO_FATAL_FAILURE(Exercise(gb.substr(0, cut)));
    }
}

// Random BMP text: UTF-8 -> UCS-2 agrees with an independent encoder, and
// the allocating forms agree with the buffer forms.
TEST(DecoderFuzz, ValidUtf8DecodesExactly) {
    std::mt19937 rng(99);
    for (int round = 0; round < 500; round++) {
        std::string utf8, want;
        int units = int(rng() % 20);
        for (int k = 0; k < units; k++) {
            unsigned cp = 1 + rng() % 0xFFFF;
            want += char(cp >> 8);
            want += char(cp & 0xFF);
            AppendUtf8(utf8, cp);
        }
        Block in(utf8), out(2 * utf8.size());
        int len = int(utf8.size());
        if (len == 0) continue;
        MU82U(in.p, out.p, &len);
        ASSERT_EQ(std::string(out.p, size_t(len)), want);
        if (utf8[0] != 0) {
            int count = 0;
            unsigned short* u = Utf82UConvert(in.p, (unsigned long)utf8.size(), &count);
            ASSERT_EQ(count, units);
            ASSERT_EQ(memcmp(u, want.data(), want.size()), 0);
            int blen = 0;
            char* back = U2Utf8Convert(u, count, &blen);
            ASSERT_EQ(std::string(back, size_t(blen)), utf8);
            GL_free(back);
            GL_free(u);
        }
    }
}

} // namespace
