// Timers: ordering of due items, repeating intervals, stops from inside a
// pass, the identifier map and the time arithmetic.
#include "eventloop.h"
#include "gl_timeout.h"
#include "runtime/timeout_ids.h"

#include <gtest/gtest.h>

#include <sys/time.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

std::vector<std::string> gFired;

class Listener : public GL_Object {
public:
    explicit Listener(const char* name) : GL_Object(nullptr, name, 0) {}
    int ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) override {
        gFired.push_back(std::string(sender && sender->name ? sender->name : "?") + " " + event);
        if (onCall) onCall(sender);
        return 0;
    }
    std::function<void(GL_Object*)> onCall;
};

// A named timer (the name shows in the log).
class NamedTimeout : public GL_Timeout {
public:
    NamedTimeout(const char* n, int s, int us, unsigned char repeat) : GL_Timeout(s, us, repeat) { name = strdup(n); }
};

GL_TimeItem* ItemAt(long sec, long usec, GL_Timeout* owner) {
    auto* item = static_cast<GL_TimeItem*>(malloc(sizeof(GL_TimeItem)));
    item->id = GetNewTimeoutId();
    item->dueSec = sec;
    item->dueUSec = usec;
    item->intervalSec = 0;
    item->intervalUSec = 0;
    item->repeat = 0;
    item->owner = owner;
    return item;
}

} // namespace

TEST(Timeout, DueItemsFireInTimeOrderAndTheSameDueTimeInReverseOrderOfInsertion) {
    InitTimeout();
    Listener l("l");
    NamedTimeout a("a", 1, 0, 0), b("b", 1, 0, 0), c("c", 1, 0, 0), d("d", 1, 0, 0);
    for (GL_Timeout* t : std::vector<GL_Timeout*>{&a, &b, &c, &d})
        t->AddCallback(&l, "Timeout!", nullptr);
    long now, nowUs;
    GL_GetNowTime(&now, &nowUs);
    // All overdue: d a second earlier than a and b, c a microsecond later.
    AddTimeItem(ItemAt(now - 1, 500, &a));
    AddTimeItem(ItemAt(now - 1, 500, &b));
    AddTimeItem(ItemAt(now - 1, 501, &c));
    AddTimeItem(ItemAt(now - 2, 900, &d));
    gFired.clear();
    TimeoutLoop();
    EXPECT_EQ(gFired, (std::vector<std::string>{"d Timeout!", "b Timeout!", "a Timeout!", "c Timeout!"}));
    EXPECT_EQ(pTimeItemList->count, 0) << "fired one-shot items are not put back";
}

TEST(Timeout, CallbacksThatStopOrDeleteAnotherDueTimerPreventItsTimeout) {
    InitTimeout();
    Listener l("l");
    NamedTimeout first("first", 0, 1000, 1), stopped("stopped", 0, 2000, 0);
    auto* victim = new NamedTimeout("victim", 0, 2000, 1);
    for (GL_Timeout* t : std::vector<GL_Timeout*>{&first, &stopped, victim}) {
        t->AddCallback(&l, "Timeout!", nullptr);
        t->Run();
    }
    l.onCall = [&](GL_Object* sender) {
        if (sender != &first) return;
        stopped.Stop();
        delete victim;
        victim = nullptr;
    };
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // all are due now
    gFired.clear();
    TimeoutLoop();
    EXPECT_EQ(gFired, (std::vector<std::string>{"first Timeout!"}));
    EXPECT_FALSE(stopped.IsRunning());
    EXPECT_EQ(pTimeItemList->count, 1) << "only the repeating first is left";
    EXPECT_EQ(first.Stop(), 0);
    EXPECT_EQ(first.Stop(), -1);
    EXPECT_EQ(first.GetId(), -1);
    EXPECT_EQ(pTimeItemList->count, 0);
}

