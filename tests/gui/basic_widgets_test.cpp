// The basic widgets against an in-process fake server: what each Draw sends
// (one pixmap, one copy, the caption where measurement puts it, the
// decoration of the style), the press-offset table, the LED's segments,
// check and radio states with their callbacks, and widgets deleted from
// inside their own callbacks (run under ASan).
#include "fake_server.h"
#include "gui/text_tables.h"

#include "gl_button.h"
#include "gl_check.h"
#include "gl_label.h"
#include "gl_led.h"
#include "gl_panel.h"
#include "gl_text.h"
#include "gui_util.h"
#include "nc_font.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace {

enum : unsigned {
    CreatePixmap = 10,
    FreePixmap = 11,
    CopyAreaP2W = 13,
    FillRect = 20,
    DrawDownBoxS = 44,
    DrawUpBox = 45,
    DrawDownBox = 46,
    DrawWRect = 61,
    DrawSmallArrow = 67,
    TextOutSingle = 119,
};

int32_t S(Msg const& m, size_t off) { return int32_t(m.word(off)); }

// The requests of one Draw, checked for the frame every widget keeps: one
// pixmap of the window's size, painted, copied once, freed.
struct DrawnPixmap {
    std::vector<Msg> body; // between CreatePixmap and the copy
    std::string why;       // empty when the frame is right
    std::vector<Msg> Of(unsigned type) const {
        std::vector<Msg> out;
        for (auto const& m : body)
            if (m.type() == type) out.push_back(m);
        return out;
    }
};

DrawnPixmap TakeDraw(FakeServer& server, GL_Window& w) {
    DrawnPixmap d;
    auto sent = server.Take();
    if (sent.size() < 3) {
        d.why = "fewer than 3 requests";
        return d;
    }
    Msg const& create = sent.front();
    if (create.type() != CreatePixmap || S(create, 8) != w.GetWidth() || S(create, 12) != w.GetHeight())
        d.why += "does not start with a window-sized CreatePixmap; ";
    if (sent[sent.size() - 2].type() != CopyAreaP2W || sent.back().type() != FreePixmap)
        d.why += "does not end in one copy and the free; ";
    uint32_t pixmap = create.word(4);
    for (size_t i = 1; i + 2 < sent.size(); ++i) {
        if (sent[i].type() == CopyAreaP2W || sent[i].type() == CreatePixmap) d.why += "a second pixmap or copy; ";
        if (sent[i].word(4) != pixmap) d.why += "a request outside the pixmap; ";
        d.body.push_back(sent[i]);
    }
    return d;
}

class Recorder : public GL_Object {
public:
    Recorder() : GL_Object(nullptr, "recorder", 0) {}
    int ExecCallback(GL_Object* sender, char const* event, void* a, void* b, void* c, void*, void*) override {
        std::string e = event;
        if (a && (e == "Clicked!" || e == "Checked!")) e += std::to_string(*static_cast<unsigned char*>(a));
        if (b && e.rfind("Mouse", 0) == 0)
            e += " " + std::to_string(*static_cast<int*>(a)) + "," + std::to_string(*static_cast<int*>(b)) + "," +
                 std::to_string(*static_cast<unsigned char*>(c));
        events.push_back(e);
        if (onEvent) onEvent(sender, event);
        return 0;
    }
    void Watch(GL_Object* o) {
        for (char const* e : {"Clicked!", "Checked!", "MouseDown!", "MouseUp!", "MouseIn!", "MouseOut!"})
            o->AddCallback(this, e, nullptr);
    }
    std::vector<std::string> events;
    std::function<void(GL_Object*, char const*)> onEvent;
};

struct Screen {
    FakeServer server;
    GL_Window main{nullptr, "main", 0, 0, 600, 800, iWhiteS, 0};
    Screen() {
        InitFont();
        text_test::SetTables(true); // scalable fonts with known widths
        main.ShowWindow(0);
        server.Take();
    }
};

} // namespace

