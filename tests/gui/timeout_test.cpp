// Timers: ordering of due items, repeating intervals, stops from inside a
// pass, identifier reuse and the time arithmetic.
#include "eventloop.h"
#include "gl_timeout.h"

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

TEST(Timeout, ItemsWithTheSameDueTimeFireInReverseOrderOfInsertion) {
    InitTimeout();
    Listener l("l");
    NamedTimeout a("a", 1, 0, 0), b("b", 1, 0, 0), c("c", 1, 0, 0);
    for (GL_Timeout* t : {static_cast<GL_Timeout*>(&a), static_cast<GL_Timeout*>(&b), static_cast<GL_Timeout*>(&c)})
        t->AddCallback(&l, "Timeout!", nullptr);
    long now, nowUs;
    GL_GetNowTime(&now, &nowUs);
    // All due one second ago, except c which is due later than a and b.
    AddTimeItem(ItemAt(now - 1, 500, &a));
    AddTimeItem(ItemAt(now - 1, 500, &b));
    AddTimeItem(ItemAt(now - 1, 501, &c));
    gFired.clear();
    TimeoutLoop();
    EXPECT_EQ(gFired, (std::vector<std::string>{"b Timeout!", "a Timeout!", "c Timeout!"}));
    EXPECT_EQ(pTimeItemList->count, 0) << "fired one-shot items are not put back";
}

TEST(Timeout, IsLessThanTimeIncludesEqualTimes) {
    GL_TimeItem x{1, 10, 5, 0, 0, 0, nullptr}, y{2, 10, 5, 0, 0, 0, nullptr}, z{3, 11, 0, 0, 0, 0, nullptr};
    EXPECT_EQ(IsLessThanTime(&x, &y), 1);
    EXPECT_EQ(IsLessThanTime(&y, &x), 1);
    EXPECT_EQ(IsLessThanTime(&x, &z), 1);
    EXPECT_EQ(IsLessThanTime(&z, &x), 0);
}

TEST(Timeout, ACallbackThatStopsAnotherDueTimerPreventsItsTimeout) {
    InitTimeout();
    Listener l("l");
    NamedTimeout first("first", 0, 1000, 0), second("second", 0, 2000, 0);
    first.AddCallback(&l, "Timeout!", nullptr);
    second.AddCallback(&l, "Timeout!", nullptr);
    l.onCall = [&](GL_Object* sender) {
        if (sender == &first) second.Stop();
    };
    first.Run();
    second.Run();
    EXPECT_TRUE(first.IsRunning());
    std::this_thread::sleep_for(std::chrono::milliseconds(20)); // both are due now
    gFired.clear();
    TimeoutLoop();
    EXPECT_EQ(gFired, (std::vector<std::string>{"first Timeout!"}));
    EXPECT_FALSE(second.IsRunning());
    EXPECT_TRUE(first.IsRunning()) << "a fired one-shot timer stays running until Stop";
    EXPECT_EQ(first.Stop(), 0);
    EXPECT_EQ(first.Stop(), -1);
    EXPECT_EQ(first.GetId(), -1);
}

TEST(Timeout, ATimerDeletedByAnEarlierCallbackOfThePassDoesNotFire) {
    InitTimeout();
    Listener l("l");
    auto* victim = new NamedTimeout("victim", 0, 2000, 1);
    NamedTimeout killer("killer", 0, 1000, 1);
    killer.AddCallback(&l, "Timeout!", nullptr);
    victim->AddCallback(&l, "Timeout!", nullptr);
    l.onCall = [&](GL_Object* sender) {
        if (sender == &killer && victim) {
            delete victim;
            victim = nullptr;
        }
    };
    killer.Run();
    victim->Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    gFired.clear();
    TimeoutLoop();
    EXPECT_EQ(gFired, (std::vector<std::string>{"killer Timeout!"}));
    EXPECT_EQ(pTimeItemList->count, 1) << "only the repeating killer is left";
    killer.Stop();
    EXPECT_EQ(pTimeItemList->count, 0);
}

