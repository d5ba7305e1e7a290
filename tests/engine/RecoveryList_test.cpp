#include "engine/RecoveryList.h"
#include "pdu/GroupMessagePDU.h"

#include <gtest/gtest.h>

namespace {

CRecoveryList::Item MakeItem(DWORD dwHandle, DWORD dwId, const std::string& strText = "m") {
    CRecoveryList::Item item;
    item.dwCacheHandle = dwHandle;
    item.dwCacheId = dwId;
    item.strText = strText;
    return item;
}

std::vector<DWORD> Ids(const std::vector<CRecoveryList::Item>& items) {
    std::vector<DWORD> ids;
    for (const auto& item : items)
        ids.push_back(item.dwCacheId);
    return ids;
}

TEST(RecoveryList, ItemsComeOutInCacheIdOrderEqualIdsInArrivalOrder) {
    CRecoveryList list;
    EXPECT_TRUE(list.Add(MakeItem(7, 30)));
    EXPECT_TRUE(list.Add(MakeItem(7, 10)));
    EXPECT_TRUE(list.Add(MakeItem(7, 20)));
    EXPECT_TRUE(list.Add(MakeItem(8, 20, "other cache")));
    const auto items = list.TakeAll();
    EXPECT_EQ(Ids(items), (std::vector<DWORD>{10, 20, 20, 30}));
    EXPECT_EQ(items[1].dwCacheHandle, 7u);
    EXPECT_EQ(items[2].strText, "other cache");
    EXPECT_EQ(list.Count(), 0u);
}

TEST(RecoveryList, AnItemIsKeptOnceByCacheAndIdAndNeverAfterItWasShown) {
    CRecoveryList list;
    EXPECT_TRUE(list.Add(MakeItem(7, 10)));
    EXPECT_FALSE(list.Add(MakeItem(7, 10))) << "a second read of the same cache";
    EXPECT_TRUE(list.Add(MakeItem(8, 10))) << "the same id in another cache is another item";
    EXPECT_TRUE(list.MarkShown(7, 11));
    EXPECT_FALSE(list.Add(MakeItem(7, 11))) << "shown live before";
    EXPECT_EQ(list.TakeAll().size(), 2u);
    EXPECT_FALSE(list.Add(MakeItem(7, 10))) << "shown by the recovery";
    EXPECT_FALSE(list.MarkShown(8, 10));
    EXPECT_TRUE(list.IsShown(8, 10));
    EXPECT_FALSE(list.Add(MakeItem(1, 1, ""))) << "nothing to show";
    list.Reset();
    EXPECT_FALSE(list.IsShown(8, 10));
}

TEST(RecoveryList, WhatWasShownWhileCollectingIsNotHandedOutAgain) {
    CRecoveryList list;
    EXPECT_TRUE(list.Add(MakeItem(7, 2)));
    EXPECT_TRUE(list.Add(MakeItem(7, 3)));
    EXPECT_TRUE(list.Add(MakeItem(7, 4)));
    // The customer history shows 2 and 3 before the read is over.
    EXPECT_TRUE(list.MarkShown(7, 2));
    EXPECT_TRUE(list.MarkShown(7, 3));
    EXPECT_EQ(Ids(list.TakeAll()), std::vector<DWORD>{4});
    EXPECT_TRUE(list.IsShown(7, 4));
}

TEST(RecoveryList, ABatchIsFullAtItsItemOrByteBound) {
    CRecoveryList list;
    const std::string strBig(RECOVERY_MAX_BYTES / 4, 'x');
    for (DWORD i = 1; i <= 3; ++i)
        EXPECT_TRUE(list.Add(MakeItem(7, i, strBig)));
    EXPECT_FALSE(list.IsFull());
    EXPECT_TRUE(list.Add(MakeItem(7, 4, strBig)));
    EXPECT_TRUE(list.IsFull()) << "the byte bound";
    EXPECT_EQ(list.Bytes(), RECOVERY_MAX_BYTES);
    EXPECT_EQ(list.TakeAll().size(), 4u);
    EXPECT_EQ(list.Bytes(), 0u);
    for (DWORD i = 1; i < RECOVERY_MAX_ITEMS; ++i)
        list.Add(MakeItem(8, i));
    EXPECT_FALSE(list.IsFull());
    list.Add(MakeItem(8, RECOVERY_MAX_ITEMS));
    EXPECT_TRUE(list.IsFull()) << "the item bound";
    EXPECT_GE(RECOVERY_MAX_ITEMS, 65536u);
}

// An item that comes parsed is kept as parsed: its text still counts towards the byte bound,
// but is not held twice.
TEST(RecoveryList, AParsedItemKeepsItsMessageAndCountsItsText) {
    CRecoveryList list;
    CRecoveryList::Item item = MakeItem(7, 5, "<chat>five</chat>");
    auto pParsed = std::make_shared<CGroupMessagePDU>();
    pParsed->SetMessageText("five");
    item.pParsed = pParsed;
    EXPECT_TRUE(list.Add(std::move(item)));
    EXPECT_EQ(list.Bytes(), 17u);
    const auto items = list.TakeAll();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].pParsed, pParsed);
    EXPECT_EQ(items[0].pParsed->GetMessageText(), "five");
    EXPECT_TRUE(items[0].strText.empty());
}

TEST(RecoveryList, ATimeoutLeavesTheAwaitedCachesLateUntilTheirLastItem) {
    CRecoveryList list;
    list.Expect(7);
    list.Expect(9);
    list.Answered(9);
    list.DropOutstanding();
    EXPECT_EQ(list.Outstanding(), 0);
    EXPECT_TRUE(list.IsLate(7));
    EXPECT_FALSE(list.IsLate(9)) << "its answer was complete";
    list.LateAnswered(7);
    EXPECT_FALSE(list.IsLate(7));
    list.Expect(5);
    list.DropOutstanding();
    list.Expect(5);
    EXPECT_FALSE(list.IsLate(5)) << "a new read answers for it";
    list.Reset();
    EXPECT_EQ(list.Outstanding(), 0);
}

TEST(RecoveryList, OnlyAwaitedAnswersCount) {
    CRecoveryList list;
    EXPECT_EQ(list.Outstanding(), 0);
    list.Expect(7);
    list.Expect(7); // two reads of one cache
    list.Expect(9);
    EXPECT_EQ(list.Outstanding(), 3);
    EXPECT_FALSE(list.Answered(8)) << "a cache nobody waits for";
    EXPECT_EQ(list.Outstanding(), 3);
    EXPECT_TRUE(list.Answered(7));
    EXPECT_TRUE(list.Answered(7));
    EXPECT_FALSE(list.Answered(7)) << "no third answer awaited";
    EXPECT_EQ(list.Outstanding(), 1);
    list.DropOutstanding();
    EXPECT_EQ(list.Outstanding(), 0);
}

} // namespace
