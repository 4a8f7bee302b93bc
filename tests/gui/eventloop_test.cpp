// Dispatch of server messages to toolkit windows, the key-ignore time,
// transient dialogs, descriptor callbacks and the loop itself.
#include "fake_server.h"

#include "eventloop.h"
#include "gl_timeout.h"
#include "gl_window.h"
#include "harness/launcher.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> gCalls;

class Recorder : public GL_Window {
public:
    Recorder(GL_Window* parent, const char* name, int x, int y, int w, int h)
        : GL_Window(parent, name, x, y, w, h, 255, 0) {}
    std::string Tag(const char* what) { return std::string(name) + "." + what; }
    int MouseDown(int x, int y, unsigned char b) override {
        gCalls.push_back(Tag("MouseDown") + " " + std::to_string(x) + "," + std::to_string(y) + "," +
                         std::to_string(b));
        return 0;
    }
    int MouseUp(int, int, unsigned char) override { return gCalls.push_back(Tag("MouseUp")), 0; }
    int MouseMove(int, int, unsigned char) override { return gCalls.push_back(Tag("MouseMove")), 0; }
    int MouseIn(int, int, unsigned char) override { return gCalls.push_back(Tag("MouseIn")), 0; }
    int MouseOut(int, int, unsigned char) override { return gCalls.push_back(Tag("MouseOut")), 0; }
    int KeyIn(char* text, int len, unsigned code, unsigned code2, unsigned mod, unsigned char released) override {
        gCalls.push_back(Tag("KeyIn") + " [" + (text ? std::string(text) : "null") + "] " + std::to_string(len) + " " +
                         std::to_string(code) + " " + std::to_string(code2) + " " + std::to_string(mod) + " " +
                         std::to_string(released));
        return 0;
    }
    int GetFocus() override { return gCalls.push_back(Tag("GetFocus")), 0; }
    int LostFocus() override { return gCalls.push_back(Tag("LostFocus")), 0; }
    int Draw(_GS_Region*) override { return gCalls.push_back(Tag("Draw")), 0; }
    int ScreenSizeChange(int w, int h, _ROATE_MODE m) override {
        gCalls.push_back(Tag("ScreenSizeChange") + " " + std::to_string(w) + "x" + std::to_string(h) + " " +
                         std::to_string(int(m)));
        return 0;
    }
    int CharsetChange(int mode) override { return gCalls.push_back(Tag("CharsetChange ") + std::to_string(mode)), 0; }
    int GotUserMessage(char const* sender, unsigned long w1, unsigned long w2, unsigned long type, char* data,
                       unsigned long len) override {
        gCalls.push_back(Tag("GotUserMessage ") + sender + " " + std::to_string(w1) + " " + std::to_string(w2) + " " +
                         std::to_string(type) + " [" + std::string(data, len) + "]");
        return 0;
    }
};

int Dispatch(std::vector<uint8_t> ev) { return Handle_Event(reinterpret_cast<GS_GeneralEvent_st*>(ev.data())); }

std::vector<uint8_t> KeyEvent(uint32_t window, uint32_t code, const char* text) {
    size_t n = text ? strlen(text) : 0;
    unsigned len = text ? unsigned(41 + n) : 40;
    auto ev = MakeEvent(9, len, {{4, window}, {8, len}, {12, code}, {16, code + 1000}, {20, 3}, {24, 1}});
    if (text) memcpy(ev.data() + 40, text, n + 1);
    return ev;
}

std::vector<uint8_t> UserMessage(const char* sender, unsigned type, const std::string& data) {
    unsigned len = unsigned(89 + data.size());
    auto ev = MakeEvent(122, len, {{68, 11}, {72, 22}, {76, type}, {80, unsigned(data.size())}});
    memcpy(ev.data() + 4, sender, strlen(sender));
    memcpy(ev.data() + 84, data.data(), data.size());
    return ev;
}

} // namespace

