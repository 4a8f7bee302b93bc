// Runtime rules found wanting by an outside audit: callback dispatch over a
// list that changes under it, descriptor callbacks after a quit request, the
// time normalisation edges, and the drag outline on straight drags.
#include "fake_server.h"

#include "eventloop.h"
#include "gl_timeout.h"
#include "gl_window.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> gLog;

// A target that logs its calls and then runs an action.
class Target : public GL_Object {
public:
    explicit Target(const char* n) : GL_Object(nullptr, n, 0) {}
    int ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) override {
        gLog.push_back(std::string(name) + ":" + event);
        if (action) action();
        return 0;
    }
    std::function<void()> action;
};

} // namespace

TEST(CallbackDispatch, TargetsAddedDuringADispatchAreCalledButRemovedOrDeletedOnesNever) {
    GL_Object source(nullptr, "source", 0);
    Target a("a"), b("b"), late("late"), later("later");
    auto* doomed = new Target("doomed");
    Target removed("removed");

    // a adds `late` behind itself; late adds `later`; b deletes `doomed` and
    // unregisters `removed`, both of which come after it.
    source.AddCallback(&a, "Clicked!", nullptr);
    source.AddCallback(&b, "Clicked!", nullptr);
    source.AddCallback(doomed, "Clicked!", nullptr);
    source.AddCallback(&removed, "Clicked!", nullptr);
    a.action = [&] { source.AddCallback(&late, "Clicked!", nullptr); };
    late.action = [&] { source.AddCallback(&later, "Clicked!", nullptr); };
    b.action = [&] {
        delete doomed;
        doomed = nullptr;
        source.RemoveCallback(&removed, "Clicked!");
    };

    gLog.clear();
    source.gCallback("Clicked!");
    EXPECT_EQ(gLog, (std::vector<std::string>{"a:Clicked!", "b:Clicked!", "late:Clicked!", "later:Clicked!"}));

    // A target that removes itself and registers again is not called twice in
    // one dispatch, and is still registered for the next one.
    a.action = [&] {
        source.RemoveCallback(&a, "Clicked!");
        source.AddCallback(&a, "Clicked!", nullptr);
    };
    b.action = nullptr;
    late.action = nullptr;
    gLog.clear();
    source.gCallback("Clicked!");
    EXPECT_EQ(gLog, (std::vector<std::string>{"a:Clicked!", "b:Clicked!", "late:Clicked!", "later:Clicked!"}));
    a.action = nullptr;
    gLog.clear();
    source.gCallback("Clicked!");
    EXPECT_EQ(gLog, (std::vector<std::string>{"b:Clicked!", "late:Clicked!", "later:Clicked!", "a:Clicked!"}));
}

namespace {

// Sets bQuitProgram on its "DataIn!" and says so on standard error.
class QuitReader : public GL_Object {
public:
    QuitReader(const char* n, bool quit) : GL_Object(nullptr, n, 0), quit_(quit) {}
    int ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) override {
        fprintf(stderr, "%s %s\n", name, event);
        if (quit_) bQuitProgram = 1;
        return 0;
    }

private:
    bool quit_;
};

} // namespace

TEST(EventLoopDeathTest, AQuitSetByADescriptorCallbackStillLetsTheOtherReadableRecordsOfThePassRun) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            int p[2];
            int q[2];
            if (pipe(p) != 0 || pipe(q) != 0) _exit(3);
            if (write(p[1], "x", 1) != 1 || write(q[1], "y", 1) != 1) _exit(3);
            AddFDCallback(p[0], new QuitReader("first", true));
            AddFDCallback(q[0], new QuitReader("second", false));
            egui_loop();
        },
        testing::ExitedWithCode(0), "first DataIn!\nsecond DataIn!\n");
}

