// Text requests end to end: the real server in an emulated root, requests
// built byte by byte, pixmaps read back through SavePixmap and compared with
// FreeType's own bitmaps. The glyph and blend rules are judged in process
// (text_render_test); here what only the wire shows: requests that must draw
// nothing, hostile ones, a missing face, the charset broadcast, the panel.
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "harness/eink_root.h"
#include "harness/fonts.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/ref_text.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

// Opcodes and offsets, from the protocol tables.
constexpr uint8_t kCreateWindow = 1, kMapWindow = 5, kCopyAreaP2W = 13, kFillRect = 20, kSetCharsetMode = 123,
                  kCharsetChange = 23;
constexpr uint8_t kCreatePixmap = 10, kUpdatePixmap = 12, kTextOutS = 102, kTextOutD = 103, kTextOutSimple = 105,
                  kCreateFont = 114, kTextOutDemo = 116, kTextOutSingle = 119, kTextOutDouble = 120, kSavePixmap = 254;

using Image = RefImage;

int Changed(const Image& img, uint8_t fill) {
    int n = 0;
    for (uint8_t p : img.px)
        n += p != fill;
    return n;
}

std::vector<uint32_t> Codes(const std::string& ascii) { return std::vector<uint32_t>(ascii.begin(), ascii.end()); }

class TextWire : public ::testing::Test {
protected:
    EinkRoot root;
    ServerProcess server{root};
    WireClient client;

    void Start(const std::vector<std::string>& fonts, const std::string& defaultFont = "") {
        WriteFontLists(root, fonts, defaultFont);
        ASSERT_TRUE(server.Start());
        ASSERT_TRUE(client.Open(server.socketPath()));
    }

    uint32_t Pixmap(int w, int h, uint8_t fill) {
        uint32_t id = client.NewId();
        client.Send(Msg(kCreatePixmap).u32(id).s32(w).s32(h).s32(8));
        if (fill) {
            std::vector<uint8_t> row(size_t(w), fill);
            for (int r = 0; r < h; r++)
                client.Send(
                    Msg(kUpdatePixmap).u32(id).u32(0).s32(r).s32(w).s32(1).s32(8).bytes(row.data(), row.size()));
        }
        return id;
    }

    // The pixmap's bytes as the server's pixmap dump writes them.
    Image Read(uint32_t id) {
        root.Remove("/tmp/pix.txt");
        client.Send(Msg(kSavePixmap).u32(id));
        EXPECT_TRUE(client.Sync());
        std::string dump = root.Read("/tmp/pix.txt");
        Image img;
        if (sscanf(dump.c_str(), "/* w =%d h = %d", &img.w, &img.h) != 2) {
            ADD_FAILURE() << "no pixmap dump";
            return img;
        }
        size_t pos = dump.find('{');
        while ((pos = dump.find("0x", pos)) != std::string::npos) {
            img.px.push_back(uint8_t(strtoul(dump.c_str() + pos, nullptr, 16)));
            pos += 2;
        }
        EXPECT_EQ(img.px.size(), size_t(img.w) * size_t(img.h));
        return img;
    }

    void Single(uint8_t op, uint32_t pix, uint32_t font, int32_t size, int32_t x, int32_t y, const std::string& text,
                uint32_t pixel, int32_t count = -1) {
        client.Send(Msg(op)
                        .u32(pix)
                        .u32(font)
                        .s32(size)
                        .s32(x)
                        .s32(y)
                        .s32(count < 0 ? int32_t(text.size()) : count)
                        .u32(pixel)
                        .bytes(text.data(), text.size()));
    }
    void Simple(uint32_t pix, int32_t size, int32_t x, int32_t y, const std::vector<uint16_t>& text, uint32_t pixel) {
        Msg m(kTextOutSimple);
        m.u32(pix).s32(size).s32(x).s32(y).u32(0).u32(0).s32(int32_t(text.size())).u32(pixel).u32(0);
        for (uint16_t c : text)
            m.u16(c);
        client.Send(m);
    }
};

