// Every request writer against the request layouts, worked out field by field
// from the protocol's tables with the harness's own message builder (not from
// the library's protocol headers): identifiers and words at their offsets,
// bytes in 4-byte slots, colour records, doubles at 8-aligned offsets.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "egui.h"
#include "gui/nc_capture.h"

namespace {

using nc_test::Bytes;
using nc_test::Capture;
using testing_eink::Msg;

// Distinct values, so that a swapped pair of arguments shows.
constexpr unsigned long ID = 0x00100003, ID2 = 0x00100007, ID3 = 0x0010000B;
constexpr unsigned long PIX = 0xA5, PIX2 = 0x3C;
const _GL_Color C1{1, 2, 3, 4, 0x11223344}, C2{5, 6, 7, 8, 0x55667788}, C3{9, 10, 11, 12, 0x99AABBCC},
    C4{13, 14, 15, 16, 0xDDEEFF01};

Msg& c1(Msg& m) { return m.color(1, 2, 3, 4, 0x11223344); }
Msg& c2(Msg& m) { return m.color(5, 6, 7, 8, 0x55667788); }
Msg& c3(Msg& m) { return m.color(9, 10, 11, 12, 0x99AABBCC); }
Msg& c4(Msg& m) { return m.color(13, 14, 15, 16, 0xDDEEFF01); }

// Integers -1 .. for the arguments after the target, negative to show signed
// words going out as two's complement.
Msg& ints(Msg& m, int n) {
    for (int i = 0; i < n; ++i)
        m.s32(10 * (i + 1) - 25);
    return m;
}
#define I1 -15
#define I2 -5
#define I3 5
#define I4 15
#define I5 25
#define I6 35
#define I7 45
#define I8 55

struct Case {
    std::string name;
    std::function<long()> call;
    Bytes expected;
    long ret; // what the writer returns; -1: the request's length
};

Msg M(uint8_t op) { return Msg(op); }

std::vector<Case> Cases() {
    std::vector<Case> cs;
    auto add = [&](const std::string& name, std::function<long()> call, const Msg& m, long ret = -1) {
        cs.push_back(Case{name, std::move(call), m.done(), ret});
    };
    // One case per writer: its call, named after it, and the message it must send.
    // clang-format off
#define W(call, msg) add(#call, [] { return long(call); }, msg)
    // clang-format on

    // Windows and pixmaps.
    W(NC_DestroyWindow(ID), M(2).u32(ID));
    W(NC_RaiseWindow(ID), M(3).u32(ID));
    W(NC_LowerWindow(ID), M(4).u32(ID));
    W(NC_MapWindow(ID, 1), M(5).u32(ID).byte(1));
    W(NC_UnmapWindow(ID, 0xFE), M(6).u32(ID).byte(0xFE));
    W(NC_ResizeWindow(ID, I1, I2), M(7).u32(ID).s32(I1).s32(I2));
    W(NC_MoveWindow(ID, I1, I2, 1), M(8).u32(ID).s32(I1).s32(I2).byte(1));
    W(NC_MoveResizeWindow(ID, I1, I2, I3, I4, 7), ints(M(9).u32(ID), 4).byte(7));
    W(NC_CreatePixmap(ID, I1, I2, 8), M(10).u32(ID).s32(I1).s32(I2).s32(8));
    W(NC_FreePixmap(ID), M(11).u32(ID));
    W(NC_CopyAreaP2W(ID, ID2, ID3, I1, I2, I3, I4, I5, I6), ints(M(13).u32(ID).u32(ID2).u32(ID3), 6).u32(0));
    W(NC_CopyAreaP2P(ID, ID2, ID3, I1, I2, I3, I4, I5, I6), ints(M(14).u32(ID).u32(ID2).u32(ID3), 6));
    W(NC_SetWidgetPopFlag(ID, 1), M(15).u32(ID).u32(1));
    W(NC_SetWidgetFlag(ID, 1), M(16).u32(ID).u32(1));
    W(NC_SetClientExposed(ID, 0), M(17).u32(ID).u32(0));
    W(NC_SetTopWindowFlag(ID, 1), M(18).u32(ID).u32(1));
    W(NC_SetTransientFlag(ID, ID2), M(19).u32(ID).u32(ID2));
    W(NC_SetWinShapeSizeOffset(ID, ID2, I1, I2), M(109).u32(ID).u32(ID2).s32(I1).s32(I2));
    W(NC_SetDesktopFlag(ID, I1, I2, I3, I4), ints(M(111).u32(ID), 4));
    W(NC_SetBackColor(ID, PIX), M(117).u32(ID).u32(PIX));
    W(NC_SetBackPixmap(0, ID2), M(118).u32(0).u32(ID2));
    W(NC_UpdateBigPixmap(ID, "/tmp/app_1f_00001", 77, 88, 40, 30, 8),
      M(125).u32(ID).u32(0).u32(0).s32(40).s32(30).s32(8).text("/tmp/app_1f_00001", 128));
    W(NC_InvertPixmap(ID, I1, I2, I3, I4), ints(M(126).u32(ID), 4));
    W(NC_CopyAreaP2P2(ID, ID2, 0, I1, I2, I3, I4, I5, I6), ints(M(130).u32(ID).u32(ID2).u32(0), 6));
    W(NC_CopyAreaP2WNormal(ID, ID2, ID3, I1, I2, I3, I4, I5, I6), ints(M(141).u32(ID).u32(ID2).u32(ID3), 6).u32(0));
    W(NC_CopyAreaP2WLeft(ID, ID2, ID3, I1, I2, I3, I4, I5, I6), ints(M(142).u32(ID).u32(ID2).u32(ID3), 6).u32(0));
    W(NC_CopyAreaP2P3(ID, ID2, ID3, I1, I2, I3, I4, I5, I6), ints(M(146).u32(ID).u32(ID2).u32(ID3), 6));
    W(NC_SavePixmap(ID), M(254).u32(ID));

    // Drawing into a pixmap: the target, then the arguments in order.
    struct Plain {
        const char* name;
        uint8_t op;
        int nints;
        std::function<long()> call;
    };
    const Plain withPixel[] = {
        {"FillRect", 20, 4, [] { return NC_FillRect(ID, I1, I2, I3, I4, PIX); }},
        {"DrawPoint", 27, 2, [] { return NC_DrawPoint(ID, I1, I2, PIX); }},
        {"DrawDashHLine", 30, 3, [] { return NC_DrawDashHLine(ID, I1, I2, I3, PIX); }},
        {"DrawDashVLine", 31, 3, [] { return NC_DrawDashVLine(ID, I1, I2, I3, PIX); }},
        {"DrawDashRect", 32, 4, [] { return NC_DrawDashRect(ID, I1, I2, I3, I4, PIX); }},
        {"DrawHLine", 33, 3, [] { return NC_DrawHLine(ID, I1, I2, I3, PIX); }},
        {"DrawVLine", 34, 3, [] { return NC_DrawVLine(ID, I1, I2, I3, PIX); }},
        {"DrawWHLine", 35, 4, [] { return NC_DrawWHLine(ID, I1, I2, I3, I4, PIX); }},
        {"DrawWVLine", 36, 4, [] { return NC_DrawWVLine(ID, I1, I2, I3, I4, PIX); }},
        {"DrawHLineW", 37, 4, [] { return NC_DrawHLineW(ID, I1, I2, I3, I4, PIX); }},
        {"DrawVLineW", 38, 4, [] { return NC_DrawVLineW(ID, I1, I2, I3, I4, PIX); }},
        {"DrawLine", 42, 4, [] { return NC_DrawLine(ID, I1, I2, I3, I4, PIX); }},
        {"FillUpBoxS", 49, 4, [] { return NC_FillUpBoxS(ID, I1, I2, I3, I4, PIX); }},
        {"FillDownBoxS", 50, 4, [] { return NC_FillDownBoxS(ID, I1, I2, I3, I4, PIX); }},
        {"FillUpBox", 51, 4, [] { return NC_FillUpBox(ID, I1, I2, I3, I4, PIX); }},
        {"DrawRect", 60, 4, [] { return NC_DrawRect(ID, I1, I2, I3, I4, PIX); }},
        {"DrawWRect", 61, 5, [] { return NC_DrawWRect(ID, I1, I2, I3, I4, I5, PIX); }},
        {"DrawRectW", 62, 5, [] { return NC_DrawRectW(ID, I1, I2, I3, I4, I5, PIX); }},
        {"DrawEllipse", 81, 4, [] { return NC_DrawEllipse(ID, I1, I2, I3, I4, PIX); }},
        {"FillEllipse", 82, 4, [] { return NC_FillEllipse(ID, I1, I2, I3, I4, PIX); }},
        {"DrawEllipseW", 84, 5, [] { return NC_DrawEllipseW(ID, I1, I2, I3, I4, I5, PIX); }},
        {"DrawRoundRect", 88, 6, [] { return NC_DrawRoundRect(ID, I1, I2, I3, I4, I5, I6, PIX); }},
        {"DrawRoundRectW", 89, 7, [] { return NC_DrawRoundRectW(ID, I1, I2, I3, I4, I5, I6, I7, PIX); }},
        {"DrawArcAera", 95, 5, [] { return NC_DrawArcAera(ID, I1, I2, I3, I4, I5, PIX); }},
        {"DrawArc", 96, 5, [] { return NC_DrawArc(ID, I1, I2, I3, I4, I5, PIX); }},
        {"FillArc", 97, 5, [] { return NC_FillArc(ID, I1, I2, I3, I4, I5, PIX); }},
        {"DrawLineW", 100, 5, [] { return NC_DrawLineW(ID, I1, I2, I3, I4, I5, PIX); }},
        {"DrawLineWPolygon", 101, 5, [] { return NC_DrawLineWPolygon(ID, I1, I2, I3, I4, I5, PIX); }},
    };
    for (const Plain& p : withPixel)
        add(p.name, p.call, ints(M(p.op).u32(ID), p.nints).u32(PIX));

    const Plain noPixel[] = {
        {"DrawUpBoxS", 43, 4, [] { return NC_DrawUpBoxS(ID, I1, I2, I3, I4); }},
        {"DrawDownBoxS", 44, 4, [] { return NC_DrawDownBoxS(ID, I1, I2, I3, I4); }},
        {"DrawHSeperator2", 56, 3, [] { return NC_DrawHSeperator2(ID, I1, I2, I3); }},
        {"DrawHSeperator3D2", 57, 3, [] { return NC_DrawHSeperator3D2(ID, I1, I2, I3); }},
        {"DrawVSeperator2", 58, 3, [] { return NC_DrawVSeperator2(ID, I1, I2, I3); }},
        {"DrawVSeperator3D2", 59, 3, [] { return NC_DrawVSeperator3D2(ID, I1, I2, I3); }},
    };
    for (const Plain& p : noPixel)
        add(p.name, p.call, ints(M(p.op).u32(ID), p.nints));

    const Plain oneColour[] = {
        {"DrawPointLeftCustom", 28, 2, [] { return NC_DrawPointLeftCustom(ID, I1, I2, C1); }},
        {"DrawPointRightCustom", 29, 2, [] { return NC_DrawPointRightCustom(ID, I1, I2, C1); }},
        {"DrawHLineCustom", 41, 3, [] { return NC_DrawHLineCustom(ID, I1, I2, I3, C1); }},
        {"DrawUpBoxRGB", 47, 4, [] { return NC_DrawUpBoxRGB(ID, I1, I2, I3, I4, C1); }},
        {"DrawDownBoxRGB", 48, 4, [] { return NC_DrawDownBoxRGB(ID, I1, I2, I3, I4, C1); }},
        {"DrawCircle", 75, 3, [] { return NC_DrawCircle(ID, I1, I2, I3, C1); }},
        {"FillCircle", 76, 3, [] { return NC_FillCircle(ID, I1, I2, I3, C1); }},
        {"FillCircleW", 77, 4, [] { return NC_FillCircleW(ID, I1, I2, I3, I4, C1); }},
    };
    for (const Plain& p : oneColour)
        add(p.name, p.call, c1(ints(M(p.op).u32(ID), p.nints)));

    const Plain twoColours[] = {
        {"DrawHLineWGradient", 39, 4, [] { return NC_DrawHLineWGradient(ID, I1, I2, I3, I4, C1, C2); }},
        {"DrawVLineWGradient", 40, 4, [] { return NC_DrawVLineWGradient(ID, I1, I2, I3, I4, C1, C2); }},
        {"DrawRectWGradient", 65, 5, [] { return NC_DrawRectWGradient(ID, I1, I2, I3, I4, I5, C1, C2); }},
        {"FillCircleGradient", 78, 3, [] { return NC_FillCircleGradient(ID, I1, I2, I3, C1, C2); }},
        {"FillCircleGradientW", 79, 4, [] { return NC_FillCircleGradientW(ID, I1, I2, I3, I4, C1, C2); }},
        {"FillEllipseGradient", 83, 4, [] { return NC_FillEllipseGradient(ID, I1, I2, I3, I4, C1, C2); }},
        {"DrawEllipseWGradient", 85, 5, [] { return NC_DrawEllipseWGradient(ID, I1, I2, I3, I4, I5, C1, C2); }},
        {"DrawRoundRectWGradient", 90, 7,
         [] { return NC_DrawRoundRectWGradient(ID, I1, I2, I3, I4, I5, I6, I7, C1, C2); }},
        {"FillRoundRectWGradientBase", 91, 7,
         [] { return NC_FillRoundRectWGradientBase(ID, I1, I2, I3, I4, I5, I6, I7, C1, C2); }},
    };
    for (const Plain& p : twoColours)
        add(p.name, p.call, c2(c1(ints(M(p.op).u32(ID), p.nints))));

    const Plain fourColours[] = {
        {"FillCircleGradientW2", 80, 4, [] { return NC_FillCircleGradientW2(ID, I1, I2, I3, I4, C1, C2, C3, C4); }},
        {"FillEllipseWGradient", 87, 5, [] { return NC_FillEllipseWGradient(ID, I1, I2, I3, I4, I5, C1, C2, C3, C4); }},
        {"FillRoundRectWGradient2", 94, 7,
         [] { return NC_FillRoundRectWGradient2(ID, I1, I2, I3, I4, I5, I6, I7, C1, C2, C3, C4); }},
    };
    for (const Plain& p : fourColours)
        add(p.name, p.call, c4(c3(c2(c1(ints(M(p.op).u32(ID), p.nints))))));

    W(NC_DrawUpBox(ID, I1, I2, I3, I4, PIX), ints(M(45).u32(ID), 4).u32(PIX).u32(0).u32(0));
    W(NC_DrawDownBox(ID, I1, I2, I3, I4, PIX), ints(M(46).u32(ID), 4).u32(PIX).u32(0).u32(0));
    W(NC_DrawUpBoxCustom(ID, I1, I2, I3, I4, PIX, 0x0F), ints(M(52).u32(ID), 4).u32(PIX).byte(0x0F));
    W(NC_DrawDownBoxCustom(ID, I1, I2, I3, I4, PIX, 0x05), ints(M(53).u32(ID), 4).u32(PIX).byte(0x05));
    W(NC_DrawUpBoxCustomRGB(ID, I1, I2, I3, I4, C1, 0x0A), c1(ints(M(54).u32(ID), 4)).byte(0x0A));
    W(NC_DrawDownBoxCustomRGB(ID, I1, I2, I3, I4, C1, 0x03), c1(ints(M(55).u32(ID), 4)).byte(0x03));
    W(NC_FillRectW(ID, I1, I2, I3, I4, I5, PIX, PIX2), ints(M(63).u32(ID), 5).u32(PIX).u32(PIX2));
    W(NC_FillEllipseW(ID, I1, I2, I3, I4, I5, PIX, PIX2), ints(M(86).u32(ID), 5).u32(PIX).u32(PIX2));
    W(NC_DrawGradientRect(ID, I1, I2, I3, I4, 1, 2, 3, 0xFFFF, 5, 6, 7, 8, 9, 1, 2),
      ints(M(64).u32(ID), 4).u16(1).u16(2).u16(3).u16(0xFFFF).u16(5).u16(6).u16(7).u16(8).u16(9).raw(1).raw(2));
    W(NC_FillRectWGradient(ID, I1, I2, I3, I4, I5, C1, C2, C3, C4, 1, 2),
      c4(c3(c2(c1(ints(M(66).u32(ID), 5))))).raw(1).raw(2).pad(2));
    W(NC_DrawSmallArrow(ID, I1, I2, I3, I4, PIX, 2), ints(M(67).u32(ID), 4).u32(PIX).byte(2));
    W(NC_DrawSmallEndArrow(ID, I1, I2, I3, I4, PIX, 3), ints(M(68).u32(ID), 4).u32(PIX).byte(3));
    W(NC_DrawCheckBox(ID, I1, I2, I3, I4, 1, PIX, 0), ints(M(69).u32(ID), 4).byte(1).u32(PIX).byte(0));
    add(
        "DrawTabTitleBox",
        [] {
            _GL_Color c = C1;
            return NC_DrawTabTitleBox(ID, I1, I2, I3, I4, &c);
        },
        c1(ints(M(70).u32(ID), 4).u32(1)));
    add(
        "DrawTabTitleBox without colour", [] { return NC_DrawTabTitleBox(ID, I1, I2, I3, I4, nullptr); },
        ints(M(70).u32(ID), 4).u32(0).pad(8));
    W(NC_FillRoundRect(ID, I1, I2, I3, I4, I5, I6, PIX), ints(M(92).u32(ID), 6).pad(20).u32(PIX));
    W(NC_FillRoundRectWGradient(ID, I1, I2, I3, I4, I5, I6, I7, C1, C2, PIX), c2(c1(ints(M(93).u32(ID), 7))).u32(PIX));
    W(NC_DrawArcDouble(ID, I1, I2, 2.5, -90.0, 1e300, PIX),
      M(98).u32(ID).s32(I1).s32(I2).f64(2.5).f64(-90.0).f64(1e300).u32(PIX).pad(4));
    W(NC_FillArcDouble(ID, I1, I2, 0.125, 3.0, -7.75, PIX),
      M(99).u32(ID).s32(I1).s32(I2).f64(0.125).f64(3.0).f64(-7.75).u32(PIX).pad(4));
    static const int xs[] = {1, -2, 300}, ys[] = {4, 5, -600};
    W(NC_DrawPolygon(ID, 3, xs, ys, PIX),
      M(71).u32(ID).s32(3).u32(PIX).s32(1).s32(-2).s32(300).s32(4).s32(5).s32(-600));
    W(NC_FillPolygon(ID, 3, xs, ys, PIX),
      M(72).u32(ID).s32(3).u32(PIX).s32(1).s32(-2).s32(300).s32(4).s32(5).s32(-600));

    // Straight onto the screen: offset 4 not set, arguments from 8.
    W(NC_DrawPointXorScreen(I1, I2, PIX), ints(M(21).u32(0), 2).u32(PIX));
    W(NC_DrawWHLineXorScreen(I1, I2, I3, I4, PIX), ints(M(22).u32(0), 4).u32(PIX));
    W(NC_DrawWVLineXorScreen(I1, I2, I3, I4, PIX), ints(M(23).u32(0), 4).u32(PIX));
    W(NC_DrawWRectXorScreen(I1, I2, I3, I4, I5, PIX), ints(M(24).u32(0), 5).u32(PIX));
    W(NC_DrawPointScreen(I1, I2, PIX), ints(M(25).u32(0), 2).u32(PIX));
    W(NC_FillRectScreen(I1, I2, I3, I4, PIX), ints(M(26).u32(0), 4).u32(PIX));

    // Text.
    W(NC_TextOutS(ID, I1, I2, "Hello", 0, PIX),
      M(102).u32(ID).u32(0).s32(I1).s32(I2).s32(5).u32(PIX).bytes("Hello", 5));
    W(NC_TextOutD(ID, I1, I2, "\xc4\xe3\xba\xc3", 4, PIX),
      M(103).u32(ID).u32(0).s32(I1).s32(I2).s32(4).u32(PIX).bytes("\xc4\xe3\xba\xc3", 4));
    static const unsigned short wide[] = {0x4F60, 0x0041, 0xFFFE};
    add(
        "TextOutSimple", [] { return NC_TextOutSimple(ID, 24, I1, I2, wide, 3, PIX); },
        M(105).u32(ID).s32(24).s32(I1).s32(I2).pad(8).s32(3).u32(PIX).pad(4).u16(0x4F60).u16(0x0041).u16(0xFFFE), 0);
    W(NC_TextOutSingle(ID, 2, 254, I1, I2, "abc", 2, PIX),
      M(119).u32(ID).s32(2).s32(254).s32(I1).s32(I2).s32(2).u32(PIX).bytes("ab", 2));
    W(NC_TextOutDouble(ID, 1, 16, I1, I2, "\xb0\xa1", 0, PIX),
      M(120).u32(ID).s32(1).s32(16).s32(I1).s32(I2).s32(2).u32(PIX).bytes("\xb0\xa1", 2));
    W(NC_TextOutDemo(ID, I1, I2, I3, I4, I5, "demo", 0, PIX),
      ints(M(116).u32(ID).u32(0), 5).s32(4).u32(PIX).bytes("demo", 4));

    // Input, focus and pointer grabs.
    W(NC_InsertPointerGrab(ID), M(106).u32(ID));
    W(NC_AddPointerGrab(ID), M(107).u32(ID));
    W(NC_RemovePointerGrab(ID), M(108).u32(ID));
    W(NC_KeyFilter(ID, 1), M(138).u32(ID).u32(1));

    // Display refresh and modes.
    W(NC_SetRotateMode(3), M(110).u32(3));
    W(NC_GrabUpdate(), M(128).u32(0));
    W(NC_UnGrabUpdate(), M(129).u32(0));
    W(NC_SwitchDisplayMode(2), M(131).u32(2));
    W(NC_SetUpdateWaitTime(1500), M(132).u32(1500));
    W(NC_SetDefaultRefreshMode(4), M(133).u32(4));
    W(NC_SetOnceRefreshMode(5), M(134).u32(5));
    W(NC_DiscardUpdate(6), M(135).u32(6));
    W(NC_GrabUpdateRotate(7, 8), M(136).u32(7).u32(8));
    W(NC_UngrabUpdateRotate(9, 10), M(137).u32(9).u32(10));
    W(NC_UpdateLock(0, 1), M(139).u32(0).u32(1));
    W(NC_UpdatePop(0, 1), M(140).u32(0).u32(1));
    W(NC_SetMsgMode(1), M(143).u32(1));
    W(NC_SetForceUpdate(0), M(144).u32(0));
    W(NC_SetSDMode(2), M(145).u32(2));

    // Programs and power.
    W(NC_RegisterProgram("reader", 1234, 5678), M(121).text("reader", 32).u32(1234).u32(5678));
    W(NC_UserMessage("reader", "home", 11, 22, 0x81, 3, "xyz"),
      M(122).text("reader", 32).text("home", 32).u32(11).u32(22).byte(0x81).u32(3).bytes("xyz", 3).pad(5));
    W(NC_QueryProgramInternal("home"), M(124).text("home", 32).u32(0));
    W(NC_RequestCloseServer(), M(253).u32(0));
    W(NC_RequestClose(), M(255).u32(0));
#undef W
    return cs;
}

TEST(RequestWriters, EveryWriterSendsItsRequestLaidOutAsTheProtocolTables) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    std::set<int> covered;
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        long ret = c.call();
        Bytes got = cap.Take();
        EXPECT_EQ(got, c.expected);
        EXPECT_EQ(ret, c.ret == -1 ? long(c.expected.size()) : c.ret);
        covered.insert(c.expected[0]);
    }

    // Identifier-returning writers, the pixel rows and the sleep answers are
    // judged in their own tests; together they cover every opcode of the
    // protocol that the client sends.
    for (int op : {1, 12, 114, 123, 127})
        covered.insert(op);
    std::set<int> protocol;
    for (int op = 1; op <= 72; ++op)
        protocol.insert(op);
    for (int op = 75; op <= 103; ++op)
        protocol.insert(op);
    for (int op : {105, 106, 107, 108, 109, 110, 111, 114, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125})
        protocol.insert(op);
    for (int op = 126; op <= 146; ++op)
        protocol.insert(op);
    for (int op : {253, 254, 255})
        protocol.insert(op);
    std::vector<int> missing, extra;
    for (int op : protocol)
        if (!covered.count(op)) missing.push_back(op);
    for (int op : covered)
        if (!protocol.count(op)) extra.push_back(op);
    EXPECT_TRUE(missing.empty()) << "opcodes without a case: " << ::testing::PrintToString(missing);
    EXPECT_TRUE(extra.empty()) << "opcodes outside the protocol: " << ::testing::PrintToString(extra);
}