TEST(HandleEvent, RoutesEachTypeToTheWindowWithItsFields) {
    FakeServer server;
    Recorder main(nullptr, "main", 0, 0, 600, 800);
    uint32_t id = uint32_t(main.GetWindowId());
    const struct {
        std::vector<uint8_t> event;
        const char* call;
    } cases[] = {
        {MakeEvent(2, 28, {{4, id}, {8, 12}, {12, uint32_t(-3)}, {16, 0x0101}}), "main.MouseDown 12,-3,1"},
        {MakeEvent(3, 28, {{4, id}}), "main.MouseUp"},
        {MakeEvent(4, 28, {{4, id}}), "main.MouseMove"},
        {MakeEvent(5, 28, {{4, id}}), "main.MouseIn"},
        {MakeEvent(6, 28, {{4, id}}), "main.MouseOut"},
        {MakeEvent(13, 8, {{4, id}}), "main.GetFocus"},
        {MakeEvent(14, 8, {{4, id}}), "main.LostFocus"},
        {MakeEvent(16, 32, {{4, id}}), "main.Draw"},
        {MakeEvent(21, 24, {{4, id}, {8, 800}, {12, 600}, {16, 1}}), "main.ScreenSizeChange 800x600 1"},
        {MakeEvent(21, 24, {{4, id}, {8, 800}, {12, 600}, {16, 3}, {20, 7}}), "main.ScreenSizeChange 799x600 3"},
        {MakeEvent(23, 12, {{4, id}, {8, 2}}), "main.CharsetChange 2"},
    };
    for (const auto& c : cases) {
        gCalls.clear();
        EXPECT_EQ(Dispatch(c.event), 0);
        EXPECT_EQ(gCalls, std::vector<std::string>{c.call});
    }

    gCalls.clear();
    EXPECT_EQ(Handle_Event(nullptr), -1);
    EXPECT_EQ(Dispatch(MakeEvent(2, 28, {{4, id + 77}})), 0) << "unknown window: dropped";
    EXPECT_EQ(Dispatch(MakeEvent(99, 8, {{4, id}})), 0) << "type without an action";
    EXPECT_EQ(Dispatch(MakeEvent(2, 8, {{4, id}})), 0) << "a mouse event too short for its fields";
    EXPECT_TRUE(gCalls.empty());
}

