// GL_Window against an in-process fake server: the requests each operation
// sends, visibility with heldHidden, default drawing and the pointer drag.
#include "fake_server.h"

#include "eventloop.h"
#include "gl_timeout.h"
#include "gl_window.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Request opcodes, from the protocol tables.
enum : unsigned {
    CreateWindow = 1,
    DestroyWindow = 2,
    RaiseWindow = 3,
    LowerWindow = 4,
    MapWindow = 5,
    UnmapWindow = 6,
    ResizeWindow = 7,
    MoveWindow = 8,
    CreatePixmap = 10,
    FreePixmap = 11,
    CopyAreaP2W = 13,
    SetWidgetFlag = 16,
    SetTopWindowFlag = 18,
    SetTransientFlag = 19,
    FillRect = 20,
    DrawWRectXorScreen = 24,
    DrawUpBoxRGB = 47,
    DrawDownBoxRGB = 48,
    DrawUpBoxCustomRGB = 54,
    SetBackColor = 117,
};

std::vector<unsigned> Types(const std::vector<Msg>& sent) {
    std::vector<unsigned> t;
    for (const Msg& m : sent)
        t.push_back(m.type());
    return t;
}

std::vector<uint32_t> Words(const Msg& m) {
    std::vector<uint32_t> w;
    for (size_t off = 0; off + 4 <= m.bytes.size(); off += 4)
        w.push_back(m.word(off));
    return w;
}

class Counter : public GL_Object {
public:
    Counter() : GL_Object(nullptr, "counter", 0) {}
    int ExecCallback(GL_Object*, char const* event, void*, void*, void*, void*, void*) override {
        events.push_back(event);
        return 0;
    }
    std::vector<std::string> events;
};

} // namespace

TEST(Window, ShortConstructorCreatesAHidden70By25GreyWindow) {
    FakeServer server;
    uint32_t id = server.NextId();
    GL_Window main(nullptr, "main", 3);
    EXPECT_EQ(main.GetWindowId(), id);
    EXPECT_EQ((std::vector<long>{main.GetX(), main.GetY(), main.GetWidth(), main.GetHeight(), long(main.GetBackColor()),
                                 long(main.GetForeColor())}),
              (std::vector<long>{0, 0, 70, 25, 191, 0}));
    EXPECT_EQ(__pMainW, &main);
    EXPECT_EQ(main.windowFlags, GL_WIN_ENABLED | GL_WIN_TOP);
    EXPECT_EQ(main.objectFlags, GL_OBJ_WINDOW | GL_OBJ_INITED);
    EXPECT_EQ(GL_FindWidgetByWindowId(id), &main);

    auto sent = server.Take();
    ASSERT_EQ(sent.size(), 3u);
    // CreateWindow: 36 bytes, id, parent 0 (root), x, y, w, h, pixel, kind 0.
    EXPECT_EQ(Words(sent[0]), (std::vector<uint32_t>{0x2401, id, 0, 0, 0, 70, 25, 191, 0}));
    EXPECT_EQ(Words(sent[1]), (std::vector<uint32_t>{0x0C12, id, 1})); // SetTopWindowFlag(id, 1)
    EXPECT_EQ(Words(sent[2]), (std::vector<uint32_t>{0x0C10, id, 1})); // SetWidgetFlag(id, 1)

    // A second parentless window is no main window.
    GL_Window other(nullptr, "other", 10, 20, 30, 40, iWhiteS, 0);
    EXPECT_EQ(__pMainW, &main);
    EXPECT_EQ(server.Types(), (std::vector<unsigned>{CreateWindow, SetWidgetFlag}));
}

