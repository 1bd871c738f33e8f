// The queue between the editor's thread and the host's: order kept, values
// folded rather than begins or ends lost when the host stays away, and a
// consumer fetching while the producer pushes sees whole gestures.

#include "framework/KHostNotices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using KAMO::KHostNotices;

namespace {

std::vector<KHostNotices::Notice> drainAll(KHostNotices& queue) {
    std::vector<KHostNotices::Notice> all;
    queue.drain([&](const KHostNotices::Notice& n) { all.push_back(n); });
    return all;
}

// Every begin is closed by an end of its index before another begins, and
// values inside a gesture are of its index.
::testing::AssertionResult wellFormed(const std::vector<KHostNotices::Notice>& notices) {
    int open = -1;
    for (std::size_t i = 0; i < notices.size(); ++i) {
        const KHostNotices::Notice& n = notices[i];
        const bool inside = open >= 0;
        if (n.kind == KHostNotices::Begin && inside)
            return ::testing::AssertionFailure() << "begin inside a gesture at " << i;
        if (n.kind != KHostNotices::Begin && inside && n.index != open)
            return ::testing::AssertionFailure() << "another index inside a gesture at " << i;
        if (n.kind == KHostNotices::End && !inside)
            return ::testing::AssertionFailure() << "end without begin at " << i;
        if (n.kind == KHostNotices::Begin) open = n.index;
        if (n.kind == KHostNotices::End) open = -1;
    }
    if (open >= 0) return ::testing::AssertionFailure() << "gesture left open";
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(KHostNotices, KeepsOrderAndValuesUntilFetched) {
    KHostNotices queue;
    EXPECT_TRUE(queue.empty());
    queue.push(KHostNotices::Begin, 3, 0.25f);
    queue.push(KHostNotices::Value, 3, 0.5f);
    queue.push(KHostNotices::End, 3, 0.5f);
    queue.push(KHostNotices::Value, 7, 1.0f);
    EXPECT_FALSE(queue.push(KHostNotices::Value, -1, 0.0f));
    const auto all = drainAll(queue);
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0].kind, KHostNotices::Begin);
    EXPECT_EQ(all[0].value, 0.25f);
    EXPECT_EQ(all[1].kind, KHostNotices::Value);
    EXPECT_EQ(all[2].kind, KHostNotices::End);
    EXPECT_FALSE(all[2].resend);
    EXPECT_EQ(all[3].index, 7);
    EXPECT_TRUE(queue.empty());
    EXPECT_TRUE(drainAll(queue).empty());
}

TEST(KHostNotices, AHostThatStaysAwayGetsWholeGesturesWithTheirLastValues) {
    KHostNotices queue;
    // A long drag: the values fold into one another once the queue runs
    // short, and the end still fits.
    queue.push(KHostNotices::Begin, 1, 0.0f);
    for (int i = 1; i <= 5000; ++i) queue.push(KHostNotices::Value, 1, i / 5000.0f);
    queue.push(KHostNotices::End, 1, 1.0f);
    auto all = drainAll(queue);
    EXPECT_TRUE(wellFormed(all));
    EXPECT_LE(all.size(), static_cast<std::size_t>(KHostNotices::kCapacity));
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[all.size() - 2].value, 1.0f);  // the last value, folded in
    EXPECT_FALSE(all.back().resend);
    EXPECT_EQ(queue.dropped(), 0u);

    // Values of two parameters in turn cannot fold: they are dropped, and
    // the end says the host must hear the last value again.
    queue.push(KHostNotices::Begin, 2, 0.0f);
    for (int i = 0; i < 2000; ++i) queue.push(KHostNotices::Value, 2 + i % 2, 0.5f);
    queue.push(KHostNotices::End, 2, 0.75f);
    all = drainAll(queue);
    EXPECT_EQ(all.back().kind, KHostNotices::End);
    EXPECT_TRUE(all.back().resend);
    EXPECT_GT(queue.dropped(), 0u);

    // Clicks without end while nobody fetches: begins that find no room go
    // with their ends, and every gesture that got in is closed.
    for (int i = 0; i < 2000; ++i) {
        queue.push(KHostNotices::Begin, i % 5, 0.0f);
        queue.push(KHostNotices::End, i % 5, 0.0f);
    }
    all = drainAll(queue);
    EXPECT_TRUE(wellFormed(all));
    EXPECT_GT(all.size(), static_cast<std::size_t>(KHostNotices::kCapacity / 2));
}

TEST(KHostNotices, FetchingWhileTheEditorPushesLosesNoBeginOrEnd) {
    KHostNotices queue;
    constexpr int kGestures = 3000;
    std::atomic<bool> done{false};
    std::thread editor([&] {
        for (int g = 0; g < kGestures; ++g) {
            const int index = g % 17;
            queue.push(KHostNotices::Begin, index, 0.0f);
            for (int v = 1; v <= 40; ++v) queue.push(KHostNotices::Value, index, v / 40.0f);
            queue.push(KHostNotices::End, index, 1.0f);
        }
        done = true;
    });
    std::vector<KHostNotices::Notice> all;
    float told = -1.0f;
    auto keep = [&](const KHostNotices::Notice& n) {
        all.push_back(n);
        if (n.kind == KHostNotices::Value || n.resend) told = n.value;
        if (n.kind == KHostNotices::End) {
            EXPECT_EQ(told, 1.0f) << "notice " << all.size();
        }
    };
    while (!done) queue.drain(keep);
    editor.join();
    queue.drain(keep);
    EXPECT_TRUE(wellFormed(all));
    int begins = 0;
    for (const auto& n : all) begins += n.kind == KHostNotices::Begin;
    // Begins go only when the host falls far behind, which a busy machine may make happen.
    if (queue.dropped() == 0) {
        EXPECT_EQ(begins, kGestures);
    }
}
