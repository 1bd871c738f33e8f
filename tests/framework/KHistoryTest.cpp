#include "framework/KHistory.h"

#include <gtest/gtest.h>

using KAMO::KHistory;

TEST(KHistory, SamplesPerColumnComeFromSpanRateAndColumns) {
    KHistory h;
    h.setUp(100, 0.5, 48000);
    EXPECT_EQ(h.samplesPerColumn(), 240);
    h.setUp(3, 1.0, 10);
    EXPECT_EQ(h.samplesPerColumn(), 3);
}

TEST(KHistory, ColumnHoldsExtremesOfBothSignals) {
    KHistory h;
    h.setUp(4, 1.0, 12);  // 3 samples per column
    h.add(0.5, -0.1);
    h.add(-0.25, 0.3);
    EXPECT_EQ(h.changeCount(), 0);
    h.add(0.1, 0.2);
    EXPECT_EQ(h.changeCount(), 1);
    KHistory::Column c;
    ASSERT_TRUE(h.column(0, c));
    EXPECT_EQ(c.minA, -0.25);
    EXPECT_EQ(c.maxA, 0.5);
    EXPECT_EQ(c.minB, -0.1);
    EXPECT_EQ(c.maxB, 0.3);
}

TEST(KHistory, ExtremesRestartWithEachColumn) {
    KHistory h;
    h.setUp(4, 1.0, 4);  // 1 sample per column
    h.add(0.9, 0.9);
    h.add(0.1, -0.1);
    KHistory::Column c;
    h.column(0, c);
    EXPECT_EQ(c.maxA, 0.1);
    EXPECT_EQ(c.minB, -0.1);
    h.column(1, c);
    EXPECT_EQ(c.maxA, 0.9);
}

TEST(KHistory, RingWrapsAndNewestComesFirst) {
    KHistory h;
    h.setUp(3, 1.0, 3);
    for (int i = 1; i <= 5; ++i) h.add(i, -i);
    EXPECT_EQ(h.changeCount(), 5);
    EXPECT_EQ(h.writePosition(), 2);
    KHistory::Column c;
    for (int i = 0; i < 3; ++i) {
        h.column(i, c);
        EXPECT_EQ(c.maxA, 5 - i) << "column " << i;
    }
    // Indices past the ring wrap onto it rather than leave it.
    h.column(3, c);
    EXPECT_EQ(c.maxA, 5);
    h.column(-1, c);
    EXPECT_EQ(c.maxA, 3);
}

TEST(KHistory, SetUpClearsEverything) {
    KHistory h;
    h.setUp(2, 1.0, 2);
    h.add(0.7, 0.7);
    h.setUp(2, 1.0, 2);
    EXPECT_EQ(h.changeCount(), 0);
    EXPECT_EQ(h.writePosition(), 0);
    KHistory::Column c;
    h.column(0, c);
    EXPECT_EQ(c.maxA, 0.0);
    h.setUp(5, 1.0, 5);
    EXPECT_EQ(h.columnCount(), 5);
}

TEST(KHistory, DegenerateSetUpsNeitherStallNorCrash) {
    KHistory h;
    h.setUp(10, 0.0, 48000);  // less than one sample per column
    EXPECT_EQ(h.samplesPerColumn(), 1);
    h.add(0.2, 0.2);
    EXPECT_EQ(h.changeCount(), 1);

    h.setUp(0, 1.0, 48000);
    h.add(0.2, 0.2);
    KHistory::Column c{1, 1, 1, 1};
    EXPECT_FALSE(h.column(0, c));
    EXPECT_EQ(c.maxA, 0.0);
    KHistory empty;
    EXPECT_FALSE(empty.column(0, c));
}
