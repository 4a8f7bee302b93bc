// Dialogs in a running client of the real server, pressed with the emulated
// touch screen: while a GL_Confirm is open a press on the main window's
// button is ignored, a press on "Cancel" closes it with result 2 and the main
// window is repainted where it was; a GL_Prompt takes keys from the keypad
// and its "OK" (which deletes the dialog inside its own "Clicked!") hands
// the typed text to "DialogData!". The client runs under the sanitizers and
// must stay alive and silent.
//
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "egui.h"
#include "harness/client_process.h"
#include "harness/fonts.h"
#include "harness/panel.h"

using namespace testing_eink;

namespace {

// The dialogs' place, and the main window's button (outside it).
constexpr int kDX = 150, kDY = 250, kDW = 300, kDH = 150;
constexpr int kButtonX = 20, kButtonY = 700, kButtonW = 200, kButtonH = 60;
// Button centres on the screen: "OK" at w - 170, "Cancel" at w - 95, top h - 40.
constexpr int kOkX = kDX + kDW - 170 + 35, kCancelX = kDX + kDW - 95 + 35, kAnswerY = kDY + kDH - 40 + 12;

class LoggingPrompt : public GL_Prompt {
public:
    using GL_Prompt::GL_Prompt;
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        int r = GL_Prompt::KeyIn(text, len, code, code2, mod, released);
        ClientLog("prompt text=%s", edit->GetText() ? edit->GetText() : "");
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
            ClientLog("DialogData! result=%d text=%s", data->result, data->text);
        } else if (std::string(event) == "Clicked!") {
            ClientLog("main clicked %d", ++clicks);
            if (clicks == 1) {
                auto* prompt = new LoggingPrompt(nullptr, "prompt", "Your name?", "", kDX, kDY, kDW, kDH, 0);
                prompt->AddCallback(this, "DialogData!", nullptr);
                prompt->ShowWindow(0);
                ClientLog("prompt shown");
            }
        }
        return 0;
    }
    int clicks = 0;
};

int RunClientIfAsked() {
    if (!ClientMode()) return 0;
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
    ClientLog("shown");
    egui_loop();
    _exit(0);
}

const int gClientRan = RunClientIfAsked();

constexpr int kWhite = GreyToNibble(255), kFace = GreyToNibble(191);

// Waits until the panel shows what check() wants: "" then, else what is wrong.
std::string WaitPanel(const EinkRoot& root, std::string (*check)(PanelImage const&)) {
    std::string why;
    WaitUntil([&] { return (why = check(PanelImage(root, 600, 800))).empty(); }, 10000, 100);
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
    EinkRoot root;
    WriteDefaultFontLists(root);
    root.MakeFifo("/dev/ts");
    for (char const* icon : {"question", "redcheck", "greencheck"})
        root.Write(std::string("/mnt/") + icon + ".xpm",
                   ReadFile(std::string(EINK_SOURCE_DIR "/data/icons/") + icon + ".xpm"));
    ServerProcess server(root);
    EventDevice keypad(root, 0);
    ASSERT_TRUE(StartLockedServer(server, keypad, root, {"EINK_INPUT=touch"}));
    ClientProcess client(root, "dialog");
    client.Start();
    ASSERT_TRUE(client.WaitLog("shown")) << client.Diagnostics();
    ASSERT_EQ(WaitPanel(root, DialogShown), "");

    TouchScreen ts(root);
    auto tap = [&](int x, int y) {
        for (int pressure : {1, 0}) {
            ASSERT_TRUE(ts.Touch(pressure, x, y));
            SleepMs(150);
        }
    };

    tap(kButtonX + kButtonW / 2, kButtonY + kButtonH / 2);
    EXPECT_FALSE(client.WaitLog("main clicked", 1500)) << "the confirm is open";
    tap(kCancelX, kAnswerY);
    ASSERT_TRUE(client.WaitLog("DialogData! result=2 text=\n", 5000)) << client.Diagnostics();
    EXPECT_EQ(WaitPanel(root, DialogGone), "");

    tap(kButtonX + kButtonW / 2, kButtonY + kButtonH / 2);
    ASSERT_TRUE(client.WaitLog("prompt shown", 5000)) << client.Diagnostics();
    EXPECT_EQ(WaitPanel(root, DialogShown), "");
    // The server sends the key's code as its text: codes 97, 98, 99 type "abc".
    for (int code : {97, 98, 99}) {
        ASSERT_TRUE(keypad.Tap(uint16_t(code)));
        SleepMs(200);
    }
    ASSERT_TRUE(client.WaitLog("prompt text=abc", 5000)) << client.Diagnostics();
    tap(kOkX, kAnswerY);
    EXPECT_TRUE(client.WaitLog("DialogData! result=1 text=abc\n", 5000)) << client.Diagnostics();
    EXPECT_EQ(WaitPanel(root, DialogGone), "");

    // The loop goes on after the dialog deleted itself inside "OK"'s "Clicked!".
    tap(kButtonX + kButtonW / 2, kButtonY + kButtonH / 2);
    EXPECT_TRUE(client.WaitLog("main clicked 2", 5000)) << client.Diagnostics();
    EXPECT_EQ(waitpid(client.pid(), nullptr, WNOHANG), 0) << "the client is alive";
    std::string said = client.Output();
    EXPECT_EQ(said.find("AddressSanitizer"), std::string::npos) << said;
    EXPECT_EQ(said.find("runtime error"), std::string::npos) << said;
}