TEST(BasicWidgets, LabelStylesAlignmentsAndStatesDrawTheirCaptionAndDecoration) {
    Screen s;
    EXPECT_EQ(GL_Label(&s.main, "seven", "x", 7).GetLabelStyle(), 0) << "style above 3 is plain";
    const char* text = "Caption";
    const int W = 200, H = 30;
    _GS_Rect r{};
    const int tw = GL_GetTextInfo(nullptr, nullptr, text, 0, &r, nullptr, nullptr);
    ASSERT_GT(tw, 0);
    const int base = (H - r.height) / 2 - r.y;
    struct Case {
        int style, align;
        bool disabled, hot, pressed;
        int textX;
        unsigned decoration; // 0: none
    } const cases[] = {
        {0, 0, false, false, false, 0, 0},          {0, 1, false, false, false, (W - tw) / 2, 0},
        {0, 2, false, false, false, W - tw, 0},     {0, 5, false, false, false, 0, 0}, // other alignments are left
        {0, 0, true, false, false, 0, 0},           {1, 0, false, false, false, 2, 0},
        {1, 2, false, false, false, W - tw - 2, 0}, {1, 1, false, true, false, (W - tw) / 2, DrawUpBox},
        {1, 0, false, true, true, 2, DrawDownBox},  {3, 1, false, false, false, (W - tw) / 2, DrawWRect},
        {3, 0, true, false, false, 0, DrawWRect},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE("style " + std::to_string(c.style) + " align " + std::to_string(c.align) +
                     (c.disabled ? " disabled" : "") + (c.hot ? " hot" : "") + (c.pressed ? " pressed" : ""));
        auto* l = new GL_Label(&s.main, "l", text, 10, 10, W, H, c.style);
        l->ShowWindow(0);
        l->SetForeColor(40);
        l->SetMouseEnabled(1);
        l->SetAlign(static_cast<unsigned char>(c.align));
        EXPECT_EQ(l->GetAlign(), c.align == 5 ? 0 : c.align);
        if (c.disabled) l->DisableWindow();
        if (c.hot) l->MouseIn(1, 1, 0);
        if (c.pressed) l->MouseDown(1, 1, 0);
        s.server.Take();
        l->Draw(nullptr);
        DrawnPixmap d = TakeDraw(s.server, *l);
        EXPECT_EQ(d.why, "");
        auto fills = d.Of(FillRect);
        ASSERT_FALSE(fills.empty());
        EXPECT_EQ(fills[0].word(24), 191u) << "background first";
        auto texts = d.Of(TextOutSingle);
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(S(texts[0], 16), c.textX);
        EXPECT_EQ(S(texts[0], 20), base);
        EXPECT_EQ(texts[0].word(28), c.disabled ? iDarkGreyS : 40u);
        for (unsigned deco : {DrawUpBox, DrawDownBox, DrawWRect})
            EXPECT_EQ(d.Of(deco).size(), deco == c.decoration ? 1u : 0u) << "decoration " << deco;
        if (c.decoration == DrawWRect) {
            EXPECT_EQ(std::make_tuple(S(d.Of(DrawWRect)[0], 16), S(d.Of(DrawWRect)[0], 24)), std::make_tuple(W, 4));
        }
        delete l;
        s.server.Take();
    }
}

TEST(BasicWidgets, WrappedLabelDrawsOneLinePerSplitLineAligned) {
    Screen s;
    const char* text = "one two three four five six seven eight nine ten";
    GL_Label l(&s.main, "wrap", text, 0, 0, 120, 200, 2);
    l.SetAlign(2);
    l.ShowWindow(0);
    s.server.Take();
    l.Draw(nullptr);
    DrawnPixmap d = TakeDraw(s.server, l);
    EXPECT_EQ(d.why, "");
    GL_List expect;
    int n = SplitString(nullptr, const_cast<char*>(text), 120, 1, &expect);
    ASSERT_GT(n, 1);
    // Each line is one request at its aligned x; lines step by the line height.
    auto texts = d.Of(TextOutSingle);
    ASSERT_GE(int(texts.size()), n);
    std::vector<int> ys;
    for (auto const& t : texts)
        if (ys.empty() || ys.back() != S(t, 20)) ys.push_back(S(t, 20));
    ASSERT_EQ(int(ys.size()), n);
    const int lh = text_test::kLine;
    EXPECT_EQ(ys[0], (200 - n * lh) / 2 > lh ? 2 + text_test::kAscent : (200 - n * lh) / 2 + text_test::kAscent);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(ys[i], ys[0] + i * lh);
        for (auto const& t : texts)
            if (S(t, 20) == ys[i]) {
                EXPECT_EQ(S(t, 16), 120 - int(expect.GetAt(i)->value)) << "line " << i;
                break;
            }
    }
    for (GL_ListData* p = expect.head; p; p = p->next)
        GL_free(p->data);
}

