// The window requests against the real server, where the in-process tests
// cannot reach: a connection's teardown and shapes set from a wire pixmap.
// Each client's Draw events are the verdict.
#include <gtest/gtest.h>

#include <vector>

#include "harness/eink_root.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

constexpr uint8_t kCreateWindow = 1, kMapWindow = 5, kUnmapWindow = 6, kCreatePixmap = 10, kUpdatePixmap = 12,
                  kSetWidgetFlag = 16, kSetWinShape = 109, kQueryProgram = 124;

class WindowE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Start()) << server.Output();
        ASSERT_TRUE(a.Open(server.socketPath()));
        ASSERT_TRUE(b.Open(server.socketPath()));
    }

    static void Window(WireClient& c, uint32_t id, uint32_t parent, int x, int y, int w, int h, bool map = true,
                       bool widget = true) {
        c.Send(Msg(kCreateWindow).u32(id).u32(parent).s32(x).s32(y).s32(w).s32(h).u32(255).byte(1));
        if (widget) c.Send(Msg(kSetWidgetFlag).u32(id).u32(1));
        if (map) c.Send(Msg(kMapWindow).u32(id).byte(0));
    }

    // The identifiers of the Draw events that reach `c` before the answer to
    // a query sent now; every other event fails the test.
    static std::vector<uint32_t> Draws(WireClient& c) {
        std::vector<uint32_t> ids;
        std::vector<Bytes> before;
        EXPECT_TRUE(c.Send(Msg(kQueryProgram).text("", 32).u32(0)));
        auto reply = c.ReadType(124, 5000, &before);
        EXPECT_TRUE(reply.has_value());
        for (const Bytes& m : before) {
            EXPECT_EQ(TypeOf(m), 16) << "unexpected event";
            EXPECT_EQ(LengthOf(m), 32u);
            ids.push_back(U32At(m, 4));
        }
        return ids;
    }

    EinkRoot root;
    ServerProcess server{root};
    WireClient a, b;
};

TEST_F(WindowE2E, AClientThatDisconnectsLosesItsWindowsAndTheWindowsBeneathRepaint) {
    uint32_t back = b.NewId(), aside = b.NewId();
    Window(b, back, 0, 0, 0, 600, 800);
    Window(b, aside, 0, 500, 700, 50, 50);
    Draws(b);
    uint32_t top = a.NewId(), child = a.NewId(), inB = a.NewId();
    Window(a, top, 0, 100, 100, 200, 200);
    Window(a, child, top, 0, 0, 20, 20);
    Window(a, inB, back, 10, 10, 20, 20); // a's window inside b's
    Draws(a);
    EXPECT_TRUE(Draws(b).empty());

    a.Close();
    // Both places that a's windows covered are repainted; the window aside
    // is not.
    std::vector<uint32_t> got;
    for (int i = 0; i < 20 && got.size() < 2; ++i) {
        auto more = Draws(b);
        got.insert(got.end(), more.begin(), more.end());
        if (got.size() < 2) SleepMs(50);
    }
    EXPECT_EQ(got, (std::vector<uint32_t>{back, back}));

    // The server carries on, and b's windows still work.
    b.Send(Msg(kUnmapWindow).u32(aside).byte(0));
    EXPECT_EQ(Draws(b), std::vector<uint32_t>{back});
    EXPECT_TRUE(server.Running());
}

TEST_F(WindowE2E, AShapedWindowCoversItsLowerSiblingsByItsShapeOnly) {
    uint32_t low = b.NewId(), mid = b.NewId();
    Window(b, low, 0, 0, 0, 40, 40);   // under the shaped window's frame, outside its shape
    Window(b, mid, 0, 60, 60, 10, 10); // under its shape
    Draws(b);
    // An 80 x 80 one-bit mask set in its bottom-right quarter (48..79).
    uint32_t mask = a.NewId(), shaped = a.NewId();
    a.Send(Msg(kCreatePixmap).u32(mask).s32(80).s32(80).s32(1));
    for (int row = 0; row < 80; ++row) {
        std::vector<uint8_t> bits(10, 0);
        if (row >= 48)
            for (int i = 6; i < 10; ++i)
                bits[size_t(i)] = 0xFF;
        a.Send(Msg(kUpdatePixmap).u32(mask).u32(0).u32(uint32_t(row)).u32(80).u32(1).u32(1).bytes(bits.data(), 10));
    }
    Window(a, shaped, 0, 0, 0, 80, 80, false);
    a.Send(Msg(kSetWinShape).u32(shaped).u32(mask).s32(0).s32(0));
    a.Send(Msg(kMapWindow).u32(shaped).byte(0));
    EXPECT_EQ(Draws(a), std::vector<uint32_t>{shaped});
    a.Send(Msg(kUnmapWindow).u32(shaped).byte(0));
    EXPECT_TRUE(Draws(a).empty());
    EXPECT_EQ(Draws(b), std::vector<uint32_t>{mid});

    // The same window without a shape covers both.
    uint32_t square = a.NewId();
    Window(a, square, 0, 0, 0, 80, 80);
    Draws(a);
    EXPECT_TRUE(Draws(b).empty());
    a.Send(Msg(kUnmapWindow).u32(square).byte(0));
    EXPECT_TRUE(Draws(a).empty());
    EXPECT_EQ(Draws(b), (std::vector<uint32_t>{mid, low}));
}

} // namespace
