// The edits against an in-process fake server with metric tables of known
// widths. GL_SEdit: typing, editing keys, pointer selection, scrolling past
// the right edge, the caret timer and drawing. GL_MEdit and GL_PictureSEdit:
// row division, long paragraphs, keys, scrolling, pointer selection across
// rows, the caret.
#include "fake_server.h"

#include "gl_medit.h"
#include "gl_pictureedit.h"
#include "gl_scroll.h"
#include "gl_sedit.h"
#include "gl_timeout.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

enum : unsigned { FillRect = 20, DrawLine = 42 };

using Env = TextEnv;

template <class E> std::string Text(E& e) { return e.GetText() ? e.GetText() : ""; }

int Key(GL_Window& e, const char* s, unsigned code2 = 0, unsigned char released = 0) {
    std::string buf = s ? s : "";
    return e.KeyIn(s ? &buf[0] : nullptr, int(buf.size()), 0, code2, 0, released);
}

// Drags from index `from` to index `to` (boundaries measured by the edit).
void Select(GL_SEdit& e, int from, int to) {
    int x0 = e.CharPosX(from), x1 = e.CharPosX(to);
    ASSERT_EQ(e.MouseDown(x0, 10, 1), 0);
    ASSERT_EQ(e.MouseMove(x1, 10, 1), 0);
    ASSERT_EQ(e.MouseUp(x1, 10, 1), 0);
}

std::vector<std::pair<int, int>> Rows(GL_MEdit& e) {
    std::vector<std::pair<int, int>> r;
    for (int i = 0; i < e.GetRowCount(); i++) {
        int s, t;
        e.GetRow(i, &s, &t);
        r.push_back({s, t});
    }
    return r;
}

} // namespace