TEST(Window, ChildrenShowWithTheirParentUnlessCreatedWhileItWasOnScreen) {
    FakeServer server;
    GL_Window main(nullptr, "main", 0, 0, 200, 100, iWhiteS, 0);
    auto* early = new GL_Window(&main, "early", 10, 10, 20, 20, iBlackS, 0);
    EXPECT_EQ(early->windowFlags & GL_WIN_HELD_HIDDEN, 0) << "created while the parent was hidden";
    EXPECT_EQ(early->GetAbsX(), 10);
    server.Take();

    EXPECT_EQ(main.ShowWindow(0), 0);
    EXPECT_TRUE(main.IsViewable());
    EXPECT_TRUE(early->IsViewable()) << "appears together with its parent";
    // The child is mapped before its parent.
    auto sent = server.Take();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(Words(sent[0]), (std::vector<uint32_t>{0x0C05, uint32_t(early->GetWindowId()), 1}));
    EXPECT_EQ(Words(sent[1]), (std::vector<uint32_t>{0x0C05, uint32_t(main.GetWindowId()), 0}));

    EXPECT_EQ(main.ShowWindow(0), -1) << "already viewable";
    EXPECT_TRUE(server.Take().empty()) << "and nothing sent";

    auto* late = new GL_Window(&main, "late", 50, 10, 20, 20, iBlackS, 0);
    EXPECT_NE(late->windowFlags & GL_WIN_HELD_HIDDEN, 0);
    main.HideWindow(0);
    main.ShowWindow(0);
    EXPECT_FALSE(late->IsViewable()) << "a child created on screen waits for its own ShowWindow";
    EXPECT_TRUE(early->IsViewable());
    EXPECT_EQ(late->ShowWindow(0), 0);
    EXPECT_TRUE(late->IsViewable());

    // Hidden explicitly: stays hidden through the parent's hide and show.
    early->HideWindow(0);
    main.HideWindow(0);
    main.ShowWindow(0);
    EXPECT_FALSE(early->IsViewable());
    // Hidden only through the parent: comes back with it.
    EXPECT_TRUE(late->IsViewable());

    // ShowWindow under a hidden parent fails but marks the window shown.
    main.HideWindow(0);
    EXPECT_FALSE(late->IsViewable());
    EXPECT_EQ(early->ShowWindow(0), -1);
    EXPECT_NE(early->windowFlags & GL_WIN_SHOWN, 0);
    EXPECT_FALSE(early->IsViewable());
    main.ShowWindow(0);
    EXPECT_TRUE(early->IsViewable());
    EXPECT_TRUE(late->IsViewable());
    EXPECT_EQ(IsAllParentViewable(late), 1);
    EXPECT_EQ(IsAllParentViewable(nullptr), 0);
}

TEST(Window, DeletingAWindowDestroysItsServerWindowsParentFirst) {
    FakeServer server;
    auto* main = new GL_Window(nullptr, "main", 0, 0, 200, 100, iWhiteS, 0);
    auto* child = new GL_Window(main, "child", 10, 10, 20, 20, iBlackS, 0);
    auto* grandchild = new GL_Window(child, "grandchild", 1, 1, 5, 5, iBlackS, 0);
    uint32_t ids[] = {uint32_t(main->GetWindowId()), uint32_t(child->GetWindowId()),
                      uint32_t(grandchild->GetWindowId())};
    Counter watcher;
    grandchild->AddCallback(&watcher, "Delete3!", nullptr);
    grandchild->AddCallback(&watcher, "Delete!", nullptr);
    server.Take();
    delete main;
    auto sent = server.Take();
    ASSERT_EQ(sent.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Words(sent[size_t(i)]), (std::vector<uint32_t>{0x0802, ids[i]}));
    EXPECT_EQ(watcher.events, (std::vector<std::string>{"Delete3!", "Delete!"}));
    EXPECT_EQ(GL_FindWidgetByWindowId(ids[0]), nullptr);
    EXPECT_EQ(GL_FindWidgetByWindowId(ids[2]), nullptr);
    EXPECT_EQ(__pMainW, nullptr) << "no dangling main window";
}

