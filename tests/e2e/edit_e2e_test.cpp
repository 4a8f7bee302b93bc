// A GL_SEdit as the main window of a client of the real server on the
// emulated panel: the empty edit reaches the panel, and letters typed on the
// emulated keypad become its text.
//
// The client is this test program started again with EINK_E2E_CLIENT set.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "egui_conn.h"
#include "eventloop.h"
#include "gl_color.h"
#include "gl_sedit.h"
#include "harness/eink_root.h"
#include "harness/fonts.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"

using namespace testing_eink;

namespace {

constexpr int kX = 100, kY = 150, kW = 300, kH = 40;

FILE* gLog = nullptr;

class LoggingEdit : public GL_SEdit {
public:
    using GL_SEdit::GL_SEdit;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        int r = GL_SEdit::KeyIn(text, len, code, code2, mod, released);
        fprintf(gLog, "KeyIn %u %u text=%s\n", code, unsigned(released), GetText() ? GetText() : "");
        fflush(gLog);
        return r;
    }
};

int RunClientIfAsked() {
    if (!getenv("EINK_E2E_CLIENT")) return 0;
    gLog = fopen(getenv("EINK_E2E_LOG"), "a");
    if (!gLog) _exit(5);
    char name[] = "e2eedit";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    auto* edit = new LoggingEdit(nullptr, "edit", "", kX, kY, kW, kH, 0);
    edit->ShowWindow(0);
    fprintf(gLog, "shown\n");
    fflush(gLog);
    egui_loop();
}

const int gClientRan = RunClientIfAsked();

std::string ReadFile(const std::string& path) {
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool WaitForText(const std::string& path, const std::string& text, int ms) {
    long long until = MonoMs() + ms;
    while (MonoMs() < until) {
        if (ReadFile(path).find(text) != std::string::npos) return true;
        SleepMs(20);
    }
    return false;
}

} // namespace

TEST(EditE2E, TheEditReachesThePanelAndKeypadLettersBecomeItsText) {
    signal(SIGPIPE, SIG_IGN);
    EinkRoot root;
    WriteFontLists(root, {kWqyMicroHei}, kWqyMicroHei);
    MakeEventFifos(root);
    InstallFakeMainClient(root);
    ServerProcess server(root);
    ASSERT_TRUE(server.Start()) << server.Output();
    EventDevice event0(root, 0);
    ASSERT_TRUE(event0.Open());
    ASSERT_TRUE(LockHostAndSettle(event0, root, 3));

    std::string log = root.Path("/tmp/e2e_edit.log"), out = root.Path("/tmp/e2e_edit.out");
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        setenv("EINK_ROOT", root.dir().c_str(), 1);
        setenv("EINK_E2E_CLIENT", "1", 1);
        setenv("EINK_E2E_LOG", log.c_str(), 1);
        execl("/proc/self/exe", "e2eedit", static_cast<char*>(nullptr));
        _exit(127);
    }
    struct Reap {
        pid_t pid;
        ~Reap() {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    } reap{pid};
    ASSERT_TRUE(WaitForText(log, "shown", 10000)) << ReadFile(out);
    WaitPanelQuiet(root, 1500);
    // The empty edit on the panel: its sunken frame, nothing inside it.
    PanelImage shown(root, 600, 800);
    EXPECT_GT(shown.CountOther(kX, kY, kW, kH, 0), 2 * (kW + kH));
    EXPECT_EQ(shown.CountOther(kX + 3, kY + 3, kW - 6, kH - 6, 0), 0);

    // The server sends the key's code as its text: codes 97, 98, 99 type "abc".
    for (int code : {97, 98, 99}) {
        ASSERT_TRUE(event0.Tap(uint16_t(code)));
        SleepMs(300);
    }
    ASSERT_TRUE(WaitForText(log, "text=abc", 5000)) << ReadFile(log) << ReadFile(out);

    // The letters reach the panel although the caret, blinking every 450 ms,
    // never leaves the server the quiet it waits for; and the panel images
    // that follow differ only in the caret's column.
    std::vector<PanelImage> images;
    size_t updates = PanelUpdates(root).size();
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(WaitPanelUpdates(root, updates + 1, 8000)) << "update " << i;
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