TEST(Timeout, RepeatingHalfSecondTimerFiresAboutEvery500MsAndSameIntervalDoesNotShiftIt) {
    InitTimeout();
    NamedTimeout t("t", 0, 500000, 1);
    std::vector<unsigned long> times;
    Listener l("l");
    l.onCall = [&](GL_Object*) { times.push_back(GL_GetNowTime(nullptr, nullptr)); };
    t.AddCallback(&l, "Timeout!", nullptr);
    unsigned long start = GL_GetNowTime(nullptr, nullptr);
    t.Run();
    int id = t.GetId();
    long dueSec = static_cast<GL_TimeItem*>(pTimeItemList->first->data)->dueSec;
    long dueUSec = static_cast<GL_TimeItem*>(pTimeItemList->first->data)->dueUSec;
    EXPECT_EQ(t.SetTime(0, 500000), -1);
    EXPECT_EQ(t.GetId(), id) << "not restarted";
    EXPECT_EQ(static_cast<GL_TimeItem*>(pTimeItemList->first->data)->dueSec, dueSec);
    EXPECT_EQ(static_cast<GL_TimeItem*>(pTimeItemList->first->data)->dueUSec, dueUSec) << "not shifted";

    // Drive the timers as the loop does, with a 10 ms tick.
    while (times.size() < 3 && GL_GetNowTime(nullptr, nullptr) - start < 3000) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        TimeoutLoop();
    }
    ASSERT_EQ(times.size(), 3u);
    EXPECT_NEAR(double(times[0] - start), 500, 150);
    EXPECT_NEAR(double(times[1] - times[0]), 500, 150);
    EXPECT_NEAR(double(times[2] - times[1]), 500, 150);
    t.Stop();
}

TEST(Timeout, SetTimeRestartsARunningTimerAndZeroIntervalStopsRepeating) {
    InitTimeout();
    NamedTimeout t("t", 1, 0, 1);
    EXPECT_EQ(t.flags & GL_Timeout::kRepeat, GL_Timeout::kRepeat);
    t.Run();
    int oldId = t.GetId();
    EXPECT_EQ(t.SetTime(2, 0), 0);
    EXPECT_TRUE(t.IsRunning());
    EXPECT_NE(t.GetId(), oldId) << "restarted with a new identifier";
    EXPECT_EQ(t.intervalSec, 2u);
    EXPECT_EQ(t.SetTime(0, 0), 0);
    EXPECT_EQ(t.flags & GL_Timeout::kRepeat, 0);
    t.Stop();

    NamedTimeout zero("zero", 0, 0, 1);
    EXPECT_EQ(zero.flags & GL_Timeout::kRepeat, 0) << "a repeating timer of interval 0 does not repeat";
    NamedTimeout carried("carried", 1, 2500000, 0);
    EXPECT_EQ(carried.intervalSec, 3u);
    EXPECT_EQ(carried.intervalUSec, 500000u);
}

TEST(Timeout, NearestTimerReportsTheDelayUntilItIsDue) {
    InitTimeout();
    DestroyTimeout();
    long s = -1, us = -1;
    EXPECT_EQ(GetTimeoutNearest(&s, &us), 0);
    EXPECT_EQ(s, 0);
    EXPECT_EQ(us, 0);
    NamedTimeout t("t", 2, 300000, 0);
    t.Run();
    EXPECT_EQ(GetTimeoutNearest(&s, &us), 1);
    long total = s * 1000000 + us;
    EXPECT_LE(total, 2300000);
    EXPECT_GT(total, 2200000);
    EXPECT_LT(us, 1000000);
    t.Stop();
    // Overdue: nothing to wait for.
    NamedTimeout late("late", 0, 1000, 0);
    late.Run();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(GetTimeoutNearest(&s, &us), 0);
    late.Stop();
}