TEST(Window, DefaultDrawFillsTheBackgroundAndDrawsTheBorderOffScreen) {
    FakeServer server;
    GL_Window win(nullptr, "w", 5, 6, 40, 30, 100, 0);
    EXPECT_EQ(win.Draw(nullptr), -1) << "nothing is drawn while not viewable";
    win.ShowWindow(0);
    server.Take();

    EXPECT_EQ(win.SetBorderType(5), -1);
    EXPECT_EQ(win.borderType, 0);
    EXPECT_TRUE(server.Take().empty()) << "SetBorderType(5) changes nothing";

    EXPECT_EQ(win.SetBorderType(1), 0); // redraws, off screen
    auto sent = server.Take();
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(Types(sent), (std::vector<unsigned>{CreatePixmap, FillRect, DrawUpBoxRGB, CopyAreaP2W, FreePixmap}));
    EXPECT_EQ(Words(sent[1]), (std::vector<uint32_t>{0x1C14, sent[0].word(4), 0, 0, 40, 30, 100}));
    // The raised box in the background colour record: grey 100 read as 5-6-5.
    EXPECT_EQ((std::vector<int>{sent[2].bytes[24], sent[2].bytes[25], sent[2].bytes[26], int(sent[2].word(28))}),
              (std::vector<int>{0, 12, 32, 100}));
    EXPECT_EQ(sent[3].word(8), win.GetWindowId());
    win.SetBorderEdgeState(2);
    EXPECT_EQ(server.Types(),
              (std::vector<unsigned>{CreatePixmap, FillRect, DrawUpBoxCustomRGB, CopyAreaP2W, FreePixmap}));
    win.SetBorderType(2);
    win.SetBorderEdgeState(0);
    EXPECT_EQ(server.Types(), (std::vector<unsigned>{CreatePixmap, FillRect, 55, CopyAreaP2W, FreePixmap, CreatePixmap,
                                                     FillRect, DrawDownBoxRGB, CopyAreaP2W, FreePixmap}));
    EXPECT_EQ(win.SetBorderType(3), 0);
    EXPECT_EQ(win.borderType, 3);
    EXPECT_EQ(server.Types(), (std::vector<unsigned>{CreatePixmap, FillRect, CopyAreaP2W, FreePixmap}))
        << "type 3 is stored but draws no border";
}

TEST(Window, ColoursAndStateSettersSendOnlyChanges) {
    FakeServer server;
    GL_Window win(nullptr, "w", 0, 0, 10, 10, 50, 0);
    server.Take();
    EXPECT_EQ(win.SetBackColor(50), -1);
    EXPECT_EQ(win.SetBackColor(60), 0);
    auto sent = server.Take();
    ASSERT_EQ(sent.size(), 1u) << "not viewable: no redraw";
    EXPECT_EQ(Words(sent[0]), (std::vector<uint32_t>{0x0C75, uint32_t(win.GetWindowId()), 60}));
    EXPECT_EQ(win.SetBackColorByRGBA(255, 0, 0, 9), 0);
    EXPECT_EQ(win.GetBackColor(), 87u) << "(11 * 255) / 32";
    EXPECT_EQ(win.windowFlags2, GL_WIN2_RGBA_BACK);
    EXPECT_EQ(win.backColorRec.a, 9);
    EXPECT_EQ(win.SetForeColor(0), -1);
    EXPECT_EQ(win.SetForeColor(7), 0);
    EXPECT_EQ(win.DisableWindow(), 0);
    EXPECT_EQ(win.DisableWindow(), -1);
    EXPECT_EQ(win.MouseDown(1, 1, 1), -1) << "disabled windows take no press";
    EXPECT_EQ(win.EnableWindow(), 0);
    EXPECT_EQ(win.SwitchToSecondImage(0), -1);
    EXPECT_EQ(win.SwitchToSecondImage(1), 0);
    server.Take();
    win.UpdateLock();
    win.UpdateUnLock();
    EXPECT_TRUE(server.Take().empty()) << "update lock sends nothing while not viewable";

    EXPECT_EQ(win.ResizeWindow(10, 10), -1);
    EXPECT_EQ(win.ResizeWindow(12, 14), 0);
    sent = server.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Words(sent[0]), (std::vector<uint32_t>{0x1007, uint32_t(win.GetWindowId()), 12, 14}));
}

TEST(Window, IsPointInWindowIsExclusiveOfTheSize) {
    FakeServer server;
    GL_Window win(nullptr, "w", 3, 4, 20, 10, 50, 0);
    const int points[][3] = {{0, 0, 1}, {19, 9, 1}, {20, 0, 0}, {0, 10, 0}, {-1, 0, 0}};
    for (auto& p : points)
        EXPECT_EQ(win.IsPointInWindow(p[0], p[1], 0), p[2]) << p[0] << "," << p[1];
    EXPECT_FALSE(win.IsPointInWindow(0, 0, 1)) << "hidden";
    win.ShowWindow(0);
    EXPECT_TRUE(win.IsPointInWindow(0, 0, 1));

    GL_Window zero(nullptr, "zero", 0, 0, 0, 0, 50, 0);
    EXPECT_FALSE(zero.IsPointInWindow(0, 0, 0)) << "a window of size 0 contains nothing";
}

