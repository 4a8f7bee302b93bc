// Randomized model test of the edits: thousands of random key presses and
// releases, pointer presses, moves and releases, SetText calls and scroll
// changes on a GL_SEdit and a GL_MEdit, each checked after every step against
// a simple model of the text and the cursor. The model takes the cursor and
// selection from the edit after pointer events (where they land depends on
// measured widths) and predicts everything that keys and SetText do.
#include "fake_server.h"
#include "text_tables.h"

#include "gl_medit.h"
#include "gl_scroll.h"
#include "gl_sedit.h"
#include "gl_text.h"
#include "gl_timeout.h"
#include "nc_font.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

using Units = std::vector<unsigned short>;

using Env = TextEnv;

// Key texts: single bytes, a tab, a carriage return, a two-byte character.
const char* const kKeyTexts[] = {"a", "b", "d", "xy", " ", "\t", "\r", "\xD6\xD0", "q\xB0\xA1z"};
const char* const kSetTexts[] = {"",
                                 "a",
                                 "hello world",
                                 "dd\n\ndd",
                                 "\xD6\xD0\xB0\xA1",
                                 "a\tb",
                                 "a long line of text that will not fit the width of the edit at all"};
const unsigned kCodes[] = {0, GL_KEY_BACKSPACE, GL_KEY_DELETE, GL_KEY_RETURN, 0x1234};

Units ToUnits(const std::string& s) {
    Units u;
    for (size_t i = 0; i < s.size(); i++) {
        unsigned char c = (unsigned char)s[i];
        if (c >= 0x80 && i + 1 < s.size()) {
            u.push_back((unsigned short)(c << 8 | (unsigned char)s[i + 1]));
            i++;
        } else {
            u.push_back(c);
        }
    }
    return u;
}

std::string ToBytes(const Units& u) {
    std::string s;
    for (unsigned short c : u) {
        if (c >= 256) s += char(c >> 8);
        s += char(c & 0xFF);
    }
    return s;
}

struct Model {
    Units text;
    int cursor = 0;
    int lo = 0, hi = 0; // selection, empty when lo == hi

    bool RemoveSelection() {
        if (lo == hi) return false;
        text.erase(text.begin() + lo, text.begin() + hi);
        cursor = lo;
        lo = hi = 0;
        return true;
    }
    void Insert(const Units& u) {
        text.insert(text.begin() + cursor, u.begin(), u.end());
        cursor += int(u.size());
    }
    // Editing key presses common to both edits.
    void Key(unsigned code2) {
        if (code2 == GL_KEY_BACKSPACE || code2 == GL_KEY_DELETE) {
            if (RemoveSelection()) return;
            if (code2 == GL_KEY_DELETE && cursor < int(text.size())) text.erase(text.begin() + cursor);
            if (code2 == GL_KEY_BACKSPACE && cursor > 0) text.erase(text.begin() + --cursor);
        }
    }
};

template <class E> void Sync(E& e, Model& m) {
    m.cursor = e.GetCursor();
    m.lo = m.hi = 0;
    e.GetSelection(&m.lo, &m.hi);
}

} // namespace

TEST(EditModel, SingleLineEditFollowsTheModel) {
    Env env;
    std::mt19937 rng(20261207);
    const int w = 90, h = 30;
    GL_SEdit e(nullptr, "edit", "", 0, 0, w, h, 0);
    e.ShowWindow(); // drawing runs too, with all its index use
    Model m;
    for (int step = 0; step < 6000; step++) {
        SCOPED_TRACE(step);
        int op = int(rng() % 100);
        if (op < 40) {
            const char* t = kKeyTexts[rng() % std::size(kKeyTexts)];
            unsigned char released = rng() % 4 == 0;
            std::string buf = t;
            int r = e.KeyIn(&buf[0], int(buf.size()), 0, 0, 0, released);
            if (!released) {
                m.RemoveSelection();
                m.Insert(ToUnits(t));
                ASSERT_EQ(r, 0);
            } else {
                ASSERT_EQ(r, -1);
            }
        } else if (op < 60) {
            unsigned code2 = kCodes[rng() % std::size(kCodes)];
            unsigned char released = rng() % 5 == 0;
            int r = e.KeyIn(nullptr, 0, 0, code2, 0, released);
            bool acts = !released && (code2 == GL_KEY_BACKSPACE || code2 == GL_KEY_DELETE);
            if (acts) m.Key(code2);
            ASSERT_EQ(r, acts ? 0 : -1);
        } else if (op < 92) {
            int x = int(rng() % (w + 60)) - 30, y = int(rng() % (h + 20)) - 10;
            int kind = int(rng() % 3);
            if (kind == 0) e.MouseDown(x, y, 1);
            if (kind == 1) e.MouseMove(x, y, 1);
            if (kind == 2) e.MouseUp(x, y, 1);
            Sync(e, m);
        } else if (op < 97) {
            const char* t = kSetTexts[rng() % std::size(kSetTexts)];
            ASSERT_EQ(e.SetText(t), 0);
            m.text = ToUnits(t);
            m.cursor = int(m.text.size());
            m.lo = m.hi = 0;
        } else if (op < 99) {
            e.LostFocus();
            m.lo = m.hi = 0;
        } else {
            if (e.caretTimer) e.caretTimer->gCallback("Timeout!");
        }
        // The edit against the model.
        const int n = e.GetCharCount();
        ASSERT_EQ(n, int(m.text.size()));
        ASSERT_EQ(Units(e.GetChars(), e.GetChars() + n), m.text);
        ASSERT_EQ(std::string(e.GetText() ? e.GetText() : ""), ToBytes(m.text));
        ASSERT_EQ(e.GetCursor(), m.cursor);
        ASSERT_GE(e.selStart, -1);
        ASSERT_LE(e.selStart, n);
        ASSERT_GE(e.selEnd, -1);
        ASSERT_LE(e.selEnd, n);
        ASSERT_LE(e.originX, 4);
        int lo = 0, hi = 0;
        e.GetSelection(&lo, &hi);
        if (!e.pressed) {
            ASSERT_EQ(lo, m.lo);
            ASSERT_EQ(hi, m.hi);
        }
        if (op < 60) {
            ASSERT_LE(e.caretX, w - 2); // keys keep the caret in the window
        }
        env.server.Take();
    }
}

