#include "runtime/timeout_ids.h"

#include <gtest/gtest.h>

using gui::TimeoutIdMap;

TEST(TimeoutIds, HandsOutFromOneAndKeepsOneBitReservedAhead) {
    TimeoutIdMap ids;
    EXPECT_EQ(ids.ReservedBit(), -1);
    EXPECT_EQ(ids.Get(), 1);
    // Bit 0 was handed out, bit 1 is reserved for the next call: two in use.
    EXPECT_EQ(ids.ReservedBit(), 1);
    EXPECT_EQ(ids.CountInUse(), 2);
    EXPECT_EQ(ids.Get(), 2);
    EXPECT_EQ(ids.Get(), 3);
    EXPECT_EQ(ids.CountInUse(), 4);
    EXPECT_TRUE(ids.InUse(3));
    EXPECT_FALSE(ids.InUse(4)) << "the reserved identifier was never handed out";
}

TEST(TimeoutIds, FreedIdentifierComesBackAfterTheReservedOne) {
    TimeoutIdMap ids;
    ASSERT_EQ(ids.Get(), 1);
    ASSERT_EQ(ids.Get(), 2);
    ASSERT_EQ(ids.Get(), 3); // 4 is reserved now
    EXPECT_EQ(ids.Free(2), 0);
    EXPECT_FALSE(ids.InUse(2));
    // The reserved 4 goes out first; the next reservation searches from 4
    // lowered to 0 and finds the freed bit of 2.
    EXPECT_EQ(ids.Get(), 4);
    EXPECT_EQ(ids.Get(), 2);
    EXPECT_EQ(ids.Get(), 5);
}

TEST(TimeoutIds, FreeIgnoresIdentifiersNotHandedOut) {
    TimeoutIdMap ids;
    ASSERT_EQ(ids.Get(), 1); // 2 reserved
    int before = ids.CountInUse();
    EXPECT_EQ(ids.Free(0), -1);
    EXPECT_EQ(ids.Free(-3), -1);
    EXPECT_EQ(ids.Free(ids.Capacity() + 1), -1);
    EXPECT_EQ(ids.Free(7), -1) << "bit is clear";
    EXPECT_EQ(ids.Free(2), -1) << "reserved, never handed out";
    EXPECT_EQ(ids.CountInUse(), before);
    EXPECT_EQ(ids.Free(1), 0);
    EXPECT_EQ(ids.Free(1), -1) << "second free of the same identifier";
    EXPECT_EQ(ids.Get(), 2) << "the reserved identifier is still the next one";
}

TEST(TimeoutIds, MapGrowsBy32WhenFewerThan32AreFree) {
    TimeoutIdMap ids;
    EXPECT_EQ(ids.Capacity(), 1024);
    int last = 0;
    for (int i = 0; i < 2000; ++i) {
        int id = ids.Get();
        ASSERT_EQ(id, last + 1);
        last = id;
    }
    EXPECT_GE(ids.Capacity() - ids.CountInUse(), 31);
    EXPECT_EQ((ids.Capacity() - 1024) % 32, 0);
    EXPECT_LT(ids.Capacity(), 2000 + 64 + 32);
}
