#include "framework/KHistory.h"

#include <gtest/gtest.h>

using KAMO::KHistory;

TEST(KHistory, ColumnsHoldExtremesOfBothSignalsAndRestartEachTime) {
    KHistory h;
    h.setUp(4, 0.5, 24);  // 3 samples per column
    EXPECT_EQ(h.samplesPerColumn(), 3);
    for (double a : {0.5, -0.25, 0.1}) h.add(a, -a);
    for (double a : {0.2, 0.3, 0.0}) h.add(a, a);
    EXPECT_EQ(h.changeCount(), 2);
    KHistory::Column c;
    ASSERT_TRUE(h.column(1, c));
    EXPECT_EQ(c.minA, -0.25);
    EXPECT_EQ(c.maxA, 0.5);
    EXPECT_EQ(c.minB, -0.5);
    EXPECT_EQ(c.maxB, 0.25);
    h.column(0, c);
    EXPECT_EQ(c.minA, 0.0);
    EXPECT_EQ(c.maxA, 0.3);
}

TEST(KHistory, RingWrapsWithTheNewestFirst) {
    KHistory h;
    h.setUp(3, 1.0, 3);
    for (int i = 1; i <= 5; ++i) h.add(i, -i);
    EXPECT_EQ(h.writePosition(), 2);
    KHistory::Column c;
    for (int i = 0; i < 3; ++i) {
        h.column(i, c);
        EXPECT_EQ(c.maxA, 5 - i) << "column " << i;
    }
    h.column(3, c);  // past the ring: wraps onto it
    EXPECT_EQ(c.maxA, 5);
    h.setUp(3, 1.0, 3);
    EXPECT_EQ(h.changeCount(), 0);
    h.column(0, c);
    EXPECT_EQ(c.maxA, 0.0);
}

TEST(KHistory, DegenerateSetUpsNeitherStallNorCrash) {
    KHistory h;
    h.setUp(10, 0.0, 48000);  // less than one sample per column
    h.add(0.2, 0.2);
    EXPECT_EQ(h.changeCount(), 1);
    h.setUp(0, 1.0, 48000);
    h.add(0.2, 0.2);
    KHistory::Column c{1, 1, 1, 1};
    EXPECT_FALSE(h.column(0, c));
    EXPECT_EQ(c.maxA, 0.0);
}