TEST(BasicWidgets, LabelPointerEventsCarryScreenPositionAndClicksNeedMouseEnabling) {
    Screen s;
    GL_Label l(&s.main, "push", "Push", 100, 50, 80, 30, 1);
    l.ShowWindow(0);
    Recorder rec;
    rec.Watch(&l);
    l.MouseDown(3, 4, 1);
    l.MouseUp(3, 4, 1);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"MouseDown! 103,54,1", "MouseUp! 103,54,1"}))
        << "no click without SetMouseEnabled";
    rec.events.clear();
    l.SetMouseEnabled(1);
    s.server.Take();
    EXPECT_EQ(l.MouseDown(3, 4, 1), 0);
    EXPECT_EQ(TakeDraw(s.server, l).Of(DrawDownBox).size(), 1u) << "pressed push-label sinks";
    EXPECT_EQ(l.MouseUp(90, 4, 1), 0);
    DrawnPixmap up = TakeDraw(s.server, l);
    EXPECT_EQ(up.why, "");
    EXPECT_EQ(up.Of(DrawDownBox).size(), 0u);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"MouseDown! 103,54,1", "MouseUp! 190,54,1"}))
        << "released outside: no click";
    EXPECT_EQ(l.MouseUp(3, 4, 1), -1) << "not pressed";
    rec.events.clear();
    l.MouseDown(3, 4, 1);
    l.MouseUp(79, 29, 1);
    EXPECT_EQ(rec.events.back(), "Clicked!");
}

TEST(BasicWidgets, PressOffsetTableAndPressMovedClicks) {
    Screen s;
    GL_Button b(&s.main, "b", "OK", 100, 100, 60, 30, 0);
    b.ShowWindow(0);
    EXPECT_EQ(b.SetPressMoved(0, 0), -1) << "nothing changes";
    int const table[][3] = {{1, 0, 2},  {2, -2, 0},  {3, 0, -2}, {4, 2, 2}, {5, 2, -2},
                            {6, -2, 2}, {7, -2, -2}, {0, 2, 0},  {8, 2, 0}, {200, 2, 0}};
    for (auto const& t : table) {
        SCOPED_TRACE("direction " + std::to_string(t[0]));
        EXPECT_EQ(b.SetPressMoved(1, static_cast<unsigned char>(t[0])), 0);
        EXPECT_EQ(b.SetPressMoved(1, static_cast<unsigned char>(t[0])), -1);
        EXPECT_EQ(b.pressDX, t[1]);
        EXPECT_EQ(b.pressDY, t[2]);
        s.server.Take();
        b.MouseDown(5, 5, 1);
        EXPECT_EQ(std::make_pair(b.GetX(), b.GetY()), std::make_pair(100 + t[1], 100 + t[2]));
        for (auto const& m : s.server.Take())
            EXPECT_NE(m.type(), CopyAreaP2W) << "a moved button does not redraw";
        b.MouseUp(5, 5, 1);
        EXPECT_EQ(std::make_pair(b.GetX(), b.GetY()), std::make_pair(100, 100)) << "moves back";
    }
    // Shifted right by 2: a release at x = -2 is on the button's old place.
    b.SetPressMoved(1, 0);
    Recorder rec;
    b.AddCallback(&rec, "Clicked!", nullptr);
    for (int x : {-2, -3, 59, 60}) {
        b.MouseDown(5, 5, 1);
        b.MouseUp(x, 5, 1);
    }
    EXPECT_EQ(rec.events, (std::vector<std::string>{"Clicked!", "Clicked!", "Clicked!"})) << "all but x = -3";
    // Without press-move: sunken while pressed, raised after, clicks only inside.
    GL_Button plain(&s.main, "p", "Plain", 10, 10, 60, 30, 0);
    plain.ShowWindow(0);
    s.server.Take();
    plain.MouseDown(1, 1, 1);
    EXPECT_EQ(TakeDraw(s.server, plain).Of(DrawDownBox).size(), 1u);
    plain.MouseUp(-2, 1, 1);
    EXPECT_EQ(TakeDraw(s.server, plain).Of(DrawUpBox).size(), 1u);
}