TEST(RequestWriters, IdentifierWritersTakeTheNextIdentifierAndReturnIt) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    // A connection whose base is 3 << 20 with the counter at 5.
    unsigned char saved[48];
    memcpy(saved, gSysInfo, sizeof saved);
    const uint32_t base = 3u << 20;
    for (int i = 0; i < 4; ++i) {
        gSysInfo[32 + i] = uint8_t(base >> (8 * i));
        gSysInfo[40 + i] = uint8_t(5 >> (8 * i));
    }

    unsigned long win = NC_CreateWindow(ID2, I1, I2, 300, 200, PIX, 2);
    EXPECT_EQ(win, base + 5);
    EXPECT_EQ(cap.Take(), M(1).u32(base + 5).u32(ID2).s32(I1).s32(I2).s32(300).s32(200).u32(PIX).byte(2).done());

    unsigned long font = NC_CreateFont("a font name that is longer than thirty-one", 24, 1, 2);
    EXPECT_EQ(font, base + 6);
    EXPECT_EQ(
        cap.Take(),
        M(114).u32(base + 6).u32(base + 6).text("a font name that is longer than", 32).u16(24).raw(1).raw(2).done());

    // A failed write gives 0, not an identifier.
    int fd = connFd;
    connFd = -1;
    EXPECT_EQ(NC_CreateWindow(0, 0, 0, 1, 1, 0, 0), 0ul);
    EXPECT_EQ(NC_CreateFont("x", 8, 0, 0), 0ul);
    connFd = fd;
    memcpy(gSysInfo, saved, sizeof saved);
}

