// Dialogs against an in-process fake server: the ready-made dialogs' layout as
// a table (at construction and after resizes), answers through the shared
// record with the dialog deleting itself inside its button's "Clicked!",
// texts cut at a character boundary, dragging, and the message box's
// defaults, keys and refresh-mode requests.
#include "fake_server.h"

#include "egui.h"
#include "harness/eink_root.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

enum : unsigned { CreateWindow = 1, MoveWindow = 8, SwitchDisplayMode = 131, SetOnceRefreshMode = 134 };

// The root is read once per process: set it before anything asks.
int const gRootReady = [] {
    static testing_eink::EinkRoot root;
    setenv("EINK_ROOT", root.dir().c_str(), 1);
    return 0;
}();

struct Screen {
    FakeServer server;
    GL_Window main{nullptr, "main", 0, 0, 600, 800, iWhiteS, 0};
    Screen() {
        InitFont();
        main.ShowWindow(0);
        server.Take();
    }
};

// Records the events it is told of; for "DialogData!" also what the record
// held at that moment.
class Recorder : public GL_Object {
public:
    Recorder() : GL_Object(nullptr, "recorder", 0) {}
    int ExecCallback(GL_Object*, char const* event, void* a, void*, void*, void*, void*) override {
        events.push_back(event);
        if (std::string(event) == "DialogData!") {
            record = static_cast<GL_DialogData*>(a);
            result = record->result;
            text = record->text;
        }
        return 0;
    }
    std::vector<std::string> events;
    GL_DialogData* record = nullptr;
    int result = -1;
    std::string text;
};

void Click(GL_Window* button) {
    ASSERT_EQ(button->MouseDown(5, 5, 0), 0);
    ASSERT_EQ(button->MouseUp(5, 5, 0), 0);
}

struct Children {
    GL_Image* icon = nullptr;
    GL_Label* label = nullptr;
    GL_SEdit* edit = nullptr;
    GL_Button *ok = nullptr, *cancel = nullptr;
};

Children Of(GL_Dialog* d) {
    if (auto* c = dynamic_cast<GL_Confirm*>(d)) return {c->icon, c->label, nullptr, c->okButton, c->cancelButton};
    if (auto* p = dynamic_cast<GL_Prompt*>(d)) return {p->icon, p->label, p->edit, p->okButton, p->cancelButton};
    auto* a = dynamic_cast<GL_Alert*>(d);
    return {a->icon, a->label, nullptr, a->okButton, nullptr};
}

int CountImages(GL_Window* w) {
    int n = 0;
    for (ZPCList* node = w->GetChildren()->first; node; node = node->next)
        n += std::string(static_cast<GL_Object*>(node->data)->GetClassName()) == "GL_Image";
    return n;
}

std::string Rect(GL_Window* w) {
    return w ? std::to_string(w->GetX()) + "," + std::to_string(w->GetY()) + " " + std::to_string(w->GetWidth()) + "x" +
                   std::to_string(w->GetHeight())
             : "none";
}

enum class Kind { Confirm, Prompt, Alert };

GL_Dialog* Make(Kind k, int w, int h) {
    switch (k) {
    case Kind::Confirm: return new GL_Confirm(nullptr, "confirm", "Sure?", 10, 20, w, h, 0);
    case Kind::Prompt: return new GL_Prompt(nullptr, "prompt", "Name?", "abc", 10, 20, w, h, 0);
    default: return new GL_Alert(nullptr, "alert", "Done.", 10, 20, w, h, 0);
    }
}

} // namespace