TEST(BasicWidgets, LedSegmentsForEveryDigitAndMarksStayInsideTheWindow) {
    Screen s;
    // One 40 x 80 cell: dh 70, top 5, sw 35, t 14.
    const int x = 0, top = 5, dh = 70, sw = 35, t = 14, h = 80;
    using Rect = std::tuple<int, int, int, int>;
    const Rect seg[7] = {{x, top, sw, t},          {x, top, t, dh / 2},        {x, h / 2, t, (dh + 1) / 2},
                         {x, top + dh - t, sw, t}, {x + sw - t, h / 2, t, 35}, {x + sw - t, top, t, dh / 2},
                         {x, h / 2 - t / 2, sw, t}};
    const char* lit[10] = {"012345", "45", "02356", "03456", "1456", "01346", "012346", "045", "0123456", "013456"};
    GL_Led led(&s.main, "led", "", 0, 0, 40, 80, 1, iWhiteS);
    led.ShowWindow(0);
    auto inkRects = [&](char const* text) {
        s.server.Take();
        led.SetText(text);
        DrawnPixmap d = TakeDraw(s.server, led);
        EXPECT_EQ(d.why, "");
        std::multiset<Rect> out;
        auto fills = d.Of(FillRect);
        for (size_t i = 1; i < fills.size(); ++i)
            out.insert({S(fills[i], 8), S(fills[i], 12), S(fills[i], 16), S(fills[i], 20)});
        return out;
    };
    for (int digit = 0; digit < 10; ++digit) {
        std::multiset<Rect> expect;
        for (char const* p = lit[digit]; *p; ++p)
            expect.insert(seg[*p - '0']);
        EXPECT_EQ(inkRects(std::to_string(digit).c_str()), expect) << "digit " << digit;
    }
    EXPECT_EQ(inkRects("-"), (std::multiset<Rect>{{4, 33, 30, 14}}));
    EXPECT_EQ(inkRects("."), (std::multiset<Rect>{{10, 50, 14, 14}}));
    EXPECT_EQ(inkRects(":"), (std::multiset<Rect>{{10, 15, 14, 14}, {10, 50, 14, 14}}));
    EXPECT_TRUE(inkRects("x").empty());

    // "12:3" in four cells of a 40 x 16 window: 10-pixel cells from x = 0.
    GL_Led clock(&s.main, "clock", "12:3", 0, 0, 40, 16, 4, iWhiteS);
    clock.ShowWindow(0);
    s.server.Take();
    clock.Draw(nullptr);
    auto fills = TakeDraw(s.server, clock).Of(FillRect);
    std::set<int> cells;
    for (size_t i = 1; i < fills.size(); ++i)
        cells.insert(S(fills[i], 8) / 10);
    EXPECT_EQ(cells, (std::set<int>{0, 1, 2, 3}));

    // Too much text, too narrow or empty windows: nothing outside, no division by zero.
    struct Odd {
        const char* text;
        int w, h, digits, align;
    } const odd[] = {{"123456789", 40, 16, 3, 0}, {"88", 5, 30, 4, 2}, {"8", 3, 60, 1, 1},
                     {"8:8", 30, 1, 3, 0},        {"88", 0, 20, 2, 0}, {"88", 20, 0, 2, 0}};
    for (auto const& o : odd) {
        SCOPED_TRACE(std::string(o.text) + " in " + std::to_string(o.w) + "x" + std::to_string(o.h));
        GL_Led l(&s.main, "odd", o.text, 0, 0, o.w, o.h, o.digits, iWhiteS);
        l.SetAlign(static_cast<unsigned char>(o.align));
        l.ShowWindow(0);
        s.server.Take();
        l.Draw(nullptr);
        for (auto const& m : s.server.Take())
            if (m.type() == FillRect) {
                EXPECT_GE(S(m, 8), 0);
                EXPECT_GE(S(m, 12), 0);
                EXPECT_GT(S(m, 16), 0);
                EXPECT_GT(S(m, 20), 0);
                EXPECT_LE(S(m, 8) + S(m, 16), o.w);
                EXPECT_LE(S(m, 12) + S(m, 20), o.h);
            }
    }
    EXPECT_EQ(led.SetLineWidth(0), -1);
    EXPECT_EQ(led.SetLineWidth(5), -1) << "unchanged";
    EXPECT_EQ(led.SetLineWidth(30), -1) << "segments thinner than 3 parts";
    EXPECT_EQ(led.SetLineWidth(7), 0);
}

