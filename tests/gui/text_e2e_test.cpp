// Text measured on the client ends where the server draws it: a line of mixed
// Latin and CJK text, drawn with GL_TextOut into a window of the real server
// on the emulated panel, has its last ink in the last column of the width
// that GL_GetTextInfo gave, and nothing in the column after it.
//
// The test program itself is the client: it connects to the server started
// in a fresh emulated root (EINK_ROOT is set before the library first
// resolves a device path).
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <string>

#include "egui.h"
#include "harness/client_process.h"
#include "harness/fonts.h"
#include "harness/panel.h"

using namespace testing_eink;

namespace {

constexpr int kWinX = 20, kWinW = 560, kWinH = 60, kX0 = 10, kBaseline = 42;

} // namespace

TEST(TextE2E, MixedLatinAndCjkTextEndsWhereItWasMeasuredAt16And24Pixels) {
    signal(SIGPIPE, SIG_IGN);
    EinkRoot root;
    WriteFontLists(root, {kWqyMicroHei}, kWqyMicroHei);
    ServerProcess server(root);
    EventDevice event0(root, 0);
    ASSERT_TRUE(StartLockedServer(server, event0, root));

    setenv("EINK_ROOT", root.dir().c_str(), 1);
    ASSERT_GE(OpenConnection(), 0);
    InitColorS();
    InitFont();
    ASSERT_EQ(gSysInfo[92], 1) << "the server has its scalable font";

    // Each line ends in an underscore, whose ink fills its cell to the right edge.
    const std::string texts[] = {"Hello \xE4\xB8\xAD\xE6\x96\x87 Text \xE5\xAD\x97\xE5\x9B\xBD ok_",
                                 "\xE4\xB8\x80"
                                 "abc \xE5\x9B\xBD\xE5\xAE\xB6 Wg_"};
    int y = 60;
    for (int size : {16, 24}) {
        for (const std::string& text : texts) {
            SCOPED_TRACE("size " + std::to_string(size) + ": " + text);
            GL_Font* font = NC_NewFont("", size, 0, 0);
            _GS_Rect r{};
            int width = GL_GetTextInfo(font, nullptr, text.c_str(), 0, &r, nullptr, nullptr);
            ASSERT_GT(width, 0);
            ASSERT_LT(kX0 + width, kWinW);
            EXPECT_EQ(GL_GetTextInfo(font, nullptr, "\xE4\xB8\xAD\xE6\x96\x87", 0, &r, nullptr, nullptr), 2 * size)
                << "ideographs are measured side by side, without gaps";

            unsigned long win = NC_CreateWindow(0, kWinX, y, kWinW, kWinH, iWhiteS, 0);
            NC_MapWindow(win, 0);
            unsigned long pm = BeginPixmap(kWinW, kWinH, 8);
            NC_FillRect(pm, 0, 0, kWinW, kWinH, iWhiteS);
            EXPECT_EQ(GL_TextOut(pm, font, nullptr, kX0, kBaseline, text.c_str(), 0, iBlackS, nullptr), kX0 + width);
            NC_CopyAreaP2W(pm, win, 0, 0, 0, kWinW, kWinH, 0, 0);
            FreePixmap(pm);
            GL_Flush(); // the test is the client and never sleeps in egui_loop
            delete font;

            // Wait until the text is on the panel and the pushes are over.
            auto shown = [&] {
                PanelImage p(root, 600, 800);
                return p.CountOther(kWinX + kWinW - 1, y, 1, kWinH, 0) == 0 &&
                       p.CountOther(kWinX, y, kWinW, kWinH, 0) > 0;
            };
            long long until = MonoMs() + 10000;
            while (MonoMs() < until && !shown())
                SleepMs(50);
            WaitPanelQuiet(root, 300);
            PanelImage panel(root, 600, 800);
            int first = -1, last = -1;
            for (int c = 0; c < kWinW; ++c) {
                if (panel.CountOther(kWinX + c, y, 1, kWinH, 0) == 0) continue;
                if (first < 0) first = c;
                last = c;
            }
            EXPECT_EQ(last, kX0 + width - 1) << "the last ink is in the last measured column";
            EXPECT_GE(first, kX0);
            EXPECT_LE(first, kX0 + 2) << "the text starts at x (less the left bearing of its first glyph)";
            y += kWinH + 10;
        }
    }
    CloseConnection();
}
