// Charts: the grid and bar geometry with their degenerate cases, the rules
// of adding series and items, and, on the real server's emulated panel, a
// pie chart's slices and labels and a bar chart's grid where the rules put them.
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>

#include <cmath>
#include <limits>
#include <string>

#include "egui.h"
#include "harness/client_process.h"
#include "harness/fonts.h"
#include "harness/panel.h"

using namespace testing_eink;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

} // namespace

TEST(Chart, GridCellsAndBarHeightsStayInsideThePlotForEveryRange) {
    struct Case {
        double min, max, step;
        int plot;
        GL_ChartGrid want;
    } const cases[] = {
        {0, 100, 25, 250, {4, 62, 25 + 248}},  // the common case: base at margin + n x spacing
        {0, 100, 30, 250, {3, 83, 25 + 249}},  // truncated cell count
        {0, 10, 25, 250, {0, 0, 25 + 250}},    // step wider than the range: base line alone
        {5, 5, 1, 250, {0, 0, 25 + 250}},      // empty range
        {0, 1e9, 1, 250, {0, 0, 25 + 250}},    // cells finer than a pixel
        {0, 100, 25, 0, {0, 0, 25}},           // no plot height
        {0, 100, 25, -40, {0, 0, 25}},         // margins wider than the window
        {0, kInf, 25, 250, {0, 0, 25 + 250}},  // infinite range
        {0, 100, kNaN, 250, {0, 0, 25 + 250}}, // no step
        {-50, 50, 25, 200, {4, 50, 25 + 200}}, // negative minimum
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max) + " step " + std::to_string(c.step));
        GL_ChartGrid g = GL_ChartGridFor(c.min, c.max, c.step, 25, c.plot);
        EXPECT_EQ(g.cells, c.want.cells);
        EXPECT_EQ(g.spacing, c.want.spacing);
        EXPECT_EQ(g.base, c.want.base);
    }

    struct Bar {
        double value, max;
        int plot, want;
    } const bars[] = {
        {50, 100, 250, 125}, {100, 100, 250, 250}, {250, 100, 250, 250}, {-5, 100, 250, 0},         {50, 0, 250, 0},
        {50, -10, 250, 0},   {kInf, 100, 250, -1}, {kNaN, 100, 250, -1}, {1e300, 1e-300, 250, 250}, {50, 100, 0, 0},
    };
    for (auto const& b : bars)
        EXPECT_EQ(GL_ChartBarHeight(b.value, b.max, b.plot), b.want) << b.value << " of " << b.max;
}

TEST(Chart, ConstructionNormalisesTheAxisAndAddingFollowsTheMode) {
    _GL_Color black = NewColor(0, 0, 0, 255), white = NewColor(255, 255, 255, 255);
    GL_BarChart plain(nullptr, "plain", 10, 100, 0, -20, 7, 0);
    EXPECT_EQ(
        (std::vector<double>{double(plain.margin), plain.minValue, plain.maxValue, plain.step, double(plain.mode)}),
        (std::vector<double>{25, 0, 100, 20, 1}));
    EXPECT_EQ(plain.AddSerieGradient((char*)"g", black, white), -1);
    EXPECT_EQ(plain.AddSerie((char*)"", black), -1);
    EXPECT_EQ(plain.AddSerie(nullptr, black), -1);
    EXPECT_EQ(plain.AddSerie((char*)"a", black), 0);
    EXPECT_EQ(plain.AddSerie((char*)"b", white), 0);
    EXPECT_EQ(plain.AddCategory((char*)"x"), 0);
    EXPECT_EQ(plain.AddCategory((char*)""), -1);
    EXPECT_EQ(plain.SetItem(2, 0, 5.0), -1) << "only two series";
    EXPECT_EQ(plain.SetItem(0, 1, 5.0), -1) << "only one category";
    EXPECT_EQ(plain.SetItem(1, 0, 5.0), 0);
    EXPECT_EQ(plain.SetItem(1, 0, 6.0), 0) << "a second value for a pair is kept as well";
    EXPECT_EQ(plain.items.GetCount(), 2);

    GL_BarChart gradient(nullptr, "gradient", 40, 0, 10, 0, 2, 0);
    EXPECT_EQ(std::make_pair(gradient.step, gradient.margin), std::make_pair(1.0, 40));
    EXPECT_EQ(gradient.AddSerie((char*)"a", black), -1);
    EXPECT_EQ(gradient.AddSerieGradient((char*)"a", black, white), 0);
    EXPECT_EQ(gradient.seriesColors2[0].pixel, white.pixel);

    for (int i = 0; i < 255; ++i)
        ASSERT_EQ(gradient.AddCategory((char*)"c"), 0);
    EXPECT_EQ(gradient.AddCategory((char*)"c"), -1) << "category indexes are 8-bit";

    GL_LineChart line(nullptr, "line", 0, kNaN, kInf, kNaN, 2, 0);
    EXPECT_EQ((std::vector<double>{line.minValue, line.maxValue, line.step}), (std::vector<double>{0, 0, 1}));
    GL_PieChart pie(nullptr, "pie", 20, 3, 0);
    EXPECT_EQ(pie.margin, 70);
    EXPECT_EQ(pie.AddItem(1, black, (char*)""), 0);
    EXPECT_EQ(pie.slices.head->name, nullptr) << "an empty name is absent";
}