// The editing edge cases, each from a fresh edit.
TEST(SEdit, TypingAndEditingKeys) {
    Env env;
    struct Case {
        const char* name;
        const char* initial;
        void (*act)(GL_SEdit&);
        const char* text;
        int cursor;
    };
    const Case cases[] = {
        {"typing into an empty edit", "", [](GL_SEdit& e) { EXPECT_EQ(Key(e, "ab"), 0); }, "ab", 2},
        {"a release changes nothing", "xy", [](GL_SEdit& e) { EXPECT_EQ(Key(e, "q", 0, 1), -1); }, "xy", 2},
        {"release of backspace", "xy", [](GL_SEdit& e) { EXPECT_EQ(Key(e, nullptr, GL_KEY_BACKSPACE, 1), -1); }, "xy",
         2},
        {"backspace at the end", "abc", [](GL_SEdit& e) { EXPECT_EQ(Key(e, nullptr, GL_KEY_BACKSPACE), 0); }, "ab", 2},
        {"delete at the end changes nothing", "abc", [](GL_SEdit& e) { EXPECT_EQ(Key(e, nullptr, GL_KEY_DELETE), 0); },
         "abc", 3},
        {"an unknown key without text", "abc", [](GL_SEdit& e) { EXPECT_EQ(Key(e, nullptr, 0x1234), -1); }, "abc", 3},
        {"backspace with a selection removes exactly it", "hello world",
         [](GL_SEdit& e) {
             Select(e, 7, 2);
             EXPECT_EQ(Key(e, nullptr, GL_KEY_BACKSPACE), 0);
         },
         "heorld", 2},
        {"delete with a selection", "hello world",
         [](GL_SEdit& e) {
             Select(e, 0, 6);
             EXPECT_EQ(Key(e, nullptr, GL_KEY_DELETE), 0);
         },
         "world", 0},
        {"typing replaces the selection", "hello world",
         [](GL_SEdit& e) {
             Select(e, 6, 11);
             EXPECT_EQ(Key(e, "there"), 0);
         },
         "hello there", 11},
        {"typing in the middle", "held",
         [](GL_SEdit& e) {
             Select(e, 2, 2);
             EXPECT_EQ(Key(e, "xy"), 0);
         },
         "hexyld", 4},
        {"delete in the middle", "abcd",
         [](GL_SEdit& e) {
             Select(e, 1, 1);
             EXPECT_EQ(Key(e, nullptr, GL_KEY_DELETE), 0);
         },
         "acd", 1},
        {"selection, shorter SetText, backspace", "hello world",
         [](GL_SEdit& e) {
             Select(e, 3, 11);
             EXPECT_EQ(e.SetText("hi"), 0);
             EXPECT_EQ(Key(e, nullptr, GL_KEY_BACKSPACE), 0);
         },
         "h", 1},
        {"selection kept by the fields, shorter SetText, delete", "hello world",
         [](GL_SEdit& e) {
             Select(e, 3, 11);
             e.SetText("hi");
             // Indexes written from outside are brought back into range.
             e.selecting = 1;
             e.selStart = 9;
             e.selEnd = 40;
             e.cursor = 77;
             EXPECT_EQ(Key(e, nullptr, GL_KEY_DELETE), 0);
         },
         "hi", 2},
        {"two-byte characters", "", [](GL_SEdit& e) { EXPECT_EQ(Key(e, "\xD6\xD0z"), 0); }, "\xD6\xD0z", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GL_SEdit e(nullptr, "edit", c.initial, 0, 0, 300, 30, 0);
        c.act(e);
        EXPECT_EQ(Text(e), c.text);
        EXPECT_EQ(e.GetCursor(), c.cursor);
        EXPECT_EQ(e.GetCharCount(), int(std::string(c.text).size()) - (c.text[0] == '\xD6' ? 1 : 0));
        EXPECT_EQ(e.selStart <= e.GetCharCount() && e.selEnd <= e.GetCharCount(), true);
    }
}

TEST(SEdit, PointerSelection) {
    Env env;
    GL_SEdit e(nullptr, "edit", "abcdefgh", 0, 0, 300, 30, 0);
    // Outside the window a press does nothing.
    EXPECT_EQ(e.MouseDown(400, 10, 1), -1);
    EXPECT_EQ(e.MouseMove(50, 10, 1), -1);
    EXPECT_EQ(e.MouseUp(50, 10, 1), -1);
    // A press between two boundaries goes to the nearer one.
    int b2 = e.CharPosX(2), b3 = e.CharPosX(3);
    EXPECT_EQ(e.IndexAtX(b2 + (b3 - b2) / 2 - 1), 2);
    EXPECT_EQ(e.IndexAtX(b3 - 1), 3);
    EXPECT_EQ(e.IndexAtX(-50), 0);
    EXPECT_EQ(e.IndexAtX(5000), 8);
    // A small move selects nothing yet, a larger one selects.
    ASSERT_EQ(e.MouseDown(b2, 10, 1), 0);
    EXPECT_EQ(e.selStart, 2);
    EXPECT_EQ(e.MouseMove(b2 + 3, 10, 1), 0);
    EXPECT_EQ(std::make_tuple(e.selecting, e.selStart, e.selEnd), std::make_tuple(1, -1, -1));
    EXPECT_EQ(e.MouseMove(e.CharPosX(6), 10, 1), 0);
    EXPECT_EQ(std::make_pair(e.selStart, e.selEnd), std::make_pair(2, 6));
    // A move beyond the window is held at w - 3.
    EXPECT_EQ(e.MouseMove(1000, 10, 1), 0);
    EXPECT_EQ(e.selEnd, e.IndexAtX(297));
    EXPECT_EQ(e.MouseUp(e.CharPosX(5), 10, 1), 0);
    int lo = -1, hi = -1;
    EXPECT_EQ(e.GetSelection(&lo, &hi), 1);
    EXPECT_EQ(std::make_pair(lo, hi), std::make_pair(2, 5));
    EXPECT_EQ(e.GetCursor(), 5);
    EXPECT_NE(e.caretTimer, nullptr);
    // Press and release at the same index: cursor there, no selection.
    Select(e, 4, 4);
    EXPECT_EQ(e.GetSelection(nullptr, nullptr), 0);
    EXPECT_EQ(e.GetCursor(), 4);
    // RemoveSelectedText without a selection changes nothing.
    EXPECT_EQ(e.RemoveSelectedText(), -1);
    EXPECT_EQ(Text(e), "abcdefgh");
}

TEST(SEdit, TypingPastTheRightEdgeScrollsAndBackspaceScrollsBack) {
    Env env;
    const int w = 60;
    GL_SEdit e(nullptr, "edit", "", 0, 0, w, 30, 0);
    bool scrolled = false;
    for (int i = 0; i < 40; i++) {
        ASSERT_EQ(Key(e, "m"), 0);
        EXPECT_LE(e.caretX, w - 2);
        EXPECT_EQ(e.caretX, e.CharPosX(e.GetCursor()));
        if (e.originX < 4) {
            scrolled = true;
            EXPECT_EQ(e.caretX, w - 8); // caret 8 pixels inside the right edge
        }
    }
    EXPECT_TRUE(scrolled);
    // Back to the start: the caret never leaves the window on the left.
    for (int i = 0; i < 40; i++) {
        ASSERT_EQ(Key(e, nullptr, GL_KEY_BACKSPACE), 0);
        EXPECT_GE(e.caretX, 4);
        EXPECT_LE(e.caretX, w - 2);
    }
    EXPECT_EQ(e.originX, 4);
    EXPECT_EQ(e.GetText(), nullptr);
}

TEST(SEdit, CaretTimerCallbacksAndFocus) {
    Env env;
    GL_SEdit e(nullptr, "edit", "", 0, 0, 100, 30, 0);
    EXPECT_EQ(e.caretTimer, nullptr);
    EXPECT_EQ(e.ExecCallback(nullptr, nullptr, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(e.ExecCallback(nullptr, "", 0, 0, 0, 0, 0), -1);
    ASSERT_EQ(Key(e, "a"), 0);
    GL_Timeout* t = e.caretTimer;
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->IsRunning() && (t->flags & GL_Timeout::kRepeat));
    EXPECT_EQ(t->intervalSec * 1000000 + t->intervalUSec, 450000u);
    EXPECT_EQ(e.caretShown, 1);
    // The timer's "Timeout!" toggles the caret; the same event from anyone else does not.
    t->gCallback("Timeout!");
    EXPECT_EQ(e.caretShown, 0);
    GL_Timeout other(0, 1000, 0);
    EXPECT_EQ(e.ExecCallback(&other, "Timeout!", 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(e.caretShown, 0);
    t->gCallback("Timeout!");
    EXPECT_EQ(e.caretShown, 1);
    EXPECT_EQ(e.SetInsertSymbolColor(e.insertSymbolColor), -1);
    EXPECT_EQ(e.SetInsertSymbolColor(iRedS), 0);
    EXPECT_EQ(e.LostFocus(), 0);
    EXPECT_EQ(e.caretTimer, nullptr);
    EXPECT_EQ(e.caretShown, 0);
    GL_SEdit empty(nullptr, "empty", "", 0); // the short form
    EXPECT_EQ(empty.GetText(), nullptr);
}

// What a shown edit sends: the selection box in blue from y = 4 to h - 4, the
// red caret from y = 4 to h - 5 at the caret position.
TEST(SEdit, DrawsSelectionBoxAndCaret) {
    Env env;
    FakeServer& server = env.server;
    const int w = 200, h = 30;
    GL_SEdit e(nullptr, "edit", "hello world", 0, 0, w, h, 0);
    e.ShowWindow();
    server.Take();
    Select(e, 2, 7);
    auto msgs = server.Take();
    bool box = false, caret = false;
    for (auto& m : msgs) {
        const std::vector<int> at = {int(m.word(8)), int(m.word(12)), int(m.word(16)), int(m.word(20))};
        if (m.type() == FillRect && m.word(24) == iBlueS) {
            box = true;
            EXPECT_EQ(at, (std::vector<int>{e.CharPosX(2), 4, e.CharPosX(7) - e.CharPosX(2), h - 8}));
        }
        if (m.type() == DrawLine && m.word(24) == iRedS) {
            caret = true;
            EXPECT_EQ(at, (std::vector<int>{e.CharPosX(7), 4, e.CharPosX(7), h - 5}));
        }
    }
    EXPECT_TRUE(box);
    EXPECT_TRUE(caret);
    // Caret hidden by the timer: no red line on the next drawing.
    e.caretTimer->gCallback("Timeout!");
    for (auto& m : server.Take())
        EXPECT_FALSE(m.type() == DrawLine && m.word(24) == iRedS);
}

TEST(MEdit, RowDivision) {
    Env env;
    using R = std::vector<std::pair<int, int>>;
    struct Case {
        const char* name;
        int w;
        std::string text;
        R rows;
    };
    const Case cases[] = {
        // 124 wide: rows of 100 pixels. 20 x 5 reaches 100 exactly: the row
        // ends after the 20th character.
        {"width reached exactly", 124, std::string(25, 'd'), R{{0, 20}, {20, 25}}},
        // 11 x 9 = 99, the 12th passes 100: it starts the next row.
        {"width passed", 124, std::string(23, 'a'), R{{0, 11}, {11, 22}, {22, 23}}},
        {"empty text: one empty row", 124, "", R{{0, 0}}},
        {"empty paragraphs", 124, "dd\n\ndd\n", R{{0, 2}, {3, 3}, {4, 6}, {7, 7}}},
        // Narrower than the margins: every character on its own row.
        {"no width", 20, "ab", R{{0, 1}, {1, 2}}},
        {"carriage returns are dropped", 124, "d\r\nd", R{{0, 1}, {2, 3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GL_MEdit e(nullptr, "medit", c.text.c_str(), 0, 0, c.w, 100, 0);
        EXPECT_EQ(Rows(e), c.rows);
    }
}

// A paragraph of 1,000 rows keeps all its text and all its rows.
TEST(MEdit, ParagraphOverTheOldRowLimitGrowsTheRowTable) {
    Env env;
    std::string big(20 * 1000, 'd');
    GL_MEdit e(nullptr, "medit", big.c_str(), 0, 0, 124, 200, 0);
    EXPECT_EQ(e.GetParagraphCount(), 1);
    ASSERT_EQ(e.GetRowCount(), 1000);
    int s, t;
    e.GetRow(999, &s, &t);
    EXPECT_EQ(std::make_pair(s, t), std::make_pair(19980, 20000));
    EXPECT_EQ(Text(e), big);
    // The scroll range covers all rows: 1000 x 20 - 200 + 4.
    GL_Scroll* vs = e.GetScroll();
    EXPECT_EQ((std::vector<int>{vs->GetMax(), vs->GetStep(), vs->GetPage()}),
              (std::vector<int>{1000 * 20 - 200 + 4, 20, 196}));
    // Typing at the end scrolls the last row into view.
    ASSERT_EQ(Key(e, "d"), 0);
    EXPECT_EQ(e.GetScroll()->GetMax(), 1001 * 20 - 200 + 4);
    EXPECT_EQ(e.GetScroll()->GetValue(), e.GetScroll()->GetMax());
    EXPECT_EQ(e.GetOffsetY(), -e.GetScroll()->GetMax());
}

TEST(MEdit, KeysScrollingAndInputRedirection) {
    Env env;
    GL_MEdit e(nullptr, "medit", "", 0, 0, 124, 64, 0);
    GL_Scroll* vs = e.GetScroll();
    ASSERT_NE(vs, nullptr);
    EXPECT_STREQ(vs->name, "meditvs");
    EXPECT_EQ((std::vector<int>{vs->x, vs->w, vs->h, vs->GetMax()}), (std::vector<int>{124 - 16, 16, 64, 0}));

    EXPECT_EQ(Key(e, "d\td"), 0);
    EXPECT_EQ(Text(e), "d d");
    EXPECT_EQ(Key(e, nullptr, GL_KEY_RETURN), 0);
    EXPECT_EQ(Key(e, "x", 0, 1), -1); // a release changes nothing
    EXPECT_EQ(Key(e, nullptr, 0x1234), -1);
    EXPECT_EQ(Key(e, "dd"), 0);
    EXPECT_EQ(Text(e), "d d\ndd");
    EXPECT_EQ(e.GetParagraphCount(), 2);
    EXPECT_EQ(e.GetCursor(), 6);
    EXPECT_EQ(Key(e, nullptr, GL_KEY_BACKSPACE), 0);
    EXPECT_EQ(Key(e, nullptr, GL_KEY_DELETE), 0); // at the end: nothing
    EXPECT_EQ(Text(e), "d d\nd");
    ASSERT_NE(e.caretTimer, nullptr);
    EXPECT_EQ(e.caretTimer->intervalUSec, 450000u);
    EXPECT_EQ(e.caretShown, 1);
    e.caretTimer->gCallback("Timeout!");
    EXPECT_EQ(e.caretShown, 0);

    // Four rows in 64 pixels: range 0 .. 4 x 20 - 64 + 4 = 20.
    EXPECT_EQ(Key(e, nullptr, GL_KEY_RETURN), 0);
    EXPECT_EQ(Key(e, nullptr, GL_KEY_RETURN), 0);
    EXPECT_EQ((std::vector<int>{e.GetRowCount(), vs->GetMax(), vs->GetValue(), e.GetOffsetY()}),
              (std::vector<int>{4, 20, 20, -20}));
    vs->SetValue(0);
    EXPECT_EQ(e.GetOffsetY(), 0);
    // Back to fewer rows: range 0 .. 0 and the offset reset.
    EXPECT_EQ(e.SetText("d"), 0);
    EXPECT_EQ(vs->GetMax(), 0);
    EXPECT_EQ(e.GetOffsetY(), 0);

    // pIRWidget takes the keys.
    GL_SEdit ir(nullptr, "ir", "", 0, 0, 100, 30, 0);
    pIRWidget = &ir;
    EXPECT_EQ(Key(e, "q"), 0);
    pIRWidget = nullptr;
    EXPECT_STREQ(ir.GetText(), "q");
    EXPECT_EQ(Text(e), "d");

    EXPECT_EQ(e.ExecCallback(nullptr, "", 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(e.LostFocus(), 0);
    EXPECT_EQ(e.caretTimer, nullptr);
}

TEST(MEdit, PointerSelectionAcrossRowsThenShorterText) {
    Env env;
    // Rows: "dddd" (0..4) at y 2..21, "ddd" (5..8) at y 22..41.
    GL_MEdit e(nullptr, "medit", "dddd\nddd", 0, 0, 124, 100, 0);
    EXPECT_EQ(e.MouseDown(124 - 10, 10, 1), -1); // on the scroll bar
    EXPECT_EQ(e.MouseDown(10, 1, 1), -1);
    EXPECT_EQ(e.MouseMove(10, 10, 1), -1);
    // x 4 + 2 x 5 = 14: boundary 2 of row 0; x 9 on row 1: boundary 6.
    EXPECT_EQ(e.PixelToCharPos2(14, 10), 2);
    EXPECT_EQ(e.PixelToCharPos2(9, 30), 6);
    EXPECT_EQ(e.PixelToCharPos2(500, 500), 8);
    ASSERT_EQ(e.MouseDown(14, 10, 1), 0);
    EXPECT_EQ(e.MouseMove(15, 11, 1), 0);
    EXPECT_EQ(e.GetSelection(nullptr, nullptr), 0); // within 4 pixels
    EXPECT_EQ(e.MouseMove(9, 30, 1), 0);
    EXPECT_EQ(e.MouseUp(9, 30, 1), 0);
    int lo, hi;
    ASSERT_EQ(e.GetSelection(&lo, &hi), 1);
    EXPECT_EQ(std::make_pair(lo, hi), std::make_pair(2, 6));
    EXPECT_EQ(Key(e, "b"), 0);
    EXPECT_EQ(Text(e), "ddbdd");
    EXPECT_EQ(e.GetCursor(), 3);
    // A selection, then a shorter text, then backspace.
    ASSERT_EQ(e.MouseDown(4, 10, 1), 0);
    ASSERT_EQ(e.MouseUp(30, 10, 1), 0);
    ASSERT_EQ(e.GetSelection(nullptr, nullptr), 1);
    e.SetText("d");
    EXPECT_EQ(Key(e, nullptr, GL_KEY_BACKSPACE), 0);
    EXPECT_EQ(Text(e), "");
    EXPECT_EQ(e.GetCursor(), 0);
}

TEST(PictureSEdit, EditsLikeTheSingleLineEdit) {
    Env env;
    GL_PictureSEdit p(nullptr, "pic", "hello", 0, 0, 60, 30, nullptr, 0);
    GL_SEdit s(nullptr, "plain", "hello", 0, 0, 60, 30, 0);
    auto both = [&](const char* t, unsigned code2) {
        EXPECT_EQ(Key(p, t, code2), Key(s, t, code2));
        EXPECT_STREQ(p.GetText() ? p.GetText() : "", s.GetText() ? s.GetText() : "");
        EXPECT_EQ(std::make_tuple(p.GetCursor(), p.originX, p.caretX),
                  std::make_tuple(s.GetCursor(), s.originX, s.caretX));
    };
    both(" world and more", 0);
    both(nullptr, GL_KEY_BACKSPACE);
    for (GL_Window* w : {static_cast<GL_Window*>(&p), static_cast<GL_Window*>(&s)}) {
        EXPECT_EQ(w->MouseDown(10, 10, 1), 0);
        EXPECT_EQ(w->MouseUp(40, 10, 1), 0);
    }
    EXPECT_EQ(p.GetSelection(nullptr, nullptr), 1);
    both(nullptr, GL_KEY_DELETE);
    both("Z", 0);
}
