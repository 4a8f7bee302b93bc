// Fonts come from the metric entries of SysInfo, found at
// 1172 + charset * 32640 + (clamp(size, 7, 36) - 7) * 1088, and send nothing.
#include <gtest/gtest.h>

#include <cstring>

#include "egui.h"
#include "gui/nc_capture.h"

namespace {

// Writes a recognisable entry: word 0 = marker, word 15 + 'A' = marker + 1,
// the flag byte at 1084.
void PutEntry(int charset, int pixels, uint32_t marker) {
    unsigned char* e = gSysInfo + 1172 + charset * 32640 + (pixels - 7) * 1088;
    for (int i = 0; i < 4; ++i) {
        e[i] = uint8_t(marker >> (8 * i));
        e[4 * (15 + 'A') + i] = uint8_t((marker + 1) >> (8 * i));
    }
    e[1084] = uint8_t(marker);
}

TEST(ClientFonts, EntryOfTheCurrentCharsetAndTheClampedSize) {
    nc_test::Capture cap;
    ASSERT_TRUE(cap.ok());
    PutEntry(0, 20, 0x1020);
    PutEntry(1, 7, 0x1107);
    PutEntry(1, 36, 0x1136);
    PutEntry(2, 36, 0x1236);

    iCharId = 0;
    GL_Font* f = NC_NewFont("any", 20, 0, 0);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->Word(0), 0x1020);
    EXPECT_EQ(f->Word(15 + 'A'), 0x1021);
    EXPECT_EQ(f->Word(271) & 0xFF, 0x20);
    EXPECT_EQ(f->Word(272), 0);
    EXPECT_EQ(f->Word(-1), 0);
    delete f;

    // Size 3 uses the 7-pixel entry, size 50 the 36-pixel one.
    iCharId = 1;
    f = NC_NewFont(nullptr, 3, 0, 0);
    EXPECT_EQ(f->Word(0), 0x1107);
    delete f;
    f = NC_NewFont(nullptr, 50, 0, 0);
    EXPECT_EQ(f->Word(0), 0x1136);
    delete f;

    // A character set beyond the tables takes the last one, never memory past the record.
    iCharId = 7;
    f = NC_NewFont(nullptr, 36, 0, 0);
    EXPECT_EQ(f->Word(0), 0x1236);
    delete f;
    iCharId = 0;

    EXPECT_EQ(NC_DeleteFont(0), 1);
    EXPECT_EQ(NC_DeleteFont(0x100005), 1);
    EXPECT_EQ(NC_DeleteFont(-1), 0);
    EXPECT_TRUE(cap.Take().empty());
    EXPECT_EQ(SetWindowNoBorder(0x100001), 0);
    EXPECT_TRUE(cap.Take().empty());
}

} // namespace