namespace {

class ChartE2E : public testing::Test {
protected:
    void SetUp() override {
        signal(SIGPIPE, SIG_IGN);
        WriteFontLists(root, {kDejaVuSans}, kDejaVuSans);
        ASSERT_TRUE(StartLockedServer(server, event0, root));
        setenv("EINK_ROOT", root.dir().c_str(), 1);
        ASSERT_GE(OpenConnection(), 0);
        InitColorS();
        InitFont();
    }
    void TearDown() override { CloseConnection(); }

    // Shows the chart and waits until the panel passes `shown`.
    template <class Shown> PanelImage Show(GL_Window* chart, Shown shown) {
        chart->ShowWindow(0);
        chart->UpdateWindow(nullptr);
        GL_Flush(); // the test is the client and never sleeps in egui_loop
        long long until = MonoMs() + 10000;
        while (MonoMs() < until && !shown(PanelImage(root, 600, 800)))
            SleepMs(50);
        WaitPanelQuiet(root, 300);
        return PanelImage(root, 600, 800);
    }

    static int Width(char const* text) {
        _GS_Rect r{};
        return GL_GetTextInfo(nullptr, nullptr, text, 0, &r, nullptr, nullptr);
    }

    EinkRoot root;
    ServerProcess server{root};
    EventDevice event0{root, 0};
};

} // namespace