TEST_F(TextWire, RequestsThatDrawNothingLeaveThePixmapAlone) {
    Start({kDejaVuSans});
    uint32_t pix = Pixmap(80, 30, 200);
    Image before = Read(pix);
    Single(kTextOutS, pix, 0, 16, 2, 20, "Hello", 0);
    Single(kTextOutD, pix, 0, 16, 2, 20, "Hello", 0);
    client.Send(Msg(kCreateFont).u32(77).u32(77).text("Sans", 32).u16(16).raw(0).raw(0));
    client.Send(Msg(kTextOutDemo).u32(pix).u32(0).s32(2).s32(20).s32(0).s32(0).s32(0).s32(5).u32(0).bytes("Hello", 5));
    // Text into a window or an unknown identifier: nothing, and no harm.
    Single(kTextOutSingle, 0, 0, 16, 2, 20, "Hello", 0);
    Single(kTextOutSingle, pix + 1000, 0, 16, 2, 20, "Hello", 0);
    Simple(pix + 1000, 16, 2, 20, {'H', 'i'}, 0);
    EXPECT_EQ(Read(pix), before);
}

TEST_F(TextWire, MalformedTextRequestsNeverHurtTheServer) {
    Start({kDejaVuSans});
    uint32_t pix = Pixmap(60, 30, 255);
    // Counts far beyond the message, negative counts, text without NUL,
    // messages cut short of their fixed part, extreme pens and sizes.
    Single(kTextOutSingle, pix, 0, 16, 2, 20, "abc", 0, 100000);
    Single(kTextOutSingle, pix, 0, 16, 2, 20, "abc", 0, -5);
    Single(kTextOutSingle, pix, 0x7FFFFFFF, INT32_MIN, INT32_MAX, INT32_MIN, "abc", 0);
    Single(kTextOutDouble, pix, 0, INT32_MAX, INT32_MIN, INT32_MAX, std::string(2000, '\xE4'), 0);
    client.Send(Msg(kTextOutSingle).u32(pix).u32(0).s32(16));
    client.Send(Msg(kTextOutSimple).u32(pix).s32(16).s32(2).s32(20).u32(0).u32(0).s32(1 << 30).u32(0).u32(0).u16('A'));
    client.Send(Msg(kTextOutSimple).u32(pix).s32(16).s32(2).s32(20).u32(0).u32(0).s32(-1).u32(0).u32(0).u16('A'));
    client.Send(Msg(kTextOutSimple).u32(pix));
    std::string big(130000, 'W');
    Single(kTextOutSingle, pix, 0, 36, -100, 20, big, 0);
    ASSERT_TRUE(client.Sync());
    EXPECT_TRUE(server.Running());

    // And text still draws afterwards, with the 512-byte limit visible: the
    // long request above drew no more than 512 letters.
    uint32_t fresh = Pixmap(60, 30, 255);
    Single(kTextOutSingle, fresh, 0, 16, 2, 20, "abc", 0, 100000);
    EXPECT_EQ(Read(fresh), RefFace(kDejaVuSans, 16).Text(60, 30, 255, Codes("abc"), 2, 20, 0));
}

TEST_F(TextWire, ATextRequestWithoutAFaceIsDroppedAndTheServerKeepsServing) {
    // The only font cannot be opened by FreeType: it is listed and
    // published as absent, and text requests find no face.
    std::string bad = root.Write("/fonts/bad.ttf", std::string("\0\1\0\0garbage", 11));
    Start({bad});
    EXPECT_EQ(client.sysinfo()[92], 1);
    uint32_t pix = Pixmap(60, 30, 255);
    Single(kTextOutSingle, pix, 0, 16, 2, 20, "abc", 0);
    Simple(pix, 16, 2, 20, {'a'}, 0);
    ASSERT_TRUE(client.Sync());
    EXPECT_TRUE(server.Running());
    EXPECT_EQ(Changed(Read(pix), 255), 0);
    EXPECT_TRUE(server.WaitForOutput("text not drawn", 2000));
    // A second client is still served.
    WireClient other;
    ASSERT_TRUE(other.Open(server.socketPath()));
    EXPECT_TRUE(other.Sync());
}