TEST(Dialog, ReadyMadeDialogsLayOutTheirChildrenFromTheirSizeAtConstructionAndOnResize) {
    Screen s;
    struct Case {
        Kind kind;
        int w, h;
        char const *label, *ok, *cancel, *edit;
    } const cases[] = {
        {Kind::Confirm, 150, 100, "60,25 65x45", "25,60 70x25", "100,60 70x25", "none"},
        {Kind::Confirm, 300, 200, "60,25 215x60", "130,160 70x25", "205,160 70x25", "none"}, // label height capped
        {Kind::Alert, 300, 200, "60,25 215x145", "205,160 70x25", "none", "none"},
        {Kind::Alert, 80, 30, "60,25 15x0", "25,0 70x25", "none", "none"}, // label w - 65, OK at 25
        {Kind::Prompt, 300, 150, "60,25 215x60", "130,110 70x25", "205,110 70x25", "60,75 215x20"},
        {Kind::Prompt, 50, 20, "60,25 0x0", "25,0 70x25", "100,0 70x25", "60,-35 0x20"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.kind) << " " << c.w << "x" << c.h);
        // Built at the size, and built elsewhere then resized twice to it.
        for (bool resized : {false, true}) {
            GL_Dialog* d = resized ? Make(c.kind, 400, 400) : Make(c.kind, c.w, c.h);
            int const children = d->GetChildren()->count;
            if (resized) {
                d->ResizeWindow(c.w + 7, c.h + 9);
                d->ResizeWindow(c.w, c.h);
            }
            Children ch = Of(d);
            EXPECT_EQ(Rect(ch.icon), "25,30 16x16");
            EXPECT_EQ(Rect(ch.label), c.label);
            EXPECT_EQ(Rect(ch.ok), c.ok);
            EXPECT_EQ(Rect(ch.cancel), c.cancel);
            EXPECT_EQ(Rect(ch.edit), c.edit);
            EXPECT_EQ(ch.label->GetLabelStyle(), 2) << "a wrapped label";
            EXPECT_EQ(CountImages(d), 1);
            EXPECT_EQ(d->GetChildren()->count, children) << "a resize creates nothing";
            EXPECT_EQ(d->kind, 1);
            delete d;
            s.server.Take();
        }
    }
    GL_Dialog plain(nullptr, "plain", 0);
    EXPECT_EQ(plain.kind, 0);
    EXPECT_STREQ(plain.GetClassName(), "GL_Dialog");
    EXPECT_EQ(Rect(&plain), "0,0 70x25");
    GL_Prompt small(nullptr, "small", "?", "", 0); // the short form is 70 x 25 too
    EXPECT_EQ(Rect(small.okButton) + " " + Rect(small.cancelButton), "25,0 70x25 100,0 70x25");
    EXPECT_EQ(Rect(small.edit), "60,-35 5x20");
}

TEST(Dialog, ButtonsAnswerThroughTheSharedRecordAndTheDialogDeletesItselfInsideClicked) {
    Screen s;
    struct Case {
        Kind kind;
        bool ok;
        char const* initial; // for a prompt: replaces its edit's text
        int result;
        char const* text;
    } const cases[] = {
        {Kind::Confirm, true, nullptr, 1, ""},     {Kind::Confirm, false, nullptr, 2, ""},
        {Kind::Prompt, true, "Alice", 1, "Alice"}, {Kind::Prompt, false, "Bob", 2, "Bob"}, // Cancel copies too
        {Kind::Prompt, true, "", 1, ""},           {Kind::Alert, true, nullptr, 0, ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.kind) << (c.ok ? " OK" : " Cancel"));
        gDialogData.result = 9;
        gDialogData.reserved = gDialogData.reserved2 = 7;
        strcpy(gDialogData.text, "stale");
        GL_Dialog* d = Make(c.kind, 300, 150);
        EXPECT_EQ(gDialogData.result, 0) << "creation clears the record";
        EXPECT_EQ(gDialogData.reserved + gDialogData.reserved2, 0u);
        EXPECT_STREQ(gDialogData.text, "");
        EXPECT_EQ(d->transientFor, &s.main);
        EXPECT_EQ(d->canMove, 1);
        Children ch = Of(d);
        if (ch.edit) ch.edit->SetText(c.initial);
        // While it is open only its own tree gets input.
        EXPECT_EQ(CheckIgnoreEvent(&s.main), 1);
        EXPECT_EQ(CheckIgnoreEvent(ch.ok), 0);
        EXPECT_EQ(d->ExecCallback(ch.ok, "", nullptr, nullptr, nullptr, nullptr, nullptr), -1);
        EXPECT_EQ(d->ExecCallback(&s.main, "Clicked!", nullptr, nullptr, nullptr, nullptr, nullptr), 0);

        Recorder rec;
        for (char const* e : {"DialogData!", "Delete3!"})
            d->AddCallback(&rec, e, nullptr);
        Click(c.ok ? ch.ok : ch.cancel);
        EXPECT_EQ(rec.events, (std::vector<std::string>{"DialogData!", "Delete3!"}));
        EXPECT_EQ(rec.record, &gDialogData);
        EXPECT_EQ(rec.result, c.result);
        EXPECT_EQ(rec.text, c.text);
        EXPECT_EQ(s.main.transients.count, 0) << "the dialog is gone";
        EXPECT_EQ(CheckIgnoreEvent(&s.main), 0);
        s.server.Take();
    }
}

