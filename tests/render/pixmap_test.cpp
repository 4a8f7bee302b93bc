// The pixmap table and the pixmap requests, in process with hand-built
// messages: creation, freeing, row updates, file updates, inversion, saving,
// and the pixmap-to-pixmap copies with the dither.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/handlers.h"
#include "harness/dispatch.h"
#include "harness/eink_root.h"
#include "harness/wire_client.h"
#include "render/dither.h"
#include "render/sspixmap.h"

using testing_eink::Bytes;
using testing_eink::Dispatch;
using testing_eink::Msg;

namespace {

constexpr uint8_t kCreatePixmap = 10, kFreePixmap = 11, kUpdatePixmap = 12, kCopyAreaP2P = 14, kUpdateBigPixmap = 125,
                  kInvertPixmap = 126, kCopyAreaP2P2 = 130, kCopyAreaP2P3 = 146, kSavePixmap = 254;

void Create(uint32_t id, int32_t w, int32_t h, int32_t depth = 8) {
    Dispatch(Msg(kCreatePixmap).u32(id).s32(w).s32(h).s32(depth).done());
}

void Fill(uint32_t id, uint8_t v) {
    SSPixmap* p = SS_FindPixmap(id);
    memset(p->d.pixels, v, size_t(p->d.bytesPerLine) * p->d.height);
}

uint8_t At(uint32_t id, int x, int y) {
    SSPixmap* p = SS_FindPixmap(id);
    return p->d.pixels[y * p->d.bytesPerLine + x];
}
// The pixels at the given points, as numbers.
std::vector<int> Pixels(uint32_t id, std::initializer_list<std::pair<int, int>> points) {
    std::vector<int> out;
    for (auto [x, y] : points)
        out.push_back(At(id, x, y));
    return out;
}
using V = std::vector<int>;

struct Fresh {
    Fresh() { SS_FreeAllPixmaps(); }
    ~Fresh() { SS_FreeAllPixmaps(); }
};

bool IsLevel(uint8_t v) {
    for (uint8_t l : kDitherLevels)
        if (l == v) return true;
    return false;
}

} // namespace

TEST(PixmapTable, CreationDepthAndRefusedSizes) {
    Fresh f;
    Create(5, 30, 4, 0);
    SSPixmap* p = SS_FindPixmap(5);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ((V{p->depth, int(p->d.bytesPerLine), int(p->d.kind), p->refCount}), (V{8, 30, 5, 1}));
    for (int i = 0; i < 120; ++i)
        ASSERT_EQ(p->d.pixels[i], 0) << "created black";
    Create(6, 13, 2, 1);
    EXPECT_EQ(SS_FindPixmap(6)->d.bytesPerLine, 2u); // (13 + 7) / 8
    Create(7, 0, 5);
    Create(8, 5, -1);
    Create(9, 100000, 100000); // refused rather than allocated
    Create(0, 5, 5);           // identifier 0 is never found, so never made
    for (uint32_t id : {7, 8, 9, 0})
        EXPECT_EQ(SS_FindPixmap(id), nullptr) << id;
    EXPECT_EQ(SS_PixmapCount(), 2);
}

TEST(PixmapTable, FreeingTwiceIsHarmlessAndANewerPixmapHidesAnOlderOne) {
    Fresh f;
    Create(105, 2, 2);
    Fill(105, 1);
    Create(5, 3, 3); // same bucket
    Create(105, 4, 4);
    EXPECT_EQ(SS_FindPixmap(105)->d.width, 4);
    Dispatch(Msg(kFreePixmap).u32(105).done());
    ASSERT_NE(SS_FindPixmap(105), nullptr);
    EXPECT_EQ(SS_FindPixmap(105)->d.width, 2); // the older one shows again
    EXPECT_EQ(At(105, 1, 1), 1);
    Dispatch(Msg(kFreePixmap).u32(105).done());
    Dispatch(Msg(kFreePixmap).u32(105).done());
    Dispatch(Msg(kFreePixmap).u32(777).done());
    EXPECT_EQ(SS_FindPixmap(105), nullptr);
    ASSERT_NE(SS_FindPixmap(5), nullptr);
    EXPECT_EQ(SS_PixmapCount(), 1);
}