TEST(BasicWidgets, CheckTickStatesAndCallbacks) {
    Screen s;
    GL_Check c(&s.main, "c", "Check", 0, 0, 120, 25, 0);
    c.ShowWindow(0);
    Recorder rec;
    rec.Watch(&c);
    s.server.Take();
    EXPECT_EQ(c.SetChecked(2), 0);
    EXPECT_EQ(c.GetChecked(), 2);
    EXPECT_EQ(c.SetChecked(1), -1) << "still checked";
    DrawnPixmap d = TakeDraw(s.server, c);
    EXPECT_EQ(d.why, "");
    // Background, the white box, then the tick: columns 5..11 of three pixels.
    auto fills = d.Of(FillRect);
    ASSERT_EQ(fills.size(), 9u);
    const int top = (25 - 13) / 2, from[7] = {5, 6, 7, 6, 5, 4, 3};
    EXPECT_EQ((std::vector<int>{S(fills[1], 8), S(fills[1], 12), S(fills[1], 16), S(fills[1], 20)}),
              (std::vector<int>{2, top, 13, 13}));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ((std::vector<int>{S(fills[2 + i], 8), S(fills[2 + i], 12), S(fills[2 + i], 16), S(fills[2 + i], 20),
                                    int(fills[2 + i].word(24))}),
                  (std::vector<int>{5 + i, top + from[i], 1, 3, 0}));
    EXPECT_EQ(d.Of(DrawDownBoxS).size(), 1u);
    EXPECT_EQ(S(d.Of(TextOutSingle)[0], 16), 17);
    c.MouseDown(5, 5, 1);
    c.MouseUp(5, 5, 1);
    EXPECT_EQ(c.GetChecked(), 0);
    c.MouseDown(5, 5, 1);
    c.MouseUp(500, 5, 1);
    EXPECT_EQ(c.GetChecked(), 0) << "released outside";
    EXPECT_EQ(c.MouseUp(5, 5, 1), -1);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"Checked!2", "Clicked!0"}));
}

TEST(BasicWidgets, GroupedRadiosExchangeTheirCheck) {
    Screen s;
    auto* g = new GL_Group(&s.main, "g", "Group", 0, 0, 200, 100, 0);
    auto* a = new GL_Radio(g, "a", "A", 10, 20, 100, 24, 0);
    auto* b = new GL_Radio(g, "b", "B", 10, 50, 100, 24, 0);
    GL_Radio lone(&s.main, "lone", "Lone", 300, 0, 100, 24, 0);
    EXPECT_TRUE(a->grouped && b->grouped);
    EXPECT_FALSE(lone.grouped);
    EXPECT_EQ(g->radios.first->data, b) << "the chain starts with the last radio";
    g->ChooseRadio(a);
    Recorder rec;
    rec.Watch(a);
    rec.Watch(b);
    b->MouseDown(2, 2, 1);
    b->MouseUp(2, 2, 1);
    EXPECT_EQ(a->GetChecked(), 0);
    EXPECT_EQ(b->GetChecked(), 1);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"Checked!0", "Checked!1", "Clicked!1"}));
    lone.MouseDown(2, 2, 1);
    lone.MouseUp(2, 2, 1);
    lone.MouseDown(2, 2, 1);
    lone.MouseUp(2, 2, 1);
    EXPECT_EQ(lone.GetChecked(), 0) << "an ungrouped radio toggles";
    EXPECT_EQ(g->RemoveRadio(&lone), -1);
    delete b;
    EXPECT_EQ(g->radios.count, 1) << "a deleted radio leaves the chain";
    delete g; // with a radio still in the chain
}

TEST(BasicWidgets, EveryWidgetMayBeDeletedByItsOwnClickTarget) {
    Screen s;
    Recorder killer;
    killer.onEvent = [](GL_Object* sender, char const* event) {
        if (std::string(event) == "Clicked!") delete sender;
    };
    auto label = new GL_Label(&s.main, "l", "L", 0, 0, 50, 20, 1);
    label->SetMouseEnabled(1);
    auto group = new GL_Group(&s.main, "g", "G", 0, 0, 100, 100, 0);
    std::vector<GL_Window*> widgets = {label,
                                       new GL_Button(&s.main, "b", "B", 0, 0, 50, 20, 0),
                                       new GL_SwitchButton(&s.main, "s", "S", 0, 0, 50, 20, 0),
                                       new GL_Check(&s.main, "c", "C", 0, 0, 50, 20, 0),
                                       new GL_Radio(&s.main, "r", "R", 0, 0, 50, 20, 0),
                                       new GL_Radio(group, "gr", "GR", 0, 0, 50, 20, 0)};
    s.main.ShowWindow(0);
    for (GL_Window* w : widgets) {
        SCOPED_TRACE(w->GetClassName());
        killer.events.clear();
        w->AddCallback(&killer, "Clicked!", nullptr);
        w->ShowWindow(0);
        w->MouseDown(1, 1, 1);
        EXPECT_EQ(w->MouseUp(1, 1, 1), 0);
        EXPECT_EQ(killer.events.size(), 1u);
    }
    EXPECT_EQ(group->radios.count, 0);
}
