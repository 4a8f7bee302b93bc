// The basic widgets on the real server and the emulated panel: a centred
// button caption lands where measurement says, a disabled label's text is
// dark grey, a checked box shows its seven tick lines, a group title
// interrupts the frame, a four-cell LED draws "12:3" in 10-pixel cells; and
// presses on the emulated touch device toggle a check box and move the check
// between two grouped radios.
//
// The test program itself is the client: it connects to a server started in
// a fresh emulated root and dispatches the server's events itself. The
// library resolves the emulated root once per process, so each test needs a
// process of its own (ctest runs them so).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "egui.h"
#include "harness/eink_root.h"
#include "harness/fonts.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"

using namespace testing_eink;

namespace {

class BasicWidgetsE2E : public ::testing::Test {
protected:
    void Start(std::vector<std::string> env = {}) {
        static int started = 0;
        if (started++) GTEST_SKIP() << "needs a process of its own";
        signal(SIGPIPE, SIG_IGN);
        WriteDefaultFontLists(root);
        MakeEventFifos(root);
        InstallFakeMainClient(root);
        ASSERT_TRUE(server.Start({}, env)) << server.Output();
        ASSERT_TRUE(event0.Open());
        ASSERT_TRUE(event0.Hold(32, 3));
        ASSERT_TRUE(event0.Release(32));
        ASSERT_TRUE(server.WaitForOutput("lock old system2", 3000)) << server.Output();
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

class Recorder : public GL_Object {
public:
    Recorder() : GL_Object(nullptr, "recorder", 0) {}
    int ExecCallback(GL_Object*, char const* event, void* a, void*, void*, void*, void*) override {
        events.push_back(std::string(event) + (a ? std::to_string(*static_cast<unsigned char*>(a)) : ""));
        return 0;
    }
    std::vector<std::string> events;
};

} // namespace

TEST_F(BasicWidgetsE2E, WidgetsDrawWhereAndHowTheirRulesSay) {
    Start();
    if (IsSkipped() || HasFatalFailure()) return;
    GL_Window main(nullptr, "main", 0, 0, 600, 800, iWhiteS, 0);
    const char* caption = "HOH";
    auto* button = new GL_Button(&main, "button", caption, 20, 40, 200, 48, 0);
    auto* grey = new GL_Label(&main, "grey", "Grey", 240, 40, 160, 48, 0);
    grey->SetBackColor(iWhiteS);
    grey->DisableWindow();
    auto* black = new GL_Label(&main, "black", "Black", 420, 40, 160, 48, 0);
    black->SetBackColor(iWhiteS);
    auto* checked = new GL_Check(&main, "checked", "On", 20, 120, 150, 40, 0);
    checked->SetChecked(1);
    new GL_Check(&main, "unchecked", "Off", 200, 120, 150, 40, 0);
    const char* title = "Title";
    new GL_Group(&main, "group", title, 20, 200, 240, 100, 0);
    new GL_Led(&main, "led", "12:3", 300, 200, 40, 16, 4, iWhiteS);
    main.ShowWindow(0);

    _GS_Rect r{};
    const int capW = GL_GetTextInfo(nullptr, nullptr, caption, 0, &r, nullptr, nullptr);
    ASSERT_GT(capW, 0);
    ASSERT_LT(r.height, 48);
    const int capX = (200 - capW) / 2, capTop = (48 - r.height) / 2;
    const int titleW = GL_GetTextInfo(nullptr, nullptr, title, 0, &r, nullptr, nullptr);
    const int dark = GreyToNibble(int(iDarkGreyS)), face = GreyToNibble(int(iGreyS));

    // The LED as its rules build it: cell 10, digit height 14 from y 1,
    // segments 8 long and 2 thick.
    std::vector<std::string> led(16, std::string(40, '.'));
    auto ink = [&](int x, int y, int w, int h) {
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i)
                led[j][i] = '#';
    };
    auto digit = [&](int x, char const* lit) {
        int const seg[7][4] = {{x, 1, 8, 2},     {x, 1, 2, 7},     {x, 8, 2, 7}, {x, 13, 8, 2},
                               {x + 6, 8, 2, 7}, {x + 6, 1, 2, 7}, {x, 7, 8, 2}};
        for (; *lit; ++lit)
            ink(seg[*lit - '0'][0], seg[*lit - '0'][1], seg[*lit - '0'][2], seg[*lit - '0'][3]);
    };
    digit(0, "45");     // 1
    digit(10, "02356"); // 2
    ink(23, 3, 2, 2);   // ':' as two 2 x 2 squares
    ink(23, 10, 2, 2);
    digit(30, "03456"); // 3

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
        // Tick: column 5 + i from row top + from[i], three pixels, in the checked box only.
        const int top = (40 - 13) / 2, from[7] = {5, 6, 7, 6, 5, 4, 3};
        for (int i = 0; i < 7; ++i)
            for (int k = 0; k < 3; ++k) {
                if (p.Nibble(20 + 5 + i, 120 + top + from[i] + k) != 15) out += "tick pixel missing; ";
                if (p.Nibble(200 + 5 + i, 120 + top + from[i] + k) != 0) out += "unchecked box not white; ";
            }
        // Group frame: the top edge at y 10 stops at x 8 and resumes at textW + 12.
        for (int i = 0; i < 240 - 1; ++i) {
            bool edge = i <= 8 || i >= titleW + 12;
            if (edge && p.Nibble(20 + i, 210) != dark) out += "top edge missing at " + std::to_string(i) + "; ";
        }
        for (int i : {9, 10, titleW + 11})
            if (p.Nibble(20 + i, 210) != face) out += "no gap at " + std::to_string(i) + "; ";
        if (p.Nibble(20, 200 + 50) != dark || p.Nibble(20 + 238, 200 + 50) != dark) out += "side edges missing; ";
        for (int j = 0; j < 16; ++j)
            for (int i = 0; i < 40; ++i)
                if ((p.Nibble(300 + i, 200 + j) == 15) != (led[j][i] == '#')) {
                    out += "LED differs at " + std::to_string(i) + "," + std::to_string(j) + "; ";
                    j = 16;
                    break;
                }
        return out;
    });
    EXPECT_EQ(why, "");
    (void)button;
}