TEST(PixmapTable, AConnectionsPixmapsGoWithIt) {
    Fresh f;
    auto* a = reinterpret_cast<SSClient*>(0x1000);
    auto* b = reinterpret_cast<SSClient*>(0x2000);
    SS_CreatePixmap(1, 2, 2, 8, a);
    SS_CreatePixmap(2, 2, 2, 8, b);
    SS_CreatePixmap(101, 2, 2, 8, a);
    EXPECT_NE(SS_FindPixmap(101), nullptr); // cached
    SS_FreeClientPixmaps(a);
    EXPECT_EQ(SS_FindPixmap(1), nullptr);
    EXPECT_EQ(SS_FindPixmap(101), nullptr);
    EXPECT_NE(SS_FindPixmap(2), nullptr);
}

TEST(PixmapRequests, UpdatePixmapWritesRowsAndDropsWhatFallsOutside) {
    Fresh f;
    Create(3, 4, 3);
    Fill(3, 9);
    auto row = [](uint32_t id, int32_t xoff, int32_t r, int32_t w, std::vector<uint8_t> data) {
        Msg m(kUpdatePixmap);
        m.u32(id).s32(xoff).s32(r).s32(w).s32(1).s32(8).bytes(data.data(), data.size());
        return m.done();
    };
    Dispatch(row(3, 0, 1, 4, {1, 2, 3, 4}));
    Dispatch(row(3, 2, 2, 4, {5, 6, 7, 8}));          // runs past the end: the last two bytes are dropped
    Dispatch(row(3, 0, 7, 4, {1, 1, 1, 1}));          // a row beyond the pixmap
    Dispatch(row(3, -100, 0, 4, {1, 1, 1, 1}));       // before it
    Dispatch(row(3, 0, 0x40000000, 0x40000000, {1})); // geometry that overflows 32 bits
    Dispatch(row(3, 0, 0x7fffffff, 0x7fffffff, {1})); // ... and 64 bits, both ways
    Dispatch(row(3, 0, -0x7fffffff, 0x7fffffff, {1}));
    Dispatch(row(3, 0, 0, 4, {}));             // claims a row it does not carry
    Dispatch(row(999, 0, 0, 4, {1, 2, 3, 4})); // no such pixmap
    EXPECT_EQ(Pixels(3, {{0, 0}, {3, 0}, {0, 1}, {3, 1}, {0, 2}, {1, 2}, {2, 2}, {3, 2}}), (V{9, 9, 1, 4, 9, 9, 5, 6}));
}

TEST(PixmapRequests, UpdateBigPixmapReadsTheFileIntoThePixmapAndDeletesIt) {
    Fresh f;
    testing_eink::EinkRoot root;
    Create(4, 3, 2);
    std::string path = root.Write("/tmp/big.raw", std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9));
    Msg m(kUpdateBigPixmap);
    m.u32(4).s32(0).s32(0).s32(3).s32(3).s32(8).text(path, 128); // three rows asked, two fit
    Dispatch(m.done());
    EXPECT_EQ(Pixels(4, {{0, 0}, {2, 1}}), (V{1, 6}));
    EXPECT_FALSE(root.Exists("/tmp/big.raw"));
    // A missing file, or a pipe, changes nothing (and does not block).
    Msg missing(kUpdateBigPixmap);
    missing.u32(4).s32(0).s32(0).s32(3).s32(2).s32(8).text(root.Path("/tmp/none.raw"), 128);
    Dispatch(missing.done());
    std::string fifo = root.MakeFifo("/tmp/pipe.raw");
    Msg pipe(kUpdateBigPixmap);
    pipe.u32(4).s32(0).s32(0).s32(3).s32(2).s32(8).text(fifo, 128);
    Dispatch(pipe.done());
    EXPECT_TRUE(root.Exists("/tmp/pipe.raw"));
    EXPECT_EQ(At(4, 0, 0), 1);
}

TEST(PixmapRequests, InvertPixmapKeepsTheTopTwoBitsInverted) {
    Fresh f;
    Create(2, 4, 2);
    SSPixmap* p = SS_FindPixmap(2);
    uint8_t in[8] = {255, 0, 100, 150, 128, 64, 7, 200};
    memcpy(p->d.pixels, in, 8);
    Dispatch(Msg(kInvertPixmap).u32(2).s32(-1).s32(0).s32(5).s32(1).done()); // x -1 shortens the area to 4
    EXPECT_EQ(Pixels(2, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}}), (V{0, 192, 128, 64, 128})); // second row untouched
    Dispatch(Msg(kInvertPixmap).u32(2).s32(2).s32(1).s32(100).s32(100).done());                // cut at both far edges
    EXPECT_EQ(Pixels(2, {{1, 1}, {2, 1}, {3, 1}}), (V{64, 192, 0}));                           // 200 is 11xxxxxx
}