TEST(TimeEdges, ExactlyOneSecondOfMicrosecondsIsNotCarried) {
    // GL_CheckTime carries only counts above 1000000.
    struct Case {
        long s, us, wantS, wantUs;
    };
    for (const Case& c :
         {Case{1, 1000000, 1, 1000000}, Case{1, 1000001, 2, 1}, Case{1, 999999, 1, 999999}, Case{0, 3000000, 3, 0}}) {
        long s = c.s, us = c.us;
        GL_CheckTime(&s, &us);
        EXPECT_EQ(s, c.wantS) << c.s << "," << c.us;
        EXPECT_EQ(us, c.wantUs) << c.s << "," << c.us;
    }

    // CalcTimeDiffMS carries only millisecond counts above 1000: later
    // (1 s, 1000 ms) stays one second before the earlier (2 s, 0), which is
    // negative; with 1001 ms it is carried and 1 ms after.
    unsigned char negative = 0;
    timeval later{1, 1000000}, earlier{2, 0};
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, &negative), 0);
    EXPECT_EQ(negative, 1);
    EXPECT_EQ(later.tv_sec, 1);
    EXPECT_EQ(later.tv_usec, 1000000) << "a count of exactly 1000 ms leaves the record as it was";

    negative = 0;
    later = {1, 1001000};
    earlier = {2, 0};
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, &negative), 1);
    EXPECT_EQ(negative, 0);
    EXPECT_EQ(later.tv_sec, 2);
    EXPECT_EQ(later.tv_usec, 1000);

    // Same seconds, later holding exactly 1000 ms: 1000 ms after.
    later = {5, 1000000};
    earlier = {5, 0};
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, &negative), 1000);
    EXPECT_EQ(negative, 0);
}

namespace {

std::vector<uint32_t> Words(const Msg& m) {
    std::vector<uint32_t> w;
    for (size_t off = 0; off + 4 <= m.bytes.size(); off += 4)
        w.push_back(m.word(off));
    return w;
}

} // namespace

// The outline is redrawn whenever its position changes, so a straight
// horizontal or vertical drag moves it with the pointer (the rule "x or y
// unchanged draws nothing" would leave it at its first place for the whole of
// such a drag). Every rectangle drawn is exclusive-ored exactly twice, so the
// screen is left as it was.
TEST(Window, AStraightDragMovesTheOutlineWithThePointerAndLeavesNothingBehind) {
    FakeServer server;
    GL_Window main(nullptr, "main", 100, 50, 300, 200, iWhiteS, 0);
    main.SetCanMoved(1);
    main.ShowWindow(0);
    server.Take();

    main.MouseDown(10, 10, 1);
    const int steps[][2] = {{20, 10}, {30, 10}, {40, 10}, {40, 30}, {40, 50}, {40, 50}};
    std::vector<std::pair<int, int>> drawnAt;
    for (auto& s : steps) {
        main.MouseMove(s[0], s[1], 1);
        drawnAt.emplace_back(main.outlineX, main.outlineY);
    }
    EXPECT_EQ(drawnAt,
              (std::vector<std::pair<int, int>>{{110, 50}, {120, 50}, {130, 50}, {130, 70}, {130, 90}, {130, 90}}));
    main.MouseUp(40, 50, 1);

    const uint32_t kXorRect = 0x2018;
    std::vector<std::pair<int, int>> rects;
    for (auto& m : server.Take()) {
        auto w = Words(m);
        if (w[0] == kXorRect) rects.emplace_back(int(w[2]), int(w[3]));
    }
    // Draw at each new place, erasing the previous one first; the last one is
    // erased on release.
    std::vector<std::pair<int, int>> expect = {{110, 50}, {110, 50}, {120, 50}, {120, 50}, {130, 50},
                                               {130, 50}, {130, 70}, {130, 70}, {130, 90}, {130, 90}};
    EXPECT_EQ(rects, expect);
    EXPECT_EQ(main.GetX(), 130);
    EXPECT_EQ(main.GetY(), 90);
}