TEST(HandleEvent, KeyTextLengthIgnoreTimeAndProxy) {
    FakeServer server;
    Recorder main(nullptr, "main", 0, 0, 600, 800);
    Recorder button(&main, "button", 10, 10, 50, 20);
    uint32_t id = uint32_t(main.GetWindowId());
    gCalls.clear();
    EXPECT_EQ(Dispatch(KeyEvent(id, 65, nullptr)), 0);
    EXPECT_EQ(Dispatch(KeyEvent(id, 32, "ab")), 0);
    // A length word larger than the message is not trusted.
    auto lying = KeyEvent(id, 66, "x");
    FakeServer::Put(lying.data() + 8, 5000);
    EXPECT_EQ(Dispatch(lying), 0);
    // While the key-ignore time runs only 122 and 123 pass.
    SetKeyIgnoreTime(10000);
    EXPECT_EQ(Dispatch(KeyEvent(id, 122, nullptr)), 0);
    EXPECT_EQ(Dispatch(KeyEvent(id, 65, nullptr)), -1);
    EXPECT_EQ(Dispatch(KeyEvent(id, 123, nullptr)), 0);
    EXPECT_EQ(CheckKeyIgnoreTime(), 0);
    SetKeyIgnoreTime(0);
    EXPECT_EQ(CheckKeyIgnoreTime(), 1);
    // The proxy hands a child's keys to its top window.
    SetKeyProxyToTopWindow(1);
    Dispatch(KeyEvent(uint32_t(button.GetWindowId()), 28, nullptr));
    SetKeyProxyToTopWindow(0);
    Dispatch(KeyEvent(uint32_t(button.GetWindowId()), 28, nullptr));
    EXPECT_EQ(gCalls, (std::vector<std::string>{
                          "main.KeyIn [null] 0 65 1065 3 1",
                          "main.KeyIn [ab] 2 32 1032 3 1",
                          "main.KeyIn [x] 1 66 1066 3 1",
                          "main.KeyIn [null] 0 122 1122 3 1",
                          "main.KeyIn [null] 0 123 1123 3 1",
                          "main.KeyIn [null] 0 28 1028 3 1",
                          "button.KeyIn [null] 0 28 1028 3 1",
                      }));

    // The ignore time runs out by itself.
    SetKeyIgnoreTime(30);
    EXPECT_EQ(CheckKeyIgnoreTime(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(CheckKeyIgnoreTime(), 1);
    EXPECT_EQ(bSetKeyIgnore, 0);
}

TEST(HandleEvent, TransientDialogBlocksInputForOtherTopWindowsButNotDrawing) {
    FakeServer server;
    Recorder main(nullptr, "main", 0, 0, 600, 800);
    Recorder child(&main, "child", 10, 10, 50, 20);
    Recorder dialog(nullptr, "dialog", 100, 100, 200, 100);
    Recorder ok(&dialog, "ok", 10, 10, 50, 20);
    dialog.windowFlags |= GL_WIN_DIALOG;
    EXPECT_EQ(CheckIgnoreEvent(&child), 0) << "no transient yet";
    ASSERT_EQ(dialog.SetTransientFlag(&main), 0);
    EXPECT_EQ(CheckIgnoreEvent(&child), 1);
    EXPECT_EQ(CheckIgnoreEvent(&ok), 0);

    uint32_t cid = uint32_t(child.GetWindowId()), okid = uint32_t(ok.GetWindowId());
    gCalls.clear();
    EXPECT_EQ(Dispatch(MakeEvent(2, 28, {{4, cid}, {8, 1}, {12, 2}})), -1);
    EXPECT_EQ(Dispatch(KeyEvent(cid, 65, nullptr)), -1);
    EXPECT_EQ(Dispatch(MakeEvent(13, 8, {{4, cid}})), -1);
    EXPECT_EQ(Dispatch(MakeEvent(16, 32, {{4, cid}})), 0);
    EXPECT_EQ(Dispatch(MakeEvent(2, 28, {{4, okid}, {8, 1}, {12, 2}})), 0);
    EXPECT_EQ(gCalls, (std::vector<std::string>{"child.Draw", "ok.MouseDown 1,2,0"}));
}

TEST(HandleEvent, UserMessagesGoToTheMainWindowAndCloseEndsTheLoop) {
    FakeServer server;
    gCalls.clear();
    EXPECT_EQ(Dispatch(UserMessage("reader", 5, "hi")), 0) << "no main window: dropped";
    EXPECT_TRUE(gCalls.empty());
    Recorder main(nullptr, "main", 0, 0, 600, 800);
    Recorder other(nullptr, "other", 0, 0, 10, 10);
    EXPECT_EQ(Dispatch(UserMessage("reader", 5, "hello")), 0);
    bVerticalScreen = 0;
    EXPECT_EQ(Dispatch(UserMessage("eserver", 170, std::string("\x01", 1))), 0);
    EXPECT_EQ(bVerticalScreen, 1);
    EXPECT_EQ(Dispatch(UserMessage("eserver", 170, std::string("\x00", 1))), 0);
    EXPECT_EQ(bVerticalScreen, 0);
    // A data length beyond the message is cut to what arrived.
    auto lying = UserMessage("x", 5, "abc");
    FakeServer::Put(lying.data() + 80, 100000);
    EXPECT_EQ(Dispatch(lying), 0);
    ASSERT_EQ(gCalls.size(), 4u);
    EXPECT_EQ(gCalls[0], "main.GotUserMessage reader 11 22 5 [hello]");
    EXPECT_EQ(gCalls[1], std::string("main.GotUserMessage eserver 11 22 170 [\x01]"));
    EXPECT_EQ(gCalls[3].substr(0, 34), "main.GotUserMessage x 11 22 5 [abc");

    bQuitProgram = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(Dispatch(MakeEvent(255, 8, {})), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Receive Close sig from server.\n");
    EXPECT_EQ(bQuitProgram, 1);
    bQuitProgram = 0;
}

namespace {

// Counts "DataIn!" and ends the loop after `stopAfter` calls.
class Reader : public GL_Object {
public:
    explicit Reader(int stopAfter) : GL_Object(nullptr, "reader", 0), stop(stopAfter) {}
    int ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) override {
        ++calls;
        fprintf(stderr, "%s from %p #%d\n", event, static_cast<void*>(sender), calls);
        if (calls >= stop) bQuitProgram = 1;
        return 0;
    }
    int stop;
    int calls = 0;
};

} // namespace

// A reader registered twice is called twice; the quit it sets on its second
// call still lets the other readable records of that pass run.
TEST(EventLoopDeathTest, ADescriptorCallbackAddedTwiceIsCalledTwiceAndAQuitFinishesThePass) {
    GTEST_FLAG_SET(death_test_style, testing_eink::FreshProcessDeathTestStyle());
    EXPECT_EXIT(
        {
            int p[2];
            int q[2];
            if (pipe(p) != 0 || pipe(q) != 0) _exit(3);
            if (write(p[1], "x", 1) != 1 || write(q[1], "y", 1) != 1) _exit(3);
            auto* reader = new Reader(2);
            AddFDCallback(p[0], reader);
            AddFDCallback(p[0], reader);
            AddFDCallback(q[0], new Reader(100));
            if (AddFDCallback(-1, reader) != -1 || AddFDCallback(p[0], nullptr) != -1) _exit(4);
            egui_loop();
        },
        testing::ExitedWithCode(0),
        "DataIn! from \\(nil\\) #1\nDataIn! from \\(nil\\) #2\nDataIn! from \\(nil\\) #1\n");
}

TEST(FdCallbacks, RemoveTakesEveryMatchingRecord) {
    GL_Object a(nullptr, "a", 0), b(nullptr, "b", 0);
    AddFDCallback(5, &a);
    AddFDCallback(5, &a);
    AddFDCallback(6, &a);
    AddFDCallback(5, &b);
    EXPECT_EQ(RemoveFDCallback(5, &a), 2);
    EXPECT_EQ(pRFDList->count, 2);
    EXPECT_EQ(DestroyFDCallback(&a), 1);
    EXPECT_EQ(pRFDList->count, 1);
    {
        GL_Object c(nullptr, "c", 0);
        AddFDCallback(7, &c);
        EXPECT_EQ(pRFDList->count, 2);
    }
    EXPECT_EQ(pRFDList->count, 1) << "a destroyed object leaves the list";
    EXPECT_EQ(DestroyFDCallback(&b), 1);
}

namespace {

class Quitter : public GL_Object {
public:
    Quitter() : GL_Object(nullptr, "quitter", 0) {}
    int ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) override {
        fprintf(stderr, "%s %lu\n", event, GL_GetNowTime(nullptr, nullptr) - start);
        if (++count == 3) bQuitProgram = 1;
        return 0;
    }
    unsigned long start = GL_GetNowTime(nullptr, nullptr);
    int count = 0;
};

} // namespace

TEST(EventLoopDeathTest, TimersFireInsideTheLoopAndQuitEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, testing_eink::FreshProcessDeathTestStyle());
    EXPECT_EXIT(
        {
            auto* q = new Quitter();
            auto* t = new GL_Timeout(0, 100000, 1);
            t->AddCallback(q, "Timeout!", nullptr);
            t->Run();
            egui_loop();
        },
        testing::ExitedWithCode(0), "Timeout! [0-9]+\nTimeout! [0-9]+\nTimeout! [0-9]+\n");
}

