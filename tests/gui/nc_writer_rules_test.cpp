// The writers whose behaviour goes beyond laying out their arguments: text
// guards and the 510 cut, pixel rows, the path and size limits, the
// character-set and rotation state, the sleep answers and the program query
// with its saved events.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "egui.h"
#include "gui/nc_capture.h"

namespace {

using nc_test::Bytes;
using nc_test::Capture;
using testing_eink::Msg;

constexpr unsigned long PM = 0x00200001;

TEST(TextWriters, GuardsAndTheCutTo510) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    // 600 bytes of text: a 538-byte request carrying the first 510.
    std::string text(600, 'a');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = char('a' + i % 26);
    EXPECT_EQ(NC_TextOutS(PM, 3, 4, text.c_str(), 0, 0x80), 538);
    Bytes sent = cap.Take();
    EXPECT_EQ(sent, Msg(102).u32(PM).u32(0).s32(3).s32(4).s32(510).u32(0x80).bytes(text.data(), 510).done());
    EXPECT_EQ(NC_TextOutD(PM, 3, 4, text.c_str(), 600, 0x80), 538);
    EXPECT_EQ(cap.Take().size(), 538u);
    EXPECT_EQ(NC_TextOutSingle(PM, 0, 8, 3, 4, text.c_str(), 511, 0x80), 542);
    EXPECT_EQ(cap.Take().size(), 542u);

    // Nothing for a target of 0 or an absent or empty text.
    EXPECT_EQ(NC_TextOutS(0, 3, 4, "abc", 0, 0), 0);
    EXPECT_EQ(NC_TextOutS(PM, 3, 4, nullptr, 3, 0), 0);
    EXPECT_EQ(NC_TextOutD(PM, 3, 4, "", 0, 0), 0);
    EXPECT_EQ(NC_TextOutDouble(0, 0, 16, 3, 4, "ab", 0, 0), 0);
    EXPECT_EQ(NC_TextOutDemo(PM, 1, 2, 3, 4, 5, "", 0, 0), 0);
    EXPECT_TRUE(cap.Take().empty());

    // A count past the end of the string never reads beyond it.
    EXPECT_EQ(NC_TextOutS(PM, 0, 0, "xy", 40, 0), 30);
    EXPECT_EQ(cap.Take(), Msg(102).u32(PM).u32(0).s32(0).s32(0).s32(2).u32(0).bytes("xy", 2).done());

    // A failed write returns 0, not a part count.
    int fd = connFd;
    connFd = -1;
    EXPECT_EQ(NC_TextOutS(PM, 0, 0, "xy", 0, 0), 0);
    connFd = fd;
}

TEST(TextWriters, UnicodeTextIsCutTo510UnitsAndAlwaysReturns0) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    std::vector<unsigned short> units(600);
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = uint16_t(0x4E00 + i);
    EXPECT_EQ(NC_TextOutSimple(PM, 16, 1, 2, units.data(), 600, 0x11), 0);
    Bytes sent = cap.Take();
    ASSERT_EQ(sent.size(), 40u + 2 * 510);
    EXPECT_EQ(testing_eink::U32At(sent, 28), 510u);
    EXPECT_EQ(sent[40], 0x00);
    EXPECT_EQ(sent[41], 0x4E);
    EXPECT_EQ(sent[40 + 2 * 509], uint8_t(0x4E00 + 509));

    EXPECT_EQ(NC_TextOutSimple(PM, 16, 1, 2, units.data(), 0, 0x11), 0);
    EXPECT_EQ(NC_TextOutSimple(PM, 16, 1, 2, units.data(), -1, 0x11), 0);
    EXPECT_EQ(NC_TextOutSimple(0, 16, 1, 2, units.data(), 5, 0x11), 0);
    EXPECT_EQ(NC_TextOutSimple(PM, 16, 1, 2, nullptr, 5, 0x11), 0);
    EXPECT_TRUE(cap.Take().empty());
}