TEST_F(TextWire, SetCharsetModeReachesEveryMappedChildOfTheRoot) {
    Start({kDejaVuSans});
    WireClient other;
    ASSERT_TRUE(other.Open(server.socketPath()));
    uint32_t mapped = client.NewId(), unmapped = client.NewId(), child = client.NewId(), theirs = other.NewId();
    auto window = [](WireClient& c, uint32_t id, uint32_t parent, bool map) {
        c.Send(Msg(kCreateWindow).u32(id).u32(parent).s32(10).s32(10).s32(50).s32(50).u32(255).byte(1));
        if (map) c.Send(Msg(kMapWindow).u32(id).byte(1));
    };
    window(client, mapped, 0, true);
    window(client, unmapped, 0, false);
    window(client, child, mapped, true);
    window(other, theirs, 0, true);
    ASSERT_TRUE(client.Sync());
    ASSERT_TRUE(other.Sync());

    // (Sync would read past the events: collect them by waiting instead.)
    client.Send(Msg(kSetCharsetMode).u32(0).u32(2));
    auto charsetEvents = [](WireClient& c) {
        std::vector<Bytes> events;
        while (auto m = c.Read(300))
            if (TypeOf(*m) == kCharsetChange) events.push_back(*m);
        return events;
    };
    std::vector<Bytes> mine = charsetEvents(client), others = charsetEvents(other);
    ASSERT_EQ(mine.size(), 1u);
    EXPECT_EQ(LengthOf(mine[0]), 12u);
    EXPECT_EQ(U32At(mine[0], 4), mapped);
    EXPECT_EQ(U32At(mine[0], 8), 2u);
    ASSERT_EQ(others.size(), 1u);
    EXPECT_EQ(U32At(others[0], 4), theirs);
    EXPECT_EQ(U32At(others[0], 8), 2u);
}

// Text reaches the panel: a window shows the pixmap the text was drawn
// into, panel level by panel level.
TEST_F(TextWire, TextCopiedToAWindowShowsOnThePanel) {
    WriteFontLists(root, {kWqyMicroHei}, kWqyMicroHei);
    MakeEventFifos(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    EventDevice keys(root, 0);
    ASSERT_TRUE(keys.Open());
    // A long press of the lock key gives the keys and the panel to the server.
    ASSERT_TRUE(LockHostAndSettle(keys, root, 3)) << server.Output();
    ASSERT_TRUE(server.WaitForOutput("lock old system2", 3000)) << server.Output();
    ASSERT_TRUE(client.Open(server.socketPath()));

    const int x0 = 40, y0 = 100, w = 240, h = 60;
    uint32_t win = client.NewId();
    client.Send(Msg(kCreateWindow).u32(win).u32(0).s32(x0).s32(y0).s32(w).s32(h).u32(255).byte(1));
    client.Send(Msg(kMapWindow).u32(win).byte(0));
    uint32_t pix = client.NewId();
    client.Send(Msg(kCreatePixmap).u32(pix).s32(w).s32(h).s32(8));
    client.Send(Msg(kFillRect).u32(pix).s32(0).s32(0).s32(w).s32(h).u32(255));
    Single(kTextOutSingle, pix, 0, 28, 6, 42, "Text \xE4\xB8\xAD\xE6\x96\x87", 0);
    ASSERT_TRUE(client.Sync());
    // Let the pushes that mapping caused finish first.
    size_t n = WaitPanelQuiet(root, 1200);
    SleepMs(150);

    client.Send(Msg(kCopyAreaP2W).u32(pix).u32(win).u32(0).s32(0).s32(0).s32(w).s32(h).s32(0).s32(0).u32(0));
    ASSERT_TRUE(client.Sync());
    ASSERT_TRUE(WaitPanelUpdates(root, n + 1, 5000)) << server.Output();
    SleepMs(150);

    Image want = RefFace(kWqyMicroHei, 28).Text(w, h, 255, {'T', 'e', 'x', 't', ' ', 0x4E2D, 0x6587}, 6, 42, 0);
    PanelImage panel(root, 600, 800);
    int wrong = 0, ink = 0;
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            int expected = GreyToNibble(want.at(x, y));
            ink += expected != 0;
            if (panel.Nibble(x0 + x, y0 + y) != expected && wrong++ < 5)
                ADD_FAILURE() << "at " << x << "," << y << ": nibble " << panel.Nibble(x0 + x, y0 + y) << ", want "
                              << expected;
        }
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(ink, 200);
}

} // namespace