TEST(EventLoopDeathTest, ServerMessagesAreDispatchedUntilClose) {
    GTEST_FLAG_SET(death_test_style, testing_eink::FreshProcessDeathTestStyle());
    EXPECT_EXIT(
        {
            FakeServer server;
            auto* main = new Recorder(nullptr, "main", 0, 0, 600, 800);
            auto draw = MakeEvent(16, 32, {{4, uint32_t(main->GetWindowId())}});
            auto close = MakeEvent(255, 8, {});
            if (write(server.serverFd(), draw.data(), draw.size()) != 32 ||
                write(server.serverFd(), close.data(), close.size()) != 8)
                _exit(3);
            gCalls.clear();
            pClientCloseFunc = [](int) {
                for (auto& c : gCalls)
                    fprintf(stderr, "call %s\n", c.c_str());
            };
            egui_loop();
        },
        testing::ExitedWithCode(0), "call main.Draw\n");
}

namespace {

// Deletes its victim (and so the victim's descriptor records) on its first
// "DataIn!", then ends the loop on its second.
class Killer : public GL_Object {
public:
    Killer() : GL_Object(nullptr, "killer", 0) {}
    int ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) override {
        fprintf(stderr, "killer %s\n", event);
        delete victim;
        victim = nullptr;
        if (++calls == 2) {
            fprintf(stderr, "records %d\n", pRFDList->count);
            bQuitProgram = 1;
        }
        return 0;
    }
    GL_Object* victim = nullptr;
    int calls = 0;
};

} // namespace

TEST(EventLoopDeathTest, ACallbackThatDeletesAnotherRegisteredObjectStopsItsCalls) {
    GTEST_FLAG_SET(death_test_style, testing_eink::FreshProcessDeathTestStyle());
    EXPECT_EXIT(
        {
            int p[2];
            if (pipe(p) != 0 || write(p[1], "x", 1) != 1) _exit(3);
            auto* killer = new Killer();
            killer->victim = new Reader(100);
            AddFDCallback(p[0], killer);
            AddFDCallback(p[0], killer->victim);
            AddFDCallback(p[0], killer->victim);
            // A closed descriptor is dropped, not polled forever.
            int q[2];
            if (pipe(q) != 0) _exit(3);
            AddFDCallback(q[0], killer);
            close(q[0]);
            egui_loop();
        },
        testing::ExitedWithCode(0), "killer DataIn!\nkiller DataIn!\nrecords 1\n");
}
