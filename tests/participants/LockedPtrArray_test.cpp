#include "participants/LockedPtrArray.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <thread>
#include <vector>

namespace {

// Distinct addresses to store; the array never dereferences them.
std::vector<int> g_cells(16384);
void* Cell(int n) {
    return &g_cells[n];
}

std::vector<void*> Contents(const CLockedPtrArray& a) {
    std::vector<void*> v;
    for (int i = 0; i < a.GetCount(); ++i)
        v.push_back(a.GetAt(i));
    return v;
}

TEST(LockedPtrArray, SeventeenthInsertionGrowsBySixteenAndKeepsEverything) {
    CLockedPtrArray a;
    EXPECT_EQ(a.GetCapacity(), 0);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(a.Add(Cell(i)), i);
    EXPECT_EQ(a.GetCapacity(), 16);
    EXPECT_EQ(a.Add(Cell(16)), 16);
    EXPECT_EQ(a.GetCapacity(), 32);
    ASSERT_EQ(a.GetCount(), 17);
    for (int i = 0; i < 17; ++i)
        EXPECT_EQ(a.GetAt(i), Cell(i)) << i;
}

TEST(LockedPtrArray, ReserveRoundsToWholeStepsKeepsContentsAndLaterGrowthStaysSixteen) {
    CLockedPtrArray a;
    for (int i = 0; i < 3; ++i)
        a.Add(Cell(i));
    EXPECT_TRUE(a.Reserve(40));
    EXPECT_EQ(a.GetCapacity(), 48);
    EXPECT_EQ(Contents(a), (std::vector<void*>{Cell(0), Cell(1), Cell(2)}));
    EXPECT_TRUE(a.Reserve(10)); // never shrinks
    EXPECT_EQ(a.GetCapacity(), 48);
    EXPECT_FALSE(a.Reserve(INT_MAX)); // no overflow into a small block
    EXPECT_EQ(a.GetCapacity(), 48);
    for (int i = 3; i < 49; ++i)
        a.Add(Cell(i));
    EXPECT_EQ(a.GetCapacity(), 64);
    ASSERT_EQ(a.GetCount(), 49);
    EXPECT_EQ(a.GetAt(48), Cell(48));
}

TEST(LockedPtrArray, ReadLockedSeesTheElementsInOrder) {
    CLockedPtrArrayT<int> a;
    for (int i = 0; i < 20; ++i)
        a.Add(&g_cells[i]);
    const int nSum = a.ReadLocked([](int* const* pp, int n) {
        int s = 0;
        for (int i = 0; i < n; ++i)
            s += static_cast<int>(pp[i] - &g_cells[0]);
        return s;
    });
    EXPECT_EQ(nSum, 190);
}

TEST(LockedPtrArray, InsertAtShiftsLaterElementsAcrossGrowth) {
    CLockedPtrArray a;
    for (int i = 0; i < 16; ++i)
        a.Add(Cell(i));
    EXPECT_TRUE(a.InsertAt(5, Cell(100)));
    EXPECT_TRUE(a.InsertAt(0, Cell(101)));
    EXPECT_TRUE(a.InsertAt(a.GetCount(), Cell(102)));
    EXPECT_FALSE(a.InsertAt(-1, Cell(103)));
    EXPECT_FALSE(a.InsertAt(a.GetCount() + 1, Cell(103)));

    std::vector<void*> expected{Cell(101)};
    for (int i = 0; i < 16; ++i) {
        if (i == 5) expected.push_back(Cell(100));
        expected.push_back(Cell(i));
    }
    expected.push_back(Cell(102));
    EXPECT_EQ(Contents(a), expected);
}

TEST(LockedPtrArray, AddRefusesDuplicatesOnlyWhenAsked) {
    CLockedPtrArray a;
    EXPECT_EQ(a.Add(Cell(1)), 0);
    EXPECT_EQ(a.Add(Cell(1), TRUE), -1);
    EXPECT_EQ(a.GetCount(), 1);
    EXPECT_EQ(a.Add(Cell(1)), 1);
    EXPECT_EQ(a.GetCount(), 2);
}

TEST(LockedPtrArray, RemovalFindAndBounds) {
    CLockedPtrArray a;
    for (int n : {1, 2, 3, 2})
        a.Add(Cell(n));
    EXPECT_EQ(a.Find(Cell(2)), 1);
    EXPECT_EQ(a.Find(Cell(9)), -1);
    EXPECT_EQ(a.GetAt(-1), nullptr);
    EXPECT_EQ(a.GetAt(4), nullptr);

    EXPECT_TRUE(a.Remove(Cell(2))); // the first occurrence only
    EXPECT_EQ(Contents(a), (std::vector<void*>{Cell(1), Cell(3), Cell(2)}));
    EXPECT_FALSE(a.Remove(Cell(9)));
    EXPECT_FALSE(a.RemoveAt(3));
    EXPECT_FALSE(a.RemoveAt(-1));
    EXPECT_TRUE(a.RemoveAt(0));
    EXPECT_EQ(Contents(a), (std::vector<void*>{Cell(3), Cell(2)}));
}

TEST(LockedPtrArray, RemoveAllFreesStorageButNotPointees) {
    int value = 7;
    CLockedPtrArray a;
    a.Add(&value);
    a.RemoveAll();
    EXPECT_EQ(a.GetCount(), 0);
    EXPECT_EQ(a.GetCapacity(), 0);
    EXPECT_EQ(value, 7);
    EXPECT_EQ(a.Add(Cell(0)), 0); // usable again
}

TEST(LockedPtrArray, CopyTakesAnIndependentSnapshot) {
    CLockedPtrArray src, dst;
    for (int i = 0; i < 20; ++i)
        src.Add(Cell(i));
    dst.Add(Cell(99));
    EXPECT_TRUE(dst.Copy(src));
    EXPECT_EQ(Contents(dst), Contents(src));
    EXPECT_EQ(dst.GetCapacity(), 32);
    src.RemoveAt(0);
    EXPECT_EQ(dst.GetCount(), 20);
    EXPECT_TRUE(dst.Copy(dst));
    EXPECT_EQ(dst.GetCount(), 20);

    CLockedPtrArray empty;
    EXPECT_TRUE(dst.Copy(empty));
    EXPECT_EQ(dst.GetCount(), 0);
    EXPECT_EQ(dst.GetAt(0), nullptr);
}

// Runs both functions on two threads released together, so that their operations overlap.
template <class F1, class F2> void RunTogether(F1 f1, F2 f2) {
    std::atomic<int> ready{0};
    auto wrap = [&ready](auto f) {
        return [&ready, f] {
            ++ready;
            while (ready.load() < 2) {
            }
            f();
        };
    };
    std::thread t1(wrap(f1)), t2(wrap(f2));
    t1.join();
    t2.join();
}

// Two threads hammer one array, each adding its own pointers (one at the end, one at the
// front), checking them and removing them again. Without the lock, growth and shifting lose or
// duplicate entries; with it every pointer is found and removed exactly once.
TEST(LockedPtrArray, ConcurrentAddAndRemoveKeepTheArrayConsistent) {
    const int kPasses = 40, kPerPass = 300;
    CLockedPtrArray a;
    std::atomic<int> faults{0};
    auto churn = [&](int nFirst, bool bFront) {
        return [&, nFirst, bFront] {
            for (int pass = 0; pass < kPasses; ++pass) {
                for (int i = 0; i < kPerPass; ++i) {
                    if (bFront ? !a.InsertAt(0, Cell(nFirst + i)) : a.Add(Cell(nFirst + i)) < 0) ++faults;
                }
                for (int i = 0; i < kPerPass; ++i)
                    if (a.Find(Cell(nFirst + i)) < 0) ++faults;
                for (int i = 0; i < kPerPass; ++i)
                    if (!a.Remove(Cell(nFirst + i))) ++faults;
            }
        };
    };
    RunTogether(churn(0, false), churn(1000, true));
    EXPECT_EQ(faults.load(), 0);
    EXPECT_EQ(a.GetCount(), 0);
}

TEST(LockedPtrArray, ConcurrentUniqueAddsStoreEachPointerOnce) {
    const int kCells = 4000;
    CLockedPtrArray a;
    auto addAll = [&] {
        for (int i = 0; i < kCells; ++i)
            a.Add(Cell(i), TRUE);
    };
    RunTogether(addAll, addAll);
    ASSERT_EQ(a.GetCount(), kCells);
    for (int i = 0; i < kCells; ++i)
        ASSERT_NE(a.Find(Cell(i)), -1) << i;
}

TEST(LockedPtrArray, TypedViewReturnsTheStoredType) {
    int x = 1, y = 2;
    CLockedPtrArrayT<int> a;
    a.Add(&x);
    a.InsertAt(0, &y);
    EXPECT_EQ(*a.GetAt(0), 2);
    EXPECT_EQ(*a.GetAt(1), 1);
    EXPECT_EQ(a.GetAt(2), nullptr);
}

} // namespace