TEST(PixelRows, OneMessagePerRowEachCarryingItsRowBytes) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    // 3 rows of 10 pixels at depth 4: three 33-byte messages, each with 5 bytes.
    unsigned char data[15];
    for (int i = 0; i < 15; ++i)
        data[i] = uint8_t(0x10 + i);
    EXPECT_EQ(NC_UpdatePixmap(PM, data, 99, 98, 10, 3, 4), 99);
    Bytes expected;
    for (int row = 0; row < 3; ++row) {
        Bytes m = Msg(12).u32(PM).u32(0).s32(row).s32(10).s32(1).s32(4).bytes(data + 5 * row, 5).done();
        ASSERT_EQ(m.size(), 33u);
        expected.insert(expected.end(), m.begin(), m.end());
    }
    EXPECT_EQ(cap.Take(), expected);

    // An image of more rows than one write gathers: every row message in
    // order, the batch boundaries invisible in the stream.
    const int bigW = 20, bigRows = 1100;
    std::vector<unsigned char> image(size_t(bigW) * bigRows);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 7 + i / bigW);
    EXPECT_EQ(NC_UpdatePixmap(PM, image.data(), 0, 0, bigW, bigRows, 8), bigRows * (28 + bigW));
    expected.clear();
    for (int r = 0; r < bigRows; ++r) {
        Bytes m = Msg(12).u32(PM).u32(0).s32(r).s32(bigW).s32(1).s32(8).bytes(&image[size_t(r) * bigW], bigW).done();
        expected.insert(expected.end(), m.begin(), m.end());
    }
    EXPECT_EQ(cap.Take(), expected);

    // A 100-pixel row at depth 8 has 128 in its length field.
    std::vector<unsigned char> row(100, 0x7F);
    EXPECT_EQ(NC_UpdatePixmap(PM, row.data(), 0, 0, 100, 1, 8), 128);
    Bytes one = cap.Take();
    ASSERT_EQ(one.size(), 128u);
    EXPECT_EQ(testing_eink::LengthOf(one), 128u);

    // Refused: no data, empty geometry, a row that cannot fit one message.
    EXPECT_EQ(NC_UpdatePixmap(PM, nullptr, 0, 0, 10, 3, 4), 0);
    EXPECT_EQ(NC_UpdatePixmap(PM, data, 0, 0, 0, 3, 4), 0);
    EXPECT_EQ(NC_UpdatePixmap(PM, data, 0, 0, 10, 0, 4), 0);
    EXPECT_EQ(NC_UpdatePixmap(PM, data, 0, 0, 10, 3, -8), 0);
    EXPECT_EQ(NC_UpdatePixmap(PM, data, 0, 0, 131072 - 27, 1, 8), 0);
    EXPECT_TRUE(cap.Take().empty());
    // The widest row that fits.
    std::vector<unsigned char> wide(131072 - 28, 1);
    EXPECT_EQ(NC_UpdatePixmap(PM, wide.data(), 0, 0, int(wide.size()), 1, 8), 131072);
    EXPECT_EQ(cap.Take().size(), 131072u);
}

TEST(PixelFiles, PathsOf128CharactersOrMoreAreRefused) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    std::string path127 = "/" + std::string(126, 'p');
    EXPECT_EQ(NC_UpdateBigPixmap(PM, path127.c_str(), 0, 0, 4, 2, 8), 156);
    Bytes sent = cap.Take();
    ASSERT_EQ(sent.size(), 156u);
    EXPECT_EQ(sent, Msg(125).u32(PM).u32(0).u32(0).s32(4).s32(2).s32(8).text(path127, 128).done());

    std::string path128 = path127 + "q";
    EXPECT_EQ(NC_UpdateBigPixmap(PM, path128.c_str(), 0, 0, 4, 2, 8), 0);
    EXPECT_EQ(NC_UpdateBigPixmap(PM, (path128 + "rstu").c_str(), 0, 0, 4, 2, 8), 0);
    EXPECT_EQ(NC_UpdateBigPixmap(PM, nullptr, 0, 0, 4, 2, 8), 0);
    EXPECT_TRUE(cap.Take().empty());
}