TEST(Dialog, TextsAreCutBeforeACharacterThatDoesNotFitAndAlwaysTerminated) {
    std::string const gb = "\xb0\xa1"; // one two-byte character
    auto times = [](std::string const& s, int n) {
        std::string r;
        for (int i = 0; i < n; ++i)
            r += s;
        return r;
    };
    struct Case {
        std::string src;
        int size, copied;
    } const cases[] = {
        {std::string(1100, 'a'), 1024, 1023},
        {std::string(1022, 'a') + gb, 1024, 1022},
        {std::string(1021, 'a') + gb + "b", 1024, 1023},
        {times(gb, 600), 1024, 1022},
        {"ab\xb0", 1024, 3}, // a lead byte at the end stands alone
        {std::string(300, 'x'), 256, 255},
        {times(gb, 127) + "x" + gb, 256, 255},
        {"abc", 1, 0},
        {"", 8, 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.src.size() << " bytes into " << c.size);
        std::vector<char> dst(size_t(c.size) + 1, '#');
        EXPECT_EQ(GL_CopyTextCut(dst.data(), c.size, c.src.c_str()), c.copied);
        EXPECT_EQ(std::string(dst.data()), c.src.substr(0, size_t(c.copied)));
        EXPECT_EQ(dst[size_t(c.size)], '#') << "nothing written past the buffer";
    }
    char one[4] = "zz";
    EXPECT_EQ(GL_CopyTextCut(one, 4, nullptr), 0);
    EXPECT_STREQ(one, "");

    // Through the dialogs: the prompt's record and the message box's buffers.
    Screen s;
    for (auto const& text : {std::string(1100, 'a'), std::string(1022, 'a') + gb}) {
        auto* p = new GL_Prompt(nullptr, "prompt", "Long", text.c_str(), 0, 0, 300, 150, 0);
        Click(p->okButton);
        EXPECT_EQ(std::string(gDialogData.text), text.substr(0, text.size() == 1100 ? 1023 : 1022));
        s.server.Take();
    }
    iDisplayWidth = 600;
    std::string const title(300, 't'), message = std::string(254, 'm') + gb;
    GL_MsgBox box(&s.main, title.c_str(), message.c_str(), "h", 0, 0);
    EXPECT_EQ(std::string(box.titleText), title.substr(0, 255));
    EXPECT_EQ(std::string(box.messageText), message.substr(0, 254));
    EXPECT_STREQ(box.messageLabel->GetText(), box.messageText);
}

TEST(Dialog, APressAnywhereStartsADragAndTheReleaseMovesTheDialogByItsOffset) {
    Screen s;
    GL_Dialog d(nullptr, "drag", 100, 100, 200, 100, 0);
    s.server.Take();
    d.DisableWindow();
    EXPECT_EQ(d.MouseMove(50, 50, 0), 0);
    EXPECT_EQ(d.MouseUp(30, 15, 0), 0) << "no drag without a press";
    EXPECT_EQ(d.MouseDown(10, 10, 0), 0) << "whatever the state";
    EXPECT_EQ(d.MouseMove(40, 40, 0), 0);
    EXPECT_EQ(d.MouseUp(30, 15, 0), 0);
    EXPECT_EQ(Rect(&d), "120,105 200x100");
    std::vector<Msg> sent = s.server.Take();
    bool moved = false;
    for (auto const& m : sent)
        if (m.type() == MoveWindow) moved = m.word(4) == d.GetWindowId() && m.word(8) == 20u && m.word(12) == 5u;
    EXPECT_TRUE(moved);
    EXPECT_EQ(d.MouseDown(10, 10, 0), 0);
    EXPECT_EQ(d.MouseUp(10, 10, 0), -1) << "released at the press point";
    EXPECT_EQ(Rect(&d), "120,105 200x100");
}

