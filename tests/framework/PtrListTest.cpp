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

class Other : public KIdBase {
public:
    using KIdBase::KIdBase;
};

} // namespace

TEST(KIdBase, ComparesOnlyTheFirst35Characters) {
    const std::string name35(35, 'x');
    KIdBase object(name35.c_str());
    EXPECT_TRUE(object.isNamed((name35 + "extra").c_str()));

    // Names given longer are cut to the same 35 characters.
    KIdBase longer((name35 + "tail").c_str());
    EXPECT_STREQ(longer.name(), name35.c_str());

    // A shorter name must match up to its terminator, case significant.
    KIdBase shortName("PartRnd");
    EXPECT_FALSE(shortName.isNamed("PartRndX"));
    EXPECT_FALSE(shortName.isNamed("partrnd"));
    EXPECT_FALSE(shortName.isNamed(nullptr));
}

TEST(KIdBase, TypeHashTellsConcreteClassesApart) {
    int deletions = 0;
    Counted counted("A", &deletions);
    Other other("A");
    EXPECT_TRUE(counted.isType(KIdBase::hashOf<Counted>()));
    EXPECT_FALSE(other.isType(KIdBase::hashOf<Counted>()));
    EXPECT_TRUE(other.matches("A", KIdBase::hashOf<Other>()));
    EXPECT_FALSE(other.matches("B", KIdBase::hashOf<Other>()));
}

TEST(PtrList, FindAnswersTheEarliestEntryOfADuplicateName) {
    Other first("PartRnd"), second("PartRnd"), third("FullRnd");
    PtrList<Other> list;
    list.add(nullptr);
    list.add(&first);
    list.add(&second);
    list.add(&third);
    EXPECT_EQ(list.find("PartRnd"), &first);
    EXPECT_EQ(list.find("FullRnd"), &third);
    EXPECT_EQ(list.find("Missing"), nullptr);
    EXPECT_EQ(list.indexOf(&second), 2);
}

TEST(PtrList, GrowsByItsStepAndUsesCapacityReservedBySetCount) {
    PtrList<Other> list;
    EXPECT_EQ(list.capacity(), 0);
    Other item("x");
    list.add(&item);
    EXPECT_EQ(list.capacity(), 32);
    for (int i = 1; i < 32; ++i) list.add(&item);
    EXPECT_EQ(list.capacity(), 32);
    list.add(&item);
    EXPECT_EQ(list.capacity(), 64);
    EXPECT_EQ(list.count(), 33);

    PtrList<Other> sized;
    sized.setCount(23);
    EXPECT_EQ(sized.capacity(), 23);
    sized.setCount(0);
    for (int i = 0; i < 23; ++i) sized.add(&item);
    EXPECT_EQ(sized.capacity(), 23);
    sized.add(&item);
    EXPECT_EQ(sized.capacity(), 55);
}

TEST(PtrList, SetCountKeepsExistingPointers) {
    Other a("a"), b("b");
    PtrList<Other> list;
    list.add(&a);
    list.add(&b);
    list.setCount(40);
    EXPECT_EQ(list.get(0), &a);
    EXPECT_EQ(list.get(1), &b);
    EXPECT_EQ(list.count(), 40);
}

TEST(PtrMgr, ClearDeletesOnlyNonNullEntries) {
    int deletions = 0;
    PtrMgr<Counted> list;
    list.setCountFill(3, nullptr);
    EXPECT_EQ(list.count(), 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list.get(i), nullptr);

    list.set(1, new Counted("one", &deletions));
    list.add(new Counted("two", &deletions));
    list.clear();
    EXPECT_EQ(deletions, 2);
    EXPECT_TRUE(list.isEmpty());

    {
        PtrMgr<Counted> scoped;
        scoped.add(new Counted("three", &deletions));
    }
    EXPECT_EQ(deletions, 3);
}

TEST(PtrList, CopyFromSharesPointersAndIgnoresItself) {
    Other a("a"), b("b");
    PtrList<Other> list;
    list.add(&a);
    list.add(&b);
    list.copyFrom(list);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.get(0), &a);
    EXPECT_EQ(list.get(1), &b);

    PtrList<Other> copy;
    copy.assignFrom(list);
    EXPECT_EQ(copy.count(), 2);
    EXPECT_EQ(copy.capacity(), 2);
    EXPECT_EQ(copy.get(1), &b);
}