TEST(Polygons, TooManyPointsAreRefusedNeverWrittenPastTheBuffer) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    const int most = (131072 - 16) / 8;
    std::vector<int> xs(most + 1, 7), ys(most + 1, -7);
    EXPECT_EQ(NC_FillPolygon(PM, most + 1, xs.data(), ys.data(), 1), 0);
    EXPECT_EQ(NC_DrawPolygon(PM, 1 << 30, xs.data(), ys.data(), 1), 0);
    EXPECT_EQ(NC_DrawPolygon(PM, -1, xs.data(), ys.data(), 1), 0);
    EXPECT_EQ(NC_DrawPolygon(PM, 2, nullptr, ys.data(), 1), 0);
    EXPECT_TRUE(cap.Take().empty());

    EXPECT_EQ(NC_DrawPolygon(PM, most, xs.data(), ys.data(), 1), 131072);
    Bytes sent = cap.Take();
    ASSERT_EQ(sent.size(), 131072u);
    EXPECT_EQ(testing_eink::S32At(sent, 16), 7);
    EXPECT_EQ(testing_eink::S32At(sent, 16 + 4 * most), -7);
    EXPECT_EQ(testing_eink::S32At(sent, 131068), -7);

    EXPECT_EQ(NC_DrawPolygon(PM, 0, nullptr, nullptr, 1), 16);
    EXPECT_EQ(cap.Take(), Msg(71).u32(PM).s32(0).u32(1).done());
}

TEST(ModeWriters, CharsetIsSentOnlyWhenItChangesAndRotationIsRecorded) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    iCharset = 0;
    EXPECT_EQ(NC_SetCharsetMode(0), 12);
    EXPECT_TRUE(cap.Take().empty());
    EXPECT_EQ(NC_SetCharsetMode(2), 12);
    EXPECT_EQ(iCharset, 2);
    EXPECT_EQ(cap.Take(), Msg(123).u32(0).s32(2).done());
    EXPECT_EQ(NC_SetCharsetMode(2), 12);
    EXPECT_TRUE(cap.Take().empty());
    iCharset = 0;

    iRotateMode = 0;
    EXPECT_EQ(NC_SetRotateMode(1), 8);
    EXPECT_EQ(iRotateMode, 1);
    EXPECT_EQ(cap.Take(), Msg(110).s32(1).done());
    iRotateMode = 0;
}

TEST(SleepAnswers, SentOnlyWithAProgramNameAndRecordedInSleepCan) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    char* saved = pProgName;
    pProgName = nullptr;
    bSleepCan = 5;
    EXPECT_EQ(NC_SleepOk(), 0);
    char empty[] = "";
    pProgName = empty;
    EXPECT_EQ(NC_SleepCancel(), 0);
    EXPECT_TRUE(cap.Take().empty());
    EXPECT_EQ(bSleepCan, 5);

    char path[] = "/mnt/us/velmora/bin/velmora-with-a-long-tail";
    pProgName = path;
    EXPECT_EQ(NC_SleepOk(), 40);
    EXPECT_EQ(bSleepCan, 0);
    EXPECT_EQ(NC_SleepOkDelay(), 40);
    EXPECT_EQ(bSleepCan, 9);
    EXPECT_EQ(NC_SleepCancel(), 40);
    EXPECT_EQ(bSleepCan, 1);
    const std::string cut = std::string(path).substr(0, 31);
    Bytes expected;
    for (uint32_t code : {0u, 9u, 1u}) {
        Bytes m = Msg(127).text(cut, 32).u32(code).done();
        expected.insert(expected.end(), m.begin(), m.end());
    }
    EXPECT_EQ(cap.Take(), expected);
    pProgName = saved;
}