TEST(Timeout, RepeatingHalfSecondTimerFiresAboutEvery500MsAndSetTimeRestartsOnlyOnAChange) {
    InitTimeout();
    NamedTimeout t("t", 0, 500000, 1);
    std::vector<unsigned long> times;
    Listener l("l");
    l.onCall = [&](GL_Object*) { times.push_back(GL_GetNowTime(nullptr, nullptr)); };
    t.AddCallback(&l, "Timeout!", nullptr);
    unsigned long start = GL_GetNowTime(nullptr, nullptr);
    t.Run();
    int id = t.GetId();
    auto* item = static_cast<GL_TimeItem*>(pTimeItemList->first->data);
    const long dueSec = item->dueSec, dueUSec = item->dueUSec;
    EXPECT_EQ(t.SetTime(0, 500000), -1);
    EXPECT_EQ(t.GetId(), id) << "not restarted";
    item = static_cast<GL_TimeItem*>(pTimeItemList->first->data);
    EXPECT_EQ(std::make_pair(item->dueSec, item->dueUSec), std::make_pair(dueSec, dueUSec)) << "not shifted";

    // Drive the timers as the loop does, with a 10 ms tick.
    while (times.size() < 3 && GL_GetNowTime(nullptr, nullptr) - start < 3000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        TimeoutLoop();
    }
    ASSERT_EQ(times.size(), 3u);
    EXPECT_NEAR(double(times[0] - start), 500, 150);
    EXPECT_NEAR(double(times[1] - times[0]), 500, 150);
    EXPECT_NEAR(double(times[2] - times[1]), 500, 150);

    EXPECT_EQ(t.SetTime(2, 0), 0);
    EXPECT_TRUE(t.IsRunning());
    EXPECT_NE(t.GetId(), id) << "restarted with a new identifier";
    EXPECT_EQ(t.SetTime(0, 0), 0);
    EXPECT_EQ(t.flags & GL_Timeout::kRepeat, 0) << "interval 0 does not repeat";
    t.Stop();
    NamedTimeout zero("zero", 0, 0, 1), carried("carried", 1, 2500000, 0);
    EXPECT_EQ(zero.flags & GL_Timeout::kRepeat, 0);
    EXPECT_EQ(std::make_pair(carried.intervalSec, carried.intervalUSec), std::make_pair(3u, 500000u));
}

TEST(Timeout, NearestTimerReportsTheDelayAndTheLongestIntervalsNeverWrapIntoThePast) {
    InitTimeout();
    DestroyTimeout();
    long s = -1, us = -1;
    EXPECT_EQ(GetTimeoutNearest(&s, &us), 0);
    EXPECT_EQ(std::make_pair(s, us), std::make_pair(0L, 0L));
    NamedTimeout t("t", 2, 300000, 0);
    t.Run();
    EXPECT_EQ(GetTimeoutNearest(&s, &us), 1);
    EXPECT_LE(s * 1000000 + us, 2300000);
    EXPECT_GT(s * 1000000 + us, 2200000);
    EXPECT_LT(us, 1000000);
    t.Stop();
    NamedTimeout late("late", 0, 1000, 0);
    late.Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(GetTimeoutNearest(&s, &us), 0) << "overdue: nothing to wait for";
    late.Stop();

    // A long has 32 bits on the device: a due time past its range must stop
    // at the limit instead of wrapping to a time gone by.
    Listener l("l");
    NamedTimeout longest("longest", INT_MAX, INT_MAX, 1);
    EXPECT_EQ(std::make_pair(longest.intervalSec, longest.intervalUSec), std::make_pair(unsigned(INT_MAX), 999999u));
    longest.AddCallback(&l, "Timeout!", nullptr);
    ASSERT_EQ(longest.Run(), 0);
    gFired.clear();
    TimeoutLoop();
    EXPECT_TRUE(gFired.empty()) << "a timer 68 years away fired at once";
    EXPECT_EQ(GetTimeoutNearest(&s, &us), 1);
    EXPECT_GT(s, 2000000000L);
    longest.Stop();
}

