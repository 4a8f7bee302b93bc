// GL_SEdit against an in-process fake server: typing, editing keys, pointer
// selection, scrolling past the right edge, the caret timer and drawing.
#include "fake_server.h"
#include "gl_text.h"
#include "nc_font.h"
#include "text_tables.h"

#include "gl_sedit.h"
#include "gl_timeout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum : unsigned { FillRect = 20, DrawLine = 42 };

// A fake server and metric tables of known widths (3 to 9 pixels a character).
struct Env {
    Env() {
        text_test::SetTables(true);
        bHasCharSet = 0;
        bLabelUtf8 = 0;
        InitFont();
    }
    FakeServer server;
};

std::string Text(GL_SEdit& e) { return e.GetText() ? e.GetText() : ""; }

int Key(GL_SEdit& e, const char* s, unsigned code2 = 0, unsigned char released = 0) {
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

} // namespace

TEST(SEdit, InitialStateAndClassName) {
    Env env;
    GL_SEdit e(nullptr, "edit", "abc", 0, 0, 200, 30, 0);
    EXPECT_STREQ(e.GetClassName(), "GL_SEdit");
    EXPECT_EQ(Text(e), "abc");
    EXPECT_EQ(e.GetCharCount(), 3);
    EXPECT_EQ(e.originX, 4);
    EXPECT_EQ(e.selStart, -1);
    EXPECT_EQ(e.selEnd, -1);
    EXPECT_EQ(e.caretTimer, nullptr);
    EXPECT_EQ(e.caretShown, 0);
    GL_SEdit empty(nullptr, "empty", "", 0);
    EXPECT_EQ(empty.GetText(), nullptr);
    EXPECT_EQ(empty.GetChars(), nullptr);
}

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
    EXPECT_EQ(e.selecting, 1);
    EXPECT_EQ(e.selStart, -1);
    EXPECT_EQ(e.selEnd, -1);
    EXPECT_EQ(e.MouseMove(e.CharPosX(6), 10, 1), 0);
    EXPECT_EQ(e.selStart, 2);
    EXPECT_EQ(e.selEnd, 6);
    // A move beyond the window is held at w - 3.
    EXPECT_EQ(e.MouseMove(1000, 10, 1), 0);
    EXPECT_EQ(e.selEnd, e.IndexAtX(297));
    EXPECT_EQ(e.MouseUp(e.CharPosX(5), 10, 1), 0);
    int lo = -1, hi = -1;
    EXPECT_EQ(e.GetSelection(&lo, &hi), 1);
    EXPECT_EQ(lo, 2);
    EXPECT_EQ(hi, 5);
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
    EXPECT_EQ(e.ExecCallback(nullptr, nullptr, 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(e.ExecCallback(nullptr, "", 0, 0, 0, 0, 0), -1);
    EXPECT_EQ(e.ExecCallback(nullptr, "Clicked!", 0, 0, 0, 0, 0), 0);
    ASSERT_EQ(Key(e, "a"), 0);
    GL_Timeout* t = e.caretTimer;
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(t->IsRunning());
    EXPECT_EQ(t->intervalSec, 0u);
    EXPECT_EQ(t->intervalUSec, 450000u);
    EXPECT_TRUE(t->flags & GL_Timeout::kRepeat);
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
    EXPECT_EQ(e.MouseIn(1, 1, 0), 0);
    EXPECT_EQ(e.MouseOut(1, 1, 0), 0);
    EXPECT_EQ(e.LostFocus(), 0);
    EXPECT_EQ(e.caretTimer, nullptr);
    EXPECT_EQ(e.caretShown, 0);
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
        if (m.type() == FillRect && m.word(24) == iBlueS) {
            box = true;
            EXPECT_EQ(int(m.word(8)), e.CharPosX(2));
            EXPECT_EQ(int(m.word(12)), 4);
            EXPECT_EQ(int(m.word(16)), e.CharPosX(7) - e.CharPosX(2));
            EXPECT_EQ(int(m.word(20)), h - 8);
        }
        if (m.type() == DrawLine && m.word(24) == iRedS) {
            caret = true;
            EXPECT_EQ(int(m.word(8)), e.CharPosX(7));
            EXPECT_EQ(int(m.word(12)), 4);
            EXPECT_EQ(int(m.word(16)), e.CharPosX(7));
            EXPECT_EQ(int(m.word(20)), h - 5);
        }
    }
    EXPECT_TRUE(box);
    EXPECT_TRUE(caret);
    // Caret hidden by the timer: no red line on the next drawing.
    e.caretTimer->gCallback("Timeout!");
    for (auto& m : server.Take())
        EXPECT_FALSE(m.type() == DrawLine && m.word(24) == iRedS);
}