TEST(EditModel, MultiLineEditFollowsTheModel) {
    Env env;
    std::mt19937 rng(7122026);
    const int w = 124, h = 84;
    GL_MEdit e(nullptr, "medit", "", 0, 0, w, h, 0);
    e.ShowWindow();
    Model m;
    for (int step = 0; step < 6000; step++) {
        SCOPED_TRACE(step);
        int op = int(rng() % 100);
        if (op < 40) {
            const char* t = kKeyTexts[rng() % std::size(kKeyTexts)];
            unsigned char released = rng() % 4 == 0;
            std::string buf = t;
            int r = e.KeyIn(&buf[0], int(buf.size()), 0, 0, 0, released);
            if (!released) {
                Units u = ToUnits(t);
                for (auto& c : u)
                    c = c == '\t' ? ' ' : c == '\r' ? '\n' : c;
                m.RemoveSelection();
                m.Insert(u);
                ASSERT_EQ(r, 0);
            } else {
                ASSERT_EQ(r, -1);
            }
        } else if (op < 62) {
            unsigned code2 = kCodes[rng() % std::size(kCodes)];
            unsigned char released = rng() % 5 == 0;
            int r = e.KeyIn(nullptr, 0, 0, code2, 0, released);
            bool acts = !released && code2 != 0 && code2 != 0x1234;
            if (acts && code2 == GL_KEY_RETURN) {
                m.RemoveSelection();
                m.Insert(Units{'\n'});
            } else if (acts) {
                m.Key(code2);
            }
            ASSERT_EQ(r, acts ? 0 : -1);
        } else if (op < 90) {
            int x = int(rng() % (w + 40)) - 20, y = int(rng() % (h + 40)) - 20;
            int kind = int(rng() % 3);
            if (kind == 0) e.MouseDown(x, y, 1);
            if (kind == 1) e.MouseMove(x, y, 1);
            if (kind == 2) e.MouseUp(x, y, 1);
            Sync(e, m);
        } else if (op < 94) {
            const char* t = kSetTexts[rng() % std::size(kSetTexts)];
            ASSERT_EQ(e.SetText(t), 0);
            m.text = ToUnits(t);
            m.cursor = int(m.text.size());
            m.lo = m.hi = 0;
        } else if (op < 98) {
            GL_Scroll* vs = e.GetScroll();
            vs->SetValue(int(rng() % unsigned(vs->GetMax() + 30)) - 10);
            ASSERT_EQ(e.GetOffsetY(), -vs->GetValue());
        } else {
            e.LostFocus();
            m.lo = m.hi = 0;
        }
        const int n = e.GetCharCount();
        ASSERT_EQ(n, int(m.text.size()));
        ASSERT_EQ(std::string(e.GetText() ? e.GetText() : ""), ToBytes(m.text));
        ASSERT_EQ(e.GetCursor(), m.cursor);
        ASSERT_GE(e.selStart, -1);
        ASSERT_LE(e.selStart, n);
        ASSERT_GE(e.selEnd, -1);
        ASSERT_LE(e.selEnd, n);
        int lo = 0, hi = 0;
        e.GetSelection(&lo, &hi);
        if (!e.pressed) {
            ASSERT_EQ(lo, m.lo);
            ASSERT_EQ(hi, m.hi);
        }
        // Rows cover the text in order, one paragraph after another.
        int expect = 0, paragraphs = 1;
        for (int r = 0; r < e.GetRowCount(); r++) {
            int s, t;
            ASSERT_EQ(e.GetRow(r, &s, &t), 0);
            if (s == expect + 1 && m.text[size_t(expect)] == '\n') {
                paragraphs++;
                expect++;
            }
            ASSERT_EQ(s, expect);
            ASSERT_LE(s, t);
            ASSERT_LE(t, n);
            expect = t;
        }
        ASSERT_EQ(expect, n);
        ASSERT_EQ(paragraphs, e.GetParagraphCount());
        ASSERT_LE(e.GetScroll()->GetMax(), e.GetRowCount() * 20);
        env.server.Take();
    }
}