TEST(Window, MovesKeepScreenPositionsOfTheWholeSubtree) {
    FakeServer server;
    GL_Window main(nullptr, "main", 100, 50, 300, 200, iWhiteS, 0);
    GL_Window child(&main, "child", 10, 20, 50, 50, iBlackS, 0);
    GL_Window grandchild(&child, "grandchild", 1, 2, 5, 5, iBlackS, 0);
    EXPECT_EQ(grandchild.GetAbsX(), 111);
    EXPECT_EQ(grandchild.GetAbsY(), 72);
    server.Take();

    EXPECT_EQ(main.MoveWindow(5, -5, 0, 1), 1);
    EXPECT_EQ(main.GetX(), 105);
    EXPECT_EQ(grandchild.GetAbsX(), 116);
    EXPECT_EQ(grandchild.GetAbsY(), 67);
    auto sent = server.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Words(sent[0]), (std::vector<uint32_t>{0x1408, uint32_t(main.GetWindowId()), 5, uint32_t(-5), 0}));

    EXPECT_EQ(child.MoveResizeWindow(0, 0, 60, 50, 1), 1);
    EXPECT_EQ(child.GetAbsX(), 105);
    EXPECT_EQ(grandchild.GetAbsX(), 106);
    EXPECT_EQ(server.Types(), (std::vector<unsigned>{MoveWindow, ResizeWindow}));

    // Raise and lower reorder the parent's children.
    GL_Window second(&main, "second", 0, 0, 5, 5, iBlackS, 0);
    server.Take();
    child.RaiseWindow();
    EXPECT_EQ(main.GetChildren()->last->data, &child);
    child.LowerWindow();
    EXPECT_EQ(main.GetChildren()->first->data, &child);
    EXPECT_EQ(server.Types(), (std::vector<unsigned>{RaiseWindow, LowerWindow}));
}

TEST(Window, DraggingAMovableMainWindowDrawsAnOutlineAndMovesItOnRelease) {
    FakeServer server;
    GL_Window main(nullptr, "main", 100, 50, 300, 200, iWhiteS, 0);
    GL_Window child(&main, "child", 10, 10, 50, 50, iBlackS, 0);
    GL_Window follower(nullptr, "follower", 400, 50, 20, 20, iBlackS, 0);
    pTopMoveList->AppendItem(&follower);
    Counter watcher;
    main.AddCallback(&watcher, "MouseDown!", nullptr);
    main.AddCallback(&watcher, "MouseUp!", nullptr);

    EXPECT_EQ(child.SetCanMoved(1), -1) << "only a window without parent window can be dragged";
    EXPECT_EQ(child.canMove, 0);
    EXPECT_EQ(main.SetCanMoved(1), 0);
    main.ShowWindow(0);
    server.Take();

    EXPECT_EQ(main.MouseDown(10, 10, 1), 0);
    EXPECT_EQ(main.MouseMove(10, 10, 1), -1) << "no movement yet";
    EXPECT_EQ(main.MouseMove(30, 10, 1), 0); // horizontal only
    EXPECT_EQ(main.MouseMove(30, 40, 1), 0); // then vertical only
    EXPECT_EQ(main.MouseUp(30, 40, 1), 0);
    auto sent = server.Take();
    const uint32_t yellow = 215; // (11 * 255 + 16 * 255) / 32
    std::vector<std::vector<uint32_t>> expect = {
        {0x2018, 0, 120, 50, 300, 200, 1, yellow}, // outline at the new place
        {0x2018, 0, 120, 50, 300, 200, 1, yellow}, // erased
        {0x2018, 0, 120, 80, 300, 200, 1, yellow}, // drawn lower
        {0x2018, 0, 120, 80, 300, 200, 1, yellow}, // erased on release
        {0x1408, uint32_t(main.GetWindowId()), 20, 30, 0}, {0x1408, uint32_t(follower.GetWindowId()), 20, 30, 0},
    };
    ASSERT_EQ(sent.size(), expect.size());
    for (size_t i = 0; i < expect.size(); ++i) {
        auto w = Words(sent[i]);
        if (expect[i][0] == 0x2018) w[1] = 0; // the word at 4 is not part of the request
        EXPECT_EQ(w, expect[i]) << "request " << i;
    }
    EXPECT_EQ(main.GetX(), 120);
    EXPECT_EQ(main.GetY(), 80);
    EXPECT_EQ(child.GetAbsX(), 130);
    EXPECT_EQ(follower.GetX(), 420);
    EXPECT_EQ(watcher.events, (std::vector<std::string>{"MouseDown!", "MouseUp!"}));

    // A press and release without movement moves nothing.
    main.MouseDown(5, 5, 1);
    EXPECT_EQ(main.MouseUp(5, 5, 1), -1);
    EXPECT_TRUE(server.Take().empty());
    pTopMoveList->RemoveItemByData(&follower);
}

