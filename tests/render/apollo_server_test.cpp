// The screen set-up of the real server, end to end: panel models, the
// start-up rotation, SetRotateMode and the "rserver" message as clients see
// them in SysInfo, and a frame buffer that is not there.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "harness/eink_root.h"
#include "harness/launcher.h"
#include "harness/panel.h"
#include "harness/server_process.h"
#include "harness/wire_client.h"

using namespace testing_eink;

namespace {

// The geometry words of SysInfo (offsets 8 to 28) of a new connection:
// logical width and height, physical width and height, depth, rotation.
std::vector<uint32_t> SysInfoGeometry(const ServerProcess& server) {
    WireClient c;
    EXPECT_TRUE(c.Open(server.socketPath()));
    std::vector<uint32_t> words;
    for (size_t off = 8; off <= 28 && off + 4 <= c.sysinfo().size(); off += 4)
        words.push_back(U32At(c.sysinfo(), off));
    return words;
}
using Geometry = std::vector<uint32_t>;

} // namespace

TEST(ScreenEndToEnd, TheLargePanelIsFoundAndReportedInSysInfo) {
    EinkRoot root(true);
    ServerProcess server(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    EXPECT_TRUE(server.WaitForOutput("bDX:0 line=225\n", 3000)) << server.Output();
    EXPECT_EQ(server.Output().find("not bDX"), std::string::npos);
    EXPECT_EQ(SysInfoGeometry(server), (Geometry{824, 1200, 824, 1200, 8, 0}));
}

TEST(ScreenEndToEnd, TheStartUpRotationGivesTheLogicalSizeOfItsMode) {
    EinkRoot root;
    ServerProcess server(root);
    ASSERT_TRUE(server.Start({"-Rleft"})) << server.Output();
    EXPECT_TRUE(server.WaitForOutput("not bDX:0 line=229\n", 3000)) << server.Output();
    EXPECT_EQ(SysInfoGeometry(server), (Geometry{800, 600, 600, 800, 8, 1}));
}

TEST(ScreenEndToEnd, SetRotateModeAndTheRserverMessageChangeWhatNewClientsSee) {
    EinkRoot root;
    ServerProcess server(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    WireClient c;
    ASSERT_TRUE(c.Open(server.socketPath()));

    // SetRotateMode (110): 4 and above are ignored.
    for (uint32_t mode : {4, 3, 2}) {
        ASSERT_TRUE(c.Send(Msg(110).u32(mode)));
        ASSERT_TRUE(c.Sync());
        bool turned = mode % 2 == 1;
        EXPECT_EQ(SysInfoGeometry(server),
                  (Geometry{turned ? 800u : 600u, turned ? 600u : 800u, 600, 800, 8, mode < 4 ? mode : 0}));
    }
    ASSERT_TRUE(c.Send(Msg(110).u32(0)));

    // "rserver": the other orientation, so the physical size turns.
    ASSERT_TRUE(c.UserMessage("tester", "rserver", 0, ""));
    ASSERT_TRUE(c.Sync());
    EXPECT_EQ(SysInfoGeometry(server), (Geometry{800, 600, 800, 600, 8, 0}));
    ASSERT_TRUE(c.UserMessage("tester", "rserver", 0, ""));
    ASSERT_TRUE(c.Sync());
    EXPECT_EQ(SysInfoGeometry(server), (Geometry{600, 800, 600, 800, 8, 0}));

    // The refresh requests are taken, short or whole, without harm; with the
    // host lock off none of them reaches the panel.
    for (uint8_t op : {128, 129, 131, 132, 133, 134, 135, 136, 137, 139, 143, 144, 145}) {
        ASSERT_TRUE(c.Send(Msg(op).u32(1).u32(1)));
        ASSERT_TRUE(c.Send(Msg(op).u32(0)));
        ASSERT_TRUE(c.Send(Msg(op)));
    }
    ASSERT_TRUE(c.Sync());
    EXPECT_TRUE(NoPanelUpdateWithin(root, 0, 1500));
    EXPECT_TRUE(server.Running());
}

TEST(ScreenEndToEnd, WithoutAFrameBufferTheServerStopsWithAMessageAndAFailureStatus) {
    // Run directly (bounded by timeout(1)) to see the exit status.
    auto run = [](const EinkRoot& root, std::string* output) {
        std::string out = root.Path("/tmp/server.out");
        std::string cmd = "EINK_ROOT=" + root.dir() + " EINK_PORT=" + std::to_string(FreePort()) +
                          " EINK_KEY_PORT=" + std::to_string(FreePort()) + " timeout 10 " +
                          ShellCommandFor(WINSERVER_PATH) + " >" + out + " 2>&1";
        int status = system(cmd.c_str());
        *output = root.Read("/tmp/server.out");
        return status;
    };
    EinkRoot root;
    root.Remove("/dev/fb0");
    std::string output;
    int status = run(root, &output);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(WEXITSTATUS(status), 124) << "still running after 10 s";
    EXPECT_NE(output.find("cannot open the frame buffer"), std::string::npos) << output;
}

TEST(ScreenEndToEnd, RotationAndOrientationChangesSendScreenSizeChangeToTopLevelWindows) {
    EinkRoot root;
    ServerProcess server(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    WireClient c;
    ASSERT_TRUE(c.Open(server.socketPath()));
    uint32_t win = c.NewId();
    // CreateWindow (1): id, parent 0 (root), x, y, w, h, background, kind.
    ASSERT_TRUE(c.Send(Msg(1).u32(win).u32(0).s32(0).s32(0).s32(100).s32(100).u32(255).byte(1)));

    // ScreenSizeChange (21): 4 window, 8 width, 12 height, 16 rotation, 20 designated 0.
    auto expectSizeChange = [&](uint32_t w, uint32_t h, uint32_t rotation) {
        std::optional<Bytes> e = c.ReadType(21, 3000);
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(*e, Msg(21).u32(win).u32(w).u32(h).u32(rotation).u32(0).done());
    };
    ASSERT_TRUE(c.Send(Msg(110).u32(1)));
    expectSizeChange(800, 600, 1);
    ASSERT_TRUE(c.Send(Msg(110).u32(2)));
    expectSizeChange(600, 800, 2);
    ASSERT_TRUE(c.Send(Msg(110).u32(0)));
    expectSizeChange(600, 800, 0);
    ASSERT_TRUE(c.UserMessage("tester", "rserver", 0, ""));
    expectSizeChange(800, 600, 0);

    // Not while the update lock (139, second word 1) is on.
    ASSERT_TRUE(c.Send(Msg(139).u32(0).u32(1)));
    ASSERT_TRUE(c.Send(Msg(110).u32(3)));
    std::vector<Bytes> skipped;
    EXPECT_FALSE(c.ReadType(21, 1000, &skipped).has_value());
    ASSERT_TRUE(c.Send(Msg(139).u32(0).u32(0)));
    ASSERT_TRUE(c.Send(Msg(110).u32(1)));
    // Landscape orientation: the logical size is the physical one turned.
    expectSizeChange(600, 800, 1);
}