TEST(Dialog, MessageBoxShowsDefaultsClosesOnAKeyOutsideTheReservedOnesAndSwitchesRefreshModes) {
    Screen s;
    iDisplayWidth = 600;
    auto* box = new GL_MsgBox(nullptr, "", nullptr, "Hint", 2, 1);
    std::vector<Msg> sent = s.server.Take();
    std::vector<uint32_t> modes;
    for (auto const& m : sent) {
        if (m.type() == SwitchDisplayMode) modes.push_back(m.word(4));
        if (m.type() == CreateWindow && m.word(4) == box->GetWindowId()) {
            EXPECT_EQ(m.bytes[32], 0) << "a kind-3 window would show only the notice area";
        }
    }
    EXPECT_EQ(modes, std::vector<uint32_t>{2});
    EXPECT_STREQ(box->GetClassName(), "GL_Label");
    EXPECT_EQ(box->GetLabelStyle(), 3);
    EXPECT_EQ(box->borderWidth, 2u);
    EXPECT_EQ(box->borderColor, iGreyS);
    EXPECT_EQ(box->GetBackColor(), iWhiteS);
    EXPECT_STREQ(box->titleLabel->GetText(), "\xcc\xe1\xca\xbe");
    EXPECT_STREQ(box->messageLabel->GetText(), "\xc7\xeb\xb2\xe5\xc8\xeb\x53\x44\xbf\xa8\xa3\xa1");
    EXPECT_STREQ(box->hintLabel->GetText(), "Hint");
    EXPECT_EQ(box->titleLabel->GetForeColor(), iWhiteS);
    EXPECT_EQ(box->titleLabel->GetBackColor(), iBlackS);
    for (GL_Label* l : {box->titleLabel, box->messageLabel, box->hintLabel}) {
        EXPECT_EQ(l->GetAlign(), 1);
        EXPECT_EQ(l->GetFont(), box->titleLabel->GetFont());
        EXPECT_NE(l->GetFont(), nullptr);
    }
    EXPECT_EQ(Rect(box->titleLabel), "2,0 596x50");
    EXPECT_EQ(Rect(box->messageLabel), "2,50 594x50");
    EXPECT_EQ(Rect(box->hintLabel), "2,100 594x48");
    box->ResizeWindow(300, 90);
    EXPECT_EQ(Rect(box->titleLabel), "2,0 296x50");
    EXPECT_EQ(Rect(box->messageLabel), "2,30 294x50");
    EXPECT_EQ(Rect(box->hintLabel), "2,60 294x48");

    Recorder rec;
    box->AddCallback(&rec, "Delete!", nullptr);
    for (unsigned code : {28u, 33u, 34u, 35u, 36u, 37u, 38u, 39u, 102u, 103u, 106u, 107u, 115u, 116u, 122u, 123u})
        EXPECT_EQ(box->KeyIn(nullptr, 0, code, 0, 0, 1), 0) << code;
    EXPECT_EQ(box->KeyIn(nullptr, 0, 50, 0, 0, 0), 0) << "a press";
    s.server.Take();
    EXPECT_TRUE(rec.events.empty()) << "still open";
    EXPECT_EQ(box->KeyIn(nullptr, 0, 50, 0, 0, 1), 0);
    EXPECT_EQ(rec.events, (std::vector<std::string>{"Delete!"}));
    sent = s.server.Take();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].type(), SetOnceRefreshMode) << "before the box's windows go";
    EXPECT_EQ(sent[0].word(4), 1u);

    // Modes outside 1-3 send nothing.
    for (unsigned char mode : {0, 4}) {
        auto* quiet = new GL_MsgBox(nullptr, "T", "M", "H", mode, mode);
        delete quiet;
        for (auto const& m : s.server.Take()) {
            EXPECT_NE(m.type(), SwitchDisplayMode) << int(mode);
            EXPECT_NE(m.type(), SetOnceRefreshMode) << int(mode);
        }
    }
}
