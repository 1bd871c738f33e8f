#include "framework/KIdBase.h"
#include "framework/PtrList.h"

#include <gtest/gtest.h>

#include <vector>

using KAMO::KIdBase;
using KAMO::PtrList;
using KAMO::PtrMgr;

namespace {

// Counts its deletions so that ownership can be checked.
class Counted : public KIdBase {
public:
    Counted(const char* name, int* deletions) : KIdBase(name), mDeletions(deletions) {}
    ~Counted() override { ++*mDeletions; }

private:
    int* mDeletions;
};

}  // namespace

TEST(PtrList, FindAnswersTheEarliestNonNullEntryOfAName) {
    KIdBase first("PartRnd"), second("PartRnd");
    PtrList<KIdBase> list;
    list.add(nullptr);
    list.add(&first);
    list.add(&second);
    EXPECT_EQ(list.find("PartRnd"), &first);
    EXPECT_EQ(list.find("Missing"), nullptr);
}

TEST(PtrList, KeepsEveryEntryInOrderAsItGrowsAndRefillsReservedRoomInPlace) {
    std::vector<KIdBase> items(100, KIdBase("x"));
    PtrList<KIdBase> list;
    for (KIdBase& item : items) list.add(&item);
    ASSERT_EQ(list.count(), 100);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(list.get(i), &items[i]) << i;

    // setCount keeps what was there, and the room it reserves is used again
    // without moving the storage: no allocation when a list is refilled.
    PtrList<KIdBase> sized;
    sized.add(&items[0]);
    sized.setCount(40);
    EXPECT_EQ(sized.count(), 40);
    EXPECT_EQ(sized.get(0), &items[0]);
    const int reserved = sized.capacity();
    EXPECT_GE(reserved, 40);
    sized.setCount(0);
    EXPECT_TRUE(sized.isEmpty());
    for (int i = 0; i < 40; ++i) sized.add(&items[i]);
    EXPECT_EQ(sized.capacity(), reserved);
    sized.add(&items[40]);  // past the reserved room it grows, keeping the entries
    EXPECT_EQ(sized.count(), 41);
    for (int i = 0; i <= 40; ++i) EXPECT_EQ(sized.get(i), &items[i]) << i;
}

TEST(PtrMgr, ClearDeletesOnlyNonNullEntries) {
    int deletions = 0;
    {
        PtrMgr<Counted> list;
        list.setCountFill(3, nullptr);
        EXPECT_EQ(list.count(), 3);
        EXPECT_EQ(list.get(2), nullptr);
        list.set(1, new Counted("one", &deletions));
        list.add(new Counted("two", &deletions));
        list.clear();
        EXPECT_EQ(deletions, 2);
        EXPECT_TRUE(list.isEmpty());
        list.add(new Counted("three", &deletions));
    }
    EXPECT_EQ(deletions, 3);
}

TEST(PtrList, CopyFromSharesPointersAndIgnoresItself) {
    KIdBase a("a"), b("b");
    PtrList<KIdBase> list;
    list.add(&a);
    list.add(&b);
    list.copyFrom(list);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.get(1), &b);

    PtrList<KIdBase> copy;
    copy.assignFrom(list);
    EXPECT_EQ(copy.capacity(), 2);
    EXPECT_EQ(copy.get(0), &a);
}