TEST(ProgramQuery, WaitsForTheReplyAndSavesWhatArrivesMeanwhile) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    // An empty or absent name sends nothing.
    EXPECT_EQ(NC_QueryProgram(""), 0);
    EXPECT_EQ(NC_QueryProgram(nullptr), 0);
    EXPECT_TRUE(cap.Take().empty());

    // A user message and a Draw arrive before the reply.
    Bytes user = Msg(122).text("peer", 32).text("me", 32).u32(1).u32(2).byte(7).u32(2).bytes("hi", 2).pad(5).done();
    Bytes draw = Msg(16).u32(0x100004).pad(24).done();
    Bytes reply = Msg(124).pad(32).u32(1).done();
    ASSERT_TRUE(cap.Inject(user));
    ASSERT_TRUE(cap.Inject(draw));
    ASSERT_TRUE(cap.Inject(reply));
    EXPECT_EQ(NC_QueryProgram("peer"), 1);
    EXPECT_EQ(cap.Take(), Msg(124).text("peer", 32).u32(0).done());

    // The saved messages come back oldest first, whole, and then nothing.
    GS_GeneralEvent_st* first = CheckWaitEvent();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Bytes(GL_EventBytes(first), GL_EventBytes(first) + GL_EventLength(first)), user);
    GS_GeneralEvent_st* second = CheckWaitEvent();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(GL_EventType(second), 16u);
    EXPECT_EQ(GL_EventWord(second, 4), 0x100004u);
    EXPECT_EQ(GL_EventLength(second), 32u);
    EXPECT_EQ(CheckWaitEvent(), nullptr);
    FreeEventData(first);
    FreeEventData(second);
    FreeEventData(nullptr);
    FreeEventData(reinterpret_cast<GS_GeneralEvent_st*>(gReqBuffer));

    // A name nobody registered.
    ASSERT_TRUE(cap.Inject(Msg(124).pad(32).u32(0).done()));
    EXPECT_EQ(NC_QueryProgram("nobody"), 0);
    cap.Take();

    // The server goes away while the program waits: 0, and the loop is told to end.
    bQuitProgram = 0;
    cap.StopSending();
    EXPECT_EQ(NC_QueryProgram("peer"), 0);
    EXPECT_EQ(bQuitProgram, 1);
    bQuitProgram = 0;
}

TEST(ClientGotEvent, ReadsWholeMessagesAndGivesUpOnImpossibleLengths) {
    Capture cap;
    ASSERT_TRUE(cap.ok());
    // A header-only message.
    ASSERT_TRUE(cap.Inject(Msg(200).done()));
    GS_GeneralEvent_st* ev = GotEvent();
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ(GL_EventType(ev), 200u);
    EXPECT_EQ(GL_EventLength(ev), 4u);

    // A KeyIn with the text "f".
    Bytes key = Msg(9).u32(0x100001).u32(42).u32(65).u32(0).u32(0).u32(0).pad(12).bytes("f", 2).done();
    ASSERT_TRUE(cap.Inject(key));
    ev = GotEvent();
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ(Bytes(GL_EventBytes(ev), GL_EventBytes(ev) + GL_EventLength(ev)), key);

    // Lengths the buffer cannot hold, or below the header, end the program
    // instead of reading out of step.
    bQuitProgram = 0;
    ASSERT_TRUE(cap.Inject(Msg(9).withLength(131073)));
    EXPECT_EQ(GotEvent(), nullptr);
    EXPECT_EQ(bQuitProgram, 1);
    bQuitProgram = 0;
    ASSERT_TRUE(cap.Inject(Msg(9).withLength(2)));
    EXPECT_EQ(GotEvent(), nullptr);
    EXPECT_EQ(bQuitProgram, 1);
    bQuitProgram = 0;

    // A message cut short by the server's end.
    Bytes cut = Msg(16).u32(1).pad(24).done();
    cut.resize(20);
    ASSERT_TRUE(cap.Inject(cut));
    cap.StopSending();
    EXPECT_EQ(GotEvent(), nullptr);
    EXPECT_EQ(bQuitProgram, 1);
    bQuitProgram = 0;
}

} // namespace
