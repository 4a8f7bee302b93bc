// The shared protocol module against bytes worked out by hand from the
// protocol's tables.
#include <gtest/gtest.h>

#include <vector>

#include "protocol/protocol.h"

namespace {

std::vector<uint8_t> Le(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> out;
    for (uint32_t w : words)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(w >> (8 * i)));
    return out;
}

TEST(Protocol, EveryFixedLayoutMatchesItsFieldSignatureAndHeadersPackTypeAndLength) {
    // FillRect: 28 bytes, header word 0x00001C14, type byte first.
    const proto::RequestInfo& fill = proto::Request(20);
    ASSERT_STREQ(fill.name, "FillRect");
    uint8_t bytes[4];
    proto::PutU32(bytes, proto::PackHeader(20, fill.length));
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 4), (std::vector<uint8_t>{0x14, 0x1C, 0x00, 0x00}));

    int counted = 0;
    for (uint32_t op = 0; op < 256; ++op) {
        const proto::RequestInfo& r = proto::Request(op);
        if (!r.name) continue;
        ++counted;
        uint32_t body = proto::SignatureSize(r.signature);
        if (r.kind == proto::VARIABLE) {
            EXPECT_LE(4 + body, r.length) << r.name;
        } else {
            EXPECT_EQ(4 + body, r.length) << r.name;
        }
    }
    // Opcodes without a handler are outside the table.
    for (uint32_t op : {0u, 73u, 74u, 104u, 112u, 113u, 115u, 147u, 200u, 252u})
        EXPECT_EQ(proto::Request(op).name, nullptr) << op;
    EXPECT_EQ(counted, 143); // counted by hand from the request tables
}

TEST(Protocol, KeyInWithoutTextIs40BytesAndWithTextCarriesItAndANul) {
    std::vector<uint8_t> buf(proto::kMaxMessage, 0xEE);
    uint32_t n = proto::BuildKeyIn(buf.data(), 0x100005, 57, 58, 1, 1, nullptr);
    ASSERT_EQ(n, 40u);
    std::vector<uint8_t> want = Le({(40u << 8) | 9, 0x100005, 40, 57, 58, 1, 1, 0, 0, 0});
    EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + 40), want);

    std::fill(buf.begin(), buf.end(), 0xEE);
    n = proto::BuildKeyIn(buf.data(), 7, 102, 0, 0, 0, "f");
    ASSERT_EQ(n, 42u);
    want = Le({(42u << 8) | 9, 7, 42, 102, 0, 0, 0, 0, 0, 0});
    want.push_back('f');
    want.push_back(0);
    EXPECT_EQ(std::vector<uint8_t>(buf.begin(), buf.begin() + 42), want);
}

TEST(Protocol, EventBuildersLayOutTheirRecords) {
    uint8_t buf[64];
    ASSERT_EQ(proto::BuildWindowEvent(buf, proto::EV_Draw, 0x200001), 32u);
    EXPECT_EQ(proto::GetU32(buf), (32u << 8) | 16);
    EXPECT_EQ(proto::GetU32(buf + 4), 0x200001u);
    ASSERT_EQ(proto::BuildWindowEvent(buf, proto::EV_GetFocus, 3), 8u);
    EXPECT_EQ(proto::GetU32(buf), (8u << 8) | 13);
    ASSERT_EQ(proto::BuildMouseEvent(buf, proto::EV_MouseDown, 9, -3, 4, 1), 28u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 28), Le({(28u << 8) | 2, 9, uint32_t(-3), 4, 1, 0, 0}));
    ASSERT_EQ(proto::BuildScreenSizeChange(buf, 5, 800, 600, 1), 24u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 24), Le({(24u << 8) | 21, 5, 800, 600, 1, 0}));
    ASSERT_EQ(proto::BuildCharsetChange(buf, 5, 2), 12u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 12), Le({(12u << 8) | 23, 5, 2}));
    ASSERT_EQ(proto::BuildQueryReply(buf, true), 40u);
    EXPECT_EQ(proto::GetU32(buf), (40u << 8) | 124);
    EXPECT_EQ(proto::GetU32(buf + 36), 1u);
    ASSERT_EQ(proto::BuildClose(buf), 8u);
    EXPECT_EQ(std::vector<uint8_t>(buf, buf + 8), Le({(8u << 8) | 255, 0}));
}

TEST(Protocol, ArgReaderFollowsTheGeneralRuleAndReadsZeroPastTheEnd) {
    // DrawArcDouble: id, x, y, three doubles from offset 16, pixel at 40.
    std::vector<uint8_t> m(48, 0);
    proto::PutU32(m.data() + 4, 77);
    proto::PutU32(m.data() + 8, uint32_t(-5));
    proto::PutU32(m.data() + 12, 6);
    proto::PutF64(m.data() + 16, 1.5);
    proto::PutF64(m.data() + 24, -2.25);
    proto::PutF64(m.data() + 32, 90.0);
    proto::PutU32(m.data() + 40, 0xAB);
    proto::ArgReader r(m.data(), 48);
    std::vector<double> got;
    got.push_back(r.u32());
    got.push_back(r.s32());
    got.push_back(r.s32());
    for (int i = 0; i < 3; ++i)
        got.push_back(r.f64());
    got.push_back(r.u32());
    got.push_back(r.offset());
    got.push_back(r.u32()); // past the end reads 0
    got.push_back(r.u32());
    EXPECT_EQ(got, (std::vector<double>{77, -5, 6, 1.5, -2.25, 90.0, 0xAB, 44, 0, 0}));

    // A colour record and a byte slot.
    std::vector<uint8_t> c = {0, 0, 0, 0, 10, 20, 30, 40, 0x80, 0, 0, 0, 0xFF, 0x11, 0x22, 0x33};
    proto::ArgReader rc(c.data(), uint32_t(c.size()));
    proto::Color col = rc.color();
    EXPECT_EQ((std::vector<uint32_t>{col.r, col.g, col.b, col.a, col.pixel}),
              (std::vector<uint32_t>{10, 20, 30, 40, 0x80}));
    EXPECT_EQ(rc.byte(), 0xFF) << "only the first byte of the slot counts";
}

TEST(Protocol, GreyOfRgb) {
    EXPECT_EQ((std::vector<uint32_t>{proto::RgbToGrey(255, 0, 0), proto::RgbToGrey(0, 255, 0),
                                     proto::RgbToGrey(0, 0, 255), proto::RgbToGrey(77, 77, 77)}),
              (std::vector<uint32_t>{87, 127, 39, 77}));
}

TEST(Protocol, MetricEntryOffsetsClampTheSize) {
    using namespace proto::sysinfo;
    EXPECT_EQ(MetricOffset(0, 7), 1172u);
    EXPECT_EQ(MetricOffset(0, 3), 1172u);
    EXPECT_EQ(MetricOffset(1, 16), 1172u + 32640u + 9u * 1088u);
    EXPECT_EQ(MetricOffset(2, 254), 1172u + 2u * 32640u + 29u * 1088u);
    EXPECT_EQ(MetricOffset(2, 36) + 1088u, kFixedSize);
}

} // namespace
