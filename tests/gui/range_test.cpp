// The range widgets' geometry as table tests over many sizes and ranges
// (including the degenerate ones and ranges at the 32-bit limits), and the
// behaviour of the scroll bar against an in-process fake server: clicks,
// steps and pages, clamping, and what a redraw sends.
#include "fake_server.h"

#include "gl_progressbar.h"
#include "gl_scroll.h"
#include "gl_sedit.h"
#include "gl_slider.h"
#include "gl_spin.h"
#include "gl_timeout.h"
#include "toolkit/range_geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

using namespace range_geometry;

namespace {

// Records every "Value!" as (new, old).
class ValueLog : public GL_Object {
public:
    ValueLog() : GL_Object(nullptr, "log", 0) {}
    int ExecCallback(GL_Object*, char const* event, void* a, void* b, void*, void*, void*) override {
        if (std::string(event) == "Value!")
            values.push_back({int(reinterpret_cast<intptr_t>(a)), int(reinterpret_cast<intptr_t>(b))});
        return 0;
    }
    std::vector<std::pair<int, int>> values;
};

} // namespace

TEST(RangeGeometry, ScrollBarLayoutOfTheWorkedCasesAndTheDegenerateOnes) {
    struct Case {
        const char* what;
        int L, T, min, max, page;
        int arrow, thumbMin, thumbMax, thumbLen;
    } const cases[] = {
        // 200-pixel track between two 16-pixel arrows.
        {"page 10 of 0..90: a tenth of the track", 232, 16, 0, 90, 10, 16, 16, 196, 20},
        {"page 1: 2 pixels become 10", 232, 16, 0, 90, 1, 16, 16, 206, 10},
        {"track of 30: the thumb fills it", 62, 16, 0, 90, 10, 16, 16, 16, 30},
        {"track of 31: proportional again", 63, 16, 0, 90, 10, 16, 16, 37, 10},
        {"empty range: the thumb fills the track", 232, 16, 5, 5, 10, 16, 16, 16, 200},
        {"max + page = 0: the thumb fills the track", 232, 16, -20, -10, 10, 16, 16, 16, 200},
        {"max + page < 0: the thumb fills the track", 232, 16, -200, -100, 10, 16, 16, 16, 200},
        {"page larger than max + page allows: never beyond the track", 232, 16, -60, -50, 100, 16, 16, 16, 200},
        {"negative page: the shortest thumb", 232, 16, 0, 90, -10, 16, 16, 206, 10},
        {"bar as long as two arrows: no track", 32, 16, 0, 90, 10, 16, 16, 16, 0},
        {"bar shorter than two arrows: half each", 21, 16, 0, 90, 10, 10, 10, 10, 1},
        {"track of 5: the thumb is the track, not 10", 37, 16, 0, 90, 10, 16, 16, 16, 5},
        {"zero length", 0, 16, 0, 90, 10, 0, 0, 0, 0},
        {"negative sizes count as 0", -5, -3, 0, 90, 10, 0, 0, 0, 0},
        {"full int range, page near the limit", 1016, 8, INT_MIN, INT_MAX, INT_MAX, 8, 8, 508, 500},
        {"max + page beyond 32 bits", 1016, 8, 0, INT_MAX, INT_MAX, 8, 8, 508, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScrollBar bar = CalcScrollBar(c.L, c.T, c.min, c.max, c.page);
        EXPECT_EQ(bar.arrow, c.arrow);
        EXPECT_EQ(bar.thumbMin, c.thumbMin);
        EXPECT_EQ(bar.thumbMax, c.thumbMax);
        EXPECT_EQ(bar.thumbLen, c.thumbLen);
    }
}

TEST(RangeGeometry, ScrollMappingStaysInsideItsBoundsAndRoundTripsWithinOnePixelsWorth) {
    const int64_t ranges[][2] = {{0, 0},       {0, 1},
                                 {0, 9},       {0, 90},
                                 {-50, 50},    {0, 999},
                                 {7, 1000007}, {-1, 2000000000},
                                 {INT_MIN, 0}, {INT_MIN, INT_MAX},
                                 {0, INT_MAX}, {INT_MIN, INT_MIN + 3}};
    const int lengths[] = {0, 1, 15, 31, 32, 33, 40, 61, 62, 63, 100, 233, 600, 1200};
    const int pages[] = {1, 10, 1000, INT_MAX};
    long checked = 0;
    for (auto& r : ranges) {
        const int min = int(r[0]), max = int(r[1]);
        for (int L : lengths) {
            for (int page : pages) {
                ScrollBar bar = CalcScrollBar(L, 16, min, max, page);
                SCOPED_TRACE("range " + std::to_string(min) + ".." + std::to_string(max) + " length " +
                             std::to_string(L) + " page " + std::to_string(page));
                ASSERT_LE(bar.thumbMin, bar.thumbMax);
                ASSERT_GE(bar.thumbLen, 0);
                ASSERT_EQ(bar.thumbMax + bar.thumbLen, std::max(L, 0) - bar.arrow)
                    << "the thumb ends at the track's end";
                const int64_t span = int64_t(bar.thumbMax) - bar.thumbMin;
                const int64_t R = int64_t(max) - min;
                // Values across the range, its ends and beyond them.
                std::vector<int64_t> vs = {INT_MIN, INT_MAX, int64_t(min) - 1, int64_t(max) + 1};
                for (int i = 0; i <= 64; ++i)
                    vs.push_back(min + R * i / 64);
                int lastPixel = INT_MIN;
                for (int64_t v64 : vs) {
                    if (v64 < INT_MIN || v64 > INT_MAX) continue;
                    int v = int(v64);
                    int p = ScrollValue2Pixel(bar, min, max, v);
                    ASSERT_GE(p, bar.thumbMin) << v;
                    ASSERT_LE(p, bar.thumbMax) << v;
                    int back = ScrollPixel2Value(bar, min, max, p);
                    ASSERT_GE(back, min);
                    ASSERT_LE(back, max);
                    if (v < min || v > max) continue;
                    // One pixel is worth R / span values: the round trip may
                    // lose less than one pixel's worth, and never gains.
                    ASSERT_LE(back, v);
                    if (span > 0)
                        ASSERT_LT((int64_t(v) - back) * span, R + span) << "v " << v << " p " << p << " back " << back;
                    else
                        ASSERT_EQ(back, min) << "without travel every position means min";
                    ++checked;
                }
                // Monotonic over a sweep of the range.
                for (int i = 0; i <= 64; ++i) {
                    int p = ScrollValue2Pixel(bar, min, max, int(min + R * i / 64));
                    ASSERT_GE(p, lastPixel);
                    lastPixel = p;
                }
                // Every pixel maps into the range, ends included.
                EXPECT_EQ(ScrollPixel2Value(bar, min, max, bar.thumbMin), min);
                EXPECT_EQ(ScrollPixel2Value(bar, min, max, bar.thumbMax), span > 0 ? max : min);
                EXPECT_EQ(ScrollValue2Pixel(bar, min, max, max), min == max ? bar.thumbMin : bar.thumbMax);
            }
        }
    }
    EXPECT_GT(checked, 10000);
}

TEST(RangeGeometry, SliderMappingOfWorkedCasesAndAtTheLimits) {
    struct Case {
        int L, min, max, v, pixel;
    } const toPixel[] = {
        {109, 0, 99, 0, 0},
        {109, 0, 99, 99, 99},
        {109, 0, 99, 49, 49},
        {109, 0, 99, 150, 99},
        {109, 0, 99, -5, 0},
        {9, 0, 99, 50, 0},
        {5, 0, 99, 50, 0},
        {59, 0, 9, 4, 24},
        {1009, INT_MIN, INT_MAX, 0, 499},
        {1009, INT_MIN, INT_MAX, INT_MAX - 1, 998},
        {1009, 0, INT_MAX, 1, 0},
    };
    for (const Case& c : toPixel)
        EXPECT_EQ(SliderValue2Pixel(c.L, c.min, c.max, c.v), c.pixel)
            << c.L << " " << c.min << ".." << c.max << " v " << c.v;
    struct Back {
        int L, min, max, p, v;
    } const toValue[] = {
        {108, 0, 99, 0, 0},
        {108, 0, 99, 99, 99},
        {108, 0, 99, 98, 99},
        {108, 0, 99, 49, 50},
        {8, 0, 99, 50, 0},
        {108, 0, 99, -3, 0},
        {1008, INT_MIN, INT_MAX, 499, 0},
        {1008, INT_MIN, INT_MAX, 998, 2143188680},
    };
    for (const Back& c : toValue)
        EXPECT_EQ(SliderPixel2Value(c.L, c.min, c.max, c.p), c.v)
            << c.L << " " << c.min << ".." << c.max << " p " << c.p;
    // Any position and any value stay inside the travel and the range.
    for (int L : {0, 9, 10, 11, 50, 300})
        for (auto r : {std::pair<int, int>{0, 0}, {0, 1}, {-7, 7}, {INT_MIN, INT_MAX}, {0, INT_MAX}})
            for (int q : {INT_MIN, -1, 0, 1, 5, 100, 299, INT_MAX}) {
                int p = SliderValue2Pixel(L, r.first, r.second, q);
                EXPECT_GE(p, 0);
                EXPECT_LE(p, std::max(L - 9, 0));
                int v = SliderPixel2Value(L, r.first, r.second, q);
                EXPECT_GE(v, r.first);
                EXPECT_LE(v, r.second);
            }
}

TEST(Scroll, StepsPagesAndClicksChangeTheValueInTheirDirectionsAndClampAtTheEnds) {
    FakeServer server;
    // 16 x 232: arrows 16, track 200, page 10 of 0..10 gives a 100-pixel thumb.
    GL_Scroll bar(nullptr, "bar", 0, 0, 16, 232, 10, 0, 1);
    ValueLog log;
    bar.AddCallback(&log, "Value!", nullptr);
    EXPECT_EQ((std::vector<int>{bar.GetMin(), bar.GetMax(), bar.thumbLen, bar.thumbPos}),
              (std::vector<int>{0, 10, 100, 16}))
        << "a reversed range is swapped";

    ASSERT_EQ(bar.SetValue(5), 0);
    EXPECT_EQ(bar.thumbPos, 16 + 5 * 100 / 10);
    EXPECT_EQ(bar.DecStep(), 0);
    EXPECT_EQ(bar.GetValue(), 6) << "DecStep raises by a step";
    EXPECT_EQ(bar.IncStep(), 0);
    EXPECT_EQ(bar.GetValue(), 5) << "IncStep lowers by a step";
    EXPECT_EQ(bar.DecPage(), 0);
    EXPECT_EQ(bar.GetValue(), 10) << "DecPage raises by a page, clamped at max";
    EXPECT_EQ(bar.ChangeValue(5), -1) << "at max nothing changes";
    EXPECT_EQ(bar.DecPage(), -1);
    EXPECT_EQ(bar.IncPage(), 0);
    EXPECT_EQ(bar.GetValue(), 0) << "IncPage lowers by a page";
    EXPECT_EQ(bar.ChangeValue(3), -1) << "an unknown kind changes nothing";
    EXPECT_EQ(bar.SetValue(-40), -1) << "already at the bound it would be clamped to";
    EXPECT_EQ(bar.SetValue(0), -1);
    EXPECT_EQ(log.values, (std::vector<std::pair<int, int>>{{5, 0}, {6, 5}, {5, 6}, {10, 5}, {0, 10}}));
    log.values.clear();

    // Clicks act on release, over the part where they were pressed. From
    // value 5 the thumb covers 66 .. 165.
    struct Click {
        const char* what;
        int downY, upY, value;
    } const clicks[] = {
        {"second arrow: + step", 225, 225, 6},
        {"first arrow: - step", 3, 3, 4},
        {"track after the thumb: + page, clamped", 200, 200, 10},
        {"track before the thumb: - page, clamped", 20, 20, 0},
        {"press on the track before the thumb, release on the thumb: nothing", 30, 100, 5},
        {"press on the second arrow, release on the track: nothing", 225, 190, 5},
        {"press on the thumb, release without moving: nothing", 100, 100, 5},
    };
    for (const Click& c : clicks) {
        SCOPED_TRACE(c.what);
        bar.SetValue(5);
        log.values.clear();
        EXPECT_EQ(bar.MouseDown(8, c.downY, 1), 0);
        bar.MouseUp(8, c.upY, 1);
        EXPECT_EQ(bar.GetValue(), c.value);
        if (c.value != 5)
            EXPECT_EQ(log.values, (std::vector<std::pair<int, int>>{{c.value, 5}}));
        else
            EXPECT_TRUE(log.values.empty());
        EXPECT_EQ(bar.pressed, 0);
        EXPECT_EQ(bar.zone, unsigned(GL_Scroll::kNone));
    }
    EXPECT_EQ(bar.MouseDown(20, 5, 1), -1) << "outside the window";
    EXPECT_EQ(bar.MouseUp(8, 5, 1), -1) << "release without a press";

    // A new range clamps the value (and tells), a range that keeps the value
    // still moves the thumb to where the value now lies.
    bar.SetValue(8);
    log.values.clear();
    EXPECT_EQ(bar.SetMinMax(4, 0), 0);
    EXPECT_EQ(bar.GetValue(), 4);
    EXPECT_EQ(log.values, (std::vector<std::pair<int, int>>{{4, 8}}));
    EXPECT_EQ(bar.SetMinMax(0, 4), -1) << "unchanged";
    EXPECT_EQ(bar.SetMinMax(0, 1000), 0);
    EXPECT_EQ(bar.thumbPos, bar.Value2Pixel(4));
    EXPECT_LT(bar.thumbPos, 20);
    EXPECT_EQ(bar.SetStepPage(1, 10), -1);
    EXPECT_EQ(bar.SetStepPage(2, 500), 0);
    EXPECT_EQ(bar.GetPage(), 500);
    int mn, mx, st, pg;
    bar.GetAllSettings(&mn, &mx, &st, &pg);
    EXPECT_EQ((std::vector<int>{mn, mx, st, pg}), (std::vector<int>{0, 1000, 2, 500}));
}

namespace {

// Requests by type, from the protocol tables.
enum : unsigned { CreatePixmap = 10, CopyAreaP2W = 13, FreePixmap = 11, FillRect = 20 };
enum : unsigned { DrawUpBox = 45, DrawDownBox = 46, DrawHSeperator3D2 = 57, DrawSmallArrow = 67 };

std::vector<unsigned> TypesOf(const std::vector<Msg>& msgs) {
    std::vector<unsigned> t;
    for (auto& m : msgs)
        t.push_back(m.type());
    return t;
}

// x, y, w, h of a request whose rectangle follows the pixmap identifier.
std::vector<int> Rect(const Msg& m) { return {int(m.word(8)), int(m.word(12)), int(m.word(16)), int(m.word(20))}; }

void Tick(GL_ProgressBar& bar) {
    bar.ExecCallback(bar.GetTimer(), "Timeout!", nullptr, nullptr, nullptr, nullptr, nullptr);
}

void FixedText(char* out, unsigned long value, unsigned long max) {
    snprintf(out, kProgressTextSize, "%lu of %lu", value, max);
}

} // namespace

TEST(Scroll, ADrawPaintsTrackArrowsAndThumbOffScreenAndSkipsWhileRedrawIsHeld) {
    FakeServer server;
    GL_Scroll bar(nullptr, "bar", 0, 0, 16, 232, 0, 90, 1);
    bar.ShowWindow(0);
    server.Take();
    bar.SetValue(45); // thumb of 20 at 16 + 45 * 180 / 90 = 106
    auto sent = server.Take();
    ASSERT_EQ(TypesOf(sent), (std::vector<unsigned>{CreatePixmap, FillRect, FillRect, DrawUpBox, DrawSmallArrow,
                                                    DrawUpBox, DrawSmallArrow, FillRect, DrawUpBox, DrawHSeperator3D2,
                                                    DrawHSeperator3D2, CopyAreaP2W, FreePixmap}));
    EXPECT_EQ(Rect(sent[2]), (std::vector<int>{0, 16, 16, 200})) << "the track";
    EXPECT_EQ(sent[2].word(24), iLightGreyS);
    EXPECT_EQ(Rect(sent[3]), (std::vector<int>{0, 0, 16, 16})) << "first arrow";
    EXPECT_EQ(sent[4].bytes[28], 1) << "pointing up";
    EXPECT_EQ(Rect(sent[5]), (std::vector<int>{0, 216, 16, 16})) << "second arrow";
    EXPECT_EQ(sent[6].bytes[28], 2) << "pointing down";
    EXPECT_EQ(Rect(sent[8]), (std::vector<int>{0, 106, 16, 20})) << "the thumb";
    // Grip lines 5 apart across the thumb's middle, inset 3 and 4.
    EXPECT_EQ((std::vector<int>{int(sent[9].word(8)), int(sent[9].word(12)), int(sent[9].word(16))}),
              (std::vector<int>{3, 12, 112}));
    EXPECT_EQ(sent[10].word(16), 117u);

    // A pressed arrow is drawn sunken at once and raised again on release.
    bar.MouseDown(8, 220, 1);
    sent = server.Take();
    ASSERT_GE(sent.size(), 6u);
    EXPECT_EQ(sent[5].type(), DrawDownBox);
    bar.MouseUp(8, 100, 1); // released elsewhere: no change, the arrow comes up
    sent = server.Take();
    ASSERT_GE(sent.size(), 6u);
    EXPECT_EQ(sent[5].type(), DrawUpBox);
    EXPECT_EQ(bar.GetValue(), 45);

    bar.SetRedraw(1);
    server.Take();
    bar.SetValue(0);
    EXPECT_TRUE(server.Take().empty()) << "nothing is drawn while the redraw flag is set";
    bar.SetRedraw(0);

    // Horizontal after SetDir: the thumb keeps showing the value.
    bar.ResizeWindow(232, 16);
    bar.SetValue(90);
    bar.SetDir(0);
    EXPECT_EQ(bar.thumbPos, bar.thumbMax);
    EXPECT_EQ(bar.GetValue(), 90);
}

TEST(Slider, OnlyAPressOnTheThumbDragsItAndTheValueFollowsThePointer) {
    FakeServer server;
    // 109 x 21: travel 0 .. 100, thumb 13 across from (21 - 13) / 2 = 4.
    GL_Slider s(nullptr, "s", 0, 0, 109, 21, 99, 0, 0);
    ValueLog log;
    s.AddCallback(&log, "Value!", nullptr);
    EXPECT_EQ(s.SetValue(49), 0);
    EXPECT_EQ(s.thumbPos, 49);
    EXPECT_EQ(s.MouseDown(48, 10, 1), -1) << "before the thumb";
    EXPECT_EQ(s.MouseDown(58, 10, 1), -1) << "after the thumb";
    EXPECT_EQ(s.MouseDown(50, 3, 1), -1) << "above the thumb";
    EXPECT_EQ(s.MouseMove(70, 10, 1), -1) << "no drag after an ignored press";
    EXPECT_EQ(s.MouseDown(57, 16, 1), 0);
    s.MouseMove(67, 16, 1);
    EXPECT_EQ(s.thumbPos, 59);
    EXPECT_EQ(s.GetValue(), s.Pixel2Value(59));
    s.MouseMove(500, 16, 1);
    EXPECT_EQ(s.thumbPos, 100);
    EXPECT_EQ(s.GetValue(), 99);
    s.MouseMove(-500, 16, 1);
    EXPECT_EQ(s.GetValue(), 0);
    EXPECT_EQ(s.MouseUp(0, 0, 1), 0);
    EXPECT_EQ(s.GetValue(), 0) << "release changes nothing";
    ASSERT_EQ(log.values.size(), 4u);
    EXPECT_EQ(log.values.back(), (std::pair<int, int>{0, 99}));

    // With marks the thumb sits higher: (21 - 17) / 2 = 2.
    s.SetDrawMark(1, 6);
    EXPECT_EQ(s.MouseDown(3, 2, 1), 0);
    EXPECT_EQ(s.MouseDown(3, 15, 1), -1);
}

TEST(ProgressBar, TicksAdvanceAndLoopTextFollowsTheModeAndMaxZeroDividesNothing) {
    FakeServer server;
    GL_ProgressBar bar(nullptr, "p", 0, 0, 204, 30, 25, 100, 40, 0);
    ASSERT_NE(bar.GetTimer(), nullptr);
    EXPECT_TRUE(bar.GetTimer()->IsRunning());
    EXPECT_EQ(bar.GetTimer()->intervalUSec, 450000u);
    char text[kProgressTextSize];
    bar.GetDisplayText(text);
    EXPECT_STREQ(text, "40%");
    EXPECT_EQ(GL_ProgressBar::FillWidth(40, 100, 204), 80);

    Tick(bar);
    EXPECT_EQ(bar.GetValue(), 40u) << "no advance while not on screen";
    bar.ShowWindow(0);
    server.Take();
    Tick(bar);
    EXPECT_EQ(bar.GetValue(), 65u);
    auto sent = server.Take();
    ASSERT_GE(sent.size(), 3u);
    EXPECT_EQ(Rect(sent[2]), (std::vector<int>{2, 2, 130, 26})) << "65% of 200 pixels";
    Tick(bar);
    Tick(bar);
    EXPECT_EQ(bar.GetValue(), 100u) << "clamped at max";
    EXPECT_TRUE(bar.IsMax());
    Tick(bar);
    EXPECT_EQ(bar.GetValue(), 0u) << "loop: a tick at max starts again";
    bar.SetValue(100);
    EXPECT_EQ(bar.SetLoop(0), 0);
    Tick(bar);
    EXPECT_EQ(bar.GetValue(), 100u) << "without loop it stays at max";
    EXPECT_EQ(bar.SetLoop(1), 0);
    EXPECT_EQ(bar.GetValue(), 0u) << "loop on at max starts again";

    bar.SetValue(40);
    EXPECT_EQ(bar.SetDisplayMode(9), -1) << "above 3 means 2, the current mode";
    EXPECT_EQ(bar.SetDisplayMode(3), 0);
    bar.GetDisplayText(text);
    EXPECT_STREQ(text, "Now has 40% Done.");
    EXPECT_EQ(bar.SetDisplayCustomProc(nullptr), -1);
    bar.SetDisplayMode(1);
    EXPECT_EQ(bar.SetDisplayCustomProc(FixedText), 0);
    EXPECT_EQ(bar.GetDisplayMode(), 3);
    bar.GetDisplayText(text);
    EXPECT_STREQ(text, "40 of 100");
    bar.SetDisplayMode(1);
    bar.GetDisplayText(text);
    EXPECT_STREQ(text, "");

    // Max 0: nothing to fill and 0%, in every mode; huge values do not overflow.
    bar.SetDisplayMode(2);
    EXPECT_EQ(bar.SetMax(0), 0);
    EXPECT_EQ(bar.GetValue(), 0u);
    server.Take();
    EXPECT_EQ(bar.Draw(nullptr), 0);
    EXPECT_EQ(TypesOf(server.Take()),
              (std::vector<unsigned>{CreatePixmap, FillRect, DrawDownBox, CopyAreaP2W, FreePixmap}))
        << "no fill (and no text: the fake server's fonts have no width)";
    bar.GetDisplayText(text);
    EXPECT_STREQ(text, "0%");
    EXPECT_EQ(GL_ProgressBar::Percent(5, 0), 0u);
    EXPECT_EQ(GL_ProgressBar::FillWidth(5, 0, 100), 0);
    EXPECT_EQ(GL_ProgressBar::Percent(~0ul, ~0ul), 100u);
    EXPECT_EQ(GL_ProgressBar::FillWidth(~0ul / 2, ~0ul, 104), 49);
    GL_DefaultProgressDisplayProc(text, 3, 0);
    EXPECT_STREQ(text, "Now has 0% Done.");
}

TEST(Spin, ArrowsStepWrapOrStopAtTheEndsAndTheEditShowsTheValue) {
    FakeServer server;
    // 80 x 30: the edit takes 64, the arrows the 16 on the right.
    GL_Spin spin(nullptr, "spin", 0, 0, 80, 30, 10, 0, 25, 0);
    ValueLog log;
    spin.AddCallback(&log, "Value!", nullptr);
    EXPECT_EQ(spin.GetValue(), 10) << "clamped into the swapped range";
    ASSERT_NE(spin.GetEdit(), nullptr);
    EXPECT_STREQ(spin.GetEdit()->GetName(), "pinedit");
    EXPECT_EQ(std::make_pair(spin.GetEdit()->GetWidth(), spin.GetEdit()->GetHeight()), std::make_pair(64, 30));
    EXPECT_STREQ(spin.GetEdit()->GetText(), "10");

    EXPECT_EQ(spin.MouseDown(30, 5, 1), -1) << "the edit's part";
    EXPECT_EQ(spin.MouseDown(70, 5, 1), 0) << "up arrow";
    EXPECT_EQ(spin.GetValue(), 10) << "already at max, no wrap";
    ASSERT_NE(spin.repeat, nullptr);
    EXPECT_TRUE(spin.repeat->IsRunning());
    EXPECT_EQ(spin.repeat->intervalUSec, 450000u);
    spin.ExecCallback(spin.repeat, "Timeout!", nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(spin.repeat->intervalUSec, 50000u) << "after the first repeat, every 50 ms";
    EXPECT_EQ(spin.GetValue(), 10);
    EXPECT_EQ(spin.MouseUp(70, 5, 1), 0);
    EXPECT_EQ(spin.repeat, nullptr);
    EXPECT_TRUE(log.values.empty());

    spin.MouseDown(70, 25, 1); // down arrow: one step at once
    EXPECT_EQ(spin.GetValue(), 9);
    EXPECT_STREQ(spin.GetEdit()->GetText(), "9");
    spin.ExecCallback(spin.repeat, "Timeout!", nullptr, nullptr, nullptr, nullptr, nullptr);
    spin.ExecCallback(spin.repeat, "Timeout!", nullptr, nullptr, nullptr, nullptr, nullptr);
    spin.MouseUp(70, 25, 1);
    EXPECT_EQ(spin.GetValue(), 7);
    EXPECT_EQ(log.values, (std::vector<std::pair<int, int>>{{9, 10}, {8, 9}, {7, 8}}));

    GL_Spin wrap(nullptr, "wrap", 0, 40, 80, 30, -2, 2, 2, GL_SPIN_WRAP | GL_SPIN_NO_EDIT | GL_SPIN_WIDE_ARROWS);
    EXPECT_EQ(wrap.GetEdit(), nullptr);
    EXPECT_EQ(wrap.MouseDown(45, 5, 1), -1) << "wide arrows start 30 from the right";
    EXPECT_EQ(wrap.MouseDown(55, 5, 1), 0);
    EXPECT_EQ(wrap.GetValue(), -2) << "up from max wraps to min";
    wrap.MouseUp(55, 5, 1);
    EXPECT_EQ(wrap.Step(-1), 0);
    EXPECT_EQ(wrap.GetValue(), 2) << "down from min wraps to max";
}
