// Random byte strings (valid and broken UTF-8, two-byte GB text, line feeds,
// final lead bytes) through every measuring, fitting and splitting function,
// each input in a heap block of exactly its size so that the sanitizer build
// catches any read past the end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "egui.h"
#include "gui/nc_capture.h"
#include "gui/text_tables.h"

using namespace text_test;

namespace {

struct Sample {
    std::string bytes;
    bool validUtf8 = true; // built from whole UTF-8 characters only
    int utf8Width = 0;     // their width with the default font, when valid
};

// One random input: pieces of several kinds, so that every boundary case
// (lead byte last, truncated sequences, stray continuation bytes) comes up.
Sample Make(std::mt19937& rng) {
    Sample s;
    std::uniform_int_distribution<int> len(0, rng() % 16 == 0 ? 700 : 40), kind(0, 9), byte(1, 255), ascii(1, 127);
    int pieces = len(rng);
    for (int i = 0; i < pieces; ++i) {
        switch (kind(rng)) {
        case 0:
        case 1: { // ASCII
            int c = ascii(rng);
            s.bytes += char(c);
            s.utf8Width += Adv(c);
            break;
        }
        case 2: s.bytes += '\n', s.utf8Width += Adv('\n'); break;
        case 3: { // two-byte UTF-8
            int cp = 0x80 + int(rng() % 0x780);
            s.bytes += char(0xC0 | cp >> 6);
            s.bytes += char(0x80 | (cp & 0x3F));
            s.utf8Width += cp <= 255 ? Adv(cp) : kWide;
            break;
        }
        case 4:
        case 5: { // three-byte UTF-8 (CJK)
            int cp = 0x4E00 + int(rng() % 0x5000);
            s.bytes += char(0xE0 | cp >> 12);
            s.bytes += char(0x80 | ((cp >> 6) & 0x3F));
            s.bytes += char(0x80 | (cp & 0x3F));
            s.utf8Width += kWide;
            break;
        }
        case 6: // a GB pair
            s.bytes += char(0xB0 + rng() % 0x40);
            s.bytes += char(0xA1 + rng() % 0x5E);
            s.validUtf8 = false;
            break;
        default: // any byte but NUL
            s.bytes += char(byte(rng));
            s.validUtf8 = false;
            break;
        }
    }
    if (rng() % 4 == 0) { // end in a lead byte
        s.bytes += char(0xC0 + rng() % 0x3F);
        s.validUtf8 = false;
    }
    return s;
}

struct Block {
    Block(const std::string& s, bool nul) : n(s.size()), p(static_cast<char*>(malloc(s.size() + (nul ? 1 : 0) + 1))) {
        // One spare byte only when the block is empty, so that malloc(0) is never asked for.
        memcpy(p, s.data(), s.size());
        if (nul) p[s.size()] = '\0';
    }
    ~Block() { free(p); }
    size_t n;
    char* p;
};

int Units(const std::string& s, int max, int* lineFeeds, int* dropped) {
    // Two-byte rule, as the splitter reads the text.
    int units = 0;
    *lineFeeds = *dropped = 0;
    for (size_t i = 0; i < s.size(); ++units) {
        bool wide = uint8_t(s[i]) >= 0x80 && i + 1 < s.size();
        int w = wide ? kWide : Adv(uint8_t(s[i]));
        if (!wide && s[i] == '\n')
            ++*lineFeeds;
        else if (w > max)
            ++*dropped;
        i += wide ? 2 : 1;
    }
    return units;
}

} // namespace