TEST_F(ChartE2E, PieSlicesOfOneAndThreeAreAQuarterAndThreeQuartersWithTheirLabels) {
    auto* pie = new GL_PieChart(nullptr, "pie", 0, 0, 600, 600, 170, 0, 0);
    pie->AddItem(1, NewColor(0, 0, 0, 255), (char*)"one");
    pie->AddItem(3, NewColor(0x80, 0x80, 0x80, 255), (char*)"three");
    testing::internal::CaptureStdout();
    PanelImage p = Show(pie, [](PanelImage const& p) { return p.Nibble(346, 346) == 15 && p.Nibble(254, 254) != 0; });
    std::string trace = testing::internal::GetCapturedStdout();
    EXPECT_NE(trace.find("value=1.000000 total=4.000000 inc=90.000000\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("value=3.000000 total=4.000000 inc=270.000000\n"), std::string::npos) << trace;

    // Radius (600 - 340) / 2 = 130 about (300, 300); angles grow clockwise from +x.
    const int grey = GreyToNibble(0x80);
    struct Sample {
        double degrees;
        int nibble;
    } const samples[] = {{10, 15}, {45, 15}, {80, 15}, {100, grey}, {180, grey}, {225, grey}, {315, grey}, {350, grey}};
    for (auto const& s : samples) {
        for (int d : {20, 65, 120}) {
            double a = s.degrees * M_PI / 180;
            int x = 300 + int(d * std::cos(a)), y = 300 + int(d * std::sin(a));
            EXPECT_EQ(p.Nibble(x, y), s.nibble) << s.degrees << " degrees at " << d;
        }
    }
    EXPECT_EQ(p.Nibble(300 + 140, 300), 0) << "nothing beyond the radius";

    // Labels: the leader ends at radius 136 on the middle angle; the first
    // slice's (45 degrees) label starts 2 pixels right of it, the second's
    // (225 degrees) ends 2 pixels left of it, each underlined 2 rows below.
    struct Label {
        char const* text;
        double degrees;
        bool left;
    } const labels[] = {{"25.00%/1", 45, false}, {"75.00%/3", 225, true}};
    for (auto const& l : labels) {
        double a = l.degrees * M_PI / 180;
        int ex = 300 + int(136 * std::cos(a)), ey = 300 + int(136 * std::sin(a));
        int tw = Width(l.text);
        int from = l.left ? ex - 2 - tw : ex + 2, to = l.left ? ex : ex + 2 + tw;
        SCOPED_TRACE(l.text);
        EXPECT_EQ(p.CountOther(from, ey + 2, to - from + 1, 1, 15), 0) << "underline from " << from << " to " << to;
        EXPECT_EQ(p.Nibble(from - 1, ey + 2), 0);
        EXPECT_EQ(p.Nibble(to + 1, ey + 2), 0);
        int textFrom = l.left ? ex - 2 - tw : ex + 2;
        EXPECT_GT(p.CountOther(textFrom, ey - 12, tw, 12, 0), 20) << "the label's ink above its baseline";
        EXPECT_EQ(p.CountOther(textFrom + tw + 3, ey - 12, 6, 12, 0), 0) << "nothing right of the label";
    }
}

TEST_F(ChartE2E, BarChartOfZeroToHundredByTwentyFiveHasFourDashedLinesAndASolidBase) {
    auto* bars = new GL_BarChart(nullptr, "bars", 0, 0, 400, 300, 25, 0, 100, 25, 1, 0);
    // Plot height 250: spacing 62, dashed rows 25, 87, 149, 211, base 273.
    PanelImage p = Show(bars, [](PanelImage const& p) { return p.Nibble(100, 273) == GreyToNibble(iDarkGreyS); });
    const int dark = GreyToNibble(iDarkGreyS);
    for (int row = 20; row < 280; ++row) {
        int ink = 0, other = 0;
        for (int x = 30; x < 300; ++x) {
            int n = p.Nibble(x, row);
            ink += n == dark;
            other += n != dark && n != 0;
        }
        EXPECT_EQ(other, 0) << "row " << row << " holds only background and iDarkGreyS";
        if (row == 25 || row == 87 || row == 149 || row == 211) {
            EXPECT_GT(ink, 270 / 4) << "dashed row " << row;
            EXPECT_LT(ink, 270 * 3 / 4) << "dashed row " << row;
        } else if (row == 273) {
            EXPECT_EQ(p.CountOther(30, row, 270, 1, dark), 0) << "the base line is solid";
        } else {
            EXPECT_EQ(ink, 0) << "row " << row << " is background";
        }
    }
    // The minimum's label ends 2 pixels left of the plot's right edge, on the base line.
    int tw = Width("0");
    EXPECT_GT(p.CountOther(400 - 25 - 2 - tw, 273 - 12, tw, 12, 0), 0);
}

TEST_F(ChartE2E, DegenerateChartsDrawWithoutFaults) {
    _GL_Color black = NewColor(0, 0, 0, 255);
    struct Case {
        int w, h;
        double min, max, step;
        int series, categories;
        double value;
    } const cases[] = {
        {400, 300, 0, 0, 25, 2, 3, 5},         // maximum 0
        {400, 300, 0, 10, 25, 2, 3, 5},        // no grid cells
        {40, 30, 0, 100, 25, 2, 3, 5},         // smaller than its margins
        {600, 300, 0, 100, 25, 1, 1, 50},      // a bar unit over 255
        {400, 300, 0, 100, 25, 0, 0, 0},       // nothing added
        {400, 300, 0, 100, 25, 2, 2, kNaN},    // not-finite values
        {400, 300, 0, 100, 1e-9, 2, 2, 1e308}, // a grid finer than a pixel, a huge value
    };
    for (auto const& c : cases) {
        for (int kind = 0; kind < 2; ++kind) {
            auto fill = [&](auto* chart) {
                for (int s = 0; s < c.series; ++s)
                    chart->AddSerie((char*)"s", black);
                for (int k = 0; k < c.categories; ++k)
                    chart->AddCategory((char*)"k");
                for (int i = 0; i < 6; ++i)
                    chart->SetItem(i % 2 % std::max(c.series, 1), i % std::max(c.categories, 1), c.value);
                return static_cast<GL_Window*>(chart);
            };
            GL_Window* w = kind == 0
                               ? fill(new GL_BarChart(nullptr, "b", 0, 0, c.w, c.h, 25, c.min, c.max, c.step, 1, 0))
                               : fill(new GL_LineChart(nullptr, "l", 0, 0, c.w, c.h, 25, c.min, c.max, c.step, 1, 0));
            w->ShowWindow(0);
            EXPECT_EQ(w->UpdateWindow(nullptr), 0);
            if (kind == 0 && c.w > 50 && c.h > 50) {
                EXPECT_EQ(static_cast<GL_BarChart*>(w)->barUnit,
                          std::min((c.w - 50) / (c.series * c.categories + c.categories + 1), 255));
            }
            delete w;
        }
    }
    // A pie whose slices sum to 0 draws its background only.
    auto* pie = new GL_PieChart(nullptr, "zero", 0, 0, 300, 300, 70, 0, 0);
    pie->AddItem(0, black, (char*)"a");
    pie->AddItem(-0.0, black, (char*)"b");
    testing::internal::CaptureStdout();
    PanelImage p = Show(pie, [](PanelImage const& p) { return p.CountOther(0, 0, 300, 300, 0) == 0; });
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(p.CountOther(0, 0, 300, 300, 0), 0);
}