TEST(Timeout, IdentifiersComeFromOneWithOneReservedAheadAndFreedOnesComeBack) {
    gui::TimeoutIdMap ids;
    EXPECT_EQ(ids.ReservedBit(), -1);
    EXPECT_EQ(ids.Get(), 1);
    EXPECT_EQ(ids.ReservedBit(), 1) << "bit 1 is kept for the next call";
    EXPECT_EQ(ids.Get(), 2);
    EXPECT_EQ(ids.Get(), 3);
    EXPECT_EQ(ids.CountInUse(), 4);
    EXPECT_FALSE(ids.InUse(4)) << "the reserved identifier was never handed out";
    for (int bad : {0, -3, ids.Capacity() + 1, 7, 4})
        EXPECT_EQ(ids.Free(bad), -1) << bad;
    EXPECT_EQ(ids.Free(2), 0);
    EXPECT_EQ(ids.Free(2), -1) << "already free";
    // The reserved 4 goes out first; the next search from 4 lowered to 0
    // finds the freed 2.
    EXPECT_EQ(ids.Get(), 4);
    EXPECT_EQ(ids.Get(), 2);
    EXPECT_EQ(ids.Get(), 5);
    // A fresh map grows by 32 when fewer than 32 are free.
    gui::TimeoutIdMap fresh;
    EXPECT_EQ(fresh.Capacity(), 1024);
    for (int i = 1; i <= 2000; ++i)
        ASSERT_EQ(fresh.Get(), i);
    EXPECT_GE(fresh.Capacity() - fresh.CountInUse(), 31);
    EXPECT_EQ((fresh.Capacity() - 1024) % 32, 0);
    EXPECT_LT(fresh.Capacity(), 2000 + 64 + 32);

    // The library's own map behind GetNewTimeoutId and FreeTimeoutId.
    InitTimeout();
    int b = GetNewTimeoutId();
    while (b % 8 != 6) // a freed identifier below the reserved one in its byte
        b = GetNewTimeoutId();
    EXPECT_EQ(FreeTimeoutId(b), 0);
    EXPECT_EQ(FreeTimeoutId(b), -1);
    EXPECT_EQ(GetNewTimeoutId(), b + 1);
    EXPECT_EQ(GetNewTimeoutId(), b);
}

TEST(Timeout, TimeArithmeticTruncatesCarriesOnlyAboveOneSecondAndSaturates) {
    // GL_CheckTime carries only microsecond counts above 1000000.
    const long check[][4] = {{1, 2345678, 3, 345678},
                             {1, 999999, 1, 999999},
                             {1, 1000000, 1, 1000000},
                             {1, 1000001, 2, 1},
                             {0, 3000000, 3, 0}};
    for (auto& c : check) {
        long s = c[0], us = c[1];
        GL_CheckTime(&s, &us);
        EXPECT_EQ(std::make_pair(s, us), std::make_pair(c[2], c[3])) << c[0] << "," << c[1];
    }
    long sec, usec;
    unsigned long ms = GL_GetNowTime(&sec, &usec);
    EXPECT_EQ(ms, static_cast<unsigned long>(sec) * 1000 + static_cast<unsigned long>(usec) / 1000);

    // CalcTimeDiffMS truncates to milliseconds first and carries only counts
    // above 1000 ms into the later record.
    struct Case {
        timeval later, earlier;
        long ms;
        int negative;
        timeval laterAfter;
    } const cases[] = {
        {{1, 500}, {1, 900}, 0, 0, {1, 500}},             // both 0 ms: not negative
        {{5, 250000}, {3, 900000}, 1350, 0, {5, 250000}}, //
        {{3, 100000}, {3, 200000}, 0, 1, {3, 100000}},    //
        {{2, 1500000}, {3, 0}, 500, 0, {3, 500000}},      // carried
        {{1, 1000000}, {2, 0}, 0, 1, {1, 1000000}},       // exactly 1000 ms: not carried
        {{1, 1001000}, {2, 0}, 1, 0, {2, 1000}},          //
        {{5, 1000000}, {5, 0}, 1000, 0, {5, 1000000}},    //
        {{35 * 24 * 3600, 0}, {0, 0}, long(std::min(3024000000LL, (long long)LONG_MAX)), 0, {35 * 24 * 3600, 0}},
    };
    for (const Case& c : cases) {
        timeval later = c.later, earlier = c.earlier;
        unsigned char negative = 0;
        EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, &negative), c.ms) << c.later.tv_sec << "," << c.later.tv_usec;
        EXPECT_EQ(negative, c.negative) << c.later.tv_sec << "," << c.later.tv_usec;
        EXPECT_EQ(std::make_pair(later.tv_sec, later.tv_usec),
                  std::make_pair(c.laterAfter.tv_sec, c.laterAfter.tv_usec));
    }
    timeval later{3, 100000}, earlier{3, 200000};
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, nullptr), 0) << "the flag is optional";
}

