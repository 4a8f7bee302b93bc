// Dialogs in a running client of the real server, pressed with the emulated
// touch screen: while a GL_Confirm is open a press on the main window's
// button is ignored, a press on "Cancel" closes it with result 2 and the main
// window is repainted where it was; a GL_Prompt takes keys from the keypad
// and its "OK" (which deletes the dialog inside its own "Clicked!") hands
// the typed text to "DialogData!". The client runs under the sanitizers and
// must stay alive and silent.
//
// The client is this test program started again with EINK_DIALOG_CLIENT set.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "egui.h"
#include "harness/eink_root.h"
#include "harness/fonts.h"
#include "harness/keys.h"
#include "harness/panel.h"
#include "harness/server_process.h"

using namespace testing_eink;

namespace {

// The dialogs' place, and the main window's button (outside it).
constexpr int kDX = 150, kDY = 250, kDW = 300, kDH = 150;
constexpr int kButtonX = 20, kButtonY = 700, kButtonW = 200, kButtonH = 60;
// Button centres on the screen: "OK" at w - 170, "Cancel" at w - 95, top h - 40.
constexpr int kOkX = kDX + kDW - 170 + 35, kCancelX = kDX + kDW - 95 + 35, kAnswerY = kDY + kDH - 40 + 12;

FILE* gLog = nullptr;

__attribute__((format(printf, 1, 2))) void Log(char const* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    vfprintf(gLog, fmt, args);
    va_end(args);
    fflush(gLog);
}

class LoggingPrompt : public GL_Prompt {
public:
    using GL_Prompt::GL_Prompt;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        int r = GL_Prompt::KeyIn(text, len, code, code2, mod, released);
        Log("prompt text=%s\n", edit->GetText() ? edit->GetText() : "");
        return r;
    }
};

// The client's logic: the main button opens a prompt; every dialog's answer
// is logged.
class Client : public GL_Object {
public:
    Client() : GL_Object(nullptr, "client", 0) {}
    int ExecCallback(GL_Object*, char const* event, void* a, void*, void*, void*, void*) override {
        if (std::string(event) == "DialogData!") {
            auto* data = static_cast<GL_DialogData*>(a);
            Log("DialogData! result=%d text=%s\n", data->result, data->text);
        } else if (std::string(event) == "Clicked!") {
            Log("main clicked %d\n", ++clicks);
            if (clicks == 1) {
                auto* prompt = new LoggingPrompt(nullptr, "prompt", "Your name?", "", kDX, kDY, kDW, kDH, 0);
                prompt->AddCallback(this, "DialogData!", nullptr);
                prompt->ShowWindow(0);
                Log("prompt shown\n");
            }
        }
        return 0;
    }
    int clicks = 0;
};

int RunClientIfAsked() {
    if (!getenv("EINK_DIALOG_CLIENT")) return 0;
    gLog = fopen(getenv("EINK_DIALOG_LOG"), "a");
    if (!gLog) _exit(5);
    char name[] = "dialogclient";
    char* argv[] = {name, nullptr};
    if (!egui_init(1, argv)) _exit(6);
    auto* client = new Client;
    auto* main = new GL_Window(nullptr, "main", 0, 0, 600, 800, iWhiteS, 0);
    auto* button = new GL_Button(main, "open", "Open", kButtonX, kButtonY, kButtonW, kButtonH, 0);
    button->AddCallback(client, "Clicked!", nullptr);
    main->ShowWindow(0);
    auto* confirm = new GL_Confirm(nullptr, "confirm", "Delete this book?", kDX, kDY, kDW, kDH, 0);
    confirm->AddCallback(client, "DialogData!", nullptr);
    confirm->ShowWindow(0);
    Log("shown\n");
    egui_loop();
    _exit(0);
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

constexpr int kWhite = GreyToNibble(255), kFace = GreyToNibble(191);

// Waits until the panel shows what check() wants: "" then, else what is wrong.
std::string WaitPanel(const EinkRoot& root, std::string (*check)(PanelImage const&)) {
    std::string why;
    long long until = MonoMs() + 10000;
    do {
        why = check(PanelImage(root, 600, 800));
        if (why.empty()) return why;
        SleepMs(100);
    } while (MonoMs() < until);
    return why;
}

// A dialog's grey face with its icon's dark disc or tick at (25, 30) over
// the white main window, whose button shows beside it.
std::string DialogShown(PanelImage const& p) {
    std::string why;
    if (p.Nibble(kDX + 5, kDY + 5) != kFace) why += "no dialog face; ";
    if (p.Nibble(kDX - 5, kDY - 5) != kWhite) why += "no main window around it; ";
    if (p.CountOther(kDX + 25, kDY + 30, 16, 16, kFace) < 30) why += "no icon; ";
    if (p.CountOther(kButtonX, kButtonY, kButtonW, kButtonH, kWhite) == 0) why += "no main button; ";
    return why;
}

std::string DialogGone(PanelImage const& p) {
    return p.CountOther(kDX, kDY, kDW, kDH, kWhite) == 0 ? "" : "the main window is not repainted where the dialog was";
}

} // namespace