TEST(RequestWriters, NamesAreCutTo31CharactersAndUserMessageLengthIs89PlusData) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    const std::string longName(40, 'n');
    EXPECT_EQ(NC_RegisterProgram(longName.c_str(), 1, 2), 44);
    EXPECT_EQ(cap.Take(), M(121).text(std::string(31, 'n'), 32).u32(1).u32(2).done());

    // No data: 89 bytes, the NUL at 84 and unset bytes to the end.
    EXPECT_EQ(NC_UserMessage(longName.c_str(), "", 0, 0, 1, 0, nullptr), 89);
    Bytes empty = cap.Take();
    ASSERT_EQ(empty.size(), 89u);
    EXPECT_EQ(empty, M(122).text(std::string(31, 'n'), 32).text("", 32).u32(0).u32(0).byte(1).u32(0).pad(5).done());

    // Refused: negative length, missing data, too long for one message.
    EXPECT_EQ(NC_UserMessage("a", "b", 0, 0, 1, -1, "x"), 0);
    EXPECT_EQ(NC_UserMessage("a", "b", 0, 0, 1, 4, nullptr), 0);
    std::vector<char> big(131072 - 88, 'z');
    EXPECT_EQ(NC_UserMessage("a", "b", 0, 0, 1, int(big.size()), big.data()), 0);
    EXPECT_TRUE(cap.Take().empty());
    // The largest that fits.
    EXPECT_EQ(NC_UserMessage("a", "b", 0, 0, 1, int(big.size() - 1), big.data()), 131072);
    EXPECT_EQ(cap.Take().size(), 131072u);
}

} // namespace
