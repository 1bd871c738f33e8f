#include "framework/KIdBase.h"
#include "framework/PtrList.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(KIdBase, NamesCompareOverTheirFirst35CharactersCaseSensitive) {
    const std::string name35(35, 'x');
    KIdBase object((name35 + "tail").c_str());
    EXPECT_STREQ(object.name(), name35.c_str());
    EXPECT_TRUE(object.isNamed((name35 + "extra").c_str()));

    KIdBase shortName("PartRnd");
    EXPECT_FALSE(shortName.isNamed("PartRndX"));
    EXPECT_FALSE(shortName.isNamed("partrnd"));
    EXPECT_FALSE(shortName.isNamed(nullptr));
}

TEST(PtrList, FindAnswersTheEarliestNonNullEntryOfAName) {
    KIdBase first("PartRnd"), second("PartRnd");
    PtrList<KIdBase> list;
    list.add(nullptr);
    list.add(&first);
    list.add(&second);
    EXPECT_EQ(list.find("PartRnd"), &first);
    EXPECT_EQ(list.find("Missing"), nullptr);
}

TEST(PtrList, GrowsByItsStepAfterUsingCapacityReservedBySetCount) {
    KIdBase item("x");
    PtrList<KIdBase> list;
    for (int i = 0; i < 32; ++i) list.add(&item);
    EXPECT_EQ(list.capacity(), 32);
    list.add(&item);
    EXPECT_EQ(list.capacity(), 64);

    PtrList<KIdBase> sized;
    sized.add(&item);
    sized.setCount(23);
    EXPECT_EQ(sized.capacity(), 32);
    sized.setCount(40);  // exactly, keeping what was there
    EXPECT_EQ(sized.capacity(), 40);
    EXPECT_EQ(sized.get(0), &item);
    sized.setCount(0);
    for (int i = 0; i < 41; ++i) sized.add(&item);
    EXPECT_EQ(sized.capacity(), 72);
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