TEST(Window, TransientDialogsAndWindowManagerProperties) {
    FakeServer server;
    GL_Window main(nullptr, "main", 0, 0, 300, 200, iWhiteS, 0);
    auto* dialog = new GL_Window(nullptr, "dialog", 10, 10, 100, 50, iWhiteS, 0);
    auto* plain = new GL_Window(nullptr, "plain", 10, 10, 100, 50, iWhiteS, 0);
    server.Take();
    EXPECT_EQ(plain->SetTransientFlag(&main), -1) << "only dialogs can be transient";
    dialog->windowFlags |= GL_WIN_DIALOG;
    EXPECT_EQ(dialog->SetTransientFlag(plain), -1) << "only for a top window";
    EXPECT_EQ(dialog->SetTransientFlag(&main), 0);
    EXPECT_EQ(dialog->transientFor, &main);
    EXPECT_EQ(main.transients.count, 1);
    auto sent = server.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Words(sent[0]),
              (std::vector<uint32_t>{0x0C13, uint32_t(dialog->GetWindowId()), uint32_t(main.GetWindowId())}));
    delete dialog;
    EXPECT_EQ(main.transients.count, 0) << "a deleted dialog leaves its owner's list";

    EXPECT_EQ(plain->SetWMProperty(0x1234, nullptr), 0);
    EXPECT_EQ(plain->wmProperty, 0x34);
    EXPECT_EQ(plain->wmPropertySet, 1);
    EXPECT_EQ(pWMList->FindIndexByData(plain),
              pWMIdList->FindIndexByData(reinterpret_cast<void*>(uintptr_t(plain->GetWindowId()))));
    delete plain;
    EXPECT_EQ(pWMList->FindIndexByData(plain), -1);

    EXPECT_EQ(main.SetTopWindowFlag(0), 0);
    EXPECT_EQ(main.windowFlags & GL_WIN_TOP, 0);
    server.Take();
    main.SetTopWindowFlag(1);
    sent = server.Take();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Words(sent[0]), (std::vector<uint32_t>{0x0C12, uint32_t(main.GetWindowId()), 255}));
}

namespace {

// Slot of a virtual member function in the Itanium C++ ABI: its
// pointer-to-member holds 1 + the byte offset of the slot in the table. ARM's
// variant of the ABI keeps the plain offset and marks a virtual function in
// the low bit of the second word instead.
template <class F> long Slot(F f) {
    static_assert(sizeof(F) == 2 * sizeof(long), "Itanium member pointer");
    long raw[2];
    memcpy(raw, &f, sizeof raw);
#if defined(__arm__) || defined(__aarch64__)
    EXPECT_EQ(raw[1] & 1, 1) << "not a virtual function";
    return raw[0] / long(sizeof(void*));
#else
    return (raw[0] - 1) / long(sizeof(void*));
#endif
}

} // namespace

