// GL_MEdit and GL_PictureSEdit against an in-process fake server, with metric
// tables of known widths: row division, long paragraphs, keys, scrolling,
// pointer selection across rows, the caret.
#include "fake_server.h"
#include "text_tables.h"

#include "gl_medit.h"
#include "gl_pictureedit.h"
#include "gl_scroll.h"
#include "gl_sedit.h"
#include "gl_text.h"
#include "gl_timeout.h"
#include "nc_font.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Advances (text_tables.h, 3 + c % 7): 'd' is 5 pixels, 'a' 9, 'b' 3.
struct Env {
    Env() {
        text_test::SetTables(true);
        bHasCharSet = 0;
        bLabelUtf8 = 0;
        InitFont();
    }
    FakeServer server;
};

std::string Text(GL_MEdit& e) { return e.GetText() ? e.GetText() : ""; }

int Key(GL_Window& e, const char* s, unsigned code2 = 0, unsigned char released = 0) {
    std::string buf = s ? s : "";
    return e.KeyIn(s ? &buf[0] : nullptr, int(buf.size()), 0, code2, 0, released);
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
        EXPECT_STREQ(e.GetClassName(), "GL_MEdit");
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
    EXPECT_EQ(s, 19980);
    EXPECT_EQ(t, 20000);
    EXPECT_EQ(Text(e), big);
    // The scroll range covers all rows: 1000 x 20 - 200 + 4.
    EXPECT_EQ(e.GetScroll()->GetMax(), 1000 * 20 - 200 + 4);
    EXPECT_EQ(e.GetScroll()->GetStep(), 20);
    EXPECT_EQ(e.GetScroll()->GetPage(), 196);
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
    EXPECT_EQ(vs->x, 124 - 16);
    EXPECT_EQ(vs->w, 16);
    EXPECT_EQ(vs->h, 64);
    EXPECT_EQ(vs->GetMax(), 0);

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
    EXPECT_EQ(e.GetRowCount(), 4);
    EXPECT_EQ(vs->GetMax(), 20);
    EXPECT_EQ(vs->GetValue(), 20);
    EXPECT_EQ(e.GetOffsetY(), -20);
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
    EXPECT_EQ(lo, 2);
    EXPECT_EQ(hi, 6);
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
    EXPECT_STREQ(p.GetClassName(), "GL_PictureSEdit");
    EXPECT_EQ(p.GetImageList(), nullptr);
    auto both = [&](const char* t, unsigned code2) {
        EXPECT_EQ(Key(p, t, code2), Key(s, t, code2));
        EXPECT_STREQ(p.GetText() ? p.GetText() : "", s.GetText() ? s.GetText() : "");
        EXPECT_EQ(p.GetCursor(), s.GetCursor());
        EXPECT_EQ(p.originX, s.originX);
        EXPECT_EQ(p.caretX, s.caretX);
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