namespace {

// Timers whose callbacks stop, start, retime, create and delete timers at
// random, including themselves.
std::vector<GL_Timeout*> gTimers;
std::mt19937 gTimerRng(777);

class ChaosTimer : public GL_Timeout {
public:
    ChaosTimer() : GL_Timeout(0, int(gTimerRng() % 3), (unsigned char)(gTimerRng() % 2)) { gTimers.push_back(this); }
    ~ChaosTimer() override { gTimers.erase(std::find(gTimers.begin(), gTimers.end(), this)); }
};

class ChaosListener : public GL_Object {
public:
    ChaosListener() : GL_Object(nullptr, "chaos", 0) {}
    int ExecCallback(GL_Object* sender, char const*, void*, void*, void*, void*, void*) override {
        ++calls;
        GL_Timeout* other = gTimers.empty() ? nullptr : gTimers[gTimerRng() % gTimers.size()];
        switch (gTimerRng() % 7) {
        case 0:
            if (other) other->Stop();
            break;
        case 1:
            if (other) other->Run();
            break;
        case 2:
            if (other) other->SetTime(0, int(gTimerRng() % 3));
            break;
        case 3:
            if (other) delete other;
            break;
        case 4:
            if (gTimers.size() < 40) {
                auto* t = new ChaosTimer();
                t->AddCallback(this, "Timeout!", nullptr);
                t->Run();
            }
            break;
        case 5: static_cast<GL_Timeout*>(sender)->Stop(); break;
        default: break;
        }
        return 0;
    }
    long calls = 0;
};

// Every item belongs to a live, running timer under its identifier; the list
// is sorted by due time and holds each identifier once.
void CheckTimeItems() {
    std::vector<int> ids;
    GL_TimeItem* prev = nullptr;
    for (ZPCList* node = pTimeItemList->first; node; node = node->next) {
        auto* item = static_cast<GL_TimeItem*>(node->data);
        ASSERT_NE(std::find(gTimers.begin(), gTimers.end(), item->owner), gTimers.end());
        EXPECT_TRUE(item->owner->IsRunning());
        EXPECT_EQ(item->owner->GetId(), item->id);
        EXPECT_TRUE(!prev || IsLessThanTime(prev, item) == 1) << "sorted by due time";
        EXPECT_EQ(std::find(ids.begin(), ids.end(), item->id), ids.end());
        ids.push_back(item->id);
        prev = item;
    }
}

} // namespace

TEST(Timeout, RandomCallbacksThatStopStartAndDeleteTimersKeepTheListConsistent) {
    InitTimeout();
    DestroyTimeout();
    ChaosListener listener;
    for (int i = 0; i < 20; ++i) {
        auto* t = new ChaosTimer();
        t->AddCallback(&listener, "Timeout!", nullptr);
        t->Run();
    }
    for (int pass = 0; pass < 2000 && !HasFatalFailure(); ++pass) {
        TimeoutLoop();
        CheckTimeItems();
        if (gTimers.size() < 5) {
            auto* t = new ChaosTimer();
            t->AddCallback(&listener, "Timeout!", nullptr);
            t->Run();
        }
        // Fired one-shot timers stay running until stopped: restart some.
        GL_Timeout* t = gTimers[gTimerRng() % gTimers.size()];
        t->Stop();
        t->Run();
    }
    EXPECT_GT(listener.calls, 1000);
    while (!gTimers.empty())
        delete gTimers.back();
    EXPECT_EQ(pTimeItemList->count, 0);
}