TEST(BinaryContract, VirtualOperationsSitInTheSlotsOfTheTables) {
    EXPECT_EQ(Slot(&GL_TT::GetClassName), 0);
    EXPECT_EQ(Slot(&GL_Object::GetClassName), 0);
    // Slots 1 and 2 are the two destructors.
    EXPECT_EQ(Slot(&GL_Object::AddChild), 3);
    EXPECT_EQ(Slot(&GL_Object::RemoveChild), 4);
    EXPECT_EQ(Slot(&GL_Object::ExecCallback), 5);
    EXPECT_EQ(Slot(&GL_Object::IsWindow), 6);
    EXPECT_EQ(Slot(&GL_Object::IsWidget), 7);
    EXPECT_EQ(Slot(&GL_Window::MouseDown), 8);
    EXPECT_EQ(Slot(&GL_Window::MouseUp), 9);
    EXPECT_EQ(Slot(&GL_Window::MouseMove), 10);
    EXPECT_EQ(Slot(&GL_Window::MouseIn), 11);
    EXPECT_EQ(Slot(&GL_Window::MouseOut), 12);
    EXPECT_EQ(Slot(&GL_Window::KeyIn), 13);
    EXPECT_EQ(Slot(&GL_Window::UpdateWindow), 14);
    EXPECT_EQ(Slot(&GL_Window::EnableWindow), 15);
    EXPECT_EQ(Slot(&GL_Window::DisableWindow), 16);
    EXPECT_EQ(Slot(&GL_Window::IsPointInWindow), 17);
    EXPECT_EQ(Slot(&GL_Window::SetImageData), 18);
    EXPECT_EQ(Slot(&GL_Window::SetImageFile), 19);
    EXPECT_EQ(Slot(&GL_Window::ActiveWindow), 20);
    EXPECT_EQ(Slot(&GL_Window::DeactiveWindow), 21);
    EXPECT_EQ(Slot(&GL_Window::GetFocus), 22);
    EXPECT_EQ(Slot(&GL_Window::LostFocus), 23);
    EXPECT_EQ(Slot(&GL_Window::CalcSize), 24);
    EXPECT_EQ(Slot(&GL_Window::DrawBackground), 25);
    EXPECT_EQ(Slot(&GL_Window::Draw), 26);
    EXPECT_EQ(Slot(&GL_Window::ScreenSizeChange), 27);
    EXPECT_EQ(Slot(&GL_Window::WindowSizeChange), 28);
    EXPECT_EQ(Slot(&GL_Window::DefaultFontChange), 29);
    EXPECT_EQ(Slot(&GL_Window::CharsetChange), 30);
    EXPECT_EQ(Slot(&GL_Window::GotUserMessage), 31);
    EXPECT_EQ(Slot(&GL_Window::ResizeWindowNotify), 32);
    EXPECT_EQ(Slot(&GL_Window::ResetPopWindow), 33);
    EXPECT_EQ(Slot(&GL_Window::GetClassName), 0);
    EXPECT_EQ(Slot(&GL_Window::IsWindow), 6);
    EXPECT_EQ(Slot(&GL_Timeout::GetClassName), 0);
}

namespace {

// Deletes the window that tells it of an event.
class Closer : public GL_Object {
public:
    Closer() : GL_Object(nullptr, "closer", 0) {}
    int ExecCallback(GL_Object* sender, char const* event, void*, void*, void*, void*, void*) override {
        if (std::string(event) != "Delete!") {
            events.push_back(event);
            delete sender;
        }
        return 0;
    }
    std::vector<std::string> events;
};

} // namespace

TEST(Window, ATargetThatDeletesTheWindowFromAPointerCallbackIsSafe) {
    FakeServer server;
    GL_Window main(nullptr, "main", 0, 0, 300, 200, iWhiteS, 0);
    main.ShowWindow(0);
    Closer closer;
    for (const char* event : {"MouseDown!", "MouseUp!", "MouseIn!", "MouseOut!"}) {
        auto* w = new GL_Window(&main, "victim", 10, 10, 50, 50, iBlackS, 0);
        w->SetCanMoved(1);
        w->AddCallback(&closer, event, nullptr);
        uint32_t id = uint32_t(w->GetWindowId());
        unsigned type = std::string(event) == "MouseDown!" ? 2
                        : std::string(event) == "MouseUp!" ? 3
                        : std::string(event) == "MouseIn!" ? 5
                                                           : 6;
        auto ev = MakeEvent(type, 28, {{4, id}, {8, 3}, {12, 4}});
        if (type == 3) w->MouseDown(1, 1, 1); // a drag under way when the release deletes it
        EXPECT_EQ(Handle_Event(reinterpret_cast<GS_GeneralEvent_st*>(ev.data())), 0);
        EXPECT_EQ(GL_FindWidgetByWindowId(id), nullptr) << event;
    }
    EXPECT_EQ(closer.events, (std::vector<std::string>{"MouseDown!", "MouseUp!", "MouseIn!", "MouseOut!"}));
    EXPECT_EQ(main.GetChildren()->count, 0);
}
