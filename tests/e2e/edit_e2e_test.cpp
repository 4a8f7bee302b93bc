// A GL_SEdit as the main window of a client of the real server on the
// emulated panel: the empty edit reaches the panel, letters typed on the
// emulated keypad become its text and reach the panel, and the caret blinks.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <vector>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_sedit.h"
#include "harness/client_process.h"
#include "harness/fonts.h"
#include "harness/launcher.h"
#include "harness/panel.h"

using namespace testing_eink;

namespace {

constexpr int kX = 100, kY = 150, kW = 300, kH = 40;

class LoggingEdit : public GL_SEdit {
public:
    using GL_SEdit::GL_SEdit;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        int r = GL_SEdit::KeyIn(text, len, code, code2, mod, released);
        ClientLog("KeyIn %u %u text=%s", code, unsigned(released), GetText() ? GetText() : "");
        return r;
    }
};

int RunClientIfAsked() {
    if (!ClientMode()) return 0;
    char name[] = "e2eedit";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    (new LoggingEdit(nullptr, "edit", "", kX, kY, kW, kH, 0))->ShowWindow(0);
    ClientLog("shown");
    egui_loop();
}

const int gClientRan = RunClientIfAsked();

} // namespace

TEST(EditE2E, TheEditReachesThePanelAndKeypadLettersBecomeItsText) {
    EinkRoot root;
    WriteFontLists(root, {kWqyMicroHei}, kWqyMicroHei);
    ServerProcess server(root);
    EventDevice keypad(root, 0);
    ASSERT_TRUE(StartLockedServer(server, keypad, root));
    ClientProcess client(root);
    client.Start();
    ASSERT_TRUE(client.WaitLog("shown")) << client.Diagnostics();
    WaitPanelQuiet(root, 1500);
    // The empty edit on the panel: its sunken frame, nothing inside it.
    PanelImage shown(root, 600, 800);
    EXPECT_GT(shown.CountOther(kX, kY, kW, kH, 0), 2 * (kW + kH));
    EXPECT_EQ(shown.CountOther(kX + 3, kY + 3, kW - 6, kH - 6, 0), 0);

    // The server sends the key's code as its text: codes 97, 98, 99 type "abc".
    for (int code : {97, 98, 99}) {
        ASSERT_TRUE(keypad.Tap(uint16_t(code)));
        SleepMs(300);
    }
    ASSERT_TRUE(client.WaitLog("text=abc", 5000)) << client.Diagnostics();

    // The letters reach the panel although the caret, blinking every 450 ms,
    // never leaves the server the quiet it waits for; and the panel images
    // that follow differ only in the caret's column.
    std::vector<PanelImage> images;
    size_t updates = PanelUpdates(root).size();
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(WaitPanelUpdates(root, updates + 1, ScaledTimeoutMs(8000))) << "update " << i;
        updates = PanelUpdates(root).size();
        images.emplace_back(root, 600, 800);
    }
    EXPECT_GT(images[0].CountOther(kX + 3, kY + 3, kW - 6, kH - 6, 0), 20) << "the typed letters";
    int pairsWithCaretChange = 0;
    for (size_t i = 1; i < images.size(); ++i) {
        int left = kW, right = -1;
        for (int y = kY; y < kY + kH; ++y)
            for (int x = kX; x < kX + kW; ++x)
                if (images[i].Nibble(x, y) != images[i - 1].Nibble(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_EQ(images[i].CountOther(0, 0, 600, kY, 0), images[0].CountOther(0, 0, 600, kY, 0));
        if (right < 0) continue;
        EXPECT_LE(right - left, 1) << "only the caret's column changes, update " << i;
        ++pairsWithCaretChange;
    }
    EXPECT_GE(pairsWithCaretChange, 2) << "the caret blinks on the panel";
}
