// The notice boxes through the real server: the host lock taken with the lock
// key, SetMsgMode / SetSDMode and SetForceUpdate on the wire, the vertical-
// screen flag by "eserver" messages, judged on the emulated panel.
#include <gtest/gtest.h>

#include "harness/eink_root.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

constexpr uint8_t kSetMsgMode = 143, kSetForceUpdate = 144, kSetSDMode = 145;

class NoticeE2E : public ::testing::Test {
protected:
    void SetUp() override {
        MakeEventFifos(root);
        ASSERT_TRUE(server.Start()) << server.Output();
        ASSERT_TRUE(event0.Open()) << server.Output();
        ASSERT_TRUE(LockHostAndSettle(event0, root)) << "the lock's pushes\n" << server.Output();
        ASSERT_TRUE(c.Open(server.socketPath()));
    }
    // A forced push, and the panel as it left it.
    PanelImage Push() {
        size_t n = PanelUpdates(root).size();
        SleepMs(150); // the push thread's pause after the previous update
        EXPECT_TRUE(c.Send(Msg(kSetForceUpdate).u32(0)));
        EXPECT_TRUE(c.Sync());
        EXPECT_TRUE(WaitPanelUpdates(root, n + 1, 3000)) << server.Output();
        return PanelImage(root, 600, 800);
    }
    void Vertical(bool on) { ASSERT_TRUE(c.UserMessage("tester", "eserver", 0, std::string(1, on ? '\1' : '\0'))); }
    // The box's black title band (right of the title) and white body below the text.
    static bool BoxShown(const PanelImage& p) {
        return p.CountOther(200, 222, 290, 34, 15) == 0 && p.CountOther(140, 390, 340, 20, 0) == 0;
    }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
    WireClient c;
};

} // namespace

TEST_F(NoticeE2E, MessageModeShowsTheBoxOnlyWithTheVerticalScreenFlagAndItStaysWhenTurnedOff) {
    PanelImage before = Push();
    ASSERT_FALSE(BoxShown(before));

    Vertical(false);
    ASSERT_TRUE(c.Send(Msg(kSetMsgMode).u32(1)));
    PanelImage hidden = Push();
    EXPECT_EQ(hidden.bytes(), before.bytes()) << "message mode with the flag off shows nothing";

    Vertical(true);
    PanelImage shown = Push();
    EXPECT_TRUE(BoxShown(shown));
    // Only the box's 370 x 200 pixels at (130, 220) changed.
    int outside = 0;
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 600; ++x)
            if ((x < 130 || x >= 500 || y < 220 || y >= 420) && shown.Nibble(x, y) != before.Nibble(x, y)) ++outside;
    EXPECT_EQ(outside, 0);

    ASSERT_TRUE(c.Send(Msg(kSetMsgMode).u32(0)));
    PanelImage after = Push();
    EXPECT_EQ(after.bytes(), shown.bytes()) << "the box stays until redrawn";

    // The storage-card box has its own text in the same place.
    ASSERT_TRUE(c.Send(Msg(kSetSDMode).u32(1)));
    PanelImage sd = Push();
    EXPECT_TRUE(BoxShown(sd));
    EXPECT_NE(sd.bytes(), shown.bytes());
}