TEST(Timeout, TheLongestIntervalsAndTimeDifferencesNeverWrapIntoThePast) {
    // A long has 32 bits on the device: a due time or a difference past its
    // range must stop at the limit instead of wrapping to a time gone by.
    InitTimeout();
    Listener l("l");
    NamedTimeout longest("longest", INT_MAX, INT_MAX, 1);
    EXPECT_EQ(longest.intervalSec, unsigned(INT_MAX));
    EXPECT_EQ(longest.intervalUSec, 999999u);
    longest.AddCallback(&l, "Timeout!", nullptr);
    ASSERT_EQ(longest.Run(), 0);
    gFired.clear();
    TimeoutLoop();
    EXPECT_TRUE(gFired.empty()) << "a timer 68 years away fired at once";
    long s = 0, us = 0;
    EXPECT_EQ(GetTimeoutNearest(&s, &us), 1);
    EXPECT_GT(s, 2000000000L);
    longest.Stop();

    // 35 days apart: 3024000000 ms, more than a 32-bit long holds.
    timeval later{35 * 24 * 3600, 0}, earlier{0, 0};
    unsigned char negative = 0;
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, &negative), long(std::min(3024000000LL, (long long)LONG_MAX)));
    EXPECT_EQ(negative, 0);
}

TEST(Timeout, IdentifiersAreReusedAfterFreeTimeoutId) {
    InitTimeout();
    // An identifier in the middle of a byte of the map, so that the search
    // after the next one starts below it. (The exact order is checked on a
    // fresh map in the identifier-map tests.)
    int b = GetNewTimeoutId();
    while (b % 8 != 6)
        b = GetNewTimeoutId();
    EXPECT_EQ(FreeTimeoutId(b), 0);
    EXPECT_EQ(FreeTimeoutId(b), -1) << "already free";
    EXPECT_EQ(FreeTimeoutId(0), -1);
    EXPECT_EQ(GetNewTimeoutId(), b + 1) << "the identifier reserved ahead goes first";
    std::vector<int> next;
    for (int i = 0; i < 8; ++i)
        next.push_back(GetNewTimeoutId());
    EXPECT_NE(std::find(next.begin(), next.end(), b), next.end()) << "the freed identifier comes back";
}

TEST(TimeDiff, CalcTimeDiffMSTruncatesMicrosecondsFirst) {
    unsigned char negative = 0;
    timeval later{1, 500}, earlier{1, 900};
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, &negative), 0);
    EXPECT_EQ(negative, 0) << "both truncate to 0 ms: not negative";

    later = {5, 250000};
    earlier = {3, 900000};
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, &negative), 1350);
    EXPECT_EQ(negative, 0);

    later = {3, 100000};
    earlier = {3, 200000};
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, &negative), 0);
    EXPECT_EQ(negative, 1);
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, nullptr), 0) << "the flag is optional";

    // A microsecond field of a second or more is carried into the record.
    negative = 0;
    later = {2, 1500000};
    earlier = {3, 0};
    EXPECT_EQ(CalcTimeDiffMS(&later, &earlier, &negative), 500);
    EXPECT_EQ(later.tv_sec, 3);
    EXPECT_EQ(later.tv_usec, 500000);
    EXPECT_EQ(negative, 0);
}

TEST(TimeDiff, CheckTimeCarriesWholeSeconds) {
    long s = 1, us = 2345678;
    GL_CheckTime(&s, &us);
    EXPECT_EQ(s, 3);
    EXPECT_EQ(us, 345678);
    s = 1;
    us = 999999;
    GL_CheckTime(&s, &us);
    EXPECT_EQ(s, 1);
    EXPECT_EQ(us, 999999);
    long sec, usec;
    unsigned long ms = GL_GetNowTime(&sec, &usec);
    EXPECT_EQ(ms, static_cast<unsigned long>(sec) * 1000 + static_cast<unsigned long>(usec) / 1000);
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
