// The basic widgets on the real server and the emulated panel: a centred
// button caption lands where measurement says, a disabled label's text is
// dark grey, a group title interrupts the frame. (The tick and LED requests
// and the clicks are judged in process, touch input by client_window_test.)
// The test program itself is the client: it connects to a server started in
// a fresh emulated root and dispatches the server's events itself.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "egui.h"
#include "harness/client_process.h"
#include "harness/fonts.h"
#include "harness/panel.h"

using namespace testing_eink;

namespace {

class BasicWidgetsE2E : public ::testing::Test {
protected:
    void Start(std::vector<std::string> env = {}) {
        signal(SIGPIPE, SIG_IGN);
        WriteDefaultFontLists(root);
        ASSERT_TRUE(StartLockedServer(server, event0, root, env));
        setenv("EINK_ROOT", root.dir().c_str(), 1);
        ASSERT_GE(OpenConnection(), 0);
        InitColorS();
        InitFont();
        ASSERT_EQ(gSysInfo[92], 1) << "the server has its scalable fonts";
    }

    // Dispatches the server's events for up to ms, or until done() holds.
    bool Pump(int ms, std::function<bool()> done = nullptr) {
        long long until = MonoMs() + ms;
        while (MonoMs() < until) {
            GL_Flush(); // as egui_loop does before it waits
            pollfd p{connFd, POLLIN, 0};
            if (poll(&p, 1, 20) > 0) {
                GS_GeneralEvent_st* ev = GotEvent();
                if (!ev) return false;
                Handle_Event(ev);
            } else if (done && done()) {
                return true;
            }
        }
        return done ? done() : true;
    }

    // Waits (dispatching events) until the panel shows what check() wants;
    // check returns an empty string then, else what is wrong.
    std::string WaitPanel(std::function<std::string(PanelImage const&)> check) {
        std::string why;
        Pump(10000, [&] {
            why = check(PanelImage(root, 600, 800));
            return why.empty();
        });
        return why;
    }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
};

// Darkest nibble of a rectangle.
int Darkest(PanelImage const& p, int x, int y, int w, int h) {
    int m = 0;
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            m = std::max(m, p.Nibble(i, j));
    return m;
}

} // namespace

TEST_F(BasicWidgetsE2E, WidgetsDrawWhereAndHowTheirRulesSay) {
    Start();
    if (HasFatalFailure()) return;
    GL_Window main(nullptr, "main", 0, 0, 600, 800, iWhiteS, 0);
    const char* caption = "HOH";
    auto* button = new GL_Button(&main, "button", caption, 20, 40, 200, 48, 0);
    auto* grey = new GL_Label(&main, "grey", "Grey", 240, 40, 160, 48, 0);
    grey->SetBackColor(iWhiteS);
    grey->DisableWindow();
    auto* black = new GL_Label(&main, "black", "Black", 420, 40, 160, 48, 0);
    black->SetBackColor(iWhiteS);
    const char* title = "Title";
    new GL_Group(&main, "group", title, 20, 200, 240, 100, 0);
    main.ShowWindow(0);

    _GS_Rect r{};
    const int capW = GL_GetTextInfo(nullptr, nullptr, caption, 0, &r, nullptr, nullptr);
    ASSERT_GT(capW, 0);
    ASSERT_LT(r.height, 48);
    const int capX = (200 - capW) / 2, capTop = (48 - r.height) / 2;
    const int titleW = GL_GetTextInfo(nullptr, nullptr, title, 0, &r, nullptr, nullptr);
    const int dark = GreyToNibble(int(iDarkGreyS)), face = GreyToNibble(int(iGreyS));

    std::string why = WaitPanel([&](PanelImage const& p) -> std::string {
        std::string out;
        // Caption ink only inside the measured box, reaching both its ends.
        int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
        for (int j = 4; j < 44; ++j)
            for (int i = 4; i < 196; ++i)
                if (p.Nibble(20 + i, 40 + j) >= 12) {
                    minX = std::min(minX, i), maxX = std::max(maxX, i);
                    minY = std::min(minY, j), maxY = std::max(maxY, j);
                }
        if (minX < capX || minX > capX + 4 || maxX > capX + capW - 1 || maxX < capX + capW - 5)
            out += "caption ink x " + std::to_string(minX) + ".." + std::to_string(maxX) + " for measured " +
                   std::to_string(capX) + "+" + std::to_string(capW) + "; ";
        if (minY < capTop || maxY >= capTop + r.height) out += "caption ink outside its line; ";
        if (Darkest(p, 240, 40, 160, 48) != dark) out += "disabled text is not dark grey; ";
        if (Darkest(p, 420, 40, 160, 48) != 15) out += "enabled text is not black; ";
        // Group frame: the top edge at y 10 stops at x 8 and resumes at textW + 12.
        for (int i = 0; i < 240 - 1; ++i) {
            bool edge = i <= 8 || i >= titleW + 12;
            if (edge && p.Nibble(20 + i, 210) != dark) out += "top edge missing at " + std::to_string(i) + "; ";
        }
        for (int i : {9, 10, titleW + 11})
            if (p.Nibble(20 + i, 210) != face) out += "no gap at " + std::to_string(i) + "; ";
        if (p.Nibble(20, 200 + 50) != dark || p.Nibble(20 + 238, 200 + 50) != dark) out += "side edges missing; ";
        return out;
    });
    EXPECT_EQ(why, "");
    (void)button;
}