TEST(DialogE2E, AConfirmBlocksTheMainWindowAndAPromptHandsItsTypedTextToDialogData) {
    signal(SIGPIPE, SIG_IGN);
    EinkRoot root;
    WriteDefaultFontLists(root);
    MakeEventFifos(root);
    root.MakeFifo("/dev/ts");
    InstallFakeMainClient(root);
    for (char const* icon : {"question", "redcheck", "greencheck"})
        root.Write(std::string("/mnt/") + icon + ".xpm",
                   ReadFile(std::string(EINK_SOURCE_DIR "/data/icons/") + icon + ".xpm"));
    ServerProcess server(root);
    ASSERT_TRUE(server.Start({}, {"EINK_INPUT=touch"})) << server.Output();
    EventDevice event0(root, 0);
    ASSERT_TRUE(event0.Open());
    ASSERT_TRUE(LockHostAndSettle(event0, root, 3));

    std::string log = root.Path("/tmp/dialog.log"), out = root.Path("/tmp/dialog.out");
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        setenv("EINK_ROOT", root.dir().c_str(), 1);
        setenv("EINK_DIALOG_CLIENT", "1", 1);
        setenv("EINK_DIALOG_LOG", log.c_str(), 1);
        execl("/proc/self/exe", "dialogclient", static_cast<char*>(nullptr));
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
    ASSERT_EQ(WaitPanel(root, DialogShown), "");

    int ts = open(root.Path("/dev/ts").c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(ts, 0);
    auto tap = [&](int x, int y) {
        for (int pressure : {1, 0}) {
            uint8_t rec[8] = {uint8_t(pressure), 0, uint8_t(x), uint8_t(x >> 8), uint8_t(y), uint8_t(y >> 8), 0, 0};
            ASSERT_EQ(write(ts, rec, sizeof rec), ssize_t(sizeof rec));
            SleepMs(150);
        }
    };

    tap(kButtonX + kButtonW / 2, kButtonY + kButtonH / 2);
    EXPECT_FALSE(WaitForText(log, "main clicked", 1500)) << "the confirm is open";
    tap(kCancelX, kAnswerY);
    ASSERT_TRUE(WaitForText(log, "DialogData! result=2 text=\n", 5000)) << ReadFile(log) << ReadFile(out);
    EXPECT_EQ(WaitPanel(root, DialogGone), "");

    tap(kButtonX + kButtonW / 2, kButtonY + kButtonH / 2);
    ASSERT_TRUE(WaitForText(log, "prompt shown", 5000)) << ReadFile(log) << ReadFile(out);
    EXPECT_EQ(WaitPanel(root, DialogShown), "");
    // The server sends the key's code as its text: codes 97, 98, 99 type "abc".
    for (int code : {97, 98, 99}) {
        ASSERT_TRUE(event0.Tap(uint16_t(code)));
        SleepMs(200);
    }
    ASSERT_TRUE(WaitForText(log, "prompt text=abc", 5000)) << ReadFile(log) << ReadFile(out);
    tap(kOkX, kAnswerY);
    EXPECT_TRUE(WaitForText(log, "DialogData! result=1 text=abc\n", 5000)) << ReadFile(log) << ReadFile(out);
    EXPECT_EQ(WaitPanel(root, DialogGone), "");

    // The loop goes on after the dialog deleted itself inside "OK"'s "Clicked!".
    tap(kButtonX + kButtonW / 2, kButtonY + kButtonH / 2);
    EXPECT_TRUE(WaitForText(log, "main clicked 2", 5000)) << ReadFile(log) << ReadFile(out);
    EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), 0) << "the client is alive";
    std::string said = ReadFile(out);
    EXPECT_EQ(said.find("AddressSanitizer"), std::string::npos) << said;
    EXPECT_EQ(said.find("runtime error"), std::string::npos) << said;
    close(ts);
}