TEST(TextFuzz, RandomTextThroughEveryMeasuringFittingAndSplittingFunction) {
    nc_test::Capture server; // large socket buffers: a text of many runs is many requests
    ASSERT_TRUE(server.ok());
    const char* suffixes[] = {nullptr, "", "...", "\xE2\x80\xA6"};
    std::mt19937 rng(20261207);
    for (int iter = 0; iter < 2000; ++iter) {
        bool scalable = iter % 5 != 0;
        SetTables(scalable);
        Sample s = Make(rng);
        const std::string& t = s.bytes;
        SCOPED_TRACE("iteration " + std::to_string(iter));

        // Counted functions, in a block without a NUL.
        {
            Block b(t, false);
            const unsigned char* u = reinterpret_cast<const unsigned char*>(t.data());
            size_t eff = strnlen(t.c_str(), t.size());
            int sum8 = 0;
            for (size_t i = 0; i < eff; ++i)
                sum8 += scalable ? Adv(u[i]) : AdvBitmap(u[i]);
            if (b.n == 0) continue; // a count of 0 means "up to the NUL"
            EXPECT_EQ(SL_GetStringInfo8(b.p, b.n), sum8);
            EXPECT_EQ(SL_GetStringInfoSingle(nullptr, b.p, b.n), sum8);
            int wide = scalable ? kWide : kBitmapWide;
            EXPECT_EQ(SL_GetStringInfo16(b.p, b.n), int(wide * eff / 2));
            EXPECT_EQ(SL_GetStringInfoDouble(nullptr, b.p, b.n), int(wide * eff / 2));
            int gbChars = 0, chars = -1;
            int gb = GbWidth(u, eff, &gbChars);
            if (scalable) {
                EXPECT_EQ(SL_GetStringInfo816(b.p, b.n, nullptr, nullptr, nullptr, nullptr, &chars), gb);
                EXPECT_EQ(chars, gbChars);
                EXPECT_EQ(GL_GetStringInfo(nullptr, nullptr, b.p, b.n, nullptr, nullptr, nullptr), gb);
            } else {
                SL_GetStringInfo816(b.p, b.n, nullptr, nullptr, nullptr, nullptr, nullptr);
            }
            int count = -1;
            int w = CalcStringWidth2(nullptr, b.p, int(b.n), &count);
            EXPECT_LE(count, int(eff));
            int w816 = -1;
            SL_GetTextInfo816(nullptr, nullptr, b.p, b.n, nullptr, nullptr, nullptr, &w816, nullptr);
            EXPECT_EQ(w816, w);
            _GS_Rect r{};
            EXPECT_EQ(GL_GetTextInfo(nullptr, nullptr, b.p, b.n, &r, nullptr, nullptr), w);
            if (t.size() <= 300) {
                int end = GL_TextOut(0x100001, nullptr, nullptr, 7, 30, b.p, b.n, 0, nullptr);
                // Valid text drawn ends where it was measured to end.
                if (scalable && s.validUtf8) {
                    EXPECT_EQ(w, s.utf8Width);
                    EXPECT_EQ(end, 7 + w);
                }
            }
            server.Take();
        }

        // Zero-terminated functions, in a block of the text and its NUL.
        Block z(t, true);
        std::string text(z.p); // up to the first NUL, as the functions read it
        int max = int(rng() % 220) - 10;
        const char* suffix = suffixes[rng() % 4];
        EXPECT_EQ(CalcStringWidth(nullptr, z.p), CalcStringWidth2(nullptr, z.p, 0, nullptr));
        char* shortText = CalcShortString(nullptr, z.p, max, const_cast<char*>(suffix));
        if (shortText) {
            bool suffixOnly = suffix && strcmp(shortText, suffix) == 0;
            if (max > 0 && !text.empty() && !suffixOnly) {
                EXPECT_LE(CalcStringWidth(nullptr, shortText), max) << max;
            }
            free(shortText);
        }

        GL_List lines;
        int got = SplitString(nullptr, z.p, max, 0, &lines);
        EXPECT_EQ(got, lines.GetCount());
        if (text.empty() || max <= 12) {
            EXPECT_EQ(got, 0);
        } else if (scalable) {
            int lineFeeds = 0, dropped = 0, kept = 0;
            int units = Units(text, max, &lineFeeds, &dropped);
            for (GL_ListData* n = lines.head; n; n = n->next) {
                const char* line = static_cast<const char*>(n->data);
                int lineChars = 0;
                int width = GbWidth(reinterpret_cast<const unsigned char*>(line), strlen(line), &lineChars);
                EXPECT_EQ(n->value, width);
                EXPECT_LE(width, max);
                kept += lineChars;
            }
            // Every character is on a line, except line feeds and characters wider than the maximum.
            EXPECT_EQ(kept, units - lineFeeds - dropped);
        }
        for (GL_ListData* n = lines.head; n; n = n->next)
            free(n->data);
    }
}