TEST(PixmapRequests, SavePixmapWritesTheByteArrayFile) {
    Fresh f;
    testing_eink::EinkRoot root;
    setenv("EINK_ROOT", root.dir().c_str(), 1);
    root.MakeDir("/tmp");
    Create(8, 2, 1);
    SSPixmap* p = SS_FindPixmap(8);
    p->d.pixels[0] = 1;
    p->d.pixels[1] = 255;
    Dispatch(Msg(kSavePixmap).u32(8).done());
    EXPECT_EQ(root.Read("/tmp/pix.txt"), "/* w =2 h = 1 len=2 */\nunsigned char pix_data[]={\n0x01,0xff,\n};\n");
    unsetenv("EINK_ROOT");
}

TEST(Copies, PlainCopyClipsNegativeCornersAndFarEdges) {
    Fresh f;
    Create(1, 10, 10);
    Create(2, 10, 10);
    SSPixmap* s = SS_FindPixmap(1);
    for (int i = 0; i < 100; ++i)
        s->d.pixels[i] = uint8_t(i + 1);
    // sx = -3: lands at dx + 3 with three columns fewer, so destination
    // (7, 6) <- source (0, 0) and (8, 6) <- (1, 0).
    Dispatch(Msg(kCopyAreaP2P).u32(1).u32(2).u32(0).s32(-3).s32(0).s32(5).s32(1).s32(4).s32(6).done());
    EXPECT_EQ(Pixels(2, {{6, 6}, {7, 6}, {8, 6}, {9, 6}}), (V{0, 1, 2, 0}));
    // Negative destination corner, and a size cut at the far edges.
    Dispatch(Msg(kCopyAreaP2P).u32(1).u32(2).u32(0).s32(2).s32(2).s32(100).s32(100).s32(-1).s32(-2).done());
    EXPECT_EQ(Pixels(2, {{0, 0}, {6, 5}, {7, 5}}), (V{44, 100, 0})); // sources (3, 4) and (9, 9)
    // Missing destination: nothing.
    Dispatch(Msg(kCopyAreaP2P).u32(1).u32(3).u32(0).s32(0).s32(0).s32(5).s32(5).s32(0).s32(0).done());
}

TEST(Copies, MaskedCopyWritesOnlyWhereTheMaskHasBits) {
    Fresh f;
    Create(1, 8, 2);
    Create(2, 8, 2);
    Create(3, 8, 2, 1); // 1-bit mask, one byte per row
    Fill(1, 50);
    SSPixmap* mask = SS_FindPixmap(3);
    mask->d.pixels[0] = 0x05; // columns 0 and 2 of row 0
    mask->d.pixels[1] = 0x80; // column 7 of row 1
    Dispatch(Msg(kCopyAreaP2P).u32(1).u32(2).u32(3).s32(0).s32(0).s32(8).s32(2).s32(0).s32(0).done());
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) {
            bool set = (y == 0 && (x == 0 || x == 2)) || (y == 1 && x == 7);
            EXPECT_EQ(At(2, x, y), set ? 50 : 0) << x << "," << y;
        }
}

TEST(Dither, EndsStayAndEveryGreyLandsOnANeighbouringLevel) {
    for (int v = 0; v < 256; ++v) {
        uint8_t lo = 0, hi = 255;
        for (uint8_t l : kDitherLevels) {
            if (l <= v) lo = l;
            if (l >= v) hi = std::min(hi, l);
        }
        for (int j = 0; j < 8; ++j)
            for (int i = 0; i < 8; ++i) {
                uint8_t d = DitherPixel(uint8_t(v), i, j);
                ASSERT_TRUE((d == lo || d == hi) && (v % 255 != 0 || d == v)) << v << " -> " << int(d);
            }
    }
    // Halfway between 0 and 37 half the cells take the upper level.
    int up = 0;
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i)
            up += DitherPixel(18, i, j) == 37;
    EXPECT_NEAR(up, 31, 2);
}