TEST_F(BasicWidgetsE2E, TouchPressesToggleACheckBoxAndMoveTheCheckBetweenGroupedRadios) {
    root.MakeFifo("/dev/ts");
    Start({"EINK_INPUT=touch"});
    if (IsSkipped() || HasFatalFailure()) return;
    GL_Window main(nullptr, "main", 0, 0, 600, 800, iWhiteS, 0);
    auto* check = new GL_Check(&main, "check", "Check", 100, 300, 200, 40, 0);
    auto* group = new GL_Group(&main, "group", "Group", 100, 400, 300, 150, 0);
    auto* a = new GL_Radio(group, "a", "A", 10, 40, 280, 40, 0);
    auto* b = new GL_Radio(group, "b", "B", 10, 90, 280, 40, 0);
    group->ChooseRadio(a);
    Recorder rec;
    check->AddCallback(&rec, "Clicked!", nullptr);
    for (GL_Window* radio : {a, b})
        for (char const* e : {"Clicked!", "Checked!"})
            radio->AddCallback(&rec, e, nullptr);
    main.ShowWindow(0);
    // Drawn first: the touch goes to what is on the screen.
    ASSERT_EQ(WaitPanel([&](PanelImage const& p) {
                  return p.Nibble(100 + 2, 300 + 20) != 0 ? std::string() : std::string("not drawn");
              }),
              "");

    int ts = open(root.Path("/dev/ts").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(ts, 0);
    auto tap = [&](int x, int y) {
        for (int pressure : {1, 0}) {
            uint8_t rec8[8] = {uint8_t(pressure), 0, uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8), 0, 0};
            ASSERT_EQ(write(ts, rec8, sizeof rec8), ssize_t(sizeof rec8));
            Pump(300);
        }
    };
    tap(110, 320);
    Pump(3000, [&] { return !rec.events.empty(); });
    EXPECT_EQ(rec.events, (std::vector<std::string>{"Clicked!1"})) << "the callback sees the new state";
    EXPECT_EQ(check->GetChecked(), 1);

    rec.events.clear();
    tap(100 + 10 + 20, 400 + 90 + 20);
    Pump(3000, [&] { return rec.events.size() >= 3; });
    EXPECT_EQ(rec.events, (std::vector<std::string>{"Checked!0", "Checked!1", "Clicked!1"}));
    EXPECT_EQ(a->GetChecked(), 0);
    EXPECT_EQ(b->GetChecked(), 1);
    // The dot moved on the panel: the middle of each radio's button.
    const int top = (40 - 12) / 2;
    EXPECT_EQ(WaitPanel([&](PanelImage const& p) {
                  bool bDot = p.Nibble(100 + 10 + 7, 400 + 90 + top + 5) == 15;
                  bool aDot = p.Nibble(100 + 10 + 7, 400 + 40 + top + 5) == 15;
                  return bDot && !aDot ? std::string() : std::string("the dot did not move");
              }),
              "");
    close(ts);
}