TEST(Copies, ScaleToFitCentresTheImageKeepsTheMarginsAndDithersAll) {
    Fresh f;
    Create(1, 100, 50);
    Create(2, 200, 200);
    Fill(1, 255);
    Fill(2, 73); // a level: the dither keeps it
    SSPixmap* s = SS_FindPixmap(1);
    for (int y = 0; y < 50; ++y)
        s->d.pixels[y * 100 + 99] = 0; // a black last column
    Dispatch(Msg(kCopyAreaP2P2).u32(1).u32(2).u32(0).s32(0).s32(0).s32(0).s32(0).s32(0).s32(0).done());
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x) {
            uint8_t v = At(2, x, y);
            ASSERT_TRUE(IsLevel(v));
            uint8_t want = (y < 50 || y >= 150) ? 73 : x < 196 ? 255 : x >= 198 ? 0 : v;
            ASSERT_EQ(v, want) << x << "," << y; // the black column comes out doubled at 198, 199
        }
}

TEST(Copies, ScalerAveragesAreasWithRounding) {
    // Two columns 0 and 255 into one: (0 * 2048 + 255 * 2048 + 2048) / 4096 = 128.
    uint8_t src[2] = {0, 255}, dst[1] = {};
    ScaleImage(src, 2, 1, 2, dst, 1, 1, 1);
    EXPECT_EQ(dst[0], 128);
    // Three into two: 4096 * 2 / 3 = 2730 per source pixel.
    uint8_t s3[3] = {30, 60, 90}, d2[2] = {};
    ScaleImage(s3, 3, 1, 3, d2, 2, 1, 2);
    EXPECT_EQ(d2[0], (30 * 2730 + 60 * 1366 + 2048) / 4096);
    EXPECT_GE(d2[1], 70);
    EXPECT_LE(d2[1], 80);
}

TEST(Copies, CopyThenDitherDithersTheWholeDestination) {
    Fresh f;
    Create(1, 4, 4);
    Create(2, 16, 8);
    Fill(1, 255);
    Fill(2, 100);
    Dispatch(Msg(kCopyAreaP2P3).u32(1).u32(2).u32(0).s32(0).s32(0).s32(4).s32(4).s32(2).s32(2).done());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t v = At(2, x, y);
            bool copied = x >= 2 && x < 6 && y >= 2 && y < 6;
            EXPECT_TRUE(copied ? v == 255 : (v == 73 || v == 110)) << x << "," << y << ": " << int(v);
        }
}

TEST(Copies, OverlappingCopyWithinOnePixmapMovesTheOriginalPixels) {
    Fresh f;
    Create(1, 4, 6);
    SSPixmap* p = SS_FindPixmap(1);
    for (int i = 0; i < 24; ++i)
        p->d.pixels[i] = uint8_t(i + 1);
    // Rows 0..3 one row down and one column right.
    Dispatch(Msg(kCopyAreaP2P).u32(1).u32(1).u32(0).s32(0).s32(0).s32(3).s32(4).s32(1).s32(1).done());
    for (int y = 1; y <= 4; ++y)
        for (int x = 1; x <= 3; ++x)
            EXPECT_EQ(At(1, x, y), (y - 1) * 4 + (x - 1) + 1) << x << "," << y;
    // And back up again.
    Dispatch(Msg(kCopyAreaP2P).u32(1).u32(1).u32(0).s32(1).s32(1).s32(3).s32(4).s32(0).s32(0).done());
    for (int y = 0; y <= 3; ++y)
        for (int x = 0; x <= 2; ++x)
            EXPECT_EQ(At(1, x, y), y * 4 + x + 1) << x << "," << y;
    // Rows wide enough for vector moves, shifted along themselves: right by
    // 3, then left by 5.
    Create(2, 200, 3);
    SSPixmap* q = SS_FindPixmap(2);
    auto value = [](int x, int y) { return uint8_t(x * 3 + y * 50 + 1); };
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 200; ++x)
            q->d.pixels[y * 200 + x] = value(x, y);
    Dispatch(Msg(kCopyAreaP2P).u32(2).u32(2).u32(0).s32(0).s32(0).s32(190).s32(3).s32(3).s32(0).done());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(At(2, x, y), x < 3 ? value(x, y) : x < 193 ? value(x - 3, y) : value(x, y)) << x << "," << y;
    Dispatch(Msg(kCopyAreaP2P).u32(2).u32(2).u32(0).s32(8).s32(0).s32(150).s32(3).s32(3).s32(0).done());
    for (int y = 0; y < 3; ++y)
        for (int x = 3; x < 153; ++x)
            ASSERT_EQ(At(2, x, y), value(x + 5 - 3, y)) << x << "," << y;
}
